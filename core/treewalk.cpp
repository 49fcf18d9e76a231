#include "treewalk.h"

#include "digest.h"
#include "strproc.h"

#include <QStringList>

#include <utility>

namespace cheqora {

namespace {

// With one job, files up to this size are read between two yields of the walk (well under a
// millisecond from cache); larger ones go to the worker so that the host stays responsive.
constexpr qint64 kInlineDigestBytes = 256 * 1024;

} // namespace

// A folder opened and listed for the walk: its files in walk order, those of them with a digest to
// read, and how many of these were handed to the workers.
struct TreeWalk::ListedFolder {
    QString path; // with its trailing separator
    platform::FolderHandle handle;
    platform::FolderListing listing;
    QVector<qsizetype> walked;
    QVector<DigestPipeline::File> toDigest;
    qsizetype queued = 0;
    bool lookedAhead = false; // the folder after it was listed ahead, or could not be
};

void ReportIdentity::refresh()
{
    platform::FileStat st;
    platform::FileError err;
    idKnown = !path.isEmpty() && platform::statPath(path, st, err);
    id = platform::FileId{st.device, st.inode};
}

bool ReportIdentity::matches(const QString &filePath, const platform::FileStat &st) const
{
    return filePath == path || (idKnown && st.device == id.device && st.inode == id.inode);
}

TreeWalk::TreeWalk(WalkHost &host, DigestPipeline &pipeline, DigestFieldTexts &texts, const QString &root,
                   const WalkFilter &filter)
    : m_host(host)
    , m_pipeline(pipeline)
    , m_texts(texts)
    , m_root(root)
    , m_filter(filter)
{
    ensureTrailingSeparator(m_root);
}

TreeWalk::~TreeWalk()
{
    // The folder listed ahead stays open until no worker reads in it.
    endLookAhead();
}

void TreeWalk::setReport(const ReportIdentity *report, ReportRule rule)
{
    m_report = report;
    m_reportRule = rule;
}

bool TreeWalk::isLeftOut(const platform::FileStat &st) const
{
    return m_leftOut.contains(platform::FileId{st.device, st.inode});
}

bool TreeWalk::needsDigest(const platform::DirEntry &file) const
{
    return file.error == 0 && (!file.examined || !m_filter.skips(file.stat.length));
}

// A file examined only once opened may turn out to be one the walk leaves out.
bool TreeWalk::leftOutOnceExamined(const QString &path, const platform::FileStat &st) const
{
    return isLeftOut(st) || (m_reportRule == ReportRule::LeaveOut && m_report && m_report->matches(path, st));
}

bool TreeWalk::walks(const QString &path, const platform::DirEntry &file) const
{
    if (!fileNameMatches(file.name, m_filter.filespec, false) || (file.error == 0 && isLeftOut(file.stat)))
        return false;
    // The report is walked only where the report lists it as the current report file.
    if (m_reportRule == ReportRule::LeaveOut && file.error == 0 && m_report && m_report->matches(path, file.stat))
        return false;
    return true;
}

void TreeWalk::walk(WalkSink &sink)
{
    sink.progressed();
    m_host.yield();
    if (sink.mustEnd())
        return;
    ListedFolder root;
    root.path = m_root;
    platform::FileError err;
    if (!root.handle.open(m_root, err)) {
        sink.folderNotRead(m_root, QString(), err.description);
        return;
    }
    m_walkPath = {root.handle.id()};
    QString error;
    if (!listForWalk(root, error)) {
        sink.folderNotRead(m_root, QString(), error);
        return;
    }
    walkFolder(root, sink);
    endLookAhead(); // a walk that ended early leaves digests queued
}

bool TreeWalk::listForWalk(ListedFolder &folder, QString &error)
{
    platform::FileError err;
    // Files are examined as the workers open them, not here.
    if (!platform::listFolder(folder.handle, folder.listing, err, false)) {
        error = err.description;
        return false;
    }
    for (qsizetype i = 0; i < folder.listing.files.size(); ++i) {
        const platform::DirEntry &file = folder.listing.files.at(i);
        const QString path = folder.path + file.name;
        if (!walks(path, file))
            continue;
        folder.walked.append(i);
        if (needsDigest(file))
            folder.toDigest.append({path, file.stat, file.examined});
    }
    return true;
}

void TreeWalk::walkFolder(ListedFolder &folder, WalkSink &sink)
{
    const platform::FolderListing &listing = folder.listing;
    const QVector<DigestPipeline::File> &toDigest = folder.toDigest;
    qsizetype current = 0; // the walk's file in toDigest
    // With one job the worker only reads files too large to read between two yields, one at a time.
    const bool oneAtATime = m_pipeline.jobs() == 1;
    m_frames.append({&folder, 0});
    // Whatever way the walk of this folder ends, it is no longer the parent of a folder listed ahead.
    struct Frame {
        QVector<QPair<ListedFolder *, qsizetype>> &frames;
        ~Frame() { frames.removeLast(); }
    } frame{m_frames};
    // A walk that ends early leaves nothing queued; a folder whose files were all taken leaves the
    // next folder's files queued for it.
    struct EndEarly {
        TreeWalk &walk;
        bool done = false;
        ~EndEarly()
        {
            if (!done)
                walk.endLookAhead();
        }
    } endEarly{*this};

    for (const qsizetype i : std::as_const(folder.walked)) {
        const platform::DirEntry &file = listing.files.at(i);
        m_host.yield();
        if (sink.mustEnd())
            return;
        DigestField field;
        platform::FileStat st = file.stat;
        QString path;
        if (file.error != 0) {
            field = m_texts.fieldForText(platform::fileErrorDescription(file.error), DigestField::Unknown);
        } else if (!needsDigest(file)) {
            field = m_texts.skippedField();
        } else {
            const qsizetype k = current++;
            path = toDigest.at(k).path;
            ListedFileDigest digest;
            if (oneAtATime) {
                if (!digestOneAtATime(folder, k, sink, digest))
                    return;
            } else {
                // Topped up once per batch of digests taken, not for every file.
                if (m_taken.empty()) {
                    topUpDigests(folder);
                    if (m_prefetchFor && m_pipeline.idle())
                        std::exchange(m_prefetchFor, nullptr)->prefetchFirstFiles();
                }
                if (!waitForDigest(path, sink, digest))
                    return;
            }
            if (!file.examined && leftOutOnceExamined(path, digest.st))
                continue;
            st = digest.st;
            field = fieldOf(digest);
        }
        Q_ASSERT(current <= toDigest.size());
        if (path.isEmpty())
            path = folder.path + file.name;
        const bool isReport = m_reportRule == ReportRule::Mark && st.kind != platform::EntryKind::Missing && m_report
            && m_report->matches(path, st);
        sink.file(WalkedFile{path, m_root.size(), st, field, isReport});
        if (sink.mustEnd())
            return;
    }
    endEarly.done = true;

    if (!m_filter.recursive)
        return;
    for (qsizetype k = 0; k < listing.subfolders.size(); ++k) {
        const platform::DirEntry &sub = listing.subfolders.at(k);
        QString subPath = folder.path + sub.name;
        ensureTrailingSeparator(subPath);
        sink.progressed();
        m_host.yield();
        if (sink.mustEnd()) {
            endLookAhead();
            return;
        }
        m_frames.last().second = k + 1;
        // The folder listed ahead is this one, unless the walk could not open or would not enter it;
        // what was queued for a folder the walk does not take next is never taken for another's files.
        std::unique_ptr<ListedFolder> child;
        if (m_next && m_next->path == subPath)
            child = std::move(m_next);
        else
            endLookAhead();
        platform::FileError err;
        if (!child) {
            child = std::make_unique<ListedFolder>();
            child->path = subPath;
            // Opened by name from its parent, so the walk goes as deep as the tree does.
            if (!child->handle.openIn(folder.handle, sub.name, err)) {
                sink.folderNotRead(subPath, subPath.mid(m_root.size()), err.description);
                continue;
            }
            if (m_walkPath.contains(child->handle.id())) // a link back up the walk's path would never end
                continue;
            QString error;
            if (!listForWalk(*child, error)) {
                sink.folderNotRead(subPath, subPath.mid(m_root.size()), error);
                continue;
            }
        }
        sink.folderEntered(subPath.mid(m_root.size(), subPath.size() - m_root.size() - 1));
        m_walkPath.append(child->handle.id());
        walkFolder(*child, sink);
        m_walkPath.removeLast();
        if (sink.mustEnd()) {
            endLookAhead();
            return;
        }
    }
}

void TreeWalk::queueDigests(ListedFolder &folder, qsizetype n)
{
    // The host hears of each file before it is read.
    for (qsizetype k = folder.queued; k < folder.queued + n; ++k)
        m_host.fileQueued(folder.toDigest.at(k).path);
    m_pipeline.submit(folder.toDigest, folder.queued, n, &folder.handle);
    folder.queued += n;
}

// Hands the workers what the look-ahead has room for: the rest of this folder's files and, once they
// are all queued, those of the folder the walk takes next, so the workers do not idle while the walk
// finishes one folder and lists the next.
void TreeWalk::topUpDigests(ListedFolder &folder)
{
    queueDigests(folder, m_pipeline.room(folder.toDigest, folder.queued));
    if (folder.queued < folder.toDigest.size())
        return;
    if (!m_next && !folder.lookedAhead) {
        folder.lookedAhead = true; // once: a folder that could not be listed ahead is left to the walk
        listNextFolder(folder);
    }
    if (m_next)
        queueDigests(*m_next, m_pipeline.room(m_next->toDigest, m_next->queued));
}

// The folder after this one's files in walk order: its first subfolder, else the next subfolder of
// the nearest folder above that has one. Opened and listed now; a folder that cannot be, or that
// the walk would not enter, is left for the walk to meet as usual.
void TreeWalk::listNextFolder(const ListedFolder &folder)
{
    if (!m_filter.recursive)
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
    QString error;
    if (!next->handle.openIn(parent->handle, name, err) || m_walkPath.mid(0, depth).contains(next->handle.id())
        || !listForWalk(*next, error))
        return;
    m_next = std::move(next);
}

// Drops whatever was handed to the workers ahead of the walk, then the folder listed ahead, which
// stays open until no worker reads in it.
void TreeWalk::endLookAhead()
{
    m_pipeline.abandon();
    m_taken.clear();
    m_next.reset();
}

// The first files of this walk, for workers that the end of the walk before it leaves idle: two
// sides of one large file each are read at the same time. The walk lists its root again and uses
// such a digest only for the same file in the same state.
void TreeWalk::prefetchFirstFiles()
{
    platform::FolderHandle folder;
    platform::FolderListing listing;
    platform::FileError err;
    if (!folder.open(m_root, err) || !platform::listFolder(folder, listing, err, false))
        return;
    for (platform::DirEntry &file : listing.files) {
        const QString path = m_root + file.name;
        if (!file.examined && !platform::statIn(folder, file.name, file.stat, err))
            continue;
        file.examined = true;
        if (!walks(path, file) || !needsDigest(file))
            continue;
        if (!m_pipeline.prefetch(path, file.stat))
            return;
    }
}

// The digest of the walk's current file, the oldest one queued: the next of those taken already, or
// the pipeline's head, taken with every digest done behind it. The walk waits in short slices and
// yields in between, so that a stop is answered while the workers read; the host hears of the wait
// once the file's length is known. false: the walk ends; a digest cut short by a stop is no result.
bool TreeWalk::waitForDigest(const QString &path, const WalkSink &sink, ListedFileDigest &digest)
{
    constexpr int kWaitSliceMs = 5;
    bool told = false;
    if (m_taken.empty()) {
        const auto tell = [&] {
            const qint64 length = m_pipeline.headLength();
            if (!told && length >= 0) {
                told = true;
                m_host.fileDigesting(path, length, m_pipeline.headBytesDone());
            }
        };
        tell();
        while (!m_pipeline.takeDone(kWaitSliceMs, m_taken)) {
            tell();
            m_host.yield();
            if (sink.mustEnd()) {
                m_pipeline.stop();
                return false;
            }
        }
    }
    digest = std::move(m_taken.front());
    m_taken.pop_front();
    if (!told) {
        m_takenBytes = digest.st.length;
        m_host.fileDigesting(path, digest.st.length, &m_takenBytes);
    }
    return digestTaken(path, digest, sink);
}

// One digest at a time: a small file is read on the walk's own thread, as waking a worker for it and
// waiting would cost more than its digest; a larger one, found so when it is examined, goes to the
// worker so that the host stays responsive. A stop is seen once it is read, within a few milliseconds.
bool TreeWalk::digestOneAtATime(ListedFolder &folder, qsizetype k, const WalkSink &sink, ListedFileDigest &digest)
{
    DigestPipeline::File &file = folder.toDigest[k];
    std::atomic<qint64> bytesDone{0};
    m_host.fileQueued(file.path);
    if (file.examined && file.st.length <= kInlineDigestBytes) {
        m_host.fileDigesting(file.path, file.st.length, &bytesDone);
        digest.st = file.st;
        digest.digest = digestOfExaminedFile(file.path, file.st, nullptr, &bytesDone, nullptr, m_pipeline.algorithm());
        return digestTaken(file.path, digest, sink);
    }
    if (!file.examined) {
        digest = digestOfListedFile(folder.handle, file.path.mid(folder.path.size()), kInlineDigestBytes, nullptr,
                                    &bytesDone, nullptr, m_pipeline.algorithm());
        const bool large = digest.examineError == 0 && digest.digest.status == DigestNotRead
            && !m_filter.skips(digest.st.length);
        if (!large) {
            m_host.fileDigesting(file.path, digest.st.length, &bytesDone);
            return digestTaken(file.path, digest, sink);
        }
        file.st = digest.st;
        file.examined = true;
    }
    folder.queued = k;
    m_pipeline.submit(folder.toDigest, k, 1, &folder.handle);
    folder.queued = k + 1;
    return waitForDigest(file.path, sink, digest);
}

bool TreeWalk::digestTaken(const QString &path, const ListedFileDigest &digest, const WalkSink &sink)
{
    m_host.fileDigested(path, digest.digest.status == DigestNotRead ? 0 : digest.st.length);
    if (sink.mustEnd()) {
        m_pipeline.stop();
        return false;
    }
    return true;
}

DigestField TreeWalk::fieldOf(const ListedFileDigest &digest)
{
    if (digest.examineError != 0)
        return m_texts.fieldForText(platform::fileErrorDescription(digest.examineError), DigestField::Unknown);
    if (m_filter.skips(digest.st.length))
        return m_texts.skippedField();
    const FileDigest &d = digest.digest;
    if (d.ok())
        return m_texts.fieldForDigest(d.hex);
    // An empty file's content is known; any other status means there is no digest.
    return m_texts.fieldForText(d.statusText, d.status == DigestZeroLength ? DigestField::Empty : DigestField::Failed);
}

bool TreeWalk::hasExactFile(QStringView relativePath)
{
    const QStringList parts = relativePath.toString().split(QChar(platform::kSeparator));
    QString folder = m_root;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        auto it = m_names.find(folder);
        if (it == m_names.end()) {
            FolderNames names;
            platform::FolderListing listing;
            platform::FileError err;
            if (platform::listFolder(folder, listing, err, false)) {
                for (const platform::DirEntry &e : std::as_const(listing.files))
                    names.files.insert(e.name);
                for (const platform::DirEntry &e : std::as_const(listing.subfolders))
                    names.folders.insert(e.name);
            }
            it = m_names.insert(folder, names);
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

} // namespace cheqora
