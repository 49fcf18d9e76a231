#include "formfixture.h"
#include "qtuiservices.h"

#include <QMessageBox>

using namespace cheqora;
using namespace cheqora::test;

// Save state with its restore at the next start, View, Delete, Help and the two link labels: the
// window's controls wired to their modules. What those modules write, show and refuse is their own
// tests' business.
class TestCommandsWindow : public QObject {
    Q_OBJECT

    FormFixture f;
    QString m_report;

    static QString stateFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vantorel/chqr.usr"); }

    // The window with a report named in its field, View and Delete enabled by a tick.
    void startWithReport()
    {
        QVERIFY(f.start());
        m_report = f.path(QStringLiteral("report.txt"));
        QVERIFY(writeBytes(m_report, "File added: /b/x\r\n"));
        f.box("txbFile", 3)->setText(m_report);
        f.form->Timer1_Timer();
    }

private slots:
    void cleanup()
    {
        f.stop();
        QFile::remove(stateFile());
    }

    void saveThenRestartRestoresEveryField()
    {
        QTemporaryDir data;
        const QString file1 = data.filePath(QStringLiteral("one.bin")), file2 = data.filePath(QStringLiteral("two.bin"));
        QVERIFY(writeBytes(file1, "abc") && writeBytes(file2, "abd"));
        QVERIFY(writeBytes(data.filePath(QStringLiteral("report.txt")), "report"));

        QVERIFY(f.start());
        QCOMPARE(f.form->strStateFile, stateFile());
        // Every field away from its default; folders that do not exist leave the subfolder box alone.
        f.box("txbFile", 0)->setText(file1);
        f.box("txbFile", 1)->setText(file2);
        f.box("txbFile", 3)->setText(data.filePath(QStringLiteral("report.txt")));
        f.box("txbFolder", 0)->setText(data.filePath(QStringLiteral("old")));
        f.box("txbFolder", 1)->setText(data.filePath(QStringLiteral("new")));
        f.box("txbExtension", 1)->setText(QStringLiteral("txt"));
        f.box("txbSkipSizeInMB", 1)->setText(QStringLiteral("5"));
        f.box("txbSuspendIfNumLines")->setText(QStringLiteral("250"));
        for (QCheckBox *box : f.form->findChildren<QCheckBox *>())
            box->setChecked(!box->isChecked());
        f.form->Timer1_Timer(); // validates the skip size as the window does each second
        const QString saved = f.fields();
        QVERIFY(saved.endsWith(QStringLiteral(" MB=5")));

        QString seen;
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdSave"), Qt::LeftButton);
        QCOMPARE(f.boxes() + seen, kText50);

        // A new run of the program: defaults first, then the saved state, the files with their digests.
        FormFixture g;
        QVERIFY(g.start());
        QCOMPARE(g.fields(), saved);
        QCOMPARE(g.label("lblDigitalSignature", 0)->text() + u'|' + g.label("lblFileComparisonResult")->text(),
                 QStringLiteral("900150983CD24FB0D6963F7D28E17F72|") + kText56);
    }

    // The state file's error reaches a box; the fields stay as they were.
    void unwritableStateFolderIsReported()
    {
        QVERIFY(f.start());
        // The configuration folder is a file: the state's folder cannot be made there.
        const QString blocker = f.path(QStringLiteral("config"));
        QVERIFY(writeBytes(blocker, "x"));
        f.form->strStateFile = blocker + QStringLiteral("/Vantorel/chqr.usr");
        f.box("txbFolder", 0)->setText(QStringLiteral("/kept"));
        QTest::mouseClick(f.button("cmdSave"), Qt::LeftButton);
        QVERIFY(!frmPopUp::existingInstance());
        QCOMPARE(f.boxes(), QStringLiteral("Save state|") + kText51 + QStringLiteral(" Path not found|3|0"));
        QCOMPARE(f.box("txbFolder", 0)->text(), QStringLiteral("/kept"));
    }

    // View, Delete and Help reach their modules with the window's paths and catalogue.
    void viewDeleteAndHelp()
    {
        startWithReport();
        QTest::mouseClick(f.button("cmdView", 1), Qt::LeftButton);
        QVERIFY(f.fake->boxes.isEmpty() && viewerShown());
        QCOMPARE(frmView::instance().windowTitle(), m_report);
        frmView::unloadInstance();
        QString seen;
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdDelete", 1), Qt::LeftButton);
        QCOMPARE(f.boxes() + seen, kText48);
        QVERIFY(!QFile::exists(m_report) && f.box("txbFile", 3)->text().isEmpty());
        QVERIFY(writeBytes(f.path(QStringLiteral("chqr_help.txt")), "How to use Cheqora\r\n"));
        QTest::mouseClick(f.button("cmdHelp"), Qt::LeftButton);
        QCOMPARE(frmView::instance().strViewFile, f.path(QStringLiteral("chqr_help.txt")));
    }

    // The desktop's message boxes show their text as it stands: a file name that looks like markup
    // is not drawn as markup.
    void messageBoxesShowPlainText()
    {
        platform::QtUiServices desktop;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&format] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                    format = box->textFormat();
                    box->accept();
                }
            }
        });
        desktop.messageBox(nullptr, QStringLiteral("Overwrite file /r/<s>x</s>.txt?"), platform::MsgButtons::Ok,
                           platform::MsgIcon::None, QStringLiteral("Compare folders"));
        QCOMPARE(format, Qt::PlainText);
    }

    // The maker's address comes from the catalogue and goes out secured.
    void linkLabelsOpenTheirAddresses()
    {
        QVERIFY(f.start());
        QTest::mouseClick(f.label("lblVantorel"), Qt::LeftButton);
        QTest::mouseClick(f.label("lblOnlineDocumentation"), Qt::LeftButton);
        QCOMPARE(f.fake->openedTargets,
                 QStringList({QStringLiteral("https://www.vantorel.test/"), f.form->strManualURL}));
        QVERIFY(f.fake->boxes.isEmpty());
    }
};

CHEQORA_TEST_GUI_MAIN(TestCommandsWindow)
#include "tst_commandswindow.moc"
