#include "frmview.h"

#include "filesystem.h"
#include "qtuiservices.h"
#include "textcodec.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>

namespace cheqora {

namespace {

QPointer<frmView> g_frmView;

const QString kCrLf = QStringLiteral("\r\n");

constexpr int kCopyWidth = 3270;
constexpr int kCopySelectionWidth = 4425;

int px(int twips)
{
    return platform::twipsToPixels(twips);
}

QFont namedFont(const QString &name, qreal points, QFont::StyleHint hint)
{
    QFont font(name);
    font.setPointSizeF(points);
    font.setStyleHint(hint);
    return font;
}

// Every character stands for at most three bytes of the file's encoding, so this many bytes hold more
// characters than the text box shows; a longer file needs to be read no further to be shown cut.
constexpr qint64 kReadLimitBytes = 3 * qint64(frmView::kMaxShownChars);

bool readShownPart(const QString &path, QString &out, platform::FileError &err)
{
    const qint64 length = platform::fileLength(path, err);
    if (length < 0)
        return false;
    if (length <= kReadLimitBytes)
        return platform::readWholeTextFile(path, out, err);
    platform::BinaryReader reader;
    if (!reader.open(path, err))
        return false;
    QByteArray bytes(qsizetype(kReadLimitBytes), Qt::Uninitialized);
    const qint64 n = reader.read(bytes.data(), kReadLimitBytes, err);
    if (n < 0)
        return false;
    if (n == 0) {
        err.set(platform::ErrInputPastEnd);
        return false;
    }
    bytes.truncate(qsizetype(n));
    out = platform::decodeText(bytes);
    return true;
}

} // namespace

frmView::frmView(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(QStringLiteral("Viewing"));
    setFont(namedFont(QStringLiteral("Arial"), 9.75, QFont::SansSerif));

    txbText1 = new QPlainTextEdit(this);
    txbText1->setObjectName(QStringLiteral("txbText1"));
    txbText1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txbText1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LockText();
    txbText1->setGeometry(px(105), px(105), px(11460), px(5760));
    txbText1->viewport()->installEventFilter(this);
    txbText1->installEventFilter(this);

    const QFont buttonFont = namedFont(QStringLiteral("Tahoma"), 9.75, QFont::SansSerif);
    cmdCopyToClipboard = new QPushButton(QStringLiteral("Copy to clipboard"), this);
    cmdCopyToClipboard->setObjectName(QStringLiteral("cmdCopyToClipboard"));
    cmdCopyToClipboard->setFont(buttonFont);
    cmdCopyToClipboard->setGeometry(px(120), px(6000), px(2220), px(330));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setFont(buttonFont);
    cmdClose->setGeometry(px(9825), px(6000), px(1740), px(330));

    connect(cmdCopyToClipboard, &QPushButton::clicked, this, &frmView::cmdCopyToClipboard_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmView::cmdClose_Click);
    // Esc closes the viewer as Close does.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &frmView::cmdClose_Click);

    // Rounded up, so that whole pixels never make the window smaller than its minimum in twips.
    setMinimumSize(px(kMinWidthTwips - kFrameWidthTwips + 7), px(kMinHeightTwips - kFrameHeightTwips + 7));
    resize(px(11670), px(6585));
}

frmView::~frmView() = default;

frmView &frmView::instance()
{
    if (!g_frmView)
        g_frmView = new frmView;
    return *g_frmView;
}

frmView *frmView::existingInstance()
{
    return g_frmView.data();
}

void frmView::unloadInstance()
{
    delete g_frmView.data();
}

int frmView::WidthTwips() const
{
    return platform::pixelsToTwips(width()) + kFrameWidthTwips;
}

int frmView::HeightTwips() const
{
    return platform::pixelsToTwips(height()) + kFrameHeightTwips;
}

void frmView::SetSizeTwips(int intWidth, int intHeight)
{
    resize(px(intWidth - kFrameWidthTwips), px(intHeight - kFrameHeightTwips));
}

void frmView::SetTextFont(const QString &strName, qreal dblPointSize)
{
    // A monospaced family keeps the report's columns aligned even where it is replaced.
    const bool fixedPitch = strName.contains(QStringLiteral("Courier"), Qt::CaseInsensitive);
    QFont font = namedFont(strName, dblPointSize, fixedPitch ? QFont::TypeWriter : QFont::SansSerif);
    font.setFixedPitch(fixedPitch);
    txbText1->setFont(font);
}

void frmView::ShowModeless()
{
    // A new window comes up in front; one already shown may be behind the main window.
    if (isVisible())
        raise();
    show();
    activateWindow();
    // Activation may arrive late or not at all (focus rules of the desktop): load regardless.
    QMetaObject::invokeMethod(this, &frmView::Form_Activate, Qt::QueuedConnection);
}

// Read-only, but the user can still select with the mouse or the keyboard and scroll.
void frmView::LockText()
{
    txbText1->setReadOnly(true);
    txbText1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QString frmView::HeadNote()
{
    return QStringLiteral("NOTE: This file is too large to display entirely in this textbox.") + kCrLf
        + QStringLiteral("To view the entire contents of the file load it into NotePad,") + kCrLf
        + QStringLiteral("WordPad or some other text editor.") + kCrLf + kCrLf;
}

QString frmView::TailNote()
{
    return QStringLiteral("NOTE: Entire contents of file have not been displayed.") + kCrLf;
}

QString frmView::ShownText(const QString &strFileText)
{
    if (strFileText.size() < kMaxShownChars)
        return strFileText;
    const QString head = HeadNote();
    const QString tail = TailNote();
    return head + strFileText.left(kMaxShownChars - head.size() - tail.size()) + kCrLf + kCrLf + tail;
}

QString frmView::Text() const
{
    return m_strText;
}

// The text box counts a CR LF pair, or a lone CR or LF, as one position; the stored text keeps them
// as read, so a copied selection has the file's own line breaks.
qsizetype frmView::SourceIndex(int intDocumentPosition) const
{
    qsizetype i = 0;
    const qsizetype n = m_strText.size();
    for (int pos = 0; pos < intDocumentPosition && i < n; ++pos) {
        if (m_strText.at(i) == u'\r' && i + 1 < n && m_strText.at(i + 1) == u'\n')
            i += 2;
        else
            ++i;
    }
    return i;
}

QString frmView::SelectedText() const
{
    const QTextCursor cursor = txbText1->textCursor();
    if (!cursor.hasSelection())
        return QString();
    const qsizetype start = SourceIndex(cursor.selectionStart());
    const qsizetype end = SourceIndex(cursor.selectionEnd());
    return m_strText.mid(start, end - start);
}

void frmView::SetCopyCaption(bool blnSelection)
{
    if (blnSelection) {
        cmdCopyToClipboard->setText(QStringLiteral("Copy selected text to clipboard"));
        cmdCopyToClipboard->resize(px(kCopySelectionWidth), cmdCopyToClipboard->height());
    } else {
        cmdCopyToClipboard->setText(QStringLiteral("Copy to clipboard"));
        cmdCopyToClipboard->resize(px(kCopyWidth), cmdCopyToClipboard->height());
    }
}

void frmView::Form_Activate()
{
    if (blnViewLoaded || m_blnLoading || !isVisible())
        return;
    // The message box of a failed read lets events through; the activation it causes must not start
    // a second read.
    m_blnLoading = true;

    cmdClose->setText(QStringLiteral("Close"));
    m_strText.clear();
    txbText1->clear();
    SetCopyCaption(false);
    cmdCopyToClipboard->setVisible(true);
    cmdCopyToClipboard->setEnabled(true);
    LockText();
    Form_Resize();

    QString fileText;
    platform::FileError err;
    if (!readShownPart(strViewFile, fileText, err)) {
        const QString text = err.number == platform::ErrInputPastEnd
            ? QStringLiteral("The file %1 is empty.").arg(strViewFile)
            : QStringLiteral("Cannot read %1: %2.").arg(strViewFile, err.description);
        platform::ui().messageBox(this, text, platform::MsgButtons::Ok, platform::MsgIcon::Exclamation,
                                  QStringLiteral("Error reading file"));
        hide();
        blnViewLoaded = true;
        m_blnLoading = false;
        return;
    }

    m_strText = ShownText(fileText);
    fileText = QString();
    txbText1->setPlainText(m_strText);
    QTextCursor cursor = txbText1->textCursor();
    cursor.setPosition(0);
    txbText1->setTextCursor(cursor);
    txbText1->verticalScrollBar()->setValue(0);
    txbText1->viewport()->update();
    blnViewLoaded = true;
    m_blnLoading = false;
}

void frmView::Form_Resize()
{
    if (isMinimized())
        return;
    // Snapping back is a second line of defence; the minimum size normally stops the frame first.
    if (WidthTwips() < kMinWidthTwips || HeightTwips() < kMinHeightTwips)
        SetSizeTwips(qMax(WidthTwips(), kMinWidthTwips), qMax(HeightTwips(), kMinHeightTwips));
    txbText1->resize(px(WidthTwips() - 450), px(HeightTwips() - 1200));
    const int top = txbText1->y() + txbText1->height() + px(100);
    cmdCopyToClipboard->move(txbText1->x(), top);
    cmdClose->move(txbText1->x() + txbText1->width() - cmdClose->width(), top);
}

void frmView::txbText1_MouseUp()
{
    if (!cmdCopyToClipboard->isVisibleTo(this) || !cmdCopyToClipboard->isEnabled())
        return;
    SetCopyCaption(txbText1->textCursor().hasSelection());
}

void frmView::cmdCopyToClipboard_Click()
{
    if (!m_strText.isEmpty()) {
        const QString selected = SelectedText();
        platform::ui().setClipboardText(selected.isEmpty() ? m_strText : selected);
        SetCopyCaption(false);
    }
    cmdClose->setFocus();
}

void frmView::cmdClose_Click()
{
    hide();
}

bool frmView::event(QEvent *e)
{
    const bool handled = QWidget::event(e);
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

void frmView::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    QMetaObject::invokeMethod(this, &frmView::Form_Activate, Qt::QueuedConnection);
}

void frmView::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmView::closeEvent(QCloseEvent *e)
{
    // The close box unloads the window: the next show request starts over, in the normal state.
    blnViewLoaded = false;
    e->accept();
    hide();
    setWindowState(Qt::WindowNoState);
}

bool frmView::eventFilter(QObject *watched, QEvent *e)
{
    // Keyboard selection (Shift and the arrow keys) relabels the button as a mouse selection does.
    if ((watched == txbText1->viewport() && e->type() == QEvent::MouseButtonRelease)
        || (watched == txbText1 && e->type() == QEvent::KeyRelease)) {
        const bool result = QWidget::eventFilter(watched, e);
        QMetaObject::invokeMethod(this, &frmView::txbText1_MouseUp, Qt::QueuedConnection);
        return result;
    }
    return QWidget::eventFilter(watched, e);
}

void ShowFileInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle, int intTop,
                      int intHeightReduction, const QString &strFontName)
{
    frmView &view = frmView::instance();
    if (view.isMinimized())
        view.setWindowState(Qt::WindowNoState);
    view.strViewFile = strFile;
    view.blnViewLoaded = false;
    view.setWindowTitle(strTitle);
    if (mainWindow && !(view.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        const QPoint corner = mainWindow->pos();
        view.move(corner.x() + px(100), corner.y() + px(intTop));
        // Both windows have the same kind of frame, so the outer sizes differ as the client sizes do.
        view.resize(mainWindow->width() - px(200), mainWindow->height() - px(intHeightReduction));
    }
    view.SetTextFont(strFontName, 8);
    view.ShowModeless();
}

void ShowInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle)
{
    ShowFileInViewer(mainWindow, strFile, strTitle, 350, 450, QStringLiteral("Courier New"));
}

} // namespace cheqora
