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

private slots:
    void cleanup() { f.stop(); }

    void startWithoutCatalogueShowsWhyAndDoesNotStart()
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
        QCOMPARE(fake.boxes.first().title, QString());
        QVERIFY(!form.isVisible());
        QVERIFY(!form.blnStartupCompleted);
        QVERIFY(!ctl<QTimer>(form, "Timer1")->isActive());
    }

    void startWithBrokenCatalogueShowsWhy_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("File is empty.");
        QTest::newRow("missing text") << QByteArray("55=Same\n56\n") << QStringLiteral("Missing string at line 2.");
        QTest::newRow("duplicate") << QByteArray("55=Same\n55=Again\n")
                                   << QStringLiteral("Duplicate in program text at line 2.");
    }

    void startWithBrokenCatalogueShowsWhy()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("chqr.dat")), content));
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = dir.path();
        QVERIFY(!form.Form_Load());
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes.first().text, message);
        QVERIFY(!form.isVisible());
    }

    void startWithShippedCatalogue()
    {
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = QStringLiteral(CHEQORA_BIN_DIR);
        QVERIFY(form.Form_Load());
        QVERIFY(fake.boxes.isEmpty());
        QVERIFY(form.isVisible());
        QVERIFY(form.blnStartupCompleted);
        QCOMPARE(form.strProgramTextFile, QStringLiteral("chqr.dat"));
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("Cheqora ") + VersionText(CHEQORA_VERSION_MAJOR, CHEQORA_VERSION_MINOR));
        QCOMPARE(form.strProgramShortName, QStringLiteral("CHQR"));
        QTimer *timer = ctl<QTimer>(form, "Timer1");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(!ctl<QPushButton>(form, "cmdStop")->isVisible());
        QVERIFY(!ctl<QLabel>(form, "lblInfo")->isVisible());
        QCOMPARE(form.focusWidget(), ctl<QPushButton>(form, "cmdGetFileLocation", 0));
    }

    void startupAppliesTheDefaults()
    {
        QVERIFY(f.start());
        const std::pair<const char *, int> boxes[] = {{"txbFile", 0},   {"txbFile", 1},      {"txbFile", 3},
                                                      {"txbFolder", 0}, {"txbFolder", 1},    {"txbExtension", 1},
                                                      {"txbSkipSizeInMB", 1}};
        for (const auto &[name, index] : boxes)
            QVERIFY2(f.box(name, index)->text().isEmpty(), name);
        QCOMPARE(f.box("txbSuspendIfNumLines")->text(), QStringLiteral("100"));
        QVERIFY(f.check("chkSuspendIfNumLines")->isChecked());
        QVERIFY(f.check("chkWarnOnOverwrite", 1)->isChecked());
        QVERIFY(!f.check("chkSkipFiles", 1)->isChecked());
        QVERIFY(!f.check("chkDoOnlyExtension", 1)->isChecked());
        QVERIFY(!f.check("chkIncludeSubfolders", 1)->isChecked());
        QCOMPARE(f.form->intSkipSizeMB[1], qint16(0));
        // Design captions do not survive the start.
        QCOMPARE(f.label("lblFileComparisonResult")->text(), QString());
        QCOMPARE(f.label("lblInfo")->text(), QString());
        QVERIFY(!f.label("lblNumLinesInReport")->isVisible());
        QCOMPARE(f.label("lblNumLinesInReport")->text(), QString());
    }

    void versionText()
    {
        QCOMPARE(VersionText(7, 2), QStringLiteral("7.24"));
        QCOMPARE(VersionText(1, 0), QStringLiteral("1.04"));
        QCOMPARE(VersionText(10, 12), QStringLiteral("10.124"));
    }

    void stateFileLivesInTheConfigurationFolder()
    {
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY(!config.isEmpty());
        QVERIFY(f.start());
        QCOMPARE(f.form->strStateFile, config + QStringLiteral("/Vantorel/chqr.usr"));
        QVERIFY(QFileInfo(config + QStringLiteral("/Vantorel")).isDir());
    }

    void appDataFilePathReportsAFolderItCannotCreate()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("file"));
        QVERIFY(writeFile(blocker, "x"));
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", blocker.toUtf8());
        platform::FileError err;
        const QString path = AppDataFilePath(QStringLiteral("chqr.usr"), QStringLiteral("Vantorel"), err);
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(path, blocker + QStringLiteral("/Vantorel/chqr.usr"));
        QVERIFY(err.isSet());
    }

    // The window's own preparation comes first, then the defaults, then the saved state.
    void startupHooksRunAtTheirSteps()
    {
        QTemporaryDir files;
        const QString file = files.filePath(QStringLiteral("a.bin"));
        QVERIFY(writeFile(file, "abc"));
        QStringList order;
        QVERIFY(f.start([&](frmMain &form) {
            form.hooks.PrepareWindow = [&] {
                order << QStringLiteral("prepare");
                ctl<QLineEdit>(form, "txbFolder", 0)->setText(QStringLiteral("overwritten by the defaults"));
            };
            form.hooks.LoadState = [&] {
                order << QStringLiteral("load");
                QVERIFY(!form.isVisible());
                QCOMPARE(ctl<QLineEdit>(form, "txbSuspendIfNumLines")->text(), QStringLiteral("100"));
                ctl<QLineEdit>(form, "txbFile", 0)->setText(file);
                ctl<QLineEdit>(form, "txbFile", 1)->setText(files.filePath(QStringLiteral("gone.bin")));
                ctl<QLabel>(form, "lblDigitalSignature", 1)->setText(QStringLiteral("stale"));
                ctl<QLineEdit>(form, "txbFolder", 1)->setText(QStringLiteral("/kept"));
            };
        }));
        QCOMPARE(order, QStringList({QStringLiteral("prepare"), QStringLiteral("load")}));
        QCOMPARE(f.box("txbFolder", 0)->text(), QString());
        QCOMPARE(f.box("txbFolder", 1)->text(), QStringLiteral("/kept"));
        // A restored file that exists is shown; one that does not is cleared.
        QCOMPARE(f.label("lblDigitalSignature", 0)->text(), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        QVERIFY(f.label("lblSizeDateTime", 0)->text().startsWith(QStringLiteral("3 bytes  ")));
        QCOMPARE(f.box("txbFile", 1)->text(), QString());
        QCOMPARE(f.label("lblDigitalSignature", 1)->text(), QString());
        QCOMPARE(f.label("lblFileComparisonResult")->text(), QString());
    }

    void restoredEqualFilesAreCompared()
    {
        QTemporaryDir files;
        QVERIFY(writeFile(files.filePath(QStringLiteral("a")), "same"));
        QVERIFY(writeFile(files.filePath(QStringLiteral("b")), "same"));
        QVERIFY(f.start([&](frmMain &form) {
            form.hooks.LoadState = [&] {
                ctl<QLineEdit>(form, "txbFile", 0)->setText(files.filePath(QStringLiteral("a")));
                ctl<QLineEdit>(form, "txbFile", 1)->setText(files.filePath(QStringLiteral("b")));
            };
        }));
        QCOMPARE(f.label("lblFileComparisonResult")->text(), kText55);
    }

    // ---- Timer1 ----

    void tickTrimsPathsAndEmptiesRowsWithoutPath()
    {
        QVERIFY(f.start());
        f.box("txbFile", 0)->setText(QStringLiteral("  /some/path  "));
        f.label("lblDigitalSignature", 0)->setText(QStringLiteral("digest 0"));
        f.label("lblSizeDateTime", 0)->setText(QStringLiteral("size 0"));
        f.box("txbFile", 1)->setText(QStringLiteral("   "));
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("digest 1"));
        f.label("lblSizeDateTime", 1)->setText(QStringLiteral("size 1"));
        f.form->Timer1_Timer();
        QCOMPARE(f.box("txbFile", 0)->text(), QStringLiteral("/some/path"));
        QCOMPARE(f.label("lblDigitalSignature", 0)->text(), QStringLiteral("digest 0"));
        QCOMPARE(f.label("lblSizeDateTime", 0)->text(), QStringLiteral("size 0"));
        QCOMPARE(f.box("txbFile", 1)->text(), QString());
        QCOMPARE(f.label("lblDigitalSignature", 1)->text(), QString());
        QCOMPARE(f.label("lblSizeDateTime", 1)->text(), QString());
    }

    void tickLeavesTheBlanksOfTheBoxBeingEdited()
    {
        QVERIFY(f.start());
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        QLineEdit *box = f.box("txbFile", 0);
        box->setFocus();
        QVERIFY(box->hasFocus());
        QTest::keyClicks(box, QStringLiteral("/tmp/My "));
        f.form->Timer1_Timer();
        QCOMPARE(box->text(), QStringLiteral("/tmp/My "));
        QTest::keyClicks(box, QStringLiteral("Files "));
        QCOMPARE(box->text(), QStringLiteral("/tmp/My Files "));
        f.button("cmdGetFileLocation", 0)->setFocus();
        f.form->Timer1_Timer();
        QCOMPARE(box->text(), QStringLiteral("/tmp/My Files"));
    }

    void tickEnablesCopyOfTheSecondRowOnly()
    {
        QVERIFY(f.start());
        QPushButton *copy0 = f.button("cmdCopy", 0);
        QPushButton *copy1 = f.button("cmdCopy", 1);
        f.box("txbFile", 0)->setText(QStringLiteral("/x"));
        f.box("txbFile", 1)->setText(QStringLiteral("/y"));
        copy0->setEnabled(false);
        f.label("lblDigitalSignature", 0)->setText(QStringLiteral("D0"));
        f.form->Timer1_Timer();
        QVERIFY(!copy0->isEnabled());
        QVERIFY(!copy1->isEnabled());
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("D1"));
        copy0->setEnabled(true);
        f.label("lblDigitalSignature", 0)->setText(QString());
        f.form->Timer1_Timer();
        QVERIFY(copy1->isEnabled());
        QVERIFY(copy0->isEnabled());
    }

    void tickEnablesReportAndClearButtonsByTheirBoxes()
    {
        QVERIFY(f.start());
        f.form->Timer1_Timer();
        for (const char *name : {"cmdView", "cmdDelete"})
            QVERIFY(!f.button(name, 1)->isEnabled());
        for (int i : {0, 1, 3})
            QVERIFY(!f.button("cmdClear", i)->isEnabled());

        f.box("txbFile", 3)->setText(QStringLiteral("/tmp/report.txt"));
        f.box("txbFile", 1)->setText(QStringLiteral("/tmp/b"));
        f.form->Timer1_Timer();
        QVERIFY(f.button("cmdView", 1)->isEnabled());
        QVERIFY(f.button("cmdDelete", 1)->isEnabled());
        QVERIFY(f.button("cmdClear", 3)->isEnabled());
        QVERIFY(f.button("cmdClear", 1)->isEnabled());
        QVERIFY(!f.button("cmdClear", 0)->isEnabled());

        f.box("txbFile", 3)->setText(QString());
        f.form->Timer1_Timer();
        QVERIFY(!f.button("cmdView", 1)->isEnabled());
        QVERIFY(!f.button("cmdDelete", 1)->isEnabled());
        QVERIFY(!f.button("cmdClear", 3)->isEnabled());
    }

    void tickExtensionRule()
    {
        QVERIFY(f.start());
        QLineEdit *ext = f.box("txbExtension", 1);
        QCheckBox *only = f.check("chkDoOnlyExtension", 1);
        ext->setText(QStringLiteral(" txt "));
        only->setChecked(true);
        f.form->Timer1_Timer();
        QCOMPARE(ext->text(), QStringLiteral("txt"));
        QVERIFY(only->isChecked());
        ext->setText(QStringLiteral("    "));
        f.form->Timer1_Timer();
        QCOMPARE(ext->text(), QString());
        QVERIFY(!only->isChecked());
    }

    void tickSubfolderRule_data()
    {
        QTest::addColumn<QString>("oldFolder");
        QTest::addColumn<QString>("newFolder");
        QTest::addColumn<bool>("checkedBefore");
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<bool>("enabledAfter");
        QTest::addColumn<bool>("checkedAfter");
        // Folder names are relative to a fixture: "leaf1" and "leaf2" have no subfolder, "tree" has one.
        QTest::newRow("both without subfolders") << "leaf1" << "leaf2" << true << true << false << false;
        QTest::newRow("old has a subfolder") << "tree" << "leaf2" << false << false << true << false;
        QTest::newRow("new has a subfolder, stays ticked") << "leaf1" << "tree" << true << true << true << true;
        QTest::newRow("old empty") << "" << "leaf2" << false << false << true << false;
        QTest::newRow("new missing") << "leaf1" << "missing" << false << false << true << false;
        QTest::newRow("both empty") << "" << "" << false << true << true << false;
    }

    void tickSubfolderRule()
    {
        QFETCH(QString, oldFolder);
        QFETCH(QString, newFolder);
        QFETCH(bool, checkedBefore);
        QFETCH(bool, enabledBefore);
        QFETCH(bool, enabledAfter);
        QFETCH(bool, checkedAfter);
        QTemporaryDir tree;
        QDir root(tree.path());
        QVERIFY(root.mkpath(QStringLiteral("leaf1")) && root.mkpath(QStringLiteral("leaf2"))
                && root.mkpath(QStringLiteral("tree/sub")));
        QVERIFY(writeFile(tree.filePath(QStringLiteral("leaf1/file")), "x"));
        const auto full = [&](const QString &name) { return name.isEmpty() ? name : tree.filePath(name); };

        QVERIFY(f.start());
        QCheckBox *sub = f.check("chkIncludeSubfolders", 1);
        f.box("txbFolder", 0)->setText(full(oldFolder));
        f.box("txbFolder", 1)->setText(full(newFolder));
        sub->setChecked(checkedBefore);
        sub->setEnabled(enabledBefore);
        f.form->Timer1_Timer();
        QCOMPARE(sub->isEnabled(), enabledAfter);
        QCOMPARE(sub->isChecked(), checkedAfter);
    }

    void subfolderCountReportsWhatCannotBeOpened()
    {
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkpath(QStringLiteral("a/b")));
        QString error = QStringLiteral("old");
        int number = 0;
        QCOMPARE(SubfolderCount(tree.filePath(QStringLiteral("a")), error, number), 1);
        QCOMPARE(error, QString());
        QCOMPARE(SubfolderCount(tree.filePath(QStringLiteral("nothing")), error, number), -1);
        QCOMPARE(number, int(platform::ErrPathNotFound));
        QVERIFY(!error.isEmpty());
    }

    void tickShowsLblInfoOnlyWithText()
    {
        QVERIFY(f.start());
        QLabel *info = f.label("lblInfo");
        info->setText(QStringLiteral("Comparison was stopped."));
        f.form->Timer1_Timer();
        QVERIFY(info->isVisible());
        info->setText(QString());
        f.form->Timer1_Timer();
        QVERIFY(!info->isVisible());
    }

    // ---- Stop and Quit ----

    void stopOnlyRaisesTheFlag()
    {
        QVERIFY(f.start());
        f.form->SetBusy(true);
        QVERIFY(!f.form->blnStop);
        QTest::mouseClick(f.button("cmdStop"), Qt::LeftButton);
        QVERIFY(f.form->blnStop);
        QVERIFY(f.form->isVisible());
        QVERIFY(!f.form->isQuitting());
    }

    void quitEndsAtOnce()
    {
        int quits = 0;
        QVERIFY(f.start([&](frmMain &form) { form.hooks.QuitApplication = [&] { ++quits; }; }));
        f.form->Timer1_Timer();
        QVERIFY(!f.button("cmdClear", 3)->isEnabled());
        f.timer()->start();
        QTest::mouseClick(f.button("cmdQuit"), Qt::LeftButton);
        QCOMPARE(quits, 1);
        QVERIFY(f.form->isQuitting());
        QVERIFY(f.form->blnStop);
        QVERIFY(!f.form->isVisible());
        QVERIFY(!f.timer()->isActive());
        // Nothing runs any more: no tick rule, no restart of the timer.
        f.box("txbFile", 3)->setText(QStringLiteral("/r"));
        f.form->Timer1_Timer();
        QVERIFY(!f.button("cmdClear", 3)->isEnabled());
        f.form->SetBusy(false);
        QVERIFY(!f.timer()->isActive());
        f.form->cmdQuit_Click();
        QCOMPARE(quits, 1);
    }

    void closeBoxQuits()
    {
        int quits = 0;
        QVERIFY(f.start([&](frmMain &form) { form.hooks.QuitApplication = [&] { ++quits; }; }));
        QVERIFY(f.form->close());
        QCOMPARE(quits, 1);
        QVERIFY(f.form->isQuitting());
        QVERIFY(!f.form->isVisible());
    }

    // A comparison yields to the window's events inside its click handler; Quit must reach it and
    // let it unwind without starting anything again.
    void quitDuringAComparisonLetsItUnwind()
    {
        int quits = 0;
        int passes = 0;
        bool sawStop = false;
        bool quitWasUsable = false;
        QVERIFY(f.start([&](frmMain &form) {
            form.hooks.QuitApplication = [&] { ++quits; };
            form.hooks.cmdCompareFolders_Click = [&](int) {
                form.SetBusy(true);
                while (!form.blnStop && passes < 50) {
                    ++passes;
                    platform::ui().processEvents();
                }
                sawStop = form.blnStop;
                form.SetBusy(false);
            };
        }));
        f.fake->onProcessEvents = [&] {
            if (f.fake->processEventsCalls == 3) {
                quitWasUsable = f.button("cmdQuit")->isEnabled();
                QTest::mouseClick(f.button("cmdQuit"), Qt::LeftButton);
            }
        };
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QVERIFY(quitWasUsable);
        QVERIFY(sawStop);
        QCOMPARE(passes, 3);
        QCOMPARE(quits, 1);
        QVERIFY(!f.timer()->isActive());
        QVERIFY(!f.form->isVisible());
    }
};

CHEQORA_TEST_GUI_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
