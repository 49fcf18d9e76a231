// The folder-comparison options, their checks, and Reset.
#include "frmmain.h"

#include "digestcheckpanel.h"
#include "frmmain_keys.h"
#include "strproc.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace cheqora {

using namespace keys;

void frmMain::ResetOptions()
{
    lblNumLinesInReport->setVisible(false);
    lblNumLinesInReport->setText(QString());
    chkSuspendIfNumLines->setChecked(false);
    txbSuspendIfNumLines->setText(QString());
    for (int i = 0; i <= 1; ++i) {
        ShowRowCaption(i, QString());
        lblSizeDateTime[i]->setText(QString());
    }
    for (QLineEdit *box : {txbFile[0], txbFile[1], panelDigestCheck->txbPublishedDigest, txbFile[3], txbFolder[0],
                           txbFolder[1], txbExtension[1], txbSkipSizeInMB[1], txbSuspendIfNumLines})
        box->setText(QString());
    lblFileComparisonResult->setText(QString());
    chkIncludeSubfolders[1]->setChecked(false);
    chkDoOnlyExtension[1]->setChecked(false);
    txbExtension[1]->setText(QString());
    chkSkipFiles[1]->setChecked(false);
    txbSkipSizeInMB[1]->setText(QString());
    skipSizeMB[1] = 0;
    chkWarnOnOverwrite[1]->setChecked(true);
    // The limit goes in before the tick: ticking the box with an empty field would untick it again.
    txbSuspendIfNumLines->setText(QStringLiteral("100"));
    chkSuspendIfNumLines->setChecked(true);
    txbFile[3]->setText(QString());
    if (blnStartupCompleted)
        FocusFirstFile();
}

void frmMain::cmdReset_Click()
{
    const platform::MsgAnswer answer = platform::ui().messageBox(this, platform::uiText(49), platform::MsgButtons::YesNo,
                                                                 platform::MsgIcon::None, Caption(cmdReset));
    if (answer == platform::MsgAnswer::Yes)
        ResetOptions();
}

void frmMain::checkSkipSize()
{
    if (chkSkipFiles[1]->isChecked() && !m_blnSkipSizeMessageOpen) {
        const QString text = txbSkipSizeInMB[1]->text();
        bool valid = false;
        if (isDigitString(text, false, false)) {
            bool ok = false;
            const int value = trimBlanks(text).toInt(&ok);
            // The size is held as a 16-bit number: larger values cannot be honoured.
            if (ok && value > 0 && value <= std::numeric_limits<qint16>::max()) {
                skipSizeMB[1] = qint16(value);
                valid = true;
            }
        }
        if (!valid) {
            if (blnStartupCompleted) {
                m_blnSkipSizeMessageOpen = true;
                platform::ui().messageBox(this, QStringLiteral("Invalid value for skip size."), platform::MsgButtons::Ok,
                                          platform::MsgIcon::Exclamation, QStringLiteral("Invalid input"));
                m_blnSkipSizeMessageOpen = false;
            }
            txbSkipSizeInMB[1]->setText(QString());
            chkSkipFiles[1]->setChecked(false);
        }
    }
    if (txbSkipSizeInMB[1]->text().isEmpty()) {
        chkSkipFiles[1]->setChecked(false);
        skipSizeMB[1] = 0;
    }
}

void frmMain::chkSkipFiles_Click(int Index)
{
    if (!blnStartupCompleted)
        return;
    QLineEdit *box = txbSkipSizeInMB[Index];
    const QString trimmed = trimBlanks(box->text());
    if (trimmed != box->text())
        box->setText(trimmed);
    if (trimmed.isEmpty()) {
        chkSkipFiles[Index]->setChecked(false);
        skipSizeMB[Index] = 0;
    }
}

void frmMain::txbSkipSizeInMB_KeyUp(int Index, int KeyCode, int /*Shift*/)
{
    if (KeyCode == vbKeyBack && txbSkipSizeInMB[Index]->text().isEmpty()) {
        chkSkipFiles[Index]->setChecked(false);
        skipSizeMB[Index] = 0;
    }
}

void frmMain::chkSuspendIfNumLines_Click()
{
    const QString trimmed = trimBlanks(txbSuspendIfNumLines->text());
    if (trimmed != txbSuspendIfNumLines->text())
        txbSuspendIfNumLines->setText(trimmed);
    if (trimmed.isEmpty())
        chkSuspendIfNumLines->setChecked(false);
}

void frmMain::txbSuspendIfNumLines_KeyUp(int KeyCode, int /*Shift*/)
{
    if (KeyCode == vbKeyBack && txbSuspendIfNumLines->text().isEmpty())
        chkSuspendIfNumLines->setChecked(false);
}

void frmMain::txbSuspendIfNumLines_LostFocus()
{
    if (!chkSuspendIfNumLines->isChecked())
        return;
    const QString text = txbSuspendIfNumLines->text();
    if (isDigitString(text, false, false)) {
        bool ok = false;
        const qlonglong value = trimBlanks(text).toLongLong(&ok);
        if (ok && value >= 1 && value <= std::numeric_limits<qint32>::max()) {
            lngMaxLines = qint32(value);
            return;
        }
    }
    if (blnStartupCompleted)
        platform::ui().messageBox(this, QStringLiteral("Invalid value for number of lines."), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Exclamation, QStringLiteral("Invalid input"));
    txbSuspendIfNumLines->setText(QString());
    chkSuspendIfNumLines->setChecked(false);
}

void frmMain::chkWarnOnOverwrite_Click(int /*Index*/)
{
    if (isVisible())
        cmdCompareFolders[0]->setFocus();
}

} // namespace cheqora
