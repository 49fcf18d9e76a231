// The comparison against an independent judge: on generated trees with random additions, removals
// and edits, the added, removed and modified paths of the report are exactly what `diff -rq` finds.
#include "comparetestutil.h"
#include "foldercomparison.h"
#include "testmain.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace cheqora;
using namespace cheqora::test;
using namespace Qt::StringLiterals;

namespace {

struct Differences {
    QSet<QString> added;
    QSet<QString> removed;
    QSet<QString> modified;
};

// Relative paths of the files below a folder (for "Only in" lines that name a whole folder).
QSet<QString> filesBelow(const QString &root, const QString &relative)
{
    QSet<QString> out;
    const QString base = root + u'/';
    const QFileInfo info(base + relative);
    if (!info.isDir()) {
        out.insert(relative);
        return out;
    }
    QDirIterator it(base + relative, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.insert(it.next().mid(base.size()));
    return out;
}

Differences fromDiff(const QString &oldRoot, const QString &newRoot)
{
    QProcess diff;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LC_ALL"_s, u"C"_s);
    diff.setProcessEnvironment(env);
    diff.start(u"diff"_s, {u"-rq"_s, oldRoot, newRoot});
    if (!diff.waitForFinished(120000))
        qFatal("diff did not finish");
    Differences d;
    const QStringList lines = QString::fromUtf8(diff.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        if (line.startsWith(u"Files "_s) && line.endsWith(u" differ"_s)) {
            const QString first = line.mid(6, line.indexOf(u" and "_s) - 6);
            d.modified.insert(first.mid(oldRoot.size() + 1));
        } else if (line.startsWith(u"Only in "_s)) {
            const qsizetype colon = line.indexOf(u": "_s);
            const QString folder = line.mid(8, colon - 8);
            const QString name = line.mid(colon + 2);
            const bool inOld = folder == oldRoot || folder.startsWith(oldRoot + u'/');
            const QString root = inOld ? oldRoot : newRoot;
            QString relative = folder.mid(root.size() + 1);
            relative = relative.isEmpty() ? name : relative + u'/' + name;
            (inOld ? d.removed : d.added).unite(filesBelow(root, relative));
        } else {
            qWarning("unexpected diff output: %s", qPrintable(line));
        }
    }
    return d;
}

Differences fromReport(const QByteArray &report, const QString &oldRoot, const QString &newRoot)
{
    static const QRegularExpression entry(u"^(.*), \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, [\\d,]+ bytes?$"_s);
    Differences d;
    const QStringList lines = platform::decodeText(report).split(u"\r\n"_s);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.startsWith(u"File added: "_s)) {
            const auto m = entry.match(line.mid(12));
            if (m.hasMatch())
                d.added.insert(m.captured(1).mid(newRoot.size() + 1));
        } else if (line.startsWith(u"File removed: "_s)) {
            d.removed.insert(line.mid(14).mid(oldRoot.size() + 1));
        } else if (line == u"File modified:"_s && i + 1 < lines.size()) {
            const auto m = entry.match(lines.at(i + 1));
            if (m.hasMatch())
                d.modified.insert(m.captured(1).mid(newRoot.size() + 1));
        }
    }
    return d;
}

// Names with blanks, dots, dashes and both letter cases; the case of each name is fixed by the name,
// so no two generated names differ only in case (which `diff` would see as two files).
QString randomName(QRandomGenerator &rng)
{
    static const QString alphabet = u"abcdefgh-_. 0123"_s;
    QString name;
    const int n = 1 + int(rng.bounded(6));
    for (int i = 0; i < n; ++i)
        name.append(alphabet.at(rng.bounded(int(alphabet.size()))));
    name = name.trimmed();
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        name = u"n"_s;
    QString cased;
    const size_t h = qHash(name);
    for (qsizetype i = 0; i < name.size(); ++i)
        cased.append((h >> (i % 16)) & 1 ? name.at(i).toUpper() : name.at(i));
    return cased;
}

QByteArray randomContent(QRandomGenerator &rng)
{
    const int size = rng.bounded(8) == 0 ? 0 : int(rng.bounded(3000));
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(rng.bounded(256));
    return b;
}

} // namespace

class CompareDifferentialTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void matchesDiff_data();
    void matchesDiff();
};

