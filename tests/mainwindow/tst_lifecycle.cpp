#include "formfixture.h"
#include "testmain.h"

#include <QDir>
#include <QFileInfo>

using namespace cheqora;
using namespace cheqora::test;

// Start-up, the once-a-second refresh, Stop and Quit.
class TestLifecycle : public QObject {
    Q_OBJECT

    FormFixture f;

    QString row(int i) const
    {
        return f.box("txbFile", i)->text() + u'|' + f.label("lblDigitalSignature", i)->text() + u'|'
            + f.label("lblSizeDateTime", i)->text();
    }

private slots:
    void cleanup() { f.stop(); }

    void startWithoutCatalogueShowsWhyAndFails()
    {
        QTemporaryDir empty;
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = empty.path();
        QVERIFY(!form.Form_Load());
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes.first().text,
                 QStringLiteral("Cannot open file containing program text.\r\n") + empty.path() + QStringLiteral("/chqr.dat"));
        QCOMPARE(fake.boxes.first().icon, platform::MsgIcon::Critical);
        QVERIFY(!form.isVisible() && !form.blnStartupCompleted && !ctl<QTimer>(form, "Timer1")->isActive());
    }

    void startWithShippedCatalogue()
    {
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = QStringLiteral(CHEQORA_BIN_DIR);
        QVERIFY(form.Form_Load());
        QVERIFY(fake.boxes.isEmpty() && form.isVisible() && form.blnStartupCompleted);
        // The version is the major number, ".", the minor number and the digit 4.
        QCOMPARE(form.windowTitle(), QStringLiteral("Cheqora ") + QString::number(CHEQORA_VERSION_MAJOR) + u'.'
                                         + QString::number(CHEQORA_VERSION_MINOR) + u'4');
        QVERIFY(ctl<QTimer>(form, "Timer1")->isActive());
        QCOMPARE(ctl<QTimer>(form, "Timer1")->interval(), 1000);
        QVERIFY(!ctl<QPushButton>(form, "cmdStop")->isVisible() && !ctl<QLabel>(form, "lblInfo")->isVisible());
        QCOMPARE(form.focusWidget(), ctl<QPushButton>(form, "cmdGetFileLocation", 0));
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vantorel");
        QCOMPARE(form.strStateFile, folder + QStringLiteral("/chqr.usr"));
        QVERIFY(QFileInfo(folder).isDir());
    }

    // ---- Timer1 ----

    void tickTrimsPathsAndEmptiesRowsWithoutPath()
    {
        QVERIFY(f.start());
        f.box("txbFile", 0)->setText(QStringLiteral("  /some/path  "));
        f.box("txbFile", 1)->setText(QStringLiteral("   "));
        for (const char *name : {"lblDigitalSignature_0", "lblSizeDateTime_0", "lblDigitalSignature_1", "lblSizeDateTime_1"})
            f.label(name)->setText(QStringLiteral("x"));
        f.box("txbExtension", 1)->setText(QStringLiteral(" txt "));
        f.check("chkDoOnlyExtension", 1)->setChecked(true);
        f.form->Timer1_Timer();
        QCOMPARE(row(0) + u' ' + row(1), QStringLiteral("/some/path|x|x ||"));
        QCOMPARE(f.box("txbExtension", 1)->text(), QStringLiteral("txt"));
        QVERIFY(f.check("chkDoOnlyExtension", 1)->isChecked());
        f.box("txbExtension", 1)->setText(QStringLiteral("    "));
        f.form->Timer1_Timer();
        QCOMPARE(f.box("txbExtension", 1)->text(), QString());
        QVERIFY(!f.check("chkDoOnlyExtension", 1)->isChecked());
    }

    // Trimming under the caret would swallow the blank just typed inside a path.
    void tickLeavesTheBlanksOfTheBoxBeingEdited()
    {
        QVERIFY(f.start());
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        f.box("txbFile", 0)->setFocus();
        QTest::keyClicks(f.box("txbFile", 0), QStringLiteral("/tmp/My "));
        f.form->Timer1_Timer();
        QTest::keyClicks(f.box("txbFile", 0), QStringLiteral("Files "));
        f.button("cmdGetFileLocation", 0)->setFocus();
        f.form->Timer1_Timer();
        QCOMPARE(f.box("txbFile", 0)->text(), QStringLiteral("/tmp/My Files"));
    }

    // Copy of the second row follows its digest (the first row's is left alone); View, Delete and
    // Clear follow their boxes.
    void tickEnablesButtonsByTheirFields()
    {
        QVERIFY(f.start());
        const auto enabled = [this] {
            QStringList names = QStringLiteral("cmdCopy_0 cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3").split(u' ');
            names.removeIf([this](const QString &name) { return !f.button(qPrintable(name))->isEnabled(); });
            return names.join(u' ');
        };
        f.box("txbFile", 0)->setText(QStringLiteral("/x"));
        f.label("lblDigitalSignature", 0)->setText(QStringLiteral("D0"));
        f.button("cmdCopy", 0)->setEnabled(false);
        f.form->Timer1_Timer();
        QCOMPARE(enabled(), QStringLiteral("cmdClear_0"));
        f.box("txbFile", 1)->setText(QStringLiteral("/y"));
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("D1"));
        f.box("txbFile", 3)->setText(QStringLiteral("/r"));
        f.form->Timer1_Timer();
        QCOMPARE(enabled(), QStringLiteral("cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3"));
    }

    // The box is unticked and disabled only when both folders can be counted and have no subfolder.
    void tickSubfolderRule()
    {
        QVERIFY(f.start());
        for (const char *folder : {"leaf1", "leaf2", "tree/sub"})
            QVERIFY(QDir(f.dir->path()).mkpath(QString::fromLatin1(folder)));
        QCheckBox *sub = f.check("chkIncludeSubfolders", 1);
        const auto tick = [&](const char *oldFolder, const char *newFolder) {
            for (int i : {0, 1}) {
                const QString name = QString::fromLatin1(i ? newFolder : oldFolder);
                f.box("txbFolder", i)->setText(name.isEmpty() ? name : f.path(name));
            }
            f.form->Timer1_Timer();
            return QString::number(sub->isChecked()) + QStringLiteral(" ticked, ") + QString::number(sub->isEnabled())
                + QStringLiteral(" enabled");
        };
        sub->setChecked(true);
        QCOMPARE(tick("leaf1", "leaf2"), QStringLiteral("0 ticked, 0 enabled"));
        QCOMPARE(tick("tree", "leaf2"), QStringLiteral("0 ticked, 1 enabled"));
        sub->setChecked(true);
        QCOMPARE(tick("leaf1", "tree"), QStringLiteral("1 ticked, 1 enabled"));
        for (const auto &[oldFolder, newFolder] : {std::pair("leaf1", "missing"), std::pair("", "leaf2"), std::pair("", "")}) {
            sub->setEnabled(false);
            QCOMPARE(tick(oldFolder, newFolder), QStringLiteral("1 ticked, 1 enabled"));
        }
    }

    // ---- Stop and Quit ----

    // A comparison yields to the window's events inside its click handler: Stop, Quit and the close
    // box must reach it there (a disabled button would not). Stop ends the run only; after Quit
    // nothing runs any more: no tick rule, no restart of the timer, no second quit.
    void stopOrQuitDuringAComparison_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("after");
        const QString quit = QStringLiteral("quits=1 stop=1 quitting=1 visible=0 timer=0 clear=");
        QTest::newRow("Stop") << QByteArray("cmdStop") << QStringLiteral("quits=0 stop=1 quitting=0 visible=1 timer=1 clear=1 / ") + quit + u'0';
        QTest::newRow("Quit") << QByteArray("cmdQuit") << quit + QStringLiteral("1 / ") + quit + u'1';
        QTest::newRow("close box") << QByteArray() << quit + QStringLiteral("1 / ") + quit + u'1';
    }

    void stopOrQuitDuringAComparison()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, after);
        int quits = 0;
        int passes = 0;
        QVERIFY(f.start([&](frmMain &form) {
            form.hooks.QuitApplication = [&] { ++quits; };
            form.hooks.cmdCompareFolders_Click = [&](int) {
                form.SetBusy(true);
                while (!form.blnStop && passes < 50) {
                    ++passes;
                    platform::ui().processEvents();
                }
                form.SetBusy(false);
            };
        }));
        f.fake->onProcessEvents = [&] {
            if (f.fake->processEventsCalls == 3)
                button.isEmpty() ? void(f.form->close()) : QTest::mouseClick(f.button(button.constData()), Qt::LeftButton);
        };
        // Clear of the empty report box is enabled by the end of the run and disabled by any tick.
        const auto state = [&] {
            return QStringLiteral("quits=%1 stop=%2 quitting=%3 visible=%4 timer=%5 clear=%6").arg(quits).arg(f.form->blnStop)
                .arg(f.form->isQuitting()).arg(f.form->isVisible()).arg(f.timer()->isActive()).arg(f.button("cmdClear", 3)->isEnabled());
        };
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(passes, 3);
        const QString during = state();
        f.form->Timer1_Timer();
        f.form->cmdQuit_Click();
        QCOMPARE(during + QStringLiteral(" / ") + state(), after);
    }
};

CHEQORA_TEST_GUI_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
