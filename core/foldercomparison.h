#pragma once

// The folder comparison: the checks of the compare command, then its parts wired together. It knows
// nothing of windows; whoever runs it (the main window, the command-line tool, a test) passes the
// options as values and answers through CompareHost.
//
// How a comparison flows (see README.md): the side walked first, the old folder for changes and the
// new one for duplicates, gives the records; the other side is walked against them.
//
//     TreeWalk or ListWalk of the first side  --WalkSink-->  Pairing::addRecord, then sortRecords
//     TreeWalk or ListWalk of the other side  --WalkSink-->  Pairing::judge  -->  ReportWriter entries
//     Pairing::forEachUnpaired                              -->  ReportWriter::removed, summary
//
// Usage:
//
//     cheqora::FolderComparison comparison(host);   // keep it while the host lives
//     cheqora::CompareOptions o;
//     o.oldFolder = ...; o.newFolder = ...; o.reportFile = ...; o.mode = cheqora::CompareMode::Changes;
//     const cheqora::CompareResult r = comparison.compare(o); // o's texts come back trimmed
//
// compare() runs on the calling thread and returns when the comparison is over; the host's yield()
// is where a window processes its events, and where requestStop() usually comes from. compare() must
// not be called again while it runs; a window that quits during a comparison calls requestStop() and
// lets it return first.

#include "comparehost.h"
#include "compareoptions.h"
#include "digestlist.h"
#include "filesystem.h"

#include <QString>

#include <atomic>
#include <functional>

namespace cheqora {

// How two folders lie, decided by the file system's identities of the folders and their ancestors,
// links resolved; names that differ only in case are different folders where the file system says
// so. Apart also when one cannot be opened.
enum class FolderRelation { Apart, FirstInsideSecond, SecondInsideFirst, Same };
FolderRelation folderRelation(const QString &first, const QString &second);

class FolderComparison {
public:
    explicit FolderComparison(CompareHost &host);
    ~FolderComparison();
    FolderComparison(const FolderComparison &) = delete;
    FolderComparison &operator=(const FolderComparison &) = delete;

    // The compare command. The folder, report and extension texts of options are trimmed in place,
    // as the command shows them back.
    CompareResult compare(CompareOptions &options);
    // The walk ends at the next folder, file or list entry, or within a few milliseconds of waiting
    // for a digest. Safe from any thread.
    void requestStop() { m_stop = true; }
    bool isRunning() const { return m_running; }

    // A side that exists but is no folder: it must be a digest list, whose records stand in for a
    // walk; reading it tells whether it is one.
    static bool isListSide(const QString &path);
    // A regular file that looks like a digest list at a glance (for a path dropped on a folder field).
    static bool looksLikeListSide(const QString &path);

    // The list command (listing.cpp): the walk of options.oldFolder with the options' filter, each
    // file, each subfolder entered and each folder not read handed to visit as a list entry, in walk
    // order, once the walk is over. options.reportFile, the list being written, is left out of the
    // walk. False with error when the folder itself cannot be read or the walk fails; false on a stop.
    bool walkForList(CompareOptions &options, const std::function<void(const DigestListEntry &)> &visit,
                     QString &error);

    // Captions show paths cut to this many characters.
    static constexpr int kMaxCaptionLength = 90;

private:
    class Run;
    // The 1st side (the old folder) and the 2nd (the new one), as the report and the messages count them.
    static constexpr int kOld = 0;
    static constexpr int kNew = 1;
    // Each side as entered: a folder, or a digest list known by its file's identity.
    struct Side {
        bool isList = false;
        platform::FileId listId;
    };
    // The algorithm of the comparison: as asked for, else the lists' (known if one tells it).
    struct Digests {
        bool known = false;
        DigestAlgorithm algorithm = DigestAlgorithm::Md5;
    };

    static const QString &title();
    bool passesChecks(CompareOptions &options, Side sides[2], Digests &digests, CompareResult &result);
    bool listAlgorithms(const CompareOptions &options, const Side sides[2], Digests &digests);
    bool checkFailed(const QString &text, platform::MsgIcon icon = platform::MsgIcon::Exclamation);

    CompareHost &m_host;
    std::atomic_bool m_stop{false};
    bool m_running = false;
};

} // namespace cheqora
