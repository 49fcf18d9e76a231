#pragma once

// The main window's side of a folder comparison: lblInfo, the line count, the boxes, the busy switch,
// the yields and the progress of a long read. Private to the main window's sources.

#include "foldercomparison.h"
#include "frmmain.h"

#include <QElapsedTimer>

namespace cheqora {

class frmMain::CompareWindowHost final : public CompareHost {
public:
    explicit CompareWindowHost(frmMain &form);

    // A new comparison: its first yield lets the events through.
    void Begin();

    void setInfoCaption(const QString &strCaption) override;
    void showLineCount(qint64 lngNumLines) override;
    void yield() override;
    bool askOverwrite(const QString &strPrompt, const QString &strTitle) override;
    void checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle) override;
    void setBusy(bool blnBusy) override;
    void fileDigesting(const QString &strPath, qint64 lngSize, const std::atomic<qint64> *bytesDone) override;
    void fileDigested(const QString &strPath, qint64 lngSize) override;

private:
    static constexpr qint64 kPaintIntervalMs = 50;
    static constexpr qint64 kProgressAfterMs = 1000;

    frmMain &m_form;
    QElapsedTimer m_lastEvents;
    QElapsedTimer m_lastPaint;
    // The file the walk waits for: "name 45%" in lblInfo once its read takes a while.
    QString m_strReading;
    qint64 m_lngReadingSize = 0;
    const std::atomic<qint64> *m_readingDone = nullptr;
    QElapsedTimer m_reading;
    QString m_strCaption; // lblInfo's caption while the progress shows
    bool m_blnShowingProgress = false;
};

} // namespace cheqora
