// The list command's walk: a folder's files as digest list entries, in the order the comparison
// walks them, handed over once the walk is over so that a failed walk leaves no list behind.
#include "foldercomparison.h"

#include "digest.h"
#include "digestpipeline.h"
#include "scanlist.h"
#include "strproc.h"
#include "treewalk.h"

#include <QVector>

#include <new>

namespace cheqora {

namespace {

// Keeps what the walk met: the files compactly as records, the folders with the number of files
// met before each.
struct ListingSink final : public WalkSink {
    struct Folder {
        qsizetype filesBefore;
        QString relativePath; // without a trailing separator
        QString status;       // why it was not read
        bool entered;
    };

    explicit ListingSink(const std::atomic_bool &stopFlag) : stop(stopFlag) {}

    void file(const WalkedFile &file) override { records.append(file.relativePath(), file.field, file.stat); }
    void folderEntered(const QString &relativePath) override
    {
        folders.append({records.count(), relativePath, QString(), true});
    }
    void folderNotRead(const QString &, const QString &relativePath, const QString &status) override
    {
        QString relative = relativePath;
        stripTrailing(relative, QString(QChar(platform::kSeparator)));
        folders.append({records.count(), relative, status, false});
    }
    bool mustEnd() const override { return stop || failed; }

    const std::atomic_bool &stop;
    ScanList records;
    QVector<Folder> folders;
    bool failed = false;
    QString error;
};

DigestListEntry entryOf(const ScanList &records, qsizetype i, const DigestFieldTexts &texts, DigestAlgorithm algorithm)
{
    const DigestField &field = records.field(i);
    platform::FileStat st = records.stat(i);
    if (field.kind == DigestField::Unknown)
        st.kind = platform::EntryKind::Missing; // the entry could not be examined: no size or time
    FileDigest digest;
    digest.hex = digest.statusText = texts.status(field);
    digest.status = field.kind == DigestField::Digest ? DigestOk
        : field.kind == DigestField::Empty            ? DigestZeroLength
                                                      : DigestFolder; // any status without a digest
    return digestListEntryOf(records.key(i).toString(), st, field.kind == DigestField::Skipped, digest, algorithm);
}

} // namespace

bool FolderComparison::walkForList(CompareOptions &options,
                                   const std::function<void(const DigestListEntry &)> &visit, QString &error)
{
    if (m_running)
        return false;
    m_running = true;
    m_stop = false;
    const WalkFilter filter{options.includeSubfolders, buildFilespec(options.onlyExtension, options.extension),
                            options.skipLargeFiles ? options.skipSizeMB : 0};
    ReportIdentity output;
    output.path = options.reportFile;
    output.refresh();
    platform::raiseOpenFileLimit();
    ListingSink sink(m_stop);
    DigestFieldTexts texts;
    const DigestAlgorithm algorithm = options.algorithm.value_or(DigestAlgorithm::Md5);
    {
        DigestPipeline pipeline(options.jobs, algorithm, filter.readLimit());
        TreeWalk walk(m_host, pipeline, texts, options.oldFolder, filter);
        walk.setReport(&output, TreeWalk::ReportRule::LeaveOut);
        try {
            walk.walk(sink);
        } catch (const std::bad_alloc &) {
            sink.failed = true;
            sink.error = platform::fileErrorDescription(platform::ErrOutOfMemory);
        }
    }
    // The folder itself could not be read: there is no list to write.
    if (!sink.failed && !sink.folders.isEmpty() && sink.folders.first().relativePath.isEmpty()
        && !sink.folders.first().entered) {
        sink.failed = true;
        sink.error = sink.folders.first().status;
    }
    const bool ok = !m_stop && !sink.failed;
    error = sink.error;
    // Folders stand where the walk met them: before the files it found after them.
    qsizetype nextFolder = 0;
    const auto foldersUpTo = [&](qsizetype files) {
        for (; ok && nextFolder < sink.folders.size() && sink.folders.at(nextFolder).filesBefore <= files; ++nextFolder) {
            const ListingSink::Folder &folder = sink.folders.at(nextFolder);
            DigestListEntry e;
            e.kind = folder.entered ? DigestListEntry::Kind::Subfolder : DigestListEntry::Kind::FolderNotRead;
            e.relativePath = folder.relativePath;
            e.status = folder.status;
            visit(e);
        }
    };
    for (qsizetype i = 0; ok && i < sink.records.count(); ++i) {
        foldersUpTo(i);
        visit(entryOf(sink.records, i, texts, algorithm));
    }
    foldersUpTo(sink.records.count());
    m_running = false;
    m_stop = false;
    return ok;
}

} // namespace cheqora
