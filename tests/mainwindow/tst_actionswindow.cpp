#include "formfixture.h"

using namespace cheqora;
using namespace cheqora::test;

// View, Delete and Help, and the two link labels, from the window's controls to their actions. What
// the actions show and refuse is the report actions' tests' business.
class TestActionsWindow : public QObject {
    Q_OBJECT

    FormFixture f;
    QString m_report;

private slots:
    void init()
    {
        QVERIFY(f.start());
        m_report = f.path(QStringLiteral("report.txt"));
        QVERIFY(writeBytes(m_report, "File added: /b/x\r\n"));
        f.box("txbFile", 3)->setText(m_report);
        f.form->Timer1_Timer(); // enables View and Delete
    }

    void cleanup() { f.stop(); }

    void viewShowsTheReportNamedInTheField()
    {
        QTest::mouseClick(f.button("cmdView", 1), Qt::LeftButton);
        QVERIFY(f.fake->boxes.isEmpty() && viewerShown());
        QCOMPARE(frmView::instance().windowTitle(), m_report);
        QTRY_COMPARE(frmView::instance().Text(), QStringLiteral("File added: /b/x\r\n"));
    }

    // The window's catalogue gives the confirmation, and the field is emptied.
    void deleteRemovesTheReportAndConfirms()
    {
        PopUpSeen seen;
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdDelete", 1), Qt::LeftButton);
        QCOMPARE(f.boxes() + seen.text, kText48);
        QVERIFY(!QFile::exists(m_report));
        QCOMPARE(f.box("txbFile", 3)->text(), QString());
    }

    void helpShowsTheHelpFileBesideTheProgram()
    {
        QVERIFY(writeBytes(f.path(QStringLiteral("chqr_help.txt")), "How to use Cheqora\r\n"));
        QTest::mouseClick(f.button("cmdHelp"), Qt::LeftButton);
        QVERIFY(viewerShown());
        QCOMPARE(frmView::instance().strViewFile, f.path(QStringLiteral("chqr_help.txt")));
    }

    // The maker's address comes from the catalogue and goes out secured.
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
