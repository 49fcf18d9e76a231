#pragma once

#include <QByteArray>
#include <QString>

namespace cheqora {

// The main window's paths and options as the state file keeps them, in the file's line order.
struct SavedState {
    QString file1;              // txbFile(0)
    QString file2;              // txbFile(1)
    QString reportFile;         // txbFile(3)
    QString oldFolder;          // txbFolder(0)
    QString newFolder;          // txbFolder(1)
    bool includeSubfolders = false; // chkIncludeSubfolders(1)
    bool doOnlyExtension = false;   // chkDoOnlyExtension(1)
    QString extension;              // txbExtension(1)
    bool skipFiles = false;         // chkSkipFiles(1)
    int skipSizeMB = 0;             // skipSizeMB(1); 0 when no size is set
    bool warnOnOverwrite = false;   // chkWarnOnOverwrite(1)
    bool suspendIfNumLines = false; // chkSuspendIfNumLines
    QString suspendLineLimit;       // txbSuspendIfNumLines

    bool operator==(const SavedState &other) const;
    bool operator!=(const SavedState &other) const { return !(*this == other); }
};

// The 13 lines, each ended by CR LF: texts between double quotes as they stand, check boxes as
// " 0 " or " 1 ", the skip size as a bare number. The texts are not checked here; see StateTextProblem.
QString FormatStateFile(const SavedState &state);

// The description of why a state cannot be written faithfully, "" when it can. The format has no
// escapes, so a text holding a double quote or a line break would not read back as written.
QString StateTextProblem(const SavedState &state);

// Writes the state file, replacing it whole: after a failure the previous file is still there,
// untouched. Returns "" on success, otherwise the description of the error.
QString WriteStateFile(const QString &strStateFile, const SavedState &state);

// Reads the file's 13 values. A quoted text is taken without its quotes, blanks around a number are
// ignored, a skip size outside 1..999 is dropped together with its tick. Any problem (no file, a
// line that does not hold the expected kind of value, fewer than 13 lines) gives false and leaves
// state unchanged; the caller then resets the window to its defaults.
bool ReadStateFile(const QString &strStateFile, SavedState &state);
// The same over the file's content, for callers that already hold it.
bool ParseStateFile(const QByteArray &content, SavedState &state);

// The checks a restored state gets before it is shown: a digest-panel file that is missing, empty
// or larger than 1,000,000 bytes is dropped; a report path that names no file is dropped, and one
// that names an empty file is dropped, and that empty file deleted (read-only or not) when it is a
// regular file and not a link.
void CheckRestoredFiles(SavedState &state);

// Largest file the digest panel restores at start-up.
constexpr qint64 kMaxRestoredFileBytes = 1000000;

} // namespace cheqora
