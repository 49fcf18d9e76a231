// cheqora-cli list: a folder's digests as a digest list, in the order the comparison walks them.
#include "cliargs.h"
#include "digestlist.h"
#include "filefilter.h"
#include "reportwriter.h"
#include "strproc.h"
#include "terminalhost.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace cli {

// Exit status: 0 every file read, 2 a file or folder not read or trouble, 130 Ctrl+C.
int listCommand(Arguments &args)
{
    cheqora::CompareOptions &o = args.options;
    if (!platform::folderExists(o.oldFolder)) {
        writeText(stderr, QStringLiteral("Folder not found: ") + cheqora::visibleText(o.oldFolder) + u'\n');
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

    TerminalHost host(o, !args.quiet && ::isatty(STDERR_FILENO));
    cheqora::FolderComparison comparison(host);
    host.attach(comparison);
    // args.jobs (0 = not given) is for the engine, which digests one file at a time so far.
    // The list file itself, when it lies in the folder, is left out of the walk as a report is.
    o.reportFile = args.output;
    // Written once the walk is over, entry by entry, so a failed walk leaves no list behind.
    platform::TextFileWriter out;
    platform::FileError err;
    bool started = false;
    bool written = true;
    const auto put = [&](const QString &text) {
        if (!started) {
            started = true;
            const QString start = cheqora::digestListHeaderText(header);
            if (args.output.isEmpty())
                writeText(stdout, start);
            else
                written = out.open(args.output, err) && out.write(start, err);
        }
        if (args.output.isEmpty())
            writeText(stdout, text);
        else if (written)
            written = out.write(text, err);
    };
    bool trouble = false;
    qint64 entries = 0;
    QString error;
    const bool ok = comparison.walkForList(
        o,
        [&](const cheqora::DigestListEntry &e) {
            trouble = trouble || e.kind == cheqora::DigestListEntry::Kind::NotRead
                || e.kind == cheqora::DigestListEntry::Kind::FolderNotRead;
            ++entries;
            put(cheqora::digestListEntryText(e));
        },
        error);
    host.endProgress();
    if (g_interrupted.load())
        return 130;
    if (!ok) {
        host.say(QStringLiteral("Error: ") + error);
        return 2;
    }
    put(cheqora::digestListEndText(entries));
    if (!args.output.isEmpty() && !(written && out.close(err))) {
        host.say(QStringLiteral("Error: ") + cheqora::visibleText(args.output) + QStringLiteral(": ") + err.description);
        return 2;
    }
    if (trouble)
        host.say(QStringLiteral("Some files or folders could not be read; the list records them without a digest."));
    return trouble ? 2 : 0;
}

} // namespace cli
