#pragma once

// The folder comparison: walks a reference folder into sorted scan records, walks the other folder
// against them and writes the report file. It knows nothing of windows; whoever runs it (the main
// window, the command-line tool, a test) passes the options as values and answers through
// CompareHost.
//
// Usage from a window:
//
//     class WindowHost : public cheqora::CompareHost { ... };   // forwards to lblInfo, SetBusy, boxes
//     WindowHost host(this);
//     cheqora::FolderComparison comparison(host);               // keep it for the window's lifetime
//
//     void cmdCompareFolders_Click(int Index)
//     {
//         cheqora::CompareOptions o;
//         o.strFolder1 = txbFolder_0->text();  o.strFolder2 = txbFolder_1->text();
//         o.strReportFile = txbFile_3->text();  o.intButtonIndex = Index;
//         ... the five options ...
//         const cheqora::CompareResult r = comparison.CompareFolders(o);
//         txbFolder_0->setText(o.strFolder1);  ... // the trimmed texts go back into the fields
//         if (r.blnShowReport)
//             ShowInViewer(o.strReportFile, o.strReportFile);
//     }
//     void cmdStop_Click() { comparison.requestStop(); }
//
// CompareFolders runs on the calling thread and returns when the comparison is over; the host's
// yield() is where the window processes its events (Stop, Quit). It must not be called again while it
// runs; a window that quits during a comparison calls requestStop() and lets it return first.

#include "digestlist.h"
#include "digestpipeline.h"
#include "filesystem.h"
#include "scanlist.h"
#include "uiservices.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

namespace cheqora {


// The values of the main window's fields and options for one comparison.
struct CompareOptions {
    QString strFolder1;    // txbFolder(0), the 1st ("old") folder, as entered
    QString strFolder2;    // txbFolder(1), the 2nd ("new") folder
    QString strReportFile; // txbFile(3)
    int intButtonIndex = 0; // cmdCompareFolders index: 0 = compare (mode 1), 2 = duplicates (mode 2)

    bool blnIncludeSubfolders = false; // chkIncludeSubfolders(1)
    bool blnDoOnlyExtension = false;   // chkDoOnlyExtension(1)
    QString strExtension;              // txbExtension(1)
    bool blnSkipFiles = false;         // chkSkipFiles(1)
    int intSkipSizeMB = 0;             // intSkipSizeMB(1), already validated; 0 = no limit
    bool blnWarnOnOverwrite = true;    // chkWarnOnOverwrite(1)
    bool blnSuspendIfNumLines = true;  // chkSuspendIfNumLines
    QString strSuspendIfNumLines = QStringLiteral("100"); // txbSuspendIfNumLines
    int intJobs = 0; // files digested at the same time; 0 = one per hardware thread, 1 = one at a time
};

// What the comparison asks of whoever runs it. All calls come from the thread running CompareFolders.
class CompareHost {
public:
    virtual ~CompareHost();

    // lblInfo: the new caption, made visible and repainted. Progress dots arrive through here too.
    virtual void setInfoCaption(const QString &strCaption) = 0;
    // lblNumLinesInReport: made visible with the count of report lines.
    virtual void showLineCount(qint64 lngNumLines);
    // Process pending events; the place where a Stop click can arrive. Called often: keep it cheap.
    virtual void yield();
    // Yes/No question before an existing report is replaced; true means Yes.
    virtual bool askOverwrite(const QString &strPrompt, const QString &strTitle) = 0;
    // A check failed: a message box with this text, icon (Information or Exclamation) and title.
    // Texts may hold "\n" line breaks.
    virtual void checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle) = 0;
    // SetBusy(true) before the first walk, SetBusy(false) at the end.
    virtual void setBusy(bool blnBusy);
    // Digests run on worker threads ahead of the walk. In walk order, on this thread: a file is handed
    // to the workers; the walk waits for its digest (bytesDone follows the read, valid until
    // fileDigested or setBusy(false)); the walk has its digest. Called for every file: keep them cheap.
    virtual void fileQueued(const QString &strPath);
    virtual void fileDigesting(const QString &strPath, qint64 lngSize, const std::atomic<qint64> *bytesDone);
    virtual void fileDigested(const QString &strPath, qint64 lngSize);
};

struct CompareResult {
    enum class Outcome {
        CheckFailed,   // a check ended the command (message shown); nothing was written
        Declined,      // the overwrite question was answered No
        Stopped,       // requestStop() during a walk
        LinesExceeded, // the line limit cut the report
        Error,         // a run-time error, e.g. the report could not be written; see strError
        Completed,
    };
    Outcome outcome = Outcome::CheckFailed;
    // The comparison found something: mode 1 a modified, added or removed file, mode 2 a pair; in
    // either mode a file not compared or a folder not read.
    bool blnFoundSomething = false;
    // Completed and found something: the window shows the report in the viewer.
    bool blnShowReport = false;
    QString strInfoCaption; // the last lblInfo caption
    QString strError;       // description of the error for Outcome::Error
    int intOperation = 0;
    qint64 lngScanCount = 0;
    qint64 lngNumModified = 0;
    qint64 lngNumAdded = 0;
    qint64 lngNumRemoved = 0;
    qint64 lngNumDuplicates = 0;
    qint64 lngNumLines = 0;
    // Files present on both sides (or whose entry could not be examined) that have no digest, and
    // folders that could not be read: what the comparison could not check.
    qint64 lngNumNotCompared = 0;
    qint64 lngNumFoldersNotRead = 0;
};

