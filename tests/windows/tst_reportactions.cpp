#include "reportactions.h"

#include "fakeuiservices.h"
#include "filesystem.h"
#include "frmpopup.h"
#include "frmview.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

using cheqora::frmPopUp;
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

} // namespace

class TestReportActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void viewDoesNothingForEmptyPath();
    void viewReportsMissingFile();
    void viewRefusesFilesShorterThanThreeBytes_data();
    void viewRefusesFilesShorterThanThreeBytes();
    void viewShowsReportTitledWithItsPath();
    void deleteDoesNothingForEmptyPath();
    void deleteReportsMissingFileAndEmptiesField();
    void deleteRemovesFileAndConfirms();
    void deleteReportsFailureAndKeepsPath();
    void helpShowsHelpFile();
    void helpReportsMissingFile();
    void helpRestoresMinimizedViewer();

private:
    cheqora::ReportActionHooks hooks();

    QTemporaryDir m_dir;
    FakeUiServices *m_ui = nullptr;
    QWidget *m_main = nullptr;
    int m_focusCalls = 0;
};

void TestReportActions::init()
{
    m_ui = new FakeUiServices;
    m_main = new QWidget;
    m_main->move(60, 40);
    m_main->resize(960, 700);
    m_focusCalls = 0;
}

void TestReportActions::cleanup()
{
    frmView::unloadInstance();
    frmPopUp::unloadInstance();
    delete m_main;
    delete m_ui;
}

cheqora::ReportActionHooks TestReportActions::hooks()
{
    cheqora::ReportActionHooks h;
    h.mainWindow = m_main;
    h.uiText = [](int n) { return QStringLiteral("UI text %1").arg(n); };
    h.focusFirstFile = [this] { ++m_focusCalls; };
    return h;
}

void TestReportActions::viewDoesNothingForEmptyPath()
{
    cheqora::ViewReportFile(hooks(), QString());
    QVERIFY(m_ui->boxes.isEmpty());
    QCOMPARE(m_focusCalls, 0);
    QVERIFY(!frmView::existingInstance());
}

void TestReportActions::viewReportsMissingFile()
{
    cheqora::ViewReportFile(hooks(), m_dir.filePath(QStringLiteral("gone.txt")));
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, QStringLiteral("UI text 46"));
    QCOMPARE(m_ui->boxes.at(0).title, QStringLiteral("View"));
    QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Exclamation);
    QCOMPARE(m_focusCalls, 1);
    QVERIFY(!frmView::existingInstance() || !frmView::existingInstance()->isVisible());
}

void TestReportActions::viewRefusesFilesShorterThanThreeBytes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("shown");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("one empty line") << QByteArray("\r\n") << false;
    QTest::newRow("three bytes") << QByteArray("a\r\n") << true;
}

void TestReportActions::viewRefusesFilesShorterThanThreeBytes()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, shown);
    const QString path = m_dir.filePath(QStringLiteral("short.txt"));
    QVERIFY(writeBytes(path, content));
    cheqora::ViewReportFile(hooks(), path);
    if (shown) {
        QTRY_VERIFY(frmView::instance().blnViewLoaded);
        QCOMPARE(frmView::instance().Text(), QString::fromUtf8(content));
        QVERIFY(m_ui->boxes.isEmpty());
        QCOMPARE(m_focusCalls, 0);
        return;
    }
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, QStringLiteral("UI text 76"));
    QCOMPARE(m_ui->boxes.at(0).title, QStringLiteral("View"));
    QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Exclamation);
    QCOMPARE(m_focusCalls, 1);
    QVERIFY(!frmView::existingInstance());
}

void TestReportActions::viewShowsReportTitledWithItsPath()
{
    const QString path = m_dir.filePath(QStringLiteral("report.txt"));
    QVERIFY(writeBytes(path, "File added: /new/d.txt, 2026-12-05 10:02:13, 87 bytes\r\n"));
    cheqora::ViewReportFile(hooks(), path);
    frmView &view = frmView::instance();
    QTRY_VERIFY(view.blnViewLoaded);
    QVERIFY(view.isVisible());
    QCOMPARE(view.windowTitle(), path);
    QCOMPARE(view.strViewFile, path);
    QCOMPARE(view.txbText1->font().family(), QStringLiteral("Courier New"));
    QCOMPARE(view.txbText1->font().pointSizeF(), 8.0);
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(350)));
    QCOMPARE(view.size(), m_main->size() - QSize(px(200), px(450)));
}

void TestReportActions::deleteDoesNothingForEmptyPath()
{
    QLineEdit field;
    cheqora::DeleteReportFile(hooks(), &field);
    QVERIFY(m_ui->boxes.isEmpty());
    QCOMPARE(m_focusCalls, 0);
    QVERIFY(!frmPopUp::existingInstance());
}

void TestReportActions::deleteReportsMissingFileAndEmptiesField()
{
    QLineEdit field(m_dir.filePath(QStringLiteral("gone.txt")));
    cheqora::DeleteReportFile(hooks(), &field);
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, QStringLiteral("UI text 46"));
    QCOMPARE(m_ui->boxes.at(0).title, QStringLiteral("Delete"));
    QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Information);
    QCOMPARE(field.text(), QString());
    QCOMPARE(m_focusCalls, 1);
    QVERIFY(!frmPopUp::existingInstance());
}

