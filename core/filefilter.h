#pragma once

#include "strproc.h"

#include <QString>

namespace cheqora {

// The filter of a folder comparison: "" (every file) unless onlyExtension is set and the
// extension, trimmed of blanks, is not empty; then "*." and the bare extension.
// extension is trimmed in place so that the caller can show the trimmed text.
QString buildFilespec(bool onlyExtension, QString &extension);

// An extension as typed ("txt", ".txt", or "*.txt" as file dialogs show it) without what leads it.
QString bareExtension(const QString &extension);

// Whether a file name passes a filter from buildFilespec (or any "base.ext" wildcard pattern).
// The pattern is split at its last "." and so is the name; both halves must match.
bool fileNameMatches(const QString &name, const QString &filespec, bool caseSensitive);

// The options of a comparison that decide which files a walk meets.
struct WalkFilter {
    bool recursive = false;
    QString filespec;   // from buildFilespec: "" = every file
    int skipSizeMB = 0; // 0 = nothing skipped

    // A file above the skip size is not read; one of exactly that size is.
    bool skips(qint64 length) const { return skipSizeMB > 0 && length > readLimit(); }
    // The most bytes a file read may have, -1 when there is no limit.
    qint64 readLimit() const { return skipSizeMB > 0 ? qint64(skipSizeMB) * 1048576 : -1; }
};

// Pattern of literal characters, "?" (one character) and "*" (any run). At a "*" the text is
// advanced to the first occurrence of the next literal character, without backtracking.
bool wildcardMatch(const QString &subject, const QString &wildcards, bool caseSensitive);

} // namespace cheqora
