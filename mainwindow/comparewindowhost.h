#pragma once

// The main window's side of a folder comparison: lblInfo, the line count, the boxes, the busy switch,
// the yields and the digests on a worker thread. Private to the main window's sources.

#include "digestworker.h"
#include "foldercomparison.h"
#include "frmmain.h"

#include <QElapsedTimer>

namespace cheqora {

class frmMain::CompareWindowHost final : public CompareHost {
public:
    explicit CompareWindowHost(frmMain &form);

    // A new comparison: its first yield lets the events through, and no stop of the last one lingers.
    void Begin();
    // Stop or Quit: the file being digested is left at its next block.
    void AbortDigest();

    void setInfoCaption(const QString &strCaption) override;
    void showLineCount(qint64 lngNumLines) override;
    void yield() override;
    bool askOverwrite(const QString &strPrompt, const QString &strTitle) override;
    void checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle) override;
    void setBusy(bool blnBusy) override;
    QString digestFile(const QString &strPath, const platform::FileStat &st, int &lngStatus,
                       QString &strStatus) override;

private:
    static constexpr qint64 kPaintIntervalMs = 50;
    static constexpr qint64 kProgressAfterMs = 1000;

    frmMain &m_form;
    DigestWorker m_worker;
    QElapsedTimer m_lastEvents;
    QElapsedTimer m_lastPaint;
};

} // namespace cheqora
