#include "formfixture.h"
#include "frmpopup.h"
#include "frmview.h"
#include "testmain.h"

using namespace cheqora;
using namespace cheqora::test;

namespace {

const QString kText48 = QStringLiteral("Report deleted.");

void addActionTexts(frmMain &form)
{
    writeFile(form.strProgramFolder + QStringLiteral("/chqr.dat"),
              testCatalogue() + "14=HTTP://www.vantorel.test/\n48=" + kText48.toUtf8() + '\n');
}

bool viewerShown()
{
    return frmView::existingInstance() && frmView::existingInstance()->isVisible();
}

} // namespace

// View, Delete and Help, and the two link labels, from the window's controls to their actions.
class TestActionsWindow : public QObject {
    Q_OBJECT

    FormFixture f;

private slots:
    void init() { QVERIFY(f.start(addActionTexts)); }

    void cleanup()
    {
        frmView::unloadInstance();
        frmPopUp::unloadInstance();
        f.stop();
    }

    void viewShowsTheReportNamedInTheField()
    {
        const QString report = f.path(QStringLiteral("report.txt"));
        QVERIFY(writeFile(report, "1st folder: /a/\r\nFile added: /b/x\r\n"));
        f.box("txbFile", 3)->setText(report);
        f.form->Timer1_Timer();
        QTest::mouseClick(f.button("cmdView", 1), Qt::LeftButton);
        QVERIFY(f.fake->boxes.isEmpty());
        QVERIFY(viewerShown());
        frmView &view = frmView::instance();
        QCOMPARE(view.windowTitle(), report);
        QTRY_VERIFY(view.blnViewLoaded);
        QCOMPARE(view.Text(), QStringLiteral("1st folder: /a/\r\nFile added: /b/x\r\n"));
    }

    void deleteRemovesTheReportAndConfirms()
    {
        const QString report = f.path(QStringLiteral("report.txt"));
        QVERIFY(writeFile(report, "report"));
        f.box("txbFile", 3)->setText(report);
        f.form->Timer1_Timer();
        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (frmPopUp *popUp = frmPopUp::existingInstance(); popUp && popUp->isVisible()) {
                shown = popUp->lblMessage->text();
                popUp->lblMessage_MouseUp();
            }
        });
        QTest::mouseClick(f.button("cmdDelete", 1), Qt::LeftButton);
        QCOMPARE(shown, kText48);
        QVERIFY(!QFile::exists(report));
        QCOMPARE(f.box("txbFile", 3)->text(), QString());
        QVERIFY(f.fake->boxes.isEmpty());
    }

    void helpShowsTheHelpFileBesideTheProgram()
    {
        QVERIFY(writeFile(f.path(QStringLiteral("chqr_help.txt")), "How to use Cheqora\r\n"));
        QTest::mouseClick(f.button("cmdHelp"), Qt::LeftButton);
        QVERIFY(viewerShown());
        frmView &view = frmView::instance();
        QCOMPARE(view.windowTitle(), QStringLiteral("Help for CHQR"));
        QCOMPARE(view.strViewFile, f.path(QStringLiteral("chqr_help.txt")));
        QTRY_VERIFY(view.blnViewLoaded);
        QCOMPARE(view.Text(), QStringLiteral("How to use Cheqora\r\n"));
    }

    void linkLabelsOpenTheirAddresses()
    {
        QTest::mouseClick(f.label("lblVantorel"), Qt::LeftButton);
        QTest::mouseClick(f.label("lblOnlineDocumentation"), Qt::LeftButton);
        QCOMPARE(f.fake->openedTargets,
                 QStringList({QStringLiteral("https://www.vantorel.test/"), f.form->strManualURL}));
        QVERIFY(f.fake->boxes.isEmpty());
    }
};

CHEQORA_TEST_GUI_MAIN(TestActionsWindow)
#include "tst_actionswindow.moc"
