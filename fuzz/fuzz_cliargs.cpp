// The command line: any argument vector either gives a command to run, or says what to print and
// exits with it (help or version with 0, a complaint with 2); nothing else.
#include "cliargs.h"
#include "fuzzcheck.h"
#include "textcodec.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv); // as cheqora-cli parses its line
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Arguments are separated by zero bytes and decoded as cheqora-cli decodes its own.
    QStringList arguments;
    if (size > 0) {
        for (const QByteArray &argument : fuzz::bytesOf(data, size).split('\0'))
            arguments.append(platform::decodeName(argument));
    }
    const cli::ParsedCommandLine r = cli::parseCommandLine(arguments);
    if (r.run) {
        const cli::Arguments &a = r.args;
        const cheqora::CompareOptions &o = a.options;
        fuzz::check(r.exitCode == 0 && r.out.isEmpty() && r.err.isEmpty(), "a command to run with output");
        fuzz::check(a.command != cli::Command::Digest || !a.files.isEmpty(), "digest without a file");
        fuzz::check(a.jobs >= 0 && (!o.skipLargeFiles || (o.skipSizeMB >= 1 && o.skipSizeMB <= 99999)),
                    "a number out of its range");
        fuzz::check(!o.limitLines || o.maxLinesText.toLongLong() >= 1, "a line limit below 1");
    } else if (r.exitCode == 2) {
        fuzz::check(r.out.isEmpty() && r.err.size() > 1 && r.err.endsWith(u'\n'), "exit 2 without its message");
    } else {
        const bool help = r.out.startsWith(QStringLiteral("Usage: cheqora-cli "));
        fuzz::check(r.exitCode == 0 && r.err.isEmpty()
                        && (help || r.out == QStringLiteral("cheqora-cli " CHEQORA_VERSION "\n")),
                    "neither a command, help, version nor a complaint", r.out + r.err);
    }
    return 0;
}
