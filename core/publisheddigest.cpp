#include "publisheddigest.h"

#include "digestlisttext.h"

#include <QRegularExpression>
#include <QStringList>

namespace cheqora {

namespace {

bool isHex(const QString &text)
{
    for (QChar c : text) {
        if (!c.isDigit() && !(c >= u'a' && c <= u'f') && !(c >= u'A' && c <= u'F'))
            return false;
    }
    return !text.isEmpty();
}

// The digits of the pasted text, or "" when it is none of the forms people publish.
QString pastedDigits(const QString &text)
{
    // "SHA256 (name) = hex": the name may hold anything, so the digits are what follows the last "= ".
    static const QRegularExpression tagged(QStringLiteral("^[A-Za-z0-9-]+ ?\\(.*\\) ?= ?([0-9A-Fa-f]+)$"));
    if (const QRegularExpressionMatch m = tagged.match(text); m.hasMatch())
        return m.captured(1);
    // "hex  name", "hex *name", with the backslash that marks an escaped name.
    QString digits = text.section(QRegularExpression(QStringLiteral("\\s")), 0, 0);
    if (digits.startsWith(u'\\'))
        digits.remove(0, 1);
    return isHex(digits) ? digits : QString();
}

// "SHA-512 or BLAKE2b": the algorithms whose digests have this many digits.
QString algorithmsOfLength(qsizetype digits)
{
    QStringList titles;
    for (DigestAlgorithm a : allAlgorithms()) {
        if (digestHexLength(a) == digits)
            titles << algorithmTitle(a);
    }
    return titles.join(QStringLiteral(" or "));
}

} // namespace

QString emptyContentDigest(DigestAlgorithm algorithm)
{
    const auto *bytes = reinterpret_cast<const char *>(listtext::emptyDigest(algorithm));
    return QString::fromLatin1(QByteArray(bytes, digestByteLength(algorithm)).toHex().toUpper());
}

QString pastedDigestVerdict(const QString &text, DigestAlgorithm algorithm, const QString &fileDigest)
{
    const QString pasted = text.trimmed();
    if (pasted.isEmpty())
        return QString();
    const QString digits = pastedDigits(pasted).toUpper();
    if (digits.isEmpty())
        return QStringLiteral("Not a digest: paste hexadecimal digits, alone or followed by a file name.");
    const QString title = algorithmTitle(algorithm);
    if (digits.size() != digestHexLength(algorithm)) {
        const QString others = algorithmsOfLength(digits.size());
        if (others.isEmpty())
            return QStringLiteral("Not a digest: no supported algorithm has %1 hexadecimal digits "
                                  "(MD5 has 32, SHA-1 40, SHA-256 64, SHA-512 and BLAKE2b 128).")
                .arg(digits.size());
        return QStringLiteral("Not checked: a digest of %1 digits is %2, not %3; choose %2 to check it.")
            .arg(digits.size())
            .arg(others, title);
    }
    if (fileDigest.isEmpty())
        return QStringLiteral("Not checked: the 1st file has no %1 digest.").arg(title);
    return digits == fileDigest ? QStringLiteral("Match: the 1st file has this %1 digest.").arg(title)
                                : QStringLiteral("No match: the 1st file's %1 digest is different.").arg(title);
}

} // namespace cheqora
