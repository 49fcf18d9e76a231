#include "frmview.h"

#include "fakeuiservices.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

using cheqora::frmView;
using cheqora::test::FakeUiServices;

namespace {

int px(int twips)
{
    return platform::twipsToPixels(twips);
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Report-like text of exactly the given number of characters: numbered lines ended by CR LF.
QString reportText(int chars)
{
    QString text;
    for (int line = 1; text.size() < chars; ++line)
        text += QStringLiteral("%1 > some/relative/path/file%2.txt\r\n").arg(line, 6).arg(line);
    text.truncate(chars);
    return text;
}

QString crLfToLf(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

class TestFrmView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void notesHaveTheirLengths();
    void showsFileUpToTheLimit_data();
    void showsFileUpToTheLimit();
    void reportsReadErrors_data();
    void reportsReadErrors();
    void copiesWholeText();
    void copiesCutTextWithNotes();
    void copiesSelection();
    void clickWithoutSelectionRestoresCaption();
    void keyboardSelectionRelabelsButton();
    void snapsToMinimumSize();
    void laysOutControlsOnResize();
    void minimizedWindowKeepsLayout();
    void reactivationDoesNotReload();
    void showingBAfterAShowsB();
    void placesViewerOverMainWindow();
    void maximizedViewerKeepsItsPlace();
    void minimizedViewerIsRestored();
    void closeBoxUnloads();

private:
    QString file(const QString &name, const QByteArray &content);
    frmView &showLoaded(const QString &path);

    QTemporaryDir m_dir;
    FakeUiServices *m_ui = nullptr;
    QWidget *m_main = nullptr;
};

void TestFrmView::init()
{
    m_ui = new FakeUiServices;
    m_main = new QWidget;
    m_main->move(40, 30);
    m_main->resize(900, 640);
}

void TestFrmView::cleanup()
{
    frmView::unloadInstance();
    delete m_main;
    delete m_ui;
}

QString TestFrmView::file(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(name);
    if (!writeBytes(path, content))
        qFatal("cannot write the fixture %s", qPrintable(path));
    return path;
}

frmView &TestFrmView::showLoaded(const QString &path)
{
    cheqora::ShowInViewer(m_main, path, path);
    frmView &view = frmView::instance();
    if (!QTest::qWaitFor([&view] { return view.blnViewLoaded; }))
        qFatal("the viewer did not load %s", qPrintable(path));
    return view;
}

void TestFrmView::notesHaveTheirLengths()
{
    QCOMPARE(frmView::HeadNote().size(), 168);
    QCOMPARE(frmView::TailNote().size(), 56);
    QVERIFY(frmView::HeadNote().endsWith(QStringLiteral("editor.\r\n\r\n")));
}

void TestFrmView::showsFileUpToTheLimit_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("shown");
    const QString head = QStringLiteral(
        "NOTE: This file is too large to display entirely in this textbox.\r\n"
        "To view the entire contents of the file load it into NotePad,\r\n"
        "WordPad or some other text editor.\r\n\r\n");
    const QString tail = QStringLiteral("\r\n\r\nNOTE: Entire contents of file have not been displayed.\r\n");

    const QString small = QStringLiteral("line one\r\nline two\r\n");
    QTest::newRow("small") << small << small;
    const QString under = reportText(65529);
    QTest::newRow("65529 characters") << under << under;
    const QString at = reportText(65530);
    QTest::newRow("65530 characters") << at << head + at.left(65306) + tail;
    // Far beyond what is read of it: the same cut from the first part of the file.
    const QString big = reportText(1000000);
    QTest::newRow("1,000,000 characters") << big << head + big.left(65306) + tail;
    // Two bytes a character: the part read still holds more than the limit.
    const QString accented(200000, QChar(0xE9));
    QTest::newRow("200,000 accented letters") << accented << head + accented.left(65306) + tail;
}

void TestFrmView::showsFileUpToTheLimit()
{
    QFETCH(QString, content);
    QFETCH(QString, shown);
    const QString path = file(QStringLiteral("report.txt"), content.toUtf8());
    frmView &view = showLoaded(path);
    QVERIFY(view.isVisible());
    QCOMPARE(view.windowTitle(), path);
    QCOMPARE(view.Text().size(), shown.size());
    QCOMPARE(view.Text(), shown);
    QCOMPARE(view.txbText1->toPlainText(), crLfToLf(shown));
    QVERIFY(view.txbText1->isReadOnly());
    QCOMPARE(view.txbText1->textCursor().position(), 0);
    QCOMPARE(view.txbText1->font().family(), QStringLiteral("Courier New"));
    QCOMPARE(view.txbText1->font().pointSizeF(), 8.0);
    QVERIFY(m_ui->boxes.isEmpty());
    if (content.size() >= frmView::kMaxShownChars)
        QCOMPARE(shown.size(), 65534);
}

void TestFrmView::reportsReadErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("empty") << QStringLiteral("empty.txt") << QStringLiteral("File is empty!") << QStringLiteral("Error");
    QTest::newRow("missing") << QStringLiteral("missing.txt") << QStringLiteral("Error 53.  File not found")
                             << QStringLiteral("Error reading file");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("Error 75.  Path/File access error")
                            << QStringLiteral("Error reading file");
}

