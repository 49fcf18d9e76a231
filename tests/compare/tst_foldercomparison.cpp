#include "comparetestutil.h"
#include "foldercomparison.h"
#include "testmain.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

using Outcome = CompareResult::Outcome;

struct Run {
    CompareResult result;
    QByteArray report;
};

} // namespace

class FolderComparisonTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir *m_tmp = nullptr;
    QString m_old;
    QString m_new;
    QString m_report;
    RecordingHost *m_host = nullptr;
    FolderComparison *m_comparison = nullptr;

    CompareOptions options(int buttonIndex = 0) const
    {
        CompareOptions o;
        o.strFolder1 = m_old;
        o.strFolder2 = m_new;
        o.strReportFile = m_report;
        o.intButtonIndex = buttonIndex;
        o.blnWarnOnOverwrite = false;
        return o;
    }
    Run run(CompareOptions o)
    {
        Run r;
        r.result = m_comparison->CompareFolders(o);
        r.report = readFile(m_report);
        return r;
    }
    // The report text with the folders written as O/ and N/.
    QByteArray expected(const QString &text) const
    {
        QString t;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool start = i == 0 || !text.at(i - 1).isLetterOrNumber();
            if (start && text.mid(i, 2) == u"O/"_s) {
                t += m_old + u'/';
                ++i;
            } else if (start && text.mid(i, 2) == u"N/"_s) {
                t += m_new + u'/';
                ++i;
            } else {
                t += text.at(i);
            }
        }
        return crlf(t);
    }
    void makeWorkedExample();

private slots:
    void init();
    void cleanup();

    void workedExampleCompare();
    void workedExampleDuplicates();
    void lineLimitFive();
    void lineLimitEndsRemovedEntries();
    void noLineLimit();
    void blankLinesBetweenEntries();
    void blankLineBeforeRemovedAfterAdded();
    void removedOnlyHasNoHeader();
    void identicalFolders();
    void duplicatesWithoutPairs();
    void missingFolders();
    void reportInsideSecondFolder();
    void reportInsideFolderDuplicates();
    void extensionFilter();
    void skipLargeFiles();
    void recursionOffAndOn();
    void stopDuringFirstWalk();
    void stopDuringSecondWalk();
    void stopDuringDigestWritesNothing();
    void earlierStopRequestIsCleared();
    void checkMessagesInOrder();
    void nestedFolders();
    void folderRelation_data();
    void folderRelation();
    void overwriteQuestion();
    void letterCasePairing();
    void letterCaseInFolderNames();
    void folderLinkCycle();
    void fifoIsListedNeverOpened();
    void lineBreakInNames();
    void nonUtf8Names();
    void largeSparseFiles();
    void progressDots();
    void reportErrors();
    void lineLimitFromText();
};

void FolderComparisonTest::init()
{
    m_tmp = new QTemporaryDir();
    QVERIFY(m_tmp->isValid());
    m_old = m_tmp->path() + u"/old"_s;
    m_new = m_tmp->path() + u"/new"_s;
    m_report = m_tmp->path() + u"/report.txt"_s;
    QVERIFY(QDir().mkpath(m_old));
    QVERIFY(QDir().mkpath(m_new));
    m_host = new RecordingHost();
    m_comparison = new FolderComparison(*m_host);
}

void FolderComparisonTest::cleanup()
{
    delete m_comparison;
    delete m_host;
    removeTree(m_tmp->path());
    delete m_tmp;
}

void FolderComparisonTest::makeWorkedExample()
{
    writeFile(m_old + u"/a.txt"_s, QByteArray(1180, 'a'), utcSecs("2026-11-30 16:12:45"));
    writeFile(m_old + u"/b.txt"_s, QByteArray(310, 'b'), utcSecs("2026-11-02 11:00:00"));
    writeFile(m_old + u"/c.txt"_s, "c", utcSecs("2026-10-01 12:00:00"));
    writeFile(m_old + u"/e.txt"_s, "eeeee", utcSecs("2026-12-01 08:00:00"));
    writeFile(m_new + u"/a.txt"_s, QByteArray(1204, 'A'), utcSecs("2026-12-05 09:30:00"));
    writeFile(m_new + u"/b.txt"_s, QByteArray(310, 'b'), utcSecs("2026-11-02 11:00:00"));
    writeFile(m_new + u"/d.txt"_s, QByteArray(87, 'd'), utcSecs("2026-12-05 10:02:13"));
    writeFile(m_new + u"/e.txt"_s, "EEEEE", utcSecs("2026-12-01 08:00:00"));
}

void FolderComparisonTest::workedExampleCompare()
{
    makeWorkedExample();
    const Run r = run(options(0));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File modified:\n"
                                "N/a.txt, 2026-12-05 09:30:00, 1,204 bytes\n"
                                "O/a.txt, 2026-11-30 16:12:45, 1,180 bytes\n"
                                "\n"
                                "File added: N/d.txt, 2026-12-05 10:02:13, 87 bytes\n"
                                "\n"
                                "File modified:\n"
                                "N/e.txt, 2026-12-01 08:00:00, 5 bytes\n"
                                "O/e.txt, same size, date and time\n"
                                "\n"
                                "File removed: O/c.txt\n"
                                "\n"
                                "Files modified: 2\n"
                                "Files added: 1\n"
                                "Files removed: 1\n"_s));
    QCOMPARE(r.result.outcome, Outcome::Completed);
    QVERIFY(r.result.blnShowReport);
    QCOMPARE(r.result.strInfoCaption,
             u"In 2nd folder, compared to 1st folder:   Files modified: 2   Files added: 1   Files removed: 1"_s);
    QCOMPARE(m_host->captions.last(), r.result.strInfoCaption);
    QCOMPARE(r.result.lngNumModified, 2);
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumRemoved, 1);
    QCOMPARE(m_host->busy, (QList<bool>{true, false}));
    QVERIFY(m_host->captions.contains(u"Now comparing 2nd folder to 1st folder ...."_s));
    // Each file is digested once per walk.
    QCOMPARE(m_host->digested.size(), 8);
}