// Relation of two folders: 3 the same folder, 1 the 1st lies inside the 2nd, 2 the 2nd lies inside
// the 1st, 0 neither (or one cannot be opened). Decided by the file system's identities of the
// folders and their ancestors, links resolved; names that differ only in case are different folders
// where the file system says so.
int FolderRelation(const QString &strFolder1, const QString &strFolder2);

// Report texts write line breaks inside names visibly ("\n", "\r"...), so each entry stays one line.
QString visibleText(const QString &strText);

// The line limit from the text of its field: the number in it rounded to a whole number, halves to
// the even neighbour, kept within 32 bits.
qint64 lineLimitFromText(const QString &strText);

class FolderComparison {
public:
    explicit FolderComparison(CompareHost &host);
    ~FolderComparison();
    FolderComparison(const FolderComparison &) = delete;
    FolderComparison &operator=(const FolderComparison &) = delete;

    // The compare-folders command. The folder, report and extension texts of options are trimmed in
    // place, as the command writes them back into the window's fields.
    CompareResult CompareFolders(CompareOptions &options);
    // The Stop button: the walk ends at the next folder, file or stored record, or within a few
    // milliseconds of waiting for a digest. Safe from any thread.
    void requestStop() { blnStop = true; }
    bool isRunning() const { return m_blnRunning; }

    // Building blocks of the command, used by it and by tests.
    void GetDSRecursive2(QString strDirPath, bool blnTopFolder, const QString &strFilespec,
                         bool blnComparingFolders, int intOperation);
    QString BuildFilespec();
    int IsLargeFile(const platform::FileStat &st) const;
    void ShowProgressDot();
    void WriteReportText(const QString &strText);
    void WriteReportHeader(int intOperation);

    const ScanList &scanList() const { return strScanList; }
    qint64 scanCount() const { return lngScanCount; }
    const QString &infoCaption() const { return strInfoCaption; }
    int trailingBreaks() const { return intTrailingBreaks; }

    static constexpr int kMaxInfoLen = 90;

    // ---- Digest lists in place of folders (foldercomparison_lists.cpp) ----------------------------
    // A side that exists but is no folder: it must be a digest list, whose records stand in for a
    // walk; reading it tells whether it is one.
    static bool IsListSide(const QString &strFolder);
    // A regular file that looks like a digest list at a glance (for a path dropped on a folder field).
    static bool LooksLikeListSide(const QString &path);
    // The comparison's first walk of options.strFolder1 with its options, handing out each file, each
    // subfolder entered and each folder that could not be read as a list entry, in walk order. False,
    // with strError, when the folder itself cannot be read or the walk fails; false on a stop.
    bool WalkForList(CompareOptions &options, const std::function<void(const DigestListEntry &)> &visit,
                     QString &strError);

private:
    bool readListSides();
    void listFailed(const QString &text);
    bool listFits(const QString &strList, const DigestListHeader &header);
    bool reportIsInputList();
    bool isInputList(const platform::FileStat &st) const;
    void readListedList(const QString &strList);
    void walkWalkedList();
    bool anySubfolder(const QString &strFolder, int side) const;
    bool walkedIsList() const { return m_blnListSide[intOperation == 1 ? 1 : 0]; }

    DigestList m_walkedList;
    bool m_blnListSide[2] = {false, false};   // the 1st / 2nd side is a digest list
    bool m_blnListSubfolders[2] = {false, false}; // its paths name subfolders
    bool m_blnListFailed = false;              // a list could not be read: a check failure
    bool m_blnWalkingList = false;             // the records come from the walked side's list
    QSet<QString> m_walkedListPaths;           // the walked list's paths, for case-only matches
    platform::FileId m_listIds[2];             // the list files, left out of any walk
    // The listed walk's folders, entered or not read, and how many files it had met before each.
    struct ListedFolderEntry {
        qsizetype filesBefore;
        QString relativePath;
        QString status; // why it was not read
        bool entered;
    };
    QVector<ListedFolderEntry> m_listedFolders;
    // ---- end of digest lists --------------------------------------------------------------------

private:
    struct FolderNames {
        QSet<QString> files;
        QSet<QString> folders;
    };

