#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace cheqora {

// The read-only viewer of a report file or the help file, whole whatever its size. One instance serves
// the whole program (instance()); callers set strViewFile, clear blnViewLoaded, set the caption and the
// text font, and call ShowModeless(). The file is read when the window is shown or activated and not
// yet loaded, so switching between windows keeps the text and its scroll position. Ctrl+F opens a find
// bar, F3 and Shift+F3 go to the next and previous match (from the end back to the start), Esc closes
// the bar, then the viewer.
//
// Sizes follow the window's twips layout. Its rules speak of the window's outer size; the client area
// is taken as that size less a nominal frame of kFrameWidthTwips by kFrameHeightTwips, which puts the
// design layout (client 11670 x 6585) exactly where it was drawn.
class frmView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFrameWidthTwips = 240;
    static constexpr int kFrameHeightTwips = 375;
    static constexpr int kMinWidthTwips = 8000;
    static constexpr int kMinHeightTwips = 2000;

    explicit frmView(QWidget *parent = nullptr);
    ~frmView() override;

    // The program's viewer, created on first use.
    static frmView &instance();
    // The viewer if it has been created, else nullptr.
    static frmView *existingInstance();
    // Destroys the viewer; the next instance() creates a fresh one.
    static void unloadInstance();

    QString strViewFile;        // full path of the file to show
    bool blnViewLoaded = false; // the text box holds the text of the current show request

    QPlainTextEdit *txbText1 = nullptr;
    QPushButton *cmdCopyToClipboard = nullptr;
    QPushButton *cmdClose = nullptr;
    QWidget *findBar = nullptr;
    QLineEdit *txbFind = nullptr;
    QLabel *lblFindResult = nullptr;

    // The window's outer size in twips, as the layout rules count it.
    int WidthTwips() const;
    int HeightTwips() const;
    void SetSizeTwips(int intWidth, int intHeight);

    // Font of the text box; a family the system lacks falls back to one of the same kind.
    void SetTextFont(const QString &strName, qreal dblPointSize);

    // Shows the window modeless and in front; the file is loaded if this show request has not been.
    void ShowModeless();
    // The whole file is in the text box. A long one goes in a part at a time, the window answering
    // between the parts; its first part is there as soon as blnViewLoaded is set.
    bool Complete() const { return m_shown >= m_strText.size(); }

    // The file's text with its own line breaks, also while the text box is still filling.
    QString Text() const;
    // The selected part of Text(); "" when nothing is selected.
    QString SelectedText() const;

    // Opens the find bar, its field focused and selected.
    void OpenFind();
    // Selects the next (or previous) match of the find field, case ignored, going round the text;
    // false, and "Not found" beside the field, when there is none.
    bool FindNext(bool blnForward);

public Q_SLOTS:
    void Form_Activate();
    void Form_Resize();
    void txbText1_MouseUp();
    void cmdCopyToClipboard_Click();
    void cmdClose_Click();
    // Esc: closes the find bar if it is open, else the viewer.
    void Escape();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void SetCopyCaption(bool blnSelection);
    void LockText();
    qsizetype SourceIndex(int intDocumentPosition) const;

    // A part of a long text added to the text box, the window answering between two parts: a whole
    // text of many lines at once would keep it from answering for seconds.
    void AppendNextPart();
    static constexpr qsizetype kPartChars = 1 << 17;

    QString m_strText; // the file's text, line breaks as read
    qsizetype m_shown = 0; // the characters of m_strText in the text box
    QTimer *m_appendTimer = nullptr;
    bool m_blnLoading = false;
};

// Shows a report in the viewer, placed by ViewerGeometry (unless the viewer is maximized); text in
// Courier New 8 pt. A minimized viewer is restored first.
void ShowInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle);

// The general form behind ShowInViewer and Help, with the text in the given font at 8 pt.
void ShowFileInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle,
                      const QString &strFontName);

// Where the viewer goes, frames included: beside the main window (right, else left) where the screen
// has room for at least the minimum width, as high as the main window and at most as wide as wanted;
// else offset from the main window's corner, kept on the screen.
QRect ViewerGeometry(const QRect &mainFrame, const QSize &wanted, const QSize &minimum, const QRect &screen);

} // namespace cheqora
