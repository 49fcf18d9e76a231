// The checks of the compare command, before anything runs: the folders given, not the same, not one
// inside the other when subfolders count, the report given and not one of the lists compared, an
// existing report replaced only when the host agrees, the folders there.
#include "foldercomparison.h"

#include "strproc.h"

namespace cheqora {

FolderRelation folderRelation(const QString &first, const QString &second)
{
    const QVector<platform::FileId> a = platform::folderAncestry(first);
    const QVector<platform::FileId> b = platform::folderAncestry(second);
    if (a.isEmpty() || b.isEmpty())
        return FolderRelation::Apart;
    if (a.first() == b.first())
        return FolderRelation::Same;
    if (a.indexOf(b.first()) > 0)
        return FolderRelation::FirstInsideSecond;
    if (b.indexOf(a.first()) > 0)
        return FolderRelation::SecondInsideFirst;
    return FolderRelation::Apart;
}

bool FolderComparison::isListSide(const QString &path)
{
    platform::FileStat st;
    platform::FileError err;
    return platform::statPath(path, st, err) && st.kind != platform::EntryKind::Folder;
}

bool FolderComparison::looksLikeListSide(const QString &path)
{
    platform::FileStat st;
    platform::FileError err;
    return platform::statPath(path, st, err) && st.kind == platform::EntryKind::File && looksLikeDigestList(path);
}

const QString &FolderComparison::title()
{
    static const QString t = QStringLiteral("Compare folders");
    return t;
}

bool FolderComparison::checkFailed(const QString &text, platform::MsgIcon icon)
{
    m_host.checkFailed(text, icon, title());
    return false;
}

// The lists' algorithms as their first lines tell them: each must be the one asked for, and two lists
// must agree. A list whose lines do not tell is left for its read, which says what is wrong with it.
bool FolderComparison::listAlgorithms(const CompareOptions &options, const Side sides[2], Digests &digests)
{
    digests.known = options.algorithm.has_value();
    digests.algorithm = options.algorithm.value_or(DigestAlgorithm::Md5);
    int tellingSide = -1;
    for (const int side : {kOld, kNew}) {
        const QString &path = side == kOld ? options.oldFolder : options.newFolder;
        DigestAlgorithm own;
        QString error;
        if (!sides[side].isList || !digestListAlgorithm(path, nullptr, own, error))
            continue;
        if (options.algorithm && own != *options.algorithm)
            return checkFailed(QStringLiteral("%1 holds %2 digests, not %3 digests as asked.")
                                   .arg(path, algorithmTitle(own), algorithmTitle(*options.algorithm)));
        if (tellingSide >= 0 && own != digests.algorithm)
            return checkFailed(QStringLiteral("The 1st folder's list %1 holds %2 digests, the 2nd folder's list %3 "
                                              "holds %4 digests: lists of different digests cannot be compared.")
                                   .arg(options.oldFolder, algorithmTitle(digests.algorithm), options.newFolder,
                                        algorithmTitle(own)));
        digests.known = true;
        digests.algorithm = own;
        tellingSide = side;
    }
    return true;
}

// The checks, in order; each ends the command before anything but the option texts changes.
bool FolderComparison::passesChecks(CompareOptions &options, Side sides[2], Digests &digests, CompareResult &result)
{
    options.oldFolder = trimBlanks(options.oldFolder);
    if (options.oldFolder.isEmpty())
        return checkFailed(QStringLiteral("1st folder not specified."));
    options.newFolder = trimBlanks(options.newFolder);
    if (options.newFolder.isEmpty())
        return checkFailed(QStringLiteral("2nd folder not specified."));
    const QString same = QStringLiteral("The 1st and 2nd folders are the same.");
    if (options.oldFolder == options.newFolder)
        return checkFailed(same);
    // A digest list is a file, not a folder: it is neither the other folder nor inside it.
    for (const int side : {kOld, kNew}) {
        const QString &path = side == kOld ? options.oldFolder : options.newFolder;
        sides[side].isList = isListSide(path);
        platform::FileStat st;
        platform::FileError err;
        if (sides[side].isList && platform::statPath(path, st, err))
            sides[side].listId = platform::FileId{st.device, st.inode};
    }
    const FolderRelation relation = sides[kOld].isList || sides[kNew].isList
        ? FolderRelation::Apart
        : folderRelation(options.oldFolder, options.newFolder);
    if (relation == FolderRelation::Same)
        return checkFailed(same);
    if (relation != FolderRelation::Apart && options.includeSubfolders) {
        const bool oldInside = relation == FolderRelation::FirstInsideSecond;
        const QString &inner = oldInside ? options.oldFolder : options.newFolder;
        const QString &outer = oldInside ? options.newFolder : options.oldFolder;
        return checkFailed(inner + QStringLiteral(" is contained in ") + outer + QStringLiteral(".\n\n")
                               + QStringLiteral("When files are included in subfolders recursively\n")
                               + QStringLiteral("one folder cannot be a subfolder the other folder."),
                           platform::MsgIcon::Information);
    }
    options.reportFile = trimBlanks(options.reportFile);
    if (options.reportFile.isEmpty())
        return checkFailed(QStringLiteral("Report file not specified."));
    if (platform::folderExists(options.reportFile))
        return checkFailed(options.reportFile + QStringLiteral(" is a folder, not a file."));
    platform::FileStat report;
    platform::FileError err;
    if (platform::statPath(options.reportFile, report, err)) {
        for (const int side : {kOld, kNew}) {
            if (sides[side].isList && platform::FileId{report.device, report.inode} == sides[side].listId)
                return checkFailed(QStringLiteral("The report file %1 is the digest list given as the %2 folder; "
                                                  "choose another report file.")
                                       .arg(options.reportFile, side == kOld ? QStringLiteral("1st") : QStringLiteral("2nd")));
        }
    }
    if (!listAlgorithms(options, sides, digests))
        return false;
    if (options.warnOnOverwrite && platform::fileExists(options.reportFile)
        && !m_host.askOverwrite(QStringLiteral("Overwrite file ") + options.reportFile + u'?', title())) {
        result.outcome = CompareResult::Outcome::Declined;
        return false;
    }
    // A folder that is not there would make every file of the other one added or removed.
    if (!sides[kOld].isList && !platform::folderExists(options.oldFolder))
        return checkFailed(QStringLiteral("1st folder not found."));
    if (!sides[kNew].isList && !platform::folderExists(options.newFolder))
        return checkFailed(QStringLiteral("2nd folder not found."));
    return true;
}

} // namespace cheqora
