// cheqora-cli: the program's digest and comparison commands without a window.
#include "digest.h"
#include "digestline.h"
#include "foldercomparison.h"
#include "strproc.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = platform::encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usage()
{
    print(stderr, QStringLiteral("usage: cheqora-cli digest FILE...\n"
                                 "       cheqora-cli compare OLD NEW REPORT [--duplicates] [--recursive] [--ext EXT]\n"
                                 "                   [--skip-mb N] [--max-lines N | --no-line-limit] [--force]\n"));
    return 2;
}

// The comparison's host on a terminal: messages on stderr, the overwrite question answered by a typed
// yes, the last progress caption kept for stdout.
class TerminalHost final : public cheqora::CompareHost {
public:
    QString caption;

    void setInfoCaption(const QString &strCaption) override { caption = strCaption; }

    bool askOverwrite(const QString &strPrompt, const QString &) override
    {
        if (!::isatty(STDIN_FILENO)) {
            print(stderr, strPrompt + QStringLiteral("\nNot replaced: the input is not a terminal to answer on "
                                                     "(--force replaces the report without asking).\n"));
            return false;
        }
        print(stderr, strPrompt + QStringLiteral(" [yes/no] "));
        std::fflush(stderr);
        char line[256];
        if (!std::fgets(line, sizeof line, stdin))
            return false;
        const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
        return answer == QStringLiteral("yes") || answer == QStringLiteral("y");
    }

    void checkFailed(const QString &strText, platform::MsgIcon, const QString &) override
    {
        print(stderr, strText + u'\n');
    }
};

// Exit status: 0 nothing found, 1 something found, 2 a check failed, the comparison did not run to
// its end, something could not be read, or an error.
int compareCommand(const QStringList &args)
{
    cheqora::CompareOptions options;
    options.blnSkipFiles = false;
    QStringList positional;
    bool blnMaxLinesGiven = false;
    bool blnNoLimitGiven = false;
    bool blnOptionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (blnOptionsEnded || !a.startsWith(QStringLiteral("--"))) {
            positional.append(a);
            continue;
        }
        const bool blnHasValue = i + 1 < args.size();
        if (a == QStringLiteral("--")) {
            blnOptionsEnded = true;
        } else if (a == QStringLiteral("--duplicates")) {
            options.intButtonIndex = 2;
        } else if (a == QStringLiteral("--recursive")) {
            options.blnIncludeSubfolders = true;
        } else if (a == QStringLiteral("--force")) {
            options.blnWarnOnOverwrite = false;
        } else if (a == QStringLiteral("--no-line-limit")) {
            options.blnSuspendIfNumLines = false;
            blnNoLimitGiven = true;
        } else if (a == QStringLiteral("--ext") && blnHasValue) {
            options.blnDoOnlyExtension = true;
            options.strExtension = args.at(++i);
        } else if (a == QStringLiteral("--skip-mb") && blnHasValue) {
            const QString text = args.at(++i);
            bool ok = cheqora::IsDigitString(text, false, false);
            const int mb = ok ? text.trimmed().toInt(&ok) : 0;
            if (!ok || mb <= 0 || mb > 99999) {
                print(stderr, QStringLiteral("Invalid value for skip size.\n"));
                return 2;
            }
            options.blnSkipFiles = true;
            options.intSkipSizeMB = mb;
        } else if (a == QStringLiteral("--max-lines") && blnHasValue) {
            const QString text = args.at(++i);
            bool ok = cheqora::IsDigitString(text, false, false);
            const qint64 lines = ok ? text.trimmed().toLongLong(&ok) : 0;
            if (!ok || lines < 1 || lines > 2147483647) {
                print(stderr, QStringLiteral("Invalid value for number of lines.\n"));
                return 2;
            }
            options.blnSuspendIfNumLines = true;
            options.strSuspendIfNumLines = text.trimmed();
            blnMaxLinesGiven = true;
        } else {
            return usage();
        }
    }
    if (positional.size() != 3 || (blnMaxLinesGiven && blnNoLimitGiven))
        return usage();
    options.strFolder1 = positional.at(0);
    options.strFolder2 = positional.at(1);
    options.strReportFile = positional.at(2);

    TerminalHost host;
    cheqora::FolderComparison comparison(host);
    const cheqora::CompareResult result = comparison.CompareFolders(options);
    using Outcome = cheqora::CompareResult::Outcome;
    if (result.outcome == Outcome::CheckFailed || result.outcome == Outcome::Declined)
        return 2;
    print(stdout, result.strInfoCaption + u'\n');
    if (result.outcome == Outcome::Stopped || result.outcome == Outcome::Error)
        return 2;
    if (result.lngNumNotCompared + result.lngNumFoldersNotRead > 0) {
        print(stderr, QStringLiteral("Some files or folders could not be read, so they were not compared "
                                     "(see the report).\n"));
        return 2;
    }
    return result.blnFoundSomething ? 1 : 0;
}

int digestCommand(const QStringList &paths)
{
    if (paths.isEmpty())
        return usage();
    int exitCode = 0;
    for (const QString &path : paths) {
        int status = 0;
        QString statusText;
        const QString digest = cheqora::GetDSOfFile(path, status, statusText);
        const QString caption = status == 0 ? digest : statusText;
        if (status != 0)
            exitCode = 1;
        QString line;
        if (!cheqora::BuildDigestLine(caption, path, line))
            line = caption + QStringLiteral("  ") + path;
        print(stdout, line + u'\n');
    }
    return exitCode;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Arguments are decoded with the program's own codec so that names with invalid UTF-8 survive.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(platform::decodeName(QByteArray(argv[i])));
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == QStringLiteral("digest"))
        return digestCommand(args);
    if (command == QStringLiteral("compare"))
        return compareCommand(args);
    return usage();
}
