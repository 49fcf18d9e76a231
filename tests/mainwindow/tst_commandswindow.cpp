#include "formfixture.h"
#include "qtuiservices.h"

#include <QMessageBox>

using namespace cheqora;
using namespace cheqora::test;

// The window's commands wired to their modules: the compare buttons (the engine run with the window's
// fields, its messages as boxes, the busy window answering Stop and Quit, the report in the viewer),
// Save state with its restore at the next start, View, Delete, Help and the two link labels. What the
// modules write, show and refuse is their own tests' business; here it only has to reach the window.
class TestCommandsWindow : public QObject {
    Q_OBJECT

    FormFixture f;
    QString m_old, m_new, m_report;

    // The window, its comparison letting events through at every chance so that a test can act at a
    // chosen point of a walk, and two folders named in its fields: a.txt the same in both, or
    // modified and b.txt added.
    void start(bool identical = false, const std::function<void(frmMain &)> &prepare = {})
    {
        QVERIFY(f.start(prepare));
        f.form->intEventIntervalMs = 0;
        m_old = f.path(QStringLiteral("old"));
        m_new = f.path(QStringLiteral("new"));
        m_report = f.path(QStringLiteral("report.txt"));
        QVERIFY(QDir().mkpath(m_old) && QDir().mkpath(m_new));
        QVERIFY(writeBytes(m_old + QStringLiteral("/a.txt"), "one"));
        QVERIFY(writeBytes(m_new + QStringLiteral("/a.txt"), identical ? "one" : "two"));
        QVERIFY(identical || writeBytes(m_new + QStringLiteral("/b.txt"), "new"));
        f.box("txbFolder", 0)->setText(m_old);
        f.box("txbFolder", 1)->setText(m_new);
        f.box("txbFile", 3)->setText(m_report);
    }

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

    void verifyIdle()
    {
        QVERIFY(!f.form->isComparing() && !f.form->blnStop);
        QVERIFY(!f.button("cmdStop")->isVisible() && f.button("cmdCompareFolders", 0)->isEnabled());
    }

private slots:
    void cleanup()
    {
        f.stop();
        QFile::remove(stateFile());
    }

    // Each field and the subfolder box reach the engine: a row leaves the later fields bad too, so
    // only the first check speaks, in a box of the engine's title and icon.
    void checksReachTheirBox_data()
    {
        QTest::addColumn<QString>("folder1");
        QTest::addColumn<QString>("folder2");
        QTest::addColumn<QString>("report");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QString>("message");
        QTest::newRow("1st folder") << "   " << "" << "" << false << "1st folder not specified.|3";
        // "@" stands for the 1st folder of start(), which exists: nesting is decided on real folders.
        QTest::newRow("nested") << "@/sub" << "@" << "" << true
                                << "@/sub is contained in @.\n\nWhen files are included in subfolders "
                                   "recursively\none folder cannot be a subfolder the other folder.|4";
        QTest::newRow("report") << "/d/a/sub" << "/d/a" << "  " << false << "Report file not specified.|3";
    }

    void checksReachTheirBox()
    {
        QFETCH(QString, folder1);
        QFETCH(QString, folder2);
        QFETCH(QString, report);
        QFETCH(bool, recursive);
        QFETCH(QString, message);
        start();
        QVERIFY(QDir().mkpath(m_old + QStringLiteral("/sub")));
        f.box("txbFolder", 0)->setText(folder1.replace(u'@', m_old));
        f.box("txbFolder", 1)->setText(folder2.replace(u'@', m_old));
        f.box("txbFile", 3)->setText(report);
        f.check("chkIncludeSubfolders", 1)->setChecked(recursive);
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(f.boxes(), QStringLiteral("Compare folders|") + message.replace(u'@', m_old) + QStringLiteral("|0"));
    }

    // Answered No, the question keeps the report; answered Yes, it is replaced and shown.
    void overwriteQuestionIsAnswered()
    {
        start();
        QVERIFY(writeBytes(m_report, "kept"));
        f.fake->boxAnswers << platform::MsgAnswer::No << platform::MsgAnswer::Yes;
        const QString question = QStringLiteral("Compare folders|Overwrite file %1?|0|1").arg(m_report);
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(f.boxes(), question);
        QVERIFY(readBytes(m_report) == "kept" && !viewerShown());
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(f.boxes(), question + u'\n' + question);
        QVERIFY(readBytes(m_report).startsWith("1st folder: ") && viewerShown());
        verifyIdle();
    }

