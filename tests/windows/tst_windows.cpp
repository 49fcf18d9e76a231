// The windows and actions beside the main window: the report viewer, View, Delete and Help, the
// pop-up, and the launch of the maker's pages.
#include "frmpopup.h"
#include "frmview.h"
#include "launchurl.h"
#include "reportactions.h"
#include "statefile.h"

#include "fakeuiservices.h"
#include "filefixtures.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/file.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace cheqora::test;
using cheqora::frmPopUp;
using cheqora::frmView;
using cheqora::SavedState;
using platform::MsgIcon;

static int px(int twips) { return platform::twipsToPixels(twips); }
static const QString kCopyAll = u"Copy to clipboard"_s;
static const QString kCopySelected = u"Copy selected text to clipboard"_s;

// The 13 lines of a first save with one path of each kind filled in; cases change single lines.
static const QByteArrayList kExample = {"\"/home/ann/a.txt\"", "\"\"", "\"\"", "\"/home/ann/old\"", "\"\"", " 0 ",
                                        " 0 ", "\"\"", " 0 ", "0", " 1 ", " 1 ", "\"100\""};

static QByteArray joined(const QByteArrayList &lines, int count = 13, const char *eol = "\r\n")
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += lines.at(i) + eol;
    return out;
}

static QByteArray withLines(std::initializer_list<std::pair<int, const char *>> changes)
{
    QByteArrayList lines = kExample;
    for (const auto &[index, text] : changes)
        lines[index] = text;
    return joined(lines);
}

class TestWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeUiServices *m_ui = nullptr;
    QWidget m_main; // the viewer is placed over it
    int m_focusCalls = 0;
    QTemporaryDir m_stateDir;
    QString m_path = m_stateDir.filePath(u"chqr.usr"_s);

    cheqora::ReportActionHooks hooks()
    {
        // Texts 46 and 76 take the report's path, as the catalogue's do.
        return {&m_main, [](int n) { return u"UI text %1"_s.arg(n) + (n == 46 || n == 76 ? u" %1"_s : QString()); },
                [this] { ++m_focusCalls; }};
    }
    // The message boxes shown, each as "title|text|icon" with ! for the exclamation mark, i for
    // information, ? for a question, and whether No is its default.
    QString boxes() const
    {
        QStringList out;
        for (const FakeUiServices::Box &b : m_ui->boxes)
            out << b.title + u'|' + b.text + u'|'
                    + (b.icon == MsgIcon::Exclamation ? u'!' : b.icon == MsgIcon::Information ? u'i' : u'?')
                    + (b.buttons == platform::MsgButtons::YesNoSafe ? u" No by default"_s : QString());
        return out.join(u'\n');
    }
    // Shows the file (written first unless content is null) in the viewer once it has been read.
    frmView &show(const QString &name, const QByteArray &content = {})
    {
        const QString path = m_dir.filePath(name);
        if (!content.isNull() && !writeBytes(path, content))
            qFatal("cannot write %s", qPrintable(path));
        cheqora::ShowInViewer(&m_main, path, path);
        if (!QTest::qWaitFor([] { return frmView::instance().blnViewLoaded; }))
            qWarning("the viewer did not load %s", qPrintable(path));
        return frmView::instance();
    }

