#include "digest.h"
#include "digestlist.h"
#include "filefixtures.h"
#include "publisheddigest.h"
#include "strproc.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora;
using namespace cheqora::test;

namespace {

// "digest|status|text" of digestOfFile, or of digestOfExaminedFile when st is given.
QString digestOf(const QString &path, const platform::FileStat *st = nullptr)
{
    const FileDigest d = st ? cheqora::digestOfExaminedFile(path, *st) : cheqora::digestOfFile(path);
    return u"%1|%2|%3"_s.arg(d.hex).arg(d.status).arg(d.statusText);
}

const QByteArray kAbc = "900150983cd24fb0d6963f7d28e17f72"; // MD5 of "abc"

QString time(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC).toString(Qt::ISODate);
}

// Entries as "path=digest(6 digits)|!status|dir!status|dir|skipped[@size,time][#line]", joined by " | ".
QString render(const QVector<DigestListEntry> &entries, bool lines = true)
{
    QStringList out;
    for (const DigestListEntry &e : entries) {
        QString s = e.relativePath + u'=';
        if (e.kind == DigestListEntry::Kind::Digest)
            s += QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(e.digest.data()), 3).toHex());
        else
            s += e.kind == DigestListEntry::Kind::Skipped ? u"skipped"_s
                : e.kind == DigestListEntry::Kind::Subfolder ? u"dir"_s
                : (e.kind == DigestListEntry::Kind::FolderNotRead ? u"dir!"_s : u"!"_s) + e.status;
        if (e.statRecorded)
            s += u'@' + QString::number(e.length) + u',' + time(e.modifiedSecs);
        out << (lines ? s + u'#' + QString::number(e.line) : s);
    }
    return out.join(u" | "_s);
}

QVector<DigestListEntry> entriesOf(const DigestList &list)
{
    QVector<DigestListEntry> out;
    for (qsizetype i = 0; i < list.count(); ++i)
        out << list.entry(i);
    return out;
}

} // namespace

