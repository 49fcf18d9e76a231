#include "foldercomparison.h"

#include "digest.h"
#include "digestpipeline.h"
#include "filefilter.h"
#include "sortsearch.h"
#include "strproc.h"

#include <QStringList>

#include <cmath>
#include <exception>
#include <new>

namespace cheqora {

namespace {

// With one job, files up to this size are read between two yields of the walk (well under a
// millisecond from cache); larger ones go to the worker so the window stays responsive.
constexpr qint64 kInlineDigestBytes = 256 * 1024;

const QString &title()
{
    static const QString t = QStringLiteral("Compare folders");
    return t;
}

} // namespace

CompareHost::~CompareHost() = default;

void CompareHost::showLineCount(qint64) {}

void CompareHost::yield() {}

void CompareHost::setBusy(bool) {}

void CompareHost::fileQueued(const QString &) {}

void CompareHost::fileDigesting(const QString &, qint64, const std::atomic<qint64> *) {}

void CompareHost::fileDigested(const QString &, qint64) {}

int FolderRelation(const QString &strFolder1, const QString &strFolder2)
{
    const QVector<platform::FileId> a = platform::folderAncestry(strFolder1);
    const QVector<platform::FileId> b = platform::folderAncestry(strFolder2);
    if (a.isEmpty() || b.isEmpty())
        return 0;
    if (a.first() == b.first())
        return 3;
    if (a.indexOf(b.first()) > 0)
        return 1;
    if (b.indexOf(a.first()) > 0)
        return 2;
    return 0;
}

qint64 lineLimitFromText(const QString &strText)
{
    // The number at the start of the text, blanks ignored, as the field's numeric value.
    QString digits;
    for (const QChar c : strText) {
        if (c != u' ')
            digits.append(c);
    }
    qsizetype n = 0;
    if (n < digits.size() && (digits.at(n) == u'+' || digits.at(n) == u'-'))
        ++n;
    bool seenPoint = false;
    while (n < digits.size() && (digits.at(n).isDigit() || (!seenPoint && digits.at(n) == u'.'))) {
        seenPoint = seenPoint || digits.at(n) == u'.';
        ++n;
    }
    bool ok = false;
    const double value = digits.left(n).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value); // the default rounding mode takes halves to even
    if (rounded >= 2147483647.0)
        return 2147483647;
    if (rounded <= -2147483648.0)
        return -2147483648LL;
    return qint64(rounded);
}

FolderComparison::FolderComparison(CompareHost &host)
    : m_host(host)
{
}

FolderComparison::~FolderComparison() = default;

void FolderComparison::setInfo(const QString &strCaption)
{
    strInfoCaption = strCaption;
    m_host.setInfoCaption(strInfoCaption);
}

void FolderComparison::fail(const QString &strDescription)
{
    if (!m_blnFailed) {
        m_blnFailed = true;
        m_strError = strDescription;
    }
}

QString FolderComparison::shortened(const QString &strPath) const
{
    bool blnShortened = false;
    return shortenPath(strPath, kMaxInfoLen, blnShortened);
}

QString FolderComparison::BuildFilespec()
{
    if (!m_options)
        return QString();
    return cheqora::buildFilespec(m_options->blnDoOnlyExtension, m_options->strExtension);
}

int FolderComparison::IsLargeFile(const platform::FileStat &st) const
{
    if (!m_options || !m_options->blnSkipFiles)
        return 0;
    const qint64 limitMB = m_options->intSkipSizeMB;
    return limitMB > 0 && st.length > limitMB * 1048576 ? 1 : 0;
}

void FolderComparison::ShowProgressDot()
{
    if (strInfoCaption.count(u'.') < 50) {
        strInfoCaption.append(u'.');
    } else {
        stripTrailing(strInfoCaption, QStringLiteral("."));
        strInfoCaption.append(QStringLiteral("..."));
    }
    m_host.setInfoCaption(strInfoCaption);
}