    // The viewer opens exactly when the comparison found something, titled with the report's path;
    // the trimmed fields are written back and the caption reaches lblInfo.
    void viewerShowsWhatWasFound_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("identical");
        QTest::addColumn<QString>("caption");
        QTest::newRow("changes") << 0 << false << "In 2nd folder, compared to 1st folder:   Files modified: 1   "
                                                  "Files added: 1   Files removed: 0";
        QTest::newRow("no changes") << 0 << true << "No files were changed, added or removed.";
        QTest::newRow("duplicates") << 2 << true << "Number of duplicate (identical) files: 1";
    }

    void viewerShowsWhatWasFound()
    {
        QFETCH(int, button);
        QFETCH(bool, identical);
        QFETCH(QString, caption);
        start(identical);
        f.box("txbFolder", 0)->setText(u' ' + m_old + u' ');
        f.box("txbFolder", 1)->setText(m_new + QStringLiteral("  "));
        f.box("txbFile", 3)->setText(QStringLiteral(" ") + m_report);
        QTest::mouseClick(f.button("cmdCompareFolders", button), Qt::LeftButton);
        QCOMPARE(f.boxes(), QString());
        QCOMPARE(QStringList({f.box("txbFolder", 0)->text(), f.box("txbFolder", 1)->text(), f.box("txbFile", 3)->text(),
                              f.label("lblInfo")->text()}),
                 QStringList({m_old, m_new, m_report, caption}));
        QVERIFY(f.label("lblInfo")->isVisible() && !holdsOpen(m_report));
        verifyIdle();
        const bool found = (button == 0) != identical;
        QCOMPARE(viewerShown(), found);
        QVERIFY(!found || frmView::instance().windowTitle() == m_report);
    }

    // Stop (or Esc) or Quit (its button, the close box, Ctrl+Q) while busy, in the first walk or, once
    // the report has its first entry, in the second: the run unwinds and the report is closed. Stopped before the
    // report was opened, an earlier report stays untouched and the status line says so; later, the
    // report keeps what was written, without a summary. Nothing is shown. While busy the focus is on
    // Stop, after a stop back on the button that started the run. Quit closes every window (the viewer
    // of an earlier comparison included), asks the program to end once, and a later click starts nothing.
    void interruptedRun_data()
    {
        QTest::addColumn<bool>("secondWalk");
        QTest::addColumn<QString>("how");
        QTest::newRow("Stop, first walk") << false << "Stop";
        QTest::newRow("Stop, second walk") << true << "Stop";
        QTest::newRow("Esc, second walk") << true << "Esc";
        QTest::newRow("Quit") << true << "Quit";
        QTest::newRow("close box") << true << "close";
        QTest::newRow("Ctrl+Q") << true << "Ctrl+Q";
    }

    void interruptedRun()
    {
        QFETCH(bool, secondWalk);
        QFETCH(QString, how);
        const bool quit = how != QStringLiteral("Stop") && how != QStringLiteral("Esc");
        int quits = 0;
        start(false, [&](frmMain &form) { form.QuitApplication = [&] { ++quits; }; });
        f.check("chkWarnOnOverwrite", 1)->setChecked(false);
        if (quit) {
            QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
            QVERIFY(viewerShown());
        }
        QVERIFY(writeBytes(m_report, "previous") && setModified(m_report, utc(2021, 3, 4, 5, 6, 7)));
        f.label("lblNumLinesInReport")->clear();
        bool stopUsable = false;
        f.fake->onProcessEvents = [&] {
            const bool entryWritten = !f.label("lblNumLinesInReport")->text().isEmpty();
            if (!f.form->isComparing() || f.form->blnStop || f.form->isQuitting() || entryWritten != secondWalk)
                return;
            stopUsable = f.button("cmdStop")->isVisible() && f.button("cmdStop")->isEnabled()
                && !f.button("cmdCompareFolders", 0)->isEnabled() && f.form->focusWidget() == f.button("cmdStop");
            if (how == QStringLiteral("Stop") || how == QStringLiteral("Quit"))
                QTest::mouseClick(f.button(how == QStringLiteral("Stop") ? "cmdStop" : "cmdQuit"), Qt::LeftButton);
            else if (how == QStringLiteral("Esc"))
                QTest::keyClick(f.button("cmdStop"), Qt::Key_Escape);
            else if (how == QStringLiteral("close"))
                f.form->close();
            else
                QTest::keyClick(f.box("txbFolder", 0), Qt::Key_Q, Qt::ControlModifier);
        };
        f.button("cmdCompareFolders", 2)->setFocus();
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QVERIFY(stopUsable && !f.form->isComparing() && !holdsOpen(m_report) && !viewerShown());
        const QByteArray written = readBytes(m_report);
        QCOMPARE(written == "previous", !secondWalk);
        QVERIFY(!written.contains("Files removed: ") && (!secondWalk || written.startsWith("1st folder: ")));
        if (quit) {
            QCOMPARE(quits, 1);
            QVERIFY(f.form->isQuitting() && !f.form->isVisible() && !f.timer()->isActive());
            f.form->cmdCompareFolders_Click(0);
            QCOMPARE(readBytes(m_report), written);
            return;
        }
        QCOMPARE(f.form->focusWidget(), f.button("cmdCompareFolders", 0));
        QCOMPARE(f.label("lblInfo")->text(), QStringLiteral("Comparison was stopped.")
                     + (secondWalk ? QString() : QStringLiteral(" The report file is from an earlier comparison.")));
        verifyIdle();
    }

    // A line limit left by clicking a compare button is checked after the focus change: a valid one
    // lets the click run the comparison, a refused one gets its message and runs nothing.
    void lineLimitLeftByTheClick_data()
    {
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("message");
        QTest::newRow("valid") << "7" << "";
        QTest::newRow("refused") << "0" << "Invalid input|Invalid value for number of lines.|3|0";
    }

    void lineLimitLeftByTheClick()
    {
        QFETCH(QString, limit);
        QFETCH(QString, message);
        start();
        f.box("txbSuspendIfNumLines")->setText(limit);
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(f.box("txbSuspendIfNumLines"), &out);
        QCOMPARE(f.boxes(), QString());
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(f.boxes(), message);
        QCOMPARE(QFile::exists(m_report), message.isEmpty());
        QVERIFY(!f.button("cmdCompareFolders", 0)->isDown());
    }

    // The skip size standing in the field is the one used, even before a tick has validated it.
    void typedSkipSizeIsCheckedAtTheClick()
    {
        start();
        f.box("txbSkipSizeInMB", 1)->setText(QStringLiteral("0"));
        f.check("chkSkipFiles", 1)->setChecked(true);
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(f.boxes(), QStringLiteral("Invalid input|Invalid value for skip size.|3|0"));
        QVERIFY(!QFile::exists(m_report) && !f.check("chkSkipFiles", 1)->isChecked());
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
