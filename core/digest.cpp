#include "digest.h"

#include "digestcontext.h"

#include <memory>

namespace cheqora {

namespace {

// Large sequential reads keep a disk streaming and cost few system calls; a stop is still seen within
// a millisecond or two of reading.
constexpr qint64 kBlockSize = qint64(1) << 20;

FileDigest failed(int number)
{
    FileDigest d;
    d.status = number;
    d.statusText = number > 0 ? platform::fileErrorDescription(number) : QString();
    return d;
}

FileDigest noDigest(int status, const QString &text)
{
    FileDigest d;
    d.status = status;
    d.statusText = text;
    return d;
}

// The algorithm's own words, so that a report or list says which digest could not be made.
FileDigest unavailable(DigestAlgorithm algorithm)
{
    return noDigest(platform::ErrDigestUnavailable, algorithmTitle(algorithm) + QStringLiteral(" is not available"));
}

platform::HashFunction hashFunction(DigestAlgorithm algorithm)
{
    switch (algorithm) {
    case DigestAlgorithm::Md5: return platform::HashFunction::Md5;
    case DigestAlgorithm::Sha1: return platform::HashFunction::Sha1;
    case DigestAlgorithm::Sha256: return platform::HashFunction::Sha256;
    case DigestAlgorithm::Sha512: return platform::HashFunction::Sha512;
    case DigestAlgorithm::Blake2b: return platform::HashFunction::Blake2b512;
    }
    Q_UNREACHABLE();
}

QString hexDigest(const unsigned char *digest, int length)
{
    static const char16_t hex[] = u"0123456789ABCDEF";
    QString out(2 * length, Qt::Uninitialized);
    QChar *p = out.data();
    for (int i = 0; i < length; ++i) {
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

// The read of a file opened and examined (st), as the digest sees it.
FileDigest digestOpened(platform::BinaryReader &reader, const platform::FileStat &st, const std::atomic_bool *abort,
                        std::atomic<qint64> *bytesDone, DigestAlgorithm algorithm)
{
    // One context per thread, reused for every digest; each digest starts with digestInit.
    thread_local platform::DigestContext context;
    // One read buffer per thread too: the block size keeps it off the stack, and allocating it for
    // each of many small files would cost more than their digests.
    thread_local const std::unique_ptr<char[]> buffer(new char[kBlockSize]);

    if (!platform::digestInit(context, hashFunction(algorithm)))
        return unavailable(algorithm);
    platform::FileError err;
    qint64 outstanding = st.length;
    while (outstanding >= 1) {
        if (abort && abort->load(std::memory_order_relaxed))
            return failed(platform::ErrInterrupted);
        const qint64 chunk = outstanding > kBlockSize ? kBlockSize : outstanding;
        const qint64 got = reader.read(buffer.get(), chunk, err);
        if (got < 0)
            return failed(err.number);
        // Fewer bytes than measured: the file shrank while being read.
        if (got < chunk)
            return failed(platform::ErrFileChanged);
        if (!platform::digestUpdate(context, buffer.get(), quint32(chunk)))
            return unavailable(algorithm);
        outstanding -= chunk;
        if (bytesDone)
            bytesDone->store(st.length - outstanding, std::memory_order_relaxed);
    }
    // A write during the read, behind the read position or past the end, shows in the size or time.
    platform::FileStat now;
    if (!reader.stat(now, err))
        return failed(err.number);
    reader.close();
    if (!sameState(now, st))
        return failed(platform::ErrFileChanged);
    unsigned char digest[platform::kMaxDigestBytes];
    const int length = platform::digestFinal(digest, context);
    if (length != digestByteLength(algorithm))
        return unavailable(algorithm);
    FileDigest d;
    d.hex = hexDigest(digest, length);
    return d;
}

FileDigest digestRegularFile(const QString &path, const platform::FileStat &st, const std::atomic_bool *abort,
                             std::atomic<qint64> *bytesDone, const platform::FolderHandle *folder,
                             DigestAlgorithm algorithm)
{
    platform::FileError err;
    platform::BinaryReader reader;
    const bool opened = folder ? reader.openIn(*folder, path.mid(path.lastIndexOf(platform::kSeparator) + 1), err)
                               : reader.open(path, err);
    if (!opened)
        return failed(err.number);
    // The file opened must be the one measured, in the state measured.
    const platform::FileStat &now = reader.openedStat();
    if (!sameState(now, st) || (st.inode != 0 && (now.inode != st.inode || now.device != st.device)))
        return failed(platform::ErrFileChanged);
    return digestOpened(reader, st, abort, bytesDone, algorithm);
}

// What a file examined without being opened gives: no digest, or the reason the open gave.
FileDigest unopenedDigest(const platform::FileStat &st, int openError)
{
    switch (st.kind) {
    case platform::EntryKind::Folder:
        return noDigest(DigestFolder, QStringLiteral("Folder, not file"));
    case platform::EntryKind::Special:
        return failed(platform::ErrNotRegularFile);
    default:
        return st.length == 0 ? noDigest(DigestZeroLength, zeroLengthText()) : failed(openError);
    }
}

} // namespace

bool digestAvailable(DigestAlgorithm algorithm)
{
    platform::DigestContext context;
    unsigned char digest[platform::kMaxDigestBytes];
    return platform::digestInit(context, hashFunction(algorithm))
        && platform::digestFinal(digest, context) == digestByteLength(algorithm);
}

QString zeroLengthText()
{
    return QStringLiteral("Zero-length file");
}

FileDigest digestOfFile(const QString &path, const std::atomic_bool *abort, std::atomic<qint64> *bytesDone,
                        DigestAlgorithm algorithm)
{
    if (path.isEmpty())
        return noDigest(DigestEmptyPath, QString());
    // A path here has no drive letters, so the bare-drive status (-3) never arises.
    if (platform::folderExists(path))
        return noDigest(DigestFolder, QStringLiteral("Folder, not file"));
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(path, st, err))
        return failed(err.number);
    return digestOfExaminedFile(path, st, abort, bytesDone, nullptr, algorithm);
}

FileDigest digestOfExaminedFile(const QString &path, const platform::FileStat &st, const std::atomic_bool *abort,
                                std::atomic<qint64> *bytesDone, const platform::FolderHandle *folder,
                                DigestAlgorithm algorithm)
{
    switch (st.kind) {
    case platform::EntryKind::Missing:
        return failed(platform::ErrFileNotFound);
    case platform::EntryKind::Folder:
        return noDigest(DigestFolder, QStringLiteral("Folder, not file"));
    case platform::EntryKind::Special:
        // Opening a FIFO waits for a writer; devices and sockets have no content to digest.
        return failed(platform::ErrNotRegularFile);
    case platform::EntryKind::File:
        break;
    }
    if (st.length == 0)
        return noDigest(DigestZeroLength, zeroLengthText());
    return digestRegularFile(path, st, abort, bytesDone, folder, algorithm);
}

ListedFileDigest digestOfListedFile(const platform::FolderHandle &folder, const QString &name, qint64 readLimit,
                                    const std::atomic_bool *abort, std::atomic<qint64> *bytesDone,
                                    std::atomic<qint64> *length, DigestAlgorithm algorithm)
{
    ListedFileDigest out;
    platform::FileError err;
    platform::BinaryReader reader;
    if (!reader.openIn(folder, name, err)) {
        platform::FileError statErr;
        if (!platform::statIn(folder, name, out.st, statErr)) {
            if (statErr.number == platform::ErrFileNotFound)
                out.digest = failed(statErr.number);
            else
                out.examineError = statErr.number;
        } else {
            out.digest = unopenedDigest(out.st, err.number);
        }
        return out;
    }
    out.st = reader.openedStat();
    if (length)
        length->store(out.st.length, std::memory_order_relaxed);
    if (out.st.length == 0)
        out.digest = noDigest(DigestZeroLength, zeroLengthText());
    else if (readLimit >= 0 && out.st.length > readLimit)
        out.digest = noDigest(DigestNotRead, QString());
    else
        out.digest = digestOpened(reader, out.st, abort, bytesDone, algorithm);
    return out;
}

} // namespace cheqora