void TestFrmView::reportsReadErrors()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, title);
    const QString path = m_dir.filePath(name);
    if (name == QStringLiteral("empty.txt"))
        QVERIFY(writeBytes(path, QByteArray()));
    if (name == QStringLiteral("folder"))
        QVERIFY(QDir().mkpath(path));

    bool visibleAtBox = false;
    m_ui->onBox = [&visibleAtBox](const FakeUiServices::Box &) {
        visibleAtBox = frmView::instance().isVisible();
        // Activation while the box is up must not read the file a second time.
        frmView::instance().Form_Activate();
    };
    frmView &view = showLoaded(path);
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, text);
    QCOMPARE(m_ui->boxes.at(0).title, title);
    QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Exclamation);
    QVERIFY(visibleAtBox);
    QVERIFY(!view.isVisible());
    QVERIFY(view.blnViewLoaded);
    QCOMPARE(view.Text(), QString());

    // Activating it again does not repeat the message.
    view.Form_Activate();
    QCoreApplication::processEvents();
    QCOMPARE(m_ui->boxes.size(), 1);
}

void TestFrmView::copiesWholeText()
{
    const QByteArray content = "first line\r\nsecond line\r\n";
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), content));
    QTest::mouseClick(view.cmdCopyToClipboard, Qt::LeftButton);
    QCOMPARE(m_ui->clipboardWrites, 1);
    QCOMPARE(m_ui->clipboard, QString::fromUtf8(content));
    QCOMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy to clipboard"));
    QCOMPARE(view.cmdCopyToClipboard->width(), px(3270));
    QCOMPARE(view.focusWidget(), view.cmdClose);
}

void TestFrmView::copiesCutTextWithNotes()
{
    const QString content = reportText(70000);
    frmView &view = showLoaded(file(QStringLiteral("big.txt"), content.toUtf8()));
    view.cmdCopyToClipboard_Click();
    QCOMPARE(m_ui->clipboard, frmView::ShownText(content));
    QVERIFY(m_ui->clipboard.startsWith(frmView::HeadNote()));
    QVERIFY(m_ui->clipboard.endsWith(frmView::TailNote()));
}