void FolderComparisonTest::workedExampleDuplicates()
{
    makeWorkedExample();
    CompareOptions o = options(2);
    o.blnIncludeSubfolders = true;
    const Run r = run(o);
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "The pair(s) of files below are identical in content.\n"
                                "The 1st file in each pair is in the 1st folder or a subfolder, the 2nd file is in "
                                "the 2nd folder or a corresponding subfolder.\n"
                                "\n"
                                "O/b.txt, 2026-11-02 11:00:00, 310 bytes\n"
                                "N/b.txt, same date, time and size\n"
                                "\n"
                                "Number of duplicate (identical) files: 1\n"_s));
    QCOMPARE(r.result.strInfoCaption, u"Number of duplicate (identical) files: 1"_s);
    QVERIFY(r.result.blnShowReport);
    QVERIFY(m_host->captions.contains(u"Now searching for duplicate files ...."_s));

    // Without recursion the sentence names only the folders; differing dates are both written.
    QVERIFY(setFileTime(m_new + u"/b.txt"_s, utcSecs("2026-11-03 12:00:00")));
    const Run plain = run(options(2));
    QCOMPARE(plain.report, expected(u"1st folder: O/\n"
                                    "2nd folder: N/\n"
                                    "\n"
                                    "The pair(s) of files below are identical in content.\n"
                                    "The 1st file in each pair is in the 1st folder, the 2nd file is in the 2nd folder.\n"
                                    "\n"
                                    "O/b.txt, 2026-11-02 11:00:00, 310 bytes\n"
                                    "N/b.txt, 2026-11-03 12:00:00, 310 bytes\n"
                                    "\n"
                                    "Number of duplicate (identical) files: 1\n"_s));
}

void FolderComparisonTest::lineLimitFive()
{
    makeWorkedExample();
    CompareOptions o = options(0);
    o.strSuspendIfNumLines = u"5"_s;
    const Run r = run(o);
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File modified:\n"
                                "\n"
                                "Number of lines exceeds 5, so stopping.\n"_s));
    QCOMPARE(r.result.outcome, Outcome::LinesExceeded);
    QVERIFY(!r.result.blnShowReport);
    QCOMPARE(r.result.strInfoCaption, u"Number of lines in the report file exceeded 5."_s);
    QCOMPARE(m_host->lineCounts, (QList<qint64>{3, 5, 6}));
    // The walk stopped at the entry: nothing after a.txt was digested in the 2nd folder.
    QVERIFY(!m_host->digested.contains(m_new + u"/b.txt"_s));

    // A limit given as 4.5 rounds to the even 4: the header's sentence passes it.
    o = options(0);
    o.strSuspendIfNumLines = u"4.5"_s;
    QCOMPARE(run(o).result.strInfoCaption, u"Number of lines in the report file exceeded 4."_s);
}

void FolderComparisonTest::lineLimitEndsRemovedEntries()
{
    for (int i = 0; i < 8; ++i)
        writeFile(m_old + u"/f%1.txt"_s.arg(i), "x", utcSecs("2026-01-01 00:00:00"));
    CompareOptions o = options(0);
    o.strSuspendIfNumLines = u"3"_s;
    const Run r = run(o);
    QCOMPARE(r.report, expected(u"File removed: O/f0.txt\n"
                                "File removed: O/f1.txt\n"
                                "File removed: O/f2.txt\n"
                                "File removed: O/f3.txt\n"
                                "\n"
                                "Number of lines exceeds 3, so stopping.\n"_s));
    QCOMPARE(r.result.outcome, Outcome::LinesExceeded);
    QCOMPARE(r.result.lngNumRemoved, 4);
    QCOMPARE(r.result.strInfoCaption, u"Number of lines in the report file exceeded 3."_s);
}

void FolderComparisonTest::noLineLimit()
{
    for (int i = 0; i < 8; ++i)
        writeFile(m_old + u"/f%1.txt"_s.arg(i), "x", utcSecs("2026-01-01 00:00:00"));
    CompareOptions o = options(0);
    o.blnSuspendIfNumLines = false;
    o.strSuspendIfNumLines = u"1"_s;
    const Run r = run(o);
    QCOMPARE(r.result.outcome, Outcome::Completed);
    QCOMPARE(r.result.lngNumRemoved, 8);
    QVERIFY(r.report.endsWith("Files removed: 8\r\n"));
    QVERIFY(m_host->lineCounts.isEmpty());
}

void FolderComparisonTest::blankLinesBetweenEntries()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/m1.txt"_s, "one", t);
    writeFile(m_old + u"/m2.txt"_s, "two", t);
    writeFile(m_old + u"/x1.txt"_s, "gone", t);
    writeFile(m_new + u"/a0.txt"_s, "1", t);
    writeFile(m_new + u"/a1.txt"_s, "", t);
    writeFile(m_new + u"/m1.txt"_s, "ONE", t);
    writeFile(m_new + u"/m2.txt"_s, "TWO2", t);
    const Run r = run(options(0));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File added: N/a0.txt, 2026-01-02 03:04:05, 1 byte\n"
                                "File added: N/a1.txt, 2026-01-02 03:04:05, 0 bytes\n"
                                "\n"
                                "File modified:\n"
                                "N/m1.txt, 2026-01-02 03:04:05, 3 bytes\n"
                                "O/m1.txt, same size, date and time\n"
                                "\n"
                                "File modified:\n"
                                "N/m2.txt, 2026-01-02 03:04:05, 4 bytes\n"
                                "O/m2.txt, 2026-01-02 03:04:05, 3 bytes\n"
                                "\n"
                                "File removed: O/x1.txt\n"
                                "\n"
                                "Files modified: 2\n"
                                "Files added: 2\n"
                                "Files removed: 1\n"_s));
}

