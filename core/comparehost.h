#pragma once

// What the folder comparison asks of whoever runs it (a window, the command-line tool or a test),
// besides what its walks ask. All calls come from the thread running the comparison.

#include "uiservices.h"
#include "walkhost.h"

#include <QString>

namespace cheqora {

class CompareHost : public WalkHost {
public:
    // The comparison's caption: what it does now, the progress dots of a walk, its final result.
    virtual void setInfoCaption(const QString &caption) = 0;
    // The number of lines written to the report so far, when they are counted against a limit.
    virtual void showLineCount(qint64 lines);
    // Yes/No question before an existing report is replaced; true means Yes.
    virtual bool askOverwrite(const QString &prompt, const QString &title) = 0;
    // A check failed: a message with this text, icon (Information or Exclamation) and title. Texts may
    // hold "\n" line breaks.
    virtual void checkFailed(const QString &text, platform::MsgIcon icon, const QString &title) = 0;
    // true before the first walk, false at the end.
    virtual void setBusy(bool busy);
};

} // namespace cheqora
