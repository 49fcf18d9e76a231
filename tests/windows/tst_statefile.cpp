#include "statefile.h"

#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace cheqora::test;
using cheqora::SavedState;

// The 13 lines of a first save with one path of each kind filled in; cases change single lines.
static const QByteArrayList kExample = {"\"/home/ann/a.txt\"", "\"\"", "\"\"", "\"/home/ann/old\"", "\"\"", " 0 ",
                                        " 0 ", "\"\"", " 0 ", "0", " 1 ", " 1 ", "\"100\""};

static QByteArray joined(const QByteArrayList &lines, int count = 13, const char *eol = "\r\n")
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out += lines.at(i) + eol;
    return out;
}

static QByteArray withLines(std::initializer_list<std::pair<int, const char *>> changes)
{
    QByteArrayList lines = kExample;
    for (const auto &[index, text] : changes)
        lines[index] = text;
    return joined(lines);
}

class TestStateFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init() { m_path = m_dir.filePath(u"chqr.usr"_s); }

    void writesAndReadsEveryField()
    {
        // In the file's line order; the old folder's name is not UTF-8 and must be kept byte for byte.
        SavedState s{u"a b"_s, u"/x/y.bin"_s, u"/r/report, final.txt"_s, platform::decodeName("/mnt/caf\xe9"),
                     u"/new äöü"_s, true, false, u"txt"_s, true, 250, false, false, u" 5,000 "_s};
        QCOMPARE(cheqora::WriteStateFile(m_path, s), QString());
        QCOMPARE(readBytes(m_path), QByteArray("\"a b\"\r\n\"/x/y.bin\"\r\n\"/r/report, final.txt\"\r\n"
                                               "\"/mnt/caf\xe9\"\r\n\"/new \xc3\xa4\xc3\xb6\xc3\xbc\"\r\n 1 \r\n 0 \r\n"
                                               "\"txt\"\r\n 1 \r\n250\r\n 0 \r\n 0 \r\n\" 5,000 \"\r\n"));
        // No tick, then one at a time: a check box written to or read from the wrong line shows.
        bool SavedState::*const ticks[] = {&SavedState::includeSubfolders, &SavedState::doOnlyExtension,
                                           &SavedState::skipFiles, &SavedState::warnOnOverwrite,
                                           &SavedState::suspendIfNumLines};
        for (int on = -1; on < 5; ++on) {
            for (int i = 0; i < 5; ++i)
                s.*ticks[i] = i == on;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), QString());
            SavedState back;
            QVERIFY(cheqora::ReadStateFile(m_path, back));
            QVERIFY2(back == s, qPrintable(QString::number(on)));
        }
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"chqr.usr"_s});
    }

    void readsFiles_data()
    {
        // skipSize -1: the file is refused; the state is left as it was for the caller to reset.
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("skipSize");
        QTest::newRow("as saved") << joined(kExample) << 0;
        QTest::newRow("LF breaks, none after the last") << joined(kExample, 13, "\n").chopped(1) << 0;
        const QByteArrayList blanks = {"  \"/home/ann/a.txt\"  ", "\"\"", "\t\"\"", "\"/home/ann/old\"\t", "\"\"", "0",
                                       "\t0\t", "\"\"", "   0", "  0  ", "1", "+1", " \"100\" "};
        QTest::newRow("blanks and tabs") << joined(blanks) << 0;
        QTest::newRow("lines after the 13th") << joined(kExample) + "\"anything\"\r\ngarbage\r\n" << 0;
        QTest::newRow("unquoted") << withLines({{0, "/home/ann/a.txt"}, {3, "/home/ann/old"}, {12, "100"}}) << 0;
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf") + joined(kExample) << 0;
        // The skip box ticked: a size outside 1..999 is dropped together with its tick.
        QTest::newRow("skip size 999 kept") << withLines({{8, " 1 "}, {9, " 999 "}}) << 999;
        QTest::newRow("skip size 1000 dropped") << withLines({{8, " 1 "}, {9, "1000"}}) << 0;
        QTest::newRow("skip size 0 dropped") << withLines({{8, " 1 "}, {9, "0"}}) << 0;
        QTest::newRow("cut after line 7") << joined(kExample, 7) << -1;
        QTest::newRow("check number is text") << withLines({{5, "yes"}}) << -1;
        QTest::newRow("skip size overflows 16 bits") << withLines({{9, "40000"}}) << -1;
        QTest::newRow("quote not closed") << withLines({{0, "\"/home/ann/a.txt"}}) << -1;
        QTest::newRow("text after the closing quote") << withLines({{7, "\"txt\"x"}}) << -1;
        QTest::newRow("larger than any state file") << joined(kExample) + QByteArray(1024 * 1024, ' ') << -1;
    }

    void readsFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, skipSize);
        QVERIFY(writeBytes(m_path, content));
        SavedState s;
        s.file2 = u"before"_s;
        SavedState expected = s;
        if (skipSize >= 0)
            expected = {u"/home/ann/a.txt"_s, {}, {}, u"/home/ann/old"_s, {}, false, false, {}, skipSize > 0, skipSize,
                        true, true, u"100"_s};
        QCOMPARE(cheqora::ReadStateFile(m_path, s), skipSize >= 0);
        QVERIFY(s == expected);
    }

    void refusesTextsTheFormatCannotHold()
    {
        // The format has no escapes: Save refuses, naming the field, and the previous file stays as it was.
        QVERIFY(writeBytes(m_path, joined(kExample)));
        const std::pair<QString SavedState::*, QString> fields[] = {
            {&SavedState::file1, u"1st file"_s},         {&SavedState::file2, u"2nd file"_s},
            {&SavedState::reportFile, u"report file"_s}, {&SavedState::oldFolder, u"old folder"_s},
            {&SavedState::newFolder, u"new folder"_s},   {&SavedState::extension, u"file extension"_s},
            {&SavedState::suspendLineLimit, u"line limit of the report file"_s}};
        const QString message = u"The %1 contains %2, which the state file cannot hold. Remove it and save again."_s;
        for (const auto &[field, name] : fields) {
            SavedState s;
            s.*field = u"a\"b"_s;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), message.arg(name, u"a double quote (\")"_s));
            s.*field = u"a\nb"_s;
            QCOMPARE(cheqora::WriteStateFile(m_path, s), message.arg(name, u"a line break"_s));
        }
        QCOMPARE(readBytes(m_path), joined(kExample));
    }

    void unwritableFolderGivesError()
    {
        // A file in the place of the settings folder: nobody, the superuser included, can write there.
        const QString blocker = m_dir.filePath(u"Vantorel"_s);
        QVERIFY(writeBytes(blocker, "not a folder"));
        QCOMPARE(cheqora::WriteStateFile(blocker + u"/chqr.usr"_s, SavedState()), u"Path not found"_s);
        QCOMPARE(cheqora::WriteStateFile(QString(), SavedState()), u"Bad file name or number"_s);
    }

    void checksRestoredFiles_data()
    {
        // A read-only file of `size` bytes (-1: none, -2: a folder, -3: a link to an empty file, -4: a FIFO),
        // named as a digest-panel file and as the report: whether each field keeps it. Only an empty
        // regular report is deleted; nothing else ever is.
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("fileKept");
        QTest::addColumn<bool>("reportKept");
        QTest::newRow("1,000,000 bytes") << 1000000 << true << true;
        QTest::newRow("1,000,001 bytes") << 1000001 << false << true;
        QTest::newRow("empty") << 0 << false << false;
        QTest::newRow("missing") << -1 << false << false;
        QTest::newRow("folder") << -2 << false << false;
        QTest::newRow("link to an empty file") << -3 << false << false;
        QTest::newRow("FIFO") << -4 << false << false;
    }

    void checksRestoredFiles()
    {
        QFETCH(int, size);
        QFETCH(bool, fileKept);
        QFETCH(bool, reportKept);
        const QString path = m_dir.filePath(u"file"_s), other = m_dir.filePath(u"other"_s);
        QVERIFY(writeBytes(other, "abc") && writeBytes(m_dir.filePath(u"empty"_s), QByteArray()));
        for (QString SavedState::*field : {&SavedState::file1, &SavedState::file2, &SavedState::reportFile}) {
            QFile::remove(path); // also what a failed row left behind
            QDir(path).removeRecursively();
            const QByteArray native = QFile::encodeName(path);
            QVERIFY(size == -1 || (size == -2 ? QDir().mkpath(path)
                                   : size == -3 ? ::symlink("empty", native.constData()) == 0
                                   : size == -4 ? ::mkfifo(native.constData(), 0644) == 0
                                                : writeBytes(path, QByteArray(size, '\n'))));
            QVERIFY(size < 0 || ::chmod(QFile::encodeName(path).constData(), 0444) == 0);
            const bool report = field == &SavedState::reportFile;
            SavedState s, expected;
            s.file1 = s.file2 = s.reportFile = expected.file1 = expected.file2 = expected.reportFile = other;
            s.*field = path;
            expected.*field = (report ? reportKept : fileKept) ? path : QString();
            cheqora::CheckRestoredFiles(s);
            QVERIFY(s == expected);
            QCOMPARE(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), size != -1 && !(size == 0 && report));
        }
    }
};

CHEQORA_TEST_MAIN(TestStateFile)
#include "tst_statefile.moc"
