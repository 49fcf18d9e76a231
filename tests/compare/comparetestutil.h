#pragma once

// Fixtures of the folder-comparison tests: trees written from short descriptions, whatever bytes their names
// hold, and a host that records what the comparison shows and lets a test act at yields and digests.

#include "filefixtures.h"
#include "foldercomparison.h"

#include <QFile>
#include <QStringList>

#include <functional>

#include <cerrno>
#include <cstdio>
#include <ftw.h>

namespace cheqora::test {

// Makes the folders above a path from its native bytes (QDir would not keep names that are not UTF-8).
inline bool makeParents(const QByteArray &path)
{
    for (qsizetype i = 1; i < path.size(); ++i) {
        if (path.at(i) == '/' && ::mkdir(path.left(i).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

inline bool writeFile(const QString &path, const QByteArray &content)
{
    return makeParents(platform::encodeName(path)) && writeBytes(path, content);
}

// Writes "|"-separated entries below root: "path=content@yyyy-MM-dd HH:mm:ss" (UTC, by default
// 2026-01-02 03:04:05; content "c*N" is N times c, "<fifo>" makes a FIFO) or "path->target" (a link).
inline bool writeTree(const QString &root, const QString &entries)
{
    for (const QString &entry : entries.split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype arrow = entry.indexOf(QStringLiteral("->"));
        const QByteArray path = platform::encodeName(root + u'/' + entry.left(arrow > 0 ? arrow : entry.indexOf(u'=')));
        if (arrow > 0) {
            if (!makeParents(path) || ::symlink(platform::encodeName(entry.mid(arrow + 2)).constData(), path.constData()) != 0)
                return false;
            continue;
        }
        const QString content = entry.section(u'=', 1).section(u'@', 0, 0);
        const bool ok = content == QStringLiteral("<fifo>")
            ? makeParents(path) && ::mkfifo(path.constData(), 0644) == 0
            : writeFile(platform::decodeName(path), content.size() > 2 && content.at(1) == u'*'
                            ? QByteArray(content.mid(2).toInt(), char(content.at(0).unicode()))
                            : platform::encodeName(content));
        const QString time = entry.section(u'@', 1);
        const QDateTime t = QDateTime::fromString(time.isEmpty() ? QStringLiteral("2026-01-02 03:04:05") : time,
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!ok || !setModified(platform::decodeName(path), QDateTime(t.date(), t.time(), Qt::UTC)))
            return false;
    }
    return true;
}

// Report paths in the tests are UTF-8, so QFile reads them.
inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Removes a tree whatever its names hold (FIFOs, bytes that are not UTF-8), links not followed.
inline void removeTree(const QString &path)
{
    ::nftw(platform::encodeName(path).constData(),
           [](const char *p, const struct stat *, int, struct FTW *) { return ::remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
}

// The final caption of a comparison in mode 1 that found something.
inline QString compareCaption(int modified, int added, int removed)
{
    return QStringLiteral("In 2nd folder, compared to 1st folder:   Files modified: %1   Files added: %2   Files removed: %3")
        .arg(QString::number(modified), QString::number(added), QString::number(removed));
}

// Records check messages (title, icon number, text), busy states and digested paths, answers No to
// questions; a test acts at yields and when a file is handed to the digest workers, through the hooks.
class RecordingHost : public CompareHost {
public:
    QStringList messages;
    QList<bool> busy;
    QStringList digested;
    std::function<void()> onYield = [] {};
    std::function<void(const QString &)> onQueued = [](const QString &) {};

    void setInfoCaption(const QString &) override {}
    void yield() override { onYield(); }
    void setBusy(bool b) override { busy.append(b); }
    bool askOverwrite(const QString &, const QString &) override { return false; }
    void checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle) override
    {
        messages.append(QStringLiteral("%1|%2|%3").arg(strTitle, QString::number(int(icon)), strText));
    }
    void fileQueued(const QString &strPath) override { onQueued(strPath); }
    void fileDigested(const QString &strPath, qint64) override { digested.append(strPath); }
};

} // namespace cheqora::test
