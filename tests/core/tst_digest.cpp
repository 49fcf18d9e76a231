#include "digest.h"
#include "filefixtures.h"
#include "strproc.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora::test;

namespace {

// "digest|status|text" of GetDSOfFile, or of GetDSOfExaminedFile when st is given. Status and text
// start stale, so a result that leaves them alone shows.
QString digestOf(const QString &path, const platform::FileStat *st = nullptr)
{
    int status = 12345;
    QString text = u"stale"_s;
    const QString digest = st ? cheqora::GetDSOfExaminedFile(path, *st, status, text) : cheqora::GetDSOfFile(path, status, text);
    return u"%1|%2|%3"_s.arg(digest).arg(status).arg(text);
}

} // namespace

class TestDigest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_savedCwd;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

private slots:
    // The tests run inside the fixture folder, so that two-character names such as "C:" can be tried.
    void initTestCase()
    {
        m_savedCwd = QDir::currentPath();
        QVERIFY(m_dir.isValid() && QDir::setCurrent(m_dir.path()) && QDir().mkdir(u"a folder"_s));
        QVERIFY(makeSymlink(path(u"gone"_s), path(u"dangling"_s)));
        QVERIFY(writeBytes(path(u"plain"_s), "x") && makeFifo(path(u"fifo"_s)));
    }

    void cleanupTestCase() { QDir::setCurrent(m_savedCwd); }

    // Every status, and the RFC 1321 test suite written in upper case; a row with content writes it to
    // the path first. No row leaves a descriptor open. Nobody writes to the FIFO: an engine that opened
    // it would wait until the runner's timeout, so that row cannot pass by accident.
    void digestsAndStatuses_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("result");
        QTest::newRow("rfc a") << u"rfc"_s << QByteArray("a") << u"0CC175B9C0F1B6A831C399E269772661|0|"_s;
        QTest::newRow("rfc message digest") << u"rfc"_s << QByteArray("message digest") << u"F96B697D7CB7938D525A2F31AAF161D0|0|"_s;
        QTest::newRow("rfc alphabet") << u"rfc"_s << QByteArray("abcdefghijklmnopqrstuvwxyz") << u"C3FCD3D76192E4007DFB496CCA67E13B|0|"_s;
        QTest::newRow("rfc alphanumerics") << u"rfc"_s << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                           << u"D174AB98D277D9F5A5611C2C9F419D9F|0|"_s;
        QTest::newRow("rfc digits") << u"rfc"_s << QByteArray("1234567890").repeated(8) << u"57EDF4A22BE3C955AC49DA2E2107B67A|0|"_s;
        QTest::newRow("empty path") << QString() << QByteArray() << u"|-4|"_s;
        QTest::newRow("folder with separator") << u"a folder/"_s << QByteArray() << u"|-2|Folder, not file"_s;
        QTest::newRow("folder, blanks around") << u"  a folder  "_s << QByteArray() << u"|-2|Folder, not file"_s;
        QTest::newRow("root") << u"/"_s << QByteArray() << u"|-2|Folder, not file"_s;
        QTest::newRow("zero length") << u"empty"_s << QByteArray("") << u"|-1|Zero-length file"_s;
        QTest::newRow("missing") << u"none"_s << QByteArray() << u"|53|File not found"_s;
        QTest::newRow("dangling link") << u"dangling"_s << QByteArray() << u"|53|File not found"_s;
        QTest::newRow("under a file") << u"plain/inner"_s << QByteArray() << u"|76|Path not found"_s;
        // No drives here: a two-character name ending in ":" is a name like any other.
        QTest::newRow("rfc abc, in a drive-like name") << u"C:"_s << QByteArray("abc") << u"900150983CD24FB0D6963F7D28E17F72|0|"_s;
        QTest::newRow("fifo") << u"fifo"_s << QByteArray() << u"|1001|Not a regular file"_s;
        QTest::newRow("device") << u"/dev/zero"_s << QByteArray() << u"|1001|Not a regular file"_s;
    }

    void digestsAndStatuses()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(QString, result);
        if (!content.isNull())
            QVERIFY(writeBytes(path, content));
        const int before = openDescriptorCount();
        QCOMPARE(digestOf(path), result);
        QCOMPARE(openDescriptorCount(), before);
    }

    // Sizes around the 16384-byte block, cross-checked against md5sum.
    void matchesMd5sum()
    {
        for (int size : {63, 64, 16383, 16384, 16385, 1000003}) {
            QVERIFY(writeBytes(path(u"random"_s), randomBytes(size, quint32(size))));
            const QString expected = md5sumOf(path(u"random"_s));
            QVERIFY2(!expected.isEmpty(), "md5sum could not be run");
            QCOMPARE(digestOf(path(u"random"_s)), expected + u"|0|"_s);
        }
    }

    // What was measured before the read must hold after it: a file whose length or modification time
    // differs (it shrank, grew, or was rewritten since it was measured) gets no digest.
    void changedWhileRead()
    {
        const QByteArray data = randomBytes(20000, 9);
        QVERIFY(writeBytes(path(u"changing"_s), data));
        platform::FileStat now;
        platform::FileError err;
        QVERIFY(platform::statPath(path(u"changing"_s), now, err));
        const QString md5 = QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper());
        const QString changed = u"|1002|File changed while being read"_s;
        for (const auto &[length, nsecs, result] : {std::tuple{20000, 0, md5 + u"|0|"_s}, {20001, 0, changed},
                                                    {16384, 0, changed}, {100, 0, changed}, {20000, 1, changed}}) {
            platform::FileStat st = now;
            st.length = length;
            st.modifiedNsecs += nsecs;
            const int before = openDescriptorCount();
            QCOMPARE(digestOf(path(u"changing"_s), &st), result);
            QCOMPARE(openDescriptorCount(), before);
        }
    }

    // A walk examined the path earlier; what stands there by the time of the digest is not trusted.
    void examinedPathIsNotTrusted()
    {
        const platform::FileStat st{platform::EntryKind::File, 10};
        QCOMPARE(digestOf(path(u"fifo"_s), &st), u"|1001|Not a regular file"_s);
        QCOMPARE(digestOf(path(u"vanished"_s), &st), u"|53|File not found"_s);
    }

    // Lengths past 2 GiB do not fit 32 bits; the file must still be measured and digested whole. The
    // file is sparse, so it takes no disk space; marks at both ends show the ends are read.
    void fileOverTwoGiB()
    {
        const QString file = path(u"big.bin"_s);
        const qint64 size = (Q_INT64_C(1) << 31) + 5;
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("head") == 4 && f.seek(size - 4) && f.write("tail") == 4);
        f.close();
        QVERIFY(setModified(file, utc(2026, 5, 12, 9, 30, 5)));
        QCOMPARE(cheqora::FormatSizeDateTime(file, true), u"2026-05-12 09:30:05, 2,147,483,653 bytes"_s);
        const QString expected = md5sumOf(file);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(digestOf(file), expected + u"|0|"_s);
        QVERIFY(QFile::remove(file));
    }
};

CHEQORA_TEST_MAIN(TestDigest)
#include "tst_digest.moc"
