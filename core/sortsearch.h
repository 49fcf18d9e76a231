#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <string>
#include <utility>

namespace cheqora {

// Plain character-code order over UTF-16 code units (no locale collation): <0, 0 or >0.
inline int compareCodeUnits(QStringView a, QStringView b) noexcept
{
    const qsizetype n = a.size() < b.size() ? a.size() : b.size();
    const int c = std::char_traits<char16_t>::compare(a.utf16(), b.utf16(), size_t(n));
    if (c != 0)
        return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

// sortRecords sorts list[first..last] into ascending key order, the key of a record being its text
// from keyOffset on, folded to lower case when foldKeys is set. It is a quicksort into descending
// order followed by a reversal, so records with equal keys end up in the order that procedure gives;
// every key is folded once, not at each comparison.
void sortRecords(QStringList &list, qsizetype first, qsizetype last, bool foldKeys, qsizetype keyOffset);

// Binary search over list[0..count) sorted as above. True with position = the index of a record whose
// key equals key; false with position = the index the key would take.
bool searchSorted(const QString &key, const QStringList &list, qsizetype count, qsizetype &position,
                  qsizetype keyOffset, bool caseSensitive);

namespace sortsearch {

struct CodeUnitOrder {
    int operator()(QStringView a, QStringView b) const noexcept { return compareCodeUnits(a, b); }
};

// The sort procedure over the indices first..last of any sequence. keyAt(i) returns a key that stays
// valid while records are swapped (a QString or a view of storage that does not move); swapAt(i, j)
// exchanges two records; compare(a, b) gives the sign of a - b. The procedure looks at nothing but
// those signs, so keys that stand in for others in the same order (ranks in place of texts) give the
// same arrangement.
// The two partitions are independent, so working through them with an explicit stack, the smaller
// one first, gives the same result as the recursive form without its worst-case depth.
template <typename KeyAt, typename SwapAt, typename Compare = CodeUnitOrder>
void sortDescendingThenReverse(qsizetype first, qsizetype last, KeyAt keyAt, SwapAt swapAt,
                               Compare compare = Compare())
{
    if (first >= last)
        return;
    QVector<std::pair<qsizetype, qsizetype>> pending;
    pending.append({first, last});
    while (!pending.isEmpty()) {
        const auto [lo, hi] = pending.takeLast();
        const auto pivot = keyAt(lo + (hi - lo) / 2);
        qsizetype i = lo;
        qsizetype j = hi;
        while (i <= j) {
            while (i < hi && compare(keyAt(i), pivot) > 0)
                ++i;
            while (j > lo && compare(keyAt(j), pivot) < 0)
                --j;
            if (i <= j) {
                if (i < j)
                    swapAt(i, j);
                ++i;
                --j;
            }
        }
        const bool left = lo < j;
        const bool right = i < hi;
        if (left && right) {
            if (j - lo < hi - i) {
                pending.append({i, hi});
                pending.append({lo, j});
            } else {
                pending.append({lo, j});
                pending.append({i, hi});
            }
        } else if (left) {
            pending.append({lo, j});
        } else if (right) {
            pending.append({i, hi});
        }
    }
    for (qsizetype k = 0; first + k < last - k; ++k)
        swapAt(first + k, last - k);
}

// The search procedure over keys 0..count - 1; compareAt(i) returns the sign of (key - key(i)).
// True with position = the index of an equal key; false with position = the index the key would take.
template <typename CompareAt>
bool searchSortedKeys(qsizetype count, CompareAt compareAt, qsizetype &position)
{
    if (count <= 0 || compareAt(0) < 0) {
        position = 0;
        return false;
    }
    if (compareAt(count - 1) > 0) {
        position = count;
        return false;
    }
    if (count == 1) {
        position = 0;
        return true;
    }
    qsizetype lo = 0;
    qsizetype hi = count - 1;
    qsizetype mid = count / 2 - 1;
    for (;;) {
        const int c = compareAt(mid);
        if (c == 0) {
            position = mid;
            return true;
        }
        if (c > 0) {
            if (mid == hi) {
                position = hi + 1;
                return false;
            }
            lo = mid + 1;
            mid = mid + (hi - mid + 1) / 2;
        } else {
            if (mid == lo) {
                position = lo;
                return false;
            }
            hi = mid - 1;
            mid = mid - (mid - lo + 1) / 2;
        }
    }
}

} // namespace sortsearch

} // namespace cheqora
