// The folder comparison in the main window: the engine runs inside the click handler and talks to
// the window through CompareWindowHost; the engine's workers read the digests meanwhile.
#include "comparewindowhost.h"
#include "digestworker.h"
#include "filesystem.h"
#include "frmview.h"
#include "strproc.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>

namespace cheqora {

frmMain::CompareWindowHost::CompareWindowHost(frmMain &form)
    : m_form(form)
{
}

void frmMain::CompareWindowHost::Begin()
{
    m_lastEvents.invalidate();
    m_lastPaint.invalidate();
    m_readingDone = nullptr;
    m_blnShowingProgress = false;
}

void frmMain::CompareWindowHost::setInfoCaption(const QString &strCaption)
{
    QLabel *label = m_form.lblInfo;
    label->setText(strCaption);
    label->setVisible(true);
    // The next yield paints the new text; painting every caption at once would cost more than a walk
    // over small files, so only a label left unpainted for a while is painted here.
    if (!m_lastPaint.isValid() || m_lastPaint.elapsed() >= kPaintIntervalMs) {
        label->repaint();
        m_lastPaint.start();
    }
}

void frmMain::CompareWindowHost::showLineCount(qint64 lngNumLines)
{
    m_form.lblNumLinesInReport->setText(QString::number(lngNumLines));
    m_form.lblNumLinesInReport->setVisible(true);
}

void frmMain::CompareWindowHost::yield()
{
    const int interval = m_form.intEventIntervalMs;
    if (interval > 0 && m_lastEvents.isValid() && m_lastEvents.elapsed() < interval)
        return;
    if (m_readingDone && m_reading.elapsed() >= kProgressAfterMs) {
        if (!m_blnShowingProgress)
            m_strCaption = m_form.lblInfo->text();
        m_blnShowingProgress = true;
        m_form.lblInfo->setText(ReadProgressText(m_strReading, m_readingDone->load(std::memory_order_relaxed),
                                                 m_lngReadingSize));
    }
    platform::ui().processEvents();
    m_lastEvents.start();
}

bool frmMain::CompareWindowHost::askOverwrite(const QString &strPrompt, const QString &strTitle)
{
    return platform::ui().messageBox(&m_form, strPrompt, platform::MsgButtons::YesNo, platform::MsgIcon::None,
                                     strTitle)
        == platform::MsgAnswer::Yes;
}

void frmMain::CompareWindowHost::checkFailed(const QString &strText, platform::MsgIcon icon, const QString &strTitle)
{
    platform::ui().messageBox(&m_form, strText, platform::MsgButtons::Ok, icon, strTitle);
}

void frmMain::CompareWindowHost::setBusy(bool blnBusy)
{
    m_readingDone = nullptr;
    m_form.SetBusy(blnBusy);
}

void frmMain::CompareWindowHost::fileDigesting(const QString &strPath, qint64 lngSize,
                                               const std::atomic<qint64> *bytesDone)
{
    m_strReading = strPath;
    m_lngReadingSize = lngSize;
    m_readingDone = bytesDone;
    m_reading.start();
}

void frmMain::CompareWindowHost::fileDigested(const QString &, qint64)
{
    // lblInfo gets its caption back after a long read's progress.
    m_readingDone = nullptr;
    if (m_blnShowingProgress && !m_form.isQuitting())
        m_form.lblInfo->setText(m_strCaption);
    m_blnShowingProgress = false;
}

void frmMain::prepareComparison()
{
    m_compareHost = std::make_unique<CompareWindowHost>(*this);
    m_comparison = std::make_unique<FolderComparison>(*m_compareHost);
}

frmMain::~frmMain()
{
    // The comparison refers to its host: it goes first.
    m_comparison.reset();
    m_compareHost.reset();
}

bool frmMain::isComparing() const
{
    return m_comparison && m_comparison->isRunning();
}

void frmMain::cmdCompareFolders_Click(int Index)
{
    // Only Stop and Quit are usable while busy; a click that reaches this all the same (a key, a
    // second window event) must not start a comparison inside the running one.
    if (m_blnQuitting || m_blnBusy)
        return;
    // A line limit left just before the click is checked first; a refused one stops the click.
    if (!CheckPendingLineLimit())
        return;
    // The size standing in the field counts, not the one the last tick validated: a size typed just
    // before the click is used, and a bad one is refused with its message before anything runs.
    if (chkSkipFiles[1]->isChecked()) {
        checkSkipSize();
        if (!chkSkipFiles[1]->isChecked())
            return;
    }

    // An earlier report at the chosen path, to tell after a Stop whether it is still the one there.
    platform::FileStat earlierReport;
    platform::FileError err;
    const bool blnEarlierReport = platform::statPath(trimBlanks(txbFile[3]->text()), earlierReport, err)
        && earlierReport.kind == platform::EntryKind::File;
    const qint64 lngStartSecs = QDateTime::currentSecsSinceEpoch();

    blnStop = false;
    m_compareHost->Begin();
    // The focus comes back to this button once the run is over.
    m_focusAfterBusy = cmdCompareFolders[Index];
    CompareOptions options;
    const CompareResult result = compareWithControls(Index, options);
    m_focusAfterBusy = nullptr;

    if (m_blnQuitting)
        return;
    blnStop = false;
    // Stopped before the report was opened: the report field still names the earlier report. Only a
    // file untouched since before this run (same file, length and time) is said to be that one.
    platform::FileStat now;
    if (result.outcome == CompareResult::Outcome::Stopped && blnEarlierReport
        && earlierReport.modifiedSecs < lngStartSecs && platform::statPath(options.reportFile, now, err)
        && now.device == earlierReport.device && now.inode == earlierReport.inode
        && now.length == earlierReport.length && now.modifiedSecs == earlierReport.modifiedSecs)
        lblInfo->setText(lblInfo->text() + QStringLiteral(" The report file is from an earlier comparison."));
    if (result.showReport)
        ShowInViewer(this, options.reportFile, options.reportFile);
}

CompareResult frmMain::compareWithControls(int Index, CompareOptions &options)
{
    options.oldFolder = txbFolder[0]->text();
    options.newFolder = txbFolder[1]->text();
    options.reportFile = txbFile[3]->text();
    options.mode = Index == 0 ? CompareMode::Changes : CompareMode::Duplicates;
    options.includeSubfolders = chkIncludeSubfolders[1]->isChecked();
    options.onlyExtension = chkDoOnlyExtension[1]->isChecked();
    options.extension = txbExtension[1]->text();
    options.skipLargeFiles = chkSkipFiles[1]->isChecked();
    options.skipSizeMB = skipSizeMB[1];
    options.warnOnOverwrite = chkWarnOnOverwrite[1]->isChecked();
    options.limitLines = chkSuspendIfNumLines->isChecked();
    options.maxLinesText = txbSuspendIfNumLines->text();
    const CompareOptions entered = options;

    const CompareResult result = m_comparison->compare(options);

    // The trimmed texts go back into their fields, unless the user has typed into a field meanwhile
    // (the text boxes stay editable while busy).
    const auto writeBack = [](QLineEdit *box, const QString &strEntered, const QString &strTrimmed) {
        if (strTrimmed != strEntered && box->text() == strEntered)
            box->setText(strTrimmed);
    };
    writeBack(txbFolder[0], entered.oldFolder, options.oldFolder);
    writeBack(txbFolder[1], entered.newFolder, options.newFolder);
    writeBack(txbFile[3], entered.reportFile, options.reportFile);
    writeBack(txbExtension[1], entered.extension, options.extension);
    return result;
}

void frmMain::cmdStop_Click()
{
    blnStop = true;
    if (isComparing())
        m_comparison->requestStop();
    for (const std::unique_ptr<DigestWorker> &worker : m_panelWorkers) {
        if (worker)
            worker->Abort();
    }
}

} // namespace cheqora
