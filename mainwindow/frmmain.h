#pragma once

#include "fileerror.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace cheqora {

class DigestCheckPanel;
class DigestWorker;
class FolderComparison;
struct CompareOptions;
struct CompareResult;
struct ReportActionHooks;
struct SavedState;

// The main window: the digest panel, the folder-comparison fields and options, and the general
// commands. Controls carry their historical names as object names ("txbFile_3" for member 3 of the
// txbFile array, "cmdQuit" for a single control); Control() finds them by that name.
class frmMain : public QWidget {
    Q_OBJECT

public:
    // Test seam: ends the application's event loop; QCoreApplication::quit() when not set.
    std::function<void()> QuitApplication;

    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Fields shared with the commands of other modules.
    bool blnStartupCompleted = false;
    bool blnStop = false;
    QString strProgramTextFile;
    QString strProgramTitle;
    QString strVersion;
    QString strProgramShortName;
    // Where the text catalogue is looked for: the executable's folder.
    QString strProgramFolder;
    // The saved state's path, worked out at start-up.
    QString strStateFile;
    // Where the digest panel's algorithm is kept, beside the saved state.
    QString strAlgorithmFile;
    // Address of the online user manual.
    QString strManualURL;
    // Skip size in MB for index 1 (0 = no limit); index 0 is unused.
    qint16 skipSizeMB[2] = {0, 0};
    // Line limit of the report, as last validated.
    qint32 lngMaxLines = 100;
    // A running comparison lets the window's events through at most this often (milliseconds), which
    // keeps Stop and Quit prompt without slowing a walk over many small files; 0: at every chance.
    int intEventIntervalMs = 5;
    // A digest of the panel that takes longer than this (milliseconds) makes the window busy.
    int intPanelBusyAfterMs = 150;
    // Files or folders named on the command line (absolute paths), put into their fields at start-up
    // in place of the saved ones: files into the digest panel's rows, folders (a digest list in the
    // place of one) into the old and new folder fields as soon as one of them is a folder.
    QStringList StartPaths;

    // Start-up. False when the text catalogue could not be loaded (the message has been shown and the
    // program should end with a failure status).
    bool Form_Load();
    void SetProgramIdentity();
    void ShowWindowCaption();

    // Busy switch of a folder comparison: while busy only Stop and Quit are usable, labels are greyed,
    // lblInfo sits beside Stop and Timer1 is stopped.
    void SetBusy(bool blnBusy);
    void FocusFirstFile();
    void ResetOptions();

    // The saved state file: SaveState returns "" or the description of what stopped it; LoadState
    // restores the file's paths and options, or the defaults when it cannot be read.
    QString SaveState();
    void LoadState();

    // The digest panel. ShowFilesDS reads the rows' files at the same time, off the window's thread.
    void ShowFileDS(int i);
    void ShowFilesDS(const std::vector<int> &rows);
    void CompareFileDS();

    // True once Quit (or the close box) has been used: a running command should unwind and show
    // nothing more.
    bool isQuitting() const { return m_blnQuitting; }
    // A folder comparison is running (the window is busy).
    bool isComparing() const;
    // How often a folder field has been searched for a subfolder (for the subfolder box): once per
    // change of its text and when the window comes to the front, never at a tick.
    int subfolderQueries() const { return m_subfolderQueries; }
    // Between SetBusy(true) and SetBusy(false): a comparison, or a long read of the digest panel.
    bool isBusy() const { return m_blnBusy; }

    // A control by its name and, for members of a control array, its index.
    template <class T>
    T *Control(const char *name, int index = -1) const
    {
        QString objectName = QString::fromLatin1(name);
        if (index >= 0)
            objectName += u'_' + QString::number(index);
        return findChild<T *>(objectName);
    }

public slots:
    void Timer1_Timer();

    void cmdStop_Click();
    void cmdQuit_Click();
    void cmdReset_Click();
    void cmdGetFileLocation_Click(int Index);
    void cmdFolder_Click(int Index);
    void cmdCopy_Click(int Index);
    void cmdClear_Click(int Index);
    void cmdCompareFolders_Click(int Index);
    void cmdView_Click(int Index);
    void cmdDelete_Click(int Index);
    void cmdHelp_Click();
    void cmdSave_Click();
    void lblVantorel_Click();
    void lblOnlineDocumentation_Click();

    void chkSkipFiles_Click(int Index);
    void chkSuspendIfNumLines_Click();
    void chkWarnOnOverwrite_Click(int Index);

    void txbFile_Change(int Index);
    void txbFile_KeyUp(int Index, int KeyCode, int Shift);
    void txbFile_MouseUp(int Index);
    void txbFolder_MouseUp(int Index);
    void txbSkipSizeInMB_KeyUp(int Index, int KeyCode, int Shift);
    void txbSuspendIfNumLines_KeyUp(int KeyCode, int Shift);
    void txbSuspendIfNumLines_LostFocus();

protected:
    // Form_Unload: the close box quits the program.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Back in front, the folder fields are searched for subfolders again: they may have changed.
    void changeEvent(QEvent *event) override;
    // Enter presses a focused button; Esc stops a running comparison.
    void keyPressEvent(QKeyEvent *event) override;
    // Files and folders dropped on their fields.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class CompareWindowHost;

