#pragma once

// The walk of a folder tree in a fixed order, each file with its digest field: a folder's files by
// folded name, then its subfolders one by one, depth first (the order platform::listFolder gives).
// The digests are read by a DigestPipeline ahead of the walk: the rest of the folder's files and the
// first of the folder the walk takes next, listed ahead. A folder is listed by name; its files are
// examined as the workers open them (links and the like as it is listed). They come back in walk
// order, so what the sink hears, and when, does not depend on the number of workers.
//
//     TreeWalk walk(host, pipeline, texts, root, filter);
//     walk.setReport(&report, TreeWalk::ReportRule::LeaveOut);
//     walk.walk(sink); // sink.file(...), sink.folderEntered(...), sink.folderNotRead(...), in walk order
//
// A digest list standing in for a folder (ListWalk) hands its entries to the same WalkSink.

#include "digestfield.h"
#include "digestpipeline.h"
#include "filefilter.h"
#include "filesystem.h"
#include "walkhost.h"
#include "walksink.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QVector>

#include <atomic>
#include <deque>
#include <memory>

namespace cheqora {

// The report file of a comparison, known by its path and, while it exists, by its identity, so that
// another spelling of it (a relative path, a doubled separator, a link) is known too.
struct ReportIdentity {
    QString path;
    bool idKnown = false;
    platform::FileId id;

    // Looks the file up again: the report being written is another file than the one it replaces.
    void refresh();
    bool matches(const QString &filePath, const platform::FileStat &st) const;
};

class TreeWalk {
public:
    // What the walk does with the report file: leave it out, or hand it over marked as the report.
    enum class ReportRule { LeaveOut, Mark };

    // The pipeline must outlive the walk.
    TreeWalk(WalkHost &host, DigestPipeline &pipeline, DigestFieldTexts &texts, const QString &root,
             const WalkFilter &filter);
    ~TreeWalk();
    TreeWalk(const TreeWalk &) = delete;
    TreeWalk &operator=(const TreeWalk &) = delete;

    // The root, with one trailing separator.
    const QString &root() const { return m_root; }
    // Files that belong to no folder: the digest lists being compared.
    void leaveOut(const QVector<platform::FileId> &files) { m_leftOut = files; }
    void setReport(const ReportIdentity *report, ReportRule rule);
    // Once this walk's files are all handed to the workers and some idle, they read the first files
    // of next, the walk to come.
    void prefetchFor(TreeWalk *next) { m_prefetchFor = next; }

    // The walk itself. Nothing is read ahead once it returns.
    void walk(WalkSink &sink);

    // Whether the tree holds a file at exactly this path below the root, told by listing its folders
    // as they are now (asked only for names that match a record but for letter case).
    bool hasExactFile(QStringView relativePath);

private:
    struct ListedFolder;
    struct FolderNames {
        QSet<QString> files;
        QSet<QString> folders;
    };

    bool isLeftOut(const platform::FileStat &st) const;
    bool needsDigest(const platform::DirEntry &file) const;
    bool leftOutOnceExamined(const QString &path, const platform::FileStat &st) const;
    bool walks(const QString &path, const platform::DirEntry &file) const;
    bool listForWalk(ListedFolder &folder, QString &error);
    void walkFolder(ListedFolder &folder, WalkSink &sink);
    void queueDigests(ListedFolder &folder, qsizetype n);
    void topUpDigests(ListedFolder &folder);
    void listNextFolder(const ListedFolder &folder);
    void endLookAhead();
    void prefetchFirstFiles();
    bool waitForDigest(const QString &path, const WalkSink &sink, ListedFileDigest &digest);
    bool digestOneAtATime(ListedFolder &folder, qsizetype k, const WalkSink &sink, ListedFileDigest &digest);
    bool digestTaken(const QString &path, const ListedFileDigest &digest, const WalkSink &sink);
    DigestField fieldOf(const ListedFileDigest &digest);

    WalkHost &m_host;
    DigestPipeline &m_pipeline;
    DigestFieldTexts &m_texts;
    QString m_root;
    WalkFilter m_filter;
    QVector<platform::FileId> m_leftOut;
    const ReportIdentity *m_report = nullptr;
    ReportRule m_reportRule = ReportRule::LeaveOut;
    TreeWalk *m_prefetchFor = nullptr;

    // The folders on the path from the root (a link back to one of them is not descended).
    QVector<platform::FileId> m_walkPath;
    // The look-ahead: digests taken in walk order, not yet used; the folders being walked from the
    // root down, each with the index of its next subfolder; the folder the walk takes next, listed
    // ahead with some of its files queued.
    std::deque<ListedFileDigest> m_taken;
    QVector<QPair<ListedFolder *, qsizetype>> m_frames;
    std::unique_ptr<ListedFolder> m_next;
    std::atomic<qint64> m_takenBytes{0}; // bytes read of a digest taken before the walk reached its file
    QHash<QString, FolderNames> m_names; // folders listed for hasExactFile
};

} // namespace cheqora
