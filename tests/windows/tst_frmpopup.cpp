#include "frmpopup.h"

#include "fakeuiservices.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

#include <functional>

using cheqora::frmPopUp;
using cheqora::test::FakeUiServices;

namespace {

int px(int twips)
{
    return platform::twipsToPixels(twips);
}

// What a pop-up looked like while it was up.
struct Seen {
    bool shown = false;
    bool modal = false;
    QRect geometry;
    QSize label;
    QString text;
    bool timerActive = false;
    int interval = 0;
};

Seen look(frmPopUp &p)
{
    Seen s;
    s.shown = p.isVisible();
    s.modal = QApplication::activeModalWidget() == &p;
    s.geometry = QRect(p.pos(), p.size());
    s.label = p.lblMessage->size();
    s.text = p.lblMessage->text();
    s.timerActive = p.Timer1->isActive();
    s.interval = p.Timer1->interval();
    return s;
}

} // namespace

class TestFrmPopUp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void closesWhenIntervalElapses();
    void closesOnClickBeforeInterval();
    void takesEachCallsSize();
    void centresOnScreen();
    void popUpInFormKeepsLabelHeight();
    void longMessageDoesNotGrowWindow();
    void withoutIntervalOnlyClickCloses();
    void escapeStopsTimer();

private:
    // Runs the call with a watchdog, and while the pop-up is up runs whileUp (if any), which may close it.
    void run(const std::function<void()> &call, const std::function<void(frmPopUp &)> &whileUp = {});

    FakeUiServices *m_ui = nullptr;
    bool m_watchdogFired = false;
};

void TestFrmPopUp::init()
{
    m_ui = new FakeUiServices;
    m_watchdogFired = false;
}

void TestFrmPopUp::cleanup()
{
    frmPopUp::unloadInstance();
    delete m_ui;
}

void TestFrmPopUp::run(const std::function<void()> &call, const std::function<void(frmPopUp &)> &whileUp)
{
    frmPopUp &popup = frmPopUp::instance();
    // A pop-up that never closes would hang the test; this ends it as a failure instead.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [this, &popup] {
        m_watchdogFired = true;
        popup.hide();
    });
    watchdog.start(60000);
    if (whileUp)
        QTimer::singleShot(0, &popup, [&popup, whileUp] { whileUp(popup); });
    call();
    watchdog.stop();
}

void TestFrmPopUp::closesWhenIntervalElapses()
{
    bool continued = false;
    run([&continued] {
        cheqora::PopUp(QStringLiteral("State saved."), 2000, 380, 1, 3000, 4500);
        continued = true;
    });
    QVERIFY(!m_watchdogFired);
    QVERIFY(continued);
    frmPopUp &popup = frmPopUp::instance();
    QVERIFY(!popup.isVisible());
    QVERIFY(!popup.Timer1->isActive());
    QCOMPARE(popup.lblMessage->text(), QStringLiteral("State saved."));
}

