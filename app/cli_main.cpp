// cheqora-cli: the program's digest and comparison commands without a window.
#include "cliargs.h"
#include "digest.h"
#include "digestline.h"
#include "foldercomparison.h"
#include "reportwriter.h"
#include "standardoutput.h"
#include "terminalhost.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QStringList>

#include <csignal>
#include <unistd.h>

namespace {

// Files and folders the comparison could not read, which it reports instead of calling them unchanged.
struct Unchecked {
    qint64 files = 0;
    qint64 folders = 0;
};

Unchecked uncheckedItems(const cheqora::CompareResult &result)
{
    return Unchecked{result.counts.notCompared, result.counts.foldersNotRead};
}

// The counts themselves are in the caption on stdout and in the report's summary.
QString uncheckedMessage(const Unchecked &u)
{
    if (u.files == 0 && u.folders == 0)
        return QString();
    return QStringLiteral("Some files or folders could not be read, so they were not compared (see the report).");
}

// Exit status: 0 nothing found, 1 something found, 2 a check failed, the comparison did not run to its
// end, something could not be read, or an error; 128 + the signal when interrupted.
int compareCommand(cli::Arguments &args)
{
    cli::TerminalHost host(args.options, !args.quiet && ::isatty(STDERR_FILENO));
    cheqora::FolderComparison comparison(host);
    host.attach(comparison);
    args.options.jobs = args.jobs; // 0 when not given: one per hardware thread
    const cheqora::CompareResult result = comparison.compare(args.options);
    host.endProgress();
    const int trouble = cli::g_interrupted.load() ? cli::interruptedStatus() : 2;
    using Outcome = cheqora::CompareResult::Outcome;
    switch (result.outcome) {
    case Outcome::CheckFailed:
    case Outcome::Declined:
        return trouble; // the host has said why
    case Outcome::Stopped:
    case Outcome::Error:
        host.say(result.caption);
        return trouble;
    case Outcome::LinesExceeded:
    case Outcome::Completed:
        break;
    }
    cli::writeOut(result.caption + u'\n');
    const QString unchecked = uncheckedMessage(uncheckedItems(result));
    if (!unchecked.isEmpty()) {
        host.say(unchecked);
        return trouble;
    }
    if (cli::g_interrupted.load())
        return cli::interruptedStatus();
    return result.foundSomething ? 1 : 0;
}

// Exit status: 0 every digest computed, 1 a file without one, 128 + the signal when interrupted.
int digestCommand(const QStringList &paths, cheqora::DigestAlgorithm algorithm)
{
    int exitCode = 0;
    for (const QString &path : paths) {
        const cheqora::FileDigest digest = cheqora::digestOfFile(path, &cli::g_interrupted, nullptr, algorithm);
        if (cli::g_interrupted.load())
            return cli::interruptedStatus();
        const QString caption = digest.ok() ? digest.hex : digest.statusText;
        if (!digest.ok())
            exitCode = 1;
        QString line = cheqora::digestLine(caption, path);
        if (line.isEmpty())
            line = caption + QStringLiteral("  ") + path;
        // A name with a line break stays on its one line, written as the report writes it.
        cli::writeOut(cheqora::visibleText(line) + u'\n');
        if (!cli::outputOk())
            break; // main says why
    }
    return exitCode;
}

int run(cli::ParsedCommandLine &parsed)
{
    if (!parsed.run) {
        cli::writeOut(parsed.out);
        cli::writeText(stderr, parsed.err);
        return parsed.exitCode;
    }
    cli::installInterruptHandler();
    if (parsed.args.command == cli::Command::Digest)
        return digestCommand(parsed.args.files, parsed.args.options.algorithm.value_or(cheqora::DigestAlgorithm::Md5));
    if (parsed.args.command == cli::Command::List)
        return cli::listCommand(parsed.args);
    if (parsed.args.command == cli::Command::Check)
        return cli::checkCommand(parsed.args);
    return compareCommand(parsed.args);
}

} // namespace

int main(int argc, char **argv)
{
    cli::guardStandardStreams();
    // Past a file-size limit (ulimit -f) a write then fails, and says so, instead of killing the program.
    ::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    // Arguments are decoded with the program's own codec so that names with invalid UTF-8 survive.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(platform::decodeName(QByteArray(argv[i])));
    cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    const int status = run(parsed);
    if (!cli::finishOutput() && !cli::g_interrupted.load())
        return 2;
    return status;
}
