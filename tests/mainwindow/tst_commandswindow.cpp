#include "digest.h"
#include "digestlist.h"
#include "formfixture.h"
#include "statefile.h"

#include <QProcess>
#include <QScrollArea>

#include <fcntl.h>
#include <unistd.h>

using namespace cheqora;
using namespace cheqora::test;

// The window's commands wired to their modules: the compare buttons (the engine run with the window's
// fields, its messages as boxes, the busy window answering Stop and Quit, the report in the viewer),
// Save state with its restore at the next start, View, Delete and Help. What the modules write, show
// and refuse is their own tests' business; here it only has to reach the window.
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

    // The names of the enabled controls of a kind.
    template <class T>
    QStringList enabled() const
    {
        QStringList names;
        for (QWidget *w : f.form->findChildren<T *>()) {
            if (w->isEnabled())
                names << w->objectName();
        }
        return names;
    }

    // No two controls of one container overlap, every control lies inside its container, and no
    // button, check box or caption label is smaller than its caption needs.
    static void checkLayout(QWidget *container)
    {
        // What a scroll area holds is laid out at its own size and scrolled into view.
        if (auto *area = qobject_cast<QScrollArea *>(container))
            return checkLayout(area->widget());
        QList<QWidget *> shown = container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        shown.removeIf([container](QWidget *w) { return !w->isVisibleTo(container) || w->isWindow(); });
        for (QWidget *a : shown) {
            QVERIFY2(container->rect().contains(a->geometry()), qPrintable(a->objectName() + QStringLiteral(" sticks out")));
            for (QWidget *b : shown) {
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
            }
            const bool captioned = qobject_cast<QAbstractButton *>(a) || a->objectName() == QStringLiteral("Label2_1");
            QVERIFY2(!captioned || a->size().expandedTo(a->minimumSizeHint()) == a->size(),
                     qPrintable(a->objectName() + QStringLiteral(" is cut")));
            checkLayout(a);
        }
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

    // A digest list of the old folder in its field gives the folder's report, but for the header's
    // folder line.
    void listInOldFolderField()
    {
        start();
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        const QByteArray byFolder = readBytes(m_report);
        const QString list = f.path(QStringLiteral("old.md5")), file = m_old + QStringLiteral("/a.txt");
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(file, st, err));
        DigestListHeader header;
        header.folder = m_old;
        QVERIFY(writeBytes(list, (digestListHeaderText(header)
                                  + digestListEntryText(digestListEntryOf(QStringLiteral("a.txt"), st, false, digestOfExaminedFile(file, st)))
                                  + digestListEndText(1))
                                     .toUtf8()));
        f.box("txbFolder", 0)->setText(list);
        f.fake->boxAnswers << platform::MsgAnswer::Yes; // replace the folder's report
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        const QByteArray byList = readBytes(m_report);
        QVERIFY2(byList.startsWith("1st folder: " + list.toUtf8() + "\r\n"), byList.constData());
        QCOMPARE(byList.mid(byList.indexOf('\n')), byFolder.mid(byFolder.indexOf('\n')));
    }

    // The subfolder box, the folders and the report reach the engine, whose checks speak in a box of
    // their title and icon (nesting is decided on real folders), and whose errors in lblInfo; T is the
    // test folder.
    void checksReachTheirBox_data()
    {
        QTest::addColumn<bool>("nested");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("expected"); // boxes > lblInfo
        QTest::newRow("nested") << true << "report.txt"
                                << "Compare folders|T/old/sub is contained in T/old.\n\nWhen files are included in subfolders "
                                   "recursively\none folder cannot be a subfolder the other folder.|4|0>";
        QTest::newRow("report is a folder") << false << "old" << "Compare folders|T/old is a folder, not a file.|3|0>";
        QTest::newRow("report not writable") << false << "none/r.txt"
                                             << ">Error: writing T/none/r.txt: No such file or directory";
    }

    void checksReachTheirBox()
    {
        QFETCH(bool, nested);
        QFETCH(QString, report);
        QFETCH(QString, expected);
        start();
        QVERIFY(QDir().mkpath(m_old + QStringLiteral("/sub")));
        if (nested) {
            f.box("txbFolder", 0)->setText(m_old + QStringLiteral("/sub"));
            f.box("txbFolder", 1)->setText(m_old);
            f.check("chkIncludeSubfolders", 1)->setChecked(true);
        }
        f.box("txbFile", 3)->setText(f.path(report));
        QTest::mouseClick(f.button("cmdCompareFolders", 0), Qt::LeftButton);
        QCOMPARE(QString(f.boxes() + u'>' + f.label("lblInfo")->text()).replace(f.dir->path(), QStringLiteral("T")), expected);
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

    // View, Delete and Help reach their modules with the window's paths and catalogue. Save state
    // keeps every field for the next start, which restores them, the files with their digests; a state
    // file that cannot be written is said in a box, and the fields stay as they were.
    void commandsReachTheirModules()
    {
        startWithReport();
        QTest::mouseClick(f.button("cmdView", 1), Qt::LeftButton);
        QVERIFY(f.fake->boxes.isEmpty() && viewerShown());
        QCOMPARE(frmView::instance().windowTitle(), m_report);
        frmView::unloadInstance();
        QString seen;
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdDelete", 1), Qt::LeftButton);
        QCOMPARE(f.boxes() + seen, kText47);
        QVERIFY(!QFile::exists(m_report) && f.box("txbFile", 3)->text().isEmpty());
        QCOMPARE(readBytes(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files/report.txt")), "File added: /b/x\r\n");
        QVERIFY(writeBytes(f.path(QStringLiteral("chqr_help.txt")), "How to use Cheqora\r\n"));
        QTest::mouseClick(f.button("cmdHelp"), Qt::LeftButton);
        QCOMPARE(frmView::instance().strViewFile, f.path(QStringLiteral("chqr_help.txt")));

        QTemporaryDir data;
        const QString file1 = data.filePath(QStringLiteral("one.bin")), file2 = data.filePath(QStringLiteral("two.bin"));
        QVERIFY(writeBytes(file1, "abc") && writeBytes(file2, "abd"));
        QVERIFY(writeBytes(data.filePath(QStringLiteral("report.txt")), "report"));
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
        f.fake->boxes.clear();
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdSave"), Qt::LeftButton);
        QCOMPARE(f.boxes() + seen, kText50);

        // A new run of the program: defaults first, then the saved state.
        FormFixture g;
        QVERIFY(g.start());
        QCOMPARE(g.fields(), saved);
        QCOMPARE(g.label("lblDigitalSignature", 0)->text() + u'|' + g.label("lblFileComparisonResult")->text(),
                 QStringLiteral("900150983CD24FB0D6963F7D28E17F72|") + kText56);
        // The configuration folder is a file: the state's folder cannot be made there.
        const QString blocker = g.path(QStringLiteral("config"));
        QVERIFY(writeBytes(blocker, "x"));
        g.form->strStateFile = blocker + QStringLiteral("/Vantorel/chqr.usr");
        frmPopUp::unloadInstance();
        QTest::mouseClick(g.button("cmdSave"), Qt::LeftButton);
        QVERIFY(!frmPopUp::existingInstance());
        QCOMPARE(g.boxes(), QStringLiteral("Save state|%1 %2: Path not found.|3|0").arg(kText51, g.form->strStateFile));
        QCOMPARE(g.fields(), saved);
    }

    // The command line: files fill the panel's rows and are read, folders (or a list in the place of
    // one) the folder fields; a file beside a folder is refused in a box. T is the test folder, the
    // current folder of the command.
    void commandLineFillsTheFields_data()
    {
        QTest::addColumn<QString>("args"); // split at blanks
        QTest::addColumn<QString>("expected"); // txbFile_0|txbFile_1|txbFolder_0|txbFolder_1|digest 0|result|box, or the error
        const QString abc = QStringLiteral("900150983CD24FB0D6963F7D28E17F72");
        QTest::newRow("one file") << "a" << QStringLiteral("T/a|||T/old|%1||").arg(abc);
        QTest::newRow("two files") << "./a T/b" << QStringLiteral("T/a|T/b||T/old|%1|%2|").arg(abc, kText56);
        QTest::newRow("two folders") << "dir/ ." << "||T/dir|T|||";
        QTest::newRow("list and folder") << "l.md5 dir" << "||T/l.md5|T/dir|||";
        QTest::newRow("one folder") << "dir" << "||T/dir||||";
        QTest::newRow("file and folder") << "a dir" << "|||T/dir|||Compare files|T/a is neither a folder nor a digest list.|3|0";
        QTest::newRow("-- ends the options") << "-- -a" << "T/-a|||T/old|File not found||";
        QTest::newRow("unknown option") << "-a" << "Unknown option '-a'.\nTry 'cheqora --help'.";
        QTest::newRow("three paths") << "a b dir" << "At most two files or two folders can be given.\nTry 'cheqora --help'.";
    }

    void commandLineFillsTheFields()
    {
        QFETCH(QString, args);
        QFETCH(QString, expected);
        QString error;
        QVERIFY(f.start([&](frmMain &form) {
            // A saved new folder, which the command line replaces or not.
            const QString t = f.dir->path();
            QVERIFY(writeBytes(t + QStringLiteral("/a"), "abc") && writeBytes(t + QStringLiteral("/b"), "abd"));
            QVERIFY(writeBytes(t + QStringLiteral("/l.md5"), "900150983cd24fb0d6963f7d28e17f72  a\n") && QDir(t).mkpath(QStringLiteral("dir")));
            SavedState saved;
            saved.newFolder = t + QStringLiteral("/old");
            QVERIFY(QDir().mkpath(QFileInfo(stateFile()).path()) && WriteStateFile(stateFile(), saved).isEmpty());
            if (!WindowPaths(args.replace(QStringLiteral("T/"), t + u'/').split(u' '), t, form.StartPaths, error))
                form.StartPaths.clear();
        }));
        QString seen = error;
        if (error.isEmpty()) {
            seen = QStringList({f.box("txbFile", 0)->text(), f.box("txbFile", 1)->text(), f.box("txbFolder", 0)->text(),
                                f.box("txbFolder", 1)->text(), f.label("lblDigitalSignature", 0)->text(),
                                f.label("lblFileComparisonResult")->text(), f.boxes()})
                       .join(u'|')
                       .replace(f.dir->path(), QStringLiteral("T"));
        }
        QCOMPARE(seen, expected);
    }

    // Help and version are answered without a window, so without a display.
    void helpAndVersionNeedNoDisplay()
    {
        for (const char *option : {"--help", "--version"}) {
            QProcess program;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.remove(QStringLiteral("DISPLAY"));
            env.remove(QStringLiteral("WAYLAND_DISPLAY"));
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            program.setProcessEnvironment(env);
            program.start(QStringLiteral(CHEQORA_BIN_DIR "/cheqora"), {QString::fromLatin1(option)});
            QVERIFY(program.waitForFinished(60000));
            const QByteArray out = program.readAllStandardOutput();
            QVERIFY2(program.exitCode() == 0 && (out.startsWith("Usage: cheqora [FILE [FILE2]]\n") || out == "cheqora 1.0\n"),
                     out.constData());
        }
    }

    // Start-up, the once-a-second refresh, the busy switch and the layout.
    // The message itself is the catalogue loader's; the window must not come up.
    void startWithoutCatalogueFails()
    {
        QTemporaryDir empty;
        QVERIFY(!f.start([&](frmMain &form) { form.strProgramFolder = empty.path(); }));
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(f.fake->boxes.first().icon, platform::MsgIcon::Critical);
        QVERIFY(!f.form->isVisible() && !f.form->blnStartupCompleted && !f.timer()->isActive());
    }

    void startWithShippedCatalogue()
    {
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = QStringLiteral(CHEQORA_BIN_DIR);
        QVERIFY(form.Form_Load());
        QVERIFY(fake.boxes.isEmpty() && form.isVisible() && form.blnStartupCompleted);
        QVERIFY(!form.windowIcon().pixmap(32).isNull());
        // The version is the major number, ".", the minor number and the digit 4.
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("Cheqora %1.%2").arg(CHEQORA_VERSION_MAJOR).arg(CHEQORA_VERSION_MINOR) + u'4');
        QVERIFY(ctl<QTimer>(form, "Timer1")->isActive() && ctl<QTimer>(form, "Timer1")->interval() == 1000);
        QVERIFY(!ctl<QPushButton>(form, "cmdStop")->isVisible() && !ctl<QLabel>(form, "lblInfo")->isVisible());
        QCOMPARE(form.focusWidget(), ctl<QPushButton>(form, "cmdGetFileLocation", 0));
    }

    // Paths and the extension are trimmed, a row without path is emptied, an empty extension
    // unticks its box, Copy of the second row follows its digest (the first row's is left alone),
    // View, Delete and Clear follow their boxes, and the status line shows only with something to say.
    void tickRules()
    {
        QVERIFY(f.start());
        const auto enabledButtons = [this] {
            QStringList names =
                QStringLiteral("cmdCopy_0 cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3").split(u' ');
            names.removeIf([this](const QString &name) { return !f.button(qPrintable(name))->isEnabled(); });
            return names.join(u' ');
        };
        f.box("txbFile", 0)->setText(QStringLiteral("  /some/path  "));
        f.box("txbFile", 1)->setText(QStringLiteral("   "));
        for (const char *name : {"lblDigitalSignature_0", "lblSizeDateTime_0", "lblDigitalSignature_1", "lblSizeDateTime_1"})
            f.label(name)->setText(QStringLiteral("x"));
        f.button("cmdCopy", 0)->setEnabled(false);
        f.box("txbExtension", 1)->setText(QStringLiteral(" txt "));
        f.check("chkDoOnlyExtension", 1)->setChecked(true);
        f.label("lblInfo")->setText(QStringLiteral("Comparison was stopped."));
        f.form->Timer1_Timer();
        QCOMPARE(f.row(0) + u' ' + f.row(1) + u' ' + f.box("txbExtension", 1)->text(), QStringLiteral("/some/path|x|x || txt"));
        QVERIFY(f.check("chkDoOnlyExtension", 1)->isChecked() && f.label("lblInfo")->isVisible());
        QCOMPARE(enabledButtons(), QStringLiteral("cmdClear_0"));

        f.box("txbFile", 1)->setText(QStringLiteral("/y"));
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("D1"));
        f.box("txbFile", 3)->setText(QStringLiteral("/r"));
        f.box("txbExtension", 1)->setText(QStringLiteral("    "));
        f.label("lblInfo")->setText(QString());
        f.form->Timer1_Timer();
        QCOMPARE(f.box("txbExtension", 1)->text(), QString());
        QVERIFY(!f.check("chkDoOnlyExtension", 1)->isChecked() && !f.label("lblInfo")->isVisible());
        QCOMPARE(enabledButtons(), QStringLiteral("cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3"));
    }

    // The subfolder box is usable when either folder holds a subfolder. The tick lists no folder: each
    // field is searched once per change of its text, and again when the window comes to the front.
    void subfolderBoxListsNoFolderAtTheTick()
    {
        QVERIFY(f.start());
        const QString big = f.path(QStringLiteral("big")), small = f.path(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(big) && QDir().mkpath(small));
        // 200,000 entries, as links to four files: creating as many files takes ten times longer.
        const int dir = ::open(QFile::encodeName(big).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i < 200000; ++i) {
            const QByteArray name = QByteArray::number(i), source = QByteArray::number(i % 4);
            QVERIFY(i < 4 ? writeBytes(big + u'/' + QString::fromLatin1(name), "x") : ::linkat(dir, source.constData(), dir, name.constData(), 0) == 0);
        }
        ::close(dir);
        QCheckBox *box = f.check("chkIncludeSubfolders", 1);
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
        const int before = f.form->subfolderQueries();
        f.box("txbFolder", 0)->setText(big);
        f.box("txbFolder", 1)->setText(small);
        QVERIFY(QDir().mkpath(big + QStringLiteral("/sub")));
        for (int tick = 0; tick < 3; ++tick)
            f.form->Timer1_Timer();
        QCOMPARE(f.form->subfolderQueries() - before, 2);
        QVERIFY(!box->isEnabled());
        QEvent front(QEvent::ActivationChange);
        QApplication::sendEvent(f.form.get(), &front);
        f.form->Timer1_Timer();
        QCOMPARE(f.form->subfolderQueries() - before, 4);
        QVERIFY(box->isEnabled());
    }

    void setBusyBothWaysAndLayout()
    {
        QVERIFY(f.start());
        // A window of its own, such as the report viewer, is not the main window's to switch.
        (new QPushButton(new QWidget(f.form.get(), Qt::Window)))->setObjectName(QStringLiteral("viewerButton"));
        QLabel *info = f.label("lblInfo");
        QPushButton *stop = f.button("cmdStop");
        f.timer()->start();
        f.form->SetBusy(true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>(),
                 QStringList({QStringLiteral("cmdStop"), QStringLiteral("cmdQuit"), QStringLiteral("viewerButton")}));
        QCOMPARE(enabled<QLabel>(), QStringList());
        // Text boxes stay usable, and so do the frames they sit in.
        QCOMPARE(enabled<QLineEdit>().size(), f.form->findChildren<QLineEdit *>().size());
        QVERIFY(stop->isVisible() && info->isVisible() && !f.timer()->isActive());
        // The smallest window, frame and title bar included, fits a 1024x600 screen and a 1600x1000 one at
        // scale 2, 800x500 in the logical pixels sizes are given in; the frames scroll in it.
        QVERIFY(f.form->minimumSizeHint().width() <= 800 - 8 && f.form->minimumSizeHint().height() <= 500 - 40);
        // Nothing overlaps or is cut, Stop and lblInfo included, down to the smallest window; the frames
        // grow with it.
        for (const QSize size : {f.form->size(), f.form->minimumSizeHint(), QSize(1500, 900)}) {
            f.form->resize(size);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            checkLayout(f.form.get());
        }
        QVERIFY(ctl<QWidget>(*f.form, "Frame5")->width() > 1400);

        f.form->SetBusy(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>().size() + enabled<QLabel>().size(),
                 f.form->findChildren<QAbstractButton *>().size() + f.form->findChildren<QLabel *>().size());
        QVERIFY(!stop->isVisible() && info->isVisible() && f.timer()->isActive());
    }
};

CHEQORA_TEST_GUI_MAIN(TestCommandsWindow)
#include "tst_commandswindow.moc"
