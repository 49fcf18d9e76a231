#include "fakeuiservices.h"
#include "testmain.h"
#include "textcatalogue.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace platform;

namespace {

// What a start-up from folder shows: "" when the catalogue loads, else the text of its one critical box.
QString startUp(const QString &folder)
{
    cheqora::test::FakeUiServices fake;
    const bool loaded = LoadProgramText(u"chqr.dat"_s, folder);
    const auto box = fake.boxes.value(0);
    if (loaded != fake.boxes.isEmpty() || fake.boxes.size() > 1
        || (!loaded && (box.icon != MsgIcon::Critical || box.buttons != MsgButtons::Ok || !box.title.isEmpty())))
        return u"not one critical OK box without title, or a box after loading"_s;
    return box.text;
}

} // namespace

class TestTextCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QByteArray &content)
    {
        QFile file(m_dir.filePath(u"chqr.dat"_s));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            qFatal("cannot write the catalogue");
        return file.fileName();
    }

private slots:
    void loadsTextsAsWritten()
    {
        const QString longest(toolbelt::kMaxTextLength, u'x');
        QCOMPARE(toolbelt::_lt(write("\xEF\xBB\xBF# comment\r\n\r\n14=https://www.vantorel.example/\r\n   # indented\n"
                                     "34 = leading blank kept  \n55=\xC3\x84hnlich = gleich\n7=~\n9=" + longest.toLatin1() + '\n'), 0), 5);
        // The full buffer length is served whole; "~" marks a number without text, as is an unknown one.
        QCOMPARE(QStringList({UIText(14), UIText(34), UIText(55), UIText(9), UIText(7) + UIText(8)}),
                 QStringList({u"https://www.vantorel.example/"_s, u" leading blank kept  "_s, u"\u00C4hnlich = gleich"_s,
                              longest, QString()}));
        // A smaller buffer cuts the text; only language 0 exists.
        QChar buffer[4];
        QCOMPARE(toolbelt::_gt(55, 0, buffer, 4, 1), 4);
        QCOMPARE(QString(buffer, 4), u"\u00C4hnl"_s);
        QCOMPARE(toolbelt::_gt(55, 1, buffer, 4, 1), 0);
        // A failed load leaves no stale texts behind.
        QVERIFY(toolbelt::_lt(write("5=five\n5=again\n"), 0) < 1);
        QCOMPARE(UIText(14), QString());
    }

    // Each result the loader can give, at the edges of its limits, with what the start-up shows.
    void loadResultsAndMessages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        const auto texts = [](int count) {
            QByteArray out;
            for (int i = 1; i <= count; ++i)
                out += QByteArray::number(i) + "=text\n";
            return out;
        };
        const QByteArray tooLong = "1=a\n2=" + QByteArray(toolbelt::kMaxTextLength + 1, 'y') + '\n';
        QTest::newRow("most texts") << texts(toolbelt::kMaxTexts) << toolbelt::kMaxTexts << QString();
        QTest::newRow("most lines") << QByteArray(toolbelt::kMaxLines - 1, '\n') + "1=a\n" << 1 << QString();
        QTest::newRow("empty file") << QByteArray() << -6 << u"File is empty."_s;
        QTest::newRow("comments only") << QByteArray("# nothing\n\n") << 0 << u"No program text was read."_s;
        QTest::newRow("number without text") << QByteArray("1=a\n# c\n2\n") << -503 << u"Missing string at line 3."_s;
        QTest::newRow("number and =") << QByteArray("1=\n") << -501 << u"Missing string at line 1."_s;
        QTest::newRow("text too long") << tooLong << -1002 << u"String too long at line 2."_s;
        QTest::newRow("duplicate") << QByteArray("5=a\n\n# c\n5=b\n") << -1504 << u"Duplicate in program text at line 4."_s;
        QTest::newRow("too many texts") << texts(toolbelt::kMaxTexts + 1) << -3 << u"Too much program text."_s;
        QTest::newRow("too many lines") << QByteArray(toolbelt::kMaxLines, '\n') + "1=a\n" << -3 << u"Too much program text."_s;
        QTest::newRow("line without number") << QByteArray("1=a\nhello\n") << -9 << u"Error -9"_s;
        QTest::newRow("number too large") << QByteArray("32768=a\n") << -10 << u"Error -10"_s;
    }

    void loadResultsAndMessages()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, result);
        QFETCH(QString, message);
        QCOMPARE(toolbelt::_lt(write(content), 0), result);
        QCOMPARE(startUp(m_dir.path()), message);
    }

    void missingAndUnreadableFiles()
    {
        QTemporaryDir dir;
        // A folder given with its trailing separator gets no second one.
        QCOMPARE(startUp(dir.path() + u'/'), u"Cannot open file containing program text.\r\n"_s + dir.path() + u"/chqr.dat"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"chqr.dat"_s));
        QCOMPARE(toolbelt::_lt(dir.filePath(u"chqr.dat"_s), 0), int(toolbelt::LtReadError));
        QCOMPARE(startUp(dir.path()), u"Error reading file."_s);
        // A catalogue over 1 MiB is refused before it is read (the file is sparse: no disk space).
        QVERIFY(QDir(dir.path()).rmdir(u"chqr.dat"_s));
        QFile big(dir.filePath(u"chqr.dat"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write("1=a\n") == 4 && big.resize((qint64(1) << 30)));
        big.close();
        QCOMPARE(startUp(dir.path()), u"Too much program text."_s);
    }

    // The catalogue that ships beside the program holds every text the windows use.
    void shippedCatalogueHoldsTheWindowsTexts()
    {
        QCOMPARE(startUp(QStringLiteral(CHEQORA_BIN_DIR)), QString());
        for (int n : {14, 34, 46, 48, 49, 50, 51, 55, 56, 76})
            QVERIFY2(!UIText(n).isEmpty(), qPrintable(QString::number(n)));
        QVERIFY(UIText(55) != UIText(56) && UIText(14).startsWith(u"https://"_s) && UIText(14).contains(u".example/"_s));
    }
};

CHEQORA_TEST_MAIN(TestTextCatalogue)
#include "tst_textcatalogue.moc"
