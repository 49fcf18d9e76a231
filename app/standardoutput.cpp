#include "standardoutput.h"

#include "fileerror.h"
#include "foldercomparison.h"
#include "reportwriter.h"
#include "terminalhost.h"
#include "textcodec.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace cli {
namespace {

bool g_closed = false; // stdout was closed when the program started
int g_error = 0;       // errno of the first write to stdout that failed

// What stdout points to: a path, or else (a pipe, a terminal's stream closed) "standard output".
QString outputName()
{
    char target[PATH_MAX];
    const ssize_t n = g_closed ? -1 : ::readlink("/proc/self/fd/1", target, sizeof target);
    if (n > 0 && target[0] == '/')
        return cheqora::visibleText(platform::decodeName(QByteArray(target, qsizetype(n))));
    return QStringLiteral("standard output");
}

// errno after a call that failed; a stream can fail without one.
int lastError()
{
    return errno != 0 ? errno : EIO;
}

} // namespace

void guardStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free descriptor is this one. Standard output is opened for reading only, so that
        // whatever writes to it fails as it would have on the closed one.
        ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        g_closed = g_closed || fd == 1;
    }
}

void writeOut(const QString &text)
{
    if (g_error != 0 || text.isEmpty())
        return;
    if (g_closed) {
        g_error = EBADF;
        return;
    }
    const QByteArray bytes = platform::encodeText(text);
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        g_error = lastError();
}

bool outputOk()
{
    return g_error == 0;
}

bool finishOutput()
{
    errno = 0;
    if (g_error == 0 && std::fflush(stdout) != 0)
        g_error = lastError();
    if (g_error == 0 && std::ferror(stdout))
        g_error = EIO;
    const QString name = outputName(); // while the descriptor is still open
    errno = 0;
    if (std::fclose(stdout) != 0 && g_error == 0)
        g_error = lastError();
    if (g_error == 0)
        return true;
    platform::FileError err;
    platform::setWriteError(err, g_error, name);
    writeText(stderr, QStringLiteral("Error: ") + err.description + u'\n');
    return false;
}

} // namespace cli