void FolderComparisonTest::blankLineBeforeRemovedAfterAdded()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/m1.txt"_s, "one", t);
    writeFile(m_old + u"/z1.txt"_s, "gone", t);
    writeFile(m_old + u"/z2.txt"_s, "gone too", t);
    writeFile(m_new + u"/m1.txt"_s, "ONE", t);
    writeFile(m_new + u"/n1.txt"_s, "new", t);
    const Run r = run(options(0));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File modified:\n"
                                "N/m1.txt, 2026-01-02 03:04:05, 3 bytes\n"
                                "O/m1.txt, same size, date and time\n"
                                "\n"
                                "File added: N/n1.txt, 2026-01-02 03:04:05, 3 bytes\n"
                                "\n"
                                "File removed: O/z1.txt\n"
                                "File removed: O/z2.txt\n"
                                "\n"
                                "Files modified: 1\n"
                                "Files added: 1\n"
                                "Files removed: 2\n"_s));
}

void FolderComparisonTest::removedOnlyHasNoHeader()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a.txt"_s, "same", t);
    writeFile(m_old + u"/b.txt"_s, "gone", t);
    writeFile(m_new + u"/a.txt"_s, "same", utcSecs("2026-05-05 05:05:05")); // a later date is no change
    const Run r = run(options(0));
    QCOMPARE(r.report, expected(u"File removed: O/b.txt\n"
                                "\n"
                                "Files modified: 0\n"
                                "Files added: 0\n"
                                "Files removed: 1\n"_s));
    QVERIFY(r.result.blnShowReport);
}

void FolderComparisonTest::identicalFolders()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a.txt"_s, "same", t);
    writeFile(m_new + u"/a.txt"_s, "same", t);
    writeFile(m_old + u"/empty"_s, "", t);
    writeFile(m_new + u"/empty"_s, "", t);
    const Run r = run(options(0));
    QCOMPARE(r.report, QByteArray("\r\nNo files were changed, added or removed.\r\n"));
    QCOMPARE(r.result.strInfoCaption, u"No files were changed, added or removed."_s);
    QCOMPARE(r.result.outcome, Outcome::Completed);
    QVERIFY(!r.result.blnFoundSomething);
    QVERIFY(!r.result.blnShowReport);
}

void FolderComparisonTest::duplicatesWithoutPairs()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a.txt"_s, "one", t);
    writeFile(m_new + u"/a.txt"_s, "two", t);
    writeFile(m_new + u"/b.txt"_s, "one", t); // same content, other name: not a pair
    const Run r = run(options(2));
    QCOMPARE(r.report, QByteArray("\r\n"));
    QCOMPARE(r.result.strInfoCaption, u"There are no duplicate (identical) files."_s);
    QVERIFY(!r.result.blnShowReport);
}

void FolderComparisonTest::missingFolders()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_new + u"/x.txt"_s, "x", t);
    writeFile(m_new + u"/y.txt"_s, "yy", t);
    QVERIFY(QDir(m_old).removeRecursively());
    Run r = run(options(0));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File added: N/x.txt, 2026-01-02 03:04:05, 1 byte\n"
                                "File added: N/y.txt, 2026-01-02 03:04:05, 2 bytes\n"
                                "\n"
                                "Files modified: 0\n"
                                "Files added: 2\n"
                                "Files removed: 0\n"_s));
    QVERIFY(m_host->messages.isEmpty());

    // The other way round: every file of the 1st folder is removed, and there is no header.
    const QString missing = m_old;
    m_old = m_new;
    m_new = missing;
    r = run(options(0));
    QCOMPARE(r.report, expected(u"File removed: O/x.txt\n"
                                "File removed: O/y.txt\n"
                                "\n"
                                "Files modified: 0\n"
                                "Files added: 0\n"
                                "Files removed: 2\n"_s));
}

void FolderComparisonTest::reportInsideSecondFolder()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a.txt"_s, "a", t);
    writeFile(m_new + u"/a.txt"_s, "a", t);
    m_report = m_new + u"/report.txt"_s;
    writeFile(m_report, "an earlier report", t);
    const Run r = run(options(0));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder was derived from the 1st folder then the files added to the 2nd "
                                "folder, modified, or removed from the 1st folder are as follows:\n"
                                "\n"
                                "File added: N/report.txt, current report file, not yet closed.\n"
                                "\n"
                                "Files modified: 0\n"
                                "Files added: 1\n"
                                "Files removed: 0\n"_s));

    // Another spelling of the same path is the same report file.
    CompareOptions o = options(0);
    o.strReportFile = m_new + u"//report.txt"_s;
    const Run again = run(o);
    QVERIFY(again.report.contains("report.txt, current report file, not yet closed.\r\n"));
}

