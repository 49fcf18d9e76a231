#include "listwalk.h"

#include "strproc.h"

#include <QPair>
#include <QVector>

namespace cheqora {

namespace {

// Progress while a list is read: one step per this many entries, as a walk makes one per folder.
constexpr qint64 kEntriesPerStep = 4096;

QString folderOf(const DigestListHeader &header)
{
    QString folder = header.folder;
    ensureTrailingSeparator(folder);
    return folder;
}

} // namespace

ListWalk::ListWalk(WalkHost &host, DigestFieldTexts &texts, const WalkFilter &filter, const DigestAlgorithm *algorithm)
    : m_host(host)
    , m_texts(texts)
    , m_filter(filter)
    , m_algorithm(algorithm)
{
}

bool ListWalk::fits(const QString &listPath, const DigestListHeader &header, QString &error) const
{
    const QString mismatch = listMismatch(header, m_filter);
    if (!mismatch.isEmpty())
        error = listPath + QStringLiteral(": ") + mismatch + u'.';
    return mismatch.isEmpty();
}

bool ListWalk::load(const QString &listPath, WalkSink &sink, QString &error)
{
    qint64 n = 0;
    const auto progress = [&] {
        if (++n % kEntriesPerStep == 0)
            sink.progressed();
        m_host.yield();
        return !sink.mustEnd();
    };
    if (!m_list.read(listPath, error, progress, m_algorithm) || !fits(listPath, m_list.header(), error))
        return false;
    m_folder = folderOf(m_list.header());
    m_namesSubfolders = false;
    for (qsizetype i = 0; i < m_list.count() && !m_namesSubfolders; ++i)
        m_namesSubfolders = namesSubfolder(m_list.entry(i));
    return true;
}

void ListWalk::replay(WalkSink &sink)
{
    DigestField field;
    platform::FileStat st;
    for (qsizetype i = 0; i < m_list.count(); ++i) {
        if (i % kEntriesPerStep == 0)
            sink.progressed();
        m_host.yield();
        if (sink.mustEnd())
            return;
        const DigestListEntry e = m_list.entry(i);
        if (e.kind == DigestListEntry::Kind::FolderNotRead) {
            // A walk meets an unreadable subfolder only when it descends.
            const QString relative = e.relativePath + QChar(platform::kSeparator);
            if (m_filter.recursive)
                sink.folderNotRead(m_folder + relative, relative, e.status);
        } else if (listRecordOf(e, m_filter, m_texts, field, st)) {
            sink.file(WalkedFile{m_folder + e.relativePath, m_folder.size(), st, field, false});
        }
    }
}

bool ListWalk::stream(const QString &listPath, WalkSink &sink, QString &error)
{
    m_namesSubfolders = false;
    DigestListHeader header;
    DigestField field;
    platform::FileStat st;
    qint64 n = 0;
    QVector<QPair<QString, QString>> foldersNotRead;
    const auto handOver = [&](const DigestListEntry &e) {
        m_namesSubfolders = m_namesSubfolders || namesSubfolder(e);
        if (e.kind == DigestListEntry::Kind::FolderNotRead)
            foldersNotRead.append({e.relativePath + QChar(platform::kSeparator), e.status});
        else if (listRecordOf(e, m_filter, m_texts, field, st))
            sink.file(WalkedFile{e.relativePath, 0, st, field, false});
        if (++n % kEntriesPerStep == 0)
            sink.progressed();
        m_host.yield();
        return !sink.mustEnd();
    };
    if (!readDigestList(listPath, handOver, header, error, m_algorithm) || !fits(listPath, header, error))
        return false;
    m_folder = folderOf(header);
    if (m_filter.recursive) {
        for (const auto &[relative, status] : std::as_const(foldersNotRead))
            sink.folderNotRead(m_folder + relative, relative, status);
    }
    return true;
}

bool ListWalk::hasExactFile(QStringView relativePath)
{
    // Asked only for case-only matches, so the set costs nothing otherwise.
    if (m_paths.isEmpty()) {
        for (qsizetype i = 0; i < m_list.count(); ++i)
            m_paths.insert(m_list.relativePath(i));
    }
    return m_paths.contains(relativePath.toString());
}

} // namespace cheqora