void CompareDifferentialTest::initTestCase()
{
    if (QStandardPaths::findExecutable(u"diff"_s).isEmpty())
        QSKIP("diff is not installed");
}

void CompareDifferentialTest::matchesDiff_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("seed 1") << 1u;
    QTest::newRow("seed 2") << 2u;
    QTest::newRow("seed 3") << 3u;
}

void CompareDifferentialTest::matchesDiff()
{
    QFETCH(quint32, seed);
    QRandomGenerator rng(seed);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString oldRoot = tmp.path() + u"/old"_s;
    const QString newRoot = tmp.path() + u"/new"_s;

    // The 1st tree: folders up to three levels deep, files in each.
    QStringList folders{QString()};
    for (int i = 0; i < 25; ++i) {
        const QString parent = folders.at(rng.bounded(int(folders.size())));
        if (parent.count(u'/') >= 2)
            continue;
        const QString folder = parent.isEmpty() ? randomName(rng) : parent + u'/' + randomName(rng);
        if (!folders.contains(folder))
            folders.append(folder);
    }
    QSet<QString> usedFolded;
    QStringList files;
    for (int i = 0; i < 300; ++i) {
        const QString folder = folders.at(rng.bounded(int(folders.size())));
        const QString path = folder.isEmpty() ? randomName(rng) : folder + u'/' + randomName(rng);
        // A name may not also be a folder, and names are unique once folded.
        if (folders.contains(path) || usedFolded.contains(path.toLower()))
            continue;
        bool clashesWithFolder = false;
        for (const QString &f : std::as_const(folders))
            clashesWithFolder = clashesWithFolder || f.startsWith(path + u'/');
        if (clashesWithFolder)
            continue;
        usedFolded.insert(path.toLower());
        files.append(path);
        writeFile(oldRoot + u'/' + path, randomContent(rng));
    }
    for (const QString &folder : std::as_const(folders))
        QVERIFY(QDir().mkpath(oldRoot + u'/' + folder));
    QCOMPARE(QProcess::execute(u"cp"_s, {u"-a"_s, oldRoot, newRoot}), 0);

    // Changes in the 2nd tree.
    for (const QString &path : std::as_const(files)) {
        const quint32 roll = rng.bounded(100);
        const QString target = newRoot + u'/' + path;
        if (roll < 10) {
            QVERIFY(QFile::remove(target));
        } else if (roll < 18) {
            QByteArray content = readFile(target);
            if (content.isEmpty())
                content = "now not empty";
            else
                content[rng.bounded(int(content.size()))] ^= char(1 + rng.bounded(255)); // same size
            writeFile(target, content);
        } else if (roll < 22) {
            writeFile(target, readFile(target) + "appended");
        } else if (roll < 24) {
            writeFile(target, QByteArray());
        }
    }
    for (int i = 0; i < 30; ++i) {
        const QString folder = rng.bounded(4) == 0 ? u"added dir"_s : folders.at(rng.bounded(int(folders.size())));
        const QString path = folder.isEmpty() ? randomName(rng) : folder + u'/' + randomName(rng);
        if (folders.contains(path) || usedFolded.contains(path.toLower()))
            continue;
        bool clashesWithFolder = false;
        for (const QString &f : std::as_const(folders))
            clashesWithFolder = clashesWithFolder || f.startsWith(path + u'/');
        if (clashesWithFolder)
            continue;
        usedFolded.insert(path.toLower());
        writeFile(newRoot + u'/' + path, randomContent(rng));
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

    const Differences expected = fromDiff(oldRoot, newRoot);
    const Differences actual = fromReport(readFile(o.strReportFile), oldRoot, newRoot);
    QVERIFY(!expected.added.isEmpty() && !expected.removed.isEmpty() && !expected.modified.isEmpty());
    QCOMPARE(actual.added, expected.added);
    QCOMPARE(actual.removed, expected.removed);
    QCOMPARE(actual.modified, expected.modified);
    QCOMPARE(r.lngNumAdded, qint64(expected.added.size()));
    QCOMPARE(r.lngNumRemoved, qint64(expected.removed.size()));
    QCOMPARE(r.lngNumModified, qint64(expected.modified.size()));
}

CHEQORA_TEST_MAIN(CompareDifferentialTest)
#include "tst_comparedifferential.moc"
