#pragma once

#include "digestfield.h"
#include "filesystem.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace cheqora {

// A growing array kept in chunks of 65536 elements that never move: a million elements grow without
// copying the ones before and without the spare half of a doubled vector.
template <typename T>
class ChunkedArray {
public:
    size_t size() const { return m_size; }
    T &operator[](size_t i) { return m_chunks[i >> kShift][i & kMask]; }
    const T &operator[](size_t i) const { return m_chunks[i >> kShift][i & kMask]; }
    void push_back(const T &value)
    {
        if ((m_size >> kShift) == m_chunks.size()) {
            m_chunks.emplace_back();
            if (m_chunks.size() > 1)
                m_chunks.back().reserve(size_t(1) << kShift); // only the first of a small list grows
        }
        m_chunks.back().push_back(value);
        ++m_size;
    }
    void clear()
    {
        std::vector<std::vector<T>>().swap(m_chunks);
        m_size = 0;
    }

private:
    static constexpr int kShift = 16;
    static constexpr size_t kMask = (size_t(1) << kShift) - 1;
    std::vector<std::vector<T>> m_chunks;
    size_t m_size = 0;
};

// A folded key as the scan list holds it: its own units, or those of an ASCII key read with A..Z
// as a..z (lowerAscii).
struct FoldedUnits {
    const char16_t *units;
    qsizetype size;
    bool lowerAscii;

    char16_t at(qsizetype k) const
    {
        // Without branches: capitals fall at random places in a path.
        const unsigned u = units[k];
        return char16_t(u + (unsigned(lowerAscii && u - u'A' < 26u) << 5));
    }
    // Units k..k+3 as one word, folded (k + 4 <= size); equal words, equal units.
    quint64 word(qsizetype k) const
    {
        quint64 w;
        std::memcpy(&w, units + k, sizeof w);
        if (!lowerAscii)
            return w;
        // In each 16-bit lane below 0x80, bit 7 of lane + 0x3F says >= 'A', of lane + 0x25 >= '['.
        const quint64 capital = (w + 0x003F003F003F003Full) & ~(w + 0x0025002500250025ull) & 0x0080008000800080ull;
        return w | (capital >> 2);
    }
};

// The scan records of the reference folder, numbered from 0. A record is the digest field, the
// file's size and modification time, and its path relative to the walk's root; its key is that
// path, folded to lower case: a path whose only capitals are A..Z is read in small letters where it
// lies, any other that folding changes gets a folded copy once, when the record is stored. Paths
// live in large fixed blocks that never move, so a million records take little more than their
// characters. Records stay where they were stored; sorting arranges their numbers.
class ScanList {
public:
    qsizetype count() const { return qsizetype(m_records.size()); }
    void append(QStringView relativePath, const DigestField &field, const platform::FileStat &st);
    // Empties the list and gives its memory back.
    void release();

    QStringView key(qsizetype i) const
    {
        const Record &r = at(i);
        return QStringView(r.key, r.keyLength);
    }
    QString foldedKey(qsizetype i) const;
    const DigestField &field(qsizetype i) const { return at(i).field; }
    platform::FileStat stat(qsizetype i) const;
    // The record as one text: digest field, a blank, size/date text, "> ", relative path.
    QString recordText(qsizetype i, const DigestFieldTexts &texts) const;

    // Ascending folded-key order by the quicksort of sortRecords.
    void sort();
    // Search by folded key; position as in searchSorted: the record found (the first of its equal
    // range once sorted), or where the key would go. Hits use the index that sort() builds; misses need the insertion point, so
    // they take the binary search.
    bool search(QStringView folded, qsizetype &position) const;
    // Whether a record has this folded key and, if so, the first and last index of its equal range:
    // one probe of the index after sort(), the binary search before it.
    bool find(QStringView folded, qsizetype &first, qsizetype &last) const;
    // The first and last index whose folded key equals that of record i.
    void equalRange(qsizetype i, qsizetype &first, qsizetype &last) const;

private:
    struct Record {
        const char16_t *key; // followed by the folded key when foldedLength > 0
        qint32 keyLength;
        qint32 foldedLength; // 0: an ASCII key read with A..Z as a..z; -1: the key as it is
        qint64 length;
        qint64 modifiedSecs;
        DigestField field;
    };

    static FoldedUnits foldedOf(const Record &r)
    {
        return r.foldedLength > 0 ? FoldedUnits{r.key + r.keyLength, r.foldedLength, false}
                                  : FoldedUnits{r.key, r.keyLength, r.foldedLength == 0};
    }
    // Record i in the order of the last sort (stored order before it).
    const Record &at(qsizetype i) const
    {
        Q_ASSERT(i >= 0 && i < count());
        return m_records[m_order.empty() ? size_t(i) : size_t(m_order[size_t(i)])];
    }
    char16_t *space(qsizetype n);
    void buildIndex(const std::vector<quint32> &ranks);
    // The first position of the key's equal range, -1 when absent; twins says whether it has more.
    qsizetype indexLookup(QStringView folded, bool *twins = nullptr) const;
    qsizetype lastOfRange(qsizetype i) const;

    ChunkedArray<Record> m_records;
    std::vector<quint32> m_order; // sorted position to stored index; empty: the stored order
    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    char16_t *m_free = nullptr;
    qsizetype m_freeLeft = 0;
    // Open addressing from folded key to the first index of its equal range, built by sort(): each
    // slot holds the upper bits of the key's hash and whether the range has more than one record
    // above the 32-bit index + 1 (0: empty), so keys are compared only when the stored bits match.
    std::vector<quint64> m_index;
};

} // namespace cheqora
