#include "launchurl.h"

#include "fakeuiservices.h"
#include "testmain.h"

#include <QtTest>

using cheqora::test::FakeUiServices;

class TestLaunchUrl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void makesHttpSecure_data();
    void makesHttpSecure();
    void explainsFailures_data();
    void explainsFailures();
};

void TestLaunchUrl::makesHttpSecure_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("opened");
    QTest::newRow("upper case") << QStringLiteral("HTTP://www.vantorel.example/chqr/manual.html")
                                << QStringLiteral("https://www.vantorel.example/chqr/manual.html");
    QTest::newRow("mixed case") << QStringLiteral("Http://www.vantorel.example/")
                                << QStringLiteral("https://www.vantorel.example/");
    QTest::newRow("already secure") << QStringLiteral("https://www.vantorel.example/")
                                    << QStringLiteral("https://www.vantorel.example/");
    QTest::newRow("every occurrence") << QStringLiteral("http://a.example/?next=http://b.example/")
                                      << QStringLiteral("https://a.example/?next=https://b.example/");
    QTest::newRow("no scheme") << QStringLiteral("www.vantorel.example") << QStringLiteral("www.vantorel.example");
}

void TestLaunchUrl::makesHttpSecure()
{
    QFETCH(QString, target);
    QFETCH(QString, opened);
    FakeUiServices ui;
    cheqora::LaunchURL(target);
    QCOMPARE(ui.openedTargets, QStringList{opened});
    QVERIFY(ui.boxes.isEmpty());
}

void TestLaunchUrl::explainsFailures_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("message");
    const QString url = QStringLiteral("http://www.vantorel.example/chqr/Manual.HTML");
    QTest::newRow("31 no association")
        << url << 31
        << QStringLiteral("Error launching web browser, error code = 31.\r\n\r\n"
                          "File extension 'html' is not associated with any application program.");
    QTest::newRow("31 without extension")
        << QStringLiteral("http://www.vantorel.example/manual") << 31
        << QStringLiteral("Error launching web browser, error code = 31.\r\n\r\n"
                          "File extension '' is not associated with any application program.");
    QTest::newRow("8 out of memory")
        << url << 8 << QStringLiteral("Error launching web browser, error code = 8.\r\n\r\nOut of memory.");
    QTest::newRow("2 not found")
        << url << 2 << QStringLiteral("Error launching web browser, error code = 2.\r\n\r\nPlease try once more.");
    QTest::newRow("5 other") << url << 5 << QStringLiteral("Error launching web browser, error code = 5.");
    QTest::newRow("32 still a failure") << url << 32 << QStringLiteral("Error launching web browser, error code = 32.");
    QTest::newRow("0") << url << 0 << QStringLiteral("Error launching web browser, error code = 0.");
    QTest::newRow("negative") << url << -1 << QStringLiteral("Error launching web browser, error code =-1.");
    QTest::newRow("33 success") << url << 33 << QString();
}

void TestLaunchUrl::explainsFailures()
{
    QFETCH(QString, target);
    QFETCH(int, result);
    QFETCH(QString, message);
    FakeUiServices ui;
    ui.openResults.enqueue(result);
    cheqora::LaunchURL(target);
    QCOMPARE(ui.openedTargets.size(), 1);
    QVERIFY(ui.openedTargets.at(0).startsWith(QStringLiteral("https://")));
    if (message.isEmpty()) {
        QVERIFY(ui.boxes.isEmpty());
        return;
    }
    QCOMPARE(ui.boxes.size(), 1);
    QCOMPARE(ui.boxes.at(0).text, message);
    QCOMPARE(ui.boxes.at(0).title, QStringLiteral("Cannot launch web browser"));
    QCOMPARE(ui.boxes.at(0).icon, platform::MsgIcon::Exclamation);
    QCOMPARE(ui.boxes.at(0).buttons, platform::MsgButtons::Ok);
}

CHEQORA_TEST_MAIN(TestLaunchUrl)
#include "tst_launchurl.moc"
