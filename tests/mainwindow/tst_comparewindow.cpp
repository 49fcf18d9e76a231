#include "formfixture.h"

using namespace cheqora;
using namespace cheqora::test;

// The compare buttons: the engine run with the window's fields, its messages as boxes, the busy
// window answering Stop and Quit, and the report in the viewer. The engine's own results and
// messages are its tests' business; here they only have to reach the window.
class TestCompareWindow : public QObject {
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

    void verifyIdle()
    {
        QVERIFY(!f.form->isComparing() && !f.form->blnStop);
        QVERIFY(!f.button("cmdStop")->isVisible() && f.button("cmdCompareFolders", 0)->isEnabled());
    }

private slots:
    void cleanup() { f.stop(); }

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
};

CHEQORA_TEST_GUI_MAIN(TestCompareWindow)
#include "tst_comparewindow.moc"
