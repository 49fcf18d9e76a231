#include "cliargs.h"

#include "strproc.h"

#include <QCommandLineParser>

namespace cli {
namespace {

const QString kProgram = QStringLiteral("cheqora-cli");

ParsedCommandLine printed(const QString &text)
{
    ParsedCommandLine r;
    r.out = text;
    return r;
}

ParsedCommandLine refused(const QString &message, const QString &commandName = QString())
{
    ParsedCommandLine r;
    r.err = message + QStringLiteral("\nTry '") + kProgram + (commandName.isEmpty() ? QString() : u' ' + commandName)
        + QStringLiteral(" --help'.\n");
    r.exitCode = 2;
    return r;
}

// A bad option value: the message alone, in the words the window uses for the same field.
ParsedCommandLine invalidValue(const QString &message)
{
    ParsedCommandLine r;
    r.err = message + u'\n';
    r.exitCode = 2;
    return r;
}

// Parses with the help and version options ahead of the command's own. True when there is something to
// run; otherwise out holds the help, the version or the complaint. The library would put the path the
// program was started by on the usage line; usage names it as the user types it.
bool parseInto(QCommandLineParser &parser, const QList<QCommandLineOption> &options, const QStringList &arguments,
               const QString &commandName, const QString &usage, ParsedCommandLine &out)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    parser.addOptions(QList<QCommandLineOption>{help, version} + options);
    if (!parser.parse(QStringList{kProgram} + arguments)) {
        out = refused(parser.errorText(), commandName);
        return false;
    }
    if (parser.isSet(help)) {
        const QString text = parser.helpText();
        const qsizetype eol = text.indexOf(u'\n');
        out = printed(QStringLiteral("Usage: ") + kProgram + u' ' + usage + (eol < 0 ? QString() : text.mid(eol)));
        return false;
    }
    if (parser.isSet(version)) {
        out = printed(kProgram + QStringLiteral(" " CHEQORA_VERSION "\n"));
        return false;
    }
    return true;
}

// -a, --algorithm, for every command that digests.
QCommandLineOption algorithmOption()
{
    return QCommandLineOption({QStringLiteral("a"), QStringLiteral("algorithm")},
                              QStringLiteral("The digest: md5, sha1, sha256, sha512 or blake2b; without it, that of "
                                             "the digest lists given, or md5."),
                              QStringLiteral("NAME"));
}

// Into o.algorithm when given; false with the complaint in r.
bool readAlgorithm(const QCommandLineParser &parser, cheqora::CompareOptions &o, ParsedCommandLine &r)
{
    const QCommandLineOption option = algorithmOption();
    if (!parser.isSet(option))
        return true;
    cheqora::DigestAlgorithm a;
    if (!cheqora::algorithmFromName(parser.value(option), a)) {
        r = invalidValue(QStringLiteral("Unknown algorithm '%1': md5, sha1, sha256, sha512 or blake2b.").arg(parser.value(option)));
        return false;
    }
    o.algorithm = a;
    return true;
}

// A whole number from 1 to max; blanks around it are allowed, as in the window's fields.
bool wholeNumber(const QString &text, qint64 max, qint64 &value)
{
    bool ok = cheqora::isDigitString(text, false, false);
    value = ok ? text.trimmed().toLongLong(&ok) : 0;
    return ok && value >= 1 && value <= max;
}

ParsedCommandLine parseDigest(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints one line per file: its digest, MD5 unless --algorithm names another (or why there is\n"
        "none), name, size, date and time.\n"
        "Exit status: 0 every digest was computed, 1 otherwise, 2 trouble."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A file to digest."), QStringLiteral("FILE..."));
    const QString command = QStringLiteral("digest");
    ParsedCommandLine r;
    if (!parseInto(parser, {algorithmOption()}, arguments, command, QStringLiteral("digest [options] FILE..."), r)
        || !readAlgorithm(parser, r.args.options, r))
        return r;
    r.args.command = Command::Digest;
    r.args.files = parser.positionalArguments();
    if (r.args.files.isEmpty())
        return refused(QStringLiteral("No file given."), command);
    r.run = true;
    return r;
}

// The options that decide what a walk reads, shared by compare and list.
struct WalkOptions {
    QCommandLineOption recursive{{QStringLiteral("r"), QStringLiteral("recursive")},
                                 QStringLiteral("Include the files in subfolders.")};
    QCommandLineOption ext{QStringLiteral("ext"), QStringLiteral("Only files with this extension."),
                           QStringLiteral("EXT")};
    QCommandLineOption skip{QStringLiteral("skip-mb"),
                            QStringLiteral("Do not read files larger than N MB (1 to 99999)."), QStringLiteral("N")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")},
                            QStringLiteral("Digest up to N files at a time (1 for a spinning disk)."), QStringLiteral("N")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Show no progress line on the terminal.")};

    QList<QCommandLineOption> all() const { return {recursive, ext, skip, jobs, quiet, algorithmOption()}; }

    // Into a; false with the complaint in r.
    bool read(const QCommandLineParser &parser, Arguments &a, ParsedCommandLine &r) const
    {
        cheqora::CompareOptions &o = a.options;
        if (!readAlgorithm(parser, o, r))
            return false;
        o.includeSubfolders = parser.isSet(recursive);
        a.quiet = parser.isSet(quiet);
        if (parser.isSet(ext)) {
            o.onlyExtension = true;
            o.extension = parser.value(ext);
        }
        qint64 value = 0;
        o.skipLargeFiles = parser.isSet(skip);
        if (o.skipLargeFiles) {
            if (!wholeNumber(parser.value(skip), 99999, value)) {
                r = invalidValue(QStringLiteral("Invalid value for skip size."));
                return false;
            }
            o.skipSizeMB = int(value);
        }
        if (parser.isSet(jobs)) {
            if (!wholeNumber(parser.value(jobs), 2147483647, value)) {
                r = invalidValue(QStringLiteral("Invalid value for number of jobs."));
                return false;
            }
            a.jobs = int(value);
        }
        return true;
    }
};

ParsedCommandLine parseCompare(const QStringList &arguments)
{
    const QString N = QStringLiteral("N");
    const QCommandLineOption duplicates({QStringLiteral("d"), QStringLiteral("duplicates")},
                                        QStringLiteral("List the files identical in both folders instead of the changes."));
    const QCommandLineOption maxLines(QStringLiteral("max-lines"),
                                      QStringLiteral("End the report after N lines. By default it is complete."), N);
    const QCommandLineOption noLimit(QStringLiteral("no-line-limit"), QStringLiteral("Write the complete report (the default)."));
    const QCommandLineOption force({QStringLiteral("f"), QStringLiteral("force")},
                                   QStringLiteral("Replace an existing report without asking."));
    const WalkOptions walk;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compares the NEW folder with the OLD one by the files' digests and writes the report to REPORT:\n"
        "the files added, removed or modified, or with --duplicates the files identical in both.\n"
        "OLD and NEW may each be a digest list written by 'cheqora-cli list', md5sum, sha1sum, sha256sum,\n"
        "sha512sum or b2sum instead of a folder; the comparison takes the lists' digest, else MD5 unless\n"
        "--algorithm names another. A list of another digest than the one named is refused.\n"
        "Exit status: 0 nothing found, 1 something found, 2 trouble (also when a file or folder could\n"
        "not be read), 128 + the signal when interrupted (130 for Ctrl+C)."));
    parser.addPositionalArgument(QStringLiteral("OLD"), QStringLiteral("The 1st folder, or a digest list."));
    parser.addPositionalArgument(QStringLiteral("NEW"),
                                 QStringLiteral("The 2nd folder (or digest list), taken as derived from the 1st."));
    parser.addPositionalArgument(QStringLiteral("REPORT"), QStringLiteral("The report file to write."));
    const QString command = QStringLiteral("compare");
    ParsedCommandLine r;
    if (!parseInto(parser, QList<QCommandLineOption>{duplicates, maxLines, noLimit, force} + walk.all(), arguments,
                   command, QStringLiteral("compare [options] OLD NEW REPORT"), r))
        return r;

    Arguments &a = r.args;
    a.command = Command::Compare;
    cheqora::CompareOptions &o = a.options;
    o.mode = parser.isSet(duplicates) ? cheqora::CompareMode::Duplicates : cheqora::CompareMode::Changes;
    o.warnOnOverwrite = !parser.isSet(force);
    if (!walk.read(parser, a, r))
        return r;
    // A script gets the whole report unless it asks for a limit.
    qint64 value = 0;
    o.limitLines = parser.isSet(maxLines);
    if (o.limitLines) {
        if (!wholeNumber(parser.value(maxLines), 2147483647, value))
            return invalidValue(QStringLiteral("Invalid value for number of lines."));
        o.maxLinesText = QString::number(value);
    }
    if (o.limitLines && parser.isSet(noLimit))
        return refused(QStringLiteral("--max-lines and --no-line-limit exclude each other."), command);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 3)
        return refused(QStringLiteral("Three arguments expected: OLD NEW REPORT."), command);
    o.oldFolder = positional.at(0);
    o.newFolder = positional.at(1);
    o.reportFile = positional.at(2);
    r.run = true;
    return r;
}

