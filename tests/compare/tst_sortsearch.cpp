#include "scanlist.h"
#include "sortsearch.h"
#include "strproc.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <string>

using namespace cheqora;
using namespace Qt::StringLiterals;

namespace {

// The sort exactly as the procedure reads: recursive quicksort into descending order, then reversal.
// Keys are compared as std::u16string, i.e. by UTF-16 code units, and folded at every comparison.
struct ReferenceSort {
    QStringList &list;
    bool fold;
    int column;

    std::u16string key(qsizetype i) const
    {
        QString k = list.at(i).mid(column - 1);
        if (fold)
            k = k.toLower();
        return k.toStdU16String();
    }
    void quick(qsizetype first, qsizetype last)
    {
        const std::u16string pivot = key(first + (last - first) / 2);
        qsizetype i = first;
        qsizetype j = last;
        while (i <= j) {
            while (i < last && key(i) > pivot)
                ++i;
            while (j > first && key(j) < pivot)
                --j;
            if (i <= j) {
                if (i < j)
                    list.swapItemsAt(i, j);
                ++i;
                --j;
            }
        }
        if (first < j)
            quick(first, j);
        if (i < last)
            quick(i, last);
    }
    void sort(qsizetype first, qsizetype last)
    {
        if (first >= last)
            return;
        quick(first, last);
        for (qsizetype k = 0; first + k < last - k; ++k)
            list.swapItemsAt(first + k, last - k);
    }
};

// A 1-based list: index 0 unused.
QStringList oneBased(const QStringList &records)
{
    return QStringList{QString()} + records;
}

QString randomName(QRandomGenerator &rng, const QString &alphabet, int maxLength)
{
    const int n = 1 + int(rng.bounded(maxLength));
    QString s;
    for (int i = 0; i < n; ++i)
        s.append(alphabet.at(rng.bounded(int(alphabet.size()))));
    return s;
}

} // namespace

class SortSearchTest : public QObject {
    Q_OBJECT

private slots:
    void sortsFoldedAndFindsAnyCase();
    void searchInsertionPoints();
    void searchOneRecord();
    void sortEmptyAndSingleRanges();
    void separatorSortsAfterDot();
    void keyColumnCutsRecords();
    void caseSensitiveOrdering();
    void sortMatchesProcedureIncludingTies();
    void searchMatchesLowerBound();
    void scanListSortsLikeSortRecords();
    void scanListRecordsAndFields();
};

void SortSearchTest::sortsFoldedAndFindsAnyCase()
{
    QStringList list = oneBased({u"b.txt"_s, u"A.txt"_s, u"c.txt"_s});
    SortRecords(list, 1, 3, true, 1);
    QCOMPARE(list, oneBased({u"A.txt"_s, u"b.txt"_s, u"c.txt"_s}));
    qsizetype position = 0;
    QVERIFY(SearchSorted(u"B.TXT"_s, list, 3, position, 1, false));
    QCOMPARE(position, qsizetype(2));
    QVERIFY(SearchSorted(u"a.TXT"_s, list, 3, position, 1, false));
    QCOMPARE(position, qsizetype(1));
}

