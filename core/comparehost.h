#pragma once

// What the folder comparison asks of whoever runs it: a window, the command-line tool or a test. All
// calls come from the thread running the comparison.

#include "uiservices.h"

#include <QString>

#include <atomic>

namespace cheqora {

class CompareHost {
public:
    virtual ~CompareHost();

    // The comparison's caption: what it does now, the progress dots of a walk, its final result.
    virtual void setInfoCaption(const QString &caption) = 0;
    // The number of lines written to the report so far, when they are counted against a limit.
    virtual void showLineCount(qint64 lines);
    // Process pending events; the place where a stop can arrive. Called often: keep it cheap.
    virtual void yield();
    // Yes/No question before an existing report is replaced; true means Yes.
    virtual bool askOverwrite(const QString &prompt, const QString &title) = 0;
    // A check failed: a message with this text, icon (Information or Exclamation) and title. Texts may
    // hold "\n" line breaks.
    virtual void checkFailed(const QString &text, platform::MsgIcon icon, const QString &title) = 0;
    // true before the first walk, false at the end.
    virtual void setBusy(bool busy);
    // Digests run on worker threads ahead of the walk. In walk order: a file is handed to the workers;
    // the walk waits for its digest (bytesDone follows the read, valid until fileDigested or
    // setBusy(false)); the walk has its digest. Called for every file: keep them cheap.
    virtual void fileQueued(const QString &path);
    virtual void fileDigesting(const QString &path, qint64 size, const std::atomic<qint64> *bytesDone);
    virtual void fileDigested(const QString &path, qint64 size);
};

} // namespace cheqora
