#include "foldercomparison.h"

#include "digestpipeline.h"
#include "listwalk.h"
#include "pairing.h"
#include "reportwriter.h"
#include "strproc.h"
#include "treewalk.h"

#include <QPair>
#include <QVector>

#include <exception>
#include <memory>
#include <new>

namespace cheqora {

namespace {

// A folder as a message or the report shows it: without its trailing separator, unless it is "/".
QString shownFolder(const QString &path)
{
    QString shown = path;
    if (shown.size() > 1)
        stripTrailing(shown, QString(QChar(platform::kSeparator)));
    return shown;
}

QString finalCaption(CompareMode mode, const CompareCounts &counts, bool linesExceeded, qint64 maxLines)
{
    if (linesExceeded)
        return QStringLiteral("Number of lines in the report file exceeded ") + QString::number(maxLines) + u'.';
    QString caption;
    if (mode == CompareMode::Changes) {
        // Nothing is called unchanged while some of it could not be checked.
        if (counts.changes() == 0 && !counts.anyUnchecked())
            return QStringLiteral("No files were changed, added or removed.");
        caption = QStringLiteral("In 2nd folder, compared to 1st folder:   Files modified: ")
            + QString::number(counts.modified) + QStringLiteral("   Files added: ") + QString::number(counts.added)
            + QStringLiteral("   Files removed: ") + QString::number(counts.removed);
    } else if (counts.duplicates == 0) {
        caption = QStringLiteral("There are no duplicate (identical) files.");
    } else {
        caption = QStringLiteral("Number of duplicate (identical) files: ") + QString::number(counts.duplicates);
    }
    if (counts.notCompared > 0)
        caption += QStringLiteral("   Files not compared: ") + QString::number(counts.notCompared);
    if (counts.foldersNotRead > 0)
        caption += QStringLiteral("   Folders not read: ") + QString::number(counts.foldersNotRead);
    return caption;
}

} // namespace

// One comparison, from its first walk to its closed report: the parts and what flows between them.
class FolderComparison::Run {
public:
    Run(FolderComparison &owner, CompareOptions &options, const Side sides[2], const Digests &digests);
    // The comparison, its end, and what it found.
    void compare(CompareResult &result);

private:
    // The first walk's side: its files become the records.
    class RecordSink final : public WalkSink {
    public:
        explicit RecordSink(Run &run) : m_run(run) {}
        void file(const WalkedFile &file) override
        {
            m_run.m_pairing.addRecord(file.relativePath(), file.field, file.stat);
        }
        void folderNotRead(const QString &path, const QString &relativePath, const QString &status) override
        {
            m_run.m_pairing.recordFolderNotRead(relativePath);
            m_run.m_recordFoldersNotRead.append({shownFolder(path), status}); // reported once the report is open
        }
        void progressed() override { m_run.progressDot(); }
        bool mustEnd() const override { return m_run.mustEnd(); }

    private:
        Run &m_run;
    };
    // The other side: each file is judged against the records and reported.
    class WalkedSink final : public WalkSink {
    public:
        explicit WalkedSink(Run &run) : m_run(run) {}
        void file(const WalkedFile &file) override { m_run.report(file, m_run.m_pairing.judge(file)); }
        void folderNotRead(const QString &path, const QString &relativePath, const QString &status) override
        {
            m_run.walkedFolderNotRead(path, relativePath, status);
        }
        void progressed() override { m_run.progressDot(); }
        bool mustEnd() const override { return m_run.mustEnd(); }

    private:
        Run &m_run;
    };

    bool mustEnd() const
    {
        return m_owner.m_stop || m_failed || m_writer.failed() || m_writer.linesExceeded();
    }
    void fail(const QString &error);
    void listFailed(const QString &text);
    void setCaption(const QString &caption);
    void progressDot();
    QString shortened(const QString &path) const;
    bool anySubfolder(int side) const;
    static QString asEntered(const QString &path, const Side &side);

    void run();
    bool recordFirstSide();
    void walkOtherSide();
    void report(const WalkedFile &file, const Pairing::Verdict &verdict);
    void walkedFolderNotRead(const QString &path, const QString &relativePath, const QString &status);
    void reportUnpaired();
    void end(CompareResult &result);

