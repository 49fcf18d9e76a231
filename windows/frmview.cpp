#include "frmview.h"

#include "filesystem.h"
#include "qtuiservices.h"
#include "textcodec.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QTimer>

namespace cheqora {

namespace {

QPointer<frmView> g_frmView;

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
    txbText1->document()->setUndoRedoEnabled(false);
    txbText1->setGeometry(px(105), px(105), px(11460), px(5760));
    m_appendTimer = new QTimer(this);
    connect(m_appendTimer, &QTimer::timeout, this, &frmView::AppendNextPart);
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
    // The find bar, below the text while open.
    findBar = new QWidget(this);
    findBar->setObjectName(QStringLiteral("findBar"));
    auto *findRow = new QHBoxLayout(findBar);
    findRow->setContentsMargins(0, 0, 0, 0);
    txbFind = new QLineEdit(findBar);
    txbFind->setObjectName(QStringLiteral("txbFind"));
    auto *next = new QPushButton(QStringLiteral("Next"), findBar);
    auto *previous = new QPushButton(QStringLiteral("Previous"), findBar);
    lblFindResult = new QLabel(findBar);
    findRow->addWidget(new QLabel(QStringLiteral("Find:"), findBar));
    findRow->addWidget(txbFind, 1);
    findRow->addWidget(next);
    findRow->addWidget(previous);
    findRow->addWidget(lblFindResult, 1);
    findBar->hide();
    connect(txbFind, &QLineEdit::returnPressed, this, [this] { FindNext(true); });
    connect(next, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(previous, &QPushButton::clicked, this, [this] { FindNext(false); });
    const auto shortcut = [this](const QKeySequence &keys, auto slot) {
        auto *key = new QShortcut(keys, this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { OpenFind(); });
    shortcut(QKeySequence(Qt::Key_F3), [this] { FindNext(true); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindNext(false); });
    shortcut(QKeySequence(Qt::Key_Escape), [this] { Escape(); });

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
    m_appendTimer->stop();
    m_strText.clear();
    m_shown = 0;
    txbText1->clear();
    SetCopyCaption(false);
    cmdCopyToClipboard->setVisible(true);
    cmdCopyToClipboard->setEnabled(true);
    LockText();
    Form_Resize();

    QString fileText;
    platform::FileError err;
    if (!platform::readWholeTextFile(strViewFile, fileText, err)) {
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

    m_strText = std::move(fileText);
    AppendNextPart();
    QTextCursor cursor = txbText1->textCursor();
    cursor.setPosition(0);
    txbText1->setTextCursor(cursor);
    txbText1->verticalScrollBar()->setValue(0);
    txbText1->viewport()->update();
    blnViewLoaded = true;
    m_blnLoading = false;
    if (m_shown < m_strText.size())
        m_appendTimer->start();
}

void frmView::AppendNextPart()
{
    const qsizetype rest = m_strText.size() - m_shown;
    qsizetype n = qMin(rest, kPartChars);
    // A part ends after a line break, so that no CR LF pair is split between two parts.
    if (n < rest) {
        const qsizetype lf = m_strText.indexOf(u'\n', m_shown + n - 1);
        n = (lf < 0 ? m_strText.size() : lf + 1) - m_shown;
    }
    QTextCursor end(txbText1->document());
    end.movePosition(QTextCursor::End);
    end.insertText(m_strText.mid(m_shown, n));
    m_shown += n;
    if (m_shown >= m_strText.size())
        m_appendTimer->stop();
}

void frmView::Form_Resize()
{
    if (isMinimized())
        return;
    // Snapping back is a second line of defence; the minimum size normally stops the frame first.
    if (WidthTwips() < kMinWidthTwips || HeightTwips() < kMinHeightTwips)
        SetSizeTwips(qMax(WidthTwips(), kMinWidthTwips), qMax(HeightTwips(), kMinHeightTwips));
    const int findHeight = findBar->isHidden() ? 0 : findBar->sizeHint().height() + px(100);
    txbText1->resize(px(WidthTwips() - 450), px(HeightTwips() - 1200) - findHeight);
    findBar->setGeometry(txbText1->x(), txbText1->y() + txbText1->height() + px(100), txbText1->width(),
                         findBar->sizeHint().height());
    const int top = txbText1->y() + txbText1->height() + findHeight + px(100);
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

void frmView::Escape()
{
    if (findBar->isHidden()) {
        cmdClose_Click();
        return;
    }
    findBar->hide();
    Form_Resize();
    txbText1->setFocus();
}

void frmView::OpenFind()
{
    if (findBar->isHidden()) {
        findBar->show();
        Form_Resize();
    }
    txbFind->setFocus();
    txbFind->selectAll();
}

bool frmView::FindNext(bool blnForward)
{
    if (txbFind->text().isEmpty()) {
        OpenFind();
        return false;
    }
    const QTextDocument::FindFlags flags = blnForward ? QTextDocument::FindFlags() : QTextDocument::FindBackward;
    const QTextCursor from = txbText1->textCursor();
    bool found = txbText1->find(txbFind->text(), flags);
    if (!found) {
        // Round the end (or the start) of the text.
        QTextCursor edge(txbText1->document());
        edge.movePosition(blnForward ? QTextCursor::Start : QTextCursor::End);
        txbText1->setTextCursor(edge);
        found = txbText1->find(txbFind->text(), flags);
        if (!found)
            txbText1->setTextCursor(from);
    }
    lblFindResult->setText(found ? QString() : QStringLiteral("Not found"));
    txbText1_MouseUp();
    return found;
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

QRect ViewerGeometry(const QRect &mainFrame, const QSize &wanted, const QSize &minimum, const QRect &screen)
{
    const int gap = px(120);
    const int right = screen.right() - mainFrame.right() - gap;
    const int left = mainFrame.left() - screen.left() - gap;
    if (qMax(right, left) >= minimum.width()) {
        const bool onRight = right >= minimum.width();
        const int width = qMin(wanted.width(), onRight ? right : left);
        const int x = onRight ? mainFrame.right() + 1 + gap : mainFrame.left() - gap - width;
        return QRect(x, mainFrame.top(), width, qMin(mainFrame.height(), screen.height()));
    }
    const int offset = px(600);
    const int x = qMax(screen.left(), qMin(mainFrame.left() + offset, screen.right() + 1 - wanted.width()));
    const int y = qMax(screen.top(), qMin(mainFrame.top() + offset, screen.bottom() + 1 - wanted.height()));
    return QRect(QPoint(x, y), wanted);
}

void ShowFileInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle,
                      const QString &strFontName)
{
    frmView &view = frmView::instance();
    if (view.isMinimized())
        view.setWindowState(Qt::WindowNoState);
    view.strViewFile = strFile;
    view.blnViewLoaded = false;
    view.setWindowTitle(strTitle);
    if (mainWindow && mainWindow->screen() && !(view.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        // Both windows have the same kind of frame.
        const QSize frame = mainWindow->frameGeometry().size() - mainWindow->size();
        const QRect placed = ViewerGeometry(mainWindow->frameGeometry(), mainWindow->size() - QSize(px(200), px(450)) + frame,
                                            view.minimumSize() + frame, mainWindow->screen()->availableGeometry());
        view.move(placed.topLeft());
        view.resize(placed.size() - frame);
    }
    view.SetTextFont(strFontName, 8);
    view.ShowModeless();
}

void ShowInViewer(QWidget *mainWindow, const QString &strFile, const QString &strTitle)
{
    ShowFileInViewer(mainWindow, strFile, strTitle, QStringLiteral("Courier New"));
}

} // namespace cheqora
