// The digest panel and the file and folder pickers.
#include "frmmain.h"

#include "digest.h"
#include "digestline.h"
#include "filesystem.h"
#include "frmmain_keys.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace cheqora {

using namespace keys;

QString SizeDateText(const QString &strPath)
{
    if (strPath.isEmpty())
        return QString();
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(strPath, st, err) || st.kind == platform::EntryKind::Missing
        || st.kind == platform::EntryKind::Folder)
        return QString();
    return platform::groupedNumber(st.length) + QStringLiteral(" bytes  ") + platform::dateTimeText(st.modified());
}

void frmMain::ShowFileDS(int i)
{
    const QString path = txbFile[i]->text();
    int lngStatus = 0;
    QString strStatus;
    const QString digest = GetDSOfFile(path, lngStatus, strStatus);
    if (lngStatus < 0)
        lblDigitalSignature[i]->setText(strStatus);
    else if (lngStatus > 0)
        lblDigitalSignature[i]->setText(platform::UIText(34) + u':' + QString::number(lngStatus));
    else
        lblDigitalSignature[i]->setText(digest);
    lblSizeDateTime[i]->setText(SizeDateText(path));
}

void frmMain::CompareFileDS()
{
    const QString first = lblDigitalSignature[0]->text();
    const QString second = lblDigitalSignature[1]->text();
    if (first.isEmpty() || second.isEmpty())
        return;
    lblFileComparisonResult->setText(platform::UIText(first == second ? 55 : 56));
}

void frmMain::txbFile_KeyUp(int Index, int KeyCode, int /*Shift*/)
{
    if ((Index != 0 && Index != 1) || KeyCode != vbKeyReturn)
        return;
    const QString path = txbFile[Index]->text();
    int lngStatus = 0;
    QString strStatus;
    const QString digest = GetDSOfFile(path, lngStatus, strStatus);
    if (lngStatus == 0)
        lblDigitalSignature[Index]->setText(digest);
    else if (lngStatus < 0)
        lblDigitalSignature[Index]->setText(strStatus);
    else if (lngStatus == platform::ErrFileNotFound)
        lblDigitalSignature[Index]->setText(QStringLiteral("File not found"));
    else
        lblDigitalSignature[Index]->setText(platform::UIText(34) + u':' + QString::number(lngStatus));
    // The size and date always belong to the file whose digest is shown.
    lblSizeDateTime[Index]->setText(digest.isEmpty() ? QString() : SizeDateText(path));
}

void frmMain::txbFile_Change(int Index)
{
    QLineEdit *box = txbFile[Index];
    if (Index == 0 || Index == 1) {
        if (box->text().isEmpty())
            lblDigitalSignature[Index]->setText(QString());
        lblFileComparisonResult->setText(QString());
    }
    box->setToolTip(box->text().size() > kTooltipThreshold ? box->text() : QString());
}

void frmMain::txbFile_MouseUp(int Index)
{
    if (!txbFile[Index]->text().isEmpty())
        return;
    QString name;
    QString title = QStringLiteral("Get digital signature");
    switch (Index) {
    case 0: name = QStringLiteral("1st file"); break;
    case 1: name = QStringLiteral("2nd file"); break;
    case 3:
        name = QStringLiteral("Report file");
        title = QStringLiteral("Compare files");
        break;
    default: return;
    }
    platform::ui().messageBox(this, QStringLiteral("To specify a file, click on the \"") + name + QStringLiteral("\" button."),
                              platform::MsgButtons::Ok, platform::MsgIcon::None, title);
}

void frmMain::cmdCopy_Click(int Index)
{
    const QString caption = lblDigitalSignature[Index]->text();
    QString line;
    if (!BuildDigestLine(caption, txbFile[Index]->text(), line)) {
        // The file has gone (or is no file): there is no size or date to give, only what is shown.
        lblSizeDateTime[Index]->setText(QString());
        line = caption;
    }
    platform::ui().setClipboardText(line);
    if (isVisible())
        cmdGetFileLocation[0]->setFocus();
}

void frmMain::cmdClear_Click(int Index)
{
    txbFile[Index]->setText(QString());
    if (Index == 0 || Index == 1) {
        lblDigitalSignature[Index]->setText(QString());
        lblSizeDateTime[Index]->setText(QString());
        lblFileComparisonResult->setText(QString());
    }
    if (isVisible())
        cmdGetFileLocation[Index]->setFocus();
}

QString BrowseForFolder(QWidget *owner, const QString &strTitle)
{
    return platform::ui().browseForFolder(owner, strTitle);
}

void frmMain::cmdGetFileLocation_Click(int Index)
{
    platform::FileDialogRequest request;
    switch (Index) {
    case 0: request.title = QStringLiteral("Specify first file"); break;
    case 1: request.title = QStringLiteral("Specify second file"); break;
    case 3:
        request.title = QStringLiteral("Specify file to write report to");
        request.filter = QStringLiteral(" files (*.txt) | *.txt");
        lblInfo->setText(QString());
        lblInfo->repaint();
        break;
    default: return;
    }
    request.flags = 2052;
    request.fileName = QString();
    bool ok = true;
    const QString chosen = platform::ui().pickFile(this, request, ok);
    if (ok && !chosen.isEmpty()) {
        txbFile[Index]->setText(chosen);
        if (Index == 0 || Index == 1) {
            ShowFileDS(Index);
            CompareFileDS();
        }
    }
    if (isVisible())
        cmdGetFileLocation[0]->setFocus();
}

void frmMain::cmdFolder_Click(int Index)
{
    lblInfo->setText(QString());
    const QString chosen = BrowseForFolder(this, Index == 0 ? QStringLiteral("Select 1st folder")
                                                            : QStringLiteral("Select 2nd folder"));
    if (!chosen.isEmpty())
        txbFolder[Index]->setText(chosen);
}

void frmMain::txbFolder_MouseUp(int Index)
{
    if (!txbFolder[Index]->text().isEmpty())
        return;
    const QString name = Index == 0 ? QStringLiteral("1st folder") : QStringLiteral("2nd folder");
    const QString title = Index == 0 ? QStringLiteral("Record digital signatures") : QStringLiteral("Compare files");
    platform::ui().messageBox(this, QStringLiteral("To specify a folder, click on the \"") + name + QStringLiteral("\" button."),
                              platform::MsgButtons::Ok, platform::MsgIcon::None, title);
}

} // namespace cheqora
