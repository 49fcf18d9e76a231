// The main window from start-up to quit: Form_Load, the caption, the once-a-second refresh and Quit.
#include "frmmain.h"

#include "filesystem.h"
#include "strproc.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace cheqora {

QString VersionText(int major, int minor)
{
    return QString::number(major) + u'.' + QString::number(minor) + u'4';
}

qint32 SubfolderCount(const QString &strPath, QString &strError, int &intErrNumber)
{
    strError.clear();
    platform::FileError err;
    const int count = platform::subfolderCount(strPath, err);
    if (count < 0) {
        strError = err.description;
        intErrNumber = err.number;
        return -1;
    }
    return count;
}

bool frmMain::Form_Load()
{
    blnStartupCompleted = false;
    strProgramTextFile = QStringLiteral("chqr.dat");
    if (!platform::loadProgramText(strProgramTextFile, strProgramFolder))
        return false;
    SetProgramIdentity();
    cmdStop->setVisible(false);
    lblInfo->setVisible(false);

    // The state file's place; a folder that cannot be created is reported when the state is saved.
    platform::FileError err;
    strStateFile = AppDataFilePath(QStringLiteral("chqr.usr"), QStringLiteral("Vantorel"), err);
    lblVantorel->setToolTip(QStringLiteral("Click here to bring up the Vantorel website in your web browser."));
    lblOnlineDocumentation->setToolTip(QStringLiteral("Click here to go to the online user manual at ") + strManualURL);
    ResetOptions();
    lblInfo->setText(QString());

    ShowWindowCaption();
    LoadState();
    // The restored files are read at the same time.
    std::vector<int> rows;
    for (int i = 0; i <= 1; ++i) {
        if (platform::fileExists(txbFile[i]->text()))
            rows.push_back(i);
        else
            cmdClear_Click(i);
    }
    ShowFilesDS(rows);
    CompareFileDS();
    show();
    ShowWindowCaption();
    Timer1->setInterval(1000);
    Timer1->start();
    FocusFirstFile();
    SetBusy(false);
    lblInfo->setVisible(false);
    blnStartupCompleted = true;
    return true;
}

void frmMain::SetProgramIdentity()
{
    // The installed icon through the desktop's icon theme; the copy built into the program when the
    // theme does not know it (run from the build folder).
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("cheqora"), QIcon(QStringLiteral(":/cheqora.svg"))));
    strProgramTitle = QStringLiteral("Cheqora");
    strProgramShortName = QStringLiteral("CHQR");
    strVersion = VersionText(CHEQORA_VERSION_MAJOR, CHEQORA_VERSION_MINOR);
}

void frmMain::ShowWindowCaption()
{
    setWindowTitle(strProgramTitle + u' ' + strVersion);
}

void frmMain::Timer1_Timer()
{
    if (m_blnQuitting)
        return;
    // A box being edited keeps its blanks until the user leaves it: trimming under the caret would
    // swallow the blank just typed inside a path.
    for (int i = 0; i <= 1; ++i) {
        QLineEdit *box = txbFile[i];
        const QString trimmed = trimBlanks(box->text());
        if (trimmed != box->text() && !box->hasFocus())
            box->setText(trimmed);
        if (trimmed.isEmpty()) {
            lblDigitalSignature[i]->setText(QString());
            lblSizeDateTime[i]->setText(QString());
        }
    }
    cmdCopy[1]->setEnabled(!lblDigitalSignature[1]->text().isEmpty());
    const bool haveReport = !txbFile[3]->text().isEmpty();
    cmdView[1]->setEnabled(haveReport);
    cmdDelete[1]->setEnabled(haveReport);
    for (int i : {0, 1, 3})
        cmdClear[i]->setEnabled(!txbFile[i]->text().isEmpty());

    const QString extension = trimBlanks(txbExtension[1]->text());
    if (extension != txbExtension[1]->text() && !txbExtension[1]->hasFocus())
        txbExtension[1]->setText(extension);
    if (extension.isEmpty())
        chkDoOnlyExtension[1]->setChecked(false);

    QString strError;
    int intErrNumber = 0;
    const qint32 newCount = SubfolderCount(txbFolder[1]->text(), strError, intErrNumber);
    const qint32 oldCount = SubfolderCount(txbFolder[0]->text(), strError, intErrNumber);
    if (newCount == 0 && oldCount == 0) {
        chkIncludeSubfolders[1]->setChecked(false);
        chkIncludeSubfolders[1]->setEnabled(false);
    } else {
        chkIncludeSubfolders[1]->setEnabled(true);
    }

    checkSkipSize();

    lblInfo->setVisible(!lblInfo->text().isEmpty());
}

void frmMain::cmdQuit_Click()
{
    if (m_blnQuitting)
        return;
    // A running comparison sees the stop between two files (or inside the file being digested) and
    // unwinds once this handler has returned; the windows go at once.
    m_blnQuitting = true;
    cmdStop_Click();
    Timer1->stop();
    QApplication::closeAllWindows();
    if (QuitApplication)
        QuitApplication();
    else
        QCoreApplication::quit();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!m_blnQuitting)
        cmdQuit_Click();
    event->accept();
}

} // namespace cheqora
