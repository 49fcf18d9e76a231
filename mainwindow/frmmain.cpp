#include "frmmain.h"

#include "comparewindowhost.h"
#include "digestcheckpanel.h"
#include "digestworker.h"
#include "filesystem.h"
#include "frmmain_keys.h"
#include "qtuiservices.h"
#include "uiservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace cheqora {

using platform::twipsToPixels;
using namespace keys;

namespace {

const QColor kWindowViolet(232, 226, 250);
const QColor kFrameBlue(208, 228, 255);
const QColor kFrameCyan(208, 250, 250);

QFont makeFont(const QString &family, qreal points, QFont::StyleHint hint)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setStyleHint(hint);
    return font;
}

QFont tahomaFont()
{
    return makeFont(QStringLiteral("Tahoma"), 9.75, QFont::SansSerif);
}

QFont courierFont()
{
    return makeFont(QStringLiteral("Courier New"), 8.25, QFont::TypeWriter);
}

QFont arialFont()
{
    return makeFont(QStringLiteral("Arial"), 8.25, QFont::SansSerif);
}

QString arrayName(const char *name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

int vbKeyCode(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Delete: return 46;
    default: break;
    }
    if (key >= 0x20 && key <= 0x7E)
        return key;
    return 0;
}

int vbShift(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

void paintWith(QWidget *widget, const QColor &background)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, background);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

// Labels that show data use the colours of an input field, as text boxes do; greyed, they grey like
// any other label.
void paintAsWindow(QLabel *label)
{
    QPalette pal = label->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Window, pal.color(group, QPalette::Base));
        pal.setColor(group, QPalette::WindowText, pal.color(group, QPalette::Text));
    }
    label->setPalette(pal);
    label->setAutoFillBackground(true);
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *makeTextBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *box = new QLineEdit(text, parent);
    box->setObjectName(name);
    return box;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QCheckBox *makeCheckBox(QWidget *parent, const QString &name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// A title bar and a window frame, which the window's size does not include.
const QSize kFrameAllowance(8, 40);

// A scroll area whose preferred size is all of its content: the window asks for room to show the
// frames whole, and scrolls them only when it is given less.
class FittingScrollArea : public QScrollArea {
public:
    explicit FittingScrollArea(QWidget *parent)
        : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        // The fields take the focus, and the area scrolls to the one that has it: the area itself is
        // no stop of the Tab key.
        setFocusPolicy(Qt::NoFocus);
        viewport()->setAutoFillBackground(false);
    }
    QSize sizeHint() const override { return widget() ? widget()->sizeHint() : QScrollArea::sizeHint(); }
};

bool isFrame(const QWidget *w)
{
    return qobject_cast<const QGroupBox *>(w) || w->metaObject() == &QFrame::staticMetaObject;
}

} // namespace

void SetControlsEnabled(QWidget &form, bool blnEnabled, bool blnFrames, bool blnTextBoxes, bool blnLabels,
                        bool blnCheckBoxes)
{
    const QList<QWidget *> widgets = form.findChildren<QWidget *>();
    const auto pass = [&](auto matches) {
        for (QWidget *w : widgets) {
            if (w->window() == &form && matches(w))
                w->setEnabled(blnEnabled);
        }
    };
    pass([](QWidget *w) { return qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w); });
    if (blnFrames)
        pass([](QWidget *w) { return isFrame(w); });
    if (blnTextBoxes)
        pass([](QWidget *w) { return qobject_cast<QLineEdit *>(w) != nullptr; });
    if (blnLabels)
        pass([](QWidget *w) { return qobject_cast<QLabel *>(w) != nullptr; });
    if (blnCheckBoxes)
        pass([](QWidget *w) { return qobject_cast<QCheckBox *>(w) != nullptr; });
    form.repaint();
}

frmMain::frmMain(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    strProgramFolder = platform::programFolder();
    strManualURL = QStringLiteral("https://www.vantorel.example/cheqora/manual/");
    buildControls();
    connectHandlers();
    prepareComparison();
}

