#include "comparetestutil.h"
#include "testmain.h"
#include "treewalk.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <random>
#include <unistd.h>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;
using Outcome = CompareResult::Outcome;

namespace {

// Two trees from a seed below root (O and N): shared files, some edited, removed or added, names that
// differ in case only, empty files, FIFOs, dangling links, files of several reads, and files named
// "gone" that vanish once handed to the digests.
QString generatedTrees(unsigned seed)
{
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const auto content = [&] {
        const int size = pick(12) == 0 ? 3 << 20 : pick(15) == 0 ? 0 : 1 + pick(40000);
        return size == 0 ? QString() : u"%1*%2"_s.arg(QChar(u'a' + pick(4))).arg(size);
    };
    QStringList entries;
    for (int i = 0; i < 150; ++i) {
        const int folder = pick(5);
        const int kind = pick(10);
        // A file that vanishes has no case twin: when the walk lists its folder for one would vary.
        const QString rel = u"%1%2%3%4.dat"_s.arg(folder == 0 ? QString() : u"d%1/"_s.arg(folder))
                                .arg(folder != 0 && pick(3) == 0 ? u"s/"_s : QString())
                                .arg(kind > 6 && pick(4) == 0 ? u"gone"_s : u"f"_s).arg(i);
        const QString data = content();
        switch (kind) {
        case 0: entries << u"O/"_s + rel + u'=' + data; break;
        case 1: entries << u"N/"_s + rel + u'=' + data; break;
        case 2: entries << u"O/"_s + rel + u'=' + data << u"N/"_s + rel + u'=' + content(); break;
        case 3: entries << u"O/"_s + rel + u'=' + data << u"N/"_s + rel + u"=<fifo>"_s; break;
        case 4: entries << u"O/"_s + rel + u"->nowhere"_s << u"N/"_s + rel + u'=' + data; break;
        case 5: entries << u"O/"_s + rel + u'=' + data << u"N/"_s + rel.toUpper() + u'=' + data; break;
        case 6: entries << u"O/"_s + rel + u'=' + data << u"N/"_s + rel + u'=' + data
                        << u"N/"_s + rel.toUpper() + u'=' + data; break;
        default: entries << u"O/"_s + rel + u'=' + data << u"N/"_s + rel + u'=' + data;
        }
    }
    // A link back up the walk's path, never entered, and one to a folder beside it, walked twice.
    entries << u"O/d1/s/up->.."_s << u"N/d1/s/up->.."_s << u"N/d2/beside->../d3"_s;
    return entries.join(u'|');
}

// Two trees of many small files, written directly as the fixtures' parser would take too long: a
// file in 50 changed in N, one in 97 missing from N, one in 89 only in N, one in 61 empty. Under
// ThreadSanitizer a tenth of them, in as many folders.
#if defined(__SANITIZE_THREAD__)
constexpr int kManyFiles = 2000;
#else
constexpr int kManyFiles = 20000;
#endif
constexpr int kManyFolders = 200;
bool writeManyFiles(const QString &root)
{
    for (const char *side : {"/O/", "/N/"}) {
        for (int d = 0; d < kManyFolders; ++d) {
            if (!QDir().mkpath(root + QLatin1String(side) + u"d%1"_s.arg(d)))
                return false;
        }
    }
    for (int i = 0; i < kManyFiles; ++i) {
        const QByteArray rel = u"d%1/f%2"_s.arg(i / (kManyFiles / kManyFolders)).arg(i).toUtf8();
        QByteArray data = i % 61 == 0 ? QByteArray() : QByteArray(100 + i % 400, char('a' + i % 26)) + rel;
        for (const char *side : {"/O/", "/N/"}) {
            const bool inNew = side[1] == 'N';
            if ((inNew && i % 97 == 0) || (!inNew && i % 89 == 0))
                continue;
            if (inNew && i % 50 == 0)
                data.append('+');
            const QByteArray path = platform::encodeName(root) + side + rel;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, data.constData(), size_t(data.size())) != data.size() || ::close(fd) != 0)
                return false;
        }
    }
    return true;
}

// A host that notes the file the walk waits for and acts on the first yield of that wait.
class WaitingHost : public RecordingHost {
public:
    QString waitingFor;
    void fileDigesting(const QString &strPath, qint64, const std::atomic<qint64> *) override { waitingFor = strPath; }
    void fileDigested(const QString &strPath, qint64 lngSize) override
    {
        waitingFor.clear();
        RecordingHost::fileDigested(strPath, lngSize);
    }
};

} // namespace

class PipelineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<QTemporaryDir> m_many; // written once, for every row that compares many files

    CompareOptions options(const QString &flags, int jobs, const QString &trees = QString()) const
    {
        CompareOptions o;
        o.oldFolder = (trees.isEmpty() ? m_tmp->path() : trees) + u"/O"_s;
        o.newFolder = (trees.isEmpty() ? m_tmp->path() : trees) + u"/N"_s;
        o.reportFile = m_tmp->path() + u"/report.txt"_s;
        o.mode = flags.contains(u"dup"_s) ? CompareMode::Duplicates : CompareMode::Changes;
        o.includeSubfolders = !flags.contains(u"flat"_s);
        o.skipLargeFiles = flags.contains(u"skip"_s);
        o.skipSizeMB = 2;
        o.maxLinesText = flags.contains(u"lines"_s) ? flags.section(u"lines="_s, 1).section(u' ', 0, 0) : u"0"_s;
        o.limitLines = flags.contains(u"lines"_s);
        o.warnOnOverwrite = false;
        o.jobs = jobs;
        return o;
    }

private slots:
    void init() { m_tmp = std::make_unique<QTemporaryDir>(); }

    // The walk on its own, on a plain host: files by folded name, then each subfolder, depth first, a
    // link back up the walk not entered; the report left out or walked as the report, whatever the
    // number of jobs.
    void treeWalkOrder()
    {
        QVERIFY(writeTree(m_tmp->path(), u"O/b=1|O/A=2|O/report.txt=r|O/sub/c=|O/sub/deep/d=4|O/Sub2/e=5|O/sub/up->.."_s));
        struct Sink final : WalkSink {
            QStringList heard;
            void file(const WalkedFile &f) override { heard << f.relativePath().toString() + (f.isReport ? u"*"_s : QString()); }
            void folderEntered(const QString &relativePath) override { heard << relativePath + u'/'; }
            void folderNotRead(const QString &, const QString &relativePath, const QString &) override { heard << u'!' + relativePath; }
            bool mustEnd() const override { return false; }
        };
        for (const int jobs : {1, 4}) {
            for (const auto rule : {TreeWalk::ReportRule::LeaveOut, TreeWalk::ReportRule::Mark}) {
                WalkHost host;
                DigestPipeline pipeline(jobs);
                DigestFieldTexts texts;
                ReportIdentity report{m_tmp->path() + u"/O//report.txt"_s, false, {}};
                report.refresh();
                TreeWalk walk(host, pipeline, texts, m_tmp->path() + u"/O"_s, WalkFilter{true, QString(), 0});
                walk.setReport(&report, rule);
                Sink sink;
                walk.walk(sink);
                QCOMPARE(sink.heard.join(u' '), (rule == TreeWalk::ReportRule::Mark ? u"A b report.txt* "_s : u"A b "_s)
                                                    + u"sub/ sub/c sub/deep/ sub/deep/d Sub2/ Sub2/e"_s);
            }
        }
    }

    // The report, the caption, the counts and the order the walk took the digests in are those of one
    // job, whatever the number of jobs.
    void sameReportForAnyJobs_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<unsigned>("seed");
        QTest::newRow("changes") << QString() << 1u;
        QTest::newRow("duplicates") << u"dup"_s << 2u;
        QTest::newRow("line limit cuts the walk") << u"lines=40"_s << 3u;
        QTest::newRow("large files skipped, one level") << u"skip flat"_s << 4u;
        // Seed 0: many small files in many folders, where the workers run far ahead of the walk.
        QTest::newRow("many files, changes") << QString() << 0u;
        QTest::newRow("many files, duplicates") << u"dup"_s << 0u;
        QTest::newRow("many files, changes, line limit") << u"lines=%1"_s.arg(kManyFiles / 20) << 0u;
        QTest::newRow("many files, duplicates, line limit") << u"dup lines=%1"_s.arg(kManyFiles * 3 / 2) << 0u;
    }
    void sameReportForAnyJobs()
    {
        QFETCH(QString, flags);
        QFETCH(unsigned, seed);
        QByteArray firstReport;
        QString firstSummary;
        QStringList firstDigested;
        if (seed == 0 && !m_many) {
            m_many = std::make_unique<QTemporaryDir>();
            QVERIFY(writeManyFiles(m_many->path()));
        }
        for (const int jobs : {1, 2, 8}) {
            if (seed != 0) {
                removeTree(m_tmp->path() + u"/O"_s);
                removeTree(m_tmp->path() + u"/N"_s);
                QVERIFY(writeTree(m_tmp->path(), generatedTrees(seed)));
            }
            RecordingHost host;
            host.onQueued = [](const QString &path) {
                if (path.contains(u"/gone"_s))
                    QFile::remove(path);
            };
            FolderComparison comparison(host);
            CompareOptions o = options(flags, jobs, seed == 0 ? m_many->path() : QString());
            const CompareResult r = comparison.compare(o);
            QCOMPARE(r.outcome, flags.contains(u"lines"_s) ? Outcome::LinesExceeded : Outcome::Completed);
            const CompareCounts &c = r.counts;
            const QString summary = u"%1|%2 %3 %4 %5 %6 %7 %8"_s.arg(r.caption).arg(c.modified).arg(c.added).arg(c.removed)
                                        .arg(c.duplicates).arg(c.notCompared).arg(c.foldersNotRead).arg(r.reportLines);
            const QByteArray report = readFile(o.reportFile);
            if (jobs == 1) {
                firstReport = report;
                firstSummary = summary;
                firstDigested = host.digested;
                // The trees hold something of every kind the report tells; a limit cuts the walk of the
                // many files halfway or so.
                if (seed != 0)
                    QVERIFY(r.counts.notCompared > 0 && host.digested.size() > 20);
                else if (flags.contains(u"lines"_s))
                    QVERIFY2(host.digested.size() > kManyFiles * 5 / 4 && host.digested.size() < kManyFiles * 7 / 4,
                             qPrintable(QString::number(host.digested.size())));
                continue;
            }
            QCOMPARE(report, firstReport);
            QCOMPARE(summary, firstSummary);
            QCOMPARE(host.digested, firstDigested);
        }
    }

    // Stop while every worker reads a huge (sparse) file: the comparison returns with no file left
    // open, in the 1st walk before the report is touched, in the 2nd with the entries written before
    // the stop and no summary. A stop that did not reach the readers would hold the test for minutes.
    void stopWithWorkersBusy_data()
    {
        QTest::addColumn<QString>("side");
        QTest::addColumn<int>("jobs");
        QTest::newRow("1st walk") << u"O"_s << 4;
        QTest::newRow("2nd walk") << u"N"_s << 4;
        QTest::newRow("2nd walk, one job") << u"N"_s << 1;
    }
    void stopWithWorkersBusy()
    {
        QFETCH(QString, side);
        QFETCH(int, jobs);
        QVERIFY(writeTree(m_tmp->path(), u"O/a.txt=old|N/a.txt=new|report.txt=previous report"_s));
        for (int i = 0; i < 4; ++i) {
            QFile f(m_tmp->path() + u'/' + side + u"/big%1.bin"_s.arg(i));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(qint64(64) << 30));
        }
        WaitingHost host;
        FolderComparison comparison(host);
        int queued = 0;
        host.onQueued = [&](const QString &) { ++queued; };
        // The stop comes once the walk waits for the first huge file with one per job handed over.
        host.onYield = [&] {
            if (host.waitingFor.contains(u"/big"_s) && queued >= jobs + 1)
                comparison.requestStop();
        };
        CompareOptions o = options(QString(), jobs);
        const CompareResult r = comparison.compare(o);
        QCOMPARE(r.outcome, Outcome::Stopped);
        QCOMPARE(r.caption, u"Comparison was stopped."_s);
        QVERIFY(!holdsOpen(m_tmp->path()));
        const QByteArray written = readFile(o.reportFile);
        if (side == u"O"_s)
            QCOMPARE(written, QByteArray("previous report"));
        else
            QVERIFY2(written.contains("\r\nFile modified:\r\n") && !written.contains("Files modified: "),
                     written.constData());
        QVERIFY(!host.digested.join(u'|').contains(u"/big"_s));
    }
};

CHEQORA_TEST_MAIN(PipelineTest)
#include "tst_pipeline.moc"
