#include "statefile.h"

#include "filesystem.h"
#include "testmain.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using cheqora::SavedState;

namespace {

QByteArray lines(std::initializer_list<const char *> items, const char *eol = "\r\n")
{
    QByteArray out;
    for (const char *item : items)
        out += QByteArray(item) + eol;
    return out;
}

// The file a first save of the defaults gives, with one path of each kind filled in.
QByteArray exampleFile()
{
    return lines({"\"/home/ann/a.txt\"", "\"\"", "\"\"", "\"/home/ann/old\"", "\"\"", " 0 ", " 0 ", "\"\"", " 0 ",
                  "0", " 1 ", " 1 ", "\"100\""});
}

SavedState sentinel()
{
    SavedState s;
    s.file1 = QStringLiteral("untouched");
    s.skipSizeMB = 77;
    return s;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStateFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void formatsTheExampleFile();
    void formatsEveryKindOfValue();
    void roundTripsEveryField_data();
    void roundTripsEveryField();
    void roundTripKeepsNamesThatAreNotUtf8();
    void loadsHandWrittenFiles_data();
    void loadsHandWrittenFiles();
    void appliesSkipSizeLimits_data();
    void appliesSkipSizeLimits();
    void rejectsBrokenFiles_data();
    void rejectsBrokenFiles();
    void refusesTextsTheFormatCannotHold_data();
    void refusesTextsTheFormatCannotHold();
    void failedSaveKeepsPreviousFile();
    void unwritableFolderGivesError();
    void dropsRestoredFilesThatCannotBeShown_data();
    void dropsRestoredFilesThatCannotBeShown();
    void deletesEmptyReadOnlyReport();
    void keepsReportThatHoldsSomething();
    void dropsMissingReport();
};

void TestStateFile::formatsTheExampleFile()
{
    SavedState s;
    s.file1 = QStringLiteral("/home/ann/a.txt");
    s.oldFolder = QStringLiteral("/home/ann/old");
    s.warnOnOverwrite = true;
    s.suspendIfNumLines = true;
    s.suspendLineLimit = QStringLiteral("100");
    QCOMPARE(platform::encodeText(cheqora::FormatStateFile(s)), exampleFile());
}

void TestStateFile::formatsEveryKindOfValue()
{
    SavedState s;
    s.file1 = QStringLiteral("a b");
    s.file2 = QStringLiteral("/x/y.bin");
    s.reportFile = QStringLiteral("/r/report, final.txt");
    s.oldFolder = QStringLiteral("/old");
    s.newFolder = QStringLiteral("/new");
    s.includeSubfolders = true;
    s.extension = QStringLiteral("txt");
    s.skipFiles = true;
    s.skipSizeMB = 250;
    s.suspendLineLimit = QStringLiteral(" 5,000 ");
    QCOMPARE(cheqora::FormatStateFile(s),
             QStringLiteral("\"a b\"\r\n\"/x/y.bin\"\r\n\"/r/report, final.txt\"\r\n\"/old\"\r\n\"/new\"\r\n"
                            " 1 \r\n 0 \r\n\"txt\"\r\n 1 \r\n250\r\n 0 \r\n 0 \r\n\" 5,000 \"\r\n"));
}

void TestStateFile::roundTripsEveryField_data()
{
    // One tick at a time, then all and none: a check box written to or read from the wrong line shows.
    QTest::addColumn<int>("ticks");
    QTest::newRow("none") << 0;
    QTest::newRow("include subfolders") << 1;
    QTest::newRow("only extension") << 2;
    QTest::newRow("skip files") << 4;
    QTest::newRow("warn on overwrite") << 8;
    QTest::newRow("stop at line limit") << 16;
    QTest::newRow("all") << 31;
}

void TestStateFile::roundTripsEveryField()
{
    QFETCH(int, ticks);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));

    SavedState s;
    s.file1 = QStringLiteral("/data/first file.iso");
    s.file2 = QStringLiteral("/data/second,file.iso");
    s.reportFile = QStringLiteral("/data/report.txt");
    s.oldFolder = QStringLiteral("/srv/old");
    s.newFolder = QStringLiteral("/srv/new äöü");
    s.includeSubfolders = ticks & 1;
    s.doOnlyExtension = ticks & 2;
    s.extension = QStringLiteral("jpg");
    s.skipFiles = ticks & 4;
    s.skipSizeMB = 42;
    s.warnOnOverwrite = ticks & 8;
    s.suspendIfNumLines = ticks & 16;
    s.suspendLineLimit = QStringLiteral("2500");

    QCOMPARE(cheqora::WriteStateFile(path, s), QString());
    SavedState back = sentinel();
    QVERIFY(cheqora::ReadStateFile(path, back));
    QCOMPARE(back.file1, s.file1);
    QCOMPARE(back.file2, s.file2);
    QCOMPARE(back.reportFile, s.reportFile);
    QCOMPARE(back.oldFolder, s.oldFolder);
    QCOMPARE(back.newFolder, s.newFolder);
    QCOMPARE(back.includeSubfolders, s.includeSubfolders);
    QCOMPARE(back.doOnlyExtension, s.doOnlyExtension);
    QCOMPARE(back.extension, s.extension);
    QCOMPARE(back.skipFiles, s.skipFiles);
    QCOMPARE(back.skipSizeMB, s.skipSizeMB);
    QCOMPARE(back.warnOnOverwrite, s.warnOnOverwrite);
    QCOMPARE(back.suspendIfNumLines, s.suspendIfNumLines);
    QCOMPARE(back.suspendLineLimit, s.suspendLineLimit);
    QVERIFY(back == s);

    // A second save replaces the file whole.
    SavedState empty;
    QCOMPARE(cheqora::WriteStateFile(path, empty), QString());
    QVERIFY(cheqora::ReadStateFile(path, back));
    QVERIFY(back == empty);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("chqr.usr")});
}

