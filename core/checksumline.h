#pragma once

// One line of a list that md5sum, sha1sum, sha256sum, sha512sum or b2sum write, without its meaning:
// "[\]DIGEST  NAME" (one or two blanks or a tab, "*" for binary) or, with --tag, "[\]TAG (NAME) = DIGEST".
// A leading "\" says that the name escapes "\" as "\\", a line feed as "\n" and a carriage return as
// "\r". The digest list reader and the check command both read lines through it.

#include "digestalgorithm.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace cheqora::listtext {

struct ChecksumLine {
    bool tagged = false;
    QByteArrayView tag; // tagged lines: the tag as written
    qsizetype digits = 0; // hexadecimal digits of the digest
    std::array<quint8, 64> digest{}; // its bytes when digits is even and at most 128; the rest 0
    QByteArrayView name; // escapes undone; may point into the caller's buffer
};

enum class ChecksumLineResult {
    Ok,
    NotALine,  // neither form
    BadEscape, // the name holds an unknown escape
};

// Parses t (without its line end; a carriage return before it is the caller's to drop). buffer holds
// an escaped name's bytes.
ChecksumLineResult parseChecksumLine(QByteArrayView t, ChecksumLine &out, QByteArray &buffer);

// The algorithm an untagged digest of this many digits is, when its length tells: 32 MD5, 40 SHA-1,
// 64 SHA-256. 128 is SHA-512 or BLAKE2b, which the length does not tell.
bool algorithmOfLength(qsizetype digits, DigestAlgorithm &out);

} // namespace cheqora::listtext
