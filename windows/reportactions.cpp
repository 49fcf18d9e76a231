#include "reportactions.h"

#include "filesystem.h"
#include "frmpopup.h"
#include "frmview.h"
#include "strproc.h"
#include "uiservices.h"

#include <QLineEdit>

namespace cheqora {

namespace {

QString uiText(const ReportActionHooks &hooks, int number)
{
    return hooks.uiText ? hooks.uiText(number) : QString();
}

void focusFirstFile(const ReportActionHooks &hooks)
{
    if (hooks.focusFirstFile)
        hooks.focusFirstFile();
}

} // namespace

void ViewReportFile(const ReportActionHooks &hooks, const QString &strPath)
{
    const QString title = QStringLiteral("View");
    if (strPath.isEmpty())
        return;
    if (!platform::fileExists(strPath)) {
        platform::ui().messageBox(hooks.mainWindow, uiText(hooks, 46).arg(strPath), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Exclamation, title);
        focusFirstFile(hooks);
        return;
    }
    // Fewer than 3 bytes hold at most one line break: nothing to read. A length that cannot be had
    // is left to the viewer, which says what went wrong.
    platform::FileError err;
    const qint64 length = platform::fileLength(strPath, err);
    if (length >= 0 && length < 3) {
        platform::ui().messageBox(hooks.mainWindow, uiText(hooks, 76).arg(strPath), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Exclamation, title);
        focusFirstFile(hooks);
        return;
    }
    ShowInViewer(hooks.mainWindow, strPath, strPath);
}

void DeleteReportFile(const ReportActionHooks &hooks, QLineEdit *txbReportFile)
{
    const QString title = QStringLiteral("Delete");
    const QString path = txbReportFile->text();
    if (path.isEmpty())
        return;
    if (!platform::fileExists(path)) {
        platform::ui().messageBox(hooks.mainWindow, uiText(hooks, 46).arg(path), platform::MsgButtons::Ok,
                                  platform::MsgIcon::Information, title);
    } else {
        platform::FileError err;
        QString inTrash;
        if (platform::moveToTrash(path, inTrash, err)) {
            PopUpCenterScreen(uiText(hooks, 47), 5400, 400, 2000);
        } else {
            // Without a trash nothing could bring the report back: the user decides, No by default.
            const QString question = QStringLiteral("There is no trash for the report %1, so it cannot be recovered "
                                                    "once deleted.\n\nDelete it for good?").arg(path);
            if (platform::ui().messageBox(hooks.mainWindow, question, platform::MsgButtons::YesNoSafe,
                                          platform::MsgIcon::Question, title)
                != platform::MsgAnswer::Yes) {
                focusFirstFile(hooks);
                return;
            }
            if (!platform::deleteFile(path, err)) {
                // The file is still there, so its path stays in the field for another try.
                platform::ui().messageBox(hooks.mainWindow,
                                          QStringLiteral("Cannot delete the report %1: %2.").arg(path, err.description),
                                          platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, title);
                focusFirstFile(hooks);
                return;
            }
            PopUpCenterScreen(uiText(hooks, 48), 4200, 400, 2000);
        }
    }
    txbReportFile->setText(QString());
    focusFirstFile(hooks);
}

void ShowHelp(QWidget *mainWindow, const QString &strProgramFolder)
{
    ShowFileInViewer(mainWindow, strProgramFolder + QChar(platform::kSeparator) + kHelpFileName,
                     QStringLiteral("Help for CHQR"), QStringLiteral("MS Sans Serif"));
}

void ShowHelp(QWidget *mainWindow)
{
    ShowHelp(mainWindow, platform::programFolder());
}

} // namespace cheqora