void TestFrmView::copiesSelection()
{
    const QByteArray content = "alpha beta\r\ngamma delta\r\nepsilon\r\n";
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), content));
    QPlainTextEdit *edit = view.txbText1;

    // Drag from "beta" on the first line to the end of "gamma" on the second.
    QTextCursor c(edit->document());
    c.setPosition(6);
    const QPoint from = edit->cursorRect(c).center();
    c.setPosition(16);
    const QPoint to = edit->cursorRect(c).center();
    QTest::mousePress(edit->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(edit->viewport(), to);
    QTest::mouseRelease(edit->viewport(), Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(edit->textCursor().hasSelection());
    QTRY_COMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy selected text to clipboard"));
    QCOMPARE(view.cmdCopyToClipboard->width(), px(4425));
    QCOMPARE(view.SelectedText(), QStringLiteral("beta\r\ngamma"));

    QTest::mouseClick(view.cmdCopyToClipboard, Qt::LeftButton);
    QCOMPARE(m_ui->clipboard, QStringLiteral("beta\r\ngamma"));
    QCOMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy to clipboard"));
    QCOMPARE(view.cmdCopyToClipboard->width(), px(3270));
    QCOMPARE(view.focusWidget(), view.cmdClose);

    // A selection over several line breaks maps back to the file's own characters.
    QTextCursor all(edit->document());
    all.setPosition(10);
    all.setPosition(edit->document()->characterCount() - 1, QTextCursor::KeepAnchor);
    edit->setTextCursor(all);
    view.cmdCopyToClipboard_Click();
    QCOMPARE(m_ui->clipboard, QStringLiteral("\r\ngamma delta\r\nepsilon\r\n"));
}

void TestFrmView::clickWithoutSelectionRestoresCaption()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "alpha beta\r\ngamma\r\n"));
    QPlainTextEdit *edit = view.txbText1;
    QTextCursor c = edit->textCursor();
    c.setPosition(0);
    c.setPosition(5, QTextCursor::KeepAnchor);
    edit->setTextCursor(c);
    view.txbText1_MouseUp();
    QCOMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy selected text to clipboard"));

    QTextCursor at(edit->document());
    at.setPosition(8);
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, Qt::NoModifier, edit->cursorRect(at).center());
    QVERIFY(!edit->textCursor().hasSelection());
    QTRY_COMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy to clipboard"));
    QCOMPARE(view.cmdCopyToClipboard->width(), px(3270));
}

void TestFrmView::keyboardSelectionRelabelsButton()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "alpha beta\r\ngamma\r\n"));
    view.txbText1->setFocus();
    QTest::keyClick(view.txbText1, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(view.txbText1, Qt::Key_Right, Qt::ShiftModifier);
    QTRY_COMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy selected text to clipboard"));
    view.cmdCopyToClipboard_Click();
    QCOMPARE(m_ui->clipboard, QStringLiteral("al"));
}

void TestFrmView::snapsToMinimumSize()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "text\r\n"));
    view.SetSizeTwips(3000, 1000);
    QVERIFY(view.WidthTwips() >= 8000);
    QVERIFY(view.WidthTwips() < 8000 + 15);
    QVERIFY(view.HeightTwips() >= 2000);
    QVERIFY(view.HeightTwips() < 2000 + 15);
    // Only the dimension that is too small snaps.
    view.SetSizeTwips(12000, 500);
    QCOMPARE(view.WidthTwips(), 12000);
    QVERIFY(view.HeightTwips() < 2000 + 15);
}

void TestFrmView::laysOutControlsOnResize()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "text\r\n"));
    for (const QSize twips : {QSize(12000, 9000), QSize(8000, 2000), QSize(15000, 4500)}) {
        view.SetSizeTwips(twips.width(), twips.height());
        const QRect text = view.txbText1->geometry();
        QCOMPARE(text.topLeft(), QPoint(px(105), px(105)));
        QCOMPARE(text.width(), px(view.WidthTwips() - 450));
        QCOMPARE(text.height(), px(view.HeightTwips() - 1200));
        QCOMPARE(view.cmdCopyToClipboard->y(), text.y() + text.height() + px(100));
        QCOMPARE(view.cmdCopyToClipboard->x(), text.x());
        QCOMPARE(view.cmdClose->y(), view.cmdCopyToClipboard->y());
        QCOMPARE(view.cmdClose->x() + view.cmdClose->width(), text.x() + text.width());
        QVERIFY(view.cmdClose->y() + view.cmdClose->height() <= view.height());
    }
    // The design size lays the controls out where they were drawn.
    view.SetSizeTwips(11670 + frmView::kFrameWidthTwips, 6585 + frmView::kFrameHeightTwips);
    QCOMPARE(view.txbText1->width(), px(11460));
    QCOMPARE(view.txbText1->height(), px(5760));
}

void TestFrmView::minimizedWindowKeepsLayout()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "text\r\n"));
    view.SetSizeTwips(12000, 6000);
    const QRect text = view.txbText1->geometry();
    view.setWindowState(Qt::WindowMinimized);
    view.SetSizeTwips(9000, 3000);
    view.Form_Resize();
    QCOMPARE(view.txbText1->geometry(), text);
}