void frmMain::buildControls()
{
    setFont(tahomaFont());
    paintWith(this, kWindowViolet);

    auto *mainLayout = new QVBoxLayout(this);
    const int margin = twipsToPixels(120);
    mainLayout->setContentsMargins(margin, margin, margin, margin);
    // The two frames scroll in a window too small for them (a small screen, a large scale); the
    // progress line, the commands and the maker's line stay in view below them.
    auto *frames = new FittingScrollArea(this);
    frames->setObjectName(QStringLiteral("scrollFrames"));
    auto *content = new QWidget(frames);
    paintWith(content, kWindowViolet);
    auto *framesLayout = new QVBoxLayout(content);
    framesLayout->setContentsMargins(0, 0, 0, 0);

    // Digest panel.
    Frame2 = new QGroupBox(QStringLiteral("Get the digital signature of a file OR compare digital signatures of two files "), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    paintWith(Frame2, kFrameBlue);
    auto *panel = new QGridLayout(Frame2);
    panel->setVerticalSpacing(2);
    const QFontMetrics mono(courierFont());
    const int digestLabelWidth = mono.horizontalAdvance(QString(kDigestLabelChars, u'0')) + 8;
    // Captions carry their mnemonic letter ("&"); the words are the same.
    const QStringList fileCaptions = {QStringLiteral("&1st file"), QStringLiteral("&2nd file")};
    for (int i = 0; i <= 1; ++i) {
        const int row = i * 3;
        cmdGetFileLocation[i] = makeButton(Frame2, arrayName("cmdGetFileLocation", i), fileCaptions.at(i));
        txbFile[i] = makeTextBox(Frame2, arrayName("txbFile", i), QStringLiteral("Text1"));
        txbFile[i]->setMinimumWidth(twipsToPixels(3000));
        lblDigitalSignature[i] = makeLabel(Frame2, arrayName("lblDigitalSignature", i), QString());
        lblSizeDateTime[i] = makeLabel(Frame2, arrayName("lblSizeDateTime", i), QString());
        for (QLabel *label : {lblDigitalSignature[i], lblSizeDateTime[i]}) {
            label->setFont(courierFont());
            paintAsWindow(label);
            label->setMinimumWidth(digestLabelWidth);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setContentsMargins(3, 1, 3, 1);
        }
        cmdCopy[i] = makeButton(Frame2, arrayName("cmdCopy", i), QStringLiteral("Copy"));
        cmdClear[i] = makeButton(Frame2, arrayName("cmdClear", i), QStringLiteral("Clear"));
        panel->addWidget(cmdGetFileLocation[i], row, 0, 2, 1, Qt::AlignVCenter);
        panel->addWidget(txbFile[i], row, 1, 2, 1, Qt::AlignVCenter);
        panel->addWidget(lblDigitalSignature[i], row, 2);
        panel->addWidget(lblSizeDateTime[i], row + 1, 2);
        panel->addWidget(cmdCopy[i], row, 3);
        panel->addWidget(cmdClear[i], row + 1, 3);
    }
    panel->setRowMinimumHeight(2, 6);
    lblFileComparisonResult = makeLabel(Frame2, QStringLiteral("lblFileComparisonResult"),
                                        QStringLiteral("The files are different."));
    lblFileComparisonResult->setAlignment(Qt::AlignCenter);
    paintAsWindow(lblFileComparisonResult);
    lblFileComparisonResult->setMinimumHeight(QFontMetrics(tahomaFont()).height() + 4);
    panel->addWidget(lblFileComparisonResult, 6, 1);
    panelDigestCheck = new DigestCheckPanel(Frame2);
    panel->addWidget(panelDigestCheck, 7, 0, 1, 4);
    panel->setColumnStretch(1, 3);
    panel->setColumnStretch(2, 2);
    Frame2->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    framesLayout->addWidget(Frame2);

    // Folder comparison.
    Frame5 = new QGroupBox(QStringLiteral("OR compare files in two folders "), this);
    Frame5->setObjectName(QStringLiteral("Frame5"));
    paintWith(Frame5, kFrameCyan);
    auto *folders = new QGridLayout(Frame5);
    const QStringList folderCaptions = {QStringLiteral("&Old folder"), QStringLiteral("&New folder")};
    for (int i = 0; i <= 1; ++i) {
        cmdFolder[i] = makeButton(Frame5, arrayName("cmdFolder", i), folderCaptions.at(i));
        txbFolder[i] = makeTextBox(Frame5, arrayName("txbFolder", i), QStringLiteral("Text1"));
        folders->addWidget(cmdFolder[i], i, 0);
        folders->addWidget(txbFolder[i], i, 1, 1, 4);
    }
    cmdGetFileLocation[3] = makeButton(Frame5, arrayName("cmdGetFileLocation", 3), QStringLiteral("Re&port file"));
    txbFile[3] = makeTextBox(Frame5, arrayName("txbFile", 3), QStringLiteral("Text1"));
    cmdClear[3] = makeButton(Frame5, arrayName("cmdClear", 3), QStringLiteral("Clear"));
    cmdView[1] = makeButton(Frame5, arrayName("cmdView", 1), QStringLiteral("&View"));
    cmdDelete[1] = makeButton(Frame5, arrayName("cmdDelete", 1), QStringLiteral("&Delete"));
    folders->addWidget(cmdGetFileLocation[3], 2, 0);
    folders->addWidget(txbFile[3], 2, 1);
    folders->addWidget(cmdClear[3], 2, 2);
    folders->addWidget(cmdView[1], 2, 3);
    folders->addWidget(cmdDelete[1], 2, 4);
    folders->setColumnStretch(1, 1);

    // The options of the comparison.
    Frame4[1] = new QFrame(Frame5);
    Frame4[1]->setObjectName(arrayName("Frame4", 1));
    Frame4[1]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    paintWith(Frame4[1], kFrameCyan);
    auto *options = new QGridLayout(Frame4[1]);
    chkIncludeSubfolders[1] = makeCheckBox(Frame4[1], arrayName("chkIncludeSubfolders", 1),
                                           QStringLiteral("Include files in subfolders recursively"));
    chkDoOnlyExtension[1] = makeCheckBox(Frame4[1], arrayName("chkDoOnlyExtension", 1),
                                         QStringLiteral("Do only files with extension"));
    txbExtension[1] = makeTextBox(Frame4[1], arrayName("txbExtension", 1), QStringLiteral("Text2"));
    txbExtension[1]->setFixedWidth(twipsToPixels(1100));
    chkSkipFiles[1] = makeCheckBox(Frame4[1], arrayName("chkSkipFiles", 1), QStringLiteral("Skip files larger than "));
    txbSkipSizeInMB[1] = makeTextBox(Frame4[1], arrayName("txbSkipSizeInMB", 1), QStringLiteral("1000"));
    txbSkipSizeInMB[1]->setMaxLength(5);
    txbSkipSizeInMB[1]->setFixedWidth(QFontMetrics(tahomaFont()).horizontalAdvance(QStringLiteral("000000")) + 12);
    Label2[1] = makeLabel(Frame4[1], arrayName("Label2", 1), QStringLiteral("MB"));
    chkWarnOnOverwrite[1] = makeCheckBox(Frame4[1], arrayName("chkWarnOnOverwrite", 1),
                                         QStringLiteral("Warn on overwrite of report file"));
    options->addWidget(chkIncludeSubfolders[1], 0, 0, 1, 2);
    options->addWidget(chkDoOnlyExtension[1], 1, 0);
    options->addWidget(txbExtension[1], 1, 1, Qt::AlignLeft);
    options->setColumnMinimumWidth(2, twipsToPixels(300));
    options->setColumnStretch(2, 1);
    auto *skipRow = new QHBoxLayout;
    skipRow->setSpacing(4);
    skipRow->addWidget(chkSkipFiles[1]);
    skipRow->addWidget(txbSkipSizeInMB[1]);
    skipRow->addWidget(Label2[1]);
    skipRow->addStretch(1);
    options->addLayout(skipRow, 0, 3);
    options->addWidget(chkWarnOnOverwrite[1], 1, 3);
    folders->addWidget(Frame4[1], 3, 0, 1, 5);

    auto *lineLimitRow = new QHBoxLayout;
    chkSuspendIfNumLines = makeCheckBox(Frame5, QStringLiteral("chkSuspendIfNumLines"),
                                        QStringLiteral("Stop if the number of lines in the report file exceeds"));
    txbSuspendIfNumLines = makeTextBox(Frame5, QStringLiteral("txbSuspendIfNumLines"), QStringLiteral("Text2"));
    txbSuspendIfNumLines->setFont(arialFont());
    txbSuspendIfNumLines->setFixedWidth(QFontMetrics(arialFont()).horizontalAdvance(QStringLiteral("0000000000")) + 12);
    lblNumLinesInReport = makeLabel(Frame5, QStringLiteral("lblNumLinesInReport"), QStringLiteral("Label1"));
    lblNumLinesInReport->setFont(arialFont());
    lineLimitRow->addWidget(chkSuspendIfNumLines);
    lineLimitRow->addWidget(txbSuspendIfNumLines);
    lineLimitRow->addWidget(lblNumLinesInReport);
    lineLimitRow->addStretch(1);
    folders->addLayout(lineLimitRow, 4, 0, 1, 5);

    cmdCompareFolders[0] = makeButton(Frame5, arrayName("cmdCompareFolders", 0),
                                      QStringLiteral("&List files added, removed or common to both folders but are modified"));
    cmdCompareFolders[2] = makeButton(Frame5, arrayName("cmdCompareFolders", 2),
                                      QStringLiteral("List files &common to both folders which are not modified"));
    folders->addWidget(cmdCompareFolders[0], 5, 0, 1, 5);
    folders->addWidget(cmdCompareFolders[2], 6, 0, 1, 5);
    Frame5->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    framesLayout->addWidget(Frame5);
    // Spare height goes below the frames: the commands and the maker's line stay at the bottom.
    framesLayout->addStretch(1);
    frames->setWidget(content);
    mainLayout->addWidget(frames, 1);

    // Progress line; the row keeps its height when both of its controls are hidden.
    auto *infoRow = new QWidget(this);
    auto *infoLayout = new QHBoxLayout(infoRow);
    infoLayout->setContentsMargins(0, 0, 0, 0);
    infoLayout->setSpacing(twipsToPixels(100));
    cmdStop = makeButton(infoRow, QStringLiteral("cmdStop"), QStringLiteral("&Stop"));
    QFont bold = tahomaFont();
    bold.setWeight(QFont::Bold);
    cmdStop->setFont(bold);
    lblInfo = makeLabel(infoRow, QStringLiteral("lblInfo"), QStringLiteral("Now comparing new folder to old folder"));
    lblInfo->setFont(courierFont());
    paintAsWindow(lblInfo);
    lblInfo->setContentsMargins(3, 1, 3, 1);
    lblInfo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    infoLayout->addWidget(cmdStop);
    infoLayout->addWidget(lblInfo, 1);
    infoRow->setMinimumHeight(cmdStop->sizeHint().height());
    mainLayout->addWidget(infoRow);

    auto *commands = new QHBoxLayout;
    cmdSave = makeButton(this, QStringLiteral("cmdSave"), QStringLiteral("Save s&tate"));
    cmdReset = makeButton(this, QStringLiteral("cmdReset"), QStringLiteral("&Reset"));
    cmdHelp = makeButton(this, QStringLiteral("cmdHelp"), QStringLiteral("&Help"));
    cmdQuit = makeButton(this, QStringLiteral("cmdQuit"), QStringLiteral("&Quit"));
    commands->addWidget(cmdSave);
    commands->addWidget(cmdReset);
    commands->addWidget(cmdHelp);
    commands->addStretch(1);
    commands->addWidget(cmdQuit);
    mainLayout->addLayout(commands);

    // Maker's line.
    auto *links = new QHBoxLayout;
    links->setSpacing(twipsToPixels(200));
    lblVantorel = makeLabel(this, QStringLiteral("lblVantorel"), QStringLiteral("Vantorel"));
    lblVantorel->setFont(arialFont());
    QPalette blue = lblVantorel->palette();
    blue.setColor(QPalette::Active, QPalette::WindowText, QColor(0, 0, 255));
    blue.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0, 0, 255));
    lblVantorel->setPalette(blue);
    lblVantorel->setCursor(Qt::PointingHandCursor);
    lblURL = makeLabel(this, QStringLiteral("lblURL"), QStringLiteral("www.vantorel.example"));
    lblURL->setFont(arialFont());
    lblCopyrightNotice = makeLabel(this, QStringLiteral("lblCopyrightNotice"),
                                   QStringLiteral("Copyright \u00A9 2026 Vantorel. All rights reserved."));
    lblCopyrightNotice->setFont(arialFont());
    lblOnlineDocumentation = makeLabel(this, QStringLiteral("lblOnlineDocumentation"), QStringLiteral("Online user manual"));
    lblOnlineDocumentation->setPalette(blue);
    lblOnlineDocumentation->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblOnlineDocumentation->setCursor(Qt::PointingHandCursor);
    links->addWidget(lblVantorel);
    links->addWidget(lblURL);
    links->addWidget(lblCopyrightNotice);
    links->addStretch(1);
    links->addWidget(lblOnlineDocumentation);
    mainLayout->addLayout(links);

    // Ctrl+Q quits from any of the program's windows, also while busy.
    auto *quitKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quitKey->setContext(Qt::ApplicationShortcut);
    connect(quitKey, &QShortcut::activated, this, &frmMain::cmdQuit_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));

    // Tab order follows the window from top to bottom.
    const QList<QWidget *> tabOrder = {
        cmdGetFileLocation[0], txbFile[0], cmdCopy[0], cmdClear[0], cmdGetFileLocation[1], txbFile[1], cmdCopy[1],
        cmdClear[1], panelDigestCheck->cboAlgorithm, panelDigestCheck->txbPublishedDigest, cmdFolder[0], txbFolder[0], cmdFolder[1], txbFolder[1], cmdGetFileLocation[3], txbFile[3],
        cmdClear[3], cmdView[1], cmdDelete[1], chkIncludeSubfolders[1], chkDoOnlyExtension[1], txbExtension[1],
        chkSkipFiles[1], txbSkipSizeInMB[1], chkWarnOnOverwrite[1], chkSuspendIfNumLines, txbSuspendIfNumLines,
        cmdCompareFolders[0], cmdCompareFolders[2], cmdStop, cmdSave, cmdReset, cmdHelp, cmdQuit};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    // Large enough to need no scrolling, where the screen has room for that.
    const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry().size()
                                                         : QSize(1024, 768);
    resize(QSize(qMax(sizeHint().width(), twipsToPixels(11205)), sizeHint().height()).boundedTo(screen - kFrameAllowance));
}