void TestReportActions::deleteRemovesFileAndConfirms()
{
    const QString path = m_dir.filePath(QStringLiteral("report.txt"));
    QVERIFY(writeBytes(path, "File removed: /old/c.txt\r\n"));
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
    QLineEdit field(path);
    m_ui->screenTwips = QSize(19200, 14400);

    bool fileGoneWhileUp = false;
    QString message;
    QRect geometry;
    int interval = 0;
    frmPopUp &popup = frmPopUp::instance();
    QTimer::singleShot(0, &popup, [&] {
        fileGoneWhileUp = !QFile::exists(path);
        message = popup.lblMessage->text();
        geometry = QRect(popup.pos(), popup.size());
        interval = popup.Timer1->interval();
        QTest::mouseRelease(popup.lblMessage, Qt::LeftButton);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, &popup, &QWidget::hide);
    watchdog.start(60000);
    cheqora::DeleteReportFile(hooks(), &field);
    QVERIFY(watchdog.isActive());
    watchdog.stop();

    QVERIFY(fileGoneWhileUp);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(message, QStringLiteral("UI text 48"));
    QCOMPARE(geometry, QRect(px(7500), px(7000), px(4200), px(400)));
    QCOMPARE(interval, 2000);
    QVERIFY(m_ui->boxes.isEmpty());
    QCOMPARE(field.text(), QString());
    QCOMPARE(m_focusCalls, 1);

    // With the field emptied, View has nothing to do.
    cheqora::ViewReportFile(hooks(), field.text());
    QVERIFY(m_ui->boxes.isEmpty());
    QCOMPARE(m_focusCalls, 1);
}

void TestReportActions::deleteReportsFailureAndKeepsPath()
{
    // The process file system refuses every deletion, whoever asks.
    const QString path = QStringLiteral("/proc/self/status");
    QVERIFY(platform::fileExists(path));
    QLineEdit field(path);
    cheqora::DeleteReportFile(hooks(), &field);
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, QStringLiteral("The report file could not be deleted:\r\n/proc/self/status\r\n\r\n"
                                                     "Error 70.  Permission denied"));
    QCOMPARE(m_ui->boxes.at(0).title, QStringLiteral("Delete"));
    QCOMPARE(m_ui->boxes.at(0).icon, platform::MsgIcon::Exclamation);
    QCOMPARE(field.text(), path);
    QCOMPARE(m_focusCalls, 1);
    QVERIFY(!frmPopUp::existingInstance());
}

void TestReportActions::helpShowsHelpFile()
{
    const QString expectedPath = platform::programFolder() + QStringLiteral("/chqr_help.txt");
    QVERIFY2(QFile::exists(expectedPath), qPrintable(expectedPath));
    cheqora::ShowHelp(m_main);
    frmView &view = frmView::instance();
    QTRY_VERIFY(view.blnViewLoaded);
    QVERIFY(m_ui->boxes.isEmpty());
    QVERIFY(view.isVisible());
    QCOMPARE(view.strViewFile, expectedPath);
    QCOMPARE(view.windowTitle(), QStringLiteral("Help for CHQR"));
    QCOMPARE(view.txbText1->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(view.txbText1->font().pointSizeF(), 8.0);
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(380)));
    QCOMPARE(view.size(), m_main->size() - QSize(px(200), px(480)));
    QVERIFY(view.Text().contains(QStringLiteral("Save state")));
    QVERIFY(view.Text().contains(QStringLiteral("~/.config/Vantorel/chqr.usr")));
    QVERIFY(!view.Text().startsWith(frmView::HeadNote()));

    // A report after the help text moves the viewer to the report placement and font.
    const QString report = m_dir.filePath(QStringLiteral("report.txt"));
    QVERIFY(writeBytes(report, "abc\r\n"));
    cheqora::ViewReportFile(hooks(), report);
    QTRY_COMPARE(view.Text(), QStringLiteral("abc\r\n"));
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(350)));
    QCOMPARE(view.txbText1->font().family(), QStringLiteral("Courier New"));
}

void TestReportActions::helpReportsMissingFile()
{
    cheqora::ShowHelp(m_main, m_dir.path());
    frmView &view = frmView::instance();
    QTRY_VERIFY(view.blnViewLoaded);
    QCOMPARE(m_ui->boxes.size(), 1);
    QCOMPARE(m_ui->boxes.at(0).text, QStringLiteral("Error 53.  File not found"));
    QCOMPARE(m_ui->boxes.at(0).title, QStringLiteral("Error reading file"));
    QVERIFY(!view.isVisible());
    QCOMPARE(view.strViewFile, m_dir.path() + QStringLiteral("/chqr_help.txt"));
}

void TestReportActions::helpRestoresMinimizedViewer()
{
    const QString folder = m_dir.path();
    QVERIFY(writeBytes(folder + QStringLiteral("/chqr_help.txt"), "Help text.\r\n"));
    cheqora::ShowHelp(m_main, folder);
    frmView &view = frmView::instance();
    QTRY_VERIFY(view.blnViewLoaded);
    view.showMinimized();
    QTRY_VERIFY(view.isMinimized());
    cheqora::ShowHelp(m_main, folder);
    QTRY_VERIFY(view.blnViewLoaded);
    QVERIFY(!view.isMinimized());
    QCOMPARE(view.pos(), m_main->pos() + QPoint(px(100), px(380)));
    QCOMPARE(view.Text(), QStringLiteral("Help text.\r\n"));
}

CHEQORA_TEST_GUI_MAIN(TestReportActions)
#include "tst_reportactions.moc"
