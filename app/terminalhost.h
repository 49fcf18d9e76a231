#pragma once

// What cheqora-cli shows on a terminal: texts in the program's encoding, a progress line on stderr,
// the comparison's questions and messages, and Ctrl+C (or SIGTERM, SIGHUP).

#include "foldercomparison.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <cstdio>

namespace cli {

void writeText(FILE *stream, const QString &text);

// Set by the handler of SIGINT, SIGTERM and SIGHUP, which does nothing else; digests and the
// comparison's yield look at it.
extern std::atomic_bool g_interrupted;
void installInterruptHandler();
// The exit status of a program so interrupted: 128 + the signal, as shells report it.
int interruptedStatus();

// One line on stderr rewritten in place, at most ten times a second; clear() leaves the line empty.
class ProgressLine {
public:
    explicit ProgressLine(bool enabled);
    bool enabled() const { return m_enabled; }
    bool due() const { return m_enabled && (!m_shown.isValid() || m_shown.elapsed() >= 100); }
    void show(const QString &prefix, const QString &path);
    void clear();

private:
    bool m_enabled;
    QElapsedTimer m_shown;
    int m_width = 0; // columns of the line on the terminal now
};

// The comparison's host on a terminal: messages on stderr, the overwrite question answered by a typed
// yes, progress from the walk's digests, Ctrl+C turned into a stop.
class TerminalHost final : public cheqora::CompareHost {
public:
    // options: those the comparison runs with (it trims them in place); they name the two folders.
    TerminalHost(const cheqora::CompareOptions &options, bool progress);
    void attach(cheqora::FolderComparison &comparison) { m_comparison = &comparison; }
    // A message on stderr, the progress line out of its way.
    void say(const QString &text);
    void endProgress() { m_progress.clear(); }

    void setInfoCaption(const QString &) override {}
    void yield() override;
    void setBusy(bool) override { m_currentDone = nullptr; }
    bool askOverwrite(const QString &prompt, const QString &title) override;
    void checkFailed(const QString &text, platform::MsgIcon icon, const QString &title) override;
    void fileDigesting(const QString &path, qint64 size, const std::atomic<qint64> *bytesDone) override;
    void fileDigested(const QString &path, qint64 size) override;

private:
    void stopIfInterrupted();
    void showProgress();
    QString walkOf(const QString &path) const;

    const cheqora::CompareOptions &m_options;
    cheqora::FolderComparison *m_comparison = nullptr;
    ProgressLine m_progress;
    QString m_walk; // "1st folder" or "2nd folder" from the first digest on
    QString m_current;
    qint64 m_files = 0;
    qint64 m_bytes = 0;
    const std::atomic<qint64> *m_currentDone = nullptr; // bytes read of the file waited for
};

} // namespace cli