void TestFrmView::reactivationDoesNotReload()
{
    const QString path = file(QStringLiteral("r.txt"), "original one\r\noriginal two\r\n");
    frmView &view = showLoaded(path);
    QTextCursor c = view.txbText1->textCursor();
    c.setPosition(3);
    c.setPosition(7, QTextCursor::KeepAnchor);
    view.txbText1->setTextCursor(c);

    QVERIFY(writeBytes(path, "changed\r\n"));
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&view, &activate);
    view.Form_Activate();
    m_main->show();
    m_main->activateWindow();
    view.activateWindow();
    QCoreApplication::processEvents();
    QCOMPARE(view.Text(), QStringLiteral("original one\r\noriginal two\r\n"));
    QCOMPARE(view.txbText1->textCursor().selectionStart(), 3);
    QCOMPARE(view.txbText1->textCursor().selectionEnd(), 7);

    // A new show request reads the file again.
    cheqora::ShowInViewer(m_main, path, path);
    QTRY_COMPARE(view.Text(), QStringLiteral("changed\r\n"));
}

void TestFrmView::showingBAfterAShowsB()
{
    const QString a = file(QStringLiteral("a.txt"), "report A\r\n");
    const QString b = file(QStringLiteral("b.txt"), "report B\r\n");
    frmView &view = showLoaded(a);
    QCOMPARE(view.Text(), QStringLiteral("report A\r\n"));
    QTest::mouseClick(view.cmdClose, Qt::LeftButton);
    QVERIFY(!view.isVisible());
    QCOMPARE(view.Text(), QStringLiteral("report A\r\n")); // kept until the next request

    showLoaded(b);
    QVERIFY(view.isVisible());
    QCOMPARE(view.windowTitle(), b);
    QCOMPARE(view.Text(), QStringLiteral("report B\r\n"));

    // A request while the viewer is still open replaces its text too.
    showLoaded(a);
    QCOMPARE(view.windowTitle(), a);
    QCOMPARE(view.Text(), QStringLiteral("report A\r\n"));
    QCOMPARE(view.cmdCopyToClipboard->text(), QStringLiteral("Copy to clipboard"));
}

void TestFrmView::placesViewerOverMainWindow()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "text\r\n"));
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(350)));
    QCOMPARE(view.size(), m_main->size() - QSize(px(200), px(450)));
    QCOMPARE(view.windowState(), Qt::WindowNoState);
}

void TestFrmView::maximizedViewerKeepsItsPlace()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "first\r\n"));
    const QRect normal = view.geometry();
    view.showMaximized();
    QTRY_VERIFY(view.isMaximized() && view.geometry() != normal);
    const QRect before = view.geometry();
    showLoaded(file(QStringLiteral("s.txt"), "second\r\n"));
    QVERIFY(view.isMaximized());
    QCOMPARE(view.geometry(), before);
    QCOMPARE(view.Text(), QStringLiteral("second\r\n"));
}

void TestFrmView::minimizedViewerIsRestored()
{
    frmView &view = showLoaded(file(QStringLiteral("r.txt"), "first\r\n"));
    view.showMinimized();
    QTRY_VERIFY(view.isMinimized());
    showLoaded(file(QStringLiteral("s.txt"), "second\r\n"));
    QVERIFY(!view.isMinimized());
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(350)));
    QCOMPARE(view.Text(), QStringLiteral("second\r\n"));
}

void TestFrmView::closeBoxUnloads()
{
    const QString path = file(QStringLiteral("r.txt"), "first\r\n");
    frmView &view = showLoaded(path);
    QVERIFY(view.close());
    QVERIFY(!view.isVisible());
    QVERIFY(!view.blnViewLoaded);
    QVERIFY(writeBytes(path, "again\r\n"));
    view.ShowModeless();
    QTRY_COMPARE(view.Text(), QStringLiteral("again\r\n"));
}

CHEQORA_TEST_GUI_MAIN(TestFrmView)
#include "tst_frmview.moc"
