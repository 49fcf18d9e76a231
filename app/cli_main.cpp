// cheqora-cli: the program's digest and comparison commands without a window.
#include "digest.h"
#include "digestline.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = platform::encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int usage()
{
    print(stderr, QStringLiteral("usage: cheqora-cli digest FILE...\n"));
    return 2;
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
    return usage();
}
