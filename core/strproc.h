#pragma once

#include "filesystem.h"

#include <QString>

namespace cheqora {

// Text and path helpers shared by the comparison, the options, the state file and the windows.

// The path ends in exactly one separator afterwards. An empty path stays empty.
void ensureTrailingSeparator(QString &path);
// Removes every repetition of the suffix from the end of the text (case-sensitive).
void stripTrailing(QString &text, const QString &suffix);
// The text in small letters, the accented Latin capitals included.
QString foldCase(const QString &text);
// Removes every character of the set from the text.
void removeAnyOf(QString &text, const QString &set);
// The text without blanks at either end; tabs and other white space are part of a path and stay.
QString trimBlanks(const QString &text);
// Whether the text, trimmed of blanks, is a run of digits (and commas when allowed), optionally
// after one leading sign.
bool isDigitString(const QString &text, bool allowSign, bool allowComma);
// Every occurrence of find replaced, letter case ignored. find must not be empty.
QString replaceIgnoringCase(const QString &text, const QString &find, const QString &replacement);
// The extension of the path's last component without its dot; "" when it has none.
QString extensionOf(const QString &path, bool lowerCase);
// Date, time and size as one aligned text: date in 10 columns, time, ", ", size in 14 columns;
// with withBytes trimmed and followed by " byte" or " bytes". "" when the file cannot be examined.
QString sizeDateTimeText(const QString &path, bool withBytes);
// The same for a file already examined.
QString sizeDateTimeText(const platform::FileStat &st, bool withBytes);
// The alignment itself, for a date and time already written as text and a length.
QString alignSizeDateTime(const QString &dateTime, qint64 length, bool withBytes);
// The path cut to maxLength characters with "..." in the middle, when it is longer and maxLength is
// at least 10; shortened tells whether it was cut.
QString shortenPath(const QString &path, int maxLength, bool &shortened);

} // namespace cheqora
