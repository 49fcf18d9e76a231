#pragma once

#include "strproc.h"

#include <QString>

namespace cheqora {

// The filter of a folder comparison: "" (every file) unless blnDoOnlyExtension is set and the
// extension, trimmed of blanks, is not empty; then "*." and the bare extension.
// strExtension is trimmed in place so that the caller can show the trimmed text.
QString BuildFilespec(bool blnDoOnlyExtension, QString &strExtension);

// An extension as typed ("txt", ".txt", or "*.txt" as file dialogs show it) without what leads it.
QString BareExtension(const QString &extension);

// Whether a file name passes a filter from BuildFilespec (or any "base.ext" wildcard pattern).
// The pattern is split at its last "." and so is the name; both halves must match.
bool FileNameMatches(const QString &strName, const QString &strFilespec, bool blnCaseSensitive);

// Pattern of literal characters, "?" (one character) and "*" (any run). At a "*" the text is
// advanced to the first occurrence of the next literal character, without backtracking.
bool WildcardMatch(const QString &strText, const QString &strPattern, bool blnCaseSensitive);

} // namespace cheqora
