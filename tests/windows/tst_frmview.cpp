#include "frmview.h"

#include "fakeuiservices.h"
#include "filefixtures.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace cheqora::test;
using cheqora::frmView;

static int px(int twips) { return platform::twipsToPixels(twips); }
static const QString kCopyAll = u"Copy to clipboard"_s;
static const QString kCopySelected = u"Copy selected text to clipboard"_s;

class TestFrmView : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeUiServices *m_ui = nullptr;
    QWidget m_main; // the viewer is placed over it

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
    void initTestCase() { m_main.setGeometry(40, 30, 900, 640); }
    void init() { m_ui = new FakeUiServices; }
    void cleanup() { frmView::unloadInstance(); delete m_ui; }

    void showsFileOrItsReadError_data()
    {
        // What the text box shows and the clipboard gets, or the read error ("title|text") instead.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("error");
        const QString head = u"NOTE: This file is too large to display entirely in this textbox.\r\n"
                             "To view the entire contents of the file load it into NotePad,\r\n"
                             "WordPad or some other text editor.\r\n\r\n"_s;
        const QString tail = u"\r\n\r\nNOTE: Entire contents of file have not been displayed.\r\n"_s;
        auto cut = [&](const QString &text) { return head + text.left(65306) + tail; };
        const QString lines = u"  1234 > some/relative/path/file.txt\r\n"_s.repeated(30000);
        const QString accented(200000, QChar(0xE9)); // two bytes a character: more than the part read
        const QString r = u"r.txt"_s;
        QTest::newRow("65529 characters") << r << lines.left(65529).toUtf8() << lines.left(65529) << QString();
        QTest::newRow("65530 characters") << r << lines.left(65530).toUtf8() << cut(lines) << QString();
        QTest::newRow("1,000,000 characters") << r << lines.toUtf8() << cut(lines) << QString();
        QTest::newRow("200,000 accented letters") << r << accented.toUtf8() << cut(accented) << QString();
        QTest::newRow("empty") << r << QByteArray("") << QString() << u"Error|File is empty!"_s;
        QTest::newRow("missing") << u"gone"_s << QByteArray() << QString()
                                 << u"Error reading file|Error 53.  File not found"_s;
        QTest::newRow("folder") << u"dir"_s << QByteArray() << QString()
                                << u"Error reading file|Error 75.  Path/File access error"_s;
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
            QCOMPARE(m_ui->boxes.size(), 1);
            QCOMPARE(m_ui->boxes.at(0).title + u'|' + m_ui->boxes.at(0).text, error);
            QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Exclamation);
            QVERIFY(visibleAtBox);
            view.Form_Activate();
            QCoreApplication::processEvents();
            QCOMPARE(m_ui->boxes.size(), 1);
            return;
        }
        QVERIFY(m_ui->boxes.isEmpty());
        QCOMPARE(view.txbText1->toPlainText(), QString(shown).replace(u"\r\n"_s, u"\n"_s));
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

    void snapsToTheMinimumSize()
    {
        frmView &view = show(u"r.txt"_s, "text\r\n");
        // Asked for, then got: only a dimension below 8000 x 2000 snaps to it (within a pixel).
        const QList<QPair<QSize, QSize>> sizes = {{{3000, 1000}, {8000, 2000}}, {{12000, 500}, {12000, 2000}}};
        for (const auto &[asked, got] : sizes) {
            view.SetSizeTwips(asked.width(), asked.height());
            QVERIFY(view.WidthTwips() >= got.width() && view.WidthTwips() < got.width() + 15);
            QVERIFY(view.HeightTwips() >= got.height() && view.HeightTwips() < got.height() + 15);
            QCOMPARE(view.txbText1->height(), px(view.HeightTwips() - 1200));
        }
    }

    void reactivationDoesNotReload()
    {
        frmView &view = show(u"r.txt"_s, "original one\r\noriginal two\r\n");
        QVERIFY(writeBytes(view.strViewFile, "changed\r\n"));
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&view, &activate);
        view.Form_Activate();
        QCoreApplication::processEvents();
        QCOMPARE(view.Text(), u"original one\r\noriginal two\r\n"_s);

        // A new show request reads it again, and brings a minimized viewer back.
        view.showMinimized();
        QTRY_VERIFY(view.isMinimized());
        QCOMPARE(show(u"r.txt"_s).Text(), u"changed\r\n"_s);
        QVERIFY(!view.isMinimized());
    }
};

CHEQORA_TEST_GUI_MAIN(TestFrmView)
#include "tst_frmview.moc"