void FolderComparisonTest::reportInsideFolderDuplicates()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/x.txt"_s, "x", t);
    writeFile(m_new + u"/x.txt"_s, "x", t);
    // An earlier report in the 2nd folder, equal to a file of the 1st folder: the report is being
    // replaced, so it is no member of the comparison.
    m_report = m_new + u"/report.txt"_s;
    writeFile(m_report, "same", t);
    writeFile(m_old + u"/report.txt"_s, "same", t);
    Run r = run(options(2));
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "The pair(s) of files below are identical in content.\n"
                                "The 1st file in each pair is in the 1st folder, the 2nd file is in the 2nd folder.\n"
                                "\n"
                                "O/x.txt, 2026-01-02 03:04:05, 1 byte\n"
                                "N/x.txt, same date, time and size\n"
                                "\n"
                                "Number of duplicate (identical) files: 1\n"_s));
    QVERIFY(!m_host->digested.contains(m_report));

    // The report inside the 1st folder, which mode 2 walks second: skipped by the walk.
    QVERIFY(QFile::remove(m_report));
    writeFile(m_new + u"/report.txt"_s, "same", t);
    m_report = m_old + u"/report.txt"_s;
    r = run(options(2));
    QCOMPARE(r.result.lngNumDuplicates, 1);
    QVERIFY(!r.report.contains("report.txt"));
}

void FolderComparisonTest::extensionFilter()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    for (const QString &name : {u"a.txt"_s, u"b.doc"_s, u"README"_s, u"c.TXT"_s}) {
        writeFile(m_old + u'/' + name, "old", t);
        writeFile(m_new + u'/' + name, "new", t);
    }
    writeFile(m_old + u"/sub/d.txt"_s, "old", t); // no recursion: not considered
    for (const QString &ext : {u"txt"_s, u" .txt "_s, u"TXT"_s}) {
        CompareOptions o = options(0);
        o.blnDoOnlyExtension = true;
        o.strExtension = ext;
        const CompareResult r = m_comparison->CompareFolders(o);
        QCOMPARE(r.lngNumModified, 2);
        QCOMPARE(r.lngNumAdded + r.lngNumRemoved, 0);
        QCOMPARE(o.strExtension, ext.trimmed());
        const QByteArray report = readFile(m_report);
        QVERIFY(report.contains("/a.txt, "));
        QVERIFY(report.contains("/c.TXT, "));
        QVERIFY(!report.contains("README"));
        QVERIFY(!report.contains("b.doc"));
    }
    // An empty extension means no filter.
    CompareOptions o = options(0);
    o.blnDoOnlyExtension = true;
    o.strExtension = u"   "_s;
    QCOMPARE(m_comparison->CompareFolders(o).lngNumModified, 4);
    QCOMPARE(o.strExtension, QString());
}

void FolderComparisonTest::skipLargeFiles()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    const qsizetype size = 1572864; // 1.5 MB
    writeFile(m_old + u"/big.bin"_s, QByteArray(size, '0'), t);
    writeFile(m_new + u"/big.bin"_s, QByteArray(size, '1'), t);
    writeFile(m_new + u"/big2.bin"_s, QByteArray(size, '2'), t);
    writeFile(m_old + u"/small.txt"_s, "s", t);
    writeFile(m_new + u"/small.txt"_s, "S", t);
    CompareOptions o = options(0);
    o.blnSkipFiles = true;
    o.intSkipSizeMB = 1;
    Run r = run(o);
    // The changed large file carries the placeholder on both sides and so is not modified.
    QCOMPARE(r.result.lngNumModified, 1);
    QCOMPARE(r.result.lngNumAdded, 1);
    QVERIFY(r.report.contains("/big2.bin, 2026-01-02 03:04:05, 1,572,864 bytes\r\n"));
    for (const QString &path : std::as_const(m_host->digested))
        QVERIFY2(!path.contains(u"big"_s), qPrintable(path));

    // Duplicates: two different large files count as identical through their placeholder.
    r = run([&] { CompareOptions d = o; d.intButtonIndex = 2; return d; }());
    QCOMPARE(r.result.lngNumDuplicates, 1);
    QVERIFY(r.report.contains("/big.bin, 2026-01-02 03:04:05, 1,572,864 bytes\r\n"));

    // A limit of 0, or the box unchecked, skips nothing.
    o.intSkipSizeMB = 0;
    QCOMPARE(run(o).result.lngNumModified, 2);
    o.intSkipSizeMB = 1;
    o.blnSkipFiles = false;
    QCOMPARE(run(o).result.lngNumModified, 2);
    // A file of exactly the limit is not above it.
    writeFile(m_old + u"/edge.bin"_s, QByteArray(1048576, 'e'), t);
    writeFile(m_new + u"/edge.bin"_s, QByteArray(1048576, 'E'), t);
    o.blnSkipFiles = true;
    QCOMPARE(run(o).result.lngNumModified, 2);
}

void FolderComparisonTest::recursionOffAndOn()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/top.txt"_s, "t", t);
    writeFile(m_new + u"/top.txt"_s, "t", t);
    writeFile(m_old + u"/sub/x.txt"_s, "x", t);
    writeFile(m_new + u"/sub/x.txt"_s, "X", t);
    writeFile(m_old + u"/sub/deeper/y.txt"_s, "y", t);
    Run r = run(options(0));
    QCOMPARE(r.result.strInfoCaption, u"No files were changed, added or removed."_s);

    CompareOptions o = options(0);
    o.blnIncludeSubfolders = true;
    r = run(o);
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder and its subfolders were derived from the 1st folder and its "
                                "subfolders then the files added to the 2nd folder, modified, or removed from the 1st "
                                "folder are as follows:\n"
                                "\n"
                                "File modified:\n"
                                "N/sub/x.txt, 2026-01-02 03:04:05, 1 byte\n"
                                "O/sub/x.txt, same size, date and time\n"
                                "\n"
                                "File removed: O/sub/deeper/y.txt\n"
                                "\n"
                                "Files modified: 1\n"
                                "Files added: 0\n"
                                "Files removed: 1\n"_s));
}

