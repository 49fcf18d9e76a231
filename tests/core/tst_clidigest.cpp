// cheqora-cli digest, run as a separate program the way a user runs it.
#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace cheqora::test;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QString cli()
{
    return QStringLiteral(CHEQORA_BIN_DIR) + QStringLiteral("/cheqora-cli");
}

Run runProgram(const QString &program, const QStringList &args, const QString &workDir = QString(),
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    Run r;
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestCliDigest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(QFileInfo(cli()).isExecutable(), qPrintable(cli()));
    }

    void allDigestsComputed()
    {
        const QString a = path(QStringLiteral("abc.txt"));
        QVERIFY(writeBytes(a, "abc"));
        QVERIFY(setModified(a, utc(2026, 5, 12, 9, 30, 5)));
        const QString big = path(QStringLiteral("big file.bin"));
        QVERIFY(writeBytes(big, randomBytes(1234567, 1)));
        QVERIFY(setModified(big, utc(2026, 5, 12, 0, 0, 0)));
        const QString bigDigest = md5sumOf(big);
        QVERIFY(!bigDigest.isEmpty());

        const Run r = runProgram(cli(), {QStringLiteral("digest"), a, big});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        const QString expected = QStringLiteral("900150983CD24FB0D6963F7D28E17F72  ") + a
                                 + QStringLiteral(",3 bytes (0.00 KB), 2026-05-12 09:30:05\n") + bigDigest
                                 + QStringLiteral("  ") + big
                                 + QStringLiteral(",1234567 bytes (1,205.63 KB), 2026-05-12 00:00:00\n");
        QCOMPARE(QString::fromUtf8(r.out), expected);
    }

    // The C locale spells the month in its short date; the date is then written numerically so that
    // the size/date columns of reports still line up.
    void dateWithoutMonthNames()
    {
        const QString a = path(QStringLiteral("c-locale.txt"));
        QVERIFY(writeBytes(a, "abc"));
        QVERIFY(setModified(a, utc(2026, 5, 12, 9, 30, 5)));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANG", "LC_TIME", "LC_NUMERIC"})
            env.insert(QString::fromLatin1(name), QStringLiteral("C"));
        const Run r = runProgram(cli(), {QStringLiteral("digest"), a}, QString(), env);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.endsWith(" 2026-05-12 09:30:05\n"), r.out.constData());
    }

    // A status takes the digest's place; any status makes the exit status 1.
    void statusesAndExitCode()
    {
        const QString good = path(QStringLiteral("good"));
        QVERIFY(writeBytes(good, "a"));
        QVERIFY(setModified(good, utc(2026, 5, 12, 9, 30, 5)));
        const QString empty = path(QStringLiteral("empty"));
        QVERIFY(writeBytes(empty, QByteArray()));
        QVERIFY(setModified(empty, utc(2026, 5, 12, 9, 30, 5)));
        const QString missing = path(QStringLiteral("missing"));
        const QString fifo = path(QStringLiteral("fifo"));
        QVERIFY(makeFifo(fifo)); // never written to: the program must not wait on it

        const Run r = runProgram(cli(), {QStringLiteral("digest"), good, empty, missing, m_dir.path(), fifo});
        QCOMPARE(r.exitCode, 1);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(0), QStringLiteral("0CC175B9C0F1B6A831C399E269772661  ") + good
                                  + QStringLiteral(",1 bytes (0.00 KB), 2026-05-12 09:30:05"));
        QCOMPARE(lines.at(1), QStringLiteral("Zero-length file  ") + empty
                                  + QStringLiteral(",0 bytes (0.00 KB), 2026-05-12 09:30:05"));
        QCOMPARE(lines.at(2), QStringLiteral("File not found  ") + missing);
        QCOMPARE(lines.at(3), QStringLiteral("Folder, not file  ") + m_dir.path());
        QVERIFY2(lines.at(4).startsWith(QStringLiteral("Not a regular file  ") + fifo + u','), qPrintable(lines.at(4)));
        QCOMPARE(lines.at(5), QString());

        QCOMPARE(runProgram(cli(), {QStringLiteral("digest"), missing}).exitCode, 1);
        QCOMPARE(runProgram(cli(), {QStringLiteral("digest"), empty}).exitCode, 1);
        QCOMPARE(runProgram(cli(), {QStringLiteral("digest"), good}).exitCode, 0);
    }

    // The name reaches the program as raw bytes through the shell's glob and must come out the same.
    void nonUtf8NameKeepsItsBytes()
    {
        QTemporaryDir dir;
        const QByteArray name("caf\xE9.txt");
        const QString file = dir.path() + u'/' + platform::decodeName(name);
        QVERIFY(writeBytes(file, "abc"));
        QVERIFY(setModified(file, utc(2026, 5, 12, 9, 30, 5)));
        const Run r = runProgram(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"), QStringLiteral("exec \"$0\" digest ./*"), cli()}, dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("900150983CD24FB0D6963F7D28E17F72  ./") + name
                            + QByteArray(",3 bytes (0.00 KB), 2026-05-12 09:30:05\n"));
    }

    void usage()
    {
        Run r = runProgram(cli(), {});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("usage: cheqora-cli digest FILE..."));
        QCOMPARE(r.out, QByteArray());
        r = runProgram(cli(), {QStringLiteral("digest")});
        QCOMPARE(r.exitCode, 2);
        r = runProgram(cli(), {QStringLiteral("frobnicate"), path(QStringLiteral("x"))});
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QByteArray());
    }
};

CHEQORA_TEST_MAIN(TestCliDigest)
#include "tst_clidigest.moc"
