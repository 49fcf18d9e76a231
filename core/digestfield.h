#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>

namespace cheqora {

// The length of a file whose size a digest list does not record (a plain md5sum list records none).
constexpr qint64 kLengthNotRecorded = -1;

// The 32-character digest field of a file, held compactly: either the 16 digest bytes (the 32
// hexadecimal digits) or the number of a text in a DigestFieldTexts table ("Zero-length file",
// "Large file skipped", an error description, each padded or cut to 32 characters). Two fields of
// one table are equal exactly when their 32-character texts are. The kind says what the field proves
// about the content; only Digest and Empty fields may be called equal or different.
struct DigestField {
    enum Kind : quint8 {
        Digest,  // the MD5 digest
        Empty,   // a file of length 0
        Skipped, // above the user's size limit: not read on purpose
        Failed,  // no digest: cannot be opened or read, changed while read, not a regular file...
        Unknown, // the entry itself could not be examined
    };
    std::array<quint8, 16> bytes{};
    quint32 textIndex = 0; // 0: bytes hold a digest
    Kind kind = Digest;

    bool hasNoDigest() const { return kind == Failed || kind == Unknown; }

    bool operator==(const DigestField &other) const
    {
        return textIndex == other.textIndex && (textIndex != 0 || bytes == other.bytes);
    }
    bool operator!=(const DigestField &other) const { return !(*this == other); }
};

// The status texts that digest fields number. Both sides of a comparison take their fields from one
// table, so that "Zero-length file" on one side equals it on the other.
class DigestFieldTexts {
public:
    DigestFieldTexts();

    // The field for a digest text (32 hexadecimal digits) or for any other text, padded or cut to 32.
    DigestField fieldForDigest(const QString &digest);
    DigestField fieldForText(const QString &text, DigestField::Kind kind);
    // A file above the skip size: a walk and a digest list must store the same field for it.
    DigestField skippedField() { return fieldForText(QStringLiteral("Large file skipped"), DigestField::Skipped); }
    // The field's 32 characters: the digest in upper-case digits, or the padded text.
    QString text(const DigestField &field) const;
    // The text without its padding: what a report says of a file without a digest.
    QString status(const DigestField &field) const { return text(field).trimmed(); }

private:
    QStringList m_texts; // index 0 unused
    QHash<QString, quint32> m_textIndex;
};

} // namespace cheqora