void TestStateFile::roundTripKeepsNamesThatAreNotUtf8()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));
    SavedState s;
    s.oldFolder = platform::decodeName(QByteArray("/mnt/caf\xe9"));
    QCOMPARE(cheqora::WriteStateFile(path, s), QString());
    QVERIFY(readBytes(path).contains(QByteArray("\"/mnt/caf\xe9\"\r\n")));
    SavedState back;
    QVERIFY(cheqora::ReadStateFile(path, back));
    QCOMPARE(platform::encodeName(back.oldFolder), QByteArray("/mnt/caf\xe9"));
}

void TestStateFile::loadsHandWrittenFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("as saved") << exampleFile();
    QTest::newRow("LF line breaks") << lines({"\"/home/ann/a.txt\"", "\"\"", "\"\"", "\"/home/ann/old\"", "\"\"",
                                              " 0 ", " 0 ", "\"\"", " 0 ", "0", " 1 ", " 1 ", "\"100\""},
                                             "\n");
    QTest::newRow("blanks and tabs around values")
        << lines({"  \"/home/ann/a.txt\"  ", "\"\"", "\t\"\"", "\"/home/ann/old\"\t", "\"\"", "0", "\t0\t", "\"\"",
                  "   0", "  0  ", "1", "+1", " \"100\" "});
    QByteArray noFinalBreak = exampleFile();
    noFinalBreak.chop(2);
    QTest::newRow("no break after the last line") << noFinalBreak;
    QTest::newRow("lines after the 13th ignored") << exampleFile() + "\"anything\"\r\ngarbage\r\n";
    QTest::newRow("unquoted texts") << lines({"/home/ann/a.txt", "", "", "/home/ann/old", "", " 0 ", " 0 ", "",
                                              " 0 ", "0", " 1 ", " 1 ", "100"});
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf") + exampleFile();
}

void TestStateFile::loadsHandWrittenFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));
    QVERIFY(writeBytes(path, content));
    SavedState s = sentinel();
    QVERIFY(cheqora::ReadStateFile(path, s));
    SavedState expected;
    expected.file1 = QStringLiteral("/home/ann/a.txt");
    expected.oldFolder = QStringLiteral("/home/ann/old");
    expected.warnOnOverwrite = true;
    expected.suspendIfNumLines = true;
    expected.suspendLineLimit = QStringLiteral("100");
    QVERIFY(s == expected);
}

void TestStateFile::appliesSkipSizeLimits_data()
{
    QTest::addColumn<QByteArray>("sizeLine");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("5 kept") << QByteArray("5") << 5 << true;
    QTest::newRow("1 kept") << QByteArray(" 1 ") << 1 << true;
    QTest::newRow("999 kept") << QByteArray("999") << 999 << true;
    QTest::newRow("1000 dropped") << QByteArray("1000") << 0 << false;
    QTest::newRow("5000 dropped") << QByteArray("5000") << 0 << false;
    QTest::newRow("0 dropped") << QByteArray("0") << 0 << false;
    QTest::newRow("negative dropped") << QByteArray("-5") << 0 << false;
}

