// `cheqora-cli compare` as a user runs it: arguments, messages, stdout caption and exit status.
#include "comparetestutil.h"
#include "testmain.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString cli()
{
    return QStringLiteral(CHEQORA_BIN_DIR) + u"/cheqora-cli"_s;
}

Outcome runProcess(const QString &program, const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(30000))
        qFatal("cannot start %s", qPrintable(program));
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        qFatal("%s did not finish", qPrintable(program));
    Outcome o;
    o.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    o.out = p.readAllStandardOutput();
    o.err = p.readAllStandardError();
    return o;
}

Outcome compare(const QStringList &args)
{
    return runProcess(cli(), QStringList{u"compare"_s} + args);
}

} // namespace

class CliCompareTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_tmp = nullptr;
    QString m_old;
    QString m_new;
    QString m_report;

private slots:
    void init();
    void cleanup();

    void nothingFoundIsZero();
    void somethingFoundIsOne();
    void checkFailuresAreTwo();
    void overwriteRefusedWithoutTerminal();
    void overwriteAnsweredAtTerminal();
    void forceReplaces();
    void optionValidation();
    void lineLimitOptions();
    void duplicates();
    void filterRecursionAndSkip();
    void nonUtf8Names();
};

void CliCompareTest::init()
{
    m_tmp = new QTemporaryDir();
    QVERIFY(m_tmp->isValid());
    m_old = m_tmp->path() + u"/old dir"_s;
    m_new = m_tmp->path() + u"/new dir"_s;
    m_report = m_tmp->path() + u"/report.txt"_s;
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/same.txt"_s, "same", t);
    writeFile(m_new + u"/same.txt"_s, "same", t);
}

void CliCompareTest::cleanup()
{
    removeTree(m_tmp->path());
    delete m_tmp;
}