ParsedCommandLine parseList(const QStringList &arguments)
{
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the list to FILE instead of standard output. An existing "
                                                   "FILE is replaced only when it is a digest list."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption force({QStringLiteral("f"), QStringLiteral("force")},
                                   QStringLiteral("Replace FILE even when it is not a digest list."));
    const WalkOptions walk;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the digest list of FOLDER: one md5sum line per file (sha256sum's with --algorithm sha256,\n"
        "and so on), in the order a comparison walks them, with the size and date of each file and the\n"
        "options in '#:' comment lines. 'md5sum -c' (or the algorithm's tool) run in FOLDER checks it;\n"
        "'cheqora-cli compare' takes it in place of the folder.\n"
        "Exit status: 0 every file was read, 2 a file or folder could not be read, or trouble,\n"
        "128 + the signal when interrupted (130 for Ctrl+C)."));
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder to list."));
    const QString command = QStringLiteral("list");
    ParsedCommandLine r;
    if (!parseInto(parser, QList<QCommandLineOption>{output, force} + walk.all(), arguments, command,
                   QStringLiteral("list [options] FOLDER"), r))
        return r;
    Arguments &a = r.args;
    a.command = Command::List;
    if (!walk.read(parser, a, r))
        return r;
    a.output = parser.value(output);
    a.force = parser.isSet(force);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return refused(QStringLiteral("One argument expected: FOLDER."), command);
    a.options.oldFolder = positional.at(0);
    r.run = true;
    return r;
}

