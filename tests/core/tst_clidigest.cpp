// cheqora-cli digest, run as a separate program the way a user runs it.
#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora::test;

namespace {

const QString kCli = QStringLiteral(CHEQORA_BIN_DIR "/cheqora-cli");

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run runProgram(const QStringList &args, const QString &program = kCli, const QString &workDir = QString(),
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return Run();
    return Run{p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

} // namespace

class TestCliDigest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // A file (or with a null content, a FIFO) modified at 2026-05-12 09:30:05, or at midnight.
    QString make(const QString &name, const QByteArray &content, int hour = 9, int minute = 30, int second = 5)
    {
        const QString path = m_dir.path() + u'/' + name;
        if (!(content.isNull() ? makeFifo(path) : writeBytes(path, content)) || !setModified(path, utc(2026, 5, 12, hour, minute, second)))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

private slots:
    // A status takes the digest's place and makes the exit status 1. Nobody writes to the FIFO: the
    // program must not wait on it.
    void digestLinesAndExitStatus()
    {
        const QString a = make(u"abc.txt"_s, "abc"), big = make(u"big file.bin"_s, randomBytes(1234567, 1), 0, 0, 0);
        const QString empty = make(u"empty"_s, ""), fifo = make(u"fifo"_s, QByteArray()), missing = m_dir.path() + u"/missing"_s;
        const QString bigDigest = md5sumOf(big);
        QVERIFY(!bigDigest.isEmpty());
        const Run r = runProgram({u"digest"_s, a, big, empty, missing, m_dir.path(), fifo});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromUtf8(r.out),
                 u"900150983CD24FB0D6963F7D28E17F72  "_s + a + u",3 bytes (0.00 KB), 2026-05-12 09:30:05\n"_s
                     + bigDigest + u"  "_s + big + u",1234567 bytes (1,205.63 KB), 2026-05-12 00:00:00\n"_s
                     + u"Zero-length file  "_s + empty + u",0 bytes (0.00 KB), 2026-05-12 09:30:05\n"_s
                     + u"File not found  "_s + missing + u"\nFolder, not file  "_s + m_dir.path()
                     + u"\nNot a regular file  "_s + fifo + u",0 bytes (0.00 KB), 2026-05-12 09:30:05\n"_s);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(runProgram({u"digest"_s, a, big}).exitCode, 0);
        QCOMPARE(runProgram({u"digest"_s, empty}).exitCode, 1);
    }

    // The C locale spells the month in its short date; the date is then written numerically so that
    // the size/date columns of reports still line up.
    void dateWithoutMonthNames()
    {
        const QString a = make(u"c-locale.txt"_s, "abc");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"LANG"_s, u"LC_TIME"_s, u"LC_NUMERIC"_s})
            env.insert(name, u"C"_s);
        const Run r = runProgram({u"digest"_s, a}, kCli, QString(), env);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.endsWith(" 2026-05-12 09:30:05\n"), r.out.constData());
    }

    // The name reaches the program as raw bytes through the shell's glob and must come out the same.
    void nonUtf8NameKeepsItsBytes()
    {
        QTemporaryDir dir;
        const QByteArray name("caf\xE9.txt");
        const QString path = dir.path() + u'/' + platform::decodeName(name);
        QVERIFY(writeBytes(path, "abc") && setModified(path, utc(2026, 5, 12, 9, 30, 5)));
        const Run r = runProgram({u"-c"_s, u"exec \"$0\" digest ./*"_s, kCli}, u"/bin/sh"_s, dir.path());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, "900150983CD24FB0D6963F7D28E17F72  ./" + name + ",3 bytes (0.00 KB), 2026-05-12 09:30:05\n");
        QCOMPARE(::unlink(platform::encodeName(path).constData()), 0); // QTemporaryDir cannot remove it
    }
};

CHEQORA_TEST_MAIN(TestCliDigest)
#include "tst_clidigest.moc"
