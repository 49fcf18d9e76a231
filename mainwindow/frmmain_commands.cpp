// The general commands: Save state with its restore at start-up, View, Delete, Help and the links.
#include "frmmain.h"

#include "digest.h"
#include "filesystem.h"
#include "frmmain_keys.h"
#include "frmpopup.h"
#include "launchurl.h"
#include "qtuiservices.h"
#include "reportactions.h"
#include "statefile.h"
#include "strproc.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace cheqora {

using namespace keys;

QString AppDataFilePath(const QString &strFile, const QString &strFolder, platform::FileError &err)
{
    err.clear();
    const QString separator(QChar(platform::kSeparator));
    QString base = platform::appDataFolder();
    if (base.isEmpty())
        base = platform::homeFolder();
    // A fresh account may not have its configuration folder yet.
    if (!base.isEmpty() && !platform::folderExists(base))
        platform::createFolder(base, err);
    if (!base.endsWith(separator))
        base += separator;
    const QString folder = base + strFolder;
    if (!platform::folderExists(folder))
        platform::createFolder(folder, err);
    return folder + separator + strFile;
}

SavedState frmMain::CurrentState() const
{
    SavedState state;
    state.file1 = txbFile.at(0)->text();
    state.file2 = txbFile.at(1)->text();
    state.reportFile = txbFile.at(3)->text();
    state.oldFolder = txbFolder.at(0)->text();
    state.newFolder = txbFolder.at(1)->text();
    state.includeSubfolders = chkIncludeSubfolders.at(1)->isChecked();
    state.doOnlyExtension = chkDoOnlyExtension.at(1)->isChecked();
    state.extension = txbExtension.at(1)->text();
    state.skipFiles = chkSkipFiles.at(1)->isChecked();
    state.skipSizeMB = skipSizeMB[1];
    state.warnOnOverwrite = chkWarnOnOverwrite.at(1)->isChecked();
    state.suspendIfNumLines = chkSuspendIfNumLines->isChecked();
    state.suspendLineLimit = txbSuspendIfNumLines->text();
    return state;
}

QString frmMain::SaveState()
{
    return WriteStateFile(strStateFile, CurrentState());
}

void frmMain::cmdSave_Click()
{
    // A line limit left by this click is checked before it is saved.
    CheckPendingLineLimit();
    const QString strError = SaveState();
    if (!strError.isEmpty()) {
        const QString end = strError.endsWith(u'.') ? QString() : QStringLiteral(".");
        platform::ui().messageBox(this, platform::uiText(51) + u' ' + strStateFile + QStringLiteral(": ") + strError + end,
                                  platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, Caption(cmdSave));
    } else {
        // Just below the Save button: the window's corner plus the button's place in it, in twips.
        const QPoint button = cmdSave->mapTo(this, QPoint(0, 0));
        const int top = platform::pixelsToTwips(pos().y()) + platform::pixelsToTwips(button.y()) + 330;
        const int left = platform::pixelsToTwips(pos().x()) + platform::pixelsToTwips(button.x());
        PopUp(platform::uiText(50), 2000, 380, 2000, top, left);
    }
    FocusFirstFile();
}

void frmMain::LoadState()
{
    SavedState state;
    if (!ReadStateFile(strStateFile, state)) {
        ResetOptions();
        return;
    }
    CheckRestoredFiles(state);
    txbFile[0]->setText(state.file1);
    txbFile[1]->setText(state.file2);
    txbFile[3]->setText(state.reportFile);
    txbFolder[0]->setText(state.oldFolder);
    txbFolder[1]->setText(state.newFolder);
    chkIncludeSubfolders[1]->setChecked(state.includeSubfolders);
    // Each text goes in before its check box: ticking a box whose field is empty unticks it again.
    txbExtension[1]->setText(state.extension);
    chkDoOnlyExtension[1]->setChecked(state.doOnlyExtension);
    skipSizeMB[1] = qint16(state.skipSizeMB);
    txbSkipSizeInMB[1]->setText(state.skipSizeMB > 0 ? QString::number(state.skipSizeMB) : QString());
    chkSkipFiles[1]->setChecked(state.skipFiles);
    chkWarnOnOverwrite[1]->setChecked(state.warnOnOverwrite);
    txbSuspendIfNumLines->setText(state.suspendLineLimit);
    chkSuspendIfNumLines->setChecked(state.suspendIfNumLines);
}

void frmMain::cmdView_Click(int Index)
{
    ViewReportFile(reportActionHooks(), txbFile[Index + 2]->text());
}

void frmMain::cmdDelete_Click(int Index)
{
    DeleteReportFile(reportActionHooks(), txbFile[Index + 2]);
}

void frmMain::cmdHelp_Click()
{
    ShowHelp(this, strProgramFolder);
}

void frmMain::lblVantorel_Click()
{
    LaunchURL(platform::uiText(14));
}

void frmMain::lblOnlineDocumentation_Click()
{
    LaunchURL(strManualURL);
}

ReportActionHooks frmMain::reportActionHooks()
{
    ReportActionHooks actions;
    actions.mainWindow = this;
    actions.uiText = &platform::uiText;
    actions.focusFirstFile = [this] { FocusFirstFile(); };
    return actions;
}

} // namespace cheqora
