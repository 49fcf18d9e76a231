#include "sortsearch.h"

#include "strproc.h"

namespace cheqora {

namespace {

QStringView keyOf(const QString &record, int intKeyColumn)
{
    const qsizetype start = intKeyColumn < 1 ? 0 : qsizetype(intKeyColumn) - 1;
    return QStringView(record).mid(qMin(start, record.size()));
}

} // namespace

void SortRecords(QStringList &list, qsizetype first, qsizetype last, bool blnFoldCase, int intKeyColumn)
{
    if (first >= last || first < 0 || last >= list.size())
        return;
    // Keys are cut and folded once, then travel with their records.
    QVector<QString> keys(last - first + 1);
    for (qsizetype i = first; i <= last; ++i) {
        const QStringView key = keyOf(list.at(i), intKeyColumn);
        keys[i - first] = blnFoldCase ? LowerCaseAccented(key.toString()) : key.toString();
    }
    sortsearch::SortDescendingThenReverse(
        first, last, [&](qsizetype i) { return QStringView(keys.at(i - first)); },
        [&](qsizetype i, qsizetype j) {
            list.swapItemsAt(i, j);
            keys.swapItemsAt(i - first, j - first);
        });
}

bool SearchSorted(const QString &key, const QStringList &list, qsizetype count, qsizetype &position,
                  int intKeyColumn, bool blnCaseSensitive)
{
    count = qMin(count, list.size() - 1);
    const QString wanted = blnCaseSensitive ? key : LowerCaseAccented(key);
    return sortsearch::SearchSortedKeys(
        count,
        [&](qsizetype i) {
            const QStringView k = keyOf(list.at(i), intKeyColumn);
            if (blnCaseSensitive)
                return CompareCodeUnits(wanted, k);
            return CompareCodeUnits(wanted, LowerCaseAccented(k.toString()));
        },
        position);
}

} // namespace cheqora
