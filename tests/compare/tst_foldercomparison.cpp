#include "comparetestutil.h"
#include "testmain.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;
using Outcome = CompareResult::Outcome;

namespace {

// Reports write the folders as O/ and N/; the test puts in the folders as given.
const QString kHeader = u"1st folder: O/\n2nd folder: N/\n\nAssuming the 2nd folder was derived from the 1st folder "
                        "then the files added to the 2nd folder, modified, or removed from the 1st folder are as "
                        "follows:\n\n"_s;
const QString kSubHeader = u"1st folder: O/\n2nd folder: N/\n\nAssuming the 2nd folder and its subfolders were derived "
                           "from the 1st folder and its subfolders then the files added to the 2nd folder, modified, "
                           "or removed from the 1st folder are as follows:\n\n"_s;
const QString kPairsHeader = u"1st folder: O/\n2nd folder: N/\n\nThe pair(s) of files below are identical in content.\n"
                             "The 1st file in each pair is in the 1st folder, the 2nd file is in the 2nd folder.\n\n"_s;

QString summary(int modified, int added, int removed)
{
    return u"Files modified: %1\nFiles added: %2\nFiles removed: %3\n"_s.arg(modified).arg(added).arg(removed);
}

} // namespace

class FolderComparisonTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_old;
    QString m_new;
    QString m_report;
    std::unique_ptr<RecordingHost> m_host;
    std::unique_ptr<FolderComparison> m_comparison;
    CompareResult m_result;

    // Options from flags: dup, rec, ext=E, skip=MB, lines=N, report=PATH (below the temporary folder).
    CompareOptions options(const QString &flags = QString()) const
    {
        const auto value = [&](const QString &key) { return flags.section(key + u'=', 1).section(u' ', 0, 0); };
        CompareOptions o;
        o.oldFolder = m_old;
        o.newFolder = m_new;
        o.reportFile = flags.contains(u"report="_s) ? m_tmp->path() + u'/' + value(u"report"_s) : m_report;
        o.mode = flags.contains(u"dup"_s) ? CompareMode::Duplicates : CompareMode::Changes;
        o.includeSubfolders = flags.contains(u"rec"_s);
        o.onlyExtension = flags.contains(u"ext="_s);
        o.extension = value(u"ext"_s);
        o.skipLargeFiles = flags.contains(u"skip="_s);
        o.skipSizeMB = value(u"skip"_s).toInt();
        if (flags.contains(u"lines="_s))
            o.maxLinesText = value(u"lines"_s);
        o.warnOnOverwrite = false;
        return o;
    }
    // The report as written: CR LF line ends, the folders as given for O/ and N/.
    static QByteArray expected(QString text, const CompareOptions &o)
    {
        text.replace(QRegularExpression(u"(?<!\\w)N/"_s), o.newFolder + u'/');
        text.replace(QRegularExpression(u"(?<!\\w)O/"_s), o.oldFolder + u'/');
        return platform::encodeText(text.replace(u"\n"_s, u"\r\n"_s));
    }
    // Writes the tree below the temporary folder (which holds O and N), compares, and checks the whole
    // report and the final caption. With change=delete, folder, grow or touch, N/a is changed so once
    // handed to the digests, after its folder was listed.
    void checkReport(const QString &files, const QString &flags, const QString &info, const QString &report)
    {
        QVERIFY(writeTree(m_tmp->path(), files));
        const QString change = flags.section(u"change="_s, 1).section(u' ', 0, 0);
        m_host->onQueued = [&](const QString &path) {
            if (change.isEmpty() || path != m_new + u"/a"_s)
                return;
            if (change == u"delete"_s || change == u"folder"_s)
                QVERIFY(QFile::remove(path) && (change == u"delete"_s || QDir().mkdir(path)));
            else
                QVERIFY(writeTree(m_tmp->path(), change == u"grow"_s ? u"N/a=same+"_s : u"N/a=same@2026-01-02 03:04:06"_s));
        };
        CompareOptions o = options(flags);
        m_result = m_comparison->compare(o);
        QCOMPARE(readFile(o.reportFile), expected(report, o));
        QCOMPARE(m_result.caption, info);
        QCOMPARE(m_result.showReport, info.startsWith(u"In 2nd"_s) || info.startsWith(u"Number of duplicate"_s));
        QCOMPARE(m_host->busy, (QList<bool>{true, false}));
        QCOMPARE(m_host->messages, QStringList());
    }