CompareResult FolderComparison::CompareFolders(CompareOptions &options)
{
    CompareResult result;
    if (m_blnRunning)
        return result;
    m_options = &options;
    struct Reset {
        FolderComparison *self;
        ~Reset()
        {
            self->m_options = nullptr;
            self->m_blnRunning = false;
        }
    } reset{this};

    // The checks, in order; each ends the command before anything but the field texts changes.
    lngMaxLines = lineLimitFromText(options.strSuspendIfNumLines);
    options.strFolder1 = trimBlanks(options.strFolder1);
    if (options.strFolder1.isEmpty()) {
        m_host.checkFailed(QStringLiteral("1st folder not specified."), platform::MsgIcon::Exclamation, title());
        return result;
    }
    options.strFolder2 = trimBlanks(options.strFolder2);
    if (options.strFolder2.isEmpty()) {
        m_host.checkFailed(QStringLiteral("2nd folder not specified."), platform::MsgIcon::Exclamation, title());
        return result;
    }
    const QString same = QStringLiteral("The 1st and 2nd folders are the same.");
    if (options.strFolder1 == options.strFolder2) {
        m_host.checkFailed(same, platform::MsgIcon::Exclamation, title());
        return result;
    }
    // A digest list is a file, not a folder: it is neither the other folder nor inside it.
    for (int side = 0; side < 2; ++side) {
        const QString &path = side == 0 ? options.strFolder1 : options.strFolder2;
        m_blnListSide[side] = IsListSide(path);
        platform::FileStat st;
        platform::FileError err;
        m_listIds[side] = m_blnListSide[side] && platform::statPath(path, st, err) ? platform::FileId{st.device, st.inode}
                                                                                   : platform::FileId{};
    }
    const int relation = m_blnListSide[0] || m_blnListSide[1] ? 0 : FolderRelation(options.strFolder1, options.strFolder2);
    if (relation == 3) {
        m_host.checkFailed(same, platform::MsgIcon::Exclamation, title());
        return result;
    }
    if ((relation == 1 || relation == 2) && options.blnIncludeSubfolders) {
        const QString &inner = relation == 1 ? options.strFolder1 : options.strFolder2;
        const QString &outer = relation == 1 ? options.strFolder2 : options.strFolder1;
        m_host.checkFailed(inner + QStringLiteral(" is contained in ") + outer + QStringLiteral(".\n\n")
                               + QStringLiteral("When files are included in subfolders recursively\n")
                               + QStringLiteral("one folder cannot be a subfolder the other folder."),
                           platform::MsgIcon::Information, title());
        return result;
    }
    options.strReportFile = trimBlanks(options.strReportFile);
    if (options.strReportFile.isEmpty()) {
        m_host.checkFailed(QStringLiteral("Report file not specified."), platform::MsgIcon::Exclamation, title());
        return result;
    }
    if (reportIsInputList())
        return result;
    if (options.blnWarnOnOverwrite && platform::fileExists(options.strReportFile)) {
        if (!m_host.askOverwrite(QStringLiteral("Overwrite file ") + options.strReportFile + u'?', title())) {
            result.outcome = CompareResult::Outcome::Declined;
            return result;
        }
    }
    // A folder that is not there would make every file of the other one added or removed.
    if (!m_blnListSide[0] && !platform::folderExists(options.strFolder1)) {
        m_host.checkFailed(QStringLiteral("1st folder not found."), platform::MsgIcon::Exclamation, title());
        return result;
    }
    if (!m_blnListSide[1] && !platform::folderExists(options.strFolder2)) {
        m_host.checkFailed(QStringLiteral("2nd folder not found."), platform::MsgIcon::Exclamation, title());
        return result;
    }

    m_blnRunning = true;
    intOperation = options.intButtonIndex == 0 ? 1 : 2;
    strFolder1 = options.strFolder1;
    strFolder2 = options.strFolder2;
    if (!m_blnListSide[0])
        ensureTrailingSeparator(strFolder1);
    if (!m_blnListSide[1])
        ensureTrailingSeparator(strFolder2);
    strFolderListed = intOperation == 1 ? strFolder1 : strFolder2;
    strFolderWalked = intOperation == 1 ? strFolder2 : strFolder1;
    strReportFile = options.strReportFile;
    setInfo(intOperation == 1 ? QStringLiteral("Now comparing 2nd folder to 1st folder ...")
                              : QStringLiteral("Now searching for duplicate files ..."));
    m_host.setBusy(true);

    m_blnFailed = false;
    m_strError.clear();
    result.outcome = CompareResult::Outcome::Completed;
    try {
        runComparison();
    } catch (const std::bad_alloc &) {
        fail(platform::fileErrorDescription(platform::ErrOutOfMemory));
    } catch (const std::exception &e) {
        fail(QString::fromLocal8Bit(e.what()));
    }

    // The end, reached in every case once busy. No digest is read past it.
    endLookAhead();
    m_pipeline.reset();
    platform::FileError closeErr;
    if (!intFileNum.close(closeErr))
        fail(closeErr.description);
    if (blnStop)
        result.outcome = CompareResult::Outcome::Stopped;
    else if (m_blnListFailed)
        result.outcome = CompareResult::Outcome::CheckFailed;
    else if (m_blnFailed)
        result.outcome = CompareResult::Outcome::Error;
    else if (blnLinesExceeded)
        result.outcome = CompareResult::Outcome::LinesExceeded;
    if (m_blnFailed && !blnStop)
        strInfoCaption = QStringLiteral("Error: ") + m_strError;
    m_host.setInfoCaption(strInfoCaption);

    result.intOperation = intOperation;
    result.strInfoCaption = strInfoCaption;
    result.strError = m_strError;
    result.lngScanCount = lngScanCount;
    result.lngNumModified = lngNumModified;
    result.lngNumAdded = lngNumAdded;
    result.lngNumRemoved = lngNumRemoved;
    result.lngNumDuplicates = lngNumDuplicates;
    result.lngNumLines = lngNumLines;
    result.lngNumNotCompared = lngNumNotCompared;
    result.lngNumFoldersNotRead = lngNumFoldersNotRead;
    result.blnFoundSomething = lngNumNotCompared + lngNumFoldersNotRead > 0
        || (intOperation == 1 ? (lngNumModified + lngNumAdded + lngNumRemoved) > 0 : lngNumDuplicates > 0);
    result.blnShowReport = result.outcome == CompareResult::Outcome::Completed && result.blnFoundSomething;

    strScanList.release();
    lngScanCount = 0;
    intMatched = QVector<quint8>();
    m_walkedNames.clear();
    m_walkPath.clear();
    m_unreadListed.clear();
    m_unreadWalked.clear();
    m_listedNotRead.clear();
    m_listedFolders.clear();
    m_walkedList.release();
    m_walkedListPaths.clear();
    m_host.setBusy(false);
    blnStop = false;
    blnLinesExceeded = false;
    return result;
}

