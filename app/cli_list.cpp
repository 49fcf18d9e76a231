// cheqora-cli list: a folder's digests as a digest list, in the order the comparison walks them.
#include "cliargs.h"
#include "digestlist.h"
#include "filefilter.h"
#include "reportwriter.h"
#include "standardoutput.h"
#include "strproc.h"
#include "terminalhost.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace cli {
namespace {

// Why -o FILE is not to be replaced; "" when it is missing, a digest list, or with --force any file.
QString whyNotReplaced(const QString &path, bool force)
{
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(path, st, err))
        return QString(); // missing; anything else the write itself reports
    if (st.kind == platform::EntryKind::Folder)
        return QStringLiteral(" is a folder.");
    if (st.kind != platform::EntryKind::File)
        return QStringLiteral(" is not a regular file.");
    if (!force && !cheqora::looksLikeDigestList(path))
        return QStringLiteral(" is not a digest list (--force replaces it).");
    return QString();
}

} // namespace

// Exit status: 0 every file read, 2 a file or folder not read or trouble, 128 + the signal when interrupted.
int listCommand(Arguments &args)
{
    cheqora::CompareOptions &o = args.options;
    if (!platform::folderExists(o.oldFolder)) {
        writeText(stderr, QStringLiteral("Folder not found: ") + cheqora::visibleText(o.oldFolder) + u'\n');
        return 2;
    }
    const bool toFile = !args.output.isEmpty();
    const QString refusal = toFile ? whyNotReplaced(args.output, args.force) : QString();
    if (!refusal.isEmpty()) {
        writeText(stderr, QStringLiteral("Not replaced: ") + cheqora::visibleText(args.output) + refusal + u'\n');
        return 2;
    }
    cheqora::DigestListHeader header;
    header.ownFormat = true;
    header.program = QStringLiteral("Cheqora " CHEQORA_VERSION);
    header.folder = QDir::cleanPath(QFileInfo(o.oldFolder).absoluteFilePath());
    header.createdSecs = QDateTime::currentSecsSinceEpoch();
    header.recursive = o.includeSubfolders;
    header.extension = o.onlyExtension ? cheqora::bareExtension(o.extension) : QString();
    header.skipSizeMB = o.skipLargeFiles ? o.skipSizeMB : 0;
    header.algorithm = o.algorithm.value_or(cheqora::DigestAlgorithm::Md5);

    TerminalHost host(o, !args.quiet && ::isatty(STDERR_FILENO));
    cheqora::FolderComparison comparison(host);
    host.attach(comparison);
    o.jobs = args.jobs; // 0 when not given: one per hardware thread
    // The list file itself, when it lies in the folder, is left out of the walk as a report is.
    o.reportFile = args.output;
    // Written once the walk is over, entry by entry, so that the walk never meets a list being written
    // and a failed walk leaves no list behind. A file gets its list whole or not at all.
    platform::AtomicTextFileWriter out;
    platform::FileError err;
    bool started = false;
    bool written = true;
    const auto put = [&](const QString &text) {
        if (!started) {
            started = true;
            const QString start = cheqora::digestListHeaderText(header);
            if (toFile)
                written = out.open(args.output, err) && out.write(start, err);
            else
                writeOut(start);
        }
        if (!toFile)
            writeOut(text);
        else if (written)
            written = out.write(text, err);
    };
    bool trouble = false;
    qint64 entries = 0;
    QString walkError;
    const bool ok = comparison.walkForList(
        o,
        [&](const cheqora::DigestListEntry &e) {
            trouble = trouble || e.kind == cheqora::DigestListEntry::Kind::NotRead
                || e.kind == cheqora::DigestListEntry::Kind::FolderNotRead;
            ++entries;
            put(cheqora::digestListEntryText(e));
        },
        walkError);
    host.endProgress();
    if (g_interrupted.load())
        return interruptedStatus(); // out removes what it wrote
    if (!ok) {
        host.say(QStringLiteral("Error: ") + walkError);
        return 2;
    }
    put(cheqora::digestListEndText(entries));
    // The whole list has gone through put; only now does it take the place of FILE.
    if (toFile && !(written && out.commit(err))) {
        host.say(QStringLiteral("Error: ") + cheqora::visibleText(err.description));
        return 2;
    }
    if (trouble)
        host.say(QStringLiteral("Some files or folders could not be read; the list records them without a digest."));
    return trouble ? 2 : 0;
}

} // namespace cli
