#pragma once

// The text forms of a digest list's fields, shared by its reader and its writer: the format line,
// times, escapes, names and hexadecimal digits. See digestlist.h for the format itself.

#include "digestalgorithm.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

namespace cheqora::listtext {

extern const QByteArray kSignature; // "#: Cheqora digest list ", then the format's number
constexpr int kFormat = 2;
// The digest of empty content (digestByteLength bytes), which the algorithm's coreutils tool verifies
// for an empty file.
const quint8 *emptyDigest(DigestAlgorithm algorithm);

// Times: proleptic Gregorian calendar, UTC, "YYYY-MM-DDTHH:MM:SSZ".
void appendTime(QString &out, qint64 secs);
bool parseTime(QByteArrayView t, qint64 &secs);
// Reads a run of exactly n digits (n > 0) or, with n = 0, of 1 to 18 digits, from pos on.
bool readDigits(QByteArrayView t, qsizetype &pos, int n, qint64 &value);
// Steps over c at pos, if it is there.
bool expect(QByteArrayView t, qsizetype &pos, char c);

// Escapes: a backslash, a line feed and a carriage return as "\\", "\n" and "\r"; in a quoted
// text also '"' as "\"".
bool needsEscape(const QString &name);
QString escaped(const QString &text, bool quote = false);
// Undoes the escapes from pos on. Quoted: the text ends at an unescaped '"', and pos is left behind it.
bool unescape(QByteArrayView t, qsizetype &pos, bool quoted, QByteArray &out);

// A name in its own bytes, decoded with the lossless name codec.
QString decodedName(QByteArrayView bytes);
// 0..15 for a hexadecimal digit of either case, -1 for any other character.
int hexValue(char c);

} // namespace cheqora::listtext
