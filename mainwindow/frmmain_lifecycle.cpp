// The main window from start-up to quit: Form_Load, the caption, the once-a-second refresh and Quit.
#include "frmmain.h"

#include "digest.h"
#include "digestcheckpanel.h"
#include "filesystem.h"
#include "foldercomparison.h"
#include "strproc.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace cheqora {

QString VersionText(int major, int minor)
{
    return QString::number(major) + u'.' + QString::number(minor) + u'4';
}

bool WindowPaths(const QStringList &args, const QString &folder, QStringList &paths, QString &error)
{
    paths.clear();
    const QString hint = QStringLiteral("\nTry 'cheqora --help'.");
    bool options = true;
    for (const QString &arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
            error = QStringLiteral("Unknown option '%1'.").arg(arg) + hint;
            return false;
        } else {
            paths << QDir::cleanPath(QDir(folder).absoluteFilePath(arg));
        }
    }
    if (paths.size() > 2) {
        error = QStringLiteral("At most two files or two folders can be given.") + hint;
        return false;
    }
    return true;
}

void frmMain::openStartPaths()
{
    if (StartPaths.isEmpty())
        return;
    const bool folders = std::any_of(StartPaths.begin(), StartPaths.end(), [](const QString &p) { return platform::folderExists(p); });
    for (int k = 0; k <= 1; ++k) {
        const QString path = StartPaths.value(k);
        if (!folders) {
            txbFile[k]->setText(path);
            if (path.isEmpty())
                cmdClear_Click(k);
        } else if (path.isEmpty() || platform::folderExists(path) || FolderComparison::looksLikeListSide(path)) {
            txbFolder[k]->setText(path);
        } else {
            platform::ui().messageBox(this, path + QStringLiteral(" is neither a folder nor a digest list."),
                                      platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, QStringLiteral("Compare files"));
        }
    }
    if (!folders) {
        ShowFilesDS(StartPaths.size() == 2 ? std::vector<int>{0, 1} : std::vector<int>{0});
        CompareFileDS();
    }
}

void frmMain::probeSubfolder(int Index)
{
    platform::FileError err;
    ++m_subfolderQueries;
    m_hasSubfolder[Index] = platform::hasSubfolder(txbFolder[Index]->text(), err);
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_blnBusy) {
        probeSubfolder(0);
        probeSubfolder(1);
    }
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
    if (!strStateFile.isEmpty())
        strAlgorithmFile = QFileInfo(strStateFile).dir().filePath(QStringLiteral("chqr.alg"));
    {
        // The choice is shown as it was left, not made again: nothing is written or read for it.
        const QSignalBlocker quiet(panelDigestCheck->cboAlgorithm);
        panelDigestCheck->setAlgorithm(readAlgorithmChoice(strAlgorithmFile));
    }
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
    openStartPaths();
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
            ShowRowCaption(i, QString());
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

    // The answers kept since the fields last changed: a tick lists no folder.
    if (m_hasSubfolder[0] == 0 && m_hasSubfolder[1] == 0) {
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
