// cheqora-cli list: a folder's digests as a digest list, in the order the comparison walks them.
#include "cliargs.h"
#include "digestlist.h"
#include "filefilter.h"
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
    if (!platform::folderExists(o.strFolder1)) {
        writeText(stderr, QStringLiteral("Folder not found: ") + cheqora::visibleText(o.strFolder1) + u'\n');
        return 2;
    }
    cheqora::DigestListHeader header;
    header.ownFormat = true;
    header.program = QStringLiteral("Cheqora " CHEQORA_VERSION);
    header.folder = QDir::cleanPath(QFileInfo(o.strFolder1).absoluteFilePath());
    header.createdSecs = QDateTime::currentSecsSinceEpoch();
    header.recursive = o.blnIncludeSubfolders;
    header.extension = o.blnDoOnlyExtension ? cheqora::bareExtension(o.strExtension) : QString();
    header.skipSizeMB = o.blnSkipFiles ? o.intSkipSizeMB : 0;

    TerminalHost host(o, !args.blnQuiet && ::isatty(STDERR_FILENO));
    cheqora::FolderComparison comparison(host);
    host.attach(comparison);
    // args.intJobs (0 = not given) is for the engine, which digests one file at a time so far.
    // The list file itself, when it lies in the folder, is left out of the walk as a report is.
    o.strReportFile = args.strOutput;
    // Written once the walk is over, entry by entry, so a failed walk leaves no list behind.
    platform::TextFileWriter out;
    platform::FileError err;
    bool blnStarted = false;
    bool blnWritten = true;
    const auto put = [&](const QString &text) {
        if (!blnStarted) {
            blnStarted = true;
            const QString start = cheqora::digestListHeaderText(header);
            if (args.strOutput.isEmpty())
                writeText(stdout, start);
            else
                blnWritten = out.open(args.strOutput, err) && out.write(start, err);
        }
        if (args.strOutput.isEmpty())
            writeText(stdout, text);
        else if (blnWritten)
            blnWritten = out.write(text, err);
    };
    bool blnTrouble = false;
    qint64 entries = 0;
    QString strError;
    const bool ok = comparison.WalkForList(
        o,
        [&](const cheqora::DigestListEntry &e) {
            blnTrouble = blnTrouble || e.kind == cheqora::DigestListEntry::Kind::NotRead
                || e.kind == cheqora::DigestListEntry::Kind::FolderNotRead;
            ++entries;
            put(cheqora::digestListEntryText(e));
        },
        strError);
    host.endProgress();
    if (g_interrupted.load())
        return 130;
    if (!ok) {
        host.say(QStringLiteral("Error: ") + strError);
        return 2;
    }
    put(cheqora::digestListEndText(entries));
    if (!args.strOutput.isEmpty() && !(blnWritten && out.close(err))) {
        host.say(QStringLiteral("Error: ") + cheqora::visibleText(args.strOutput) + QStringLiteral(": ") + err.description);
        return 2;
    }
    if (blnTrouble)
        host.say(QStringLiteral("Some files or folders could not be read; the list records them without a digest."));
    return blnTrouble ? 2 : 0;
}

} // namespace cli