void FolderComparisonTest::stopDuringFirstWalk()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    for (int i = 0; i < 5; ++i) {
        writeFile(m_old + u"/f%1"_s.arg(i), "old", t);
        writeFile(m_new + u"/f%1"_s.arg(i), "new", t);
    }
    writeFile(m_report, "previous report", t);
    bool stopNow = false;
    m_host->onDigest = [&](const QString &path) {
        if (path.startsWith(m_old))
            stopNow = true;
    };
    m_host->onYield = [&] {
        if (stopNow)
            m_comparison->requestStop();
    };
    const Run r = run(options(0));
    QCOMPARE(r.result.outcome, Outcome::Stopped);
    QCOMPARE(r.result.strInfoCaption, u"Comparison was stopped."_s);
    QCOMPARE(r.report, QByteArray("previous report"));
    QVERIFY(!r.result.blnShowReport);
    QCOMPARE(m_host->digested.size(), 1);
    QCOMPARE(m_host->busy, (QList<bool>{true, false}));
    QVERIFY(!m_comparison->isRunning());

    // The next run starts afresh.
    m_host->onYield = nullptr;
    QCOMPARE(run(options(0)).result.lngNumModified, 5);
}

void FolderComparisonTest::stopDuringSecondWalk()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/f1"_s, "old", t);
    writeFile(m_old + u"/f2"_s, "old", t);
    writeFile(m_old + u"/sub/f3"_s, "old", t);
    writeFile(m_new + u"/f1"_s, "new", t);
    writeFile(m_new + u"/f2"_s, "new", t);
    writeFile(m_new + u"/sub/f3"_s, "new", t);
    bool stopNow = false;
    m_host->onDigest = [&](const QString &path) {
        if (path.startsWith(m_new))
            stopNow = true;
    };
    m_host->onYield = [&] {
        if (stopNow)
            m_comparison->requestStop();
    };
    CompareOptions o = options(0);
    o.blnIncludeSubfolders = true;
    const Run r = run(o);
    QCOMPARE(r.result.outcome, Outcome::Stopped);
    QCOMPARE(r.result.strInfoCaption, u"Comparison was stopped."_s);
    QVERIFY(!r.result.blnShowReport);
    // The report as far as written: header and the first entry, no summary.
    QCOMPARE(r.report, expected(u"1st folder: O/\n"
                                "2nd folder: N/\n"
                                "\n"
                                "Assuming the 2nd folder and its subfolders were derived from the 1st folder and its "
                                "subfolders then the files added to the 2nd folder, modified, or removed from the 1st "
                                "folder are as follows:\n"
                                "\n"
                                "File modified:\n"
                                "N/f1, 2026-01-02 03:04:05, 3 bytes\n"
                                "O/f1, same size, date and time\n"
                                "\n"_s));
}

void FolderComparisonTest::stopDuringDigestWritesNothing()
{
    // A window digesting on a worker thread may take the Stop click while a digest runs.
    writeFile(m_old + u"/a"_s, "old");
    writeFile(m_new + u"/a"_s, "new");
    m_host->onDigest = [&](const QString &path) {
        if (path.startsWith(m_new))
            m_comparison->requestStop();
    };
    const Run r = run(options(0));
    QCOMPARE(r.result.outcome, Outcome::Stopped);
    QCOMPARE(r.report, QByteArray());
}

void FolderComparisonTest::earlierStopRequestIsCleared()
{
    writeFile(m_old + u"/a"_s, "old");
    writeFile(m_new + u"/a"_s, "new");
    m_comparison->requestStop();
    QCOMPARE(run(options(0)).result.outcome, Outcome::Completed);
}

void FolderComparisonTest::checkMessagesInOrder()
{
    struct Case {
        const char *name;
        QString folder1, folder2, report;
        QString message;
    };
    const QString same = u"The 1st and 2nd folders are the same."_s;
    const QList<Case> cases = {
        {"both empty", QString(), QString(), QString(), u"1st folder not specified."_s},
        {"1st blanks", u"   "_s, m_new, m_report, u"1st folder not specified."_s},
        {"2nd empty", m_old, u"  "_s, QString(), u"2nd folder not specified."_s},
        {"equal texts", m_old, m_old, QString(), same},
        {"same folder folded", m_old, m_old.toUpper() + u"//"_s, m_report, same},
        {"report empty", m_old, m_new, u"   "_s, u"Report file not specified."_s},
    };
    for (const Case &c : cases) {
        m_host->messages.clear();
        m_host->busy.clear();
        CompareOptions o = options(0);
        o.strFolder1 = c.folder1;
        o.strFolder2 = c.folder2;
        o.strReportFile = c.report;
        o.blnWarnOnOverwrite = true;
        const CompareResult r = m_comparison->CompareFolders(o);
        QVERIFY2(r.outcome == Outcome::CheckFailed, c.name);
        QCOMPARE(m_host->messages.size(), 1);
        QCOMPARE(m_host->messages.first().text, c.message);
        QCOMPARE(m_host->messages.first().icon, platform::MsgIcon::Exclamation);
        QCOMPARE(m_host->messages.first().title, u"Compare folders"_s);
        QVERIFY2(m_host->busy.isEmpty(), c.name);
        QVERIFY2(!exists(m_report), c.name);
    }

    // The trimmed texts are written back.
    CompareOptions o = options(0);
    o.strFolder1 = u"  "_s + m_old + u"  "_s;
    o.strFolder2 = u" "_s + m_new;
    o.strReportFile = u"  "_s;
    m_comparison->CompareFolders(o);
    QCOMPARE(o.strFolder1, m_old);
    QCOMPARE(o.strFolder2, m_new);
    QCOMPARE(o.strReportFile, QString());
    // When the 1st folder is missing, the 2nd is not looked at.
    o.strFolder1 = QString();
    o.strFolder2 = u" x "_s;
    m_comparison->CompareFolders(o);
    QCOMPARE(o.strFolder2, u" x "_s);
}