void TestStateFile::appliesSkipSizeLimits()
{
    QFETCH(QByteArray, sizeLine);
    QFETCH(int, size);
    QFETCH(bool, ticked);
    SavedState s;
    const QByteArray content = lines({"\"\"", "\"\"", "\"\"", "\"\"", "\"\"", " 1 ", " 0 ", "\"\"", " 1 ",
                                      sizeLine.constData(), " 1 ", " 1 ", "\"100\""});
    QVERIFY(cheqora::ParseStateFile(content, s));
    QCOMPARE(s.skipSizeMB, size);
    QCOMPARE(s.skipFiles, ticked);
    // The neighbours are not touched by the rule.
    QVERIFY(s.includeSubfolders);
    QVERIFY(s.warnOnOverwrite);

    // Save and load again: the same outcome as from a hand-written file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));
    SavedState saved;
    saved.skipFiles = true;
    saved.skipSizeMB = sizeLine.trimmed().toInt();
    QCOMPARE(cheqora::WriteStateFile(path, saved), QString());
    SavedState back;
    QVERIFY(cheqora::ReadStateFile(path, back));
    QCOMPARE(back.skipSizeMB, size);
    QCOMPARE(back.skipFiles, ticked);
}

void TestStateFile::rejectsBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    const QList<QByteArray> good = exampleFile().split('\n');
    auto withLine = [&good](int index, const char *text) {
        QByteArray out;
        for (int i = 0; i < 13; ++i)
            out += (i == index ? QByteArray(text) + '\r' : good.at(i)) + '\n';
        return out;
    };
    QByteArray cut;
    for (int i = 0; i < 7; ++i)
        cut += good.at(i) + '\n';
    QTest::newRow("cut after line 7") << cut;
    QByteArray twelve;
    for (int i = 0; i < 12; ++i)
        twelve += good.at(i) + '\n';
    QTest::newRow("cut after line 12") << twelve;
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("check number is text") << withLine(5, "yes");
    QTest::newRow("check number out of range") << withLine(6, " 2 ");
    QTest::newRow("check number blank") << withLine(10, "  ");
    QTest::newRow("skip size is text") << withLine(9, "five");
    QTest::newRow("skip size overflows 16 bits") << withLine(9, "40000");
    QTest::newRow("skip size with decimals") << withLine(9, "5.5");
    QTest::newRow("quote not closed") << withLine(0, "\"/home/ann/a.txt");
    QTest::newRow("text after the closing quote") << withLine(7, "\"txt\"x");
    QTest::newRow("quote inside a text") << withLine(12, "\"1\"00\"");
    QByteArray padded = exampleFile();
    padded.chop(2);
    padded += QByteArray(1024 * 1024, ' ') + "\r\n";
    QTest::newRow("larger than any state file") << padded;
}

void TestStateFile::rejectsBrokenFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));
    QVERIFY(writeBytes(path, content));
    SavedState s = sentinel();
    QVERIFY(!cheqora::ReadStateFile(path, s));
    QVERIFY(s == sentinel());
}

void TestStateFile::refusesTextsTheFormatCannotHold_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("fieldName");
    const QString quote = QStringLiteral("a\"b");
    QTest::newRow("1st file") << 0 << quote << QStringLiteral("1st file");
    QTest::newRow("2nd file") << 1 << quote << QStringLiteral("2nd file");
    QTest::newRow("report file") << 2 << quote << QStringLiteral("report file");
    QTest::newRow("old folder") << 3 << quote << QStringLiteral("old folder");
    QTest::newRow("new folder") << 4 << quote << QStringLiteral("new folder");
    QTest::newRow("extension") << 5 << QStringLiteral("\"txt\"") << QStringLiteral("file extension");
    QTest::newRow("line limit") << 6 << QStringLiteral("10\"") << QStringLiteral("line limit");
    QTest::newRow("line break") << 3 << QStringLiteral("/a\nb") << QStringLiteral("old folder");
}

void TestStateFile::refusesTextsTheFormatCannotHold()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(QString, fieldName);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("chqr.usr"));
    QVERIFY(writeBytes(path, exampleFile()));

    SavedState s;
    QString *fields[] = {&s.file1, &s.file2, &s.reportFile, &s.oldFolder, &s.newFolder, &s.extension,
                         &s.suspendLineLimit};
    *fields[field] = text;
    const QString error = cheqora::WriteStateFile(path, s);
    QVERIFY2(error.contains(fieldName), qPrintable(error));
    QVERIFY(error.contains(text.contains(u'"') ? QStringLiteral("double quote") : QStringLiteral("line break")));
    QCOMPARE(readBytes(path), exampleFile());
}

