// cheqora-cli as a user runs it: command line, streams, exit status, digest lines, Ctrl+C, the
// overwrite question at a terminal, and `compare` on trees that fight back (missing and locked
// folders, unreadable and special files, a tree deeper than the path limit) with its whole report.
#include "comparetestutil.h"
#include "filefixtures.h"
#include "testmain.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

const QString kCli = QStringLiteral(CHEQORA_BIN_DIR "/cheqora-cli");
constexpr int kDepth = 2000;

// side/dd/dd/... kDepth folders deep, with file f at depth 1500 and g at the bottom holding content.
bool makeDeepTree(const QString &side, const QByteArray &content)
{
    int fd = ::open(platform::encodeName(side).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const struct timespec times[2] = {{1767323045, 0}, {1767323045, 0}}; // 2026-01-02 03:04:05 UTC
    for (int depth = 1; fd >= 0 && depth <= kDepth; ++depth) {
        const int next = ::mkdirat(fd, "dd", 0755) == 0 ? ::openat(fd, "dd", O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
        ::close(fd);
        fd = next;
        if (fd >= 0 && (depth == 1500 || depth == kDepth)) {
            const int file = ::openat(fd, depth == kDepth ? "g" : "f", O_WRONLY | O_CREAT, 0644);
            if (file < 0 || ::write(file, content.constData(), size_t(content.size())) != content.size()
                || ::futimens(file, times) != 0 || ::close(file) != 0) {
                ::close(fd);
                return false;
            }
        }
    }
    return fd >= 0 && ::close(fd) == 0;
}

Outcome runProcess(const QString &program, const QStringList &args, const QByteArray &input = QByteArray(),
                   const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment(), const QString &folder = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(240000))
        qFatal("%s did not finish", qPrintable(program));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

// Names beginning with "." in a folder: temporary files left behind.
QStringList hiddenEntries(const QString &folder)
{
    return QDir(folder).entryList({u".*"_s}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// An expected text ending in "*" stands for any text that begins with the rest.
bool matches(const QString &actual, const QString &expected)
{
    return expected.endsWith(u'*') ? actual.startsWith(expected.chopped(1)) : actual == expected;
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT

    QTemporaryDir *m_tmp = nullptr;
    QString m_old;
    QString m_new;
    QString m_report;

    // Runs cheqora-cli; O and N stand for the folders, R for the report and T/... for a path in the
    // temporary folder.
    Outcome run(QStringList args) const
    {
        for (QString &a : args) {
            if (a == u"O"_s || a == u"N"_s || a == u"R"_s)
                a = a == u"O"_s ? m_old : a == u"N"_s ? m_new : m_report;
            else if (a.startsWith(u"T/"_s))
                a = m_tmp->path() + a.mid(1);
        }
        return runProcess(kCli, args);
    }

    // Root reads whatever the modes say: the command runs as nobody instead. Exit code -2 when no
    // unprivileged user can run it from where it was built.
    Outcome runUnprivileged(QStringList args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) const
    {
        for (QString &a : args)
            a = a == u"R"_s ? m_report : a.startsWith(u"T/"_s) ? m_tmp->path() + a.mid(1) : a;
        if (::geteuid() != 0)
            return runProcess(kCli, args, QByteArray(), env);
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        const QStringList asNobody{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, kCli};
        // Without its usage message (status 2), the user cannot run the command.
        if (setpriv.isEmpty() || runProcess(setpriv, asNobody).exitCode != 2)
            return Outcome{-2, {}, {}};
        return runProcess(setpriv, asNobody + args, QByteArray(), env);
    }

    QString terminalCommand(const QString &args) const
    {
        return u"stty cols 40; exec '%1' compare %2 '%3' '%4' '%5'"_s.arg(kCli, args, m_old, m_new, m_report);
    }

private slots:
    void init()
    {
        m_tmp = new QTemporaryDir(u"/tmp/cheqora-cli-XXXXXX"_s);
        QVERIFY(m_tmp->isValid());
        // An unprivileged user must reach the trees and write the report.
        QVERIFY(::chmod(platform::encodeName(m_tmp->path()).constData(), 0777) == 0);
        platform::raiseOpenFileLimit();
        m_old = m_tmp->path() + u"/old dir"_s;
        m_new = m_tmp->path() + u"/new dir"_s;
        m_report = m_tmp->path() + u"/report.txt"_s;
        QVERIFY(writeTree(m_tmp->path(), u"old dir/same.txt=same|new dir/same.txt=same"_s));
    }
    void cleanup()
    {
        QProcess::execute(u"rm"_s, {u"-rf"_s, m_tmp->path()}); // names that are not UTF-8 too
        delete m_tmp;
    }

    void commandLine_data()
    {
        QTest::addColumn<QString>("files"); // entries below the temporary folder, as writeTree takes them
        QTest::addColumn<QString>("args"); // separated by "|"
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("added"); // "File added" entries in the report; -1: no report
        QString many;
        for (int i = 0; i < 300; ++i)
            many += u"new dir/f%1.txt=x|"_s.arg(i, 3, 10, QChar(u'0'));
        const QString noChange = u"No files were changed, added or removed.\n"_s;
        const QString tryCompare = u"\nTry 'cheqora-cli compare --help'.\n"_s;
        const auto row = [](const char *name, const QString &files, const QString &args, int exitCode, const QString &out,
                            const QString &err, int added) {
            QTest::newRow(name) << files << args << exitCode << out << err << added;
        };
        row("nothing found", QString(), u"compare|O|N|R|--jobs|2"_s, 0, noChange, QString(), 0);
        row("something found", u"old dir/gone=gone|new dir/added=added"_s, u"compare|O|N|R"_s, 1,
            compareCaption(0, 1, 1) + u'\n', QString(), 1);
        row("pairs", QString(), u"compare|-d|O|N|R"_s, 1, u"Number of duplicate (identical) files: 1\n"_s, QString(), 0);
        row("filter, recursive", u"new dir/note.doc=doc|new dir/sub/deep.txt=deep"_s, u"compare|O|N|R|--ext=txt|-r"_s, 1,
            compareCaption(0, 1, 0) + u'\n', QString(), 1);
        row("large file skipped", u"old dir/big.bin=a*1100000|new dir/big.bin=b*1100000"_s,
            u"compare|O|N|R|--skip-mb|1"_s, 0, noChange, QString(), 0);
        row("extension as a file dialog shows it", many, u"compare|O|N|R|--ext|*.txt"_s, 1, compareCaption(0, 300, 0) + u'\n',
            QString(), 300);
        row("full report by default", many, u"compare|O|N|R"_s, 1, compareCaption(0, 300, 0) + u'\n', QString(), 300);
        row("no line limit", many, u"compare|--no-line-limit|O|N|R"_s, 1, compareCaption(0, 300, 0) + u'\n', QString(), 300);
        row("line limit", many, u"compare|--max-lines=5|O|N|R"_s, 1, u"Number of lines in the report file exceeded 5.\n"_s,
            QString(), 1);
        row("-- ends the options", u"--dashed/same.txt=same"_s, u"compare|--|O|T/--dashed|R"_s, 0, noChange, QString(), 0);
        row("help", QString(), u"--help"_s, 0, u"Usage: cheqora-cli [options] COMMAND [options] ARGUMENTS...\n*"_s, QString(), -1);
        row("version", QString(), u"--version"_s, 0, u"cheqora-cli " CHEQORA_VERSION "\n"_s, QString(), -1);
        // Trouble: status 2, nothing on stdout, the reason on stderr; the check messages are the engine's.
        row("1st folder not specified", QString(), u"compare||N|R"_s, 2, QString(), u"1st folder not specified.\n"_s, -1);
        row("report not writable", QString(), u"compare|O|N|T/no such folder/report.txt"_s, 2, QString(),
            u"Error: writing T/no such folder/report.txt: No such file or directory\n"_s, -1);
        row("no command", QString(), QString(), 2, QString(), u"No command given.\nTry 'cheqora-cli --help'.\n"_s, -1);
        row("too few arguments", QString(), u"compare|O|N"_s, 2, QString(), u"Three arguments expected: OLD NEW REPORT."_s + tryCompare, -1);
        row("unknown option", QString(), u"compare|O|N|R|--bogus"_s, 2, QString(), u"Unknown option 'bogus'."_s + tryCompare, -1);
        row("limit and no limit", QString(), u"compare|--max-lines|7|--no-line-limit|O|N|R"_s, 2, QString(),
            u"--max-lines and --no-line-limit exclude each other."_s + tryCompare, -1);
        row("--max-lines 0", QString(), u"compare|O|N|R|--max-lines|0"_s, 2, QString(), u"Invalid value for number of lines.\n"_s, -1);
        row("SHA-256 of two folders", u"new dir/added=added"_s, u"compare|O|N|R|-a|SHA256"_s, 1, compareCaption(0, 1, 0) + u'\n',
            QString(), 1);
        row("unknown algorithm", QString(), u"compare|O|N|R|--algorithm=sha3"_s, 2, QString(),
            u"Unknown algorithm 'sha3': md5, sha1, sha256, sha512 or blake2b.\n"_s, -1);
        row("check without its list", QString(), u"check"_s, 2, QString(),
            u"One argument expected: LIST.\nTry 'cheqora-cli check --help'.\n"_s, -1);
        for (const QString &bad : {u"-5"_s, u"12.5"_s, u"1e3"_s})
            row(qPrintable(u"--skip-mb "_s + bad), QString(), u"compare|O|N|R|--skip-mb|"_s + bad, 2, QString(),
                u"Invalid value for skip size.\n"_s, -1);
        for (const QString &bad : {u"0"_s, u"x"_s})
            row(qPrintable(u"--jobs "_s + bad), QString(), u"compare|O|N|R|-j|"_s + bad, 2, QString(),
                u"Invalid value for number of jobs.\n"_s, -1);
    }
    void commandLine()
    {
        QFETCH(QString, files);
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(int, added);
        QVERIFY(writeTree(m_tmp->path(), files));
        const Outcome o = run(args.isEmpty() ? QStringList() : args.split(u'|'));
        QCOMPARE(o.exitCode, exitCode);
        QVERIFY2(matches(QString::fromUtf8(o.out), out), o.out.constData());
        QVERIFY2(matches(QString::fromUtf8(o.err), err.replace(u"T/"_s, m_tmp->path() + u'/')), o.err.constData());
        QCOMPARE(readFile(m_report).count("File added: "), qMax(added, 0));
        QCOMPARE(QFile::exists(m_report), added >= 0);
    }

    void overwrite()
    {
        const QByteArray replaced = "\r\nNo files were changed, added or removed.\r\n";
        QVERIFY(writeFile(m_report, "keep"));
        Outcome o = run({u"compare"_s, u"O"_s, u"N"_s, u"R"_s});
        QCOMPARE(o.exitCode, 2);
        QCOMPARE(o.out, QByteArray());
        QVERIFY2(o.err.startsWith(platform::encodeName(u"Overwrite file "_s + m_report + u"?\n"_s)), o.err.constData());
        QCOMPARE(readFile(m_report), QByteArray("keep"));
        QCOMPARE(run({u"compare"_s, u"--force"_s, u"O"_s, u"N"_s, u"R"_s}).exitCode, 0);
        QCOMPARE(readFile(m_report), replaced);

        // At a terminal, here given by `script`, the typed answer decides.
        const QString script = QStandardPaths::findExecutable(u"script"_s);
        if (script.isEmpty())
            QSKIP("script (util-linux) is not installed");
        for (const QByteArray &answer : {QByteArray("no\n"), QByteArray("yes\n")}) {
            QVERIFY(writeFile(m_report, "keep"));
            QCOMPARE(runProcess(script, {u"-qec"_s, terminalCommand(u"-q"_s), u"/dev/null"_s}, answer).exitCode,
                     answer == "yes\n" ? 0 : 2);
            QCOMPARE(readFile(m_report), answer == "yes\n" ? replaced : QByteArray("keep"));
        }
    }

    // A status takes the digest's place and makes the exit status 1; a line break in a name stays on
    // its line. Nobody writes to the FIFO: the program must not wait on it.
    void digestLines()
    {
        const QString dir = m_tmp->path();
        QVERIFY(writeTree(dir, u"abc.txt=abc@2026-05-12 09:30:05|two\nlines=abc|empty=|fifo=<fifo>"_s));
        const QString big = dir + u"/big file.bin"_s;
        QVERIFY(writeBytes(big, randomBytes(1234567, 1)) && setModified(big, utc(2026, 5, 12, 0, 0, 0)));
        const QString bigDigest = md5sumOf(big);
        QVERIFY(!bigDigest.isEmpty());
        const QString abc = u"900150983CD24FB0D6963F7D28E17F72  "_s;
        const QString tail = u",3 bytes (0.00 KB), 2026-01-02 03:04:05\n"_s;
        const Outcome r = run({u"digest"_s, u"T/abc.txt"_s, big, u"T/two\nlines"_s, u"T/empty"_s, u"T/missing"_s, dir, u"T/fifo"_s});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 abc + dir + u"/abc.txt,3 bytes (0.00 KB), 2026-05-12 09:30:05\n"_s
                     + bigDigest + u"  "_s + big + u",1234567 bytes (1,205.63 KB), 2026-05-12 00:00:00\n"_s
                     + abc + dir + u"/two\\nlines"_s + tail
                     + u"Zero-length file  "_s + dir + u"/empty,0 bytes (0.00 KB), 2026-01-02 03:04:05\n"_s
                     + u"File not found  "_s + dir + u"/missing\nFolder, not file  "_s + dir
                     + u"\nNot a regular file  "_s + dir + u"/fifo,0 bytes (0.00 KB), 2026-01-02 03:04:05\n"_s);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(run({u"digest"_s, u"T/abc.txt"_s, big}).exitCode, 0);
        const Outcome sha = run({u"digest"_s, u"-a"_s, u"blake2b"_s, u"T/abc.txt"_s});
        QVERIFY2(sha.exitCode == 0 && sha.out.startsWith("BA80A53F981C4D0D6A2797B69F12F6E94C212F14685AC4B74B12BB6FDBFFA2D1"
                                                         "7D87C5392AAB792DC252D5DE4533CC9518D38AA8DBF1925AB92386EDD4009923  "),
                 sha.out.constData());

        // The C locale spells the month in its short date; the date is then written numerically so that
        // the size/date columns of reports still line up.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"LANG"_s, u"LC_TIME"_s, u"LC_NUMERIC"_s})
            env.insert(name, u"C"_s);
        const Outcome c = runProcess(kCli, {u"digest"_s, dir + u"/abc.txt"_s}, QByteArray(), env);
        QCOMPARE(c.exitCode, 0);
        QVERIFY2(c.out.endsWith(" 2026-05-12 09:30:05\n"), c.out.constData());
    }

    // Ctrl+C, SIGTERM or SIGHUP while a huge (sparse) file is digested in the 2nd walk: the entry written
    // before it reaches the closed report, which has no summary, and the exit status names the signal.
    // The huge file is in a subfolder, which the walk reaches only after the entry; with one job nothing
    // is read ahead, so the file is not open before the entry is written, however loaded the machine.
    // Stopped the same way, list leaves no list and no temporary file behind.
    void interrupt_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QString>("command");
        QTest::newRow("Ctrl+C") << int(SIGINT) << u"compare"_s;
        QTest::newRow("SIGTERM") << int(SIGTERM) << u"compare"_s;
        QTest::newRow("SIGHUP") << int(SIGHUP) << u"compare"_s;
        QTest::newRow("SIGTERM, list") << int(SIGTERM) << u"list"_s;
    }
    void interrupt()
    {
        QFETCH(int, signal);
        QFETCH(QString, command);
        QVERIFY(writeTree(m_tmp->path(), u"new dir/same.txt=changed"_s));
        const QString huge = m_new + u"/z/zz.bin"_s;
        QVERIFY(QDir().mkpath(m_new + u"/z"_s));
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(64) << 30));
        f.close();
        QProcess p;
        // A shell's background job ignores SIGINT.
        p.setChildProcessModifier([] { for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL); });
        const bool list = command == u"list"_s;
        p.start(kCli, list ? QStringList{command, u"-j1"_s, u"-r"_s, m_new, u"-o"_s, m_report}
                           : QStringList{command, u"-j1"_s, u"-r"_s, m_old, m_new, m_report});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(huge, QString::number(p.processId())), 60000);
        QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
        const bool blnEnded = p.waitForFinished(60000);
        if (!blnEnded)
            p.kill();
        QVERIFY(blnEnded);
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + signal);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
        QCOMPARE(p.readAllStandardError(), list ? QByteArray() : QByteArray("Comparison was stopped.\n"));
        const QByteArray report = readFile(m_report);
        QCOMPARE(hiddenEntries(m_tmp->path()), QStringList());
        if (list)
            QCOMPARE(report, QByteArray("<missing>"));
        else
            QVERIFY2(report.contains("File modified:\r\n" + platform::encodeName(m_new) + "/same.txt, "), report.constData());
        QVERIFY2(!report.contains("Files modified: "), report.constData());
    }

    // Every write is checked to its end: a full device, a closed stdout and a file-size limit give a
    // message naming where the output went and why, and status 2; an earlier list stays as it was.
    void writeFailures_data()
    {
        QTest::addColumn<QString>("command"); // for sh -c; CLI stands for cheqora-cli, T/ for the temporary folder
        QTest::addColumn<QString>("err");
        const QString full = u"Error: writing /dev/full: No space left on device\n"_s;
        const QString closed = u"Error: writing standard output: Bad file descriptor\n"_s;
        for (const QString &command : {u"digest T/m/f000"_s, u"list -r T/m"_s, u"compare T/e T/m T/r.txt"_s, u"--help"_s}) {
            QTest::newRow(qPrintable(command + u" > /dev/full"_s)) << u"exec CLI "_s + command + u" > /dev/full"_s << full;
            QTest::newRow(qPrintable(command + u" >&-"_s)) << u"exec CLI "_s + command + u" >&-"_s << closed;
        }
        QTest::newRow("report on /dev/full") << u"exec CLI compare -f T/e T/m /dev/full"_s << full;
        // check keeps to coreutils' output but not to its status 1 for a failed write.
        const QString check = u"cd T/m && md5sum f000 f001 > ../c && exec CLI check ../c"_s;
        QTest::newRow("check > /dev/full") << check + u" > /dev/full"_s << full;
        QTest::newRow("check >&-") << check + u" >&-"_s << closed;
        QTest::newRow("list -o, no such folder")
            << u"exec CLI list -o T/none/l.md5 T/m"_s << u"Error: writing T/none/l.md5: No such file or directory\n"_s;
        const QString limit = u"ulimit -f 1; exec CLI "_s;
        const QString tooLarge = u"Error: writing T/%1: File too large\n"_s;
        QTest::newRow("digest, size limit") << limit + u"digest T/m/* > T/out"_s << tooLarge.arg(u"out"_s);
        QTest::newRow("list, size limit") << limit + u"list T/m > T/out"_s << tooLarge.arg(u"out"_s);
        QTest::newRow("list -o, size limit") << limit + u"list -o T/l.md5 T/m"_s << tooLarge.arg(u"l.md5"_s);
        QTest::newRow("report, size limit") << limit + u"compare T/e T/m T/r.txt"_s << tooLarge.arg(u"r.txt"_s);
    }
    void writeFailures()
    {
        QFETCH(QString, command);
        QFETCH(QString, err);
        const QString t = m_tmp->path();
        QString many;
        for (int i = 0; i < 300; ++i)
            many += u"m/f%1=x|"_s.arg(i, 3, 10, QChar(u'0'));
        QVERIFY(writeTree(t, many + u"l.md5=#: earlier list"_s) && QDir().mkpath(t + u"/e"_s));
        const Outcome o = runProcess(u"sh"_s, {u"-c"_s, command.replace(u"CLI"_s, kCli).replace(u"T/"_s, t + u'/')});
        QCOMPARE(QString::fromUtf8(o.err), err.replace(u"T/"_s, t + u'/'));
        QCOMPARE(o.exitCode, 2);
        QCOMPARE(o.out, QByteArray());
        QCOMPARE(readFile(t + u"/l.md5"_s), QByteArray("#: earlier list"));
        QCOMPARE(hiddenEntries(t), QStringList());
    }

    // list -o replaces a digest list (with --force any file) whole, through a link and keeping its mode;
    // anything else stays as it was. No temporary file is left either way.
    void listOutput_data()
    {
        QTest::addColumn<QString>("existing"); // at T/l.md5: its content, "<none>", "<folder>", or "<link>" to a list
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("err"); // "" when the list is written
        const QString refused = u"Not replaced: T/l.md5 is not a digest list (--force replaces it).\n"_s;
        QTest::newRow("none") << u"<none>"_s << QString() << QString();
        QTest::newRow("a list") << u"#: Cheqora digest list 1\n"_s << QString() << QString();
        QTest::newRow("md5sum's list") << u"d41d8cd98f00b204e9800998ecf8427e  x\n"_s << QString() << QString();
        QTest::newRow("a tagged list") << u"\\MD5 (a\\nb) = d41d8cd98f00b204e9800998ecf8427e\n"_s << QString() << QString();
        QTest::newRow("a link to a list") << u"<link>"_s << QString() << QString();
        QTest::newRow("a data file") << u"data"_s << QString() << refused;
        QTest::newRow("a data file, forced") << u"data"_s << u"-f"_s << QString();
        QTest::newRow("a folder, forced") << u"<folder>"_s << u"--force"_s << u"Not replaced: T/l.md5 is a folder.\n"_s;
        QTest::newRow("a FIFO, forced") << u"<fifo>"_s << u"--force"_s << u"Not replaced: T/l.md5 is not a regular file.\n"_s;
    }
    void listOutput()
    {
        QFETCH(QString, existing);
        QFETCH(QString, options);
        QFETCH(QString, err);
        const QString t = m_tmp->path(), file = t + u"/l.md5"_s;
        const QString target = existing == u"<link>"_s ? t + u"/x.md5"_s : file;
        const QByteArray before = existing == u"<link>"_s ? "#: earlier list\n" : existing.toUtf8();
        if (existing == u"<folder>"_s)
            QVERIFY(QDir().mkpath(file));
        else if (existing == u"<fifo>"_s)
            QVERIFY(makeFifo(file));
        else if (existing != u"<none>"_s)
            QVERIFY(writeBytes(target, before) && ::chmod(platform::encodeName(target).constData(), 0604) == 0
                    && (target == file || makeSymlink(u"x.md5"_s, file)));
        const Outcome o = run(QStringList{u"list"_s, u"-o"_s, u"T/l.md5"_s, u"O"_s} + options.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(QString::fromUtf8(o.err), err.replace(u"T/"_s, t + u'/'));
        QCOMPARE(o.exitCode, err.isEmpty() ? 0 : 2);
        QCOMPARE(QFileInfo(file).isSymLink(), existing == u"<link>"_s);
        struct stat st {};
        QVERIFY(::lstat(platform::encodeName(target).constData(), &st) == 0);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (S_ISREG(st.st_mode)) // else as it was
            QCOMPARE(st.st_mode & 0777, existing == u"<none>"_s ? 0666 & ~mask : mode_t(0604));
        const QByteArray now = S_ISREG(st.st_mode) ? readFile(target) : QByteArray();
        if (err.isEmpty())
            QVERIFY2(now.startsWith("#: Cheqora digest list 2\n") && now.endsWith("  same.txt\n#: entries 1\n"), now.constData());
        else if (S_ISREG(st.st_mode))
            QCOMPARE(now, before);
        QCOMPARE(S_ISREG(st.st_mode), existing != u"<folder>"_s && existing != u"<fifo>"_s);
        QCOMPARE(hiddenEntries(t), QStringList());
    }

    // A digest list stands in for its folder: the report is the folder's byte for byte but for the
    // header's folder lines, with a list on either side or on both. Folders not read and empty
    // subfolders stand where the walk met them; the command runs unprivileged so that modes hold.
    void listRoundTrip_data()
    {
        QTest::addColumn<QString>("options"); // of compare, separated by "|"
        QTest::newRow("top folder only") << QString();
        QTest::newRow("duplicates") << u"-r|-d"_s;
        QTest::newRow("skip size") << u"-r|--skip-mb|1"_s;
    }
    void listRoundTrip()
    {
        QFETCH(QString, options);
        const QString odd = u"a b.txt=%1|back\\slash=bs|line\nbreak=%1|Twin=t|twin=u|empty=|"_s;
        QVERIFY(writeTree(m_tmp->path(), platform::decodeName("old dir/caf\xe9=c|new dir/caf\xe9=c|old dir/big=a*1100000|"
                                                              "new dir/big=b*1100000|old dir/sub dir/gone=g|"
                                                              "new dir/sub dir/new.txt=n|new dir/TWIN=t|old dir/locked/x=1|"
                                                              "new dir/shut/y=1|old dir/sub dir/both=b|new dir/sub dir/both=b|hollow/e/f=|flat/f=f")));
        QVERIFY(writeTree(m_tmp->path() + u"/old dir"_s, odd.arg(u"one"_s) + u"sub dir/deep.txt=d"_s));
        QVERIFY(writeTree(m_tmp->path() + u"/new dir"_s, odd.arg(u"ONE"_s).remove(u"Twin=t|"_s) + u"sub dir/deep.txt=e"_s));
        QVERIFY(QFile::remove(m_tmp->path() + u"/hollow/e/f"_s) && QDir().mkpath(m_new + u"/void/empty"_s));
        for (const char *locked : {"/old dir/locked", "/new dir/shut"})
            QVERIFY(::chmod(QString(m_tmp->path() + QLatin1String(locked)).toUtf8().constData(), 0) == 0);
        const QStringList opts = options.isEmpty() ? QStringList() : options.split(u'|');
        // An old folder whose only subfolder is empty, against one with none.
        for (const auto &[oldName, newName] : {std::pair{u"old dir"_s, u"new dir"_s}, std::pair{u"hollow"_s, u"flat"_s}}) {
            const QString oldList = u"T/"_s + oldName + u".md5"_s, newList = u"T/"_s + newName + u".md5"_s;
            for (const QString &side : {oldName, newName}) {
                const Outcome listed = runUnprivileged({u"list"_s, u"-r"_s, u"T/"_s + side, u"-o"_s, u"T/"_s + side + u".md5"_s});
                if (listed.exitCode == -2)
                    QSKIP("no unprivileged user can run the command here");
                QCOMPARE(listed.exitCode, side.endsWith(u"dir"_s) ? 2 : 0);
            }
            QByteArray expected;
            Outcome first;
            for (const QStringList &sides : {QStringList{u"T/"_s + oldName, u"T/"_s + newName}, QStringList{oldList, u"T/"_s + newName},
                                             QStringList{u"T/"_s + oldName, newList}, QStringList{oldList, newList}}) {
                const Outcome o = runUnprivileged(QStringList{u"compare"_s, u"-f"_s} + opts + sides + QStringList{u"R"_s});
                QByteArray report = readFile(m_report);
                const QString shown = m_tmp->path() + sides.at(0).mid(1) + (sides.at(0).endsWith(u".md5"_s) ? u""_s : u"/"_s);
                if (report != "\r\n") { // a report of no pairs has no header
                    QVERIFY2(report.startsWith("1st folder: " + platform::encodeName(shown) + "\r\n"), report.constData());
                    report = report.mid(report.indexOf("\r\n", report.indexOf("\r\n") + 2));
                }
                if (expected.isEmpty()) {
                    expected = report;
                    first = o;
                }
                QCOMPARE(o.exitCode, first.exitCode);
                QCOMPARE(o.out, first.out);
                QCOMPARE(report, expected);
            }
            const bool recursive = options.contains(u"-r"_s), pairs = options.contains(u"-d"_s);
            if (oldName == u"hollow"_s)
                QCOMPARE(expected.contains("derived from the 1st folder and its subfolders"), recursive && !pairs);
            else
                QCOMPARE(expected.contains("Folder not read: " + platform::encodeName(m_old) + "/locked, Permission denied\r\n"),
                         recursive);
        }
    }

    // Lists that cannot stand in for their folder are refused before a report is written, and a
    // comparison never writes over a list.
    void listsRefused_data()
    {
        QTest::addColumn<QString>("files");   // as writeTree takes them, below T
        QTest::addColumn<QString>("list");    // cheqora-cli arguments that write T/l.md5, "|"-separated
        QTest::addColumn<QString>("compare"); // "|"-separated
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");     // T/ for the temporary folder; "*" at the end: any text
        QTest::addColumn<QString>("report");  // what the report holds; "" = no report
        const QString list = u"list|O|-o|T/l.md5"_s, recursiveList = u"list|-r|O|-o|T/l.md5"_s;
        const QString onList = u"compare|T/l.md5|N|R"_s, holds = u"T/l.md5: the list holds only files with the extension txt, "_s;
        const QString unread = u"Some files or folders could not be read, so they were not compared (see the report).\n"_s;
        const QString big = u"old dir/big=a*1100000|new dir/big=b*1100000"_s;
        const auto row = [](const char *name, const QString &files, const QString &list, const QString &compare, int exitCode,
                            const QString &err, const QString &report) {
            QTest::newRow(name) << files << list << compare << exitCode << err << report;
        };
        row("cut short", QString(), recursiveList + u"|cut"_s, onList, 2, u"T/l.md5: the list is cut short after line *"_s, {});
        row("empty file", u"l.md5="_s, QString(), onList, 2, u"T/l.md5 is neither a folder nor a digest list.\n"_s, {});
        row("text file", u"l.md5=hello"_s, QString(), u"compare|O|T/l.md5|R"_s, 2,
            u"T/l.md5 is neither a folder nor a digest list (line 1: not a digest line).\n"_s, {});
        row("subfolders asked of a list without", QString(), list, u"compare|-r|T/l.md5|N|R"_s, 2,
            u"T/l.md5: the list was made without subfolders, so it cannot be compared with subfolders included.\n"_s, {});
        row("all files asked of an extension's list", QString(), list + u"|--ext|txt"_s, onList, 2,
            holds + u"so it cannot be compared with all files.\n"_s, {});
        row("another extension", QString(), list + u"|--ext|txt"_s, u"compare|--ext=doc|O|T/l.md5|R"_s, 2,
            holds + u"not those with the extension doc.\n"_s, {});
        row("less asked: filtered", u"old dir/sub/x.txt=x|new dir/y.doc=y"_s, recursiveList + u"|--ext|*.txt"_s,
            u"compare|--ext=.TXT|T/l.md5|N|R"_s, 0, {}, u"\nNo files were changed, added or removed.\n"_s);
        row("skipped by the list only", big, list + u"|--skip-mb|1"_s, onList, 2, unread,
            u"File not compared: T/old dir/big, Large file skipped\n"_s);
        row("skipped by both", big, list + u"|--skip-mb|1"_s, onList + u"|--skip-mb=1"_s, 0, {},
            u"\nNo files were changed, added or removed.\n"_s);
        row("report over the list", QString(), list, u"compare|-f|T/l.md5|N|T/l.md5"_s, 2,
            u"The report file T/l.md5 is the digest list given as the 1st folder; choose another report file.\n"_s, {});
        const QString h64 = u"%1  a"_s.arg(QString(64, u'e')), h128 = u"%1  a"_s.arg(QString(128, u'e'));
        row("another algorithm than asked", QString(), list + u"|-a|sha256"_s, u"compare|-a|md5|T/l.md5|N|R"_s, 2,
            u"T/l.md5 holds SHA-256 digests, not MD5 digests as asked.\n"_s, {});
        row("lists of two algorithms", u"s.sha="_s + h64, list + u"|-a|sha1"_s, u"compare|T/l.md5|T/s.sha|R"_s, 2,
            u"The 1st folder's list T/l.md5 holds SHA-1 digests, the 2nd folder's list T/s.sha holds SHA-256 digests: "
            "lists of different digests cannot be compared.\n"_s, {});
        row("128 digits without the algorithm", u"s.sha="_s + h128, QString(), u"compare|T/s.sha|N|R"_s, 2,
            u"T/s.sha, line 1: a digest of 128 hexadecimal digits is SHA-512 or BLAKE2b; name the list's algorithm "
            "(sha512 or blake2b) to read it.\n"_s, {});
        row("list inside the 2nd folder", QString(), u"list|-r|N|-o|T/new dir/MD5SUMS"_s, u"compare|-r|T/new dir/MD5SUMS|N|R"_s, 0,
            {}, u"\nNo files were changed, added or removed.\n"_s);
    }
    void listsRefused()
    {
        QFETCH(QString, files);
        QFETCH(QString, list);
        QFETCH(QString, compare);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QString, report);
        const auto inTmp = [&](QString text) { return text.replace(u"T/"_s, m_tmp->path() + u'/').replace(u"\n"_s, u"\r\n"_s); };
        QVERIFY(writeTree(m_tmp->path(), files));
        const QString listFile = m_tmp->path() + (list.contains(u"MD5SUMS"_s) ? u"/new dir/MD5SUMS"_s : u"/l.md5"_s);
        if (!list.isEmpty())
            QCOMPARE(run(list.split(u'|').filter(QRegularExpression(u"^(?!cut$)"_s))).exitCode, 0);
        if (list.endsWith(u"|cut"_s)) {
            QFile f(listFile);
            QVERIFY(f.resize(f.size() - 4));
        }
        const QByteArray before = readFile(listFile);
        const Outcome o = run(compare.split(u'|'));
        QVERIFY2(matches(QString::fromUtf8(o.err), inTmp(err).replace(u"\r\n"_s, u"\n"_s)), o.err.constData());
        QCOMPARE(o.exitCode, exitCode);
        QCOMPARE(readFile(listFile), before);
        if (report.isEmpty())
            QVERIFY(!QFile::exists(m_report));
        else
            QVERIFY2(readFile(m_report).contains(inTmp(report).toUtf8()), readFile(m_report).constData());
    }

    // Every algorithm: a list written with it is one its coreutils tool verifies strictly, and a list
    // that tool wrote (tagged for every other algorithm) stands in for the folder, which one changed
    // file then tells apart by exactly that file; the report names the digest unless it is MD5.
    void algorithmRoundTrips()
    {
        const QString tree = m_tmp->path() + u"/t"_s;
        QVERIFY(writeTree(tree, u"a=abc|empty=|sub/b b=xyz|sub/c=c*70000"_s));
        QVERIFY(writeFile(tree + u"/line\nbreak"_s, "nl"));
        const QStringList files{u"a"_s, u"empty"_s, u"sub/b b"_s, u"sub/c"_s, u"line\nbreak"_s};
        const QStringList tools{u"md5sum"_s, u"sha1sum"_s, u"sha256sum"_s, u"sha512sum"_s, u"b2sum"_s};
        const QStringList names{u"md5"_s, u"sha1"_s, u"sha256"_s, u"sha512"_s, u"blake2b"_s};
        const QStringList titles{u""_s, u"SHA-1"_s, u"SHA-256"_s, u"SHA-512"_s, u"BLAKE2b"_s};
        for (int i = 0; i < tools.size(); ++i) {
            if (QStandardPaths::findExecutable(tools.at(i)).isEmpty())
                QSKIP(qPrintable(tools.at(i) + u" is not installed"_s));
            QVERIFY(writeFile(tree + u"/a"_s, "abc"));
            const QString ours = m_tmp->path() + u"/ours."_s + names.at(i), theirs = m_tmp->path() + u"/theirs."_s + names.at(i);
            QCOMPARE(run({u"list"_s, u"-r"_s, u"-a"_s, names.at(i), tree, u"-o"_s, ours}).exitCode, 0);
            const Outcome checked = runProcess(tools.at(i), {u"-c"_s, u"--strict"_s, ours}, {}, QProcessEnvironment::systemEnvironment(), tree);
            QVERIFY2(checked.exitCode == 0, checked.err.constData());
            const QStringList tag = i % 2 ? QStringList{u"--tag"_s} : QStringList();
            const Outcome made = runProcess(tools.at(i), tag + files, {}, QProcessEnvironment::systemEnvironment(), tree);
            QVERIFY(made.exitCode == 0 && writeFile(theirs, made.out));
            QVERIFY(writeFile(tree + u"/a"_s, "abd"));
            // Only untagged 128-digit lines need their algorithm named.
            const QStringList named = i == 4 ? QStringList{u"-a"_s, names.at(i)} : QStringList();
            const Outcome o = run(QStringList{u"compare"_s, u"-r"_s, u"-f"_s} + named + QStringList{theirs, tree, u"R"_s});
            QVERIFY2(o.exitCode == 1, o.err.constData());
            const QByteArray report = readFile(m_report);
            const QByteArray digest = titles.at(i).isEmpty() ? QByteArray() : "Digest: " + titles.at(i).toUtf8() + "\r\n";
            QVERIFY2(report.startsWith("1st folder: " + theirs.toUtf8() + "\r\n2nd folder: " + tree.toUtf8() + "/\r\n" + digest + "\r\n"),
                     report.constData());
            QVERIFY2(report.count("\r\nFile ") == 1 && report.contains("File modified:\r\n" + tree.toUtf8() + "/a, "), report.constData());
        }
    }

    // check prints what sha256sum -c (or md5sum -c) prints, line by line, its name aside, and exits as
    // it does, on a tree with a changed, a missing, an empty and an unreadable file (mode 000, which
    // root reads all the same, as both tools then do, and a folder in a file's place).
    void checkAsCoreutils_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QString>("list"); // "made" by the tool, "tagged" by it with --tag, or the list's text
        QTest::addColumn<QString>("options");
        const QString missing = QString(64, u'0') + u"  gone\n"_s;
        for (const QString &options : {QString(), u"--ignore-missing"_s, u"--quiet"_s, u"--strict"_s}) {
            QTest::addRow("sha256sum %s", qPrintable(options)) << u"sha256sum"_s << u"made"_s << options;
            QTest::addRow("md5sum --tag %s", qPrintable(options)) << u"md5sum"_s << u"tagged"_s << options;
        }
        QTest::newRow("no line to check") << u"sha256sum"_s << u"# none\nnot a line\n"_s << QString();
        QTest::newRow("only missing files, ignored") << u"sha256sum"_s << missing << u"--ignore-missing"_s;
        QTest::newRow("only missing files, quiet") << u"sha256sum"_s << missing << u"--quiet"_s;
    }
    void checkAsCoreutils()
    {
        QFETCH(QString, tool);
        QFETCH(QString, list);
        QFETCH(QString, options);
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed"_s));
        const QString tree = m_tmp->path() + u"/t"_s;
        const QStringList files{u"ok"_s, u"changed"_s, u"gone"_s, u"empty"_s, u"locked"_s, u"was file"_s, u"line\nbreak"_s,
                                u"sub/deep"_s, u"it's"_s};
        QVERIFY(writeTree(tree, u"ok=ok|changed=c*5000|gone=g|empty=|locked=l|was file=w|sub/deep=d|it's=q"_s));
        QVERIFY(writeFile(tree + u"/line\nbreak"_s, "nl"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LC_ALL"_s, u"C"_s);
        const QStringList how = list == u"tagged"_s ? QStringList{u"--tag"_s} : QStringList();
        const Outcome made = runProcess(tool, how + files, {}, env, tree);
        QVERIFY(made.exitCode == 0);
        QVERIFY(writeFile(m_tmp->path() + u"/l"_s,
                          list == u"made"_s || list == u"tagged"_s ? made.out + "junk line\n\n# comment\n" : list.toUtf8()));
        QVERIFY(writeFile(tree + u"/changed"_s, "C") && QFile::remove(tree + u"/gone"_s) && QFile::remove(tree + u"/was file"_s));
        QVERIFY(QDir().mkdir(tree + u"/was file"_s) && ::chmod(QString(tree + u"/locked"_s).toUtf8().constData(), 0) == 0);
        const QStringList args = (options.isEmpty() ? QStringList() : QStringList{options}) + QStringList{m_tmp->path() + u"/l"_s};
        const Outcome theirs = runProcess(tool, QStringList{u"-c"_s} + args, {}, env, tree);
        const Outcome ours = runProcess(kCli, QStringList{u"check"_s, u"--jobs"_s, u"2"_s} + args, {}, env, tree);
        QCOMPARE(ours.out, theirs.out);
        QCOMPARE(QString::fromUtf8(ours.err).remove(u"cheqora-cli: "_s), QString::fromUtf8(theirs.err).remove(QRegularExpression(u"(?m)^\\S*"_s + tool + u": "_s)));
        QCOMPARE(ours.exitCode, theirs.exitCode);
    }

    // An entry that could not be examined is listed without a size or a time it never had.
    void unexaminedListEntry()
    {
        QVERIFY(writeTree(m_tmp->path(), u"L/a.txt=hi|L/loop->loop"_s));
        QCOMPARE(run({u"list"_s, u"T/L"_s, u"-o"_s, u"T/l.md5"_s}).exitCode, 2);
        const QByteArray list = readFile(m_tmp->path() + u"/l.md5"_s);
        QVERIFY2(list.endsWith("  a.txt\n#: not-read - - \"Path/File access error\" loop\n#: entries 2\n"), list.constData());
    }

    void hostileTrees_data()
    {
        QTest::addColumn<QString>("files"); // below the temporary folder T, as writeTree takes them
        // "|"-separated: "MODE path" (chmod, octal: the command then runs as an unprivileged user, so
        // that modes are obeyed), "deep", "md5off"
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("args"); // blank-separated, after "compare" unless they begin with "check"; T/ stands for the temporary folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("report"); // whole, "\n" for CR LF; "<missing>" when none is written
        const auto row = [](const char *name, const QString &files, const QString &setup, const QString &args, int exitCode,
                            const QString &out, const QString &err, const QString &report) {
            QTest::newRow(name) << files << setup << args << exitCode << out << err << report;
        };
        const QString folders = u"1st folder: T/old/\n2nd folder: T/new/\n\n"_s;
        const QString tail = u" then the files added to the 2nd folder, modified, or removed from the 1st folder are as follows:\n\n"_s;
        const QString sub = folders + u"Assuming the 2nd folder and its subfolders were derived from the 1st folder and its subfolders"_s + tail;
        const QString flat = folders + u"Assuming the 2nd folder was derived from the 1st folder"_s + tail;
        const auto summary = [](int m, int a, int r) { return u"\nFiles modified: %1\nFiles added: %2\nFiles removed: %3\n"_s.arg(m).arg(a).arg(r); };
        const QString unread = u"Some files or folders could not be read, so they were not compared (see the report).\n"_s;
        const QString tree = u"old/a=same|new/a=same|old/b=b|new/b=b"_s;
        const QString args = u"T/old T/new T/r.txt --force"_s;
        const QString none = u"<missing>"_s;

        row("1st folder a file", tree, {}, u"T/old/a T/new T/r.txt"_s, 2, {},
            u"T/old/a is neither a folder nor a digest list (line 1: not a digest line).\n"_s, none);
        // Locked (000) and listable but not searchable (444) folders on both sides, and one locked in the
        // 2nd folder only: nothing is known of the files behind it, so they are not removed; a file
        // beside it still is.
        row("locked folders", tree + u"|old/l/x=1|new/l/x=2|old/r/y=1|new/r/y=2|old/k/x=1|old/k/y=1|new/k/x=1|old/gone=g"_s,
            u"000 old/l|000 new/l|444 old/r|444 new/r|000 new/k"_s, args + u" --recursive"_s, 2,
            compareCaption(0, 0, 1) + u"   Folders not read: 5\n"_s, unread,
            sub + u"Folder not read: T/old/l, Permission denied\nFolder not read: T/old/r, Permission denied\n"
                  "Folder not read: T/new/k, Permission denied\nFolder not read: T/new/l, Permission denied\n"
                  "Folder not read: T/new/r, Permission denied\n\nFile removed: T/old/gone\n"_s
                + summary(0, 0, 1) + u"Folders not read: 5\n"_s);
        // Unreadable on both sides, on one side each way, and FIFOs: never equal, never different. An entry
        // that cannot even be examined (a link to itself) is not called added.
        const QString files = tree + u"|old/p=<fifo>|new/p=<fifo>|old/u=u*10|new/u=u*20|old/v=v|new/v=V|old/w=w|new/w=W|new/z->z"_s;
        const QString locks = u"000 old/u|000 new/u|000 new/v|000 old/w"_s;
        const QString notCompared = u"File not compared: T/new/p, Not a regular file\nFile not compared: T/new/u, Permission denied\n"
                                    "File not compared: T/new/v, Permission denied\nFile not compared: T/old/w, Permission denied\n"
                                    "File not compared: T/new/z, Path/File access error\n"_s;
        row("unreadable files", files, locks, args, 2, compareCaption(0, 0, 0) + u"   Files not compared: 5\n"_s, unread,
            flat + notCompared + summary(0, 0, 0) + u"Files not compared: 5\n"_s);
        // A libcrypto configured to refuse MD5: every file is reported, nothing ends the program.
        row("MD5 not available", tree, u"md5off"_s, args, 2, compareCaption(0, 0, 0) + u"   Files not compared: 2\n"_s, unread,
            flat + u"File not compared: T/new/a, MD5 is not available\nFile not compared: T/new/b, MD5 is not available\n"_s
                + summary(0, 0, 0) + u"Files not compared: 2\n"_s);
        row("SHA-256 not available", tree, u"md5off"_s, u"-a sha256 "_s + args, 2, compareCaption(0, 0, 0) + u"   Files not compared: 2\n"_s,
            unread, QString(flat).insert(folders.size() - 1, u"Digest: SHA-256\n"_s) + u"File not compared: T/new/a, SHA-256 is not "
            "available\nFile not compared: T/new/b, SHA-256 is not available\n"_s + summary(0, 0, 0) + u"Files not compared: 2\n"_s);
        row("check: MD5 not available", tree + u"|l=900150983cd24fb0d6963f7d28e17f72  a"_s, u"md5off"_s, u"check T/l"_s, 2, {},
            u"cheqora-cli: MD5 is not available in this system's cryptographic library.\n"_s, u"<missing>"_s);
        const QString d1500 = u"dd/"_s.repeated(1500);
        const QString d2000 = u"dd/"_s.repeated(kDepth);
        row("deeper than the path limit", tree, u"deep"_s, args + u" --recursive --no-line-limit"_s, 1,
            compareCaption(2, 0, 0) + u'\n', {},
            sub + u"File modified:\nT/new/"_s + d1500 + u"f, 2026-01-02 03:04:05, 3 bytes\nT/old/"_s + d1500
                + u"f, same size, date and time\n\nFile modified:\nT/new/"_s + d2000 + u"g, 2026-01-02 03:04:05, 3 bytes\nT/old/"_s
                + d2000 + u"g, same size, date and time\n\n"_s + summary(2, 0, 0));
    }
    void hostileTrees()
    {
        QFETCH(QString, files);
        QFETCH(QString, setup);
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, report);
        const bool asUser = setup.contains(QRegularExpression(u"(^|\\|)[0-7]{3} "_s));
        const QString t = m_tmp->path();
        QVERIFY(writeTree(t, files));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &step : setup.split(u'|', Qt::SkipEmptyParts)) {
            if (step == u"md5off"_s) {
                QVERIFY(writeFile(t + u"/fips.cnf"_s, "openssl_conf = init\n[init]\nalg_section = evp\n[evp]\n"
                                                      "default_properties = fips=yes\n"));
                env.insert(u"OPENSSL_CONF"_s, t + u"/fips.cnf"_s);
            } else if (step == u"deep"_s) {
                QVERIFY(makeDeepTree(t + u"/old"_s, "old") && makeDeepTree(t + u"/new"_s, "new"));
            } else {
                const QString path = t + u'/' + step.section(u' ', 1);
                QVERIFY(::chmod(path.toUtf8().constData(), mode_t(step.section(u' ', 0, 0).toUInt(nullptr, 8))) == 0);
            }
        }
        QStringList arguments;
        if (!args.startsWith(u"check "_s))
            arguments << u"compare"_s;
        for (const QString &a : args.split(u' '))
            arguments.append(a.startsWith(u"T/"_s) ? t + a.mid(1) : a);
        const Outcome o = asUser ? runUnprivileged(arguments, env) : runProcess(kCli, arguments, QByteArray(), env);
        if (o.exitCode == -2)
            QSKIP("no unprivileged user can run the command here");
        QCOMPARE(QString::fromUtf8(o.err), err.replace(u"T/"_s, t + u'/'));
        QCOMPARE(QString::fromUtf8(o.out), out);
        QCOMPARE(o.exitCode, exitCode);
        QCOMPARE(readFile(t + u"/r.txt"_s), report.replace(u"T/"_s, t + u'/').replace(u"\n"_s, u"\r\n"_s).toUtf8());
    }
};

CHEQORA_TEST_MAIN(CliTest)
#include "tst_cli.moc"
