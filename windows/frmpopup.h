#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QTimer;

namespace cheqora {

// A short message that needs no answer. Each call fills, sizes and places the one pop-up window,
// starts its timer and shows it modally: the call returns once the pop-up has hidden itself, when the
// interval has elapsed or a mouse button was released over the message. Sizes, positions and screen
// sizes are in twips; the interval is in milliseconds (0 or less: no timer, only a click closes it).
class frmPopUp : public QDialog {
    Q_OBJECT

public:
    explicit frmPopUp(QWidget *parent = nullptr);
    ~frmPopUp() override;

    // The program's pop-up, created on first use and afterwards only hidden.
    static frmPopUp &instance();
    static frmPopUp *existingInstance();
    static void unloadInstance();

    QLabel *lblMessage = nullptr;
    QTimer *Timer1 = nullptr;

    // At the given screen position.
    void PopUp(const QString &strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft);
    // Centred on the screen, for the size this call gives the window.
    void PopUpCenterScreen(const QString &strMessage, int intWidth, int intHeight, int intInterval);
    // At an offset from the corner of the given window. The message keeps the height the previous call
    // gave it.
    void PopUpInForm(QWidget *form, const QString &strMessage, int intWidth, int intHeight, int intInterval,
                     int intTop, int intLeft);

public Q_SLOTS:
    void Timer1_Timer();
    void lblMessage_MouseUp();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void ShowModal(int intInterval);
};

// The same operations on the program's pop-up.
void PopUp(const QString &strMessage, int intWidth, int intHeight, int intInterval, int intTop, int intLeft);
void PopUpCenterScreen(const QString &strMessage, int intWidth, int intHeight, int intInterval);
void PopUpInForm(QWidget *form, const QString &strMessage, int intWidth, int intHeight, int intInterval,
                 int intTop, int intLeft);

} // namespace cheqora
