#include "sortsearch.h"

#include "strproc.h"

namespace cheqora {

namespace {

QStringView keyOf(const QString &record, qsizetype keyOffset)
{
    return QStringView(record).mid(qBound(qsizetype(0), keyOffset, record.size()));
}

} // namespace

void sortRecords(QStringList &list, qsizetype first, qsizetype last, bool foldKeys, qsizetype keyOffset)
{
    if (first >= last || first < 0 || last >= list.size())
        return;
    // Keys are cut and folded once, then travel with their records.
    QVector<QString> keys(last - first + 1);
    for (qsizetype i = first; i <= last; ++i) {
        const QStringView key = keyOf(list.at(i), keyOffset);
        keys[i - first] = foldKeys ? foldCase(key.toString()) : key.toString();
    }
    sortsearch::sortDescendingThenReverse(
        first, last, [&](qsizetype i) { return QStringView(keys.at(i - first)); },
        [&](qsizetype i, qsizetype j) {
            list.swapItemsAt(i, j);
            keys.swapItemsAt(i - first, j - first);
        });
}

bool searchSorted(const QString &key, const QStringList &list, qsizetype count, qsizetype &position,
                  qsizetype keyOffset, bool caseSensitive)
{
    count = qMin(count, list.size());
    const QString wanted = caseSensitive ? key : foldCase(key);
    return sortsearch::searchSortedKeys(
        count,
        [&](qsizetype i) {
            const QStringView k = keyOf(list.at(i), keyOffset);
            if (caseSensitive)
                return compareCodeUnits(wanted, k);
            return compareCodeUnits(wanted, foldCase(k.toString()));
        },
        position);
}

} // namespace cheqora
