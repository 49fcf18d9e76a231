#include "digestline.h"
#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace cheqora::test;

class TestDigestLine : public QObject {
    Q_OBJECT

private slots:
    void lineFormat_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<QString>("sizePart");
        // The length is plain digits, the kilobytes grouped with two decimals.
        QTest::newRow("1,234,567 bytes") << qint64(1234567) << QStringLiteral(",1234567 bytes (1,205.63 KB), ");
        QTest::newRow("zero") << qint64(0) << QStringLiteral(",0 bytes (0.00 KB), ");
        QTest::newRow("one byte") << qint64(1) << QStringLiteral(",1 bytes (0.00 KB), ");
        QTest::newRow("one KB") << qint64(1024) << QStringLiteral(",1024 bytes (1.00 KB), ");
        QTest::newRow("rounds up") << qint64(1023) << QStringLiteral(",1023 bytes (1.00 KB), ");
    }

    void lineFormat()
    {
        QFETCH(qint64, length);
        QFETCH(QString, sizePart);
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/my file.bin");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(length));
        }
        QVERIFY(setModified(file, utc(2026, 5, 12, 9, 30, 5)));
        QString line;
        QVERIFY(cheqora::BuildDigestLine(QStringLiteral("CAPTION"), file, line));
        QCOMPARE(line, QStringLiteral("CAPTION  ") + file + sizePart + QStringLiteral("2026-05-12 09:30:05"));
    }

    void cannotExamine()
    {
        QTemporaryDir dir;
        QString line = QStringLiteral("old");
        QVERIFY(!cheqora::BuildDigestLine(QStringLiteral("x"), dir.path() + QStringLiteral("/none"), line));
        QVERIFY(line.isEmpty());
        line = QStringLiteral("old");
        QVERIFY(!cheqora::BuildDigestLine(QStringLiteral("x"), dir.path(), line));
        QVERIFY(line.isEmpty());
    }
};

CHEQORA_TEST_MAIN(TestDigestLine)
#include "tst_digestline.moc"