    void buildControls();
    void connectHandlers();
    void prepareComparison();
    // The one place where the controls meet the engine's options: the options from the controls, the
    // comparison, the trimmed texts back into their fields. options holds what ran.
    CompareResult compareWithControls(int Index, CompareOptions &options);
    void openStartPaths();
    // Whether the folder field holds a subfolder, kept for the ticks.
    void probeSubfolder(int Index);
    ReportActionHooks reportActionHooks();
    SavedState CurrentState() const;
    void checkSkipSize();
    // The line-limit check of a focus change, run once the change (and the click that made it) is over.
    void runPendingLineLimitCheck();
    // Runs that check at once when it is still to come (a click that moved the focus is acting on the
    // value); false when the value was refused.
    bool CheckPendingLineLimit();
    // What dropping these paths on the control under pos does; false when it is refused.
    bool dropPaths(const QPoint &pos, const QStringList &paths, bool blnApply);

    struct RowDigest {
        QString path; // as it stood when the read began
        QString digest;
        int status = 0;
        QString statusText;
    };
    // The digests of the rows' files; empty when the program is quitting meanwhile.
    std::map<int, RowDigest> DigestRows(const std::vector<int> &rows);

    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame5 = nullptr;
    std::map<int, QFrame *> Frame4;

    std::map<int, QPushButton *> cmdGetFileLocation;
    std::map<int, QLineEdit *> txbFile;
    std::map<int, QLabel *> lblDigitalSignature;
    std::map<int, QLabel *> lblSizeDateTime;
    std::map<int, QPushButton *> cmdCopy;
    std::map<int, QPushButton *> cmdClear;
    QLabel *lblFileComparisonResult = nullptr;
    DigestCheckPanel *panelDigestCheck = nullptr;
    // Characters a row's digest label shows on one line: a size/date text such as "1,234,567,890 bytes
    // 2026-05-12 09:30:00", and digests up to SHA-1's.
    static constexpr int kDigestLabelChars = 42;
    // A row's digest or status as read, whatever line breaks its label shows it with.
    QString RowCaption(int i) const;
    void ShowRowCaption(int i, const QString &caption);
    void cboAlgorithm_Change();

    std::map<int, QPushButton *> cmdFolder;
    std::map<int, QLineEdit *> txbFolder;
    std::map<int, QPushButton *> cmdView;
    std::map<int, QPushButton *> cmdDelete;
    std::map<int, QPushButton *> cmdCompareFolders;

    std::map<int, QCheckBox *> chkIncludeSubfolders;
    std::map<int, QCheckBox *> chkDoOnlyExtension;
    std::map<int, QLineEdit *> txbExtension;
    std::map<int, QCheckBox *> chkSkipFiles;
    std::map<int, QLineEdit *> txbSkipSizeInMB;
    std::map<int, QLabel *> Label2;
    std::map<int, QCheckBox *> chkWarnOnOverwrite;
    QCheckBox *chkSuspendIfNumLines = nullptr;
    QLineEdit *txbSuspendIfNumLines = nullptr;
    QLabel *lblNumLinesInReport = nullptr;

    QPushButton *cmdSave = nullptr;
    QPushButton *cmdReset = nullptr;
    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdQuit = nullptr;
    QPushButton *cmdStop = nullptr;
    QLabel *lblInfo = nullptr;

    QLabel *lblVantorel = nullptr;
    QLabel *lblURL = nullptr;
    QLabel *lblCopyrightNotice = nullptr;
    QLabel *lblOnlineDocumentation = nullptr;

    QTimer *Timer1 = nullptr;

    bool m_blnQuitting = false;
    bool m_blnBusy = false;
    bool m_blnLineLimitCheckPending = false;
    // Where the focus goes back to when the window is idle again: the button that started the run.
    QPointer<QWidget> m_focusAfterBusy;
    std::unique_ptr<DigestWorker> m_panelWorkers[2];
    std::unique_ptr<CompareWindowHost> m_compareHost;
    std::unique_ptr<FolderComparison> m_comparison;
    // A skip-size message is on screen: the ticks that run meanwhile leave the value to it.
    bool m_blnSkipSizeMessageOpen = false;
    // Per folder field: 1 it holds a subfolder, 0 none, -1 it cannot be read as a folder.
    int m_hasSubfolder[2] = {-1, -1};
    int m_subfolderQueries = 0;
};

// Sets the Enabled state of groups of the form's own controls: buttons and check boxes always, then
// frames, text boxes, labels and check boxes (again) when asked. Other windows are not touched.
void SetControlsEnabled(QWidget &form, bool blnEnabled, bool blnFrames, bool blnTextBoxes, bool blnLabels,
                        bool blnCheckBoxes);

// The chosen folder's path, or "" when the user cancels.
QString BrowseForFolder(QWidget *owner, const QString &strTitle);

// Full path of strFile in the folder strFolder of the user's configuration folder (the home folder
// when there is none); the folder is created when missing. err tells when it could not be.
QString AppDataFilePath(const QString &strFile, const QString &strFolder, platform::FileError &err);

// "7.24" for version 7.2: major, ".", minor, and the fixed digit 4.
QString VersionText(int major, int minor);

// The files or folders of the window's command line (the arguments after the program's name, less
// those Qt took), made absolute against folder; "--" ends the options. False with error set (and
// its hint) for an unknown option or more than two paths.
bool WindowPaths(const QStringList &args, const QString &folder, QStringList &paths, QString &error);

// Progress of a long read for lblInfo: the file's name and the share read, e.g. "disc.img 45%".
QString ReadProgressText(const QString &strPath, qint64 lngDone, qint64 lngTotal);

// Text of the size/date label for a file: grouped length, " bytes  ", date and time; "" when the path
// names no file.
QString SizeDateText(const QString &strPath);

} // namespace cheqora
