// cheqora: the main window, with the files or folders named on the command line.
#include "frmmain.h"
#include "qtuiservices.h"
#include "textcodec.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstring>

namespace {

const char kHelp[] =
    "Usage: cheqora [FILE [FILE2]]\n"
    "       cheqora FOLDER1 FOLDER2\n"
    "Check files by their MD5 digests and compare two folders, in a window.\n"
    "\n"
    "One or two files are shown in the digest panel, with their digests side by\n"
    "side. Folders go into the old and new folder fields; a digest list can stand\n"
    "in for either of them.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Without a window: cheqora-cli --help.\n";

} // namespace

int main(int argc, char **argv)
{
    // Help and version need no display: they are answered before the application connects to one.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::fputs("cheqora " CHEQORA_VERSION "\n", stdout);
            return 0;
        }
    }
    QApplication app(argc, argv); // takes its own options out of argv
    QApplication::setApplicationName(QStringLiteral("Cheqora"));
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << platform::decodeName(QByteArray(argv[i]));
    QStringList paths;
    QString error;
    if (!cheqora::WindowPaths(args, QDir::currentPath(), paths, error)) {
        std::fprintf(stderr, "cheqora: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    platform::QtUiServices services;
    platform::setUi(&services);

    cheqora::frmMain form;
    form.StartPaths = paths;
    // Without its text catalogue the program cannot speak to the user: the load has said why.
    if (!form.Form_Load())
        return 1;
    return app.exec();
}
