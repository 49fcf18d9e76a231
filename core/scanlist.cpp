#include "scanlist.h"

#include "sortsearch.h"
#include "strproc.h"

#include <algorithm>
#include <utility>

namespace cheqora {

namespace {

constexpr qsizetype kBlockChars = qsizetype(1) << 20;
// An index slot: the upper bits of the key's hash, a bit for a key with twins, the 32-bit position + 1.
constexpr quint64 kIndexCheck = 0xFFFFFFFE00000000ull;
constexpr quint64 kIndexTwins = quint64(1) << 32;

FoldedUnits unitsOf(QStringView folded)
{
    return FoldedUnits{folded.utf16(), folded.size(), false};
}

// Four units to a word, then a full mix: the slot comes from the low half, the stored check from
// the high half.
quint64 foldedHash(const FoldedUnits &f)
{
    constexpr quint64 kMul = 0xff51afd7ed558ccdull;
    quint64 h = quint64(f.size) * 0x9E3779B97F4A7C15ull;
    qsizetype k = 0;
    for (; k + 4 <= f.size; k += 4) {
        h = (h ^ f.word(k)) * kMul;
        h ^= h >> 29;
    }
    quint64 tail = 0;
    for (; k < f.size; ++k)
        tail = (tail << 16) | f.at(k);
    h = (h ^ tail) * kMul;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}

// The sign of a - b in code-unit order, both known to agree before from.
int compareFolded(const FoldedUnits &a, const FoldedUnits &b, qsizetype from = 0)
{
    const qsizetype n = qMin(a.size, b.size);
    if (!a.lowerAscii && !b.lowerAscii && from <= n)
        return compareCodeUnits(QStringView(a.units + from, a.size - from), QStringView(b.units + from, b.size - from));
    qsizetype k = from;
    while (k + 4 <= n && a.word(k) == b.word(k))
        k += 4;
    for (; k < n; ++k) {
        if (const int d = int(a.at(k)) - int(b.at(k)))
            return d;
    }
    return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
}

bool equalFolded(const FoldedUnits &a, const FoldedUnits &b)
{
    return a.size == b.size && compareFolded(a, b) == 0;
}

// A folded key being ranked: its record, its length and four of its code units from the current
// depth on, packed so that integer order is the units' order (0 past the key's end).
struct KeySlot {
    quint64 window;
    quint32 record;
    quint32 length;
};

quint64 windowAt(const FoldedUnits &key, qsizetype depth)
{
    quint64 window = 0;
    for (qsizetype k = depth; k < depth + 4; ++k)
        window = (window << 16) | (k < key.size ? key.at(k) : 0);
    return window;
}

// Radix order over four code units at a time: a path is read once per four characters rather than
// once per comparison, which matters when a million paths share their first folders. Returns the
// rank of each record's key, equal keys sharing one; keyOf(record) gives the key.
template <typename KeyOf>
std::vector<quint32> rankKeys(std::vector<KeySlot> &keys, KeyOf keyOf)
{
    constexpr size_t kSmallRange = 32;
    const size_t n = keys.size();
    std::vector<quint8> differs(n, 0); // the key at this sorted place is not the one before it
    // Keys that agree up to depth, ordered by the rest.
    const auto sortTails = [&](KeySlot *lo, KeySlot *hi, qsizetype depth) {
        const auto compare = [&](const KeySlot &a, const KeySlot &b) {
            return compareFolded(keyOf(a.record), keyOf(b.record), qMin(depth, qsizetype(qMin(a.length, b.length))));
        };
        std::sort(lo, hi, [&](const KeySlot &a, const KeySlot &b) { return compare(a, b) < 0; });
        for (KeySlot *s = lo + 1; s < hi; ++s)
            differs[size_t(s - keys.data())] = compare(s[-1], *s) != 0;
    };
    struct Range {
        size_t lo, hi;
        qsizetype depth;
    };
    std::vector<Range> pending{{0, n, 0}};
    while (!pending.empty()) {
        const Range r = pending.back();
        pending.pop_back();
        KeySlot *const lo = keys.data() + r.lo;
        KeySlot *const hi = keys.data() + r.hi;
        if (r.hi - r.lo <= kSmallRange) {
            sortTails(lo, hi, r.depth);
            continue;
        }
        for (KeySlot *s = lo; s < hi; ++s)
            s->window = windowAt(keyOf(s->record), r.depth);
        std::sort(lo, hi, [](const KeySlot &a, const KeySlot &b) { return a.window < b.window; });
        for (KeySlot *a = lo; a < hi;) {
            KeySlot *b = a + 1;
            while (b < hi && b->window == a->window)
                ++b;
            if (a > lo)
                differs[size_t(a - keys.data())] = 1;
            if (b - a > 1) {
                // Keys that end inside the window (or hold a NUL there) are settled as wholes.
                if ((a->window & 0xFFFF) == 0)
                    sortTails(a, b, r.depth);
                else
                    pending.push_back({size_t(a - keys.data()), size_t(b - keys.data()), r.depth + 4});
            }
            a = b;
        }
    }
    std::vector<quint32> ranks(n);
    quint32 rank = 0;
    for (size_t k = 0; k < n; ++k) {
        rank += differs[k];
        ranks[keys[k].record] = rank;
    }
    return ranks;
}

} // namespace

char16_t *ScanList::space(qsizetype n)
{
    if (n > m_freeLeft) {
        const qsizetype size = qMax(n, kBlockChars);
        m_blocks.emplace_back(new char16_t[size_t(size)]);
        m_free = m_blocks.back().get();
        m_freeLeft = size;
    }
    char16_t *out = m_free;
    m_free += n;
    m_freeLeft -= n;
    return out;
}

void ScanList::append(QStringView relativePath, const DigestField &field, const platform::FileStat &st)
{
    // A path whose only capitals are A..Z is folded as it is read; any other that folding changes
    // keeps its folded copy right behind it.
    bool ascii = true;
    for (const QChar ch : relativePath)
        ascii = ascii && ch.unicode() < 0x80;
    const qsizetype n = relativePath.size();
    QString folded;
    qsizetype foldedLength = 0;
    if (!ascii) {
        folded = foldCase(relativePath.toString());
        foldedLength = QStringView(folded) != relativePath ? folded.size() : -1;
    }
    Record r;
    r.key = u"";
    if (n + qMax<qsizetype>(foldedLength, 0) > 0) {
        char16_t *out = space(n + qMax<qsizetype>(foldedLength, 0));
        std::copy(relativePath.utf16(), relativePath.utf16() + n, out);
        if (foldedLength > 0)
            std::copy(QStringView(folded).utf16(), QStringView(folded).utf16() + foldedLength, out + n);
        r.key = out;
    }
    r.keyLength = qint32(n);
    r.foldedLength = qint32(foldedLength);
    r.length = st.length;
    r.modifiedSecs = st.modifiedSecs;
    r.field = field;
    m_records.push_back(r);
    if (!m_order.empty())
        m_order.push_back(quint32(m_records.size() - 1));
    // A record added after the sort is not in the index: the binary search sees the list as it is.
    if (!m_index.empty())
        std::vector<quint64>().swap(m_index);
}

void ScanList::release()
{
    m_records.clear();
    std::vector<quint32>().swap(m_order);
    std::vector<quint64>().swap(m_index);
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_free = nullptr;
    m_freeLeft = 0;
}

platform::FileStat ScanList::stat(qsizetype i) const
{
    const Record &r = at(i);
    platform::FileStat st;
    st.kind = platform::EntryKind::File;
    st.length = r.length;
    st.modifiedSecs = r.modifiedSecs;
    return st;
}

QString ScanList::recordText(qsizetype i, const DigestFieldTexts &texts) const
{
    return texts.text(field(i)) + u' ' + sizeDateTimeText(stat(i), false) + QStringLiteral("> ")
        + key(i).toString();
}

void ScanList::sort()
{
    std::vector<quint64>().swap(m_index);
    std::vector<quint32>().swap(m_order);
    const size_t n = m_records.size();
    if (n > 0xFFFFFFFFu) {
        // Beyond 32-bit numbers the quicksort moves the records themselves; the binary search serves.
        sortsearch::sortDescendingThenReverse(
            0, count() - 1, [this](qsizetype i) { return foldedKey(i); },
            [this](qsizetype i, qsizetype j) { std::swap(m_records[size_t(i)], m_records[size_t(j)]); });
        return;
    }
    std::vector<quint32> ranks;
    {
        std::vector<KeySlot> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = KeySlot{0, quint32(i), quint32(foldedOf(m_records[i]).size)};
        ranks = rankKeys(keys, [this](quint32 record) { return foldedOf(m_records[record]); });
    }
    // The quicksort decides by the signs of its comparisons alone, so over ranks that order as the
    // keys do it gives the same arrangement, twins included, without reading a path.
    struct Ranked {
        quint32 rank;
        quint32 record;
    };
    std::vector<Ranked> ranked(n);
    for (size_t i = 0; i < n; ++i)
        ranked[i] = Ranked{ranks[i], quint32(i)};
    sortsearch::sortDescendingThenReverse(
        0, qsizetype(n) - 1, [&](qsizetype i) { return ranked[size_t(i)].rank; },
        [&](qsizetype i, qsizetype j) { std::swap(ranked[size_t(i)], ranked[size_t(j)]); },
        [](quint32 a, quint32 b) { return a < b ? -1 : (a > b ? 1 : 0); });
    m_order.resize(n);
    for (size_t k = 0; k < n; ++k)
        m_order[k] = ranked[k].record;
    std::vector<Ranked>().swap(ranked);
    buildIndex(ranks);
}

void ScanList::buildIndex(const std::vector<quint32> &ranks)
{
    const size_t n = m_order.size();
    if (n == 0)
        return;
    // Each key's first sorted position (+ 1, so that 0 stays "none") goes to the first record of its
    // rank in stored order, where the keys are hashed as they lie.
    std::vector<quint32> first(size_t(ranks[m_order[n - 1]]) + 1, 0);
    for (size_t k = n; k-- > 0;)
        first[ranks[m_order[k]]] = quint32(k + 1);
    size_t slotCount = 16;
    while (slotCount < n * 2)
        slotCount *= 2;
    m_index.assign(slotCount, 0);
    const size_t mask = slotCount - 1;
    for (size_t i = 0; i < n; ++i) {
        const quint32 next = std::exchange(first[ranks[i]], 0); // the position after the first
        if (next == 0)
            continue;
        const bool twins = next < n && ranks[m_order[next]] == ranks[i];
        const quint64 h = foldedHash(foldedOf(m_records[i]));
        size_t slot = size_t(h) & mask;
        while (m_index[slot] != 0)
            slot = (slot + 1) & mask;
        m_index[slot] = (h & kIndexCheck) | (twins ? kIndexTwins : 0) | quint64(next);
    }
}

qsizetype ScanList::indexLookup(QStringView folded, bool *twins) const
{
    const FoldedUnits wanted = unitsOf(folded);
    const quint64 h = foldedHash(wanted);
    const size_t mask = m_index.size() - 1;
    for (size_t slot = size_t(h) & mask;; slot = (slot + 1) & mask) {
        const quint64 entry = m_index[slot];
        if (entry == 0)
            return -1;
        const qsizetype i = qsizetype(entry & 0xFFFFFFFFu) - 1;
        if ((entry & kIndexCheck) == (h & kIndexCheck) && equalFolded(foldedOf(at(i)), wanted)) {
            if (twins)
                *twins = (entry & kIndexTwins) != 0;
            return i;
        }
    }
}

bool ScanList::search(QStringView folded, qsizetype &position) const
{
    if (!m_index.empty()) {
        const qsizetype i = indexLookup(folded);
        if (i >= 0) {
            position = i;
            return true;
        }
    }
    return sortsearch::searchSortedKeys(
        count(), [&](qsizetype i) { return compareFolded(unitsOf(folded), foldedOf(at(i))); }, position);
}

bool ScanList::find(QStringView folded, qsizetype &first, qsizetype &last) const
{
    qsizetype position = 0;
    if (m_index.empty()) {
        if (!search(folded, position))
            return false;
        equalRange(position, first, last);
        return true;
    }
    // The index gives the first of the equal range and whether it has more: most keys have no
    // twin, and their neighbours are not read.
    bool twins = false;
    position = indexLookup(folded, &twins);
    if (position < 0)
        return false;
    first = position;
    last = twins ? lastOfRange(position) : position;
    return true;
}

void ScanList::equalRange(qsizetype i, qsizetype &first, qsizetype &last) const
{
    const FoldedUnits k = foldedOf(at(i));
    first = i;
    while (first > 0 && equalFolded(foldedOf(at(first - 1)), k))
        --first;
    last = lastOfRange(i);
}

qsizetype ScanList::lastOfRange(qsizetype i) const
{
    const FoldedUnits k = foldedOf(at(i));
    qsizetype last = i;
    while (last + 1 < count() && equalFolded(foldedOf(at(last + 1)), k))
        ++last;
    return last;
}

QString ScanList::foldedKey(qsizetype i) const
{
    const FoldedUnits f = foldedOf(at(i));
    QString out(f.size, Qt::Uninitialized);
    for (qsizetype k = 0; k < f.size; ++k)
        out[k] = QChar(f.at(k));
    return out;
}

} // namespace cheqora
