#include "fakeuiservices.h"
#include "testmain.h"
#include "textcatalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace platform;
using cheqora::test::FakeUiServices;

class TestTextCatalogue : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QByteArray &content, const QString &name = QStringLiteral("chqr.dat"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    static QByteArray numberedTexts(int count)
    {
        QByteArray out;
        for (int i = 1; i <= count; ++i)
            out += QByteArray::number(i) + "=text " + QByteArray::number(i) + '\n';
        return out;
    }

private slots:
    void loadsTextsAsWritten()
    {
        const QString path = write("\xEF\xBB\xBF# comment\r\n"
                                   "\r\n"
                                   "14=https://www.vantorel.example/\r\n"
                                   "   # indented comment\n"
                                   "34 = leading blank kept  \n"
                                   "55=\xC3\x84hnlich = gleich\n"
                                   "7=~\n");
        QCOMPARE(toolbelt::_lt(path, 0), 4);
        QCOMPARE(UIText(14), QStringLiteral("https://www.vantorel.example/"));
        QCOMPARE(UIText(34), QStringLiteral(" leading blank kept  "));
        QCOMPARE(UIText(55), QStringLiteral("\u00C4hnlich = gleich"));
        // "~" marks a number without text; an unknown number has none either.
        QCOMPARE(UIText(7), QString());
        QCOMPARE(UIText(8), QString());
        QCOMPARE(UIText(-1), QString());
    }

    void lookupCutsToTheBufferAndKnowsOnlyLanguageZero()
    {
        QVERIFY(toolbelt::_lt(write("3=abcdef\n"), 0) >= 1);
        QChar buffer[4];
        QCOMPARE(toolbelt::_gt(3, 0, buffer, 4, 1), 4);
        QCOMPARE(QString(buffer, 4), QStringLiteral("abcd"));
        QCOMPARE(toolbelt::_gt(3, 1, buffer, 4, 1), 0);
        QCOMPARE(toolbelt::_gt(3, 0, buffer, 0, 1), 0);
    }

    void longestTextIsServedWhole()
    {
        const QByteArray text(toolbelt::kMaxTextLength, 'x');
        QCOMPARE(toolbelt::_lt(write("9=" + text + "\n"), 0), 1);
        QCOMPARE(UIText(9), QString::fromLatin1(text));
    }

    void limitsAreInclusive()
    {
        QCOMPARE(toolbelt::_lt(write(numberedTexts(toolbelt::kMaxTexts)), 0), toolbelt::kMaxTexts);
        QByteArray lines(toolbelt::kMaxLines - 1, '\n');
        QCOMPARE(toolbelt::_lt(write(lines + "1=last line\n"), 0), 1);
        QCOMPARE(UIText(1), QStringLiteral("last line"));
    }

    void failedLoadForgetsEarlierTexts()
    {
        QVERIFY(toolbelt::_lt(write("5=five\n"), 0) >= 1);
        QCOMPARE(UIText(5), QStringLiteral("five"));
        QVERIFY(toolbelt::_lt(write("5=five\n5=again\n"), 0) < 1);
        QCOMPARE(UIText(5), QString());
    }

    // Every failure the loader can meet, with the result and the message the start-up shows.
    void failuresAndTheirMessages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");

        QTest::newRow("empty file") << QByteArray() << -6 << QStringLiteral("File is empty.");
        QTest::newRow("comments only") << QByteArray("# nothing\n\n") << 0 << QStringLiteral("No program text was read.");
        QTest::newRow("number without text") << QByteArray("1=a\n# c\n2\n") << -503
                                             << QStringLiteral("Missing string at line 3.");
        QTest::newRow("number and = without text") << QByteArray("1=\n") << -501
                                                   << QStringLiteral("Missing string at line 1.");
        QTest::newRow("text too long") << QByteArray("1=a\n2=" + QByteArray(toolbelt::kMaxTextLength + 1, 'y') + "\n")
                                       << -1002 << QStringLiteral("String too long at line 2.");
        QTest::newRow("duplicate") << QByteArray("5=a\n\n# c\n5=b\n") << -1504
                                   << QStringLiteral("Duplicate in program text at line 4.");
        QTest::newRow("too many texts") << numberedTexts(toolbelt::kMaxTexts + 1) << -3
                                        << QStringLiteral("Too much program text.");
        QTest::newRow("too many lines") << QByteArray(toolbelt::kMaxLines, '\n') + "1=a\n" << -3
                                        << QStringLiteral("Too much program text.");
        QTest::newRow("line without number") << QByteArray("1=a\nhello\n") << -9 << QStringLiteral("Error -9");
        QTest::newRow("number without =") << QByteArray("1 a\n") << -9 << QStringLiteral("Error -9");
        QTest::newRow("number too large") << QByteArray("32768=a\n") << -10 << QStringLiteral("Error -10");
        QTest::newRow("negative number") << QByteArray("-1=a\n") << -9 << QStringLiteral("Error -9");
    }

    void failuresAndTheirMessages()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, result);
        QFETCH(QString, message);
        const QString path = write(content);
        QCOMPARE(toolbelt::_lt(path, 0), result);
        QCOMPARE(ProgramTextLoadMessage(result, path), message);

        FakeUiServices fake;
        QVERIFY(!LoadProgramText(QStringLiteral("chqr.dat"), m_dir.path()));
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes.first().text, message);
        QCOMPARE(fake.boxes.first().icon, MsgIcon::Critical);
        QCOMPARE(fake.boxes.first().buttons, MsgButtons::Ok);
        QCOMPARE(fake.boxes.first().title, QString());
    }

    void missingFileNamesItsPathOnTheNextLine()
    {
        QTemporaryDir empty;
        FakeUiServices fake;
        // A folder given with its trailing separator gets no second one.
        QVERIFY(!LoadProgramText(QStringLiteral("chqr.dat"), empty.path() + u'/'));
        QCOMPARE(fake.boxes.size(), 1);
        QCOMPARE(fake.boxes.first().text,
                 QStringLiteral("Cannot open file containing program text.\r\n") + empty.path() + QStringLiteral("/chqr.dat"));
    }

    void unreadableFileIsAReadError()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("chqr.dat")));
        const QString path = dir.filePath(QStringLiteral("chqr.dat"));
        QCOMPARE(toolbelt::_lt(path, 0), int(toolbelt::LtReadError));
        FakeUiServices fake;
        QVERIFY(!LoadProgramText(QStringLiteral("chqr.dat"), dir.path()));
        QCOMPARE(fake.boxes.first().text, QStringLiteral("Error reading file."));
    }

    void successShowsNothing()
    {
        write("1=a\n");
        FakeUiServices fake;
        QVERIFY(LoadProgramText(QStringLiteral("chqr.dat"), m_dir.path()));
        QVERIFY(fake.boxes.isEmpty());
    }

    // Results the loader never produces still have their messages, with the line numbers counted
    // from the edges of each range.
    void messagesOfEveryResultRange_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        QTest::newRow("-2") << -2 << QStringLiteral("Particular memory allocation error.");
        QTest::newRow("-4") << -4 << QStringLiteral("Text not recovered.");
        QTest::newRow("-5") << -5 << QStringLiteral("Error -5");
        QTest::newRow("-8") << -8 << QStringLiteral("General memory allocation error.");
        QTest::newRow("-20") << -20 << QStringLiteral("Error -20");
        QTest::newRow("-500") << -500 << QStringLiteral("Error -500");
        QTest::newRow("-501") << -501 << QStringLiteral("Missing string at line 1.");
        QTest::newRow("-1000") << -1000 << QStringLiteral("Missing string at line 500.");
        QTest::newRow("-1001") << -1001 << QStringLiteral("String too long at line 1.");
        QTest::newRow("-1500") << -1500 << QStringLiteral("String too long at line 500.");
        QTest::newRow("-1501") << -1501 << QStringLiteral("Duplicate in program text at line 1.");
        QTest::newRow("-1503") << -1503 << QStringLiteral("Duplicate in program text at line 3.");
    }

    void messagesOfEveryResultRange()
    {
        QFETCH(int, result);
        QFETCH(QString, message);
        QCOMPARE(ProgramTextLoadMessage(result, QStringLiteral("/x/chqr.dat")), message);
    }

    // The catalogue that ships beside the program holds every text the windows use.
    void shippedCatalogueHoldsTheWindowsTexts()
    {
        FakeUiServices fake;
        QVERIFY(LoadProgramText(QStringLiteral("chqr.dat"), QStringLiteral(CHEQORA_BIN_DIR)));
        for (int n : {14, 34, 46, 48, 49, 50, 51, 55, 56, 76})
            QVERIFY2(!UIText(n).isEmpty(), qPrintable(QString::number(n)));
        QVERIFY(UIText(55) != UIText(56));
        QVERIFY(UIText(14).startsWith(QStringLiteral("https://")));
        QVERIFY(UIText(14).contains(QStringLiteral(".example/")));
    }
};

CHEQORA_TEST_MAIN(TestTextCatalogue)
#include "tst_textcatalogue.moc"
