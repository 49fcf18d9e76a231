#include "digest.h"

#include "md5adapter.h"

#include <memory>

namespace cheqora {

namespace {

// Large sequential reads keep a disk streaming and cost few system calls; a stop is still seen within
// a millisecond or two of reading.
constexpr qint64 kBlockSize = qint64(1) << 20;

void setStatus(int number, int &lngStatus, QString &strStatus)
{
    lngStatus = number;
    strStatus = number > 0 ? platform::fileErrorDescription(number) : QString();
}

QString hexDigest(const unsigned char *digest)
{
    static const char16_t hex[] = u"0123456789ABCDEF";
    QString out(32, Qt::Uninitialized);
    QChar *p = out.data();
    for (int i = 0; i < 16; ++i) {
        p[2 * i] = QChar(hex[digest[i] >> 4]);
        p[2 * i + 1] = QChar(hex[digest[i] & 0x0F]);
    }
    return out;
}

// Size and modification time as measured before the read and after it: any difference means the
// bytes read are not one state of the file.
bool sameState(const platform::FileStat &a, const platform::FileStat &b)
{
    return a.length == b.length && a.modifiedSecs == b.modifiedSecs && a.modifiedNsecs == b.modifiedNsecs;
}

QString digestRegularFile(const QString &strFile, const platform::FileStat &st, int &lngStatus, QString &strStatus,
                          const std::atomic_bool *abort, std::atomic<qint64> *bytesDone,
                          const platform::FolderHandle *folder)
{
    // One context per thread, reused for every digest; each digest starts with MD5Init2.
    thread_local platform::MD5Context context;
    // One read buffer per thread too: the block size keeps it off the stack, and allocating it for
    // each of many small files would cost more than their digests.
    thread_local const std::unique_ptr<char[]> buffer(new char[kBlockSize]);

    if (!platform::MD5Init2(context)) {
        setStatus(platform::ErrMD5Unavailable, lngStatus, strStatus);
        return QString();
    }
    platform::FileError err;
    platform::BinaryReader reader;
    const bool opened = folder ? reader.openIn(*folder, strFile.mid(strFile.lastIndexOf(platform::kSeparator) + 1), err)
                               : reader.open(strFile, err);
    if (!opened) {
        setStatus(err.number, lngStatus, strStatus);
        return QString();
    }
    // The file opened must be the one measured, in the state measured.
    platform::FileStat now = reader.openedStat();
    if (!sameState(now, st) || (st.inode != 0 && (now.inode != st.inode || now.device != st.device))) {
        setStatus(platform::ErrFileChanged, lngStatus, strStatus);
        return QString();
    }
    qint64 outstanding = st.length;
    while (outstanding >= 1) {
        if (abort && abort->load(std::memory_order_relaxed)) {
            setStatus(platform::ErrInterrupted, lngStatus, strStatus);
            return QString();
        }
        const qint64 chunk = outstanding > kBlockSize ? kBlockSize : outstanding;
        const qint64 got = reader.read(buffer.get(), chunk, err);
        if (got < 0) {
            setStatus(err.number, lngStatus, strStatus);
            return QString();
        }
        // Fewer bytes than measured: the file shrank while being read.
        if (got < chunk) {
            setStatus(platform::ErrFileChanged, lngStatus, strStatus);
            return QString();
        }
        if (!platform::MD5Update2(context, buffer.get(), quint32(chunk))) {
            setStatus(platform::ErrMD5Unavailable, lngStatus, strStatus);
            return QString();
        }
        outstanding -= chunk;
        if (bytesDone)
            bytesDone->store(st.length - outstanding, std::memory_order_relaxed);
    }
    // A write during the read, behind the read position or past the end, shows in the size or time.
    if (!reader.stat(now, err)) {
        setStatus(err.number, lngStatus, strStatus);
        return QString();
    }
    reader.close();
    if (!sameState(now, st)) {
        setStatus(platform::ErrFileChanged, lngStatus, strStatus);
        return QString();
    }
    unsigned char digest[16];
    if (!platform::MD5Final2(digest, context)) {
        setStatus(platform::ErrMD5Unavailable, lngStatus, strStatus);
        return QString();
    }
    return hexDigest(digest);
}

} // namespace

QString ZeroLengthText()
{
    return QStringLiteral("Zero-length file");
}

bool FolderExists(const QString &strPath)
{
    return platform::folderExists(strPath);
}

QString GetDSOfFile(const QString &strFile, int &lngStatus, QString &strStatus, const std::atomic_bool *abort,
                    std::atomic<qint64> *bytesDone)
{
    lngStatus = DigestOk;
    strStatus.clear();
    if (strFile.isEmpty()) {
        lngStatus = DigestEmptyPath;
        return QString();
    }
    // A path here has no drive letters, so the bare-drive status (-3) never arises.
    if (FolderExists(strFile)) {
        lngStatus = DigestFolder;
        strStatus = QStringLiteral("Folder, not file");
        return QString();
    }
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(strFile, st, err)) {
        setStatus(err.number, lngStatus, strStatus);
        return QString();
    }
    return GetDSOfExaminedFile(strFile, st, lngStatus, strStatus, abort, bytesDone);
}

QString GetDSOfExaminedFile(const QString &strFile, const platform::FileStat &st, int &lngStatus,
                            QString &strStatus, const std::atomic_bool *abort, std::atomic<qint64> *bytesDone,
                            const platform::FolderHandle *folder)
{
    lngStatus = DigestOk;
    strStatus.clear();
    switch (st.kind) {
    case platform::EntryKind::Missing:
        setStatus(platform::ErrFileNotFound, lngStatus, strStatus);
        return QString();
    case platform::EntryKind::Folder:
        lngStatus = DigestFolder;
        strStatus = QStringLiteral("Folder, not file");
        return QString();
    case platform::EntryKind::Special:
        // Opening a FIFO waits for a writer; devices and sockets have no content to digest.
        setStatus(platform::ErrNotRegularFile, lngStatus, strStatus);
        return QString();
    case platform::EntryKind::File:
        break;
    }
    if (st.length == 0) {
        lngStatus = DigestZeroLength;
        strStatus = ZeroLengthText();
        return QString();
    }
    return digestRegularFile(strFile, st, lngStatus, strStatus, abort, bytesDone, folder);
}

} // namespace cheqora
