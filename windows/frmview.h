#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace cheqora {

// The read-only viewer of a report file or the help file. One instance serves the whole program
// (instance()); callers set strViewFile, clear blnViewLoaded, set the caption and the text font, and
// call ShowModeless(). The file is read when the window is shown or activated and not yet loaded, so
// switching between windows keeps the text and its scroll position.
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
    // The text box shows at most this many characters of a file; a longer one is shown cut.
    static constexpr int kMaxShownChars = 65530;

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

    // The window's outer size in twips, as the layout rules count it.
    int WidthTwips() const;
    int HeightTwips() const;
    void SetSizeTwips(int intWidth, int intHeight);

    // Font of the text box; a family the system lacks falls back to one of the same kind.
    void SetTextFont(const QString &strName, qreal dblPointSize);

    // Shows the window modeless and in front; the file is loaded if this show request has not been.
    void ShowModeless();

    // The text box content with the file's own line breaks (the notes included when cut).
    QString Text() const;
    // The selected part of Text(); "" when nothing is selected.
    QString SelectedText() const;

    // The notes that frame a file shown cut.
    static QString HeadNote();
    static QString TailNote();
    // What the text box shows for a file's whole text.
    static QString ShownText(const QString &strFileText);

public Q_SLOTS:
    void Form_Activate();
    void Form_Resize();
    void txbText1_MouseUp();
    void cmdCopyToClipboard_Click();
    void cmdClose_Click();

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

    QString m_strText; // what the text box holds, line breaks as read
    bool m_blnLoading = false;
};

// Shows a report in the viewer over the main window: 350 twips below and 100 right of its corner,
// 200 twips narrower and 450 lower, unless the viewer is maximized; text in Courier New 8 pt.
// A minimized viewer is restored first.
void ShowInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle);

// The general form behind ShowInViewer and Help: the viewer placed intTop twips below and 100 right
// of the main window's corner, 200 twips narrower and intHeightReduction lower (when its state is
// normal), the text in the given font at 8 pt.
void ShowFileInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle, int intTop,
                      int intHeightReduction, const QString &strFontName);

} // namespace cheqora
