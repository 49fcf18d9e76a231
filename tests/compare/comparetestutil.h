#pragma once

// Fixture helpers of the folder-comparison tests: files with chosen content and times, and a host
// that records what the comparison shows and lets a test act at its yields.

#include "foldercomparison.h"
#include "textcodec.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <ftw.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace cheqora::test {

inline qint64 utcSecs(const char *text)
{
    const QDateTime local = QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return QDateTime(local.date(), local.time(), Qt::UTC).toSecsSinceEpoch();
}

// Sets a file's modification time (seconds since the epoch) without following links.
inline bool setFileTime(const QString &path, qint64 secs)
{
    struct timespec times[2];
    times[0].tv_sec = time_t(secs);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, platform::encodeName(path).constData(), times, 0) == 0;
}

// Makes a folder and its parents from the native bytes of the path (QDir would not keep names that
// are not UTF-8).
inline bool makeFolders(const QString &path)
{
    const QByteArray native = platform::encodeName(path);
    for (qsizetype i = 1; i <= native.size(); ++i) {
        if (i < native.size() && native.at(i) != '/')
            continue;
        if (::mkdir(native.left(i).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Removes a tree without following links, whatever bytes its names hold.
inline void removeTree(const QString &path)
{
    ::nftw(
        platform::encodeName(path).constData(),
        [](const char *p, const struct stat *, int, struct FTW *) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

// Writes a file (making its folders) and sets its time; secs 0 keeps the current time.
inline void writeFile(const QString &path, const QByteArray &content, qint64 secs = 0)
{
    const QByteArray native = platform::encodeName(path);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0)
        QVERIFY(makeFolders(path.left(slash)));
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, native.constData());
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    ::close(fd);
    if (secs != 0)
        QVERIFY(setFileTime(path, secs));
}

inline QByteArray readFile(const QString &path)
{
    QByteArray out;
    const int fd = ::open(platform::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return QByteArray("<missing>");
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, qsizetype(n));
    ::close(fd);
    return out;
}

inline bool exists(const QString &path)
{
    struct stat st;
    return ::lstat(platform::encodeName(path).constData(), &st) == 0;
}

// Turns a text written with "\n" line ends into the report's CR LF lines.
inline QByteArray crlf(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return platform::encodeText(t);
}

class RecordingHost : public CompareHost {
public:
    struct Message {
        QString text;
        platform::MsgIcon icon;
        QString title;
    };

    QStringList captions;
    QList<qint64> lineCounts;
    QList<Message> messages;
    QStringList prompts;
    QQueue<bool> answers; // unscripted questions are answered No
    QList<bool> busy;
    QStringList digested;
    int yields = 0;
    std::function<void()> onYield;
    std::function<void(const QString &)> onDigest;

    void setInfoCaption(const QString &strCaption) override { captions.append(strCaption); }
    void showLineCount(qint64 n) override { lineCounts.append(n); }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield();
    }
    bool askOverwrite(const QString &strPrompt, const QString &strTitle) override
    {
        prompts.append(strPrompt + QStringLiteral(" | ") + strTitle);
        return answers.isEmpty() ? false : answers.dequeue();
    }
    void checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle) override
    {
        messages.append({strText, icon, strTitle});
    }
    void setBusy(bool b) override { busy.append(b); }
    QString digestFile(const QString &strPath, const platform::FileStat &st, int &lngStatus,
                       QString &strStatus) override
    {
        digested.append(strPath);
        if (onDigest)
            onDigest(strPath);
        return CompareHost::digestFile(strPath, st, lngStatus, strStatus);
    }
};

} // namespace cheqora::test