void FolderComparisonTest::nestedFolders()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a.txt"_s, "a", t);
    writeFile(m_old + u"/sub/b.txt"_s, "b", t);
    CompareOptions o = options(0);
    o.strFolder1 = m_old + u"/sub"_s;
    o.strFolder2 = m_old;
    o.blnIncludeSubfolders = true;
    CompareResult r = m_comparison->CompareFolders(o);
    QCOMPARE(r.outcome, Outcome::CheckFailed);
    QCOMPARE(m_host->messages.size(), 1);
    QCOMPARE(m_host->messages.first().text,
             m_old + u"/sub is contained in "_s + m_old
                 + u".\n\nWhen files are included in subfolders recursively\n"
                   "one folder cannot be a subfolder the other folder."_s);
    QCOMPARE(m_host->messages.first().icon, platform::MsgIcon::Information);
    QCOMPARE(m_host->messages.first().title, u"Compare folders"_s);

    // The outer folder first: the inner one is still named first in the message.
    std::swap(o.strFolder1, o.strFolder2);
    m_comparison->CompareFolders(o);
    QVERIFY(m_host->messages.last().text.startsWith(m_old + u"/sub is contained in "_s));

    // Without recursion nested folders are compared.
    m_host->messages.clear();
    o.blnIncludeSubfolders = false;
    r = m_comparison->CompareFolders(o);
    QCOMPARE(r.outcome, Outcome::Completed);
    QVERIFY(m_host->messages.isEmpty());
    QCOMPARE(r.lngNumAdded, 1); // old/a.txt is not in old/sub
}

void FolderComparisonTest::folderRelation_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("relation");
    QTest::newRow("trailing separator") << u"/data"_s << u"/data/"_s << 3;
    QTest::newRow("doubled separator") << u"/data//"_s << u"/data"_s << 3;
    QTest::newRow("letter case") << u"/Data"_s << u"/dATA/"_s << 3;
    QTest::newRow("1st inside 2nd") << u"/data/sub"_s << u"/data"_s << 1;
    QTest::newRow("2nd inside 1st") << u"/data/"_s << u"/data/sub/deeper"_s << 2;
    QTest::newRow("prefix is not a parent") << u"/database"_s << u"/data"_s << 0;
    QTest::newRow("siblings") << u"/data/a"_s << u"/data/b"_s << 0;
    QTest::newRow("root contains all") << u"/"_s << u"/data"_s << 2;
}

void FolderComparisonTest::folderRelation()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, relation);
    QCOMPARE(FolderRelation(first, second), relation);
}

void FolderComparisonTest::overwriteQuestion()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a"_s, "a", t);
    writeFile(m_new + u"/a"_s, "b", t);
    writeFile(m_report, "keep me", t);
    CompareOptions o = options(0);
    o.blnWarnOnOverwrite = true;
    m_host->answers.enqueue(false);
    CompareResult r = m_comparison->CompareFolders(o);
    QCOMPARE(r.outcome, Outcome::Declined);
    QCOMPARE(m_host->prompts, QStringList{u"Overwrite file "_s + m_report + u"? | Compare folders"_s});
    QCOMPARE(readFile(m_report), QByteArray("keep me"));
    QVERIFY(m_host->busy.isEmpty());

    m_host->answers.enqueue(true);
    r = m_comparison->CompareFolders(o);
    QCOMPARE(r.outcome, Outcome::Completed);
    QCOMPARE(m_host->prompts.size(), 2);
    QVERIFY(readFile(m_report).startsWith("1st folder: "));

    // Warning off: replaced without a question.
    o.blnWarnOnOverwrite = false;
    QCOMPARE(m_comparison->CompareFolders(o).outcome, Outcome::Completed);
    QCOMPARE(m_host->prompts.size(), 2);
}