private slots:
    void init()
    {
        m_comparison.reset(); // the previous test's, before its host and folders go
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_old = m_tmp->path() + u"/O"_s;
        m_new = m_tmp->path() + u"/N"_s;
        m_report = m_tmp->path() + u"/report.txt"_s;
        QVERIFY(QDir().mkpath(m_old) && QDir().mkpath(m_new));
        m_host = std::make_unique<RecordingHost>();
        m_comparison = std::make_unique<FolderComparison>(*m_host);
    }
    void goldenReports_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("report");
        const QString worked = u"O/a.txt=a*1180@2026-11-30 16:12:45|O/b.txt=b*310@2026-11-02 11:00:00|"
                               "O/c.txt=c@2026-10-01 12:00:00|O/e.txt=eeeee@2026-12-01 08:00:00|"
                               "N/a.txt=A*1204@2026-12-05 09:30:00|N/b.txt=b*310@2026-11-02 11:00:00|"
                               "N/d.txt=d*87@2026-12-05 10:02:13|N/e.txt=EEEEE@2026-12-01 08:00:00"_s;
        const QString nested = u"O/a.txt=same|N/a.txt=same|O/empty=|N/empty=|O/sub/x.txt=x|N/sub/x.txt=X|O/sub/deeper/y.txt=y"_s;
        const QString reportInNew = u"O/a.txt=a|N/a.txt=a|N/report.txt=an earlier report"_s;
        const QString reportAdded =
            kHeader + u"File added: N/report.txt, current report file, not yet closed.\n\n"_s + summary(0, 1, 0);
        const QString noChange = u"No files were changed, added or removed."_s;
        const QString onePair = u"Number of duplicate (identical) files: 1"_s;

        QTest::newRow("worked example") << worked << QString() << compareCaption(2, 1, 1)
            << kHeader + u"File modified:\nN/a.txt, 2026-12-05 09:30:00, 1,204 bytes\n"
                         "O/a.txt, 2026-11-30 16:12:45, 1,180 bytes\n\n"
                         "File added: N/d.txt, 2026-12-05 10:02:13, 87 bytes\n\n"
                         "File modified:\nN/e.txt, 2026-12-01 08:00:00, 5 bytes\nO/e.txt, same size, date and time\n\n"
                         "File removed: O/c.txt\n\n"_s + summary(2, 1, 1);
        QTest::newRow("worked example, pairs in subfolders") << worked << u"dup rec"_s << onePair
            << u"1st folder: O/\n2nd folder: N/\n\nThe pair(s) of files below are identical in content.\n"
               "The 1st file in each pair is in the 1st folder or a subfolder, the 2nd file is in the 2nd folder or a "
               "corresponding subfolder.\n\nO/b.txt, 2026-11-02 11:00:00, 310 bytes\nN/b.txt, same date, time and size\n\n"_s
               + onePair + u'\n';
        QTest::newRow("line limit 5") << worked << u"lines=5"_s << u"Number of lines in the report file exceeded 5."_s
            << kHeader + u"File modified:\n\nNumber of lines exceeds 5, so stopping.\n"_s;
        QTest::newRow("line limit among removed files") << u"O/f0=x|O/f1=x|O/f2=x|O/f3=x|O/f4=x|O/f5=x"_s << u"lines=3"_s
            << u"Number of lines in the report file exceeded 3."_s
            << u"File removed: O/f0\nFile removed: O/f1\nFile removed: O/f2\nFile removed: O/f3\n\n"
               "Number of lines exceeds 3, so stopping.\n"_s;
        QTest::newRow("blank lines")
            << u"O/m1=one|O/m2=two|O/x1=gone|O/x2=gone too|N/a0=1|N/a1=|N/m1=ONE|N/m2=TWO2|N/n1=new"_s << QString()
            << compareCaption(2, 3, 2)
            << kHeader + u"File added: N/a0, 2026-01-02 03:04:05, 1 byte\nFile added: N/a1, 2026-01-02 03:04:05, 0 bytes\n\n"
                         "File modified:\nN/m1, 2026-01-02 03:04:05, 3 bytes\nO/m1, same size, date and time\n\n"
                         "File modified:\nN/m2, 2026-01-02 03:04:05, 4 bytes\nO/m2, 2026-01-02 03:04:05, 3 bytes\n\n"
                         "File added: N/n1, 2026-01-02 03:04:05, 3 bytes\n\nFile removed: O/x1\nFile removed: O/x2\n\n"_s
                   + summary(2, 3, 2);
        // A later date alone is no change.
        QTest::newRow("removed only, no header") << u"O/a=same|O/b=gone|N/a=same@2026-05-05 05:05:05"_s << QString()
                                                 << compareCaption(0, 0, 1) << u"File removed: O/b\n\n"_s + summary(0, 0, 1);
        QTest::newRow("unexamined among removed, no header") << u"O/a=gone|O/loop->loop|O/z=gone"_s << QString()
            << compareCaption(0, 0, 2) + u"   Files not compared: 1"_s
            << u"File removed: O/a\nFile not compared: O/loop, Path/File access error\nFile removed: O/z\n\n"_s + summary(0, 0, 2)
                   + u"Files not compared: 1\n"_s;
        QTest::newRow("identical, subfolders left out") << nested << QString() << noChange << u"\n"_s + noChange + u'\n';
        QTest::newRow("subfolders") << nested << u"rec"_s << compareCaption(1, 0, 1)
            << kSubHeader + u"File modified:\nN/sub/x.txt, 2026-01-02 03:04:05, 1 byte\nO/sub/x.txt, same size, date and time\n\n"
                            "File removed: O/sub/deeper/y.txt\n\n"_s + summary(1, 0, 1);
        // Equal content under another name is no pair.
        QTest::newRow("no pairs") << u"O/a=one|N/a=two|N/b=one"_s << u"dup"_s << u"There are no duplicate (identical) files."_s
                                  << u"\n"_s;
        QTest::newRow("report in 2nd folder, spelt //") << reportInNew << u"report=N//report.txt"_s << compareCaption(0, 1, 0)
                                                        << reportAdded;
        // The earlier report is being replaced, so it is no member of the comparison, in either walk.
        QTest::newRow("pairs, report in 2nd folder")
            << u"O/x=x|N/x=x@2026-01-03 04:05:06|O/report.txt=same|N/report.txt=same"_s << u"dup report=N/report.txt"_s << onePair
            << kPairsHeader + u"O/x, 2026-01-02 03:04:05, 1 byte\nN/x, 2026-01-03 04:05:06, 1 byte\n\n"_s + onePair + u'\n';
        QTest::newRow("pairs, report in 1st folder") << u"O/x=x|N/x=x|O/report.txt=same|N/report.txt=same"_s
            << u"dup report=O/report.txt"_s << onePair
            << kPairsHeader + u"O/x, 2026-01-02 03:04:05, 1 byte\nN/x, same date, time and size\n\n"_s + onePair + u'\n';
        // A modified file last: the summary's own break follows the entry's blank line.
        QTest::newRow("extension filter")
            << u"O/a.txt=old|N/a.txt=new|O/b.doc=old|N/b.doc=new|O/README=old|N/README=new|O/c.TXT=old|N/c.TXT=new|"
               "O/sub/d.txt=old"_s
            << u"ext=.txt"_s << compareCaption(2, 0, 0)
            << kHeader + u"File modified:\nN/a.txt, 2026-01-02 03:04:05, 3 bytes\nO/a.txt, same size, date and time\n\n"
                         "File modified:\nN/c.TXT, 2026-01-02 03:04:05, 3 bytes\nO/c.TXT, same size, date and time\n\n\n"_s
                   + summary(2, 0, 0);
        // Skipped files of one size stay unreported, of two sizes are modified, and are never a pair; one
        // of exactly the limit is digested.
        const QString large = u"O/big=0*1572864|N/big=1*1572864|N/big2=2*1572864|O/edge=e*1048576|N/edge=E*1048576|"
                              "O/grown=g*1572864|N/grown=g*1572865"_s;
        QTest::newRow("large files skipped") << large << u"skip=1"_s << compareCaption(2, 1, 0)
            << kHeader + u"File added: N/big2, 2026-01-02 03:04:05, 1,572,864 bytes\n\n"
                         "File modified:\nN/edge, 2026-01-02 03:04:05, 1,048,576 bytes\nO/edge, same size, date and time\n\n"
                         "File modified:\nN/grown, 2026-01-02 03:04:05, 1,572,865 bytes\n"
                         "O/grown, 2026-01-02 03:04:05, 1,572,864 bytes\n\n\n"_s
                   + summary(2, 1, 0);
        QTest::newRow("large files skipped, pairs") << large + u"|O/big2=2*1572864"_s << u"dup skip=1"_s
                                                    << u"There are no duplicate (identical) files."_s << u"\n"_s;
        // Names differing only in case coexist: the exact twin pairs first, the folded match only when
        // the walked folder has no exact twin of the record; of two folded matches the smallest path
        // pairs, and a record pairs once. Folder names alike.
        QTest::newRow("letter case")
            << u"O/a.txt=lower|O/A.txt=upper|N/a.txt=lower|N/A.txt=UPPER|O/Readme=r|N/README=r|O/Guide=g|N/Guide=g|N/GUIDE=g|"
               "O/Notes=first|O/NOTES=second|N/notes=second|O/Todo=t|N/TODO=t|N/todo=t|"
               "O/Dir/x=x|N/dir/x=x|O/Sub/y=y|O/sub/y=y|N/sub/y=y"_s
            << u"rec"_s << compareCaption(1, 2, 2)
            << kSubHeader + u"File modified:\nN/A.txt, 2026-01-02 03:04:05, 5 bytes\nO/A.txt, same size, date and time\n\n"
                            "File added: N/GUIDE, 2026-01-02 03:04:05, 1 byte\n"
                            "File added: N/todo, 2026-01-02 03:04:05, 1 byte\n\n"
                            "File removed: O/Notes\nFile removed: O/Sub/y\n\n"_s + summary(1, 2, 2);
        // Links back to a folder on the walk's path are not descended; a link elsewhere is.
        QTest::newRow("folder links")
            << u"O/sub/x=x|O/other/y=O|O/sub/loop->..|O/self->.|O/sub/sibling->../other|"
               "N/sub/x=x|N/other/y=N|N/sub/loop->..|N/self->.|N/sub/sibling->../other"_s
            << u"rec"_s << compareCaption(2, 0, 0)
            << kSubHeader + u"File modified:\nN/other/y, 2026-01-02 03:04:05, 1 byte\nO/other/y, same size, date and time\n\n"
                            "File modified:\nN/sub/sibling/y, 2026-01-02 03:04:05, 1 byte\n"
                            "O/sub/sibling/y, same size, date and time\n\n\n"_s
                   + summary(2, 0, 0);
        // FIFOs are listed, never opened; breaks inside names are written visibly and are no lines.
        // Entries that cannot be examined (a link to itself) are listed as such, not left out.
        QTest::newRow("FIFOs and line breaks in names")
            << u"O/pipe=<fifo>|N/pipe=<fifo>|N/pipe2=<fifo>|O/a\nb=old|N/a\nb=new|N/c\rd=added|O/x\ny=removed|"
               "O/loop->loop|N/loop->loop"_s
            << QString() << compareCaption(1, 2, 1) + u"   Files not compared: 2"_s
            << kHeader + u"File modified:\nN/a\\nb, 2026-01-02 03:04:05, 3 bytes\nO/a\\nb, same size, date and time\n\n"
                         "File added: N/c\\rd, 2026-01-02 03:04:05, 5 bytes\n"
                         "File not compared: N/loop, Path/File access error\n"
                         "File not compared: N/pipe, Not a regular file\n"
                         "File added: N/pipe2, 2026-01-02 03:04:05, 0 bytes\n\n"
                         "File removed: O/x\\ny\n\n"_s + summary(1, 2, 1) + u"Files not compared: 2\n"_s;
        // N/a deleted or changed while the walk runs has no digest: deleted once listed, or changed once
        // examined (a link is examined as its folder is listed, a file only as it is opened).
        const QString changing = u"O/a=same|N/a=same|O/b=same|N/b=same"_s;
        const QString linked = u"O/a=same|N/a->../t|t=same|O/b=same|N/b=same"_s;
        const QString changed = u"File not compared: N/a, File changed while being read\n"_s;
        const QString oneNotCompared = compareCaption(0, 0, 0) + u"   Files not compared: 1"_s;
        QTest::newRow("deleted during the walk") << changing << u"change=delete"_s << oneNotCompared
            << kHeader + u"File not compared: N/a, File not found\n\n"_s + summary(0, 0, 0) + u"Files not compared: 1\n"_s;
        QTest::newRow("made a folder during the walk") << changing << u"change=folder"_s << oneNotCompared
            << kHeader + u"File not compared: N/a, Folder, not file\n\n"_s + summary(0, 0, 0) + u"Files not compared: 1\n"_s;
        QTest::newRow("grown during the walk, pairs") << linked << u"dup change=grow"_s
            << onePair + u"   Files not compared: 1"_s
            << kPairsHeader + changed + u"\nO/b, 2026-01-02 03:04:05, 4 bytes\nN/b, same date, time and size\n\n"_s + onePair
                   + u"\nFiles not compared: 1\n"_s;
        QTest::newRow("touched during the walk") << linked << u"change=touch"_s << oneNotCompared
            << kHeader + changed + u"\n"_s + summary(0, 0, 0) + u"Files not compared: 1\n"_s;
    }
    void goldenReports()
    {
        QFETCH(QString, files);
        QFETCH(QString, flags);
        QFETCH(QString, info);
        QFETCH(QString, report);
        checkReport(files, flags, info, report);
    }

    void checkMessages()
    {
        // Title, icon (3 Exclamation, 4 Information) and text of the message box.
        const QString excl = u"Compare folders|3|"_s;
        const QString nested = u"Compare folders|4|"_s + m_old + u"/sub is contained in "_s + m_old
            + u".\n\nWhen files are included in subfolders recursively\none folder cannot be a subfolder the other folder."_s;
        const QString same = excl + u"The 1st and 2nd folders are the same."_s;
        QVERIFY(QDir().mkpath(m_old + u"/sub"_s));
        const QList<QStringList> cases = { // 1st folder, 2nd folder, report, flags, message
            {u"   "_s, m_new, m_report, QString(), excl + u"1st folder not specified."_s},
            {m_old, u"  "_s, QString(), QString(), excl + u"2nd folder not specified."_s},
            {m_old, m_old, QString(), QString(), same},
            // Names differing only in case are different folders, and this one is not there.
            {m_old, m_old.toUpper() + u"//"_s, m_report, QString(), excl + u"2nd folder not found."_s},
            {m_old, m_new, u"   "_s, QString(), excl + u"Report file not specified."_s},
            // Either way round, the inner folder is named first.
            {m_old + u"/sub"_s, m_old, m_report, u"rec"_s, nested},
            {m_old, m_old + u"/sub"_s, m_report, u"rec"_s, nested},
        };
        for (const QStringList &c : cases) {
            m_host->messages.clear();
            CompareOptions o = options(c.at(3));
            o.oldFolder = c.at(0);
            o.newFolder = c.at(1);
            o.reportFile = c.at(2);
            o.warnOnOverwrite = true;
            QCOMPARE(m_comparison->compare(o).outcome, Outcome::CheckFailed);
            QCOMPARE(m_host->messages, QStringList{c.at(4)});
        }
        QVERIFY(m_host->busy.isEmpty());
        QVERIFY(!QFile::exists(m_report) || QFile::remove(m_report));

        // Without subfolders nested folders are compared; the trimmed texts go back into the fields.
        CompareOptions o = options();
        o.oldFolder = u"  "_s + m_old + u"/sub  "_s;
        o.newFolder = u" "_s + m_old;
        QCOMPARE(m_comparison->compare(o).outcome, Outcome::Completed);
        QCOMPARE(o.oldFolder, m_old + u"/sub"_s);
        QCOMPARE(o.newFolder, m_old);
    }

    void folderRelation()
    {
        // 3 the same folder, 1 the 1st inside the 2nd, 2 the 2nd inside the 1st, 0 neither; T is the
        // temporary folder, "link" leads to O, and o is a folder of its own beside O.
        QVERIFY(writeTree(m_tmp->path(), u"O/sub/x=x|o/x=x|link->O"_s));
        const QList<std::tuple<QString, QString, int>> cases = {
            {u"O"_s, u"O//"_s, 3},   {u"link"_s, u"O/sub/.."_s, 3}, {u"O/sub"_s, u"O"_s, 1}, {u"O"_s, u"link/sub"_s, 2},
            {u""_s, u"O"_s, 2},      {u"O"_s, u"o"_s, 0},           {u"O/sub"_s, u"N"_s, 0}, {u"O"_s, u"gone"_s, 0},
        };
        for (const auto &[first, second, relation] : cases) {
            const QString a = m_tmp->path() + u'/' + first;
            const QString b = m_tmp->path() + u'/' + second;
            QVERIFY2(int(cheqora::folderRelation(a, b)) == relation, qPrintable(first + u" | "_s + second));
        }
    }

    void unwritableReportIsAnError()
    {
        if (!QFile::exists(u"/dev/full"_s))
            QSKIP("no /dev/full");
        QVERIFY(writeTree(m_tmp->path(), u"O/a=a|N/a=b"_s));
        CompareOptions o = options();
        o.reportFile = u"/dev/full"_s;
        const CompareResult r = m_comparison->compare(o);
        QCOMPARE(r.outcome, Outcome::Error);
        QCOMPARE(r.caption, u"Error: writing /dev/full: No space left on device"_s);
        QVERIFY(!r.showReport);
        QCOMPARE(m_host->busy, (QList<bool>{true, false}));
    }

    void lineLimitFromText()
    {
        // Rounded half to even, read like a number up to its first other character, kept within 32 bits.
        const QList<std::pair<QString, qint64>> cases = {{u" 7 "_s, 7},  {u"2.5"_s, 2}, {u"3.5"_s, 4},
                                                         {u"12abc"_s, 12}, {u"abc"_s, 0}, {u"99999999999"_s, 2147483647}};
        for (const auto &[text, limit] : cases)
            QCOMPARE(cheqora::lineLimitFromText(text), limit);
    }
};

CHEQORA_TEST_MAIN(FolderComparisonTest)
#include "tst_foldercomparison.moc"
