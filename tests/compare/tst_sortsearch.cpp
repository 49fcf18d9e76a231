#include "scanlist.h"
#include "sortsearch.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace cheqora;
using namespace Qt::StringLiterals;

namespace {

QString randomName(QRandomGenerator &rng, const QString &alphabet)
{
    QString s;
    for (int i = 0, n = 1 + int(rng.bounded(5)); i < n; ++i)
        s.append(alphabet.at(rng.bounded(int(alphabet.size()))));
    return s;
}

} // namespace

class SortSearchTest : public QObject {
    Q_OBJECT

private slots:
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

CHEQORA_TEST_MAIN(SortSearchTest)
#include "tst_sortsearch.moc"
