// Digest lists in place of folders: a side of the comparison given as a list file takes its records
// from the list instead of a walk, and the `list` command takes its entries from the first walk (which
// leaves out options.strReportFile, the list being written).
#include "foldercomparison.h"

#include "digest.h"
#include "digestpipeline.h"
#include "strproc.h"

namespace cheqora {

namespace {

// Progress dots while a list is read: one per this many entries, as a walk shows one per folder.
constexpr qint64 kEntriesPerDot = 4096;

WalkFilter filterOf(const CompareOptions &o, const QString &strFilespec)
{
    return WalkFilter{o.blnIncludeSubfolders, strFilespec, o.blnSkipFiles ? o.intSkipSizeMB : 0};
}

QString folderOf(const DigestListHeader &header)
{
    QString folder = header.folder;
    ensureTrailingSeparator(folder);
    return folder;
}

const QString &title()
{
    static const QString t = QStringLiteral("Compare folders");
    return t;
}

} // namespace

bool FolderComparison::IsListSide(const QString &strFolder)
{
    platform::FileStat st;
    platform::FileError err;
    return platform::statPath(strFolder, st, err) && st.kind != platform::EntryKind::Folder;
}

bool FolderComparison::LooksLikeListSide(const QString &path)
{
    platform::FileStat st;
    platform::FileError err;
    return platform::statPath(path, st, err) && st.kind == platform::EntryKind::File && looksLikeDigestList(path);
}

void FolderComparison::listFailed(const QString &text)
{
    // Said before the report is opened, so an unreadable list never leaves half a report.
    m_blnListFailed = true;
    const QString shown = visibleText(text);
    setInfo(shown);
    m_host.checkFailed(shown, platform::MsgIcon::Exclamation, title());
}

bool FolderComparison::listFits(const QString &strList, const DigestListHeader &header)
{
    const QString mismatch = listMismatch(header, filterOf(*m_options, BuildFilespec()));
    if (mismatch.isEmpty())
        return true;
    listFailed(strList + QStringLiteral(": ") + mismatch + u'.');
    return false;
}

bool FolderComparison::isInputList(const platform::FileStat &st) const
{
    for (int side = 0; side < 2; ++side) {
        if (m_blnListSide[side] && st.device == m_listIds[side].device && st.inode == m_listIds[side].inode)
            return true;
    }
    return false;
}

bool FolderComparison::reportIsInputList()
{
    platform::FileStat report;
    platform::FileError err;
    if (!platform::statPath(m_options->strReportFile, report, err))
        return false;
    for (int side = 0; side < 2; ++side) {
        if (m_blnListSide[side] && report.device == m_listIds[side].device && report.inode == m_listIds[side].inode) {
            m_host.checkFailed(QStringLiteral("The report file %1 is the digest list given as the %2 folder; choose "
                                              "another report file.")
                                   .arg(m_options->strReportFile, side == 0 ? QStringLiteral("1st") : QStringLiteral("2nd")),
                               platform::MsgIcon::Exclamation, title());
            return true;
        }
    }
    return false;
}

bool FolderComparison::readListSides()
{
    m_blnListFailed = false;
    m_blnWalkingList = false;
    m_walkedList.release();
    m_walkedListPaths.clear();
    m_listedFolders.clear();
    const int walked = intOperation == 1 ? 1 : 0;
    if (!m_blnListSide[walked])
        return true;
    QString err;
    qint64 n = 0;
    const QString &list = walked == 0 ? m_options->strFolder1 : m_options->strFolder2;
    if (!m_walkedList.read(list, err, [&] {
            if (++n % kEntriesPerDot == 0)
                ShowProgressDot();
            m_host.yield();
            return !mustEndWalk();
        })) {
        if (!err.isEmpty())
            listFailed(err);
        return false;
    }
    if (!listFits(list, m_walkedList.header()))
        return false;
    strFolderWalked = folderOf(m_walkedList.header());
    m_blnListSubfolders[walked] = false;
    for (qsizetype i = 0; i < m_walkedList.count() && !m_blnListSubfolders[walked]; ++i)
        m_blnListSubfolders[walked] = namesSubfolder(m_walkedList.entry(i));
    return true;
}

void FolderComparison::readListedList(const QString &strList)
{
    const WalkFilter filter = filterOf(*m_options, BuildFilespec());
    const int side = intOperation == 1 ? 0 : 1;
    m_blnListSubfolders[side] = false;
    DigestListHeader header;
    QString err;
    DigestField field;
    platform::FileStat st;
    qint64 n = 0;
    QVector<QPair<QString, QString>> foldersNotRead;
    bool ok = readDigestList(strList, [&](const DigestListEntry &e) {
        m_blnListSubfolders[side] = m_blnListSubfolders[side] || namesSubfolder(e);
        if (e.kind == DigestListEntry::Kind::FolderNotRead)
            foldersNotRead.append({e.relativePath, e.status});
        else if (listRecordOf(e, filter, m_texts, field, st))
            strScanList.append(e.relativePath, field, st);
        if (++n % kEntriesPerDot == 0)
            ShowProgressDot();
        m_host.yield();
        return !mustEndWalk();
    }, header, err);
    lngScanCount = strScanList.count();
    if (!ok && !err.isEmpty())
        listFailed(err);
    else if (ok && !listFits(strList, header))
        ok = false;
    if (m_blnListFailed) {
        strScanList.release();
        lngScanCount = 0;
        return;
    }
    strFolderListed = folderOf(header);
    // A walk meets an unreadable subfolder only when it descends.
    if (filter.recursive) {
        for (const auto &folder : std::as_const(foldersNotRead))
            folderNotRead(strFolderListed + folder.first + QChar(platform::kSeparator), folder.second, false);
    }
}

void FolderComparison::walkWalkedList()
{
    const WalkFilter filter = filterOf(*m_options, BuildFilespec());
    DigestField field;
    platform::FileStat st;
    m_blnWalkingList = true;
    for (qsizetype i = 0; i < m_walkedList.count(); ++i) {
        if (i % kEntriesPerDot == 0)
            ShowProgressDot();
        m_host.yield();
        if (mustEndWalk() || blnLinesExceeded)
            break;
        const DigestListEntry e = m_walkedList.entry(i);
        if (e.kind == DigestListEntry::Kind::FolderNotRead) {
            if (filter.recursive)
                folderNotRead(strFolderWalked + e.relativePath + QChar(platform::kSeparator), e.status, true);
        } else if (listRecordOf(e, filter, m_texts, field, st)) {
            compareWalkedFile(strFolderWalked + e.relativePath, e.relativePath, st, field, intOperation);
        }
    }
    m_blnWalkingList = false;
}

bool FolderComparison::anySubfolder(const QString &strFolder, int side) const
{
    if (m_blnListSide[side])
        return m_blnListSubfolders[side];
    platform::FileError err;
    return platform::subfolderCount(strFolder, err) > 0;
}

bool FolderComparison::WalkForList(CompareOptions &options,
                                   const std::function<void(const DigestListEntry &)> &visit, QString &strError)
{
    if (m_blnRunning)
        return false;
    m_options = &options;
    m_blnRunning = true;
    intOperation = 1;
    strFolder1 = strFolderListed = options.strFolder1;
    ensureTrailingSeparator(strFolderListed);
    strReportFile = options.strReportFile;
    platform::FileStat reportStat;
    platform::FileError statErr;
    m_blnReportIdKnown = !strReportFile.isEmpty() && platform::statPath(strReportFile, reportStat, statErr);
    m_reportId = platform::FileId{reportStat.device, reportStat.inode};
    strScanList.release();
    m_unreadListed.clear();
    m_listedNotRead.clear();
    m_listedFolders.clear();
    m_blnListSide[0] = m_blnListSide[1] = false;
    m_blnFailed = false;
    m_strError.clear();
    blnStop = false;
    m_blnPrefetched = true; // there is no second walk to read ahead in
    platform::raiseOpenFileLimit();
    try {
        GetDSRecursive2(strFolderListed, true, BuildFilespec(), false, 2);
    } catch (const std::bad_alloc &) {
        fail(platform::fileErrorDescription(platform::ErrOutOfMemory));
    }
    // The folder itself could not be read: there is no list to write.
    if (!m_blnFailed && !m_listedFolders.isEmpty() && m_listedFolders.first().relativePath.isEmpty())
        fail(m_listedFolders.first().status);
    const bool ok = !blnStop && !m_blnFailed;
    strError = m_strError;
    // Folders stand where the walk met them: before the files it found after them.
    qsizetype nextFolder = 0;
    const auto foldersUpTo = [&](qsizetype files) {
        for (; ok && nextFolder < m_listedFolders.size() && m_listedFolders.at(nextFolder).filesBefore <= files; ++nextFolder) {
            const ListedFolderEntry &folder = m_listedFolders.at(nextFolder);
            DigestListEntry e;
            e.kind = folder.entered ? DigestListEntry::Kind::Subfolder : DigestListEntry::Kind::FolderNotRead;
            e.relativePath = folder.relativePath;
            stripTrailing(e.relativePath, QString(QChar(platform::kSeparator)));
            e.status = folder.status;
            visit(e);
        }
    };
    for (qsizetype i = 0; ok && i < strScanList.count(); ++i) {
        foldersUpTo(i);
        const DigestField &field = strScanList.field(i);
        platform::FileStat st = strScanList.stat(i);
        if (field.kind == DigestField::Unknown)
            st.kind = platform::EntryKind::Missing; // the entry could not be examined: no size or time
        FileDigest digest;
        digest.hex = digest.statusText = m_texts.status(field);
        digest.status = field.kind == DigestField::Digest ? DigestOk
            : field.kind == DigestField::Empty            ? DigestZeroLength
                                                          : DigestFolder; // any status without a digest
        visit(digestListEntryOf(strScanList.key(i).toString(), st, field.kind == DigestField::Skipped, digest));
    }
    foldersUpTo(strScanList.count());
    m_pipeline.reset(); // no digest is read past the walk
    strScanList.release();
    m_unreadListed.clear();
    m_listedNotRead.clear();
    m_listedFolders.clear();
    m_walkPath.clear();
    m_options = nullptr;
    m_blnRunning = false;
    blnStop = false;
    return ok;
}

} // namespace cheqora