void FolderComparisonTest::letterCasePairing()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    // Names differing only in case coexist: each pairs with its exact twin.
    writeFile(m_old + u"/a.txt"_s, "lower", t);
    writeFile(m_old + u"/A.txt"_s, "upper", t);
    writeFile(m_new + u"/a.txt"_s, "lower", t);
    writeFile(m_new + u"/A.txt"_s, "UPPER", t);
    Run r = run(options(0));
    QCOMPARE(r.result.lngNumModified, 1);
    QCOMPARE(r.result.lngNumAdded + r.result.lngNumRemoved, 0);
    QVERIFY(r.report.contains(platform::encodeName(m_new + u"/A.txt, "_s)));
    QVERIFY(r.report.contains(platform::encodeName(m_old + u"/A.txt, same size, date and time"_s)));

    // A renamed-by-case file with the same content is no change, in both modes.
    QVERIFY(QDir(m_old).removeRecursively() && QDir(m_new).removeRecursively());
    writeFile(m_old + u"/Readme"_s, "read me", t);
    writeFile(m_new + u"/README"_s, "read me", t);
    r = run(options(0));
    QCOMPARE(r.result.strInfoCaption, u"No files were changed, added or removed."_s);
    r = run(options(2));
    QCOMPARE(r.result.lngNumDuplicates, 1);
    QVERIFY(r.report.contains(platform::encodeName(m_new + u"/README, same date, time and size"_s)));

    // The exact twin takes the record; the case-only name is added.
    writeFile(m_new + u"/Readme"_s, "read me", t);
    r = run(options(0));
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumModified + r.result.lngNumRemoved, 0);
    QVERIFY(r.report.contains(platform::encodeName(u"File added: "_s + m_new + u"/README, "_s)));

    // Two records for one case-only name: the smallest path pairs, the other is removed.
    QVERIFY(QDir(m_old).removeRecursively() && QDir(m_new).removeRecursively());
    writeFile(m_old + u"/Readme"_s, "first", t);
    writeFile(m_old + u"/README"_s, "second", t);
    writeFile(m_new + u"/readme"_s, "second", t);
    r = run(options(0));
    QCOMPARE(r.result.lngNumModified + r.result.lngNumAdded, 0);
    QCOMPARE(r.result.lngNumRemoved, 1);
    QVERIFY(r.report.contains(platform::encodeName(u"File removed: "_s + m_old + u"/Readme\r\n"_s)));

    // One record claimed by two case-only names: the first walked pairs, the second is added.
    QVERIFY(QDir(m_old).removeRecursively() && QDir(m_new).removeRecursively());
    writeFile(m_old + u"/Readme"_s, "x", t);
    writeFile(m_new + u"/README"_s, "x", t);
    writeFile(m_new + u"/readme"_s, "x", t);
    r = run(options(0));
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumModified + r.result.lngNumRemoved, 0);
    QVERIFY(r.report.contains(platform::encodeName(u"File added: "_s + m_new + u"/readme, "_s)));
}

void FolderComparisonTest::letterCaseInFolderNames()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/Sub/x.txt"_s, "x", t);
    writeFile(m_new + u"/sub/x.txt"_s, "x", t);
    CompareOptions o = options(0);
    o.blnIncludeSubfolders = true;
    Run r = run(o);
    QCOMPARE(r.result.strInfoCaption, u"No files were changed, added or removed."_s);

    // With both spellings in the 1st folder, the exact one pairs.
    writeFile(m_old + u"/sub/x.txt"_s, "x", t);
    r = run(o);
    QCOMPARE(r.result.lngNumRemoved, 1);
    QCOMPARE(r.result.lngNumModified + r.result.lngNumAdded, 0);
    QVERIFY(r.report.contains(platform::encodeName(u"File removed: "_s + m_old + u"/Sub/x.txt\r\n"_s)));
}

void FolderComparisonTest::folderLinkCycle()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    for (const QString &root : {m_old, m_new}) {
        writeFile(root + u"/sub/x.txt"_s, "x", t);
        writeFile(root + u"/other/y.txt"_s, "y", t);
        QVERIFY(::symlink("..", platform::encodeName(root + u"/sub/loop"_s).constData()) == 0);
        QVERIFY(::symlink(".", platform::encodeName(root + u"/self"_s).constData()) == 0);
        QVERIFY(::symlink("../other", platform::encodeName(root + u"/sub/sibling"_s).constData()) == 0);
    }
    CompareOptions o = options(0);
    o.blnIncludeSubfolders = true;
    const Run r = run(o);
    QCOMPARE(r.result.outcome, Outcome::Completed);
    QCOMPARE(r.result.strInfoCaption, u"No files were changed, added or removed."_s);
    // other/y.txt, sub/x.txt, and the sibling link (not on the path) once: three files per side.
    QCOMPARE(r.result.lngScanCount, 3);
    QCOMPARE(m_host->digested.size(), 6);
    QVERIFY(m_host->digested.contains(m_old + u"/sub/sibling/y.txt"_s));
}

void FolderComparisonTest::fifoIsListedNeverOpened()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    QCOMPARE(::mkfifo(platform::encodeName(m_old + u"/pipe"_s).constData(), 0644), 0);
    QCOMPARE(::mkfifo(platform::encodeName(m_new + u"/pipe"_s).constData(), 0644), 0);
    QCOMPARE(::mkfifo(platform::encodeName(m_new + u"/pipe2"_s).constData(), 0644), 0);
    QVERIFY(setFileTime(m_new + u"/pipe2"_s, t));
    writeFile(m_old + u"/z.txt"_s, "z", t);
    writeFile(m_new + u"/z.txt"_s, "z", t);
    const Run r = run(options(0));
    QCOMPARE(r.result.outcome, Outcome::Completed);
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumModified + r.result.lngNumRemoved, 0);
    QVERIFY(r.report.contains(platform::encodeName(u"File added: "_s + m_new + u"/pipe2, 2026-01-02 03:04:05, 0 bytes\r\n"_s)));
    QVERIFY(m_host->digested.contains(m_new + u"/pipe"_s));
}

void FolderComparisonTest::lineBreakInNames()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    writeFile(m_old + u"/a\nb.txt"_s, "old", t);
    writeFile(m_new + u"/a\nb.txt"_s, "new", t);
    writeFile(m_new + u"/c\rd.txt"_s, "added", t);
    writeFile(m_old + u"/x\ny.txt"_s, "removed", t);
    const Run r = run(options(0));
    QCOMPARE(r.result.lngNumModified, 1);
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumRemoved, 1);
    // Every line break in the file is a CR LF of the report's own.
    QCOMPARE(r.report.count('\n'), r.report.count("\r\n"));
    QCOMPARE(r.report.count('\r'), r.report.count("\r\n"));
    const QList<QByteArray> lines = r.report.split('\n');
    QVERIFY(lines.contains(platform::encodeName(m_new + u"/a\\nb.txt, 2026-01-02 03:04:05, 3 bytes\r"_s)));
    QVERIFY(lines.contains(platform::encodeName(m_old + u"/a\\nb.txt, same size, date and time\r"_s)));
    QVERIFY(lines.contains(platform::encodeName(u"File added: "_s + m_new + u"/c\\rd.txt, 2026-01-02 03:04:05, 5 bytes\r"_s)));
    QVERIFY(lines.contains(platform::encodeName(u"File removed: "_s + m_old + u"/x\\ny.txt\r"_s)));
    // Counted lines: header 5, modified 4, added 1, removed 1, summary 4 (a lone separating break
    // is not counted).
    QCOMPARE(r.result.lngNumLines, 15);
}

