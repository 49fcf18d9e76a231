#include "frmpopup.h"

#include "fakeuiservices.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using cheqora::frmPopUp;

static int px(int twips) { return platform::twipsToPixels(twips); }

class TestFrmPopUp : public QObject {
    Q_OBJECT

    cheqora::test::FakeUiServices m_ui; // no test reaches the real desktop

private Q_SLOTS:
    void cleanup() { frmPopUp::unloadInstance(); }

    void closesAndLetsTheCallerContinue_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("closer"); // 0 none, 1 a click, 2 Escape
        QTest::newRow("by the timer") << 100 << 0;
        QTest::newRow("by a click") << 30000 << 1;
        QTest::newRow("by a click, no timer") << 0 << 1;
        QTest::newRow("by Escape") << 30000 << 2;
    }

    void closesAndLetsTheCallerContinue()
    {
        QFETCH(int, interval);
        QFETCH(int, closer);
        frmPopUp &p = frmPopUp::instance();
        bool modal = false, timerActive = false;
        QRect geometry;
        QTimer::singleShot(0, &p, [&] {
            modal = QApplication::activeModalWidget() == &p;
            timerActive = p.Timer1->isActive();
            geometry = QRect(p.pos(), p.size());
            if (closer == 1)
                QTest::mouseRelease(p.lblMessage, Qt::LeftButton);
            else if (closer == 2)
                QTest::keyClick(&p, Qt::Key_Escape);
        });
        // A pop-up that does not close would hang the test: this hides it, and the test fails.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, &p, &QWidget::hide);
        watchdog.start(60000);
        cheqora::PopUp(u"Report deleted."_s, 2000, 380, interval, 3000, 4500);
        // The caller continued because the pop-up closed; a timer left running would cut the next one short.
        QCOMPARE(std::tuple(watchdog.isActive(), modal, timerActive, p.lblMessage->text(), geometry, p.isVisible(),
                            p.Timer1->isActive()),
                 std::tuple(true, true, interval > 0, u"Report deleted."_s, QRect(px(4500), px(3000), px(2000), px(380)),
                            false, false));
    }
};

CHEQORA_TEST_GUI_MAIN(TestFrmPopUp)
#include "tst_frmpopup.moc"
