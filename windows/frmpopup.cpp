#include "frmpopup.h"

#include "qtuiservices.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <cmath>

namespace cheqora {

namespace {

QPointer<frmPopUp> g_frmPopUp;

int px(int twips)
{
    return platform::twipsToPixels(twips);
}

// The design size: client area 3495 x 1995 twips.
constexpr int kDesignWidth = 3495;
constexpr int kDesignHeight = 1995;

} // namespace

frmPopUp::frmPopUp(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmPopUp"));
    setWindowTitle(QString());
    setModal(true);
    setStyleSheet(QStringLiteral("QDialog#frmPopUp { background: white; }"));

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->move(0, 0);
    lblMessage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblMessage->setWordWrap(true);
    // The frame a single border gave the window; the label covers the window, so it draws it.
    lblMessage->setStyleSheet(
        QStringLiteral("QLabel { background: white; color: rgb(0, 0, 192); border: 1px solid gray; }"));
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(9.75);
    font.setBold(true);
    font.setStyleHint(QFont::SansSerif);
    lblMessage->setFont(font);
    lblMessage->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &frmPopUp::Timer1_Timer);

    setFixedSize(px(kDesignWidth), px(kDesignHeight));
    lblMessage->resize(size());
}

frmPopUp::~frmPopUp() = default;

frmPopUp &frmPopUp::instance()
{
    if (!g_frmPopUp)
        g_frmPopUp = new frmPopUp;
    return *g_frmPopUp;
}

frmPopUp *frmPopUp::existingInstance()
{
    return g_frmPopUp.data();
}

void frmPopUp::unloadInstance()
{
    delete g_frmPopUp.data();
}

void frmPopUp::PopUp(const QString &strMessage, int intWidth, int intHeight, int intInterval, int intTop,
                     int intLeft)
{
    lblMessage->setText(strMessage);
    setFixedSize(px(intWidth), px(intHeight));
    lblMessage->resize(size());
    move(px(intLeft), px(intTop));
    ShowModal(intInterval);
}

void frmPopUp::PopUpCenterScreen(const QString &strMessage, int intWidth, int intHeight, int intInterval)
{
    // Centred on the size it is about to get, not the size the previous pop-up left behind.
    const QSize screen = platform::ui().screenSizeTwips();
    const int left = int(std::lround((screen.width() - intWidth) / 2.0));
    const int top = int(std::lround((screen.height() - intHeight) / 2.0));
    PopUp(strMessage, intWidth, intHeight, intInterval, top, left);
}

void frmPopUp::PopUpInForm(QWidget *form, const QString &strMessage, int intWidth, int intHeight,
                           int intInterval, int intTop, int intLeft)
{
    const QPoint corner = form ? form->pos() : QPoint();
    move(corner.x() + px(intLeft), corner.y() + px(intTop));
    lblMessage->setText(strMessage);
    setFixedSize(px(intWidth), px(intHeight));
    lblMessage->resize(px(intWidth), lblMessage->height());
    ShowModal(intInterval);
}

void frmPopUp::ShowModal(int intInterval)
{
    Timer1->stop();
    if (intInterval > 0) {
        Timer1->setInterval(intInterval);
        Timer1->start();
    }
    exec();
}

void frmPopUp::Timer1_Timer()
{
    Timer1->stop();
    hide();
}

void frmPopUp::lblMessage_MouseUp()
{
    Timer1->stop();
    hide();
}

bool frmPopUp::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == lblMessage && e->type() == QEvent::MouseButtonRelease) {
        lblMessage_MouseUp();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void frmPopUp::hideEvent(QHideEvent *e)
{
    // Escape or the desktop may hide it too; a hidden pop-up never fires.
    Timer1->stop();
    QDialog::hideEvent(e);
}

void PopUp(const QString &strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft)
{
    frmPopUp::instance().PopUp(strMessage, intWidth, intHeight, intInterval, intTop, intLeft);
}

void PopUpCenterScreen(const QString &strMessage, int intWidth, int intHeight, int intInterval)
{
    frmPopUp::instance().PopUpCenterScreen(strMessage, intWidth, intHeight, intInterval);
}

void PopUpInForm(QWidget *form, const QString &strMessage, int intWidth, int intHeight, int intInterval,
                 int intTop, int intLeft)
{
    frmPopUp::instance().PopUpInForm(form, strMessage, intWidth, intHeight, intInterval, intTop, intLeft);
}

} // namespace cheqora
