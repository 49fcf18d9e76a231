// The comparison against an independent judge: on generated trees with random additions, removals
// and edits, the added, removed and modified paths of the report are exactly what `diff -rq` finds.
#include "comparetestutil.h"
#include "testmain.h"

#include <QProcess>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

// "added: path", "removed: path" and "modified: path", sorted; both roots are rootLength long.
QStringList fromDiff(const QString &oldRoot, const QString &newRoot, qsizetype rootLength)
{
    static const QRegularExpression line(u"^(?:Files (.*) and .* differ|Only in (.*): (.*))$"_s);
    QProcess diff;
    diff.setEnvironment(QStringList{u"LC_ALL=C"_s} + QProcess::systemEnvironment());
    diff.start(u"diff"_s, {u"-rq"_s, oldRoot, newRoot});
    if (!diff.waitForFinished(120000))
        qFatal("diff did not finish");
    QStringList out;
    for (const QString &text : QString::fromUtf8(diff.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const auto m = line.match(text);
        const QString only = m.captured(2) + u'/' + m.captured(3); // an unexpected line shows up as added
        out << (m.hasCaptured(1) ? u"modified: "_s + m.captured(1) : only.startsWith(oldRoot) ? u"removed: "_s + only : u"added: "_s + only);
        out.last().remove(out.last().indexOf(u' ') + 1, rootLength + 1);
    }
    out.sort();
    return out;
}

QStringList fromReport(const QByteArray &report, qsizetype rootLength)
{
    // The 2nd path of a modified entry is on a line of its own, which matches nothing here.
    static const QRegularExpression entry(
        u"(File added: |File removed: |File modified:\r\n)(.*?)(?:, \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, [\\d,]+ bytes?)?\r\n"_s);
    QStringList out;
    for (auto it = entry.globalMatch(platform::decodeText(report)); it.hasNext();) {
        const auto m = it.next();
        out << m.captured(1).mid(5).section(u':', 0, 0) + u": "_s + m.captured(2).mid(rootLength + 1);
    }
    out.sort();
    return out;
}

// Names with blanks, dots, dashes and both letter cases; each letter comes in one case only, so no two
// names differ only in case (which `diff` would see as two files).
QString randomName(QRandomGenerator &rng)
{
    QString name;
    for (int i = 0, n = 1 + int(rng.bounded(6)); i < n; ++i)
        name.append(u"abcDEF-_. 01"_s.at(rng.bounded(12)));
    name = name.trimmed(); // the report trims blanks at the end of a removed file's path
    return name.isEmpty() || name == u"."_s || name == u".."_s ? u"n"_s : name;
}

QByteArray randomContent(QRandomGenerator &rng)
{
    return randomBytes(rng.bounded(8) == 0 ? 0 : rng.bounded(3000), rng.generate());
}

} // namespace

class CompareDifferentialTest : public QObject {
    Q_OBJECT

private slots:
    void matchesDiff_data()
    {
        QTest::addColumn<quint32>("seed");
        for (const quint32 seed : {1u, 2u, 3u})
            QTest::newRow(qPrintable(u"seed %1"_s.arg(seed))) << seed;
    }
    void matchesDiff()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString oldRoot = tmp.path() + u"/old"_s;
        const QString newRoot = tmp.path() + u"/new"_s;

        // Folders up to three levels deep with files in each; folder names end in "~", which no file name
        // holds, so a path is a file or a folder, not both.
        QStringList folders{QString()};
        for (int i = 0; i < 25; ++i) {
            if (const QString parent = folders.at(rng.bounded(int(folders.size()))); parent.count(u'/') < 2)
                folders << parent + randomName(rng) + u"~/"_s;
        }
        const auto randomPath = [&] { return folders.at(rng.bounded(int(folders.size()))) + randomName(rng); };
        QMap<QString, QByteArray> tree;
        for (int i = 0; i < 300; ++i)
            tree.insert(randomPath(), randomContent(rng));
        for (auto it = tree.cbegin(); it != tree.cend(); ++it)
            QVERIFY(writeFile(oldRoot + u'/' + it.key(), it.value()));
        for (const QString &folder : std::as_const(folders))
            QVERIFY(QDir().mkpath(oldRoot + u'/' + folder));
        QCOMPARE(QProcess::execute(u"cp"_s, {u"-a"_s, oldRoot, newRoot}), 0);

        // In the 2nd tree: removals, edits that keep the size, growth, truncation and added files.
        for (auto it = tree.cbegin(); it != tree.cend(); ++it) {
            const quint32 roll = rng.bounded(100);
            const QString target = newRoot + u'/' + it.key();
            QByteArray content = it.value();
            if (roll < 10) {
                QVERIFY(QFile::remove(target));
            } else if (roll < 18 && !content.isEmpty()) {
                content[rng.bounded(int(content.size()))] ^= char(1 + rng.bounded(255));
                QVERIFY(writeFile(target, content));
            } else if (roll < 24) {
                QVERIFY(writeFile(target, roll < 22 ? content + "appended" : QByteArray()));
            } else if (const QString added = randomPath(); roll < 34 && !tree.contains(added)) {
                QVERIFY(writeFile(newRoot + u'/' + added, randomContent(rng)));
            }
        }

        RecordingHost host;
        FolderComparison comparison(host);
        CompareOptions o;
        o.strFolder1 = oldRoot;
        o.strFolder2 = newRoot;
        o.strReportFile = tmp.path() + u"/report.txt"_s;
        o.blnIncludeSubfolders = true;
        o.blnSuspendIfNumLines = false;
        const CompareResult r = comparison.CompareFolders(o);
        QCOMPARE(r.outcome, CompareResult::Outcome::Completed);
        const QStringList expected = fromDiff(oldRoot, newRoot, oldRoot.size());
        for (const QString &kind : {u"added: "_s, u"removed: "_s, u"modified: "_s})
            QVERIFY(!expected.filter(kind).isEmpty());
        QCOMPARE(fromReport(readFile(o.strReportFile), oldRoot.size()), expected);
        QCOMPARE(r.lngNumAdded + r.lngNumRemoved + r.lngNumModified, qint64(expected.size()));
    }
};

CHEQORA_TEST_MAIN(CompareDifferentialTest)
#include "tst_comparedifferential.moc"
