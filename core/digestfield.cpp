#include "digestfield.h"

#include <cstring>

namespace cheqora {

namespace {

// Pooled digests per block: 1 MiB of the longest.
constexpr quint32 kPerBlock = 16384;

bool pooledLength(int length)
{
    return length == 20 || length == 32 || length == 64;
}

quint64 firstWord(const quint8 *bytes)
{
    quint64 w;
    std::memcpy(&w, bytes, sizeof w);
    return w;
}

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

DigestFieldTexts::DigestFieldTexts()
{
    m_texts.append(QString());
}

DigestField DigestFieldTexts::fieldForDigest(const QString &digest)
{
    const int length = int(digest.size() / 2);
    if (digest.size() % 2 == 0 && (length == 16 || pooledLength(length))) {
        quint8 bytes[64];
        bool ok = true;
        for (int i = 0; i < length && ok; ++i) {
            const int hi = hexValue(digest.at(2 * i));
            const int lo = hexValue(digest.at(2 * i + 1));
            ok = hi >= 0 && lo >= 0;
            bytes[i] = quint8((hi << 4) | lo);
        }
        if (ok)
            return fieldForBytes(bytes, length);
    }
    return fieldForText(digest, DigestField::Failed);
}

DigestField DigestFieldTexts::fieldForBytes(const quint8 *bytes, int length)
{
    DigestField f;
    if (length == 16) {
        std::memcpy(f.bytes.data(), bytes, 16);
        return f;
    }
    if (!pooledLength(length) || (m_pooledLength != 0 && length != m_pooledLength)) {
        QString hex;
        for (int i = 0; i < length; ++i)
            hex += QString::number(bytes[i] | 0x100, 16).mid(1).toUpper();
        return fieldForText(hex, DigestField::Failed);
    }
    m_pooledLength = length;
    if (2 * (quint64(m_pooledCount) + 1) > m_slots.size())
        growSlots();
    const size_t mask = m_slots.size() - 1;
    for (size_t i = size_t(firstWord(bytes)) & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == 0) {
            const quint32 number = m_pooledCount++;
            if (number % kPerBlock == 0)
                m_blocks.emplace_back(new quint8[size_t(kPerBlock) * size_t(length)]);
            std::memcpy(const_cast<quint8 *>(pooled(number)), bytes, size_t(length));
            m_slots[i] = number + 1;
            f.textIndex = DigestField::kPooledDigest | number;
            return f;
        }
        if (std::memcmp(pooled(m_slots[i] - 1), bytes, size_t(length)) == 0) {
            f.textIndex = DigestField::kPooledDigest | (m_slots[i] - 1);
            return f;
        }
    }
}

const quint8 *DigestFieldTexts::pooled(quint32 number) const
{
    return m_blocks[number / kPerBlock].get() + size_t(number % kPerBlock) * size_t(m_pooledLength);
}

void DigestFieldTexts::growSlots()
{
    std::vector<quint32> table(qMax<size_t>(1024, 2 * m_slots.size()), 0);
    const size_t mask = table.size() - 1;
    for (quint32 number = 0; number < m_pooledCount; ++number) {
        size_t i = size_t(firstWord(pooled(number))) & mask;
        while (table[i] != 0)
            i = (i + 1) & mask;
        table[i] = number + 1;
    }
    m_slots.swap(table);
}

DigestField DigestFieldTexts::fieldForText(const QString &text, DigestField::Kind kind)
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

QString DigestFieldTexts::text(const DigestField &field) const
{
    const bool isPooled = (field.textIndex & DigestField::kPooledDigest) != 0;
    if (field.textIndex != 0 && !isPooled)
        return m_texts.at(field.textIndex);
    const quint8 *bytes = isPooled ? pooled(field.textIndex & ~DigestField::kPooledDigest) : field.bytes.data();
    const int length = isPooled ? m_pooledLength : 16;
    static const char16_t hex[] = u"0123456789ABCDEF";
    QString out(2 * length, Qt::Uninitialized);
    for (int i = 0; i < length; ++i) {
        out[2 * i] = QChar(hex[bytes[i] >> 4]);
        out[2 * i + 1] = QChar(hex[bytes[i] & 0x0F]);
    }
    return out;
}

} // namespace cheqora