void SortSearchTest::searchInsertionPoints()
{
    const QStringList list = oneBased({u"b"_s, u"d"_s, u"f"_s, u"h"_s, u"j"_s});
    qsizetype position = 0;
    QVERIFY(!SearchSorted(u"a"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(-1));
    QVERIFY(!SearchSorted(u"z"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(-6));
    QVERIFY(!SearchSorted(u"e"_s, list, 5, position, 1, false)); // between records 2 and 3
    QCOMPARE(position, qsizetype(-3));
    QVERIFY(!SearchSorted(u"i"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(-5));
    QVERIFY(!SearchSorted(u"c"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(-2));
    for (qsizetype i = 1; i <= 5; ++i) {
        QVERIFY(SearchSorted(list.at(i), list, 5, position, 1, false));
        QCOMPARE(position, i);
    }
    QVERIFY(!SearchSorted(u"a"_s, list, 0, position, 1, false));
    QCOMPARE(position, qsizetype(-1));
}

void SortSearchTest::searchOneRecord()
{
    const QStringList list = oneBased({u"Only.txt"_s});
    qsizetype position = 0;
    QVERIFY(SearchSorted(u"ONLY.TXT"_s, list, 1, position, 1, false));
    QCOMPARE(position, qsizetype(1));
    QVERIFY(!SearchSorted(u"a"_s, list, 1, position, 1, false));
    QCOMPARE(position, qsizetype(-1));
    QVERIFY(!SearchSorted(u"z"_s, list, 1, position, 1, false));
    QCOMPARE(position, qsizetype(-2));
}

void SortSearchTest::sortEmptyAndSingleRanges()
{
    const QStringList original = oneBased({u"c"_s, u"b"_s, u"a"_s});
    QStringList list = original;
    SortRecords(list, 2, 2, true, 1);
    QCOMPARE(list, original);
    SortRecords(list, 3, 2, true, 1);
    QCOMPARE(list, original);
    SortRecords(list, 2, 3, true, 1); // only the range moves
    QCOMPARE(list, oneBased({u"c"_s, u"a"_s, u"b"_s}));
}

void SortSearchTest::separatorSortsAfterDot()
{
    // "/" (47) sorts after "." (46), before "0" (48), after "-" (45): plain codes, not path parts.
    QStringList list = oneBased({u"sub0.txt"_s, u"sub/a.txt"_s, u"sub.txt"_s, u"sub-a.txt"_s, u"Sub/B.txt"_s});
    SortRecords(list, 1, 5, true, 1);
    QCOMPARE(list, oneBased({u"sub-a.txt"_s, u"sub.txt"_s, u"sub/a.txt"_s, u"Sub/B.txt"_s, u"sub0.txt"_s}));
    qsizetype position = 0;
    QVERIFY(SearchSorted(u"SUB/b.txt"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(4));
    QVERIFY(!SearchSorted(u"sub/"_s, list, 5, position, 1, false));
    QCOMPARE(position, qsizetype(-3));
}

void SortSearchTest::keyColumnCutsRecords()
{
    // Records whose leading columns would order them the other way round.
    QStringList list = oneBased({u"1111> zeta"_s, u"9999> Alpha"_s, u"5555> beta"_s});
    SortRecords(list, 1, 3, true, 7);
    QCOMPARE(list, oneBased({u"9999> Alpha"_s, u"5555> beta"_s, u"1111> zeta"_s}));
    qsizetype position = 0;
    QVERIFY(SearchSorted(u"BETA"_s, list, 3, position, 7, false));
    QCOMPARE(position, qsizetype(2));
}

void SortSearchTest::caseSensitiveOrdering()
{
    QStringList list = oneBased({u"b"_s, u"B"_s, u"a"_s, u"A"_s});
    SortRecords(list, 1, 4, false, 1);
    QCOMPARE(list, oneBased({u"A"_s, u"B"_s, u"a"_s, u"b"_s}));
    qsizetype position = 0;
    QVERIFY(SearchSorted(u"a"_s, list, 4, position, 1, true));
    QCOMPARE(position, qsizetype(3));
    QVERIFY(!SearchSorted(u"C"_s, list, 4, position, 1, true));
    QCOMPARE(position, qsizetype(-3));
}

void SortSearchTest::sortMatchesProcedureIncludingTies()
{
    // A small alphabet with both letter cases gives many keys that are equal once folded, so the
    // order of equal keys, which the procedure leaves to its swaps, is compared too.
    QRandomGenerator rng(20240611);
    const QString alphabet = u"aAbB./-É"_s;
    for (int round = 0; round < 20; ++round) {
        QStringList records;
        const int n = 1 + int(rng.bounded(800));
        for (int i = 0; i < n; ++i)
            records.append(QString::number(i).rightJustified(4, u'0') + u"> "_s + randomName(rng, alphabet, 5));
        QStringList expected = oneBased(records);
        QStringList actual = expected;
        ReferenceSort{expected, true, 7}.sort(1, n);
        SortRecords(actual, 1, n, true, 7);
        QCOMPARE(actual, expected);
    }
}

void SortSearchTest::searchMatchesLowerBound()
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 20; ++round) {
        QStringList keys;
        const int n = int(rng.bounded(300));
        while (keys.size() < n) {
            const QString k = randomName(rng, u"abc/."_s, 6);
            if (!keys.contains(k))
                keys.append(k);
        }
        std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) { return CompareCodeUnits(a, b) < 0; });
        const QStringList list = oneBased(keys);
        for (int probe = 0; probe < 200; ++probe) {
            const QString k = randomName(rng, u"abc/."_s, 6);
            const auto it = std::lower_bound(keys.begin(), keys.end(), k,
                                             [](const QString &a, const QString &b) { return a.toStdU16String() < b.toStdU16String(); });
            const qsizetype insertion = qsizetype(it - keys.begin()) + 1;
            const bool present = it != keys.end() && *it == k;
            qsizetype position = 0;
            QCOMPARE(SearchSorted(k, list, n, position, 1, true), present);
            QCOMPARE(position, present ? insertion : -insertion);
        }
    }
}

void SortSearchTest::scanListSortsLikeSortRecords()
{
    QRandomGenerator rng(99);
    ScanList scan;
    QStringList records;
    platform::FileStat st;
    st.kind = platform::EntryKind::File;
    const int n = 1500;
    for (int i = 0; i < n; ++i) {
        const QString path = randomName(rng, u"aAbB/.Ü"_s, 6);
        st.length = i;
        st.modifiedSecs = 1700000000 + i;
        scan.append(path, scan.fieldForText(QString::number(i)), st);
        records.append(scan.recordText(i + 1));
    }
    const int column = int(records.first().indexOf(u'>')) + 3;
    QStringList list = oneBased(records);
    SortRecords(list, 1, n, true, column);
    scan.sort();
    for (int i = 1; i <= n; ++i)
        QCOMPARE(scan.recordText(i), list.at(i));

    // Every key is found, through any letter case, within its range of equal folded keys.
    for (int i = 1; i <= n; ++i) {
        qsizetype position = 0;
        QVERIFY(scan.search(LowerCaseAccented(scan.key(i).toString().toUpper()), position));
        qsizetype first = 0;
        qsizetype last = 0;
        scan.equalRange(position, first, last);
        QVERIFY(first <= i && i <= last);
    }
}

void SortSearchTest::scanListRecordsAndFields()
{
    ScanList scan;
    platform::FileStat st;
    st.kind = platform::EntryKind::File;
    st.length = 1204;
    st.modifiedSecs = 1796463000; // 2026-12-05 09:30:00 UTC
    const QString digest = u"0123456789ABCDEF0123456789ABCDEF"_s;
    scan.append(u"sub/a.txt"_s, scan.fieldForDigest(digest), st);
    QCOMPARE(scan.recordText(1), digest + u" 2026-12-05 09:30:00, 1,204         > sub/a.txt"_s);
    QCOMPARE(scan.key(1), u"sub/a.txt"_s);

    // Status texts are padded or cut to 32 characters, and equal exactly when those 32 are.
    const DigestField zero = scan.fieldForText(u"Zero-length file"_s);
    QCOMPARE(scan.fieldText(zero), u"Zero-length file"_s.leftJustified(32));
    QVERIFY(zero == scan.fieldForText(u"Zero-length file"_s));
    QVERIFY(zero != scan.fieldForText(u"Large file skipped"_s));
    const QString longA = u"An error description longer than thirty-two characters, A"_s;
    const QString longB = u"An error description longer than thirty-two characters, B"_s;
    QVERIFY(scan.fieldForText(longA) == scan.fieldForText(longB));
    QCOMPARE(scan.fieldText(scan.fieldForText(longA)), longA.left(32));
    QVERIFY(scan.fieldForDigest(digest) == scan.field(1));
    QVERIFY(scan.fieldForDigest(u"0123456789ABCDEF0123456789ABCDE0"_s) != scan.field(1));
    QVERIFY(scan.fieldForDigest(digest) != zero);
    // A 64-bit size widens the size column; the key stays the path.
    st.length = 214748364800;
    scan.append(u"big.bin"_s, zero, st);
    QVERIFY(scan.recordText(2).endsWith(u", 214,748,364,800> big.bin"_s));
    qsizetype position = 0;
    scan.sort();
    QVERIFY(scan.search(u"big.bin"_s, position));
    QCOMPARE(position, qsizetype(1));

    scan.release();
    QCOMPARE(scan.count(), qsizetype(0));
}

CHEQORA_TEST_MAIN(SortSearchTest)
#include "tst_sortsearch.moc"
