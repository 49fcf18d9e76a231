// `cheqora-cli compare` on trees that fight back: missing and locked folders, unreadable and special
// files, a tree deeper than the path limit. Each case checks the exit status, the messages and the
// whole report.
#include "comparetestutil.h"
#include "testmain.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

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

} // namespace

class HostileTreesTest : public QObject {
    Q_OBJECT

    QTemporaryDir *m_tmp = nullptr;

private slots:
    void init()
    {
        m_tmp = new QTemporaryDir(u"/tmp/cheqora-hostile-XXXXXX"_s);
        QVERIFY(m_tmp->isValid());
        // The unprivileged user must reach the trees and write the report.
        QVERIFY(::chmod(platform::encodeName(m_tmp->path()).constData(), 0777) == 0);
        platform::raiseOpenFileLimit();
    }
    void cleanup()
    {
        // rm goes as deep as the tree; nftw and QDir build whole paths, which fail past the limit.
        QProcess::execute(u"rm"_s, {u"-rf"_s, m_tmp->path()});
        delete m_tmp;
    }

    void compare_data()
    {
        QTest::addColumn<QString>("files"); // below the temporary folder T, as writeTree takes them
        // "|"-separated: "MODE path" (chmod, octal: the command then runs as an unprivileged user, so
        // that modes are obeyed), "deep", "md5off"
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("args"); // blank-separated; T/ stands for the temporary folder
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

        row("1st folder a file", tree, {}, u"T/old/a T/new T/r.txt"_s, 2, {}, u"1st folder not found.\n"_s, none);
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
        const QString d1500 = u"dd/"_s.repeated(1500);
        const QString d2000 = u"dd/"_s.repeated(kDepth);
        row("deeper than the path limit", tree, u"deep"_s, args + u" --recursive --no-line-limit"_s, 1,
            compareCaption(2, 0, 0) + u'\n', {},
            sub + u"File modified:\nT/new/"_s + d1500 + u"f, 2026-01-02 03:04:05, 3 bytes\nT/old/"_s + d1500
                + u"f, same size, date and time\n\nFile modified:\nT/new/"_s + d2000 + u"g, 2026-01-02 03:04:05, 3 bytes\nT/old/"_s
                + d2000 + u"g, same size, date and time\n\n"_s + summary(2, 0, 0));
    }
    void compare()
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
        QProcess p;
        for (const QString &step : setup.split(u'|', Qt::SkipEmptyParts)) {
            if (step == u"md5off"_s) {
                QVERIFY(writeFile(t + u"/fips.cnf"_s, "openssl_conf = init\n[init]\nalg_section = evp\n[evp]\n"
                                                      "default_properties = fips=yes\n"));
                QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
                env.insert(u"OPENSSL_CONF"_s, t + u"/fips.cnf"_s);
                p.setProcessEnvironment(env);
            } else if (step == u"deep"_s) {
                QVERIFY(makeDeepTree(t + u"/old"_s, "old") && makeDeepTree(t + u"/new"_s, "new"));
            } else {
                const QString path = t + u'/' + step.section(u' ', 1);
                QVERIFY(::chmod(path.toUtf8().constData(), mode_t(step.section(u' ', 0, 0).toUInt(nullptr, 8))) == 0);
            }
        }
        QString program = kCli;
        QStringList arguments{u"compare"_s};
        for (const QString &a : args.split(u' '))
            arguments.append(a.startsWith(u"T/"_s) ? t + a.mid(1) : a);
        // Root reads whatever the modes say: the command runs as nobody instead.
        if (asUser && ::geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
            const QStringList asNobody{u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s, program};
            // Without its usage message (status 2), the user cannot run the command from where it was built.
            QProcess probe;
            probe.start(setpriv, asNobody);
            if (setpriv.isEmpty() || !probe.waitForFinished(60000) || probe.exitCode() != 2)
                QSKIP("no unprivileged user can run the command here");
            arguments = asNobody + arguments;
            program = setpriv;
        }
        p.start(program, arguments);
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(240000));
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), err);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), out);
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(readFile(t + u"/r.txt"_s), report.replace(u"T/"_s, t + u'/').replace(u"\n"_s, u"\r\n"_s).toUtf8());
    }
};

CHEQORA_TEST_MAIN(HostileTreesTest)
#include "tst_hostiletrees.moc"
