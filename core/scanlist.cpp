#include "scanlist.h"

#include "sortsearch.h"
#include "strproc.h"

#include <algorithm>

namespace cheqora {

namespace {

constexpr qsizetype kBlockChars = qsizetype(1) << 20;

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

ScanList::ScanList()
{
    m_texts.append(QString());
}

const char16_t *ScanList::store(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return u"";
    if (n > m_freeLeft) {
        const qsizetype size = qMax(n, kBlockChars);
        m_blocks.emplace_back(new char16_t[size_t(size)]);
        m_free = m_blocks.back().get();
        m_freeLeft = size;
    }
    char16_t *out = m_free;
    std::copy(text.utf16(), text.utf16() + n, out);
    m_free += n;
    m_freeLeft -= n;
    return out;
}

void ScanList::append(QStringView relativePath, const DigestField &field, const platform::FileStat &st)
{
    Record r;
    r.keyLength = qint32(relativePath.size());
    r.key = store(relativePath);
    const QString folded = LowerCaseAccented(relativePath.toString());
    if (QStringView(folded) == relativePath) {
        r.folded = r.key;
        r.foldedLength = r.keyLength;
    } else {
        r.foldedLength = qint32(folded.size());
        r.folded = store(folded);
    }
    r.length = st.length;
    r.modifiedSecs = st.modifiedSecs;
    r.field = field;
    m_records.push_back(r);
}

void ScanList::release()
{
    std::vector<Record>().swap(m_records);
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_free = nullptr;
    m_freeLeft = 0;
}

DigestField ScanList::fieldForDigest(const QString &digest)
{
    DigestField f;
    if (digest.size() == 32) {
        bool ok = true;
        for (int i = 0; i < 16 && ok; ++i) {
            const int hi = hexValue(digest.at(2 * i));
            const int lo = hexValue(digest.at(2 * i + 1));
            ok = hi >= 0 && lo >= 0;
            f.bytes[size_t(i)] = quint8((hi << 4) | lo);
        }
        if (ok)
            return f;
    }
    return fieldForText(digest, DigestField::Failed);
}

DigestField ScanList::fieldForText(const QString &text, DigestField::Kind kind)
{
    const QString padded = text.leftJustified(32, u' ', true);
    DigestField f;
    f.kind = kind;
    auto it = m_textIndex.constFind(padded);
    if (it != m_textIndex.constEnd()) {
        f.textIndex = it.value();
        return f;
    }
    f.textIndex = quint32(m_texts.size());
    m_texts.append(padded);
    m_textIndex.insert(padded, f.textIndex);
    return f;
}

QString ScanList::fieldText(const DigestField &field) const
{
    if (field.textIndex != 0)
        return m_texts.at(field.textIndex);
    static const char16_t hex[] = u"0123456789ABCDEF";
    QString out(32, Qt::Uninitialized);
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = QChar(hex[field.bytes[size_t(i)] >> 4]);
        out[2 * i + 1] = QChar(hex[field.bytes[size_t(i)] & 0x0F]);
    }
    return out;
}

QStringView ScanList::key(qsizetype i) const
{
    const Record &r = m_records[size_t(i - 1)];
    return QStringView(r.key, r.keyLength);
}

QStringView ScanList::foldedKey(qsizetype i) const
{
    const Record &r = m_records[size_t(i - 1)];
    return QStringView(r.folded, r.foldedLength);
}

platform::FileStat ScanList::stat(qsizetype i) const
{
    const Record &r = m_records[size_t(i - 1)];
    platform::FileStat st;
    st.kind = platform::EntryKind::File;
    st.length = r.length;
    st.modifiedSecs = r.modifiedSecs;
    return st;
}

QString ScanList::recordText(qsizetype i) const
{
    return fieldText(field(i)) + u' ' + FormatSizeDateTime(stat(i), false) + QStringLiteral("> ")
        + key(i).toString();
}

void ScanList::sort()
{
    sortsearch::SortDescendingThenReverse(
        1, count(), [this](qsizetype i) { return foldedKey(i); },
        [this](qsizetype i, qsizetype j) { std::swap(m_records[size_t(i - 1)], m_records[size_t(j - 1)]); });
}

bool ScanList::search(QStringView folded, qsizetype &position) const
{
    return sortsearch::SearchSortedKeys(
        count(), [&](qsizetype i) { return CompareCodeUnits(folded, foldedKey(i)); }, position);
}

void ScanList::equalRange(qsizetype i, qsizetype &first, qsizetype &last) const
{
    const QStringView k = foldedKey(i);
    first = i;
    while (first > 1 && foldedKey(first - 1) == k)
        --first;
    last = i;
    while (last < count() && foldedKey(last + 1) == k)
        ++last;
}

} // namespace cheqora
