#include "terminalhost.h"

#include "digest.h"
#include "reportwriter.h"
#include "strproc.h"
#include "textcodec.h"


#include <cerrno>
#include <csignal>
#include <cwchar>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {

std::atomic_bool g_interrupted{false};
static_assert(std::atomic_bool::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

namespace {

std::atomic_int g_signal{0};
static_assert(std::atomic_int::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

void onInterrupt(int signal)
{
    g_signal.store(signal);
    g_interrupted.store(true);
}

int terminalColumns()
{
    struct winsize ws {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0)
        return ws.ws_col;
    return 80;
}

// The code points of a text as the terminal shows it: line breaks escaped as in the report, any other
// control character (an escape sequence could rewrite the screen) as "?".
QList<uint> terminalText(const QString &text)
{
    QList<uint> out = cheqora::visibleText(text).toUcs4();
    for (uint &c : out) {
        if (c < 0x20 || (c >= 0x7f && c < 0xa0))
            c = u'?';
    }
    return out;
}

int columnsOf(uint c)
{
    const int w = ::wcwidth(wchar_t(c));
    return w < 0 ? 1 : w;
}

int columnsOf(const QList<uint> &text)
{
    int n = 0;
    for (const uint c : text)
        n += columnsOf(c);
    return n;
}

QString fromCodePoints(const QList<uint> &text)
{
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(text.constData()), text.size());
}

// The progress line fitted into a terminal of this many columns: the prefix, then as much of the end of
// the path as fits after "...".
QString fitProgressLine(const QString &prefix, const QString &path, int columns)
{
    // The last column is left free: some terminals wrap as soon as it is written.
    const int width = qMax(columns - 1, 1);
    QList<uint> line = terminalText(prefix);
    const QList<uint> shown = terminalText(path);
    int used = 0;
    qsizetype kept = 0;
    while (kept < line.size() && used + columnsOf(line.at(kept)) <= width)
        used += columnsOf(line.at(kept++));
    line.resize(kept);
    if (used + columnsOf(shown) <= width)
        return fromCodePoints(line + shown);
    const QList<uint> dots{u'.', u'.', u'.'};
    int room = width - used - columnsOf(dots);
    if (room <= 0)
        return fromCodePoints(line);
    qsizetype start = shown.size();
    while (start > 0 && columnsOf(shown.at(start - 1)) <= room)
        room -= columnsOf(shown.at(--start));
    return fromCodePoints(line + dots + shown.mid(start));
}

} // namespace

void writeText(FILE *stream, const QString &text)
{
    const QByteArray bytes = platform::encodeText(text);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void installInterruptHandler()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // The engine's reads and writes carry on; the flag is looked at between files and while digests are waited for.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        // A signal ignored from the start stays ignored: SIGINT in the background of a script, SIGHUP
        // under nohup.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

int interruptedStatus()
{
    return 128 + g_signal.load();
}

ProgressLine::ProgressLine(bool enabled)
    : m_enabled(enabled)
{
}

void ProgressLine::show(const QString &prefix, const QString &path)
{
    if (!m_enabled)
        return;
    const QString line = fitProgressLine(prefix, path, terminalColumns());
    const int width = columnsOf(line.toUcs4());
    // Blanks cover what is left of a longer line before it.
    writeText(stderr, u'\r' + line + QString(qMax(m_width - width, 0), u' '));
    m_width = width;
    m_shown.start();
}

void ProgressLine::clear()
{
    if (m_width > 0)
        writeText(stderr, u'\r' + QString(m_width, u' ') + u'\r');
    m_width = 0;
}

TerminalHost::TerminalHost(const cheqora::CompareOptions &options, bool progress)
    : m_options(options)
    , m_progress(progress)
{
}

void TerminalHost::say(const QString &text)
{
    m_progress.clear();
    writeText(stderr, text + u'\n');
}

void TerminalHost::stopIfInterrupted()
{
    if (g_interrupted.load() && m_comparison)
        m_comparison->requestStop();
}

void TerminalHost::yield()
{
    stopIfInterrupted();
    if (m_progress.due())
        showProgress();
}

QString TerminalHost::walkOf(const QString &path) const
{
    QString oldRoot = m_options.oldFolder;
    QString newRoot = m_options.newFolder;
    cheqora::ensureTrailingSeparator(oldRoot);
    cheqora::ensureTrailingSeparator(newRoot);
    // Without recursion one folder may lie inside the other: the longer root that fits decides.
    const bool inOld = path.startsWith(oldRoot);
    const bool inNew = path.startsWith(newRoot);
    if (inOld && (!inNew || oldRoot.size() > newRoot.size()))
        return QStringLiteral("1st folder");
    return inNew ? QStringLiteral("2nd folder") : QString();
}

void TerminalHost::showProgress()
{
    if (m_walk.isEmpty())
        return; // no file reached yet
    const qint64 bytes = m_bytes + (m_currentDone ? m_currentDone->load(std::memory_order_relaxed) : 0);
    const QString prefix = QStringLiteral("%1: %2 %3, %4 MB  ")
                               .arg(m_walk, QString::number(m_files),
                                    m_files == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                                    QString::number(double(bytes) / 1048576.0, 'f', 1));
    m_progress.show(prefix, m_current);
}

bool TerminalHost::askOverwrite(const QString &prompt, const QString &)
{
    if (!::isatty(STDIN_FILENO)) {
        say(prompt + QStringLiteral("\nNot replaced: the input is not a terminal to answer on "
                                       "(--force replaces the report without asking)."));
        return false;
    }
    m_progress.clear();
    writeText(stderr, prompt + QStringLiteral(" [yes/no] "));
    std::fflush(stderr);
    // poll, unlike a read, returns on a signal whatever SA_RESTART says, so Ctrl+C ends the wait.
    for (;;) {
        if (g_interrupted.load()) {
            writeText(stderr, QStringLiteral("\n"));
            return false;
        }
        struct pollfd input {STDIN_FILENO, POLLIN, 0};
        const int n = ::poll(&input, 1, 200);
        if (n > 0)
            break;
        if (n < 0 && errno != EINTR)
            return false;
    }
    char line[256];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    const QString answer = QString::fromLocal8Bit(line).trimmed().toLower();
    return answer == QStringLiteral("yes") || answer == QStringLiteral("y");
}

void TerminalHost::checkFailed(const QString &text, platform::MsgIcon, const QString &)
{
    say(text);
}

void TerminalHost::fileDigesting(const QString &path, qint64, const std::atomic<qint64> *bytesDone)
{
    if (!m_progress.enabled())
        return;
    const QString walk = walkOf(path);
    const bool newWalk = !walk.isEmpty() && walk != m_walk;
    if (newWalk)
        m_walk = walk;
    m_current = path;
    m_currentDone = bytesDone;
    // The start of each walk shows at once, so a short run shows both.
    if (newWalk || m_progress.due())
        showProgress();
}

void TerminalHost::fileDigested(const QString &, qint64 size)
{
    m_currentDone = nullptr;
    ++m_files;
    m_bytes += size;
    stopIfInterrupted();
}

} // namespace cli