void FolderComparisonTest::nonUtf8Names()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    const QString name = platform::decodeName(QByteArray("caf\xe9.txt"));
    writeFile(m_old + u'/' + name, "old", t);
    writeFile(m_new + u'/' + name, "new", t);
    const Run r = run(options(0));
    QCOMPARE(r.result.lngNumModified, 1);
    const QByteArray newPath = platform::encodeName(m_new) + "/caf\xe9.txt, 2026-01-02 03:04:05, 3 bytes\r\n";
    QVERIFY(r.report.contains(newPath));
    QVERIFY(r.report.contains(platform::encodeName(m_old) + "/caf\xe9.txt, same size, date and time\r\n"));
}

void FolderComparisonTest::largeSparseFiles()
{
    const qint64 t = utcSecs("2026-01-02 03:04:05");
    const auto sparse = [&](const QString &path, qint64 size) {
        writeFile(path, QByteArray(), 0);
        return ::truncate(platform::encodeName(path).constData(), off_t(size)) == 0 && setFileTime(path, t);
    };
    if (!sparse(m_old + u"/big.bin"_s, qint64(200) << 30) || !sparse(m_new + u"/big.bin"_s, qint64(200) << 30)
        || !sparse(m_new + u"/huge.bin"_s, qint64(300) << 30))
        QSKIP("the temporary folder does not take sparse files of 300 GiB");
    writeFile(m_old + u"/small.txt"_s, "s", t);
    writeFile(m_new + u"/small.txt"_s, "s", t);
    CompareOptions o = options(0);
    o.blnSkipFiles = true;
    o.intSkipSizeMB = 1;
    const Run r = run(o);
    // big.bin pairs although its size text is wider than the usual 14 columns.
    QCOMPARE(r.result.lngNumAdded, 1);
    QCOMPARE(r.result.lngNumModified + r.result.lngNumRemoved, 0);
    QVERIFY(r.report.contains(platform::encodeName(u"File added: "_s + m_new + u"/huge.bin, 2026-01-02 03:04:05, 322,122,547,200 bytes\r\n"_s)));
}

void FolderComparisonTest::progressDots()
{
    for (int i = 0; i < 60; ++i)
        QVERIFY(QDir().mkpath(m_old + u"/d%1"_s.arg(i, 2, 10, QChar(u'0'))));
    CompareOptions o = options(0);
    o.blnIncludeSubfolders = true;
    m_comparison->CompareFolders(o);
    const QString base = u"Now comparing 2nd folder to 1st folder "_s;
    QList<int> dots;
    for (const QString &c : std::as_const(m_host->captions)) {
        if (c.startsWith(base))
            dots.append(int(c.size() - base.size()));
    }
    // 61 folders in the first walk and 1 in the second: the row grows to 50 dots, then falls back.
    QCOMPARE(dots.size(), 63);
    QCOMPARE(dots.first(), 3);
    QCOMPARE(*std::max_element(dots.begin(), dots.end()), 50);
    const qsizetype fifty = dots.indexOf(50);
    QCOMPARE(dots.at(fifty - 1), 49);
    QCOMPARE(dots.at(fifty + 1), 3);
    QCOMPARE(dots.last(), 3 + 62 - 48);
}

void FolderComparisonTest::reportErrors()
{
    writeFile(m_old + u"/a"_s, "a");
    writeFile(m_new + u"/a"_s, "b");
    // A report in a folder that does not exist cannot be created.
    m_report = m_tmp->path() + u"/missing/report.txt"_s;
    Run r = run(options(0));
    QCOMPARE(r.result.outcome, Outcome::Error);
    QCOMPARE(r.result.strInfoCaption, u"Error: File not found"_s);
    QVERIFY(!r.result.blnShowReport);
    QCOMPARE(m_host->busy, (QList<bool>{true, false}));

    // A report that cannot be written is an error, not a success with a truncated report.
    if (!QFile::exists(u"/dev/full"_s))
        QSKIP("no /dev/full");
    CompareOptions o = options(0);
    o.strReportFile = u"/dev/full"_s;
    const CompareResult full = m_comparison->CompareFolders(o);
    QCOMPARE(full.outcome, Outcome::Error);
    QCOMPARE(full.strInfoCaption, u"Error: Disk full"_s);
    QVERIFY(!full.blnShowReport);
}

void FolderComparisonTest::lineLimitFromText()
{
    QCOMPARE(LineLimitFromText(u"100"_s), 100);
    QCOMPARE(LineLimitFromText(u" 7 "_s), 7);
    QCOMPARE(LineLimitFromText(u"2.5"_s), 2);
    QCOMPARE(LineLimitFromText(u"3.5"_s), 4);
    QCOMPARE(LineLimitFromText(u"12abc"_s), 12);
    QCOMPARE(LineLimitFromText(u"abc"_s), 0);
    QCOMPARE(LineLimitFromText(u"99999999999"_s), 2147483647);
}

CHEQORA_TEST_MAIN(FolderComparisonTest)
#include "tst_foldercomparison.moc"