void FolderComparison::runComparison()
{
    strScanList.release();
    lngScanCount = 0;
    intMatched = QVector<quint8>();
    m_walkedNames.clear();
    m_unreadListed.clear();
    m_unreadWalked.clear();
    m_listedNotRead.clear();
    lngNumModified = lngNumAdded = lngNumRemoved = lngNumDuplicates = 0;
    lngNumNotCompared = lngNumFoldersNotRead = 0;
    m_blnOneLineEntries = false;
    m_blnPrefetched = walkedIsList(); // a list is not read ahead
    lngNumLines = 0;
    platform::raiseOpenFileLimit();
    blnStop = false;
    blnLinesExceeded = false;
    blnHeaderDone = false;

    // An existing report is about to be replaced: its content takes no part in the comparison.
    platform::FileStat reportStat;
    platform::FileError statErr;
    m_blnReportIdKnown = platform::statPath(strReportFile, reportStat, statErr);
    m_reportId = platform::FileId{reportStat.device, reportStat.inode};

    if (!readListSides()) {
        if (blnStop)
            setInfo(QStringLiteral("Comparison was stopped."));
        return;
    }
    if (m_blnListSide[intOperation == 1 ? 0 : 1])
        readListedList(intOperation == 1 ? m_options->strFolder1 : m_options->strFolder2);
    else
        GetDSRecursive2(strFolderListed, true, BuildFilespec(), false, 2);
    if (m_blnListFailed)
        return;
    if (blnStop) {
        setInfo(QStringLiteral("Comparison was stopped."));
        return;
    }
    if (m_blnFailed)
        return;

    strScanList.sort();
    intMatched = QVector<quint8>(strScanList.count(), 0);

    platform::FileError err;
    if (!intFileNum.open(strReportFile, err)) {
        fail(err.description);
        return;
    }
    m_blnReportIdKnown = platform::statPath(strReportFile, reportStat, statErr);
    m_reportId = platform::FileId{reportStat.device, reportStat.inode};
    lngNumModified = lngNumAdded = lngNumRemoved = lngNumDuplicates = 0;
    lngNumLines = 0;
    blnStop = false;
    blnLinesExceeded = false;
    blnHeaderDone = false;
    m_blnOneLineEntries = false;

    // The listed side's unreadable folders were met before the report was open.
    for (const QString &entry : std::as_const(m_listedNotRead)) {
        ++lngNumFoldersNotRead;
        writeOneLineEntry(entry);
    }
    if (walkedIsList())
        walkWalkedList();
    else
        GetDSRecursive2(strFolderWalked, true, BuildFilespec(), true, intOperation);
    if (blnStop) {
        setInfo(QStringLiteral("Comparison was stopped."));
        return;
    }
    if (m_blnFailed)
        return;
    if (blnLinesExceeded) {
        setInfo(finalCaption());
        return;
    }
    if (intOperation == 1)
        writeRemovedEntries();
    if (m_blnFailed)
        return;
    if (!blnLinesExceeded)
        writeSummary();
    setInfo(finalCaption());
}

