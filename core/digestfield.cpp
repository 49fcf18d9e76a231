#include "digestfield.h"

namespace cheqora {

namespace {

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

} // namespace cheqora
