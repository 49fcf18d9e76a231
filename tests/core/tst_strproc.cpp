#include "fakeuiservices.h"
#include "filefixtures.h"
#include "strproc.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace cheqora;
using namespace cheqora::test;

class TestStrProc : public QObject {
    Q_OBJECT

private slots:
    void fileExistsAndFirstFixedDrive()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/f");
        QVERIFY(writeBytes(file, "x"));
        QVERIFY(FileExists(file));
        QVERIFY(!FileExists(dir.path()));
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(file + QStringLiteral("x")));
        // Without drives, the fallback for the application-data folder is the home folder.
        QCOMPARE(FirstFixedDrive(), QString::fromLocal8Bit(qgetenv("HOME")));
    }

    void ensureTrailingBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty stays empty") << QString() << QString();
        QTest::newRow("drive-like name") << QStringLiteral("C:") << QStringLiteral("C:/");
        QTest::newRow("gains one") << QStringLiteral("/home/u") << QStringLiteral("/home/u/");
        QTest::newRow("keeps one") << QStringLiteral("/home/u/") << QStringLiteral("/home/u/");
        QTest::newRow("three become one") << QStringLiteral("/home/u///") << QStringLiteral("/home/u/");
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("root repeated") << QStringLiteral("///") << QStringLiteral("/");
        QTest::newRow("backslash is a name character") << QStringLiteral("a\\") << QStringLiteral("a\\/");
        QTest::newRow("blank kept") << QStringLiteral("a ") << QStringLiteral("a /");
    }

    void ensureTrailingBackslash()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        EnsureTrailingBackslash(path);
        QCOMPARE(path, expected);
    }

    void stripTrailing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("abab by ab") << QStringLiteral("abab") << QStringLiteral("ab") << QString();
        QTest::newRow("only the end") << QStringLiteral("abcab") << QStringLiteral("ab") << QStringLiteral("abc");
        QTest::newRow("empty suffix") << QStringLiteral("abab") << QString() << QStringLiteral("abab");
        QTest::newRow("case-sensitive") << QStringLiteral("xAB") << QStringLiteral("ab") << QStringLiteral("xAB");
        QTest::newRow("suffix longer") << QStringLiteral("b") << QStringLiteral("ab") << QStringLiteral("b");
        QTest::newRow("partial repetition") << QStringLiteral("aab") << QStringLiteral("ab") << QStringLiteral("a");
        QTest::newRow("empty text") << QString() << QStringLiteral("x") << QString();
    }

    void stripTrailing()
    {
        QFETCH(QString, text);
        QFETCH(QString, suffix);
        QFETCH(QString, expected);
        StripTrailing(text, suffix);
        QCOMPARE(text, expected);
    }

    void stripTrailingChars()
    {
        QCOMPARE(StripTrailingChars(QStringLiteral("path/ /\t"), QStringLiteral("/ ")), QStringLiteral("path/ /\t"));
        QCOMPARE(StripTrailingChars(QStringLiteral("path// / "), QStringLiteral("/ ")), QStringLiteral("path"));
        QCOMPARE(StripTrailingChars(QStringLiteral("path// "), QString()), QStringLiteral("path// "));
        QCOMPARE(StripTrailingChars(QStringLiteral("////"), QStringLiteral("/")), QString());
        QCOMPARE(StripTrailingChars(QString(), QStringLiteral("/")), QString());
        QCOMPARE(StripTrailingChars(QStringLiteral("/a/"), QStringLiteral("/")), QStringLiteral("/a"));
    }

    void leftN()
    {
        const QString text = QStringLiteral("abcdef");
        QCOMPARE(LeftN(text, 0), QString());
        QCOMPARE(LeftN(text, -3), QString());
        QCOMPARE(LeftN(text, 2), QStringLiteral("ab"));
        QCOMPARE(LeftN(text, 6), text);
        QCOMPARE(LeftN(text, 100), text);
        QCOMPARE(LeftN(QString(), 3), QString());
    }

    void lowerCaseAccentedTable()
    {
        const char16_t capitals[] = {352, 376, 192, 193, 194, 195, 196, 197, 199, 200, 201, 202, 203, 204, 205,
                                     206, 207, 208, 209, 210, 211, 212, 213, 214, 216, 217, 218, 219, 220, 221};
        const char16_t smalls[] = {353, 255, 224, 225, 226, 227, 228, 229, 231, 232, 233, 234, 235, 236, 237,
                                   238, 239, 240, 241, 242, 243, 244, 245, 246, 248, 249, 250, 251, 252, 253};
        static_assert(sizeof capitals == sizeof smalls && sizeof capitals / sizeof capitals[0] == 30);
        for (size_t k = 0; k < 30; ++k) {
            const QString in = QStringLiteral("X") + QChar(capitals[k]) + QStringLiteral("Y");
            const QString out = QStringLiteral("x") + QChar(smalls[k]) + QStringLiteral("y");
            QCOMPARE(LowerCaseAccented(in), out);
        }
    }

    void lowerCaseAccented()
    {
        QCOMPARE(LowerCaseAccented(QStringLiteral("\u00C0 L\u00C9T\u00C9 \u00DCBER \u0160KODA")),
                 QStringLiteral("\u00E0 l\u00E9t\u00E9 \u00FCber \u0161koda"));
        QCOMPARE(LowerCaseAccented(QStringLiteral("Path/To/FILE.TXT")), QStringLiteral("path/to/file.txt"));
        // The multiplication sign sits among the capitals but is no letter.
        QCOMPARE(LowerCaseAccented(QStringLiteral("2\u00D73")), QStringLiteral("2\u00D73"));
        QCOMPARE(LowerCaseAccented(QString()), QString());
        // Small letters and non-letters pass unchanged, escaped bytes of file names included.
        const QString mixed = QStringLiteral("\u00E9x1_") + QChar(0xDCC9);
        QCOMPARE(LowerCaseAccented(mixed), mixed);
    }

    // Folding is pure: it is used inside sorts and must never hand control to the window.
    void lowerCaseAccentedDoesNotYield()
    {
        FakeUiServices fake;
        QString text;
        for (int i = 0; i < 200; ++i)
            text += QStringLiteral("\u00C0\u00C9\u00DC");
        LowerCaseAccented(text);
        QCOMPARE(fake.processEventsCalls, 0);
    }

    void findAnyOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("index");
        const QString t = QStringLiteral("ab,cd;ef");
        QTest::newRow("first") << t << 1 << QStringLiteral(";,") << 3 << 2;
        QTest::newRow("from after first") << t << 4 << QStringLiteral(";,") << 6 << 1;
        QTest::newRow("start on a match") << t << 3 << QStringLiteral(",") << 3 << 1;
        QTest::newRow("start 0 is 1") << t << 0 << QStringLiteral("a") << 1 << 1;
        QTest::newRow("negative start is 1") << t << -5 << QStringLiteral("b") << 2 << 1;
        QTest::newRow("start past end") << t << 9 << QStringLiteral("f") << 0 << -1;
        QTest::newRow("last character") << t << 1 << QStringLiteral("f") << 8 << 1;
        QTest::newRow("none") << t << 1 << QStringLiteral("xyz") << 0 << -1;
        QTest::newRow("exact case") << t << 1 << QStringLiteral("AB") << 0 << -1;
        QTest::newRow("empty text") << QString() << 1 << QStringLiteral("a") << 0 << -1;
        QTest::newRow("empty set") << t << 1 << QString() << 0 << -1;
        QTest::newRow("duplicate in set gives first") << t << 1 << QStringLiteral("xcc") << 4 << 2;
    }

    void findAnyOf()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QString, set);
        QFETCH(int, position);
        QFETCH(int, index);
        int got = -1;
        QCOMPARE(FindAnyOf(text, start, set, got), position);
        QCOMPARE(got, index); // -1: untouched when nothing is found
    }

    void skipAnyOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("position");
        QTest::newRow("leading blanks") << QStringLiteral("  ab") << 1 << QStringLiteral(" ") << 3;
        QTest::newRow("start inside") << QStringLiteral("a  b") << 2 << QStringLiteral(" ") << 4;
        QTest::newRow("start 0 is 1") << QStringLiteral("xab") << 0 << QStringLiteral("x") << 2;
        QTest::newRow("all in set") << QStringLiteral("   ") << 1 << QStringLiteral(" ") << 0;
        QTest::newRow("rest in set") << QStringLiteral("a  ") << 2 << QStringLiteral(" ") << 0;
        QTest::newRow("start past end") << QStringLiteral("ab") << 5 << QStringLiteral("x") << 0;
        QTest::newRow("empty text") << QString() << 1 << QStringLiteral(" ") << 0;
        QTest::newRow("empty set") << QStringLiteral("abc") << 3 << QString() << 1;
        QTest::newRow("first not in set") << QStringLiteral("abc") << 1 << QStringLiteral("x") << 1;
    }

    void skipAnyOf()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(QString, set);
        QFETCH(int, position);
        QCOMPARE(SkipAnyOf(text, start, set), position);
    }

    void removeAnyOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits and commas leave the blank") << QStringLiteral("1,234 5") << QStringLiteral("0123456789,")
                                                           << QStringLiteral(" ");
        QTest::newRow("runs in the middle") << QStringLiteral("a--b---c") << QStringLiteral("-") << QStringLiteral("abc");
        QTest::newRow("at both ends") << QStringLiteral("--a--") << QStringLiteral("-") << QStringLiteral("a");
        QTest::newRow("everything") << QStringLiteral("123") << QStringLiteral("0123456789") << QString();
        QTest::newRow("nothing matches") << QStringLiteral("abc") << QStringLiteral("x") << QStringLiteral("abc");
        QTest::newRow("empty set") << QStringLiteral("a-b") << QString() << QStringLiteral("a-b");
        QTest::newRow("empty text") << QString() << QStringLiteral("a") << QString();
        QTest::newRow("alternating") << QStringLiteral("1a2b3") << QStringLiteral("123") << QStringLiteral("ab");
    }

    void removeAnyOf()
    {
        QFETCH(QString, text);
        QFETCH(QString, set);
        QFETCH(QString, expected);
        RemoveAnyOf(text, set);
        QCOMPARE(text, expected);
    }

    void isDigitString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("sign");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<bool>("expected");
        QTest::newRow("42") << QStringLiteral("42") << false << false << true;
        QTest::newRow("blanks around") << QStringLiteral("  42  ") << false << false << true;
        QTest::newRow("decimal point") << QStringLiteral("4.2") << true << true << false;
        QTest::newRow("blank inside") << QStringLiteral("4 2") << true << true << false;
        QTest::newRow("tab before") << QStringLiteral("\t42") << false << false << false;
        QTest::newRow("tab after") << QStringLiteral("42\t") << false << false << false;
        QTest::newRow("newline after") << QStringLiteral("42\n") << false << false << false;
        QTest::newRow("minus without sign") << QStringLiteral("-7") << false << false << false;
        QTest::newRow("minus with sign") << QStringLiteral("-7") << true << false << true;
        QTest::newRow("plus with sign") << QStringLiteral("+7") << true << false << true;
        QTest::newRow("sign after blanks") << QStringLiteral("  -7 ") << true << false << true;
        QTest::newRow("lone plus") << QStringLiteral("+") << true << false << true;
        QTest::newRow("lone minus") << QStringLiteral(" - ") << true << false << true;
        QTest::newRow("lone minus without sign") << QStringLiteral("-") << false << false << false;
        QTest::newRow("two signs") << QStringLiteral("--7") << true << false << false;
        QTest::newRow("sign at end") << QStringLiteral("7-") << true << false << false;
        QTest::newRow("blank after sign") << QStringLiteral("- 7") << true << false << false;
        QTest::newRow("comma without comma") << QStringLiteral("1,000") << false << false << false;
        QTest::newRow("comma with comma") << QStringLiteral("1,000") << false << true << true;
        QTest::newRow("signed comma") << QStringLiteral("-1,000") << true << true << true;
        QTest::newRow("commas only") << QStringLiteral(",,") << false << true << true;
        QTest::newRow("empty") << QString() << true << true << false;
        QTest::newRow("blanks only") << QStringLiteral("   ") << true << true << false;
        QTest::newRow("letters") << QStringLiteral("12a") << true << true << false;
        QTest::newRow("hex") << QStringLiteral("0x1F") << true << true << false;
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0661\u0662") << false << false << false;
        QTest::newRow("fullwidth digit") << QStringLiteral("\uFF11") << false << false << false;
        QTest::newRow("no-break blank") << QStringLiteral("\u00A042") << false << false << false;
    }

    void isDigitString()
    {
        QFETCH(QString, text);
        QFETCH(bool, sign);
        QFETCH(bool, comma);
        QFETCH(bool, expected);
        QCOMPARE(IsDigitString(text, sign, comma), expected);
    }

    void replaceText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("capital scheme") << QStringLiteral("HTTP://example.com/a") << QStringLiteral("http:")
                                        << QStringLiteral("https:") << QStringLiteral("https://example.com/a");
        QTest::newRow("already https") << QStringLiteral("https://example.com/a") << QStringLiteral("http:")
                                       << QStringLiteral("https:") << QStringLiteral("https://example.com/a");
        QTest::newRow("every case variant") << QStringLiteral("Http: hTTp: http:") << QStringLiteral("HTTP:")
                                            << QStringLiteral("x") << QStringLiteral("x x x");
        QTest::newRow("replacement keeps its case") << QStringLiteral("a.TXT") << QStringLiteral(".txt")
                                                    << QStringLiteral(".Log") << QStringLiteral("a.Log");
        QTest::newRow("accented capitals") << QStringLiteral("\u00C9COLE \u00E9cole \u00C9cOLE")
                                           << QStringLiteral("\u00E9cole") << QStringLiteral("x")
                                           << QStringLiteral("x x x");
        QTest::newRow("overlapping matches") << QStringLiteral("aaa") << QStringLiteral("aa") << QStringLiteral("b")
                                             << QStringLiteral("ba");
        QTest::newRow("adjacent matches") << QStringLiteral("abab") << QStringLiteral("ab") << QString() << QString();
        QTest::newRow("shorter replacement") << QStringLiteral("xaaxaax") << QStringLiteral("aa")
                                             << QStringLiteral("b") << QStringLiteral("xbxbx");
        QTest::newRow("replacement contains find") << QStringLiteral("a-A") << QStringLiteral("a")
                                                   << QStringLiteral("aa") << QStringLiteral("aa-aa");
        QTest::newRow("replacement is find in capitals") << QStringLiteral("ab ab") << QStringLiteral("ab")
                                                         << QStringLiteral("AB") << QStringLiteral("AB AB");
        QTest::newRow("no match") << QStringLiteral("abc") << QStringLiteral("x") << QStringLiteral("y")
                                  << QStringLiteral("abc");
        QTest::newRow("empty find") << QStringLiteral("abc") << QString() << QStringLiteral("y")
                                    << QStringLiteral("abc");
        QTest::newRow("whole text") << QStringLiteral("ABC") << QStringLiteral("abc") << QStringLiteral("z")
                                    << QStringLiteral("z");
        QTest::newRow("empty text") << QString() << QStringLiteral("a") << QStringLiteral("b") << QString();
    }

    void replaceText()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(ReplaceText(text, find, replacement), expected);
    }

    void getExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<QString>("expected");
        QTest::newRow("dot only in folder") << QStringLiteral("/home/u/v1.2/README") << true << QString();
        QTest::newRow("lower") << QStringLiteral("/x/a.TXT") << true << QStringLiteral("txt");
        QTest::newRow("as is") << QStringLiteral("/x/a.TXT") << false << QStringLiteral("TXT");
        QTest::newRow("last dot") << QStringLiteral("/x/a.tar.GZ") << true << QStringLiteral("gz");
        QTest::newRow("dots in folder and name") << QStringLiteral("/a.b/c.d/e.f") << false << QStringLiteral("f");
        QTest::newRow("no folder") << QStringLiteral("file.Md") << false << QStringLiteral("Md");
        QTest::newRow("trailing dot") << QStringLiteral("/x/name.") << true << QString();
        QTest::newRow("hidden file") << QStringLiteral("/x/.profile") << false << QStringLiteral("profile");
        QTest::newRow("folder path") << QStringLiteral("/x.y/") << false << QString();
        QTest::newRow("empty") << QString() << true << QString();
        QTest::newRow("accented") << QStringLiteral("/x/a.\u00C9T\u00C9") << true << QStringLiteral("\u00E9t\u00E9");
    }

    void getExtension()
    {
        QFETCH(QString, path);
        QFETCH(bool, lower);
        QFETCH(QString, expected);
        QCOMPARE(GetExtension(path, lower), expected);
    }

    // Alignment of date and time texts as other locales write them.
    void alignSizeDateTime_data()
    {
        QTest::addColumn<QString>("dateTime");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ten-column date") << QStringLiteral("2026-05-12 09:30:05") << qint64(1234567)
                                         << QStringLiteral("2026-05-12 09:30:05, 1,234,567     ");
        QTest::newRow("short date, two-digit hour")
            << QStringLiteral("5/12/2026 10:30:05 AM") << qint64(0)
            << QStringLiteral("5/12/2026  10:30:05 AM, 0             ");
        QTest::newRow("short date, one-digit hour")
            << QStringLiteral("5/12/2026 9:30:05 AM") << qint64(5)
            << QStringLiteral("5/12/2026   9:30:05 AM, 5             ");
        QTest::newRow("shortest date") << QStringLiteral("1/2/2026 9:05:00") << qint64(12)
                                       << QStringLiteral("1/2/2026    9:05:00, 12            ");
        QTest::newRow("ten-column date, one-digit hour")
            << QStringLiteral("12/31/2026 9:00:00 PM") << qint64(1000)
            << QStringLiteral("12/31/2026  9:00:00 PM, 1,000         ");
        QTest::newRow("date alone") << QStringLiteral("5/12/2026") << qint64(1)
                                    << QStringLiteral("5/12/2026, 1             ");
        QTest::newRow("size wider than its column")
            << QStringLiteral("2026-05-12 09:30:05") << Q_INT64_C(123456789012345678)
            << QStringLiteral("2026-05-12 09:30:05, 123,456,789,012,345,678");
        QTest::newRow("size exactly 14 columns")
            << QStringLiteral("2026-05-12 09:30:05") << Q_INT64_C(12345678901)
            << QStringLiteral("2026-05-12 09:30:05, 12,345,678,901");
    }

    void alignSizeDateTime()
    {
        QFETCH(QString, dateTime);
        QFETCH(qint64, length);
        QFETCH(QString, expected);
        QCOMPARE(AlignSizeDateTime(dateTime, length, false), expected);
        QCOMPARE(AlignSizeDateTime(dateTime, length, false).size(), expected.size());
    }

    void alignWithBytes()
    {
        const QString dt = QStringLiteral("5/12/2026 9:30:05 AM");
        QCOMPARE(AlignSizeDateTime(dt, 0, true), QStringLiteral("5/12/2026   9:30:05 AM, 0 bytes"));
        QCOMPARE(AlignSizeDateTime(dt, 1, true), QStringLiteral("5/12/2026   9:30:05 AM, 1 byte"));
        QCOMPARE(AlignSizeDateTime(dt, 2, true), QStringLiteral("5/12/2026   9:30:05 AM, 2 bytes"));
        QCOMPARE(AlignSizeDateTime(dt, 1234567, true), QStringLiteral("5/12/2026   9:30:05 AM, 1,234,567 bytes"));
    }

    void formatSizeDateTimeOfFiles_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("withBytes");
        QTest::newRow("empty") << qint64(0) << utc(2026, 5, 12, 9, 30, 5)
                               << QStringLiteral("2026-05-12 09:30:05, 0             ")
                               << QStringLiteral("2026-05-12 09:30:05, 0 bytes");
        QTest::newRow("one byte") << qint64(1) << utc(2026, 5, 12, 9, 30, 5)
                                  << QStringLiteral("2026-05-12 09:30:05, 1             ")
                                  << QStringLiteral("2026-05-12 09:30:05, 1 byte");
        QTest::newRow("two bytes") << qint64(2) << utc(2026, 1, 2, 3, 4, 5)
                                   << QStringLiteral("2026-01-02 03:04:05, 2             ")
                                   << QStringLiteral("2026-01-02 03:04:05, 2 bytes");
        QTest::newRow("grouped") << qint64(1234567) << utc(2026, 5, 12, 23, 59, 59)
                                 << QStringLiteral("2026-05-12 23:59:59, 1,234,567     ")
                                 << QStringLiteral("2026-05-12 23:59:59, 1,234,567 bytes");
        // Midnight keeps its time, so the line has the same shape as any other.
        QTest::newRow("midnight") << qint64(10) << utc(2026, 5, 12, 0, 0, 0)
                                  << QStringLiteral("2026-05-12 00:00:00, 10            ")
                                  << QStringLiteral("2026-05-12 00:00:00, 10 bytes");
    }

    void formatSizeDateTimeOfFiles()
    {
        QFETCH(qint64, length);
        QFETCH(QDateTime, modified);
        QFETCH(QString, plain);
        QFETCH(QString, withBytes);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/f");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(length)); // sparse: the content does not matter here
        }
        QVERIFY(setModified(file, modified));
        QCOMPARE(FormatSizeDateTime(file, false), plain);
        QCOMPARE(FormatSizeDateTime(file, true), withBytes);
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(file, st, err));
        QCOMPARE(FormatSizeDateTime(st, false), plain);
    }

    void formatSizeDateTimeOfMissingFile()
    {
        QCOMPARE(FormatSizeDateTime(QStringLiteral("/no/such/file"), true), QString());
    }

    void shortenPath()
    {
        QString path80;
        for (int i = 0; i < 80; ++i)
            path80 += QChar(u'a' + i % 26);
        bool shortened = false;
        const QString s = ShortenPath(path80, 60, shortened);
        QVERIFY(shortened);
        QCOMPARE(s.size(), 60);
        QCOMPARE(s, path80.left(3) + QStringLiteral("...") + path80.right(54));

        shortened = true;
        QCOMPARE(ShortenPath(path80.left(60), 60, shortened), path80.left(60));
        QVERIFY(!shortened);

        QCOMPARE(ShortenPath(path80.left(61), 60, shortened), path80.left(3) + QStringLiteral("...") + path80.mid(7, 54));
        QVERIFY(shortened);

        // Below 10 there is no room for a useful cut.
        QCOMPARE(ShortenPath(path80, 9, shortened), path80);
        QVERIFY(!shortened);
        QCOMPARE(ShortenPath(path80, 0, shortened), path80);
        QVERIFY(!shortened);
        QCOMPARE(ShortenPath(path80, -1, shortened), path80);
        QVERIFY(!shortened);

        QCOMPARE(ShortenPath(path80, 10, shortened), QStringLiteral("abc...") + path80.right(4));
        QVERIFY(shortened);
        QCOMPARE(ShortenPath(QString(), 10, shortened), QString());
        QVERIFY(!shortened);
    }
};

CHEQORA_TEST_MAIN(TestStrProc)
#include "tst_strproc.moc"