QString FolderComparison::finalCaption() const
{
    if (blnLinesExceeded)
        return QStringLiteral("Number of lines in the report file exceeded ") + QString::number(lngMaxLines)
            + u'.';
    const bool blnUnchecked = lngNumNotCompared + lngNumFoldersNotRead > 0;
    QString caption;
    if (intOperation == 1) {
        // Nothing is called unchanged while some of it could not be checked.
        if (lngNumModified + lngNumAdded + lngNumRemoved == 0 && !blnUnchecked)
            return QStringLiteral("No files were changed, added or removed.");
        caption = QStringLiteral("In 2nd folder, compared to 1st folder:   Files modified: ")
            + QString::number(lngNumModified) + QStringLiteral("   Files added: ") + QString::number(lngNumAdded)
            + QStringLiteral("   Files removed: ") + QString::number(lngNumRemoved);
    } else if (lngNumDuplicates == 0) {
        caption = QStringLiteral("There are no duplicate (identical) files.");
    } else {
        caption = QStringLiteral("Number of duplicate (identical) files: ") + QString::number(lngNumDuplicates);
    }
    if (lngNumNotCompared > 0)
        caption += QStringLiteral("   Files not compared: ") + QString::number(lngNumNotCompared);
    if (lngNumFoldersNotRead > 0)
        caption += QStringLiteral("   Folders not read: ") + QString::number(lngNumFoldersNotRead);
    return caption;
}

bool FolderComparison::needsDigest(const platform::DirEntry &file) const
{
    return file.error == 0 && IsLargeFile(file.stat) == 0;
}

// The digest of the walk's current file, the oldest one queued: the next of those taken already, or
// the pipeline's head, taken with every digest done behind it. The walk waits in short slices and
// yields in between, so Stop and Quit are answered while the workers read. false: the walk ends
// (stop or error); a digest cut short by a stop is no result.
bool FolderComparison::waitForDigest(const QString &strPath, const platform::FileStat &st, DigestField &field)
{
    constexpr int kWaitSliceMs = 5;
    if (m_taken.empty()) {
        m_host.fileDigesting(strPath, st.length, m_pipeline->headBytesDone());
        while (!m_pipeline->takeDone(kWaitSliceMs, m_taken)) {
            m_host.yield();
            if (mustEndWalk()) {
                m_pipeline->stop();
                return false;
            }
        }
    } else {
        m_lngDigestRead = st.length;
        m_host.fileDigesting(strPath, st.length, &m_lngDigestRead);
    }
    const FileDigest digest = std::move(m_taken.front());
    m_taken.pop_front();
    return digestTaken(strPath, st.length, digest, field);
}

// One digest at a time: a small file is read on the walk's own thread, as waking a worker for it and
// waiting would cost more than its digest. A stop is seen once it is read, within a few milliseconds.
bool FolderComparison::digestInline(const QString &strPath, const platform::FileStat &st, DigestField &field)
{
    std::atomic<qint64> bytesDone{0};
    m_host.fileQueued(strPath);
    m_host.fileDigesting(strPath, st.length, &bytesDone);
    return digestTaken(strPath, st.length, digestOfExaminedFile(strPath, st, nullptr, &bytesDone), field);
}

bool FolderComparison::digestTaken(const QString &strPath, qint64 lngSize, const FileDigest &digest, DigestField &field)
{
    m_host.fileDigested(strPath, lngSize);
    if (mustEndWalk()) {
        m_pipeline->stop();
        return false;
    }
    if (digest.ok())
        field = m_texts.fieldForDigest(digest.hex);
    else // An empty file's content is known; any other status means there is no digest.
        field = m_texts.fieldForText(digest.statusText, digest.status == DigestZeroLength ? DigestField::Empty
                                                                                        : DigestField::Failed);
    return true;
}

// The 2nd walk's first files, for workers that the end of the 1st walk leaves idle: two sides of one
// large file each are read at the same time. The 2nd walk lists its folder again and uses such a
// digest only for the same file in the same state.
void FolderComparison::prefetchWalkedRoot(const QString &strFilespec)
{
    m_blnPrefetched = true;
    platform::FolderHandle folder;
    platform::FolderListing listing;
    platform::FileError err;
    if (!folder.open(strFolderWalked, err) || !platform::listFolder(folder, listing, err))
        return;
    for (const platform::DirEntry &file : std::as_const(listing.files)) {
        const QString strPath = strFolderWalked + file.name;
        if (!fileNameMatches(file.name, strFilespec, false) || !needsDigest(file) || isInputList(file.stat)
            || (intOperation == 2 && isReportFile(strPath, file.stat)))
            continue;
        if (!m_pipeline->prefetch(strPath, file.stat))
            return;
    }
}

bool FolderComparison::isReportFile(const QString &strPath, const platform::FileStat &st) const
{
    // The same file under another spelling (a relative report path, a doubled separator, a link)
    // is the report too.
    return !m_blnWalkingList && (strPath == strReportFile
        || (m_blnReportIdKnown && st.device == m_reportId.device && st.inode == m_reportId.inode));
}

