#pragma once

#include <QList>
#include <QString>

namespace cheqora {

// The digest a file is checked by. MD5 is the default everywhere: what the program wrote before it
// knew others is MD5, and so is every list or report that names none.
enum class DigestAlgorithm : quint8 { Md5, Sha1, Sha256, Sha512, Blake2b };

// Every algorithm, in the order of the enum.
QList<DigestAlgorithm> allAlgorithms();
// The name the command line takes and a list header records: "md5", "sha1", "sha256", "sha512", "blake2b".
QString algorithmName(DigestAlgorithm algorithm);
// The algorithm of a name, in any case; false when the name is no algorithm's.
bool algorithmFromName(const QString &name, DigestAlgorithm &out);
// The tag of a tagged line, as in "SHA256 (name) = hex": "MD5", "SHA1", "SHA256", "SHA512", "BLAKE2b".
QString algorithmTag(DigestAlgorithm algorithm);
// The algorithm a tag names (exact case); false when no algorithm has it.
bool algorithmFromTag(const QString &tag, DigestAlgorithm &out);
// The name people read: "MD5", "SHA-1", "SHA-256", "SHA-512", "BLAKE2b".
QString algorithmTitle(DigestAlgorithm algorithm);
// Digits of the hexadecimal digest: 32, 40, 64, 128, 128.
int digestHexLength(DigestAlgorithm algorithm);
// Bytes of the digest: half its digits.
inline int digestByteLength(DigestAlgorithm algorithm) { return digestHexLength(algorithm) / 2; }
// The coreutils program whose -c reads the lists of the algorithm: md5sum, sha1sum, ..., b2sum.
QString algorithmTool(DigestAlgorithm algorithm);

} // namespace cheqora
