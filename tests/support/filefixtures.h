#pragma once

// Small helpers for tests that build files on disk. Paths go through the program's own codec, so a
// name with bytes that are not UTF-8 reaches the file system with exactly those bytes.

#include "textcodec.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cheqora::test {

// Creates or replaces a file with exactly these bytes.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    FILE *f = std::fopen(platform::encodeName(path).constData(), "wbe");
    const bool written = f && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size());
    return f && std::fclose(f) == 0 && written;
}

inline QByteArray readBytes(const QString &path)
{
    QByteArray out;
    if (FILE *f = std::fopen(platform::encodeName(path).constData(), "rbe")) {
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            out.append(buffer, qsizetype(n));
        std::fclose(f);
    }
    return out;
}

// Bytes that differ from run to run only by the seed, so a failure can be reproduced.
inline QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = char(gen.bounded(256));
    return out;
}

// Sets the last-modified time (and the access time) to a moment given in UTC.
inline bool setModified(const QString &path, const QDateTime &when)
{
    struct timespec times[2];
    times[0].tv_sec = time_t(when.toSecsSinceEpoch());
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, platform::encodeName(path).constData(), times, 0) == 0;
}

inline QDateTime utc(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

inline bool makeFifo(const QString &path)
{
    return ::mkfifo(platform::encodeName(path).constData(), 0600) == 0;
}

inline bool makeSymlink(const QString &target, const QString &link)
{
    return ::symlink(platform::encodeName(target).constData(), platform::encodeName(link).constData()) == 0;
}

// Number of file descriptors the test process holds open, to show that nothing was left open.
inline int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

// Whether the process (this one unless given) holds open a file whose path begins with prefix.
inline bool holdsOpen(const QString &prefix, const QString &pid = QStringLiteral("self"))
{
    const QString fdDir = QStringLiteral("/proc/%1/fd").arg(pid);
    const QStringList fds = QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(fds.begin(), fds.end(),
                       [&](const QString &fd) { return QFile::symLinkTarget(fdDir + u'/' + fd).startsWith(prefix); });
}

// md5sum's digest of a file, in upper case; "" when md5sum could not be run. md5sum reads the content
// from its standard input.
inline QString md5sumOf(const QString &path)
{
    QProcess p;
    p.setStandardInputFile(path);
    p.start(QStringLiteral("md5sum"), QStringList());
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromLatin1(p.readAllStandardOutput().left(32)).toUpper();
}

} // namespace cheqora::test