void FolderComparison::GetDSRecursive2(QString strDirPath, bool blnTopFolder, const QString &strFilespec,
                                       bool blnComparingFolders, int intOperation)
{
    ShowProgressDot();
    m_host.yield();
    if (mustEndWalk() || blnLinesExceeded)
        return;
    ensureTrailingSeparator(strDirPath);
    ListedFolder root;
    root.path = strDirPath;
    platform::FileError err;
    if (!root.handle.open(strDirPath, err)) {
        folderNotRead(strDirPath, err.description, blnComparingFolders);
        return;
    }
    if (blnTopFolder)
        m_walkPath = {root.handle.id()};
    if (!m_pipeline)
        m_pipeline = std::make_unique<DigestPipeline>(m_options ? m_options->intJobs : 0);
    const WalkParams walk{strFilespec, blnComparingFolders, intOperation};
    if (!listForWalk(root, walk, err)) {
        folderNotRead(strDirPath, err.description, blnComparingFolders);
        return;
    }
    walkFolder(root, walk);
    endLookAhead(); // a walk that ended early leaves digests queued
}

bool FolderComparison::listForWalk(ListedFolder &folder, const WalkParams &walk, platform::FileError &err)
{
    if (!platform::listFolder(folder.handle, folder.listing, err))
        return false;
    for (qsizetype i = 0; i < folder.listing.files.size(); ++i) {
        const platform::DirEntry &file = folder.listing.files.at(i);
        if (!fileNameMatches(file.name, walk.strFilespec, false) || (file.error == 0 && isInputList(file.stat)))
            continue;
        // The report is listed in mode 1 as the current report file; otherwise it is left out.
        if ((!walk.blnComparingFolders || walk.intOperation == 2) && file.error == 0
            && isReportFile(folder.path + file.name, file.stat))
            continue;
        folder.walked.append(i);
        if (needsDigest(file))
            folder.toDigest.append({folder.path + file.name, file.stat});
    }
    return true;
}

void FolderComparison::queueDigests(ListedFolder &folder, qsizetype n)
{
    // The host hears of each file before it is read.
    for (qsizetype k = folder.queued; k < folder.queued + n; ++k)
        m_host.fileQueued(folder.toDigest.at(k).path);
    m_pipeline->submit(folder.toDigest, folder.queued, n, &folder.handle);
    folder.queued += n;
}

// Hands the workers what the look-ahead has room for: the rest of this folder's files and, once they
// are all queued, those of the folder the walk takes next, so the workers do not idle while the walk
// finishes one folder and lists the next.
void FolderComparison::topUpDigests(ListedFolder &folder, const WalkParams &walk)
{
    queueDigests(folder, m_pipeline->room(folder.toDigest, folder.queued));
    if (folder.queued < folder.toDigest.size())
        return;
    if (!m_next && !folder.blnLookedAhead) {
        folder.blnLookedAhead = true; // once: a folder that could not be listed ahead is left to the walk
        listNextFolder(folder, walk);
    }
    if (m_next)
        queueDigests(*m_next, m_pipeline->room(m_next->toDigest, m_next->queued));
}

// The folder after this one's files in walk order: its first subfolder, else the next subfolder of
// the nearest folder above that has one. Opened and listed now; a folder that cannot be, or that
// the walk would not enter, is left for the walk to meet as usual.
void FolderComparison::listNextFolder(const ListedFolder &folder, const WalkParams &walk)
{
    if (!m_options || !m_options->blnIncludeSubfolders)
        return;
    const ListedFolder *parent = &folder;
    qsizetype index = 0;
    qsizetype depth = m_frames.size(); // the walk path's length above parent's children
    while (index >= parent->listing.subfolders.size()) {
        if (depth == 1)
            return;
        --depth;
        parent = m_frames.at(depth - 1).first;
        index = m_frames.at(depth - 1).second;
    }
    auto next = std::make_unique<ListedFolder>();
    const QString &name = parent->listing.subfolders.at(index).name;
    next->path = parent->path + name;
    ensureTrailingSeparator(next->path);
    platform::FileError err;
    if (!next->handle.openIn(parent->handle, name, err)
        || m_walkPath.mid(0, depth).contains(next->handle.id()) || !listForWalk(*next, walk, err))
        return;
    m_next = std::move(next);
}

// Drops whatever was handed to the workers ahead of the walk, then the folder listed ahead, which
// stays open until no worker reads in it.
void FolderComparison::endLookAhead()
{
    if (m_pipeline)
        m_pipeline->abandon();
    m_taken.clear();
    m_next.reset();
}

