#include "digest.h"
#include "filefixtures.h"
#include "md5adapter.h"
#include "strproc.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cerrno>

using namespace cheqora::test;
using cheqora::GetDSOfExaminedFile;
using cheqora::GetDSOfFile;

namespace {

struct Result {
    QString digest;
    int status = 12345;
    QString text = QStringLiteral("stale");
};

Result digestOf(const QString &path, const std::atomic_bool *abort = nullptr)
{
    Result r;
    r.digest = GetDSOfFile(path, r.status, r.text, abort);
    return r;
}

Result examined(const QString &path, const platform::FileStat &st)
{
    Result r;
    r.digest = GetDSOfExaminedFile(path, st, r.status, r.text);
    return r;
}

QString md5Of(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper());
}

} // namespace

class TestDigest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The test suite of RFC 1321, digested from files and written in upper case.
    void rfc1321Suite_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("digest");
        QTest::newRow("a") << QByteArray("a") << QStringLiteral("0CC175B9C0F1B6A831C399E269772661");
        QTest::newRow("abc") << QByteArray("abc") << QStringLiteral("900150983CD24FB0D6963F7D28E17F72");
        QTest::newRow("message digest") << QByteArray("message digest")
                                        << QStringLiteral("F96B697D7CB7938D525A2F31AAF161D0");
        QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                                  << QStringLiteral("C3FCD3D76192E4007DFB496CCA67E13B");
        QTest::newRow("alphanumerics")
            << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
            << QStringLiteral("D174AB98D277D9F5A5611C2C9F419D9F");
        QTest::newRow("digits")
            << QByteArray("12345678901234567890123456789012345678901234567890123456789012345678901234567890")
            << QStringLiteral("57EDF4A22BE3C955AC49DA2E2107B67A");
    }

    void rfc1321Suite()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, digest);
        const QString file = path(QStringLiteral("rfc-") + QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(writeBytes(file, message));
        const Result r = digestOf(file);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.text, QString());
        QCOMPARE(r.digest, digest);
    }

    // The empty message of the suite cannot come from a file (an empty file has no digest), so the
    // adapter is asked directly; it also shows that one context serves digest after digest.
    void adapterEmptyMessageAndReuse()
    {
        platform::MD5Context context;
        unsigned char out[16];
        platform::MD5Init2(context);
        platform::MD5Final2(out, context);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out), 16).toHex(),
                 QByteArray("d41d8cd98f00b204e9800998ecf8427e"));
        platform::MD5Init2(context);
        platform::MD5Update2(context, "ab", 2);
        platform::MD5Update2(context, "c", 1);
        platform::MD5Final2(out, context);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out), 16).toHex(),
                 QByteArray("900150983cd24fb0d6963f7d28e17f72"));
        // A digest left unfinished does not leak into the next one.
        platform::MD5Init2(context);
        platform::MD5Update2(context, "garbage", 7);
        platform::MD5Init2(context);
        platform::MD5Update2(context, "a", 1);
        platform::MD5Final2(out, context);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out), 16).toHex(),
                 QByteArray("0cc175b9c0f1b6a831c399e269772661"));
    }

    // Sizes around the 16384-byte block, cross-checked against md5sum.
    void matchesMd5sum_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {1, 2, 63, 64, 65, 16383, 16384, 16385, 32767, 32768, 32769, 49152, 1000003})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void matchesMd5sum()
    {
        QFETCH(int, size);
        const QString file = path(QStringLiteral("random-%1").arg(size));
        QVERIFY(writeBytes(file, randomBytes(size, quint32(size))));
        const QString expected = md5sumOf(file);
        QVERIFY2(!expected.isEmpty(), "md5sum could not be run");
        const Result r = digestOf(file);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.digest, expected);
        static const QRegularExpression form(QStringLiteral("^[0-9A-F]{32}$"));
        QVERIFY(form.match(r.digest).hasMatch());
    }

    void sameContentSameDigest()
    {
        const QByteArray data = randomBytes(20000, 11);
        QVERIFY(writeBytes(path(QStringLiteral("same1")), data));
        QVERIFY(writeBytes(path(QStringLiteral("same2")), data));
        QByteArray changed = data;
        changed[changed.size() - 1] = char(changed.at(changed.size() - 1) ^ 1);
        QVERIFY(writeBytes(path(QStringLiteral("other")), changed));
        const QString d1 = digestOf(path(QStringLiteral("same1"))).digest;
        QCOMPARE(d1.size(), 32);
        QCOMPARE(digestOf(path(QStringLiteral("same2"))).digest, d1);
        QVERIFY(digestOf(path(QStringLiteral("other"))).digest != d1);
    }

    void emptyPath()
    {
        const Result r = digestOf(QString());
        QCOMPARE(r.status, -4);
        QCOMPARE(r.text, QString());
        QCOMPARE(r.digest, QString());
    }

    void folder_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("plain") << QString() << QString();
        QTest::newRow("trailing separator") << QStringLiteral("/") << QString();
        QTest::newRow("blank after") << QStringLiteral(" ") << QString();
        QTest::newRow("blanks around") << QStringLiteral("  ") << QStringLiteral("  ");
    }

    void folder()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, prefix);
        const QString sub = path(QStringLiteral("a folder"));
        QVERIFY(QDir().mkpath(sub));
        const Result r = digestOf(prefix + sub + suffix);
        QCOMPARE(r.status, -2);
        QCOMPARE(r.text, QStringLiteral("Folder, not file"));
        QCOMPARE(r.digest, QString());
    }

    void rootAndLinkToFolderAreFolders()
    {
        QCOMPARE(digestOf(QStringLiteral("/")).status, -2);
        QVERIFY(QDir().mkpath(path(QStringLiteral("target"))));
        QVERIFY(makeSymlink(path(QStringLiteral("target")), path(QStringLiteral("link-to-folder"))));
        QCOMPARE(digestOf(path(QStringLiteral("link-to-folder"))).status, -2);
    }

    void zeroLength()
    {
        const QString file = path(QStringLiteral("empty"));
        QVERIFY(writeBytes(file, QByteArray()));
        const Result r = digestOf(file);
        QCOMPARE(r.status, -1);
        QCOMPARE(r.text, QStringLiteral("Zero-length file"));
        QCOMPARE(r.digest, QString());
    }

    void notFound()
    {
        const Result r = digestOf(path(QStringLiteral("no such file")));
        QCOMPARE(r.status, 53);
        QCOMPARE(r.text, QStringLiteral("File not found"));
        QCOMPARE(r.digest, QString());

        QVERIFY(makeSymlink(path(QStringLiteral("gone")), path(QStringLiteral("dangling"))));
        QCOMPARE(digestOf(path(QStringLiteral("dangling"))).status, 53);

        QVERIFY(writeBytes(path(QStringLiteral("plain")), "x"));
        const Result under = digestOf(path(QStringLiteral("plain/inner")));
        QCOMPARE(under.status, 76);
        QCOMPARE(under.text, QStringLiteral("Path not found"));
        QCOMPARE(under.digest, QString());
    }

    // There are no drives here: "C:" is a name like any other, never the bare-drive status.
    void driveStatusNeverArises()
    {
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        const Result missing = digestOf(QStringLiteral("C:"));
        QVERIFY(writeBytes(QStringLiteral("C:"), "abc"));
        const Result present = digestOf(QStringLiteral("C:"));
        QVERIFY(QDir::setCurrent(saved));
        QCOMPARE(missing.status, 53);
        QCOMPARE(present.status, 0);
        QCOMPARE(present.digest, QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    }

    // Nobody ever writes to this FIFO: an engine that opened it for reading would wait here until the
    // runner's timeout kills the test, so the test cannot pass by accident.
    void fifoIsNeverOpened()
    {
        const QString fifo = path(QStringLiteral("fifo"));
        QVERIFY(makeFifo(fifo));
        const int before = openDescriptorCount();
        const Result r = digestOf(fifo);
        QCOMPARE(r.status, int(platform::ErrNotRegularFile));
        QCOMPARE(r.text, QStringLiteral("Not a regular file"));
        QCOMPARE(r.digest, QString());
        QCOMPARE(openDescriptorCount(), before);
        // No read end is left open: a writer that does not wait finds no reader.
        const int fd = ::open(platform::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        const int openErrno = errno;
        if (fd >= 0)
            ::close(fd);
        QCOMPARE(fd, -1);
        QCOMPARE(openErrno, ENXIO);
    }

    void deviceIsNotRegular()
    {
        const Result r = digestOf(QStringLiteral("/dev/zero"));
        QCOMPARE(r.status, int(platform::ErrNotRegularFile));
        QCOMPARE(r.digest, QString());
    }

    void statusIsResetOnSuccess()
    {
        const QString file = path(QStringLiteral("ok"));
        QVERIFY(writeBytes(file, "a"));
        int status = 53;
        QString text = QStringLiteral("File not found");
        const QString digest = GetDSOfFile(file, status, text);
        QCOMPARE(status, 0);
        QCOMPARE(text, QString());
        QCOMPARE(digest, QStringLiteral("0CC175B9C0F1B6A831C399E269772661"));
    }

    // The file yields fewer bytes than were measured: hashing the stale buffer would give a digest of
    // bytes that are not the file's.
    void shrunkFileHasNoDigest_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("measured");
        QTest::newRow("one byte short in the last block") << 20000 << 20001;
        QTest::newRow("a whole block short") << 16384 << 32768;
        QTest::newRow("short within the first block") << 10 << 100;
    }

    void shrunkFileHasNoDigest()
    {
        QFETCH(int, size);
        QFETCH(int, measured);
        const QString file = path(QStringLiteral("shrinking"));
        QVERIFY(writeBytes(file, randomBytes(size, 5)));
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(file, st, err));
        st.length = measured;
        const int before = openDescriptorCount();
        const Result r = examined(file, st);
        QCOMPARE(r.status, int(platform::ErrFileChanged));
        QCOMPARE(r.text, QStringLiteral("File changed while being read"));
        QCOMPARE(r.digest, QString());
        QCOMPARE(openDescriptorCount(), before);
    }

    // A file that grew is digested over the length it had when it was measured.
    void grownFileIsDigestedOverMeasuredLength_data()
    {
        QTest::addColumn<int>("measured");
        QTest::newRow("within a block") << 100;
        QTest::newRow("one block") << 16384;
        QTest::newRow("a block and a bit") << 16390;
    }

    void grownFileIsDigestedOverMeasuredLength()
    {
        QFETCH(int, measured);
        const QByteArray data = randomBytes(40000, 9);
        const QString file = path(QStringLiteral("growing"));
        QVERIFY(writeBytes(file, data));
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(file, st, err));
        st.length = measured;
        const Result r = examined(file, st);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.digest, md5Of(data.left(measured)));
    }

    void examinedFileKinds()
    {
        platform::FileStat st;
        st.kind = platform::EntryKind::Missing;
        Result r = examined(path(QStringLiteral("whatever")), st);
        QCOMPARE(r.status, 53);
        QCOMPARE(r.text, QStringLiteral("File not found"));

        st.kind = platform::EntryKind::Folder;
        r = examined(m_dir.path(), st);
        QCOMPARE(r.status, -2);
        QCOMPARE(r.text, QStringLiteral("Folder, not file"));

        st.kind = platform::EntryKind::Special;
        r = examined(path(QStringLiteral("whatever")), st);
        QCOMPARE(r.status, int(platform::ErrNotRegularFile));

        st.kind = platform::EntryKind::File;
        st.length = 0;
        r = examined(path(QStringLiteral("whatever")), st);
        QCOMPARE(r.status, -1);

        // The walk saw a file, but by the time of the digest a FIFO stands there.
        const QString swapped = path(QStringLiteral("swapped"));
        QVERIFY(makeFifo(swapped));
        st.length = 10;
        r = examined(swapped, st);
        QCOMPARE(r.status, int(platform::ErrNotRegularFile));
        QCOMPARE(r.digest, QString());

        // ...or nothing at all.
        r = examined(path(QStringLiteral("vanished")), st);
        QCOMPARE(r.status, 53);
    }

    void permissionDenied()
    {
        if (::geteuid() == 0)
            QSKIP("root can read every file");
        const QString file = path(QStringLiteral("locked"));
        QVERIFY(writeBytes(file, "secret"));
        QVERIFY(::chmod(platform::encodeName(file).constData(), 0) == 0);
        const int before = openDescriptorCount();
        const Result r = digestOf(file);
        QCOMPARE(r.status, 70);
        QCOMPARE(r.text, QStringLiteral("Permission denied"));
        QCOMPARE(r.digest, QString());
        QCOMPARE(openDescriptorCount(), before);
    }

    void abortFlag()
    {
        const QString file = path(QStringLiteral("abortable"));
        QVERIFY(writeBytes(file, randomBytes(50000, 2)));
        std::atomic_bool stop{true};
        const int before = openDescriptorCount();
        Result r = digestOf(file, &stop);
        QCOMPARE(r.status, int(platform::ErrInterrupted));
        QCOMPARE(r.text, QStringLiteral("Interrupted"));
        QCOMPARE(r.digest, QString());
        QCOMPARE(openDescriptorCount(), before);
        stop = false;
        r = digestOf(file, &stop);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.digest, md5sumOf(file));
    }

    // Lengths past 2 GiB do not fit 32 bits; the file must still be measured and digested whole. The
    // file is sparse, so it takes no disk space; marks at both ends show the ends are read.
    void fileOverTwoGiB()
    {
        const QString file = path(QStringLiteral("big.bin"));
        const qint64 size = (Q_INT64_C(1) << 31) + 5;
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write("head") == 4);
            QVERIFY(f.resize(size - 4));
            QVERIFY(f.seek(size - 4));
            QVERIFY(f.write("tail") == 4);
        }
        QVERIFY(setModified(file, utc(2026, 5, 12, 9, 30, 5)));
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(file, st, err));
        QCOMPARE(st.length, size);
        QCOMPARE(cheqora::FormatSizeDateTime(file, true), QStringLiteral("2026-05-12 09:30:05, 2,147,483,653 bytes"));
        const Result r = digestOf(file);
        QCOMPARE(r.status, 0);
        const QString expected = md5sumOf(file);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(r.digest, expected);
        QVERIFY(QFile::remove(file));
    }
};

CHEQORA_TEST_MAIN(TestDigest)
#include "tst_digest.moc"