void frmMain::connectHandlers()
{
    // Members of a button array share one handler, which receives the member's index.
    const auto connectArray = [this](const std::map<int, QPushButton *> &buttons, void (frmMain::*handler)(int)) {
        for (const auto &[index, button] : buttons)
            connect(button, &QPushButton::clicked, this, [this, handler, i = index] { (this->*handler)(i); });
    };
    connectArray(cmdGetFileLocation, &frmMain::cmdGetFileLocation_Click);
    connect(panelDigestCheck->cboAlgorithm, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { cboAlgorithm_Change(); });
    connect(panelDigestCheck->txbPublishedDigest, &QLineEdit::textChanged, this,
            [this] { panelDigestCheck->showVerdict(RowCaption(0)); });
    connectArray(cmdFolder, &frmMain::cmdFolder_Click);
    connectArray(cmdCopy, &frmMain::cmdCopy_Click);
    connectArray(cmdClear, &frmMain::cmdClear_Click);
    connectArray(cmdCompareFolders, &frmMain::cmdCompareFolders_Click);
    connectArray(cmdView, &frmMain::cmdView_Click);
    connectArray(cmdDelete, &frmMain::cmdDelete_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
    connect(cmdReset, &QPushButton::clicked, this, &frmMain::cmdReset_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &frmMain::cmdQuit_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmMain::cmdStop_Click);

    // A check box's Click runs whenever its value changes, from code as well as from the user.
    connect(chkSkipFiles[1], &QCheckBox::toggled, this, [this] { chkSkipFiles_Click(1); });
    connect(chkWarnOnOverwrite[1], &QCheckBox::toggled, this, [this] { chkWarnOnOverwrite_Click(1); });
    connect(chkSuspendIfNumLines, &QCheckBox::toggled, this, &frmMain::chkSuspendIfNumLines_Click);

    // Files and folders dropped on the path fields are the window's: the fields would take the text.
    setAcceptDrops(true);
    for (const auto &[index, box] : txbFile) {
        connect(box, &QLineEdit::textChanged, this, [this, i = index] { txbFile_Change(i); });
        box->installEventFilter(this);
        box->setAcceptDrops(false);
    }
    for (const auto &[index, box] : txbFolder) {
        connect(box, &QLineEdit::textChanged, this, [this, i = index] { probeSubfolder(i); });
        box->installEventFilter(this);
        box->setAcceptDrops(false);
    }
    txbSkipSizeInMB[1]->installEventFilter(this);
    txbSuspendIfNumLines->installEventFilter(this);
    lblVantorel->installEventFilter(this);
    lblOnlineDocumentation->installEventFilter(this);

    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            const int code = vbKeyCode(key->key());
            const int shift = vbShift(key->modifiers());
            for (const auto &[index, box] : txbFile) {
                if (watched == box)
                    txbFile_KeyUp(index, code, shift);
            }
            if (watched == txbSkipSizeInMB[1])
                txbSkipSizeInMB_KeyUp(1, code, shift);
            if (watched == txbSuspendIfNumLines)
                txbSuspendIfNumLines_KeyUp(code, shift);
        }
    } else if (type == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        for (const auto &[index, box] : txbFile) {
            if (watched == box)
                txbFile_MouseUp(index);
        }
        for (const auto &[index, box] : txbFolder) {
            if (watched == box)
                txbFolder_MouseUp(index);
        }
        const auto inside = [mouse](QObject *object) {
            auto *widget = static_cast<QWidget *>(object);
            return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
        };
        if (watched == lblVantorel && inside(watched))
            lblVantorel_Click();
        if (watched == lblOnlineDocumentation && inside(watched))
            lblOnlineDocumentation_Click();
    } else if (type == QEvent::FocusOut && watched == txbSuspendIfNumLines) {
        // Switching to another application or opening a menu is no loss of focus to the window.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // The check waits until the focus change is over: a message box in the middle of it would
        // swallow the click that moved the focus.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_blnLineLimitCheckPending) {
            m_blnLineLimitCheckPending = true;
            QTimer::singleShot(0, this, &frmMain::runPendingLineLimitCheck);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::runPendingLineLimitCheck()
{
    if (!m_blnLineLimitCheckPending)
        return;
    // A button held down is a click under way; it runs the check itself when it is released on a
    // compare button, otherwise the check comes once the button is up.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        QTimer::singleShot(50, this, &frmMain::runPendingLineLimitCheck);
        return;
    }
    CheckPendingLineLimit();
}

