#include "fakeuiservices.h"
#include "scanlist.h"
#include "sortsearch.h"
#include "filefilter.h"
#include "filefixtures.h"
#include "strproc.h"
#include "testmain.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora;
using namespace cheqora::test;

namespace {

void add(const char *tag, QStringView text, QStringView a, QStringView b, QStringView expected)
{
    QTest::newRow(tag) << text.toString() << a.toString() << b.toString() << expected.toString();
}


QString randomName(QRandomGenerator &rng, const QString &alphabet)
{
    QString s;
    for (int i = 0, n = 1 + int(rng.bounded(5)); i < n; ++i)
        s.append(alphabet.at(rng.bounded(int(alphabet.size()))));
    return s;
}

} // namespace

class TestStrProc : public QObject {
    Q_OBJECT

private slots:
    // One row per case: the tag names the function before ":", then text, arguments a and b, result.
    void textFunctions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("expected");
        add("ensureTrailingSeparator: empty stays empty", u"", u"", u"", u"");
        add("ensureTrailingSeparator: drive-like name", u"C:", u"", u"", u"C:/");
        add("ensureTrailingSeparator: three become one", u"/home/u///", u"", u"", u"/home/u/");
        add("stripTrailing: abab by ab", u"abab", u"ab", u"", u"");
        add("stripTrailing: partial repetition", u"aab", u"ab", u"", u"a");
        add("stripTrailing: empty suffix", u"abab", u"", u"", u"abab");
        add("removeAnyOf: digits and commas leave the blank", u"1,234 5", u"0123456789,", u"", u" ");
        add("removeAnyOf: runs in the middle and at both ends", u"--a--b---c-", u"-", u"", u"abc");
        // isDigitString: a holds "s" to allow a sign, "c" to allow commas.
        add("isDigitString: blanks around", u"  42  ", u"", u"", u"yes");
        add("isDigitString: decimal point", u"4.2", u"sc", u"", u"no");
        add("isDigitString: blank inside", u"4 2", u"sc", u"", u"no");
        add("isDigitString: minus without sign", u"-7", u"c", u"", u"no");
        add("isDigitString: sign after blanks", u"  -7 ", u"s", u"", u"yes");
        add("isDigitString: comma without comma", u"1,000", u"s", u"", u"no");
        add("isDigitString: signed comma", u"-1,000", u"sc", u"", u"yes");
        add("isDigitString: arabic-indic digits", u"\u0661\u0662", u"", u"", u"no");
        add("isDigitString: no-break blank", u"\u00A042", u"", u"", u"no");
        add("replaceIgnoringCase: capital scheme", u"HTTP://x.example/a", u"http:", u"https:", u"https://x.example/a");
        add("replaceIgnoringCase: accented capitals", u"\u00C9COLE \u00E9cole \u00C9cOLE", u"\u00E9cole", u"x", u"x x x");
        add("replaceIgnoringCase: overlapping matches", u"aaa", u"aa", u"b", u"ba");
        add("replaceIgnoringCase: replacement contains find", u"a-A", u"a", u"aa", u"aa-aa");
        add("replaceIgnoringCase: empty find", u"abc", u"", u"y", u"abc");
        add("extensionOf: dot only in folder", u"/home/u/v1.2/README", u"lower", u"", u"");
        add("extensionOf: lower", u"/x/a.TXT", u"lower", u"", u"txt");
        add("extensionOf: as is, last dot", u"/x/a.tar.GZ", u"", u"", u"GZ");
        add("extensionOf: no folder, hidden file", u".profile", u"", u"", u"profile");
        // Date in 10 columns, a one-digit hour right-aligned, the size in 14 columns or wider.
        add("alignSizeDateTime: two-digit hour", u"5/12/2026 10:30:05 AM", u"0", u"", u"5/12/2026  10:30:05 AM, 0             ");
        add("alignSizeDateTime: one-digit hour", u"5/12/2026 9:30:05 AM", u"5", u"", u"5/12/2026   9:30:05 AM, 5             ");
        add("alignSizeDateTime: date alone", u"5/12/2026", u"1", u"", u"5/12/2026, 1             ");
        add("alignSizeDateTime: size of 13 columns", u"2026-05-12", u"1234567890", u"", u"2026-05-12, 1,234,567,890 ");
        add("alignSizeDateTime: size wider", u"2026-05-12", u"123456789012345678", u"", u"2026-05-12, 123,456,789,012,345,678");
        // First 3 characters, "...", the last (maximum - 6); never below 10.
        add("shortenPath: 80 shown in 60", u"/home/user/documents/2026/reports/cheqora/the-folder-comparison-of-may-20266.txt",
            u"60", u"cut", u"/ho...reports/cheqora/the-folder-comparison-of-may-20266.txt (cut)");
        add("shortenPath: exactly the maximum", u"/home/u/0123456789", u"18", u"", u"/home/u/0123456789");
        add("shortenPath: one too long, maximum 10", u"/x/01234567", u"10", u"cut", u"/x/...4567 (cut)");
        add("shortenPath: maximum 9", u"/x/01234567", u"9", u"", u"/x/01234567");
    }

    void textFunctions()
    {
        QFETCH(QString, text);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        using F = std::function<QString(QString, const QString &, const QString &)>;
        static const QHash<QString, F> functions{
            {u"ensureTrailingSeparator"_s, [](QString t, auto &, auto &) { ensureTrailingSeparator(t); return t; }},
            {u"stripTrailing"_s, [](QString t, auto &a, auto &) { stripTrailing(t, a); return t; }},
            {u"removeAnyOf"_s, [](QString t, auto &a, auto &) { removeAnyOf(t, a); return t; }},
            {u"isDigitString"_s, [](QString t, auto &a, auto &) {
                 return isDigitString(t, a.contains(u's'), a.contains(u'c')) ? u"yes"_s : u"no"_s; }},
            {u"replaceIgnoringCase"_s, [](QString t, auto &a, auto &b) { return replaceIgnoringCase(t, a, b); }},
            {u"extensionOf"_s, [](QString t, auto &a, auto &) { return extensionOf(t, a == u"lower"_s); }},
            {u"alignSizeDateTime"_s, [](QString t, auto &a, auto &) { return alignSizeDateTime(t, a.toLongLong(), false); }},
            // The flag starts as the opposite of the answer, so that it must be set.
            {u"shortenPath"_s, [](QString t, auto &a, auto &b) { bool cut = b != u"cut"_s; t = shortenPath(t, a.toInt(), cut);
                 return cut ? t + u" (cut)"_s : t; }},
        };
        const F function = functions.value(QString::fromLatin1(QTest::currentDataTag()).section(u':', 0, 0));
        QVERIFY(function);
        QCOMPARE(function(text, a, b), expected);
    }

    void lowerCaseAccented()
    {
        // The table: S caron, Y diaeresis, and 192 to 221 but for 198 (AE) and 215 (the multiplication sign).
        QString capitals = u"\u0160\u0178"_s, smalls = u"\u0161\u00FF"_s;
        for (char16_t c = 192; c <= 221; ++c) {
            if (c != 198 && c != 215)
                capitals += QChar(c), smalls += QChar(char16_t(c + 32));
        }
        QCOMPARE(capitals.size(), 30);
        QCOMPARE(foldCase(u"X"_s + capitals + u"Path/To/FILE.TXT"_s), u"x"_s + smalls + u"path/to/file.txt"_s);
        // The multiplication sign sits among the capitals but is no letter; small letters, digits and
        // escaped bytes of file names pass unchanged.
        const QString unchanged = u"2\u00D73 \u00E9x1_\xDCC9"_s;
        QCOMPARE(foldCase(unchanged), unchanged);
        // Folding is pure: it is used inside sorts and must never hand control to the window.
        FakeUiServices fake;
        foldCase(capitals.repeated(20));
        QCOMPARE(fake.processEventsCalls, 0);
    }

    void fileFunctions()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + u"/f"_s;
        QVERIFY(!platform::fileExists(file) && !platform::fileExists(dir.path()) && !platform::fileExists(QString()));
        QCOMPARE(sizeDateTimeText(file, true), QString());
        QVERIFY(writeBytes(file, "x") && setModified(file, utc(2026, 5, 12, 9, 30, 5)) && platform::fileExists(file));
        QCOMPARE(sizeDateTimeText(file, false) + u'|' + sizeDateTimeText(file, true),
                 u"2026-05-12 09:30:05, 1             |2026-05-12 09:30:05, 1 byte"_s);
    }

    // The extension filter of the folder comparison.
    void wildcardMatch()
    {
        const struct {
            QString text, pattern;
            bool caseSensitive, expected;
        } cases[] = {
            {u"abc"_s, QString(), true, true},  {QString(), u"***"_s, true, true}, {u"abc"_s, u"a?c"_s, true, true},
            {u"ab"_s, u"ab?"_s, true, false},   {u"ab"_s, u"abc"_s, true, false},  {u"abcd"_s, u"abc"_s, true, false},
            {u"b"_s, u"*?b"_s, true, true},     {u"abc"_s, u"*x"_s, true, false},  {u"ABC"_s, u"abc"_s, true, false},
            {u"ÀÉÜ"_s, u"àéü"_s, false, true}, // accented capitals folded
            {u"a*c"_s, u"a?c"_s, true, true},   // wildcards in the text are literal
            // No backtracking: the first "." is taken, so the rest must follow it.
            {u"a.b.txt"_s, u"*.txt"_s, true, false},
        };
        for (const auto &c : cases)
            QVERIFY2(cheqora::wildcardMatch(c.text, c.pattern, c.caseSensitive) == c.expected,
                     qPrintable(c.text + u" ~ "_s + c.pattern));
    }

    void fileNameMatches()
    {
        // Name and pattern are split at their last "."; both halves must match, in any letter case.
        const struct {
            QString name, filespec;
            bool expected;
        } cases[] = {
            {u"anything.bin"_s, QString(), true}, {u"a.doc"_s, u"*.txt"_s, false},    {u"A.b.TXT"_s, u"*.txt"_s, true},
            {u"README"_s, u"*.txt"_s, false},     {u"README"_s, u"*.*"_s, true},      {u".txt"_s, u"*.txt"_s, true},
            {u"a.txt"_s, u"a*"_s, false},         {u"Makefile"_s, u"Make*"_s, true},  {u"x.tar.gz"_s, u"*.tar.gz"_s, true},
            {u"what?.txt"_s, u"*.txt"_s, true}, // names that Windows forbids are ordinary names here
            {u"a/b"_s, QString(), false},
        };
        for (const auto &c : cases)
            QVERIFY2(cheqora::fileNameMatches(c.name, c.filespec, false) == c.expected, qPrintable(c.name + u" ~ "_s + c.filespec));
    }

    void buildFilespecTrimsTheExtension()
    {
        QString extension = u"  .txt  "_s;
        QCOMPARE(buildFilespec(true, extension), u"*.txt"_s);
        QCOMPARE(extension, u".txt"_s); // trimmed in place, for the field
        QCOMPARE(buildFilespec(true, extension = u"   "_s), QString());
        QCOMPARE(buildFilespec(false, extension = u"txt"_s), QString());
        // Blanks only: other white space is part of a path.
        QCOMPARE(trimBlanks(u"\t/tmp/a b\n "_s), u"\t/tmp/a b\n"_s);
    }

    // The sort and the binary search of the scan lists.
    void sortThenSearch_data()
    {
        // Lists separated by "|".
        QTest::addColumn<QString>("records");
        QTest::addColumn<bool>("fold");
        QTest::addColumn<QString>("sorted");
        QTest::addColumn<QString>("keys"); // searched for, each with its position: found at, or minus
        QTest::addColumn<QList<qsizetype>>("positions"); // the insertion point, minus 1
        QTest::newRow("insertion points") << u"h|b|j|f|d"_s << true << u"b|d|f|h|j"_s << u"a|B|c|d|e|F|g|h|i|j|z"_s
                                          << QList<qsizetype>{-1, 0, -2, 1, -3, 2, -4, 3, -5, 4, -6};
        QTest::newRow("one record") << u"Only"_s << true << u"Only"_s << u"a|ONLY|z"_s << QList<qsizetype>{-1, 0, -2};
        QTest::newRow("empty") << QString() << true << QString() << u"a"_s << QList<qsizetype>{-1};
        // Plain codes, not path parts: "/" (47) after "." (46) and "-" (45), before "0" (48).
        QTest::newRow("separator") << u"sub0.txt|sub/a.txt|sub.txt|sub-a.txt|Sub/B.txt"_s << true
                                   << u"sub-a.txt|sub.txt|sub/a.txt|Sub/B.txt|sub0.txt"_s << u"SUB/b.txt|sub/"_s
                                   << QList<qsizetype>{3, -3};
        QTest::newRow("case-sensitive") << u"b|B|a|A"_s << false << u"A|B|a|b"_s << u"a|C"_s << QList<qsizetype>{2, -3};
    }
    void sortThenSearch()
    {
        QFETCH(QString, records);
        QFETCH(bool, fold);
        QFETCH(QString, sorted);
        QFETCH(QString, keys);
        QFETCH(QList<qsizetype>, positions);
        if (records.isEmpty()) { // a sorted empty scan list has no index to probe
            ScanList scan;
            qsizetype first = 0, last = 0;
            scan.sort();
            QVERIFY(!scan.find(keys, first, last));
        }
        QStringList list = records.split(u'|', Qt::SkipEmptyParts);
        const qsizetype n = list.size();
        sortRecords(list, 0, n - 1, fold, 0);
        QCOMPARE(list, sorted.split(u'|', Qt::SkipEmptyParts));
        for (qsizetype k = 0; k < positions.size(); ++k) {
            qsizetype position = -7;
            const bool found = searchSorted(keys.split(u'|').at(k), list, n, position, 0, !fold);
            QCOMPARE(found ? position : -position - 1, positions.at(k));
        }
    }

    void randomListsSortByFoldedKey()
    {
        // Many keys are equal once folded. The scan list sorts as sortRecords does over its record texts,
        // whose key follows the digest, date and size columns; the result is in plain code-unit order.
        QRandomGenerator rng(20240611);
        platform::FileStat st;
        st.kind = platform::EntryKind::File;
        for (int round = 0; round < 10; ++round) {
            ScanList scan;
            DigestFieldTexts texts;
            QStringList records;
            const int n = 1 + int(rng.bounded(1500));
            for (int i = 0; i < n; ++i) {
                st.length = (qint64(1) << 40) + i; // sizes are kept past 32 bits
                st.modifiedSecs = 1700000000 + i;
                scan.append(randomName(rng, u"aAbB./-É"_s), texts.fieldForText(QString::number(i), DigestField::Failed), st);
                records.append(scan.recordText(i, texts));
            }
            QStringList sorted = records;
            sortRecords(sorted, 0, n - 1, true, records.at(0).indexOf(u'>') + 2);
            scan.sort();
            for (int i = 0; i < n; ++i) {
                QCOMPARE(scan.recordText(i, texts), sorted.at(i));
                QCOMPARE(scan.stat(i).length - (qint64(1) << 40), scan.stat(i).modifiedSecs - 1700000000);
                // The index gives the whole run of case twins, and search its first record.
                qsizetype first = 0, last = 0, position = 0;
                QVERIFY(scan.find(scan.foldedKey(i), first, last) && scan.search(scan.foldedKey(i), position));
                QVERIFY(first == position && first <= i && i <= last);
                QVERIFY(first == 0 || scan.foldedKey(first - 1) != scan.foldedKey(i));
                QVERIFY(last == n - 1 || scan.foldedKey(last + 1) != scan.foldedKey(i));
            }
            // A key that is absent goes where it sorts.
            qsizetype first = 0, last = 0, position = -1;
            QVERIFY(!scan.find(u"x"_s, first, last) && !scan.search(u"x"_s, position) && position >= 0 && position <= n);
            QVERIFY((position == 0 || scan.foldedKey(position - 1) < u"x"_s) && (position == n || scan.foldedKey(position) > u"x"_s));
            scan.append(u"\u3042"_s, texts.fieldForText(u"late"_s, DigestField::Failed), st); // sorts last
            QVERIFY(scan.find(u"\u3042"_s, first, last) && first == n);
            std::sort(sorted.begin(), sorted.end());
            std::sort(records.begin(), records.end());
            QCOMPARE(sorted, records);
        }
    }
};

CHEQORA_TEST_MAIN(TestStrProc)
#include "tst_strproc.moc"