    FolderComparison &m_owner;
    CompareHost &m_host;
    CompareMode m_mode;
    int m_jobs;
    Side m_sides[2];
    QString m_folders[2]; // as entered (a list's path); a folder with one trailing separator
    int m_recordSide;     // the side walked first
    int m_walkedSide;
    WalkFilter m_filter;
    qint64 m_maxLines;
    Digests m_digests;

    DigestFieldTexts m_texts;
    Pairing m_pairing;
    ReportIdentity m_reportFile;
    ReportWriter m_writer;
    std::unique_ptr<DigestPipeline> m_pipeline; // outlives the walks that use it
    std::unique_ptr<TreeWalk> m_trees[2];
    std::unique_ptr<ListWalk> m_lists[2];
    QString m_roots[2]; // what the report's paths of each side start with
    RecordSink m_recordSink{*this};
    WalkedSink m_walkedSink{*this};
    QVector<QPair<QString, QString>> m_recordFoldersNotRead; // shown path and status

    QString m_caption;
    bool m_failed = false;
    bool m_listFailed = false; // a list could not be read: a check that failed
    QString m_error;
};

FolderComparison::Run::Run(FolderComparison &owner, CompareOptions &options, const Side sides[2],
                           const Digests &digests)
    : m_owner(owner)
    , m_host(owner.m_host)
    , m_mode(options.mode)
    , m_jobs(options.jobs)
    , m_sides{sides[kOld], sides[kNew]}
    , m_folders{asEntered(options.oldFolder, sides[kOld]), asEntered(options.newFolder, sides[kNew])}
    , m_recordSide(options.mode == CompareMode::Changes ? kOld : kNew)
    , m_walkedSide(options.mode == CompareMode::Changes ? kNew : kOld)
    , m_filter{options.includeSubfolders, buildFilespec(options.onlyExtension, options.extension),
               options.skipLargeFiles ? options.skipSizeMB : 0}
    , m_maxLines(lineLimitFromText(options.maxLinesText))
    , m_digests(digests)
    , m_pairing(options.mode)
    , m_writer(ReportWriter::Header{m_folders[kOld], m_folders[kNew], options.mode, options.includeSubfolders,
                                    digests.algorithm, [this] { return anySubfolder(kOld) || anySubfolder(kNew); }},
               options.limitLines, m_maxLines, [this](qint64 lines) { m_host.showLineCount(lines); })
{
    m_reportFile.path = options.reportFile;
}

QString FolderComparison::Run::asEntered(const QString &path, const Side &side)
{
    QString entered = path;
    if (!side.isList)
        ensureTrailingSeparator(entered);
    return entered;
}

void FolderComparison::Run::fail(const QString &error)
{
    if (!m_failed) {
        m_failed = true;
        m_error = error;
    }
}

void FolderComparison::Run::listFailed(const QString &text)
{
    // Said before the report is opened, so an unreadable list never leaves half a report.
    m_listFailed = true;
    const QString shown = visibleText(text);
    setCaption(shown);
    m_host.checkFailed(shown, platform::MsgIcon::Exclamation, title());
}

void FolderComparison::Run::setCaption(const QString &caption)
{
    m_caption = caption;
    m_host.setInfoCaption(m_caption);
}

void FolderComparison::Run::progressDot()
{
    if (m_caption.count(u'.') < 50) {
        m_caption.append(u'.');
    } else {
        stripTrailing(m_caption, QStringLiteral("."));
        m_caption.append(QStringLiteral("..."));
    }
    m_host.setInfoCaption(m_caption);
}

QString FolderComparison::Run::shortened(const QString &path) const
{
    bool cut = false;
    return shortenPath(path, kMaxCaptionLength, cut);
}

bool FolderComparison::Run::anySubfolder(int side) const
{
    if (m_lists[side])
        return m_lists[side]->namesSubfolders();
    platform::FileError err;
    return platform::hasSubfolder(m_folders[side], err) > 0;
}

void FolderComparison::Run::compare(CompareResult &result)
{
    setCaption(m_mode == CompareMode::Changes ? QStringLiteral("Now comparing 2nd folder to 1st folder ...")
                                              : QStringLiteral("Now searching for duplicate files ..."));
    m_host.setBusy(true);
    try {
        run();
    } catch (const std::bad_alloc &) {
        fail(m_writer.failed() ? m_writer.error() : platform::fileErrorDescription(platform::ErrOutOfMemory));
    } catch (const std::exception &e) {
        fail(m_writer.failed() ? m_writer.error() : QString::fromLocal8Bit(e.what()));
    }
    end(result);
}

void FolderComparison::Run::run()
{
    platform::raiseOpenFileLimit();
    // An existing report is about to be replaced: its content takes no part in the comparison.
    m_reportFile.refresh();
    // Each side is walked as a tree or as the digest list standing in for it; the lists are in no tree.
    QVector<platform::FileId> lists;
    for (const int side : {kOld, kNew}) {
        if (m_sides[side].isList)
            lists.append(m_sides[side].listId);
    }
    if (lists.size() < 2)
        m_pipeline = std::make_unique<DigestPipeline>(m_jobs, m_digests.algorithm, m_filter.readLimit());
    for (const int side : {kOld, kNew}) {
        if (m_sides[side].isList) {
            m_lists[side] = std::make_unique<ListWalk>(m_host, m_texts, m_filter,
                                                       m_digests.known ? &m_digests.algorithm : nullptr);
            continue;
        }
        m_trees[side] = std::make_unique<TreeWalk>(m_host, *m_pipeline, m_texts, m_folders[side], m_filter);
        m_trees[side]->leaveOut(lists);
        m_roots[side] = m_trees[side]->root();
    }
    if (!recordFirstSide())
        return;

    m_pairing.sortRecords();
    QString error;
    if (!m_writer.open(m_reportFile.path, error)) {
        fail(error);
        return;
    }
    m_reportFile.refresh();
    // The first side's unreadable folders were met before the report was open.
    for (const auto &[path, status] : std::as_const(m_recordFoldersNotRead))
        m_writer.folderNotRead(path, status);
    walkOtherSide();
    if (m_owner.m_stop) {
        setCaption(QStringLiteral("Comparison was stopped."));
        return;
    }
    if (m_failed || m_writer.failed())
        return;
    if (!m_writer.linesExceeded() && m_mode == CompareMode::Changes)
        reportUnpaired();
    if (m_writer.failed())
        return;
    if (!m_writer.linesExceeded())
        m_writer.summary();
    setCaption(finalCaption(m_mode, m_writer.counts(), m_writer.linesExceeded(), m_maxLines));
}

// The walked side's list is read first of all: a list that cannot stand in for its folder is refused
// before any walk. Then the first side's records. False when the comparison ends here.
bool FolderComparison::Run::recordFirstSide()
{
    QString error;
    ListWalk *walkedList = m_lists[m_walkedSide].get();
    if (walkedList) {
        if (!walkedList->load(m_folders[m_walkedSide], m_walkedSink, error)) {
            if (!error.isEmpty())
                listFailed(error);
            if (m_owner.m_stop)
                setCaption(QStringLiteral("Comparison was stopped."));
            return false;
        }
        m_roots[m_walkedSide] = walkedList->folder();
        m_pairing.setExactFileTest([walkedList](QStringView path) { return walkedList->hasExactFile(path); });
    } else {
        TreeWalk *walkedTree = m_trees[m_walkedSide].get();
        walkedTree->setReport(&m_reportFile, m_mode == CompareMode::Changes ? TreeWalk::ReportRule::Mark
                                                                           : TreeWalk::ReportRule::LeaveOut);
        m_pairing.setExactFileTest([walkedTree](QStringView path) { return walkedTree->hasExactFile(path); });
    }

    if (ListWalk *list = m_lists[m_recordSide].get()) {
        if (!list->stream(m_folders[m_recordSide], m_recordSink, error) && !error.isEmpty()) {
            listFailed(error);
            m_pairing.release();
            return false;
        }
        m_roots[m_recordSide] = list->folder();
    } else {
        TreeWalk &tree = *m_trees[m_recordSide];
        tree.setReport(&m_reportFile, TreeWalk::ReportRule::LeaveOut);
        if (!walkedList)
            tree.prefetchFor(m_trees[m_walkedSide].get()); // a list is not read ahead
        tree.walk(m_recordSink);
    }
    if (m_owner.m_stop) {
        setCaption(QStringLiteral("Comparison was stopped."));
        return false;
    }
    return !m_failed;
}

void FolderComparison::Run::walkOtherSide()
{
    if (m_lists[m_walkedSide])
        m_lists[m_walkedSide]->replay(m_walkedSink);
    else
        m_trees[m_walkedSide]->walk(m_walkedSink);
}

void FolderComparison::Run::report(const WalkedFile &file, const Pairing::Verdict &verdict)
{
    Q_ASSERT(verdict.record >= 0 || verdict.kind == Pairing::Verdict::Added || verdict.kind == Pairing::Verdict::Nothing
             || (verdict.kind == Pairing::Verdict::NotCompared && verdict.walkedNamed));
    const QString recordPath = verdict.record < 0
        ? QString()
        : m_roots[m_recordSide] + m_pairing.records().key(verdict.record).toString();
    switch (verdict.kind) {
    case Pairing::Verdict::Nothing:
        return;
    case Pairing::Verdict::Added:
        setCaption(QStringLiteral("File added: ") + visibleText(shortened(file.path)));
        m_writer.added(file.path, file.stat, file.isReport);
        return;
    case Pairing::Verdict::NotCompared: {
        const QString &path = verdict.walkedNamed ? file.path : recordPath;
        const DigestField &field = verdict.walkedNamed ? file.field : m_pairing.records().field(verdict.record);
        setCaption(QStringLiteral("File not compared: ") + visibleText(shortened(path)));
        m_writer.notCompared(path, m_texts.status(field));
        return;
    }
    case Pairing::Verdict::Modified:
        setCaption(visibleText(shortened(file.path)));
        m_writer.modified(file.path, file.stat, recordPath, m_pairing.records().stat(verdict.record));
        return;
    case Pairing::Verdict::Identical:
        setCaption(visibleText(shortened(file.path)));
        m_writer.identical(file.path, file.stat, recordPath, m_pairing.records().stat(verdict.record));
        return;
    }
}

void FolderComparison::Run::walkedFolderNotRead(const QString &path, const QString &relativePath,
                                                const QString &status)
{
    m_pairing.walkedFolderNotRead(relativePath);
    const QString shown = shownFolder(path);
    setCaption(QStringLiteral("Folder not read: ") + visibleText(shortened(shown)));
    m_writer.folderNotRead(shown, status);
}

void FolderComparison::Run::reportUnpaired()
{
    m_writer.startRemovedEntries();
    const ScanList &records = m_pairing.records();
    m_pairing.forEachUnpaired([&](qsizetype i) {
        const QString path = m_roots[m_recordSide] + records.key(i).toString();
        if (records.field(i).kind == DigestField::Unknown) {
            setCaption(QStringLiteral("File not compared: ") + visibleText(shortened(path)));
            m_writer.notCompared(path, m_texts.status(records.field(i)));
        } else {
            m_writer.removed(path);
            setCaption(QStringLiteral("File removed: ") + visibleText(shortened(path)));
        }
        return !m_writer.linesExceeded() && !m_writer.failed();
    });
}

// Reached in every case once busy. No digest is read past it.
void FolderComparison::Run::end(CompareResult &result)
{
    m_trees[kOld].reset();
    m_trees[kNew].reset();
    m_pipeline.reset();
    if (m_writer.failed())
        fail(m_writer.error());
    QString error;
    if (!m_writer.close(error))
        fail(error);
    const bool stopped = m_owner.m_stop;
    using Outcome = CompareResult::Outcome;
    result.outcome = stopped        ? Outcome::Stopped
        : m_listFailed              ? Outcome::CheckFailed
        : m_failed                  ? Outcome::Error
        : m_writer.linesExceeded()  ? Outcome::LinesExceeded
                                    : Outcome::Completed;
    if (m_failed && !stopped)
        m_caption = QStringLiteral("Error: ") + m_error;
    m_host.setInfoCaption(m_caption);

    result.caption = m_caption;
    result.error = m_error;
    result.counts = m_writer.counts();
    result.reportLines = m_writer.lines();
    const CompareCounts &counts = result.counts;
    result.foundSomething = counts.anyUnchecked()
        || (m_mode == CompareMode::Changes ? counts.changes() > 0 : counts.duplicates > 0);
    result.showReport = result.outcome == Outcome::Completed && result.foundSomething;
    m_host.setBusy(false);
}

FolderComparison::FolderComparison(CompareHost &host)
    : m_host(host)
{
}

FolderComparison::~FolderComparison() = default;

CompareResult FolderComparison::compare(CompareOptions &options)
{
    CompareResult result;
    Side sides[2];
    Digests digests;
    if (m_running || !passesChecks(options, sides, digests, result))
        return result;
    m_running = true;
    m_stop = false;
    {
        Run run(*this, options, sides, digests);
        run.compare(result);
    }
    m_running = false;
    m_stop = false;
    return result;
}

} // namespace cheqora
