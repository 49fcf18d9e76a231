#include "fileerror.h"
#include "testmain.h"

#include <cerrno>

class TestFileError : public QObject {
    Q_OBJECT

private slots:
    void errnoMapping_data()
    {
        QTest::addColumn<int>("errnoValue");
        QTest::addColumn<int>("number");
        QTest::newRow("none") << 0 << int(platform::ErrNone);
        QTest::newRow("ENOENT") << ENOENT << 53;
        QTest::newRow("ENOTDIR") << ENOTDIR << 76;
        QTest::newRow("EACCES") << EACCES << 70;
        QTest::newRow("EPERM") << EPERM << 70;
        QTest::newRow("EROFS") << EROFS << 70;
        QTest::newRow("EIO") << EIO << 57;
        QTest::newRow("ENXIO") << ENXIO << 57;
        QTest::newRow("ENOSPC") << ENOSPC << 61;
        QTest::newRow("EDQUOT") << EDQUOT << 61;
        QTest::newRow("EFBIG") << EFBIG << 61;
        QTest::newRow("EMFILE") << EMFILE << 67;
        QTest::newRow("ENOMEM") << ENOMEM << 7;
        QTest::newRow("EEXIST") << EEXIST << 58;
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << 52;
        QTest::newRow("ELOOP") << ELOOP << 75;
        QTest::newRow("EISDIR") << EISDIR << 75;
        QTest::newRow("EBUSY") << EBUSY << 75;
    }

    void errnoMapping()
    {
        QFETCH(int, errnoValue);
        QFETCH(int, number);
        QCOMPARE(platform::fileErrorFromErrno(errnoValue), number);
        platform::FileError err;
        platform::setFromErrno(err, errnoValue);
        QCOMPARE(err.number, number);
        QCOMPARE(err.description, platform::fileErrorDescription(number));
    }

    // The texts users have always seen for these numbers.
    void descriptions_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("53") << 53 << QStringLiteral("File not found");
        QTest::newRow("76") << 76 << QStringLiteral("Path not found");
        QTest::newRow("70") << 70 << QStringLiteral("Permission denied");
        QTest::newRow("62") << 62 << QStringLiteral("Input past end of file");
        QTest::newRow("57") << 57 << QStringLiteral("Device I/O error");
        QTest::newRow("61") << 61 << QStringLiteral("Disk full");
        QTest::newRow("75") << 75 << QStringLiteral("Path/File access error");
        QTest::newRow("unknown") << 4242 << QStringLiteral("Error 4242");
    }

    void descriptions()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        QCOMPARE(platform::fileErrorDescription(number), text);
    }

    void setAndClear()
    {
        platform::FileError err;
        QVERIFY(!err.isSet());
        QVERIFY(err.description.isEmpty());
        err.set(platform::ErrDiskFull);
        QVERIFY(err.isSet());
        QCOMPARE(err.description, QStringLiteral("Disk full"));
        err.clear();
        QVERIFY(!err.isSet());
        QVERIFY(err.description.isEmpty());
    }
};

CHEQORA_TEST_MAIN(TestFileError)
#include "tst_fileerror.moc"