void FolderComparison::walkFolder(ListedFolder &folder, const WalkParams &walk)
{
    const QString &strDirPath = folder.path;
    const bool blnComparingFolders = walk.blnComparingFolders;
    const QString &root = blnComparingFolders ? strFolderWalked : strFolderListed;
    const qsizetype rootLength = strDirPath.startsWith(root) ? root.size() : strDirPath.size();
    const platform::FolderListing &listing = folder.listing;
    const QVector<DigestPipeline::File> &toDigest = folder.toDigest;
    qsizetype current = 0; // the walk's file in toDigest
    // With one job the worker only reads files too large to read between two yields, one at a time.
    const bool blnOneAtATime = m_pipeline->jobs() == 1;
    m_frames.append({&folder, 0});
    // Whatever way the walk of this folder ends, it is no longer the parent of a folder listed ahead.
    struct Frame {
        QVector<QPair<ListedFolder *, qsizetype>> &frames;
        ~Frame() { frames.removeLast(); }
    } frame{m_frames};
    // A walk that ends early leaves nothing queued; a folder whose files were all taken leaves the
    // next folder's files queued for it.
    struct EndEarly {
        FolderComparison &c;
        bool blnDone = false;
        ~EndEarly()
        {
            if (!blnDone)
                c.endLookAhead();
        }
    } endEarly{*this};

    for (const qsizetype i : std::as_const(folder.walked)) {
        const platform::DirEntry &file = listing.files.at(i);
        m_host.yield();
        if (mustEndWalk())
            return;
        DigestField field;
        if (file.error != 0) {
            field = m_texts.fieldForText(platform::fileErrorDescription(file.error), DigestField::Unknown);
        } else if (!needsDigest(file)) {
            field = m_texts.skippedField();
        } else if (blnOneAtATime && file.stat.length <= kInlineDigestBytes) {
            if (!digestInline(toDigest.at(current++).path, file.stat, field))
                return;
        } else if (blnOneAtATime) {
            folder.queued = current;
            queueDigests(folder, 1);
            if (!waitForDigest(toDigest.at(current++).path, file.stat, field))
                return;
        } else {
            // Topped up once per batch of digests taken, not for every file.
            if (m_taken.empty()) {
                topUpDigests(folder, walk);
                if (!blnComparingFolders && !m_blnPrefetched && m_pipeline->idle())
                    prefetchWalkedRoot(walk.strFilespec);
            }
            if (!waitForDigest(toDigest.at(current++).path, file.stat, field))
                return;
        }
        const QString strPath = needsDigest(file) ? toDigest.at(current - 1).path : strDirPath + file.name;
        const QStringView relativePath = QStringView(strPath).mid(rootLength);
        if (!blnComparingFolders) {
            strScanList.append(relativePath, field, file.stat);
            lngScanCount = strScanList.count();
            m_host.yield();
            if (mustEndWalk())
                return;
            continue;
        }
        compareWalkedFile(strPath, relativePath, file.stat, field, walk.intOperation);
        if (mustEndWalk())
            return;
        if (blnLinesExceeded)
            return;
    }
    endEarly.blnDone = true;

    if (!m_options || !m_options->blnIncludeSubfolders)
        return;
    for (qsizetype k = 0; k < listing.subfolders.size(); ++k) {
        const platform::DirEntry &sub = listing.subfolders.at(k);
        QString strSubPath = strDirPath + sub.name;
        ensureTrailingSeparator(strSubPath);
        ShowProgressDot();
        m_host.yield();
        if (mustEndWalk()) {
            endLookAhead();
            return;
        }
        m_frames.last().second = k + 1;
        // The folder listed ahead is this one, unless the walk could not open or would not enter it;
        // what was queued for a folder the walk does not take next is never taken for another's files.
        std::unique_ptr<ListedFolder> child;
        if (m_next && m_next->path == strSubPath)
            child = std::move(m_next);
        else
            endLookAhead();
        platform::FileError err;
        if (!child) {
            child = std::make_unique<ListedFolder>();
            child->path = strSubPath;
            // Opened by name from its parent, so the walk goes as deep as the tree does.
            if (!child->handle.openIn(folder.handle, sub.name, err)) {
                folderNotRead(strSubPath, err.description, blnComparingFolders);
                continue;
            }
            if (m_walkPath.contains(child->handle.id())) // a link back up the walk's path would never end
                continue;
            if (!listForWalk(*child, walk, err)) {
                folderNotRead(strSubPath, err.description, blnComparingFolders);
                continue;
            }
        }
        if (!blnComparingFolders) {
            QString relative = strSubPath.mid(strFolderListed.size());
            relative.chop(1);
            m_listedFolders.append({strScanList.count(), relative, QString(), true});
        }
        m_walkPath.append(child->handle.id());
        walkFolder(*child, walk);
        m_walkPath.removeLast();
        if (mustEndWalk() || blnLinesExceeded) {
            endLookAhead();
            return;
        }
    }
}