ParsedCommandLine parseCheck(const QStringList &arguments)
{
    const QCommandLineOption ignoreMissing(QStringLiteral("ignore-missing"),
                                           QStringLiteral("Say nothing of a missing file, as if the list did not name it."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Print no line for a file that matches."));
    const QCommandLineOption strict(QStringLiteral("strict"), QStringLiteral("Exit 1 when a line is improperly formatted."));
    const WalkOptions walk;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Verifies the files LIST names, relative to the current folder, as 'sha256sum -c' does: 'NAME: OK',\n"
        "'NAME: FAILED' or 'NAME: FAILED open or read' for each, in the list's order, and warnings on stderr.\n"
        "The digest is that of the list's tags, of its digests' length or of its '#: algorithm' line, or the\n"
        "one --algorithm names (needed for SHA-512 and BLAKE2b lines without a tag).\n"
        "Exit status: 0 every file matched, 1 otherwise, 2 trouble, 128 + the signal when interrupted."));
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("The checksum list."));
    const QString command = QStringLiteral("check");
    ParsedCommandLine r;
    if (!parseInto(parser, {ignoreMissing, quiet, strict, walk.jobs, algorithmOption()}, arguments, command,
                   QStringLiteral("check [options] LIST"), r))
        return r;
    Arguments &a = r.args;
    a.command = Command::Check;
    if (!readAlgorithm(parser, a.options, r))
        return r;
    if (parser.isSet(walk.jobs)) {
        qint64 value = 0;
        if (!wholeNumber(parser.value(walk.jobs), 2147483647, value))
            return invalidValue(QStringLiteral("Invalid value for number of jobs."));
        a.jobs = int(value);
    }
    a.quiet = parser.isSet(quiet);
    a.ignoreMissing = parser.isSet(ignoreMissing);
    a.strict = parser.isSet(strict);
    a.files = parser.positionalArguments();
    if (a.files.size() != 1)
        return refused(QStringLiteral("One argument expected: LIST."), command);
    r.run = true;
    return r;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Checks files by their MD5 (or SHA-1, SHA-256, SHA-512, BLAKE2b) digests."));
    // Everything after the command is the command's own.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    parser.addPositionalArgument(QStringLiteral("digest"), QStringLiteral("Print the digest line of each file."));
    parser.addPositionalArgument(QStringLiteral("compare"), QStringLiteral("Compare two folders and write a report."));
    parser.addPositionalArgument(QStringLiteral("list"), QStringLiteral("Write the digest list of a folder."));
    parser.addPositionalArgument(QStringLiteral("check"), QStringLiteral("Verify the files a checksum list names."));
    ParsedCommandLine r;
    if (!parseInto(parser, {}, arguments, QString(), QStringLiteral("[options] COMMAND [options] ARGUMENTS..."), r)) {
        if (r.exitCode == 0 && r.out.startsWith(QStringLiteral("Usage: ")))
            r.out.replace(QStringLiteral("\nArguments:\n"), QStringLiteral("\nCommands:\n"))
                .append(QStringLiteral("\n'") + kProgram + QStringLiteral(" COMMAND --help' shows the options of a command.\n"));
        return r;
    }
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return refused(QStringLiteral("No command given."));
    const QString command = rest.takeFirst();
    if (command == QStringLiteral("digest"))
        return parseDigest(rest);
    if (command == QStringLiteral("compare"))
        return parseCompare(rest);
    if (command == QStringLiteral("list"))
        return parseList(rest);
    if (command == QStringLiteral("check"))
        return parseCheck(rest);
    return refused(QStringLiteral("Unknown command '") + command + QStringLiteral("'."));
}

} // namespace cli