class TestDigest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_savedCwd;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }
    QString listFile(const QByteArray &content)
    {
        const QString path = m_dir.path() + u"/list.md5"_s;
        if (!writeBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

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

    // Every algorithm against Qt's own hashes, across the read block, and its names read back; a name
    // of no algorithm is refused.
    void everyAlgorithm()
    {
        const QCryptographicHash::Algorithm qt[] = {QCryptographicHash::Md5, QCryptographicHash::Sha1,
                                                    QCryptographicHash::Sha256, QCryptographicHash::Sha512,
                                                    QCryptographicHash::Blake2b_512};
        for (int size : {1, (1 << 20) + 3}) {
            const QByteArray data = randomBytes(size, quint32(size));
            QVERIFY(writeBytes(path(u"random"_s), data));
            for (DigestAlgorithm a : allAlgorithms()) {
                const FileDigest d = digestOfFile(path(u"random"_s), nullptr, nullptr, a);
                QCOMPARE(d.hex, QString::fromLatin1(QCryptographicHash::hash(data, qt[int(a)]).toHex().toUpper()));
                QCOMPARE(d.hex.size(), digestHexLength(a));
                QCOMPARE(emptyContentDigest(a), QString::fromLatin1(QCryptographicHash::hash({}, qt[int(a)]).toHex().toUpper()));
                DigestAlgorithm named = DigestAlgorithm::Md5, tagged = DigestAlgorithm::Md5;
                QVERIFY(algorithmFromName(algorithmName(a).toUpper(), named) && named == a);
                QVERIFY(algorithmFromTag(algorithmTag(a), tagged) && tagged == a);
            }
        }
        DigestAlgorithm a;
        QVERIFY(!algorithmFromName(u"sha-256"_s, a) && !algorithmFromName(QString(), a) && !algorithmFromTag(u"Sha256"_s, a));
    }

    // A longer digest is held once: the same digest gives an equal field however often it comes, the
    // field's text gives it back, and a table keeps to the length it began with.
    void pooledDigests()
    {
        DigestFieldTexts texts;
        const auto hex = [](int i) {
            return QString::fromLatin1(QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Sha256).toHex().toUpper());
        };
        QVector<DigestField> fields;
        for (int i = 0; i < 20000; ++i) // past the first block of the pool and many growths of its index
            fields << texts.fieldForDigest(hex(i));
        for (int i = 0; i < 20000; ++i) {
            const DigestField again = texts.fieldForDigest(hex(i));
            QVERIFY(again == fields[i] && again.kind == DigestField::Digest && texts.text(fields[i]) == hex(i));
        }
        QCOMPARE(texts.text(texts.fieldForDigest(QString(32, u'A'))), QString(32, u'A'));
        QCOMPARE(texts.fieldForDigest(QString(128, u'A')).kind, DigestField::Failed);
    }

    // A digest pasted as people publish it, checked against the 1st file's: the forms and cases read,
    // and what is not checked (another algorithm's length, no algorithm's, no digest of the file).
    void pastedDigest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("verdict");
        const QString abc = QString::fromLatin1(kAbc), ABC = abc.toUpper();
        const QString sha256 = u"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"_s;
        const QString match = u"Match: the 1st file has this MD5 digest."_s;
        const int md5 = int(DigestAlgorithm::Md5);
        QTest::newRow("nothing pasted") << u" \t "_s << md5 << ABC << QString();
        QTest::newRow("bare, lower case, blanks") << u"  "_s + abc + u" \n"_s << md5 << ABC << match;
        QTest::newRow("line with a name") << abc + u"  a b.iso"_s << md5 << ABC << match;
        QTest::newRow("binary marker") << abc + u" *a.iso"_s << md5 << ABC << match;
        QTest::newRow("escaped name") << u"\\"_s + abc + u"  a\\nb"_s << md5 << ABC << match;
        QTest::newRow("tagged") << u"MD5 (x) = y) = "_s + abc << md5 << ABC << match;
        QTest::newRow("other digest") << u"D41D8CD98F00B204E9800998ECF8427E"_s << md5 << ABC
                                      << u"No match: the 1st file's MD5 digest is different."_s;
        QTest::newRow("SHA-256 in tag") << u"SHA256 (abc) = "_s + sha256.toLower() << int(DigestAlgorithm::Sha256)
                                        << sha256 << u"Match: the 1st file has this SHA-256 digest."_s;
        QTest::newRow("SHA-256 against MD5") << sha256 << md5 << ABC
            << u"Not checked: a digest of 64 digits is SHA-256, not MD5; choose SHA-256 to check it."_s;
        QTest::newRow("128 digits against SHA-1") << QString(128, u'a') << int(DigestAlgorithm::Sha1) << QString()
            << u"Not checked: a digest of 128 digits is SHA-512 or BLAKE2b, not SHA-1; choose SHA-512 or BLAKE2b to check it."_s;
        QTest::newRow("no algorithm's length") << abc.left(30) << md5 << ABC
            << u"Not a digest: no supported algorithm has 30 hexadecimal digits (MD5 has 32, SHA-1 40, SHA-256 64, SHA-512 and BLAKE2b 128)."_s;
        QTest::newRow("not hexadecimal") << u"0x"_s + abc << md5 << ABC
            << u"Not a digest: paste hexadecimal digits, alone or followed by a file name."_s;
        QTest::newRow("file unread") << abc << md5 << QString() << u"Not checked: the 1st file has no MD5 digest."_s;
        QTest::newRow("empty file") << u"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"_s
                                    << int(DigestAlgorithm::Sha256) << emptyContentDigest(DigestAlgorithm::Sha256)
                                    << u"Match: the 1st file has this SHA-256 digest."_s;
    }

    void pastedDigest()
    {
        QFETCH(QString, text);
        QFETCH(int, algorithm);
        QFETCH(QString, file);
        QFETCH(QString, verdict);
        QCOMPARE(pastedDigestVerdict(text, DigestAlgorithm(algorithm), file), verdict);
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
        QCOMPARE(cheqora::sizeDateTimeText(file, true), u"2026-05-12 09:30:05, 2,147,483,653 bytes"_s);
        const QString expected = md5sumOf(file);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(digestOf(file), expected + u"|0|"_s);
        QVERIFY(QFile::remove(file));
    }

    // Digest lists: what the reader accepts, each error with its line, the records a walk would give,
    // and a list of a real folder written, read back and verified by md5sum.
    // What a list reads as: its entries and header, or its first error with the line.
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // entries; ", line N: error" for an error
        QTest::addColumn<QString>("header"); // folder|program|date|recursive|skip-mb of its own lists; "" = the list's folder
        QTest::addColumn<QString>("given"); // the algorithm the reader is told; "" none
        const auto row = [](const char *name, const QByteArray &content, const QString &expected, const QString &header = {},
                            const QString &given = {}) { QTest::newRow(name) << content << expected << header << given; };
        const auto bad = [](const char *name, const QByteArray &content, int line, const QString &what, const QString &given = {}) {
            QTest::newRow(name) << content << u", line %1: "_s.arg(line) + what << QString() << given;
        };
        // Digests of other algorithms, and lines as sha256sum --tag and md5sum --tag write them.
        const QByteArray h40 = kAbc + "a9993e36", h64 = kAbc + kAbc, h128 = h64 + h64;
        const QByteArray own = "#: Cheqora digest list 1\n", file = "#: file 3 2026-01-01T00:00:00Z";
        const QByteArray own2 = "#: Cheqora digest list 2\n#: folder /f\n#: recursive yes\n", two = own2 + kAbc + "  a\n#: subfolder s\n";
        const QByteArray tagged = "SHA256 (a) = " + h64 + "\n\\SHA256 (n\\nl) = " + h64 + "\nSHA256 (x) = y) = " + h64 + "\n";
        const QString notAList = u" is neither a folder nor a digest list"_s, cut = u": the list is cut short after line %1"_s;
        const QString noDigestLine = u"a \"#: file\" line must be followed by its digest line"_s, badOwn = u"not a valid \"#:\" line"_s;
        row("md5sum: two blanks, binary marker, CR LF, upper case, ./ and //, bytes not UTF-8",
            kAbc + "  a b.txt\n900150983CD24FB0D6963F7D28E17F72 *bin\r\nD41D8CD98F00B204E9800998ECF8427E  e\r\n" + kAbc
                + "  ./sub//x\n" + kAbc + "  caf\xE9\n",
            u"a b.txt=900150#1 | bin=900150#2 | e=d41d8c#3 | sub/x=900150#4 | caf"_s + QChar(0xDCE9) + u"=900150#5"_s);
        row("byte-order mark, one blank, name led by a blank, no final line feed",
            "\xEF\xBB\xBF" + kAbc + " one\n" + kAbc + "   lead", u"one=900150#1 |  lead=900150#2"_s);
        row("blank lines, comments, another program's #: lines", "# hand\n\n   \n\t\n" + kAbc + "  x\n" + file, u"x=900150#5"_s);
        row("md5sum escapes; \\ without the escape mark", "\\" + kAbc + "  a\\\\b\\nc\\rd\n" + kAbc + "  a\\nb\n",
            u"a\\b\nc\rd=900150#1 | a\\nb=900150#2"_s);
        row("own list without entries: an empty folder", own2 + "#: entries 0\n", u""_s, u"/f||1970-01-01T00:00:00Z|yes|0"_s);
        row("counted list with a subfolder", two + "#: entries 2\n\n", u"a=900150#4 | s=dir#5"_s, u"/f||1970-01-01T00:00:00Z|yes|0"_s);
        // Nothing that could pass for a list of no files, and no cut list, is taken as one.
        row("empty file", "", notAList);
        row("only comments", "# nothing\n\n", notAList);
        row("text", "\nhello world\n" + kAbc + "  a\n", notAList + u" (line 2: not a digest line)"_s);
        row("sha256sum --tag, a name with ') = '", tagged, u"a=900150#1 | n\nl=900150#2 | x) = y=900150#3 ~sha256"_s);
        row("md5sum --tag, an escaped name", "MD5 (a) = " + kAbc + "\n\\MD5 (b\\\\s) = " + kAbc + "\n", u"a=900150#1 | b\\s=900150#2"_s);
        row("SHA1 tag", "SHA1 (a) = " + h40 + "\n", u"a=900150#1 ~sha1"_s);
        row("SHA512 tag", "SHA512 (a) = " + h128 + "\n", u"a=900150#1 ~sha512"_s);
        row("BLAKE2b tag, then untagged", "BLAKE2b (a) = " + h128 + "\n" + h128 + "  b\n", u"a=900150#1 | b=900150#2 ~blake2b"_s);
        row("untagged SHA-1 and SHA-256 by length", h64 + "  a\n" + h64 + " *b\n", u"a=900150#1 | b=900150#2 ~sha256"_s);
        row("128 digits named by the caller", h128 + "  a\n", u"a=900150#1 ~sha512"_s, {}, u"sha512"_s);
        row("own list of SHA-512", own2 + "#: algorithm sha512\n" + h128 + "  a\n#: entries 1\n", u"a=900150#5 ~sha512"_s,
            u"/f||1970-01-01T00:00:00Z|yes|0"_s);
        row("UTF-16", QByteArray("\xFF\xFE" "9\0" "0\0 \0 \0a\0\n\0", 14), notAList + u" (line 1: not a digest line)"_s);
        row("binary, no line breaks", QByteArray(kMaxListLineBytes + 2, '\x01'),
            notAList + u" (line 1: the line is longer than 1048576 bytes)"_s);
        row("counted list without its count", two, cut.arg(5));
        row("counted list cut in a line", two + "#: entr", cut.arg(5));
        row("count too high", two + "#: entries 3\n", cut.arg(6));
        row("count too low", two + "#: entries 1\n", cut.arg(6));
        row("own list, after blank lines",
            "\n \r\n" + own + "#: program Cheqora 1.0\n#: folder /data/old\\\\set\n#: date 2026-12-07T01:06:52Z\n#: recursive yes\n"
                "#: extension\n#: skip-mb 5\n#: file 3 2024-02-29T23:59:59Z\n\\" + kAbc + "  odd\\nname\n"
                "#: skipped 6291456 1969-12-31T23:59:59Z big \"x\"\n#: not-read - - \"Permission \\\"denied\\\"\" sub/line\\nbreak\n"
                + kAbc + "  sub/plain\n",
            u"odd\nname=900150@3,2024-02-29T23:59:59Z#11 | big \"x\"=skipped@6291456,1969-12-31T23:59:59Z#12 | "
            "sub/line\nbreak=!Permission \"denied\"#13 | sub/plain=900150#14"_s,
            u"/data/old\\set|Cheqora 1.0|2026-12-07T01:06:52Z|yes|5"_s);
        bad("not a digest line", "# x\n" + kAbc + "  a\nhello world\n", 3, u"not a digest line"_s);
        bad("digest without a name", kAbc + "  a\n" + kAbc + "  \n", 2, u"not a digest line"_s);
        bad("lines after the count", two + "#: entries 2\n" + kAbc + "  b\n", 7, u"the list goes on after its \"#: entries\" line"_s);
        bad("31 digits", kAbc.left(31) + "  a\n", 1, u"the digest is not 32 hexadecimal digits"_s);
        bad("SHA-256 where MD5 is asked for", h64 + "  a\n", 1, u"this is a SHA-256 list, not an MD5 list"_s, u"md5"_s);
        bad("own MD5 list where SHA-256 is asked for", own2 + kAbc + "  a\n", 4, u"this is an MD5 list, not a SHA-256 list"_s, u"sha256"_s);
        bad("128 digits unnamed", h128 + "  a\n", 1,
            u"a digest of 128 hexadecimal digits is SHA-512 or BLAKE2b; name the list's algorithm (sha512 or blake2b) to read it"_s);
        bad("mixed: MD5 after SHA-256 tags", tagged + kAbc + "  b\n", 4, u"an MD5 digest in a SHA-256 list (line 1)"_s);
        bad("mixed: SHA1 tag in an own SHA-512 list", own2 + "#: algorithm sha512\nSHA1 (a) = " + h40 + "\n", 5,
            u"a SHA-1 digest in a SHA-512 list (line 4)"_s);
        bad("tag of a digest length not its own", "SHA1 (a) = " + kAbc + "\n", 1, u"the digest is not 40 hexadecimal digits"_s);
        bad("unknown tag", "SHA384 (a) = " + h64 + "\n", 1, u"the tag SHA384 names no algorithm this program knows"_s);
        bad("SHA-224", h64.left(56) + "  a\n", 1, u"this is a SHA-224 list, which this program cannot read"_s);
        bad("own: unknown algorithm", own2 + "#: algorithm md4\n", 4, u"the list's algorithm \"md4\" is not known"_s);
        bad("..", kAbc + "  a\n" + kAbc + "  sub/../../etc/passwd\n", 2, u"the path leaves the folder"_s);
        bad("absolute path", kAbc + "  /etc/passwd\n", 1, u"the path is absolute"_s);
        bad("folder", kAbc + "  sub/\n", 1, u"the path names a folder, not a file"_s);
        bad("unknown escape", "\\" + kAbc + "  a\\tb\n", 1, u"the file name holds an unknown escape"_s);
        bad("same path twice, before a later error", kAbc + "  a\n" + kAbc + "  b\n" + kAbc + "  A\n" + kAbc + "  ./b\n" + kAbc
            + "  a\nbad\n", 4, u"the path is listed twice (first on line 2)"_s);
        bad("line too long", kAbc + "  a\n" + kAbc + "  " + QByteArray(kMaxListLineBytes, 'x') + "\n", 2,
            u"the line is longer than 1048576 bytes"_s);
        bad("own: size and date without a digest line", own + file + "\n\n" + kAbc + "  a\n", 2, noDigestLine);
        bad("own: size and date at the end", own + file, 2, noDigestLine);
        bad("own: 30 February", own + "#: file 3 2026-02-30T00:00:00Z\n", 2, badOwn);
        bad("own: status without quotes", own + "#: not-read 1 2026-01-01T00:00:00Z denied a\n", 2, badOwn);
        bad("own: unknown keyword", own + "#: owner ann\n", 2, badOwn);
        bad("own: header twice", own + "#: folder /a\n#: folder /b\n", 3, u"the header line \"folder\" is repeated"_s);
        bad("own: format line after a comment", "# note\n" + own, 2, u"the list must begin with its \"#: Cheqora digest list\" line"_s);
        bad("own: newer format", "#: Cheqora digest list 3\n", 1, u"the list is in format 3, which this version cannot read"_s);
        row("no list file", QByteArray(), u": File not found"_s);
    }
    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QFETCH(QString, header);
        QFETCH(QString, given);
        const QString path = content.isNull() ? m_dir.path() + u"/none.md5"_s : listFile(content);
        DigestList list;
        QString err;
        DigestAlgorithm algorithm = DigestAlgorithm::Md5;
        QVERIFY(given.isEmpty() || algorithmFromName(given, algorithm));
        if (!list.read(path, err, {}, given.isEmpty() ? nullptr : &algorithm)) {
            QCOMPARE(err, path + expected + u'.');
            QCOMPARE(list.count(), 0);
            return;
        }
        const DigestListHeader &h = list.header();
        QCOMPARE(render(entriesOf(list)) + (h.algorithm == DigestAlgorithm::Md5 ? QString() : u" ~"_s + algorithmName(h.algorithm)),
                 expected);
        const QString own = QStringList{h.folder, h.program, time(h.createdSecs), h.recursive ? u"yes"_s : u"no"_s,
                                        QString::number(h.skipSizeMB)}.join(u'|');
        QCOMPARE(h.ownFormat ? own : h.folder, header.isEmpty() ? m_dir.path() + u'/' : header);
    }

    // The records a walk with the options would give: its files, its fields ("!" a status in place of
    // a digest the walk would read, "?" an entry never examined), its sizes.
    void records()
    {
        const QByteArray t = " 2026-01-01T00:00:00Z", file = "#: file ";
        DigestList list;
        QString err;
        QVERIFY2(list.read(listFile("#: Cheqora digest list 1\n" + file + "3" + t + "\n" + kAbc + "  top.txt\n" + file + "0" + t
                                    + "\nd41d8cd98f00b204e9800998ecf8427e  empty.TXT\n" + file + "2097153" + t + "\n" + kAbc
                                    + "  sub/big.txt\n" + file + "2097152" + t + "\n" + kAbc + "  sub/edge.txt\n#: not-read 4" + t
                                    + " \"Permission denied\" sub/locked.txt\n" + kAbc + "  sub/nostat.txt\n#: not-read - - \"Gone\" sub/x.txt\n"
                                    + "#: skipped 3000000" + t + " sub/s.dat\n"),
                           err),
                 qPrintable(err));
        const QString top = u"top.txt=900150@3 | empty.TXT=Zero-length file@0"_s;
        const QString sub = u" | sub/edge.txt=900150@2097152 | sub/locked.txt=Permission denied@4 | sub/nostat.txt=900150@-1"
                            " | sub/x.txt=?Gone@-1"_s;
        const QList<std::pair<WalkFilter, QString>> cases = {
            // A file the list skipped has no digest for a walk that would have read it.
            {{true, {}, 0}, top + u" | sub/big.txt=900150@2097153"_s + sub + u" | sub/s.dat=!Large file skipped@3000000"_s},
            {{false, {}, 0}, top}, // the top folder only
            {{true, u"*.txt"_s, 2}, top + u" | sub/big.txt=Large file skipped@2097153"_s + sub}, // any case; skip size
            {{true, u"*.dat"_s, 2}, u"sub/s.dat=Large file skipped@3000000"_s}, // skipped by both walks
        };
        for (const auto &[filter, expected] : cases) {
            DigestFieldTexts texts;
            QStringList out;
            forEachListRecord(list, filter, texts, [&](QStringView path, const DigestField &field, const platform::FileStat &st) {
                const QString text = texts.text(field);
                out << path.toString() + u'='
                        + (field.kind == DigestField::Unknown                           ? u"?"_s
                               : field.kind == DigestField::Failed && text.startsWith(u'L') ? u"!"_s
                                                                                            : QString())
                        + (field.textIndex ? text.trimmed() : text.left(6)) + u'@' + QString::number(st.length);
                return true;
            });
            QCOMPARE(out.join(u" | "_s), expected);
        }
    }

    // A real folder with awkward names: written as the walk would, read back unchanged, and verified
    // by md5sum from inside the folder.
    void roundTrip()
    {
        const QString root = m_dir.path() + u"/tree"_s;
        const auto removeRoot = qScopeGuard([&] { QProcess::execute(u"rm"_s, {u"-rf"_s, root}); }); // names not UTF-8
        const QStringList names{u"a b.txt"_s, u"back\\slash"_s, u"line\nbreak"_s, u"cr\rname"_s, u"caf"_s + QChar(0xDCE9),
                                u"Twin"_s,    u"twin"_s,        u"empty"_s,       u"\u00E9t\u00E9"_s, u"sub dir/deep \\ \n.txt"_s};
        QVector<DigestListEntry> written;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString path = root + u'/' + names.at(i);
            QVERIFY(QDir().mkpath(root + u"/sub dir"_s) && writeBytes(path, randomBytes(names.at(i) == u"empty"_s ? 0 : 100 + i, i)));
            platform::FileStat st;
            platform::FileError fe;
            QVERIFY(platform::statPath(path, st, fe));
            written << digestListEntryOf(names.at(i), st, false, digestOfExaminedFile(path, st));
        }
        using Kind = DigestListEntry::Kind;
        written << DigestListEntry{u"sub dir/huge \"iso\"\n"_s, Kind::Skipped, {}, {}, true, 6000000000, -86401}
                << DigestListEntry{u"sub dir/lost\\"_s, Kind::NotRead, {}, u"File \"not\" found\\\n"_s}
                << DigestListEntry{u"sub dir/locked \"x\""_s, Kind::FolderNotRead, {}, u"Permission denied"_s}
                << DigestListEntry{u"sub dir/empty \\ \n"_s, Kind::Subfolder, {}, {}};
        QString text = digestListHeaderText(DigestListHeader{true, u"Cheqora 1.0"_s, root + u"/line\nbreak\\"_s,
                                                               1765069612, true, u"txt"_s, 0});
        for (const DigestListEntry &e : std::as_const(written))
            text += digestListEntryText(e);
        text += digestListEndText(written.size());
        const QString path = root + u"/sub dir/list.md5"_s;
        QVERIFY(writeBytes(path, platform::encodeText(text)));

        DigestList list;
        QString err;
        QVERIFY2(list.read(path, err), qPrintable(err));
        QCOMPARE(list.header().folder + list.header().extension, root + u"/line\nbreak\\txt"_s);
        QCOMPARE(render(entriesOf(list), false), render(written, false));

        QProcess md5sum;
        md5sum.setWorkingDirectory(root);
        md5sum.start(u"md5sum"_s, {u"-c"_s, u"--strict"_s, path});
        if (!md5sum.waitForStarted())
            QSKIP("md5sum is not installed");
        QVERIFY(md5sum.waitForFinished(-1));
        QVERIFY2(md5sum.exitStatus() == QProcess::NormalExit && md5sum.exitCode() == 0,
                 md5sum.readAllStandardError().constData());
        QCOMPARE(md5sum.readAllStandardOutput().count(": OK\n"), names.size());
    }
};

CHEQORA_TEST_MAIN(TestDigest)
#include "tst_digest.moc"
