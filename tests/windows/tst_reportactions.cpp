#include "reportactions.h"

#include "fakeuiservices.h"
#include "filefixtures.h"
#include "filesystem.h"
#include "frmpopup.h"
#include "frmview.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace cheqora::test;
using cheqora::frmPopUp;
using cheqora::frmView;
using platform::MsgIcon;

static int px(int twips) { return platform::twipsToPixels(twips); }

class TestReportActions : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeUiServices *m_ui = nullptr;
    QWidget m_main; // the viewer is placed over it
    int m_focusCalls = 0;

    cheqora::ReportActionHooks hooks()
    {
        return {&m_main, [](int n) { return u"UI text %1"_s.arg(n); }, [this] { ++m_focusCalls; }};
    }
    // The message boxes shown, each as "title|text|icon" with ! for the exclamation mark, i for information.
    QString boxes() const
    {
        QStringList out;
        for (const FakeUiServices::Box &b : m_ui->boxes)
            out << b.title + u'|' + b.text + u'|'
                    + (b.icon == MsgIcon::Exclamation ? u'!' : b.icon == MsgIcon::Information ? u'i' : u'?');
        return out.join(u'\n');
    }

private Q_SLOTS:
    void initTestCase() { m_main.setGeometry(60, 40, 960, 700); }
    void init() { m_ui = new FakeUiServices; m_focusCalls = 0; }
    void cleanup() { frmView::unloadInstance(); frmPopUp::unloadInstance(); delete m_ui; }

    void refusesWithMessages_data()
    {
        QTest::addColumn<bool>("remove"); // Delete, else View
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("fieldAfter");
        const QString gone = m_dir.filePath(u"gone"_s), r = m_dir.filePath(u"r.txt"_s);
        const QString proc = u"/proc/self/status"_s; // refuses every deletion, whoever asks
        QTest::newRow("View, empty field") << false << QString() << QByteArray() << QString() << QString();
        QTest::newRow("View, missing") << false << gone << QByteArray() << u"View|UI text 46|!"_s << gone;
        QTest::newRow("View, empty") << false << r << QByteArray("") << u"View|UI text 76|!"_s << r;
        QTest::newRow("View, 2 bytes") << false << r << QByteArray("\r\n") << u"View|UI text 76|!"_s << r;
        QTest::newRow("Delete, empty field") << true << QString() << QByteArray() << QString() << QString();
        QTest::newRow("Delete, missing") << true << gone << QByteArray() << u"Delete|UI text 46|i"_s << QString();
        QTest::newRow("Delete, refused") << true << proc << QByteArray()
                                         << u"Delete|The report file could not be deleted:\r\n/proc/self/status\r\n\r\n"
                                            "Error 70.  Permission denied|!"_s
                                         << proc;
    }

    void refusesWithMessages()
    {
        QFETCH(bool, remove);
        QFETCH(QString, field);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(QString, fieldAfter);
        QVERIFY(content.isNull() || writeBytes(field, content));
        QLineEdit txbFile(field);
        if (remove)
            cheqora::DeleteReportFile(hooks(), &txbFile);
        else
            cheqora::ViewReportFile(hooks(), txbFile.text());
        QCOMPARE(boxes(), message);
        QCOMPARE(txbFile.text(), fieldAfter);
        QCOMPARE(m_focusCalls, field.isEmpty() ? 0 : 1);
        QVERIFY(!frmView::existingInstance() || !frmView::existingInstance()->isVisible());
        QVERIFY(!frmPopUp::existingInstance());
    }

    void deleteRemovesFileAndConfirms()
    {
        const QString path = m_dir.filePath(u"report.txt"_s);
        QVERIFY(writeBytes(path, "File removed: /old/c.txt\r\n"));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);
        QLineEdit txbFile(path);
        bool goneWhileUp = false;
        frmPopUp &popup = frmPopUp::instance();
        // Closed by a click; should that fail, its own timer closes it.
        QTimer::singleShot(0, &popup, [&] { goneWhileUp = !QFile::exists(path); popup.lblMessage_MouseUp(); });
        cheqora::DeleteReportFile(hooks(), &txbFile);
        QCOMPARE(std::tuple(goneWhileUp, popup.lblMessage->text(), QRect(popup.pos(), popup.size()), popup.Timer1->interval(),
                            boxes() + txbFile.text(), m_focusCalls),
                 std::tuple(true, u"UI text 48"_s, QRect(px(7500), px(7000), px(4200), px(400)), 2000, QString(), 1));
    }

    void helpThenReportInTheViewer()
    {
        cheqora::ShowHelp(&m_main);
        frmView &view = frmView::instance();
        QTRY_VERIFY(view.blnViewLoaded);
        const auto shown = [&view, this] {
            return std::tuple(boxes(), view.isVisible(), view.strViewFile, view.windowTitle(), view.txbText1->font().family(),
                              view.pos() - m_main.pos(), m_main.size() - view.size());
        };
        QCOMPARE(shown(), std::tuple(QString(), true, platform::programFolder() + u"/chqr_help.txt"_s, u"Help for CHQR"_s,
                                     u"MS Sans Serif"_s, QPoint(px(100), px(380)), QSize(px(200), px(480))));
        QVERIFY(view.Text().contains(u"~/.config/Vantorel/chqr.usr"_s) && !view.Text().startsWith(frmView::HeadNote()));

        // The smallest report View shows: titled with its path, in the report's place and font.
        const QString report = m_dir.filePath(u"report.txt"_s);
        QVERIFY(writeBytes(report, "a\r\n"));
        cheqora::ViewReportFile(hooks(), report);
        QTRY_COMPARE(view.Text(), u"a\r\n"_s);
        QCOMPARE(shown(), std::tuple(QString(), true, report, report, u"Courier New"_s, QPoint(px(100), px(350)),
                                     QSize(px(200), px(450))));
        QCOMPARE(m_focusCalls, 0);

        // Without the help file: the viewer's own read error.
        cheqora::ShowHelp(&m_main, m_dir.path());
        QTRY_VERIFY(!view.isVisible());
        QCOMPARE(boxes(), u"Error reading file|Error 53.  File not found|!"_s);
    }
};

CHEQORA_TEST_GUI_MAIN(TestReportActions)
#include "tst_reportactions.moc"
