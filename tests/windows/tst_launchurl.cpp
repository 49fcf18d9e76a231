#include "launchurl.h"

#include "fakeuiservices.h"
#include "testmain.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestLaunchUrl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchesSecurelyAndExplainsFailures_data()
    {
        // What the desktop answers, what was launched, and the message ("" for none).
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("message");
        const QString url = u"HTTP://www.vantorel.example/chqr/Manual.HTML"_s;
        const QString secure = u"https://www.vantorel.example/chqr/Manual.HTML"_s;
        const QString error = u"Error launching web browser, error code = %1."_s;
        const QString unassociated =
            error.arg(31) + u"\r\n\r\nFile extension '%1' is not associated with any application program."_s;
        const int ok = platform::OpenSucceeded;
        QTest::newRow("HTTP: made https:") << url << ok << secure << QString();
        QTest::newRow("every Http:") << u"Http://a.example/?next=http://b.example/"_s << ok
                                     << u"https://a.example/?next=https://b.example/"_s << QString();
        QTest::newRow("33 is success") << url << 33 << secure << QString();
        QTest::newRow("31 no association") << url << 31 << secure << unassociated.arg(u"html"_s);
        QTest::newRow("31 no extension") << u"http://a.example/manual"_s << 31 << u"https://a.example/manual"_s
                                         << unassociated.arg(QString());
        QTest::newRow("8 out of memory") << url << 8 << secure << error.arg(8) + u"\r\n\r\nOut of memory."_s;
        QTest::newRow("2 try again") << url << 2 << secure << error.arg(2) + u"\r\n\r\nPlease try once more."_s;
        QTest::newRow("5 other") << url << 5 << secure << error.arg(5);
        QTest::newRow("32 still a failure") << url << 32 << secure << error.arg(32);
        QTest::newRow("negative") << url << -1 << secure << u"Error launching web browser, error code =-1."_s;
    }

    void launchesSecurelyAndExplainsFailures()
    {
        QFETCH(QString, target);
        QFETCH(int, result);
        QFETCH(QString, opened);
        QFETCH(QString, message);
        cheqora::test::FakeUiServices ui;
        ui.openResults.enqueue(result);
        cheqora::LaunchURL(target);
        QCOMPARE(ui.openedTargets, QStringList{opened});
        QCOMPARE(ui.boxes.size(), message.isEmpty() ? 0 : 1);
        for (const auto &box : ui.boxes) {
            QCOMPARE(box.title + u'|' + box.text, u"Cannot launch web browser|"_s + message);
            QCOMPARE(box.icon, platform::MsgIcon::Exclamation);
            QCOMPARE(box.buttons, platform::MsgButtons::Ok);
        }
    }
};

CHEQORA_TEST_MAIN(TestLaunchUrl)
#include "tst_launchurl.moc"