bool frmMain::CheckPendingLineLimit()
{
    if (!m_blnLineLimitCheckPending)
        return true;
    m_blnLineLimitCheckPending = false;
    const bool blnLimited = chkSuspendIfNumLines->isChecked();
    txbSuspendIfNumLines_LostFocus();
    return !blnLimited || chkSuspendIfNumLines->isChecked();
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    auto *button = qobject_cast<QPushButton *>(focusWidget());
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && button && button->isEnabled()
        && button->window() == this) {
        button->click();
        return;
    }
    if (key == Qt::Key_Escape && m_blnBusy) {
        cmdStop_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Busy switch and focus

void frmMain::SetBusy(bool blnBusy)
{
    m_blnBusy = blnBusy;
    if (blnBusy) {
        // A greyed button that has the focus hands it on to the next field, where a key would edit a
        // path: the focus is taken away first and given to Stop.
        if (QWidget *focused = focusWidget()) {
            if (!m_focusAfterBusy)
                m_focusAfterBusy = focused;
            focused->clearFocus();
        }
        SetControlsEnabled(*this, false, false, false, true, false);
        // The Stop button takes the left end of the progress row and lblInfo follows it.
        cmdStop->setVisible(true);
        cmdStop->setEnabled(true);
        cmdQuit->setEnabled(true);
        cmdStop->setFocus(Qt::OtherFocusReason);
        Timer1->stop();
    } else {
        SetControlsEnabled(*this, true, false, false, true, false);
        // The focus goes back before Stop is hidden, so that hiding it does not pass it on.
        QWidget *back = m_focusAfterBusy;
        m_focusAfterBusy = nullptr;
        if (back && back->isEnabled() && back->isVisibleTo(this))
            back->setFocus(Qt::OtherFocusReason);
        else if (cmdStop->hasFocus() || (!focusWidget() && isVisible()))
            cmdGetFileLocation[0]->setFocus(Qt::OtherFocusReason);
        cmdStop->setVisible(false);
        if (!m_blnQuitting)
            Timer1->start();
    }
    lblInfo->setVisible(true);
    lblInfo->repaint();
}

void frmMain::FocusFirstFile()
{
    if (isVisible())
        cmdGetFileLocation[0]->setFocus();
}

} // namespace cheqora