void FolderComparison::folderNotRead(const QString &strDirPath, const QString &strStatus, bool blnComparingFolders)
{
    const QString &root = blnComparingFolders ? strFolderWalked : strFolderListed;
    const QString relative = strDirPath.startsWith(root) ? strDirPath.mid(root.size()) : QString();
    QString shown = strDirPath;
    if (shown.size() > 1)
        stripTrailing(shown, QString(QChar(platform::kSeparator)));
    const QString entry = QStringLiteral("Folder not read: ") + visibleText(shown) + QStringLiteral(", ") + strStatus;
    if (!blnComparingFolders) {
        m_listedFolders.append({strScanList.count(), relative, strStatus, false});
        m_unreadListed.insert(foldCase(relative));
        m_listedNotRead.append(entry);
        return;
    }
    m_unreadWalked.insert(foldCase(relative));
    ++lngNumFoldersNotRead;
    setInfo(QStringLiteral("Folder not read: ") + visibleText(shortened(shown)));
    writeOneLineEntry(entry);
}

void FolderComparison::writeOneLineEntry(const QString &strText)
{
    if (!blnHeaderDone)
        WriteReportHeader(intOperation);
    WriteReportText(strText + QStringLiteral("\r\n"));
    m_blnOneLineEntries = true;
}

void FolderComparison::writeNotCompared(const QString &strPath, const QString &strStatus)
{
    ++lngNumNotCompared;
    setInfo(QStringLiteral("File not compared: ") + visibleText(shortened(strPath)));
    writeOneLineEntry(QStringLiteral("File not compared: ") + visibleText(strPath) + QStringLiteral(", ") + strStatus);
}

bool FolderComparison::underUnreadFolder(QStringView relativePath, const QSet<QString> &folders) const
{
    if (folders.isEmpty())
        return false;
    const QString folded = foldCase(relativePath.toString());
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if ((i == 0 && folders.contains(QString())) || (folded.at(i) == platform::kSeparator
                                                         && folders.contains(folded.left(i + 1))))
            return true;
    }
    return false;
}

void FolderComparison::compareWalkedFile(const QString &strPath, QStringView relativePath,
                                         const platform::FileStat &st, const DigestField &field,
                                         int intOperation)
{
    const QString folded = foldCase(relativePath.toString());
    const qsizetype index = findPair(relativePath, folded);
    if (index < 0) {
        // Nothing is known of a file whose entry could not be examined, nor of the other side of a
        // folder that could not be read there.
        if (intOperation == 2)
            return;
        if (field.kind == DigestField::Unknown) {
            writeNotCompared(strPath, statusOf(field));
            return;
        }
        if (underUnreadFolder(relativePath, m_unreadListed))
            return;
        if (!blnHeaderDone)
            WriteReportHeader(1);
        setInfo(QStringLiteral("File added: ") + visibleText(shortened(strPath)));
        WriteReportText(QStringLiteral("File added: ") + visibleText(strPath));
        if (isReportFile(strPath, st))
            WriteReportText(QStringLiteral(", current report file, not yet closed.\r\n"));
        else
            WriteReportText(QStringLiteral(", ") + bytesForm(st) + QStringLiteral("\r\n"));
        m_blnOneLineEntries = true;
        ++lngNumAdded;
        return;
    }
    intMatched[index] = 1;
    const DigestField &listed = strScanList.field(index);
    const QString listedPath = strFolderListed + strScanList.key(index).toString();
    // A file without a digest on either side is never equal nor different; the entry names the side
    // that failed, the 2nd folder's when both did.
    if (field.hasNoDigest() || listed.hasNoDigest()) {
        const bool blnWalkedNamed = field.hasNoDigest() && (!listed.hasNoDigest() || intOperation == 1);
        writeNotCompared(blnWalkedNamed ? strPath : listedPath, statusOf(blnWalkedNamed ? field : listed));
        return;
    }
    const bool blnSkipped = field.kind == DigestField::Skipped || listed.kind == DigestField::Skipped;
    if (intOperation == 2) {
        // Files skipped for their size were not read: never called identical.
        if (blnSkipped || listed != field)
            return;
        if (!blnHeaderDone)
            WriteReportHeader(2);
        ++lngNumDuplicates;
        setInfo(visibleText(shortened(strPath)));
        if (intTrailingBreaks < 2)
            WriteReportText(QStringLiteral("\r\n"));
        const QString bytes1 = bytesForm(st);
        WriteReportText(visibleText(strPath) + QStringLiteral(", ") + bytes1 + QStringLiteral("\r\n"));
        const QString bytes2 = bytesForm(strScanList.stat(index));
        WriteReportText(visibleText(listedPath)
                        + (bytes2 == bytes1 && st.length != kLengthNotRecorded ? QStringLiteral(", same date, time and size")
                                            : QStringLiteral(", ") + bytes2)
                        + QStringLiteral("\r\n\r\n"));
        return;
    }
    // A skipped file is told apart from the other by the sizes alone: equal or unrecorded sizes
    // stay unreported.
    if (blnSkipped) {
        const qint64 lngListedLength = strScanList.stat(index).length;
        if (st.length == lngListedLength || st.length == kLengthNotRecorded || lngListedLength == kLengthNotRecorded)
            return;
    } else if (listed == field) {
        return;
    }
    if (!blnHeaderDone)
        WriteReportHeader(1);
    ++lngNumModified;
    setInfo(visibleText(shortened(strPath)));
    if (intTrailingBreaks < 2)
        WriteReportText(QStringLiteral("\r\n"));
    WriteReportText(QStringLiteral("File modified:\r\n"));
    const QString bytes2 = bytesForm(st);
    WriteReportText(visibleText(strPath) + QStringLiteral(", ") + bytes2 + QStringLiteral("\r\n"));
    const QString bytes1 = bytesForm(strScanList.stat(index));
    WriteReportText(visibleText(listedPath)
                    + (bytes1 == bytes2 && st.length != kLengthNotRecorded ? QStringLiteral(", same size, date and time") : QStringLiteral(", ") + bytes1)
                    + QStringLiteral("\r\n\r\n"));
}