void CliCompareTest::nothingFoundIsZero()
{
    const Outcome o = compare({m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out, QByteArray("No files were changed, added or removed.\n"));
    QCOMPARE(o.err, QByteArray());
    QCOMPARE(readFile(m_report), QByteArray("\r\nNo files were changed, added or removed.\r\n"));
}

void CliCompareTest::somethingFoundIsOne()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/gone.txt"_s, "gone", t);
    writeFile(m_new + u"/added.txt"_s, "added", t);
    const Outcome o = compare({m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.out, QByteArray("In 2nd folder, compared to 1st folder:   Files modified: 0   Files added: 1   Files removed: 1\n"));
    QCOMPARE(readFile(m_report),
             crlf(u"1st folder: "_s + m_old + u"/\n2nd folder: "_s + m_new
                  + u"/\n\nAssuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                    "folder, modified, or removed from the 1st folder are as follows:\n\nFile added: "_s
                  + m_new + u"/added.txt, 2026-01-02 03:04:05, 5 bytes\n\nFile removed: "_s + m_old
                  + u"/gone.txt\n\nFiles modified: 0\nFiles added: 1\nFiles removed: 1\n"_s));
}

void CliCompareTest::checkFailuresAreTwo()
{
    Outcome o = compare({u""_s, m_new, m_report});
    QCOMPARE(o.exitCode, 2);
    QCOMPARE(o.err, QByteArray("1st folder not specified.\n"));
    QCOMPARE(o.out, QByteArray());
    o = compare({m_old, u"  "_s, m_report});
    QCOMPARE(o.err, QByteArray("2nd folder not specified.\n"));
    o = compare({m_old, m_old + u"/"_s, m_report});
    QCOMPARE(o.err, QByteArray("The 1st and 2nd folders are the same.\n"));
    o = compare({m_old, m_old + u"/sub"_s, m_report, u"--recursive"_s});
    QCOMPARE(o.exitCode, 2);
    QCOMPARE(o.err, crlf(m_old + u"/sub is contained in "_s + m_old).replace("\r\n", "\n")
                        + ".\n\nWhen files are included in subfolders recursively\n"
                          "one folder cannot be a subfolder the other folder.\n");
    o = compare({m_old, m_new, u" "_s});
    QCOMPARE(o.err, QByteArray("Report file not specified.\n"));
    QVERIFY(!exists(m_report));
    // A report that cannot be written: the error in the caption, status 2.
    o = compare({m_old, m_new, m_tmp->path() + u"/no such folder/report.txt"_s});
    QCOMPARE(o.exitCode, 2);
    QCOMPARE(o.out, QByteArray("Error: File not found\n"));
}

void CliCompareTest::overwriteRefusedWithoutTerminal()
{
    writeFile(m_report, "keep");
    const Outcome o = compare({m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 2);
    QVERIFY2(o.err.startsWith(platform::encodeName(u"Overwrite file "_s + m_report + u"?\n"_s)), o.err.constData());
    QCOMPARE(o.out, QByteArray());
    QCOMPARE(readFile(m_report), QByteArray("keep"));
}

void CliCompareTest::overwriteAnsweredAtTerminal()
{
    // `script` gives the command a terminal as its input; the typed answers arrive through it.
    const QString script = QStandardPaths::findExecutable(u"script"_s);
    if (script.isEmpty())
        QSKIP("script (util-linux) is not installed");
    const auto quoted = [](const QString &s) { return u"'"_s + QString(s).replace(u"'"_s, u"'\\''"_s) + u"'"_s; };
    const QString command = quoted(cli()) + u" compare "_s + quoted(m_old) + u' ' + quoted(m_new) + u' ' + quoted(m_report);

    writeFile(m_report, "keep");
    Outcome o = runProcess(script, {u"-qec"_s, command, u"/dev/null"_s}, "no\n");
    QCOMPARE(o.exitCode, 2);
    QVERIFY2(o.out.contains("Overwrite file "), o.out.constData());
    QCOMPARE(readFile(m_report), QByteArray("keep"));

    o = runProcess(script, {u"-qec"_s, command, u"/dev/null"_s}, "yes\n");
    QCOMPARE(o.exitCode, 0);
    QVERIFY2(o.out.contains("No files were changed, added or removed."), o.out.constData());
    QCOMPARE(readFile(m_report), QByteArray("\r\nNo files were changed, added or removed.\r\n"));
}

void CliCompareTest::forceReplaces()
{
    writeFile(m_report, "old report");
    const Outcome o = compare({u"--force"_s, m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.err, QByteArray());
    QCOMPARE(readFile(m_report), QByteArray("\r\nNo files were changed, added or removed.\r\n"));
}

void CliCompareTest::optionValidation()
{
    Outcome o = compare({m_old, m_new});
    QCOMPARE(o.exitCode, 2);
    QVERIFY(o.err.startsWith("usage: "));
    o = compare({m_old, m_new, m_report, u"--bogus"_s});
    QCOMPARE(o.exitCode, 2);
    QVERIFY(o.err.startsWith("usage: "));
    o = compare({m_old, m_new, m_report, u"--max-lines"_s, u"0"_s});
    QCOMPARE(o.exitCode, 2);
    QCOMPARE(o.err, QByteArray("Invalid value for number of lines.\n"));
    o = compare({m_old, m_new, m_report, u"--max-lines"_s, u"x"_s});
    QCOMPARE(o.err, QByteArray("Invalid value for number of lines.\n"));
    for (const QString &bad : {u"0"_s, u"-5"_s, u"12.5"_s, u"1e3"_s, u"abc"_s}) {
        o = compare({m_old, m_new, m_report, u"--skip-mb"_s, bad});
        QCOMPARE(o.exitCode, 2);
        QCOMPARE(o.err, QByteArray("Invalid value for skip size.\n"));
    }
    o = compare({m_old, m_new, m_report, u"--max-lines"_s, u"7"_s, u"--no-line-limit"_s});
    QCOMPARE(o.exitCode, 2);
    QVERIFY(o.err.startsWith("usage: "));
    QVERIFY(!exists(m_report));
    // "--" ends the options: a folder whose name starts with dashes.
    const QString dashed = m_tmp->path() + u"/--dashed"_s;
    writeFile(dashed + u"/same.txt"_s, "same", utcSecs("2026-01-02 03:04:05"));
    o = compare({u"--"_s, m_old, dashed, m_report});
    QCOMPARE(o.exitCode, 0);
}

void CliCompareTest::lineLimitOptions()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    for (int i = 0; i < 10; ++i)
        writeFile(m_new + u"/f%1.txt"_s.arg(i), "x", t);
    Outcome o = compare({m_old, m_new, m_report, u"--max-lines"_s, u"5"_s});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.out, QByteArray("Number of lines in the report file exceeded 5.\n"));
    QVERIFY(readFile(m_report).endsWith("\r\n\r\nNumber of lines exceeds 5, so stopping.\r\n"));
    // The default limit is 100 lines: 120 added files pass it.
    for (int i = 10; i < 120; ++i)
        writeFile(m_new + u"/f%1.txt"_s.arg(i), "x", t);
    o = compare({u"--force"_s, m_old, m_new, m_report});
    QCOMPARE(o.out, QByteArray("Number of lines in the report file exceeded 100.\n"));
    o = compare({u"--force"_s, u"--no-line-limit"_s, m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.out, QByteArray("In 2nd folder, compared to 1st folder:   Files modified: 0   Files added: 120   Files removed: 0\n"));
}

void CliCompareTest::duplicates()
{
    Outcome o = compare({u"--duplicates"_s, m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.out, QByteArray("Number of duplicate (identical) files: 1\n"));
    writeFile(m_new + u"/same.txt"_s, "different");
    o = compare({u"--duplicates"_s, u"--force"_s, m_old, m_new, m_report});
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(o.out, QByteArray("There are no duplicate (identical) files.\n"));
    QCOMPARE(readFile(m_report), QByteArray("\r\n"));
}

void CliCompareTest::filterRecursionAndSkip()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_new + u"/sub/deep.txt"_s, "deep", t);
    writeFile(m_new + u"/note.doc"_s, "doc", t);
    writeFile(m_old + u"/big.bin"_s, QByteArray(1100000, 'a'), t);
    writeFile(m_new + u"/big.bin"_s, QByteArray(1100000, 'b'), t);
    Outcome o = compare({m_old, m_new, m_report, u"--ext"_s, u".txt"_s});
    QCOMPARE(o.exitCode, 0);
    o = compare({m_old, m_new, m_report, u"--force"_s, u"--ext"_s, u"txt"_s, u"--recursive"_s});
    QCOMPARE(o.exitCode, 1);
    QVERIFY(o.out.endsWith("Files modified: 0   Files added: 1   Files removed: 0\n"));
    QVERIFY(readFile(m_report).contains("/sub/deep.txt, "));
    o = compare({m_old, m_new, m_report, u"--force"_s, u"--ext"_s, u"bin"_s, u"--skip-mb"_s, u"1"_s});
    QCOMPARE(o.exitCode, 0);
    o = compare({m_old, m_new, m_report, u"--force"_s, u"--ext"_s, u"bin"_s});
    QCOMPARE(o.exitCode, 1);
    QVERIFY(o.out.endsWith("Files modified: 1   Files added: 0   Files removed: 0\n"));
}

void CliCompareTest::nonUtf8Names()
{
    // Folder and file names that are not UTF-8, passed through a shell so the arguments carry the
    // raw bytes; the report keeps them.
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    const QString oldName = platform::decodeName(QByteArray("old\xe9"));
    const QString fileName = platform::decodeName(QByteArray("caf\xe9 \xff.txt"));
    const QString oldRoot = m_tmp->path() + u'/' + oldName;
    writeFile(oldRoot + u'/' + fileName, "old", t);
    writeFile(m_new + u'/' + fileName, "new", t);
    writeFile(m_new + u"/same.txt"_s, "same", t);
    writeFile(oldRoot + u"/same.txt"_s, "same", t);
    const QString command = u"cd \"$1\" && exec \"$0\" compare \"$(printf 'old\\351')\" 'new dir' report.txt"_s;
    const Outcome o = runProcess(u"/bin/sh"_s, {u"-c"_s, command, cli(), m_tmp->path()});
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(o.err, QByteArray());
    const QByteArray report = readFile(m_report);
    QVERIFY2(report.startsWith("1st folder: old\xe9/\r\n2nd folder: new dir/\r\n"), report.constData());
    QVERIFY(report.contains("File modified:\r\nnew dir/caf\xe9 \xff.txt, 2026-01-02 03:04:05, 3 bytes\r\n"
                            "old\xe9/caf\xe9 \xff.txt, same size, date and time\r\n"));
}

CHEQORA_TEST_MAIN(CliCompareTest)
#include "tst_clicompare.moc"