void TestFrmPopUp::closesOnClickBeforeInterval()
{
    Seen seen;
    bool continued = false;
    run(
        [&continued] {
            cheqora::PopUp(QStringLiteral("Report deleted."), 2000, 380, 30000, 3000, 4500);
            continued = true;
        },
        [&seen](frmPopUp &p) {
            seen = look(p);
            QTest::mouseRelease(p.lblMessage, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        });
    QVERIFY(!m_watchdogFired);
    QVERIFY(continued);
    QVERIFY(seen.shown);
    QVERIFY(seen.modal);
    QVERIFY(seen.timerActive);
    QCOMPARE(seen.interval, 30000);
    QCOMPARE(seen.text, QStringLiteral("Report deleted."));
    QCOMPARE(seen.geometry, QRect(px(4500), px(3000), px(2000), px(380)));
    QCOMPARE(seen.label, QSize(px(2000), px(380)));
    frmPopUp &popup = frmPopUp::instance();
    QVERIFY(!popup.isVisible());
    QVERIFY(!popup.Timer1->isActive());

    // Any button closes it.
    run([] { cheqora::PopUp(QStringLiteral("Again."), 2000, 380, 30000, 0, 0); },
        [](frmPopUp &p) { QTest::mouseRelease(p.lblMessage, Qt::RightButton); });
    QVERIFY(!m_watchdogFired);
    QVERIFY(!popup.isVisible());
}

void TestFrmPopUp::takesEachCallsSize()
{
    Seen first, second;
    run([] { cheqora::PopUp(QStringLiteral("one"), 4200, 400, 30000, 100, 200); },
        [&first](frmPopUp &p) { first = look(p); p.lblMessage_MouseUp(); });
    run([] { cheqora::PopUp(QStringLiteral("two"), 2000, 380, 30000, 300, 600); },
        [&second](frmPopUp &p) { second = look(p); p.Timer1_Timer(); });
    QVERIFY(!m_watchdogFired);
    QCOMPARE(first.geometry, QRect(px(200), px(100), px(4200), px(400)));
    QCOMPARE(second.geometry, QRect(px(600), px(300), px(2000), px(380)));
    QCOMPARE(second.label, QSize(px(2000), px(380)));
    QCOMPARE(second.text, QStringLiteral("two"));
}

void TestFrmPopUp::centresOnScreen()
{
    m_ui->screenTwips = QSize(19200, 14400);
    Seen seen;
    // A smaller pop-up first: the centre must follow the new size, not the one left behind.
    run([] { cheqora::PopUp(QStringLiteral("small"), 1000, 200, 1, 0, 0); });
    run([] { cheqora::PopUpCenterScreen(QStringLiteral("Report deleted."), 4200, 400, 30000); },
        [&seen](frmPopUp &p) { seen = look(p); p.lblMessage_MouseUp(); });
    QVERIFY(!m_watchdogFired);
    QCOMPARE(seen.geometry, QRect(px((19200 - 4200) / 2), px((14400 - 400) / 2), px(4200), px(400)));
    QCOMPARE(seen.interval, 30000);

    // Half a twip rounds up: 7.5 twips becomes 8, which is the first to reach a whole pixel.
    m_ui->screenTwips = QSize(1015, 515);
    run([] { cheqora::PopUpCenterScreen(QStringLiteral("x"), 1000, 500, 30000); },
        [&seen](frmPopUp &p) { seen = look(p); p.lblMessage_MouseUp(); });
    QCOMPARE(px(8), 1);
    QCOMPARE(seen.geometry.topLeft(), QPoint(1, 1));
}

void TestFrmPopUp::popUpInFormKeepsLabelHeight()
{
    QWidget form;
    form.move(120, 80);
    form.resize(600, 400);
    form.show();
    Seen seen;
    run([] { cheqora::PopUp(QStringLiteral("first"), 2000, 380, 1, 0, 0); });
    run([&form] { cheqora::PopUpInForm(&form, QStringLiteral("in form"), 3000, 900, 30000, 150, 300); },
        [&seen](frmPopUp &p) {
            seen = look(p);
            // Over the message it closes as ever.
            QTest::mouseRelease(p.lblMessage, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        });
    QVERIFY(!m_watchdogFired);
    QCOMPARE(seen.geometry, QRect(form.pos() + QPoint(px(300), px(150)), QSize(px(3000), px(900))));
    QCOMPARE(seen.label, QSize(px(3000), px(380)));
    QCOMPARE(seen.text, QStringLiteral("in form"));
}

void TestFrmPopUp::longMessageDoesNotGrowWindow()
{
    const QString text = QStringLiteral("A message far too long for one line of a small pop-up window, "
                                        "so that it has to wrap and runs past the bottom edge. ")
                             .repeated(4);
    Seen seen;
    run([&text] { cheqora::PopUp(text, 2000, 380, 30000, 0, 0); },
        [&seen](frmPopUp &p) { seen = look(p); p.lblMessage_MouseUp(); });
    QCOMPARE(seen.geometry.size(), QSize(px(2000), px(380)));
    QCOMPARE(seen.label, QSize(px(2000), px(380)));
    QVERIFY(frmPopUp::instance().lblMessage->wordWrap());
}

void TestFrmPopUp::withoutIntervalOnlyClickCloses()
{
    Seen seen;
    run([] { cheqora::PopUp(QStringLiteral("until clicked"), 2000, 380, 0, 0, 0); },
        [&seen](frmPopUp &p) {
            seen = look(p);
            QTest::mouseRelease(p.lblMessage, Qt::LeftButton);
        });
    QVERIFY(!m_watchdogFired);
    QVERIFY(seen.shown);
    QVERIFY(!seen.timerActive);
}

void TestFrmPopUp::escapeStopsTimer()
{
    run([] { cheqora::PopUp(QStringLiteral("escape"), 2000, 380, 30000, 0, 0); },
        [](frmPopUp &p) { QTest::keyClick(&p, Qt::Key_Escape); });
    QVERIFY(!m_watchdogFired);
    frmPopUp &popup = frmPopUp::instance();
    QVERIFY(!popup.isVisible());
    QVERIFY(!popup.Timer1->isActive());
}

CHEQORA_TEST_GUI_MAIN(TestFrmPopUp)
#include "tst_frmpopup.moc"
