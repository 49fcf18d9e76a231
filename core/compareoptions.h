#pragma once

// What a folder comparison is asked to do and what it tells at the end, in the engine's own words.
// Whoever runs it (the main window, the command-line tool, a test) fills CompareOptions from its own
// controls or arguments.

#include "digestalgorithm.h"

#include <QString>

#include <optional>

namespace cheqora {

enum class CompareMode {
    Changes,    // the files added to the new folder, modified, or removed from the old one
    Duplicates, // the files identical in both folders
};

struct CompareOptions {
    QString oldFolder;  // the 1st folder, or a digest list standing in for it, as entered
    QString newFolder;  // the 2nd, taken as derived from the 1st
    QString reportFile;
    CompareMode mode = CompareMode::Changes;

    bool includeSubfolders = false;
    bool onlyExtension = false;
    QString extension;           // the one extension compared when onlyExtension is set
    bool skipLargeFiles = false;
    int skipSizeMB = 0;          // files above this size are not read; validated by the caller, 0 = no limit
    bool warnOnOverwrite = true; // ask before an existing report is replaced
    bool limitLines = true;      // end the report once it has more lines than maxLinesText says
    QString maxLinesText = QStringLiteral("100"); // as typed; read by lineLimitFromText
    int jobs = 0; // files digested at the same time; 0 = one per hardware thread, 1 = one at a time
    // The digest as asked for; none: that of the lists compared, MD5 for two folders. A list of
    // another algorithm than the one asked for is refused, and so are two lists of different ones.
    std::optional<DigestAlgorithm> algorithm;
};

// The line limit from the text of its field: the number in it rounded to a whole number, halves to
// the even neighbour, kept within 32 bits.
qint64 lineLimitFromText(const QString &text);

// What the report lists, by kind of entry.
struct CompareCounts {
    qint64 modified = 0;
    qint64 added = 0;
    qint64 removed = 0;
    qint64 duplicates = 0;
    // Files present on both sides (or whose entry could not be examined) that have no digest, and
    // folders that could not be read: what the comparison could not check.
    qint64 notCompared = 0;
    qint64 foldersNotRead = 0;

    qint64 changes() const { return modified + added + removed; }
    bool anyUnchecked() const { return notCompared + foldersNotRead > 0; }
};

struct CompareResult {
    enum class Outcome {
        CheckFailed,   // a check ended the command (message shown); nothing was written
        Declined,      // the overwrite question was answered No
        Stopped,       // requestStop() during a walk
        LinesExceeded, // the line limit cut the report
        Error,         // the comparison failed, e.g. the report could not be written; see error
        Completed,
    };
    Outcome outcome = Outcome::CheckFailed;
    // The comparison found something: in Changes mode a modified, added or removed file, in
    // Duplicates mode a pair; in either mode a file not compared or a folder not read.
    bool foundSomething = false;
    // Completed and found something: the report is worth showing.
    bool showReport = false;
    QString caption; // the last caption shown
    QString error;   // for Outcome::Error: what failed
    CompareCounts counts;
    qint64 reportLines = 0; // lines counted against the line limit
};

} // namespace cheqora
