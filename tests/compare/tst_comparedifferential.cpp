// The comparison against an independent judge: on generated trees with random additions, removals
// and edits, the added, removed and modified paths of the report are exactly what `diff -rq` finds.
#include "comparetestutil.h"
#include "testmain.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

// "added: path", "removed: path" and "modified: path", sorted, with paths relative to the roots.
QStringList fromDiff(const QString &oldRoot, const QString &newRoot)
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
        const QString only = m.captured(2) + u'/' + m.captured(3);
        if (m.hasCaptured(1))
            out << u"modified: "_s + m.captured(1).mid(oldRoot.size() + 1);
        else if (only.startsWith(oldRoot + u'/'))
            out << u"removed: "_s + only.mid(oldRoot.size() + 1);
        else
            out << u"added: "_s + only.mid(newRoot.size() + 1); // an unexpected line shows up here too
    }
    out.sort();
    return out;
}

QStringList fromReport(const QByteArray &report, const QString &oldRoot, const QString &newRoot)
{
    static const QRegularExpression entry(u"^(.*), \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, [\\d,]+ bytes?$"_s);
    const auto pathOf = [&](const QString &text) { return entry.match(text).captured(1).mid(newRoot.size() + 1); };
    QStringList out;
    const QStringList lines = platform::decodeText(report).split(u"\r\n"_s);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(u"File added: "_s))
            out << u"added: "_s + pathOf(lines.at(i).mid(12));
        else if (lines.at(i).startsWith(u"File removed: "_s))
            out << u"removed: "_s + lines.at(i).mid(14 + oldRoot.size() + 1);
        else if (lines.at(i) == u"File modified:"_s && i + 1 < lines.size())
            out << u"modified: "_s + pathOf(lines.at(i + 1));
    }
    out.sort();
    return out;
}

// Names with blanks, dots, dashes and both letter cases; each letter comes in one case only, so no two
// names differ only in case (which `diff` would see as two files).
QString randomName(QRandomGenerator &rng)
{
    static const QString alphabet = u"abcDEF-_. 01"_s;
    QString name;
    for (int i = 0, n = 1 + int(rng.bounded(6)); i < n; ++i)
        name.append(alphabet.at(rng.bounded(int(alphabet.size()))));
    name = name.trimmed(); // the report trims blanks at the end of a removed file's path
    return name.isEmpty() || name == u"."_s || name == u".."_s ? u"n"_s : name;
}

QByteArray randomContent(QRandomGenerator &rng)
{
    QByteArray b(rng.bounded(8) == 0 ? 0 : int(rng.bounded(3000)), Qt::Uninitialized);
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace

class CompareDifferentialTest : public QObject {
    Q_OBJECT

private slots:
    void matchesDiff_data()
    {
        QTest::addColumn<quint32>("seed");
        QTest::newRow("seed 1") << 1u;
        QTest::newRow("seed 2") << 2u;
        QTest::newRow("seed 3") << 3u;
    }
    void matchesDiff()
    {
        QFETCH(quint32, seed);
        QRandomGenerator rng(seed);
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString oldRoot = tmp.path() + u"/old"_s;
        const QString newRoot = tmp.path() + u"/new"_s;

        // Folders up to three levels deep with files in each; a path is a file or a folder, not both.
        QStringList folders{QString()};
        QSet<QString> taken;
        const auto freshPath = [&] {
            const QString folder = folders.at(rng.bounded(int(folders.size())));
            const QString path = folder.isEmpty() ? randomName(rng) : folder + u'/' + randomName(rng);
            const bool fresh = !taken.contains(path);
            taken.insert(path);
            return fresh ? path : QString();
        };
        for (int i = 0; i < 25; ++i) {
            if (const QString folder = freshPath(); !folder.isEmpty() && folder.count(u'/') < 3)
                folders.append(folder);
        }
        QStringList files;
        for (int i = 0; i < 300; ++i) {
            if (const QString path = freshPath(); !path.isEmpty()) {
                files.append(path);
                QVERIFY(writeFile(oldRoot + u'/' + path, randomContent(rng)));
            }
        }
        for (const QString &folder : std::as_const(folders))
            QVERIFY(QDir().mkpath(oldRoot + u'/' + folder));
        QCOMPARE(QProcess::execute(u"cp"_s, {u"-a"_s, oldRoot, newRoot}), 0);

        // In the 2nd tree: removals, edits that keep the size, growth, truncation and added files.
        for (const QString &path : std::as_const(files)) {
            const quint32 roll = rng.bounded(100);
            const QString target = newRoot + u'/' + path;
            QByteArray content = readFile(target);
            if (roll < 10) {
                QVERIFY(QFile::remove(target));
            } else if (roll < 18 && !content.isEmpty()) {
                content[rng.bounded(int(content.size()))] ^= char(1 + rng.bounded(255));
                QVERIFY(writeFile(target, content));
            } else if (roll < 24) {
                QVERIFY(writeFile(target, roll < 22 ? content + "appended" : QByteArray()));
            } else if (const QString added = roll < 34 ? freshPath() : QString(); !added.isEmpty()) {
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
        const QStringList expected = fromDiff(oldRoot, newRoot);
        for (const QString &kind : {u"added: "_s, u"removed: "_s, u"modified: "_s})
            QVERIFY(!expected.filter(kind).isEmpty());
        QCOMPARE(fromReport(readFile(o.strReportFile), oldRoot, newRoot), expected);
        QCOMPARE(r.lngNumAdded + r.lngNumRemoved + r.lngNumModified, qint64(expected.size()));
    }
};

CHEQORA_TEST_MAIN(CompareDifferentialTest)
#include "tst_comparedifferential.moc"
