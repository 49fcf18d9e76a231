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

const QString kCli = QStringLiteral(CHEQORA_BIN_DIR "/cheqora-cli");

Outcome runProcess(const QString &program, const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        qFatal("%s did not finish", qPrintable(program));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace

class CliCompareTest : public QObject {
    Q_OBJECT

    QTemporaryDir *m_tmp = nullptr;
    QString m_old;
    QString m_new;
    QString m_report;

    // Runs the command; O and N stand for the folders (O/sub for one below), R for the report and
    // T/... for a path in the temporary folder.
    Outcome compare(QStringList args) const
    {
        for (QString &a : args) {
            if (a == u"O"_s || a.startsWith(u"O/"_s))
                a = m_old + a.mid(1);
            else if (a == u"N"_s || a == u"R"_s || a.startsWith(u"T/"_s))
                a = a == u"N"_s ? m_new : a == u"R"_s ? m_report : m_tmp->path() + a.mid(1);
        }
        return runProcess(kCli, QStringList{u"compare"_s} + args);
    }

private slots:
    void init()
    {
        m_tmp = new QTemporaryDir();
        QVERIFY(m_tmp->isValid());
        m_old = m_tmp->path() + u"/old dir"_s;
        m_new = m_tmp->path() + u"/new dir"_s;
        m_report = m_tmp->path() + u"/report.txt"_s;
        QVERIFY(writeTree(m_tmp->path(), u"old dir/same.txt=same|new dir/same.txt=same"_s));
    }
    void cleanup()
    {
        removeTree(m_tmp->path());
        delete m_tmp;
    }

    void exitStatus_data()
    {
        QTest::addColumn<QString>("files"); // entries below the temporary folder, as writeTree takes them
        QTest::addColumn<QString>("args"); // separated by "|"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // "usage: " stands for the whole usage text
        const QString filtered = u"new dir/note.doc=doc|new dir/sub/deep.txt=deep"_s;
        const QString large = u"old dir/big.bin=a*1100000|new dir/big.bin=b*1100000"_s;
        QString many;
        for (int i = 0; i < 120; ++i)
            many += u"new dir/f%1.txt=x|"_s.arg(i);
        const QString noChange = u"No files were changed, added or removed.\n"_s;
        const auto row = [](const char *name, const QString &files, const QString &args, int exitCode, const QString &out,
                            const QString &err = QString()) { QTest::newRow(name) << files << args << exitCode << out << err; };
        row("nothing found", QString(), u"O|N|R"_s, 0, noChange);
        row("something found", u"old dir/gone=gone|new dir/added=added"_s, u"O|N|R"_s, 1, compareCaption(0, 1, 1) + u'\n');
        row("pairs", QString(), u"--duplicates|O|N|R"_s, 1, u"Number of duplicate (identical) files: 1\n"_s);
        row("no pairs", u"new dir/same.txt=other"_s, u"--duplicates|O|N|R"_s, 0,
            u"There are no duplicate (identical) files.\n"_s);
        row("filter, no recursion", filtered, u"O|N|R|--ext|.txt"_s, 0, noChange);
        row("filter, recursive", filtered, u"O|N|R|--ext|txt|--recursive"_s, 1, compareCaption(0, 1, 0) + u'\n');
        row("large file skipped", large, u"O|N|R|--skip-mb|1"_s, 0, noChange);
        row("large file digested", large, u"O|N|R"_s, 1, compareCaption(1, 0, 0) + u'\n');
        row("default line limit 100", many, u"O|N|R"_s, 1, u"Number of lines in the report file exceeded 100.\n"_s);
        row("line limit 5", many, u"--max-lines|5|O|N|R"_s, 1, u"Number of lines in the report file exceeded 5.\n"_s);
        row("no line limit", many, u"--no-line-limit|O|N|R"_s, 1, compareCaption(0, 120, 0) + u'\n');
        row("-- ends the options", u"--dashed/same.txt=same"_s, u"--|O|T/--dashed|R"_s, 0, noChange);
        // Failures: status 2, no report; the check messages are the engine's.
        row("1st folder not specified", QString(), u"|N|R"_s, 2, QString(), u"1st folder not specified.\n"_s);
        row("report not writable", QString(), u"O|N|T/no such folder/report.txt"_s, 2, u"Error: File not found\n"_s);
        row("too few arguments", QString(), u"O|N"_s, 2, QString(), u"usage: "_s);
        row("unknown option", QString(), u"O|N|R|--bogus"_s, 2, QString(), u"usage: "_s);
        row("limit and no limit", QString(), u"--max-lines|7|--no-line-limit|O|N|R"_s, 2, QString(), u"usage: "_s);
        for (const QString &bad : {u"0"_s, u"x"_s})
            row(qPrintable(u"--max-lines "_s + bad), QString(), u"O|N|R|--max-lines|"_s + bad, 2, QString(),
                u"Invalid value for number of lines.\n"_s);
        for (const QString &bad : {u"0"_s, u"-5"_s, u"12.5"_s, u"1e3"_s, u"abc"_s})
            row(qPrintable(u"--skip-mb "_s + bad), QString(), u"O|N|R|--skip-mb|"_s + bad, 2, QString(),
                u"Invalid value for skip size.\n"_s);
    }
    void exitStatus()
    {
        QFETCH(QString, files);
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QVERIFY(writeTree(m_tmp->path(), files));
        const Outcome o = compare(args.split(u'|'));
        QCOMPARE(o.exitCode, exitCode);
        QCOMPARE(QString::fromUtf8(o.out), out);
        QCOMPARE(QString::fromUtf8(err == u"usage: "_s ? o.err.left(7) : o.err), err);
        QCOMPARE(QFile::exists(m_report), exitCode != 2);
    }

    void overwrite()
    {
        const QByteArray replaced = "\r\nNo files were changed, added or removed.\r\n";
        QVERIFY(writeFile(m_report, "keep"));
        Outcome o = compare({u"O"_s, u"N"_s, u"R"_s});
        QCOMPARE(o.exitCode, 2);
        QCOMPARE(o.out, QByteArray());
        QVERIFY2(o.err.startsWith(platform::encodeName(u"Overwrite file "_s + m_report + u"?\n"_s)), o.err.constData());
        QCOMPARE(readFile(m_report), QByteArray("keep"));
        QCOMPARE(compare({u"--force"_s, u"O"_s, u"N"_s, u"R"_s}).exitCode, 0);
        QCOMPARE(readFile(m_report), replaced);

        // At a terminal, here given by `script`, the typed answer decides.
        const QString script = QStandardPaths::findExecutable(u"script"_s);
        if (script.isEmpty())
            QSKIP("script (util-linux) is not installed");
        const QString command = u"'%1' compare '%2' '%3' '%4'"_s.arg(kCli, m_old, m_new, m_report);
        for (const QByteArray &answer : {QByteArray("no\n"), QByteArray("yes\n")}) {
            QVERIFY(writeFile(m_report, "keep"));
            QCOMPARE(runProcess(script, {u"-qec"_s, command, u"/dev/null"_s}, answer).exitCode, answer == "yes\n" ? 0 : 2);
            QCOMPARE(readFile(m_report), answer == "yes\n" ? replaced : QByteArray("keep"));
        }
    }

    void nonUtf8Names()
    {
        // Arguments passed through a shell carry the raw bytes; the report keeps them.
        QVERIFY(writeTree(m_tmp->path(), platform::decodeName("old\xe9/caf\xe9 \xff.txt=old|old\xe9/same.txt=same|"
                                                              "new dir/caf\xe9 \xff.txt=new")));
        const QString command = u"cd \"$1\" && exec \"$0\" compare \"$(printf 'old\\351')\" 'new dir' report.txt"_s;
        const Outcome o = runProcess(u"/bin/sh"_s, {u"-c"_s, command, kCli, m_tmp->path()});
        QCOMPARE(o.exitCode, 1);
        QCOMPARE(o.err, QByteArray());
        const QByteArray report = readFile(m_report);
        QVERIFY2(report.startsWith("1st folder: old\xe9/\r\n2nd folder: new dir/\r\n"), report.constData());
        QVERIFY(report.contains("File modified:\r\nnew dir/caf\xe9 \xff.txt, 2026-01-02 03:04:05, 3 bytes\r\n"
                                "old\xe9/caf\xe9 \xff.txt, same size, date and time\r\n"));
    }
};

CHEQORA_TEST_MAIN(CliCompareTest)
#include "tst_clicompare.moc"