private Q_SLOTS:
    void initTestCase() { m_main.setGeometry(60, 40, 960, 700); }
    void init() { m_ui = new FakeUiServices; m_focusCalls = 0; }
    void cleanup() { frmView::unloadInstance(); frmPopUp::unloadInstance(); delete m_ui; }

    void showsFileOrItsReadError_data()
    {
        // What the text box shows and the clipboard gets, or the read error ("title|text") instead.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("error");
        const QString lines = u"  1234 > some/relative/path/file.txt\r\n"_s.repeated(140000) + u"The end."_s;
        const QString accented(200000, QChar(0xE9)); // two bytes a character
        const QString r = u"r.txt"_s;
        QTest::newRow("5 MB, whole") << r << lines.toUtf8() << lines << QString();
        QTest::newRow("200,000 accented letters") << r << accented.toUtf8() << accented << QString();
        QTest::newRow("line breaks of every kind") << r << QByteArray("a\r\nb\rc\n\r\n") << u"a\r\nb\rc\n\r\n"_s << QString();
        const QString cannot = u"Error reading file|Cannot read "_s + m_dir.path();
        QTest::newRow("empty") << r << QByteArray("") << QString() << u"Error reading file|The file %1 is empty."_s.arg(m_dir.filePath(r));
        QTest::newRow("missing") << u"gone"_s << QByteArray() << QString() << cannot + u"/gone: File not found."_s;
        QTest::newRow("folder") << u"dir"_s << QByteArray() << QString() << cannot + u"/dir: Path/File access error."_s;
    }

    void showsFileOrItsReadError()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        QFETCH(QString, error);
        QVERIFY(name != u"dir"_s || QDir().mkpath(m_dir.filePath(name)));
        bool visibleAtBox = false;
        m_ui->onBox = [&visibleAtBox](const FakeUiServices::Box &) {
            visibleAtBox = frmView::instance().isVisible();
            frmView::instance().Form_Activate(); // must not read the file a second time
        };
        frmView &view = show(name, content);
        QCOMPARE(view.isVisible(), error.isEmpty());
        QCOMPARE(view.windowTitle(), m_dir.filePath(name));
        QCOMPARE(view.Text(), shown);
        if (!error.isEmpty()) {
            QVERIFY(visibleAtBox);
            view.Form_Activate();
            QCoreApplication::processEvents();
            QCOMPARE(boxes(), error + u"|!"_s);
            return;
        }
        QVERIFY(m_ui->boxes.isEmpty());
        // A long text goes in a part at a time; whole, its last line can be reached.
        QTRY_VERIFY_WITH_TIMEOUT(view.Complete(), 120000);
        QCOMPARE(view.txbText1->toPlainText(), QString(shown).replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n'));
        QTest::keyClick(view.txbText1, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view.txbText1->textCursor().block().text(), shown.section(QRegularExpression(u"\r\n|\r|\n"_s), -1));
        QVERIFY(view.txbText1->viewport()->rect().contains(view.txbText1->cursorRect()));
        QCOMPARE(view.txbText1->font().family(), u"Courier New"_s);
        QTest::mouseClick(view.cmdCopyToClipboard, Qt::LeftButton);
        QCOMPARE(m_ui->clipboard, shown);
    }

    void copiesSelection()
    {
        frmView &view = show(u"r.txt"_s, "alpha beta\r\ngamma delta\r\nepsilon\r\n");
        QPlainTextEdit *edit = view.txbText1;
        auto pointAt = [edit](int position) {
            QTextCursor c(edit->document());
            c.setPosition(position);
            return edit->cursorRect(c).center();
        };
        // Dragged from "beta" over two line breaks: the copy has the file's own characters.
        QTest::mousePress(edit->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(6));
        QTest::mouseMove(edit->viewport(), pointAt(26));
        QTest::mouseRelease(edit->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(26));
        QTRY_COMPARE(view.cmdCopyToClipboard->text(), kCopySelected);
        QCOMPARE(view.cmdCopyToClipboard->width(), px(4425));
        QTest::mouseClick(view.cmdCopyToClipboard, Qt::LeftButton);
        QCOMPARE(m_ui->clipboard, u"beta\r\ngamma delta\r\neps"_s);
        QCOMPARE(view.cmdCopyToClipboard->text(), kCopyAll);
        QCOMPARE(view.cmdCopyToClipboard->width(), px(3270));
        QCOMPARE(view.focusWidget(), view.cmdClose);

        // Selected with the keyboard, then a click that leaves no selection restores the caption.
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
        QTRY_COMPARE(view.cmdCopyToClipboard->text(), kCopySelected);
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(8));
        QTRY_COMPARE(view.cmdCopyToClipboard->text(), kCopyAll);
        // Esc closes the viewer as Close does.
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!view.isVisible());
    }

    // Ctrl+F opens the bar; Enter and F3 go to the next match, Shift+F3 to the previous, round the
    // text, case ignored; a text not there leaves the selection; Esc closes the bar, then the viewer.
    void findMovesBetweenMatches()
    {
        frmView &view = show(u"r.txt"_s, "alpha beta\r\nAlpha gamma\r\nbeta alpha\r\n");
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTest::keyClick(view.txbText1, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(view.findBar->isVisible() && view.txbFind->hasFocus());
        QVERIFY(view.txbText1->geometry().bottom() < view.findBar->geometry().top());
        QTest::keyClicks(view.txbFind, u"ALPHA"_s);
        QList<int> starts;
        for (const QKeyCombination key : {QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::Key_F3), QKeyCombination(Qt::Key_F3),
                                          QKeyCombination(Qt::Key_F3), QKeyCombination(Qt::SHIFT | Qt::Key_F3)}) {
            QTest::keyClick(view.txbFind, key.key(), key.keyboardModifiers());
            starts << view.txbText1->textCursor().selectionStart();
        }
        QCOMPARE(starts, QList<int>({0, 11, 28, 0, 28}));
        QCOMPARE(view.SelectedText() + u'|' + view.lblFindResult->text(), u"alpha|"_s);
        view.txbFind->setText(u"delta"_s);
        QTest::keyClick(view.txbFind, Qt::Key_F3);
        QCOMPARE(view.SelectedText() + u'|' + view.lblFindResult->text(), u"alpha|Not found"_s);
        QTest::keyClick(view.txbFind, Qt::Key_Escape);
        QVERIFY(!view.findBar->isVisible() && view.isVisible());
        QTest::keyClick(view.txbText1, Qt::Key_Escape);
        QVERIFY(!view.isVisible());
    }

    // Beside the main window where the screen has room (narrowed to it), else offset from it.
    void viewerGoesBesideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        const QRect wide(0, 0, 1920, 1080);
        QTest::newRow("right") << QRect(100, 100, 900, 700) << wide << QRect(1008, 100, 800, 700);
        QTest::newRow("left") << QRect(1000, 100, 900, 700) << wide << QRect(192, 100, 800, 700);
        QTest::newRow("right, narrowed") << QRect(0, 0, 1300, 700) << wide << QRect(1308, 0, 612, 700);
        QTest::newRow("no room: offset") << QRect(0, 0, 1024, 600) << QRect(0, 0, 1024, 600) << QRect(40, 0, 800, 600);
    }

    void viewerGoesBesideTheMainWindow()
    {
        QFETCH(QRect, main);
        QFETCH(QRect, screen);
        QFETCH(QRect, expected);
        QCOMPARE(cheqora::ViewerGeometry(main, QSize(800, 600), QSize(533, 120), screen), expected);
    }

    void reportActions_data()
    {
        QTest::addColumn<bool>("remove"); // Delete, else View
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<bool>("trash");         // else the data folder cannot hold one
        QTest::addColumn<bool>("yes");           // the answer to a question
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("popUp");
        QTest::addColumn<QString>("fieldAfter");
        const QString gone = m_dir.filePath(u"gone"_s), r = m_dir.filePath(u"r.txt"_s);
        const QString proc = u"/proc/self/status"_s; // refuses every deletion, whoever asks
        const QString ask = u"Delete|There is no trash for the report %1, so it cannot be recovered once deleted.\n\n"
                            "Delete it for good?|? No by default"_s;
        QTest::newRow("View, empty field") << false << QString() << QByteArray() << true << false << QString() << QString() << QString();
        QTest::newRow("View, missing") << false << gone << QByteArray() << true << false << u"View|UI text 46 "_s + gone + u"|!"_s
                                       << QString() << gone;
        QTest::newRow("View, empty") << false << r << QByteArray("") << true << false << u"View|UI text 76 "_s + r + u"|!"_s << QString() << r;
        QTest::newRow("View, 2 bytes") << false << r << QByteArray("\r\n") << true << false << u"View|UI text 76 "_s + r + u"|!"_s
                                       << QString() << r;
        QTest::newRow("Delete, empty field") << true << QString() << QByteArray() << true << false << QString() << QString() << QString();
        QTest::newRow("Delete, missing") << true << gone << QByteArray() << true << false << u"Delete|UI text 46 "_s + gone + u"|i"_s
                                         << QString() << QString();
        QTest::newRow("Delete to the trash") << true << r << QByteArray("report") << true << false << QString() << u"UI text 47"_s << QString();
        QTest::newRow("Delete, no trash, No") << true << r << QByteArray("report") << false << false << ask.arg(r) << QString() << r;
        QTest::newRow("Delete, no trash, Yes") << true << r << QByteArray("report") << false << true << ask.arg(r) << u"UI text 48"_s << QString();
        QTest::newRow("Delete, refused") << true << proc << QByteArray() << true << true
                                         << ask.arg(proc) + u"\nDelete|Cannot delete the report /proc/self/status: Permission denied.|!"_s
                                         << QString() << proc;
    }

    void reportActions()
    {
        QFETCH(bool, remove);
        QFETCH(QString, field);
        QFETCH(QByteArray, content);
        QFETCH(bool, trash);
        QFETCH(bool, yes);
        QFETCH(QString, message);
        QFETCH(QString, popUp);
        QFETCH(QString, fieldAfter);
        // A data folder of this row's own; below a file, no trash can be made in it.
        QTemporaryDir data;
        QVERIFY(trash || writeBytes(data.filePath(u"file"_s), "x"));
        const QString dataHome = data.filePath(trash ? u"share"_s : u"file/share"_s);
        const QByteArray pinned = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        QVERIFY(content.isNull() || writeBytes(field, content));
        m_ui->boxAnswers << (yes ? platform::MsgAnswer::Yes : platform::MsgAnswer::No);
        QString shown;
        QObject rowOnly; // a row that shows no pop-up leaves no timer to the next
        QTimer::singleShot(0, &rowOnly, [&shown] {
            if (frmPopUp *p = frmPopUp::existingInstance(); p && p->isVisible()) {
                shown = p->lblMessage->text();
                p->lblMessage_MouseUp();
            }
        });
        const bool existed = QFileInfo::exists(field);
        QLineEdit txbFile(field);
        if (remove)
            cheqora::DeleteReportFile(hooks(), &txbFile);
        else
            cheqora::ViewReportFile(hooks(), txbFile.text());
        QCOMPARE(boxes(), message);
        QCOMPARE(shown, popUp);
        QCOMPARE(txbFile.text(), fieldAfter);
        QCOMPARE(m_focusCalls, field.isEmpty() ? 0 : 1);
        QCOMPARE(QFileInfo::exists(field), existed && !fieldAfter.isEmpty());
        QVERIFY(!frmView::existingInstance() || !frmView::existingInstance()->isVisible());
        // In the trash the report can be restored: its content, and where it came from.
        const QString inTrash = dataHome + u"/Trash/files/r.txt"_s;
        QCOMPARE(readBytes(inTrash), QByteArray(popUp == u"UI text 47"_s ? "report" : ""));
        QVERIFY(popUp != u"UI text 47"_s
                || readBytes(dataHome + u"/Trash/info/r.txt.trashinfo"_s).contains("\nPath=" + QFile::encodeName(field) + '\n'));
        qputenv("XDG_DATA_HOME", pinned);
    }

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
    void launchesSecurelyAndExplainsFailures_data()
    {
        // What the desktop answers, what was launched, and the message ("" for none).
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        const QString url = u"HTTP://www.vantorel.example/chqr/Manual.HTML"_s;
        const QString secure = u"https://www.vantorel.example/chqr/Manual.HTML"_s;
        const QString cannot = u"Cannot open "_s + secure;
        const int ok = platform::OpenSucceeded;
        QTest::newRow("HTTP: made https:") << url << ok << secure << QString();
        QTest::newRow("every Http:") << u"Http://a.example/?next=http://b.example/"_s << ok
                                     << u"https://a.example/?next=https://b.example/"_s << QString();
        QTest::newRow("33 is success") << url << 33 << secure << QString();
        QTest::newRow("31 no application") << url << 31 << secure << cannot + u": no application is set up to open it."_s;
        QTest::newRow("8 out of memory") << url << 8 << secure << cannot + u": out of memory."_s;
        QTest::newRow("2 not valid") << url << 2 << secure << cannot + u": it is not a valid address."_s;
        QTest::newRow("32 still a failure") << url << 32 << secure << cannot + u" (error 32)."_s;
        QTest::newRow("negative") << url << -1 << secure << cannot + u" (error -1)."_s;
    }

    void launchesSecurelyAndExplainsFailures()
    {
        QFETCH(QString, target);
        QFETCH(int, result);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        m_ui->openResults.enqueue(result);
        cheqora::LaunchURL(target);
        QCOMPARE(m_ui->openedTargets, QStringList{opened});
        QCOMPARE(boxes(), message.isEmpty() ? QString() : u"Cannot open web link|"_s + message + u"|!"_s);
    }

    // The state file.
    void writesAndReadsEveryField()
    {
        // In the file's line order; the old folder's name is not UTF-8 and must be kept byte for byte.
        SavedState s{u"a b"_s, u"/x/y.bin"_s, u"/r/report, final.txt"_s, platform::decodeName("/mnt/caf\xe9"),
                     u"/new äöü"_s, true, false, u"txt"_s, true, 250, false, false, u" 5,000 "_s};
        QCOMPARE(cheqora::WriteStateFile(m_path, s), QString());
        QCOMPARE(readBytes(m_path), QByteArray("\"a b\"\r\n\"/x/y.bin\"\r\n\"/r/report, final.txt\"\r\n"
                                               "\"/mnt/caf\xe9\"\r\n\"/new \xc3\xa4\xc3\xb6\xc3\xbc\"\r\n 1 \r\n 0 \r\n"
                                               "\"txt\"\r\n 1 \r\n250\r\n 0 \r\n 0 \r\n\" 5,000 \"\r\n"));
        // No tick, then one at a time: a check box written to or read from the wrong line shows.
        bool SavedState::*const ticks[] = {&SavedState::includeSubfolders, &SavedState::doOnlyExtension,
                                           &SavedState::skipFiles, &SavedState::warnOnOverwrite,
                                           &SavedState::suspendIfNumLines};
        for (int on = -1; on < 5; ++on) {
            for (int i = 0; i < 5; ++i)
                s.*ticks[i] = i == on;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), QString());
            SavedState back;
            QVERIFY(cheqora::ReadStateFile(m_path, back));
            QVERIFY2(back == s, qPrintable(QString::number(on)));
        }
        QCOMPARE(QDir(m_stateDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"chqr.usr"_s});
    }

    void readsFiles_data()
    {
        // skipSize -1: the file is refused; the state is left as it was for the caller to reset.
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("skipSize");
        QTest::newRow("as saved") << joined(kExample) << 0;
        QTest::newRow("LF breaks, none after the last") << joined(kExample, 13, "\n").chopped(1) << 0;
        const QByteArrayList blanks = {"  \"/home/ann/a.txt\"  ", "\"\"", "\t\"\"", "\"/home/ann/old\"\t", "\"\"", "0",
                                       "\t0\t", "\"\"", "   0", "  0  ", "1", "+1", " \"100\" "};
        QTest::newRow("blanks and tabs") << joined(blanks) << 0;
        QTest::newRow("lines after the 13th") << joined(kExample) + "\"anything\"\r\ngarbage\r\n" << 0;
        QTest::newRow("unquoted") << withLines({{0, "/home/ann/a.txt"}, {3, "/home/ann/old"}, {12, "100"}}) << 0;
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf") + joined(kExample) << 0;
        // The skip box ticked: a size outside 1..999 is dropped together with its tick.
        QTest::newRow("skip size 999 kept") << withLines({{8, " 1 "}, {9, " 999 "}}) << 999;
        QTest::newRow("skip size 1000 dropped") << withLines({{8, " 1 "}, {9, "1000"}}) << 0;
        QTest::newRow("skip size 0 dropped") << withLines({{8, " 1 "}, {9, "0"}}) << 0;
        QTest::newRow("cut after line 7") << joined(kExample, 7) << -1;
        QTest::newRow("check number is text") << withLines({{5, "yes"}}) << -1;
        QTest::newRow("check number -1") << withLines({{10, " -1 "}}) << -1;
        QTest::newRow("skip size overflows 16 bits") << withLines({{9, "40000"}}) << -1;
        QTest::newRow("quote not closed") << withLines({{0, "\"/home/ann/a.txt"}}) << -1;
        QTest::newRow("text after the closing quote") << withLines({{7, "\"txt\"x"}}) << -1;
        QTest::newRow("larger than any state file") << joined(kExample) + QByteArray(1024 * 1024, ' ') << -1;
    }

    void readsFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, skipSize);
        QVERIFY(writeBytes(m_path, content));
        SavedState s;
        s.file2 = u"before"_s;
        SavedState expected = s;
        if (skipSize >= 0)
            expected = {u"/home/ann/a.txt"_s, {}, {}, u"/home/ann/old"_s, {}, false, false, {}, skipSize > 0, skipSize,
                        true, true, u"100"_s};
        QCOMPARE(cheqora::ReadStateFile(m_path, s), skipSize >= 0);
        QVERIFY(s == expected);
    }

    void refusesTextsTheFormatCannotHold()
    {
        // The format has no escapes: Save refuses, naming the field, and the previous file stays as it was.
        QVERIFY(writeBytes(m_path, joined(kExample)));
        const std::pair<QString SavedState::*, QString> fields[] = {
            {&SavedState::file1, u"1st file"_s},         {&SavedState::file2, u"2nd file"_s},
            {&SavedState::reportFile, u"report file"_s}, {&SavedState::oldFolder, u"old folder"_s},
            {&SavedState::newFolder, u"new folder"_s},   {&SavedState::extension, u"file extension"_s},
            {&SavedState::suspendLineLimit, u"line limit of the report file"_s}};
        const QString message = u"The %1 contains %2, which the state file cannot hold. Remove it and save again."_s;
        for (const auto &[field, name] : fields) {
            SavedState s;
            s.*field = u"a\"b"_s;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), message.arg(name, u"a double quote (\")"_s));
            s.*field = u"a\nb"_s;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), message.arg(name, u"a line break"_s));
        }
        QCOMPARE(readBytes(m_path), joined(kExample));
    }

    void checksRestoredFiles_data()
    {
        // A read-only file of `size` bytes (-1: none, -2: a folder, -3: a link to an empty file, -4: a FIFO,
        // -5: an empty file under a lock, as a comparison holds on the report it writes), named as a
        // digest-panel file and as the report: whether each field keeps it. Only an empty regular report
        // that nobody holds is deleted; nothing else ever is.
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<bool>("reportKept");
        QTest::newRow("1,000,000 bytes") << 1000000 << true << true;
        QTest::newRow("1,000,001 bytes") << 1000001 << false << true;
        QTest::newRow("empty") << 0 << false << false;
        QTest::newRow("missing") << -1 << false << false;
        QTest::newRow("folder") << -2 << false << false;
        QTest::newRow("link to an empty file") << -3 << false << false;
        QTest::newRow("FIFO") << -4 << false << false;
        QTest::newRow("empty, being written") << -5 << false << false;
    }

    void checksRestoredFiles()
    {
        QFETCH(int, size);
        QFETCH(bool, fileKept);
        QFETCH(bool, reportKept);
        const QString path = m_stateDir.filePath(u"file"_s), other = m_stateDir.filePath(u"other"_s);
        QVERIFY(writeBytes(other, "abc") && writeBytes(m_stateDir.filePath(u"empty"_s), QByteArray()));
        for (QString SavedState::*field : {&SavedState::file1, &SavedState::file2, &SavedState::reportFile}) {
            QFile::remove(path); // also what a failed row left behind
            QDir(path).removeRecursively();
            const QByteArray native = QFile::encodeName(path);
            QVERIFY(size == -1 || (size == -2 ? QDir().mkpath(path)
                                   : size == -3 ? ::symlink("empty", native.constData()) == 0
                                   : size == -4 ? ::mkfifo(native.constData(), 0644) == 0
                                                : writeBytes(path, QByteArray(qMax(size, 0), '\n'))));
            const int held = size == -5 ? ::open(native.constData(), O_RDONLY | O_CLOEXEC) : -1;
            QVERIFY(size != -5 || ::flock(held, LOCK_EX) == 0);
            QVERIFY(size < 0 || ::chmod(QFile::encodeName(path).constData(), 0444) == 0);
            const bool report = field == &SavedState::reportFile;
            SavedState s, expected;
            s.file1 = s.file2 = s.reportFile = expected.file1 = expected.file2 = expected.reportFile = other;
            s.*field = path;
            expected.*field = (report ? reportKept : fileKept) ? path : QString();
            cheqora::CheckRestoredFiles(s);
            if (held >= 0)
                ::close(held);
            QVERIFY(s == expected);
            QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), size != -1 && !(size == 0 && report));
        }
    }
};

CHEQORA_TEST_GUI_MAIN(TestWindows)
#include "tst_windows.moc"