void TestStateFile::failedSaveKeepsPreviousFile()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Vantorel"));
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/chqr.usr");
    QVERIFY(writeBytes(path, exampleFile()));
    QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
    // The superuser writes anyway; then there is no failure to observe here.
    const bool writable = ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
    SavedState s;
    s.file1 = QStringLiteral("/new/value");
    const QString error = cheqora::WriteStateFile(path, s);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    if (writable)
        QSKIP("the folder stays writable for this user");
    QCOMPARE(error, QStringLiteral("Permission denied"));
    QCOMPARE(readBytes(path), exampleFile());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("chqr.usr")});
}

void TestStateFile::unwritableFolderGivesError()
{
    QTemporaryDir dir;
    // The application-data folder's place is taken by a file: no user, the superuser included, can
    // write there.
    const QString blocker = dir.filePath(QStringLiteral("Vantorel"));
    QVERIFY(writeBytes(blocker, "not a folder"));
    const QString error = cheqora::WriteStateFile(blocker + QStringLiteral("/chqr.usr"), SavedState());
    QCOMPARE(error, QStringLiteral("Path not found"));
    QCOMPARE(readBytes(blocker), QByteArray("not a folder"));
    QCOMPARE(cheqora::WriteStateFile(QString(), SavedState()), QStringLiteral("Bad file name or number"));
}

void TestStateFile::dropsRestoredFilesThatCannotBeShown_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("kept");
    QTest::newRow("1 byte") << qint64(1) << true;
    QTest::newRow("1,000,000 bytes") << qint64(1000000) << true;
    QTest::newRow("1,000,001 bytes") << qint64(1000001) << false;
    QTest::newRow("empty") << qint64(0) << false;
    QTest::newRow("missing") << qint64(-1) << false;
}

void TestStateFile::dropsRestoredFilesThatCannotBeShown()
{
    QFETCH(qint64, length);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.bin"));
    if (length >= 0)
        QVERIFY(writeBytes(path, QByteArray(qsizetype(length), 'x')));
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    QVERIFY(writeBytes(other, "abc"));

    for (int row = 0; row < 2; ++row) {
        SavedState s;
        (row == 0 ? s.file1 : s.file2) = path;
        (row == 0 ? s.file2 : s.file1) = other;
        cheqora::CheckRestoredFiles(s);
        QCOMPARE((row == 0 ? s.file1 : s.file2), kept ? path : QString());
        QCOMPARE((row == 0 ? s.file2 : s.file1), other);
    }
    QCOMPARE(QFile::exists(path), length >= 0); // dropped from the field, never deleted

    SavedState folder;
    folder.file1 = dir.path();
    cheqora::CheckRestoredFiles(folder);
    QCOMPARE(folder.file1, QString());
}

void TestStateFile::deletesEmptyReadOnlyReport()
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("report.txt"));
    QVERIFY(writeBytes(report, QByteArray()));
    QVERIFY(::chmod(QFile::encodeName(report).constData(), 0444) == 0);
    SavedState s;
    s.reportFile = report;
    s.file1 = QStringLiteral("/no/such/file");
    cheqora::CheckRestoredFiles(s);
    QCOMPARE(s.reportFile, QString());
    QVERIFY(!QFile::exists(report));
    QCOMPARE(s.file1, QString());
}

void TestStateFile::keepsReportThatHoldsSomething()
{
    QTemporaryDir dir;
    const QString report = dir.filePath(QStringLiteral("report.txt"));
    QVERIFY(writeBytes(report, "\r\n"));
    SavedState s;
    s.reportFile = report;
    cheqora::CheckRestoredFiles(s);
    QCOMPARE(s.reportFile, report);
    QVERIFY(QFile::exists(report));
}

void TestStateFile::dropsMissingReport()
{
    QTemporaryDir dir;
    SavedState s;
    s.reportFile = dir.filePath(QStringLiteral("gone.txt"));
    cheqora::CheckRestoredFiles(s);
    QCOMPARE(s.reportFile, QString());
    s.reportFile = dir.path(); // a folder is no report
    cheqora::CheckRestoredFiles(s);
    QCOMPARE(s.reportFile, QString());
    QVERIFY(QFileInfo(dir.path()).isDir());
}

CHEQORA_TEST_MAIN(TestStateFile)
#include "tst_statefile.moc"
