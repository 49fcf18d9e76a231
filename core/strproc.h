#pragma once

#include "filesystem.h"

#include <QString>

namespace cheqora {

// Text and path helpers shared by the comparison, the options, the state file and the windows.
// Positions are 1-based positions over the UTF-16 code units of a text; 0 means "none".

// True when a file (not a folder) exists at the path; false for an empty path.
bool FileExists(const QString &strPath);
// Where the program keeps files when the user has no configuration folder: the home folder.
QString FirstFixedDrive();

// The path ends in exactly one separator afterwards (the name is historical: the separator is the
// platform's, "/" here). An empty path stays empty.
void EnsureTrailingBackslash(QString &strPath);
// Removes every repetition of the suffix from the end of the text (case-sensitive).
void StripTrailing(QString &strText, const QString &strSuffix);
// The text without the trailing characters that belong to the set.
QString StripTrailingChars(const QString &strText, const QString &strSet);
// The first count characters, clamped to 0..length.
QString LeftN(const QString &strText, int intCount);
// The text in small letters, the accented Latin capitals included.
QString LowerCaseAccented(const QString &strText);
// Position of the first character at or after start that belongs to the set, with intIndex set to
// its 1-based position in the set; 0 when there is none.
int FindAnyOf(const QString &strText, int intStart, const QString &strSet, int &intIndex);
// Position of the first character at or after start that does not belong to the set; 0 when every
// character from there on does. 0 for an empty text, 1 for an empty set.
int SkipAnyOf(const QString &strText, int intStart, const QString &strSet);
// Removes every character of the set from the text.
void RemoveAnyOf(QString &strText, const QString &strSet);
// The text without blanks at either end; tabs and other white space are part of a path and stay.
QString TrimBlanks(const QString &strText);
// Whether the text, trimmed of blanks, is a run of digits (and commas when allowed), optionally
// after one leading sign.
bool IsDigitString(const QString &strText, bool blnAllowSign, bool blnAllowComma);
// Every occurrence of find replaced, letter case ignored. find must not be empty.
QString ReplaceText(const QString &strText, const QString &strFind, const QString &strReplacement);
// The extension of the path's last component without its dot; "" when it has none.
QString GetExtension(const QString &strPath, bool blnLowerCase);
// Date, time and size as one aligned text: date in 10 columns, time, ", ", size in 14 columns;
// with blnWithBytes trimmed and followed by " byte" or " bytes". "" when the file cannot be examined.
QString FormatSizeDateTime(const QString &strPath, bool blnWithBytes);
// The same for a file already examined.
QString FormatSizeDateTime(const platform::FileStat &st, bool blnWithBytes);
// The alignment itself, for a date and time already written as text and a length.
QString AlignSizeDateTime(const QString &strDateTime, qint64 lngLength, bool blnWithBytes);
// The path cut to intMaxLen characters with "..." in the middle, when it is longer and intMaxLen is
// at least 10; blnShortened tells whether it was cut.
QString ShortenPath(const QString &strPath, int intMaxLen, bool &blnShortened);

} // namespace cheqora
