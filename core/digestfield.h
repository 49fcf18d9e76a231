#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

namespace cheqora {

// The length of a file whose size a digest list does not record (a plain md5sum list records none).
constexpr qint64 kLengthNotRecorded = -1;

// The digest field of a file, held compactly: either the 16 bytes of an MD5 digest, or the number of
// a longer digest or of a text in a DigestFieldTexts table ("Zero-length file", "Large file skipped",
// an error description, each padded or cut to 32 characters). MD5, the common case, costs nothing
// beyond the field; a longer digest (SHA-1, SHA-256, SHA-512, BLAKE2b) lives once in the table's pool,
// however many files have it, so the field stays this size and an unchanged file adds nothing when
// the other side is walked. Two fields of one table are equal exactly when their texts are. The kind
// says what the field proves about the content; only Digest and Empty fields may be called equal or
// different.
struct DigestField {
    enum Kind : quint8 {
        Digest,  // the file's digest
        Empty,   // a file of length 0
        Skipped, // above the user's size limit: not read on purpose
        Failed,  // no digest: cannot be opened or read, changed while read, not a regular file...
        Unknown, // the entry itself could not be examined
    };
    std::array<quint8, 16> bytes{};
    quint32 textIndex = 0; // 0: bytes hold an MD5 digest; kPooledDigest set: a pooled digest's number
    Kind kind = Digest;

    static constexpr quint32 kPooledDigest = 0x80000000u;

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

    // The field for a digest text (32, 40, 64 or 128 hexadecimal digits) or for any other text, padded
    // or cut to 32. One table holds digests of one length only: what the comparison's algorithm gives.
    DigestField fieldForDigest(const QString &digest);
    // The same for the digest's bytes (16, 20, 32 or 64).
    DigestField fieldForBytes(const quint8 *bytes, int length);
    DigestField fieldForText(const QString &text, DigestField::Kind kind);
    // A file above the skip size: a walk and a digest list must store the same field for it.
    DigestField skippedField() { return fieldForText(QStringLiteral("Large file skipped"), DigestField::Skipped); }
    // The field's text: the digest in upper-case digits, or the text padded to 32 characters.
    QString text(const DigestField &field) const;
    // The text without its padding: what a report says of a file without a digest.
    QString status(const DigestField &field) const { return text(field).trimmed(); }

private:
    const quint8 *pooled(quint32 number) const;
    void growSlots();

    QStringList m_texts; // index 0 unused
    QHash<QString, quint32> m_textIndex;
    // The longer digests, each once, in blocks that never move; found by open addressing on their
    // first bytes, which are as random as a hash.
    int m_pooledLength = 0; // bytes of each pooled digest; 0 before the first
    quint32 m_pooledCount = 0;
    std::vector<std::unique_ptr<quint8[]>> m_blocks;
    std::vector<quint32> m_slots; // pooled number + 1; 0 free
};

} // namespace cheqora