qsizetype FolderComparison::findPair(QStringView relativePath, const QString &folded)
{
    qsizetype first = 0;
    qsizetype last = 0;
    if (!strScanList.find(folded, first, last))
        return -1;
    // Names that differ only in letter case can live side by side here: the exact path pairs first.
    for (qsizetype i = first; i <= last; ++i) {
        if (strScanList.key(i) == relativePath)
            return i;
    }
    // A case-only match pairs with a record that nothing else has taken and that has no exact twin
    // in the walked tree (that twin will pair with it); among several, the smallest path.
    qsizetype best = -1;
    for (qsizetype i = first; i <= last; ++i) {
        if (intMatched[i] != 0 || walkedTreeHasExactFile(strScanList.key(i)))
            continue;
        if (best < 0 || compareCodeUnits(strScanList.key(i), strScanList.key(best)) < 0)
            best = i;
    }
    return best;
}

bool FolderComparison::walkedTreeHasExactFile(QStringView relativePath)
{
    // Asked only for case-only matches, so listing the folders concerned costs nothing otherwise.
    const QString path = relativePath.toString();
    if (walkedIsList()) {
        if (m_walkedListPaths.isEmpty()) {
            for (qsizetype i = 0; i < m_walkedList.count(); ++i)
                m_walkedListPaths.insert(m_walkedList.relativePath(i));
        }
        return m_walkedListPaths.contains(path);
    }
    const QStringList parts = path.split(QChar(platform::kSeparator));
    QString folder = strFolderWalked;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        auto it = m_walkedNames.find(folder);
        if (it == m_walkedNames.end()) {
            FolderNames names;
            platform::FolderListing listing;
            platform::FileError err;
            if (platform::listFolder(folder, listing, err)) {
                for (const platform::DirEntry &e : std::as_const(listing.files))
                    names.files.insert(e.name);
                for (const platform::DirEntry &e : std::as_const(listing.subfolders))
                    names.folders.insert(e.name);
            }
            it = m_walkedNames.insert(folder, names);
        }
        const QString &part = parts.at(k);
        if (k + 1 == parts.size())
            return it->files.contains(part);
        if (!it->folders.contains(part))
            return false;
        folder += part + QChar(platform::kSeparator);
    }
    return false;
}

void FolderComparison::writeRemovedEntries()
{
    // Removed entries have no header, nor does a file among them that could not be examined.
    blnHeaderDone = true;
    bool first = true;
    for (qsizetype i = 0; i < strScanList.count(); ++i) {
        if (intMatched[i] != 0 || underUnreadFolder(strScanList.key(i), m_unreadWalked))
            continue;
        const QString path = strFolderListed + strScanList.key(i).toString();
        if (strScanList.field(i).kind == DigestField::Unknown) {
            writeNotCompared(path, statusOf(strScanList.field(i)));
            if (blnLinesExceeded || m_blnFailed)
                return;
            continue;
        }
        ++lngNumRemoved;
        if (first && m_blnOneLineEntries && intTrailingBreaks < 2)
            WriteReportText(QStringLiteral("\r\n"));
        first = false;
        WriteReportText(QStringLiteral("File removed: ") + visibleText(path) + QStringLiteral("\r\n"));
        setInfo(QStringLiteral("File removed: ") + visibleText(shortened(path)));
        if (blnLinesExceeded || m_blnFailed)
            return;
    }
}

} // namespace cheqora