    // A folder opened and listed for the walk: its files in walk order, those of them with a digest to
    // read, and how many of these were handed to the workers.
    struct ListedFolder {
        QString path; // with its trailing separator
        platform::FolderHandle handle;
        platform::FolderListing listing;
        QVector<qsizetype> walked;
        QVector<DigestPipeline::File> toDigest;
        qsizetype queued = 0;
        bool blnLookedAhead = false; // the folder after it was listed ahead, or could not be
    };
    struct WalkParams {
        const QString &strFilespec;
        bool blnComparingFolders;
        int intOperation;
    };
    bool listForWalk(ListedFolder &folder, const WalkParams &walk, platform::FileError &err);
    void walkFolder(ListedFolder &folder, const WalkParams &walk);
    void queueDigests(ListedFolder &folder, qsizetype n);
    void topUpDigests(ListedFolder &folder, const WalkParams &walk);
    void listNextFolder(const ListedFolder &folder, const WalkParams &walk);
    void endLookAhead();
    void folderNotRead(const QString &strDirPath, const QString &strStatus, bool blnComparingFolders);
    void writeOneLineEntry(const QString &strText);
    void writeNotCompared(const QString &strPath, const QString &strStatus);
    bool underUnreadFolder(QStringView relativePath, const QSet<QString> &folders) const;
    void setInfo(const QString &strCaption);
    bool mustEndWalk() const { return blnStop || m_blnFailed; }
    QString statusOf(const DigestField &field) const { return m_texts.status(field); }
    void fail(const QString &strDescription);
    bool needsDigest(const platform::DirEntry &file) const;
    bool waitForDigest(const QString &strPath, const platform::FileStat &st, DigestField &field);
    bool digestInline(const QString &strPath, const platform::FileStat &st, DigestField &field);
    bool digestTaken(const QString &strPath, qint64 lngSize, const FileDigest &digest, DigestField &field);
    void prefetchWalkedRoot(const QString &strFilespec);
    qsizetype findPair(QStringView relativePath, const QString &folded);
    bool walkedTreeHasExactFile(QStringView relativePath);
    bool isReportFile(const QString &strPath, const platform::FileStat &st) const;
    void compareWalkedFile(const QString &strPath, QStringView relativePath, const platform::FileStat &st,
                           const DigestField &field, int intOperation);
    void writeRemovedEntries();
    void writeSummary();
    QString bytesForm(const platform::FileStat &st) const;
    QString shortened(const QString &strPath) const;
    QString finalCaption() const;
    void runComparison();

    CompareHost &m_host;
    CompareOptions *m_options = nullptr;
    bool m_blnRunning = false;

    // Comparison state.
    ScanList strScanList;
    DigestFieldTexts m_texts;
    qint64 lngScanCount = 0;
    QVector<quint8> intMatched; // 1 = paired with a file of the walked folder
    int intOperation = 1;
    QString strFolderWalked;
    QString strFolderListed;
    QString strReportFile;
    QString strFolder1; // the 1st and 2nd folders as entered, with one trailing separator (header)
    QString strFolder2;
    std::atomic_bool blnStop{false};
    bool blnLinesExceeded = false;
    bool blnHeaderDone = false;
    qint64 lngNumModified = 0;
    qint64 lngNumAdded = 0;
    qint64 lngNumRemoved = 0;
    qint64 lngNumDuplicates = 0;
    qint64 lngNumNotCompared = 0;
    qint64 lngNumFoldersNotRead = 0;
    bool m_blnOneLineEntries = false; // an added, not-compared or not-read line stands in the report
    QString strInfoCaption;

    // Report state.
    platform::TextFileWriter intFileNum;
    qint64 lngNumLines = 0;
    qint64 lngMaxLines = 0;
    int intTrailingBreaks = 0; // kept from one comparison to the next
    bool m_blnReportIdKnown = false;
    platform::FileId m_reportId;

    // Walk state: the folders on the path from the root (a link back to one of them is not
    // descended), names of walked folders looked at for case-only matches, and the first error.
    QVector<platform::FileId> m_walkPath;
    QHash<QString, FolderNames> m_walkedNames;
    // Folders that could not be read, as folded paths relative to their root ("" the root itself),
    // and the listed side's entries, written once the report is open.
    QSet<QString> m_unreadListed;
    QSet<QString> m_unreadWalked;
    QStringList m_listedNotRead;
    std::unique_ptr<DigestPipeline> m_pipeline; // lives while CompareFolders runs
    bool m_blnPrefetched = false; // the 2nd walk's first files were handed to idle workers
    std::atomic<qint64> m_lngDigestRead{0}; // bytes read of a digest taken before the walk reached its file
    // The look-ahead of a walk: digests taken in walk order, not yet used; the folders being walked
    // from the root down, each with the index of its next subfolder; the folder the walk takes next,
    // listed ahead with some of its files queued.
    std::deque<FileDigest> m_taken;
    QVector<QPair<ListedFolder *, qsizetype>> m_frames;
    std::unique_ptr<ListedFolder> m_next;
    bool m_blnFailed = false;
    QString m_strError;
};

} // namespace cheqora
