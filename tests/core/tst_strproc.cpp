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
        add("EnsureTrailingBackslash: empty stays empty", u"", u"", u"", u"");
        add("EnsureTrailingBackslash: drive-like name", u"C:", u"", u"", u"C:/");
        add("EnsureTrailingBackslash: three become one", u"/home/u///", u"", u"", u"/home/u/");
        add("StripTrailing: abab by ab", u"abab", u"ab", u"", u"");
        add("StripTrailing: partial repetition", u"aab", u"ab", u"", u"a");
        add("StripTrailing: empty suffix", u"abab", u"", u"", u"abab");
        add("StripTrailingChars: stops at a character not in the set", u"path/ /\t", u"/ ", u"", u"path/ /\t");
        add("StripTrailingChars: mixed run", u"path// / ", u"/ ", u"", u"path");
        add("RemoveAnyOf: digits and commas leave the blank", u"1,234 5", u"0123456789,", u"", u" ");
        add("RemoveAnyOf: runs in the middle and at both ends", u"--a--b---c-", u"-", u"", u"abc");
        add("LeftN: negative", u"abcdef", u"-3", u"", u"");
        add("LeftN: part", u"abcdef", u"2", u"", u"ab");
        add("LeftN: beyond the end", u"abcdef", u"100", u"", u"abcdef");
        // FindAnyOf and SkipAnyOf from the same start: "found index skipped"; start is clamped to 1.
        add("AnyOf: first match", u"ab,cd;ef", u";,", u"1", u"3 2 1");
        add("AnyOf: from after the first", u"ab,cd;ef", u";,", u"4", u"6 1 4");
        add("AnyOf: negative start is 1", u"ab,cd;ef", u"ab", u"-5", u"1 1 3");
        add("AnyOf: start past end", u"ab,cd;ef", u"f", u"9", u"0 - 0");
        add("AnyOf: empty set", u"ab,cd;ef", u"", u"3", u"0 - 1");
        // IsDigitString: a holds "s" to allow a sign, "c" to allow commas.
        add("IsDigitString: blanks around", u"  42  ", u"", u"", u"yes");
        add("IsDigitString: decimal point", u"4.2", u"sc", u"", u"no");
        add("IsDigitString: blank inside", u"4 2", u"sc", u"", u"no");
        add("IsDigitString: minus without sign", u"-7", u"c", u"", u"no");
        add("IsDigitString: sign after blanks", u"  -7 ", u"s", u"", u"yes");
        add("IsDigitString: comma without comma", u"1,000", u"s", u"", u"no");
        add("IsDigitString: signed comma", u"-1,000", u"sc", u"", u"yes");
        add("IsDigitString: arabic-indic digits", u"\u0661\u0662", u"", u"", u"no");
        add("IsDigitString: no-break blank", u"\u00A042", u"", u"", u"no");
        add("ReplaceText: capital scheme", u"HTTP://x.example/a", u"http:", u"https:", u"https://x.example/a");
        add("ReplaceText: accented capitals", u"\u00C9COLE \u00E9cole \u00C9cOLE", u"\u00E9cole", u"x", u"x x x");
        add("ReplaceText: overlapping matches", u"aaa", u"aa", u"b", u"ba");
        add("ReplaceText: replacement contains find", u"a-A", u"a", u"aa", u"aa-aa");
        add("ReplaceText: empty find", u"abc", u"", u"y", u"abc");
        add("GetExtension: dot only in folder", u"/home/u/v1.2/README", u"lower", u"", u"");
        add("GetExtension: lower", u"/x/a.TXT", u"lower", u"", u"txt");
        add("GetExtension: as is, last dot", u"/x/a.tar.GZ", u"", u"", u"GZ");
        add("GetExtension: no folder, hidden file", u".profile", u"", u"", u"profile");
        // Date in 10 columns, a one-digit hour right-aligned, the size in 14 columns or wider.
        add("AlignSizeDateTime: two-digit hour", u"5/12/2026 10:30:05 AM", u"0", u"", u"5/12/2026  10:30:05 AM, 0             ");
        add("AlignSizeDateTime: one-digit hour", u"5/12/2026 9:30:05 AM", u"5", u"", u"5/12/2026   9:30:05 AM, 5             ");
        add("AlignSizeDateTime: date alone", u"5/12/2026", u"1", u"", u"5/12/2026, 1             ");
        add("AlignSizeDateTime: size of 13 columns", u"2026-05-12", u"1234567890", u"", u"2026-05-12, 1,234,567,890 ");
        add("AlignSizeDateTime: size wider", u"2026-05-12", u"123456789012345678", u"", u"2026-05-12, 123,456,789,012,345,678");
        // First 3 characters, "...", the last (maximum - 6); never below 10.
        add("ShortenPath: 80 shown in 60", u"/home/user/documents/2026/reports/cheqora/the-folder-comparison-of-may-20266.txt",
            u"60", u"cut", u"/ho...reports/cheqora/the-folder-comparison-of-may-20266.txt (cut)");
        add("ShortenPath: exactly the maximum", u"/home/u/0123456789", u"18", u"", u"/home/u/0123456789");
        add("ShortenPath: one too long, maximum 10", u"/x/01234567", u"10", u"cut", u"/x/...4567 (cut)");
        add("ShortenPath: maximum 9", u"/x/01234567", u"9", u"", u"/x/01234567");
    }

    void textFunctions()
    {
        QFETCH(QString, text);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, expected);
        using F = std::function<QString(QString, const QString &, const QString &)>;
        static const QHash<QString, F> functions{
            {u"EnsureTrailingBackslash"_s, [](QString t, auto &, auto &) { EnsureTrailingBackslash(t); return t; }},
            {u"StripTrailing"_s, [](QString t, auto &a, auto &) { StripTrailing(t, a); return t; }},
            {u"StripTrailingChars"_s, [](QString t, auto &a, auto &) { return StripTrailingChars(t, a); }},
            {u"RemoveAnyOf"_s, [](QString t, auto &a, auto &) { RemoveAnyOf(t, a); return t; }},
            {u"LeftN"_s, [](QString t, auto &a, auto &) { return LeftN(t, a.toInt()); }},
            {u"AnyOf"_s, [](QString t, auto &a, auto &b) { int i = -1; const int p = FindAnyOf(t, b.toInt(), a, i);
                 return u"%1 %2 %3"_s.arg(p).arg(i < 0 ? u"-"_s : QString::number(i)).arg(SkipAnyOf(t, b.toInt(), a)); }},
            {u"IsDigitString"_s, [](QString t, auto &a, auto &) {
                 return IsDigitString(t, a.contains(u's'), a.contains(u'c')) ? u"yes"_s : u"no"_s; }},
            {u"ReplaceText"_s, [](QString t, auto &a, auto &b) { return ReplaceText(t, a, b); }},
            {u"GetExtension"_s, [](QString t, auto &a, auto &) { return GetExtension(t, a == u"lower"_s); }},
            {u"AlignSizeDateTime"_s, [](QString t, auto &a, auto &) { return AlignSizeDateTime(t, a.toLongLong(), false); }},
            // The flag starts as the opposite of the answer, so that it must be set.
            {u"ShortenPath"_s, [](QString t, auto &a, auto &b) { bool cut = b != u"cut"_s; t = ShortenPath(t, a.toInt(), cut);
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
        QCOMPARE(LowerCaseAccented(u"X"_s + capitals + u"Path/To/FILE.TXT"_s), u"x"_s + smalls + u"path/to/file.txt"_s);
        // The multiplication sign sits among the capitals but is no letter; small letters, digits and
        // escaped bytes of file names pass unchanged.
        const QString unchanged = u"2\u00D73 \u00E9x1_\xDCC9"_s;
        QCOMPARE(LowerCaseAccented(unchanged), unchanged);
        // Folding is pure: it is used inside sorts and must never hand control to the window.
        FakeUiServices fake;
        LowerCaseAccented(capitals.repeated(20));
        QCOMPARE(fake.processEventsCalls, 0);
    }

    void fileFunctions()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + u"/f"_s;
        QVERIFY(!FileExists(file) && !FileExists(dir.path()) && !FileExists(QString()));
        QCOMPARE(FormatSizeDateTime(file, true), QString());
        QVERIFY(writeBytes(file, "x") && setModified(file, utc(2026, 5, 12, 9, 30, 5)) && FileExists(file));
        QCOMPARE(FormatSizeDateTime(file, false) + u'|' + FormatSizeDateTime(file, true),
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
            QVERIFY2(WildcardMatch(c.text, c.pattern, c.caseSensitive) == c.expected,
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
            QVERIFY2(FileNameMatches(c.name, c.filespec, false) == c.expected, qPrintable(c.name + u" ~ "_s + c.filespec));
    }

    void buildFilespecTrimsTheExtension()
    {
        QString extension = u"  .txt  "_s;
        QCOMPARE(BuildFilespec(true, extension), u"*.txt"_s);
        QCOMPARE(extension, u".txt"_s); // trimmed in place, for the field
        QCOMPARE(BuildFilespec(true, extension = u"   "_s), QString());
        QCOMPARE(BuildFilespec(false, extension = u"txt"_s), QString());
        // Blanks only: other white space is part of a path.
        QCOMPARE(TrimBlanks(u"\t/tmp/a b\n "_s), u"\t/tmp/a b\n"_s);
    }

    // The sort and the binary search of the scan lists.
    void sortThenSearch_data()
    {
        // Lists separated by "|"; records are 1-based, so a list starts with an unused empty one.
        QTest::addColumn<QString>("records");
        QTest::addColumn<bool>("fold");
        QTest::addColumn<QString>("sorted");
        QTest::addColumn<QString>("keys"); // searched for, each with its position: found at, or minus
        QTest::addColumn<QList<qsizetype>>("positions"); // the insertion point
        QTest::newRow("insertion points") << u"|h|b|j|f|d"_s << true << u"|b|d|f|h|j"_s << u"a|B|c|d|e|F|g|h|i|j|z"_s
                                          << QList<qsizetype>{-1, 1, -2, 2, -3, 3, -4, 4, -5, 5, -6};
        QTest::newRow("one record") << u"|Only"_s << true << u"|Only"_s << u"a|ONLY|z"_s << QList<qsizetype>{-1, 1, -2};
        QTest::newRow("empty") << QString() << true << QString() << u"a"_s << QList<qsizetype>{-1};
        // Plain codes, not path parts: "/" (47) after "." (46) and "-" (45), before "0" (48).
        QTest::newRow("separator") << u"|sub0.txt|sub/a.txt|sub.txt|sub-a.txt|Sub/B.txt"_s << true
                                   << u"|sub-a.txt|sub.txt|sub/a.txt|Sub/B.txt|sub0.txt"_s << u"SUB/b.txt|sub/"_s
                                   << QList<qsizetype>{4, -3};
        QTest::newRow("case-sensitive") << u"|b|B|a|A"_s << false << u"|A|B|a|b"_s << u"a|C"_s << QList<qsizetype>{3, -3};
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
        QStringList list = records.split(u'|');
        const qsizetype n = list.size() - 1;
        SortRecords(list, 1, n, fold, 1);
        QCOMPARE(list, sorted.split(u'|'));
        for (qsizetype k = 0; k < positions.size(); ++k) {
            qsizetype position = 0;
            QCOMPARE(SearchSorted(keys.split(u'|').at(k), list, n, position, 1, !fold), positions.at(k) > 0);
            QCOMPARE(position, positions.at(k));
        }
    }

    void randomListsSortByFoldedKey()
    {
        // Many keys are equal once folded. The scan list sorts as SortRecords does over its record texts,
        // whose key follows the digest, date and size columns; the result is in plain code-unit order.
        QRandomGenerator rng(20240611);
        platform::FileStat st;
        st.kind = platform::EntryKind::File;
        for (int round = 0; round < 10; ++round) {
            ScanList scan;
            QStringList records{QString()};
            const int n = 1 + int(rng.bounded(1500));
            for (int i = 0; i < n; ++i) {
                st.length = (qint64(1) << 40) + i; // sizes are kept past 32 bits
                st.modifiedSecs = 1700000000 + i;
                scan.append(randomName(rng, u"aAbB./-É"_s), scan.fieldForText(QString::number(i), DigestField::Failed), st);
                records.append(scan.recordText(i + 1));
            }
            QStringList sorted = records;
            SortRecords(sorted, 1, n, true, int(records.at(1).indexOf(u'>')) + 3);
            scan.sort();
            for (int i = 1; i <= n; ++i) {
                QCOMPARE(scan.recordText(i), sorted.at(i));
                QCOMPARE(scan.stat(i).length - (qint64(1) << 40), scan.stat(i).modifiedSecs - 1700000000);
                // The index gives the whole run of case twins, and search its first record.
                qsizetype first = 0, last = 0, position = 0;
                QVERIFY(scan.find(scan.foldedKey(i), first, last) && scan.search(scan.foldedKey(i), position));
                QVERIFY(first == position && first <= i && i <= last);
                QVERIFY(first == 1 || scan.foldedKey(first - 1) != scan.foldedKey(i));
                QVERIFY(last == n || scan.foldedKey(last + 1) != scan.foldedKey(i));
            }
            qsizetype first = 0, last = 0, position = 0;
            QVERIFY(!scan.find(u"x"_s, first, last) && !scan.search(u"x"_s, position) && position < 0);
            scan.append(u"\u3042"_s, scan.fieldForText(u"late"_s, DigestField::Failed), st); // sorts last
            QVERIFY(scan.find(u"\u3042"_s, first, last) && first == n + 1);
            std::sort(sorted.begin(), sorted.end());
            std::sort(records.begin(), records.end());
            QCOMPARE(sorted, records);
        }
    }
};

CHEQORA_TEST_MAIN(TestStrProc)
#include "tst_strproc.moc"
