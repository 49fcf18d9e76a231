#include "filefixtures.h"
#include "filesystem.h"
#include "testmain.h"

#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using namespace cheqora::test;
using platform::EntryKind;
using platform::FileError;

namespace {

QStringList names(const QVector<platform::DirEntry> &entries)
{
    QStringList out;
    for (const platform::DirEntry &e : entries)
        out << e.name;
    return out;
}

const platform::DirEntry *findEntry(const QVector<platform::DirEntry> &entries, const QString &name)
{
    for (const platform::DirEntry &e : entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    if (::stat(platform::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 07777;
}

// Limits the size of files this process may write, so that a write fails part-way even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    struct rlimit m_old;
    void (*m_oldHandler)(int);
};

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

private:
    QString path(const QTemporaryDir &dir, const QString &name) { return dir.path() + u'/' + name; }

private slots:
    void statPathKinds()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = path(dir, QStringLiteral("f.bin"));
        QVERIFY(writeBytes(file, QByteArray(1000, 'x')));
        QVERIFY(setModified(file, utc(2026, 5, 12, 9, 30, 5)));
        platform::FileStat st;
        FileError err;
        QVERIFY(platform::statPath(file, st, err));
        QCOMPARE(st.kind, EntryKind::File);
        QCOMPARE(st.length, qint64(1000));
        QCOMPARE(st.modified(), utc(2026, 5, 12, 9, 30, 5));
        QVERIFY(!err.isSet());

        QVERIFY(platform::statPath(dir.path(), st, err));
        QCOMPARE(st.kind, EntryKind::Folder);

        QVERIFY(!platform::statPath(path(dir, QStringLiteral("none")), st, err));
        QCOMPARE(st.kind, EntryKind::Missing);
        QCOMPARE(err.number, 53);
        QCOMPARE(err.description, QStringLiteral("File not found"));

        // A file standing where a folder of the path should be.
        QVERIFY(!platform::statPath(file + QStringLiteral("/inner"), st, err));
        QCOMPARE(err.number, 76);

        err.clear();
        QVERIFY(!platform::statPath(QString(), st, err));
        QCOMPARE(err.number, 53);

        QCOMPARE(platform::fileLength(file, err), qint64(1000));
        QCOMPARE(platform::lastModified(file, err), utc(2026, 5, 12, 9, 30, 5));
        QCOMPARE(platform::fileLength(path(dir, QStringLiteral("none")), err), qint64(-1));
        QVERIFY(!platform::lastModified(path(dir, QStringLiteral("none")), err).isValid());
    }

    // A NUL inside a path must not turn into a shorter path that names another file.
    void pathWithNulIsRefused()
    {
        QTemporaryDir dir;
        const QString victim = path(dir, QStringLiteral("a"));
        QVERIFY(writeBytes(victim, "keep"));
        const QString withNul = victim + QChar(0) + QStringLiteral("b");
        FileError err;
        platform::FileStat st;
        QVERIFY(!platform::statPath(withNul, st, err));
        QCOMPARE(err.number, 52);
        QVERIFY(!platform::fileExists(withNul));
        err.clear();
        QVERIFY(!platform::deleteFile(withNul, err));
        QCOMPARE(err.number, 52);
        QCOMPARE(readBytes(victim), QByteArray("keep"));
        err.clear();
        QVERIFY(!platform::writeFileAtomically(withNul, "new", err));
        QCOMPARE(readBytes(victim), QByteArray("keep"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a")});
        platform::BinaryReader reader;
        err.clear();
        QVERIFY(!reader.open(withNul, err));
        QCOMPARE(err.number, 52);
    }

    void fileAndFolderExists()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("f"));
        const QString sub = path(dir, QStringLiteral("sub"));
        QVERIFY(writeBytes(file, "x"));
        QVERIFY(QDir().mkdir(sub));
        QVERIFY(makeSymlink(file, path(dir, QStringLiteral("to-file"))));
        QVERIFY(makeSymlink(sub, path(dir, QStringLiteral("to-sub"))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("gone")), path(dir, QStringLiteral("dangling"))));
        QVERIFY(makeFifo(path(dir, QStringLiteral("fifo"))));

        QVERIFY(platform::fileExists(file));
        QVERIFY(platform::fileExists(path(dir, QStringLiteral("to-file"))));
        QVERIFY(platform::fileExists(path(dir, QStringLiteral("fifo"))));
        QVERIFY(!platform::fileExists(sub));
        QVERIFY(!platform::fileExists(path(dir, QStringLiteral("to-sub"))));
        QVERIFY(!platform::fileExists(path(dir, QStringLiteral("dangling"))));
        QVERIFY(!platform::fileExists(path(dir, QStringLiteral("none"))));
        QVERIFY(!platform::fileExists(QString()));

        QVERIFY(platform::folderExists(sub));
        QVERIFY(platform::folderExists(sub + u'/'));
        QVERIFY(platform::folderExists(QStringLiteral("  ") + sub + QStringLiteral("  ")));
        QVERIFY(platform::folderExists(path(dir, QStringLiteral("to-sub"))));
        QVERIFY(platform::folderExists(QStringLiteral("/")));
        QVERIFY(!platform::folderExists(file));
        QVERIFY(!platform::folderExists(QStringLiteral(" ") + file));
        QVERIFY(!platform::folderExists(path(dir, QStringLiteral("none"))));
        QVERIFY(!platform::folderExists(QString()));
        QVERIFY(!platform::folderExists(QStringLiteral("   ")));
    }

    void listFolderOrderAndKinds()
    {
        QTemporaryDir dir;
        for (const char *name : {"b", "A", "a", "B"})
            QVERIFY(writeBytes(path(dir, QString::fromLatin1(name)), QByteArray(name)));
        QVERIFY(writeBytes(path(dir, QStringLiteral("big")), QByteArray(70000, 'z')));
        for (const char *name : {"sub", "Sub", "alpha"})
            QVERIFY(QDir().mkdir(path(dir, QString::fromLatin1(name))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("alpha")), path(dir, QStringLiteral("link-to-folder"))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("big")), path(dir, QStringLiteral("link-to-file"))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("nowhere")), path(dir, QStringLiteral("dangling"))));
        QVERIFY(makeFifo(path(dir, QStringLiteral("pipe"))));
        QVERIFY(writeBytes(path(dir, QStringLiteral("sub/inner")), "not listed"));

        platform::FolderListing listing;
        FileError err;
        QVERIFY(platform::listFolder(dir.path(), listing, err));
        QVERIFY(!err.isSet());
        QCOMPARE(names(listing.files),
                 (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("b"),
                              QStringLiteral("big"), QStringLiteral("link-to-file"), QStringLiteral("pipe")}));
        QCOMPARE(names(listing.subfolders),
                 (QStringList{QStringLiteral("alpha"), QStringLiteral("link-to-folder"), QStringLiteral("Sub"),
                              QStringLiteral("sub")}));

        const platform::DirEntry *big = findEntry(listing.files, QStringLiteral("big"));
        QVERIFY(big);
        QCOMPARE(big->stat.kind, EntryKind::File);
        QCOMPARE(big->stat.length, qint64(70000));
        const platform::DirEntry *link = findEntry(listing.files, QStringLiteral("link-to-file"));
        QVERIFY(link);
        QCOMPARE(link->stat.kind, EntryKind::File);
        QCOMPARE(link->stat.length, qint64(70000));
        const platform::DirEntry *pipe = findEntry(listing.files, QStringLiteral("pipe"));
        QVERIFY(pipe);
        QCOMPARE(pipe->stat.kind, EntryKind::Special);
        QCOMPARE(findEntry(listing.subfolders, QStringLiteral("link-to-folder"))->stat.kind, EntryKind::Folder);

        // With a trailing separator the listing is the same.
        platform::FolderListing again;
        QVERIFY(platform::listFolder(dir.path() + u'/', again, err));
        QCOMPARE(names(again.files), names(listing.files));
        QCOMPARE(names(again.subfolders), names(listing.subfolders));
    }

    // A folder with only dangling links and an empty folder both list cleanly as empty.
    void listFolderWithOnlySkippedEntries()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 3; ++i)
            QVERIFY(makeSymlink(path(dir, QStringLiteral("gone%1").arg(i)), path(dir, QStringLiteral("d%1").arg(i))));
        platform::FolderListing listing;
        FileError err;
        QVERIFY(platform::listFolder(dir.path(), listing, err));
        QVERIFY(listing.files.isEmpty());
        QVERIFY(listing.subfolders.isEmpty());

        QTemporaryDir empty;
        QVERIFY(platform::listFolder(empty.path(), listing, err));
        QVERIFY(listing.files.isEmpty() && listing.subfolders.isEmpty());
        QCOMPARE(platform::subfolderCount(empty.path(), err), 0);
    }

    void listFolderErrors()
    {
        QTemporaryDir dir;
        platform::FolderListing listing;
        FileError err;
        QVERIFY(!platform::listFolder(path(dir, QStringLiteral("none")), listing, err));
        QCOMPARE(err.number, 76);
        QCOMPARE(err.description, QStringLiteral("Path not found"));
        const QString file = path(dir, QStringLiteral("f"));
        QVERIFY(writeBytes(file, "x"));
        err.clear();
        QVERIFY(!platform::listFolder(file, listing, err));
        QCOMPARE(err.number, 76);
        QCOMPARE(platform::subfolderCount(path(dir, QStringLiteral("none")), err), -1);
        QCOMPARE(err.number, 76);
        err.clear();
        QCOMPARE(platform::subfolderCount(QString(), err), -1);
        QCOMPARE(err.number, 76);
    }

    // A name that is not UTF-8 is listed, and the listed name opens the same file.
    void nonUtf8NamesRoundTrip()
    {
        QTemporaryDir dir;
        const QByteArray raw[] = {QByteArray("caf\xE9.txt"), QByteArray("\xFF\xFE"), QByteArray("ok-\xC3\xA9")};
        for (const QByteArray &name : raw) {
            const QByteArray full = QFile::encodeName(dir.path()) + '/' + name;
            const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY(fd >= 0);
            QCOMPARE(::write(fd, name.constData(), size_t(name.size())), ssize_t(name.size()));
            ::close(fd);
        }
        platform::FolderListing listing;
        FileError err;
        QVERIFY(platform::listFolder(dir.path(), listing, err));
        QCOMPARE(listing.files.size(), 3);
        for (const platform::DirEntry &e : listing.files) {
            const QByteArray name = platform::encodeName(e.name);
            QVERIFY(std::find(std::begin(raw), std::end(raw), name) != std::end(raw));
            const QString full = dir.path() + u'/' + e.name;
            platform::BinaryReader reader;
            QVERIFY(reader.open(full, err));
            char buffer[32];
            const qint64 n = reader.read(buffer, sizeof buffer, err);
            QCOMPARE(QByteArray(buffer, qsizetype(n)), name);
            QCOMPARE(e.stat.length, qint64(name.size()));
            QVERIFY(platform::fileExists(full));
        }
        QVERIFY(findEntry(listing.files, QStringLiteral("ok-\u00E9")));
    }

    void subfolderCountCountsLinksToFolders()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkdir(path(dir, QStringLiteral("one"))));
        QVERIFY(QDir().mkdir(path(dir, QStringLiteral("two"))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("one")), path(dir, QStringLiteral("link"))));
        QVERIFY(makeSymlink(path(dir, QStringLiteral("nowhere")), path(dir, QStringLiteral("dangling"))));
        QVERIFY(writeBytes(path(dir, QStringLiteral("file")), "x"));
        QVERIFY(makeFifo(path(dir, QStringLiteral("pipe"))));
        QVERIFY(QDir().mkdir(path(dir, QStringLiteral("one/nested"))));
        FileError err;
        QCOMPARE(platform::subfolderCount(dir.path(), err), 3);
        QCOMPARE(platform::subfolderCount(path(dir, QStringLiteral("one")), err), 1);
    }

    void readWholeTextFile()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("t.txt"));
        QVERIFY(writeBytes(file, "first\r\nsecond \xC3\xA9\r\n\xE9nd"));
        QString text;
        FileError err;
        QVERIFY(platform::readWholeTextFile(file, text, err));
        QCOMPARE(text, QStringLiteral("first\r\nsecond \u00E9\r\n") + QChar(0xDCE9) + QStringLiteral("nd"));
        QCOMPARE(platform::encodeText(text), readBytes(file));

        const QString empty = path(dir, QStringLiteral("empty.txt"));
        QVERIFY(writeBytes(empty, QByteArray()));
        QVERIFY(!platform::readWholeTextFile(empty, text, err));
        QCOMPARE(err.number, 62);
        QCOMPARE(err.description, QStringLiteral("Input past end of file"));
        QVERIFY(text.isEmpty());

        err.clear();
        QVERIFY(!platform::readWholeTextFile(path(dir, QStringLiteral("none")), text, err));
        QCOMPARE(err.number, 53);

        err.clear();
        QVERIFY(!platform::readWholeTextFile(dir.path(), text, err));
        QCOMPARE(err.number, 75);

        // Nobody writes to this FIFO: if it were opened for reading the test would hang until the
        // runner's timeout, never pass.
        const QString fifo = path(dir, QStringLiteral("fifo"));
        QVERIFY(makeFifo(fifo));
        err.clear();
        QVERIFY(!platform::readWholeTextFile(fifo, text, err));
        QCOMPARE(err.number, int(platform::ErrNotRegularFile));

        QByteArray bytes;
        err.clear();
        QVERIFY(platform::readWholeFile(empty, bytes, err));
        QVERIFY(bytes.isEmpty());
        const QByteArray big = randomBytes(200000, 7);
        QVERIFY(writeBytes(file, big));
        QVERIFY(platform::readWholeFile(file, bytes, err));
        QCOMPARE(bytes, big);
    }

    void textFileWriterWritesExactBytes()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("out.txt"));
        QVERIFY(writeBytes(file, QByteArray(100, 'o'))); // longer than what follows: must be truncated
        platform::TextFileWriter writer;
        FileError err;
        QVERIFY(writer.open(file, err));
        QVERIFY(writer.isOpen());
        QVERIFY(writer.write(QStringLiteral("caf\u00E9\r\n"), err));
        QVERIFY(writer.write(QString(), err));
        QVERIFY(writer.write(QStringLiteral("name ") + QChar(0xDCE9) + QStringLiteral("\r\nno break"), err));
        QVERIFY(writer.close(err));
        QVERIFY(!writer.isOpen());
        QCOMPARE(readBytes(file), QByteArray("caf\xC3\xA9\r\nname \xE9\r\nno break"));

        // More than the writer buffers at once.
        QString longText;
        for (int i = 0; i < 20000; ++i)
            longText += QStringLiteral("line %1\r\n").arg(i);
        QVERIFY(writer.open(file, err));
        QVERIFY(writer.write(longText, err));
        QVERIFY(writer.write(QStringLiteral("end"), err));
        QVERIFY(writer.close(err));
        QCOMPARE(readBytes(file), platform::encodeText(longText + QStringLiteral("end")));

        // Closing twice, and the destructor after a close, are harmless.
        QVERIFY(writer.close(err));
        QVERIFY(!writer.write(QStringLiteral("x"), err));
    }

    void textFileWriterErrors()
    {
        QTemporaryDir dir;
        platform::TextFileWriter writer;
        FileError err;
        QVERIFY(!writer.open(path(dir, QStringLiteral("missing/out.txt")), err));
        QVERIFY(err.number > 0);
        err.clear();
        QVERIFY(!writer.open(dir.path(), err));
        QCOMPARE(err.number, 75);

        // A FIFO without a reader must not hold the writer forever.
        const QString fifo = path(dir, QStringLiteral("fifo"));
        QVERIFY(makeFifo(fifo));
        err.clear();
        QVERIFY(!writer.open(fifo, err));
        QVERIFY(err.number > 0);

        // Data that cannot all be written is reported at close, not lost silently.
        const QString file = path(dir, QStringLiteral("limited.txt"));
        {
            FileSizeLimit limit(1000);
            err.clear();
            QVERIFY(writer.open(file, err));
            bool ok = writer.write(QString(5000, u'x'), err);
            ok = writer.close(err) && ok;
            QVERIFY(!ok);
            QCOMPARE(err.number, 61);
        }
    }

    void writeFileAtomicallyReplacesContent()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("state.usr"));
        QVERIFY(writeBytes(file, "old content that is longer"));
        QVERIFY(::chmod(platform::encodeName(file).constData(), 0640) == 0);
        FileError err;
        QVERIFY(platform::writeFileAtomically(file, "new\r\n", err));
        QCOMPARE(readBytes(file), QByteArray("new\r\n"));
        QCOMPARE(modeOf(file), mode_t(0640));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("state.usr")});

        const mode_t oldMask = ::umask(022);
        const QString fresh = path(dir, QStringLiteral("fresh"));
        QVERIFY(platform::writeFileAtomically(fresh, QByteArray(), err));
        ::umask(oldMask);
        QCOMPARE(readBytes(fresh), QByteArray());
        QCOMPARE(modeOf(fresh), mode_t(0644));
    }

    void writeFileAtomicallyFailureKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("state.usr"));
        QVERIFY(writeBytes(file, "old"));
        FileError err;
        {
            FileSizeLimit limit(100);
            QVERIFY(!platform::writeFileAtomically(file, QByteArray(5000, 'n'), err));
        }
        QCOMPARE(err.number, 61);
        QCOMPARE(readBytes(file), QByteArray("old"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("state.usr")});

        err.clear();
        QVERIFY(!platform::writeFileAtomically(path(dir, QStringLiteral("missing/state.usr")), "x", err));
        QVERIFY(err.number > 0);
        // A folder in the way cannot be replaced; nothing is left behind.
        QVERIFY(QDir().mkdir(path(dir, QStringLiteral("folder"))));
        err.clear();
        QVERIFY(!platform::writeFileAtomically(path(dir, QStringLiteral("folder")), "x", err));
        QVERIFY(err.number > 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{QStringLiteral("folder"), QStringLiteral("state.usr")}));
        err.clear();
        QVERIFY(!platform::writeFileAtomically(QString(), "x", err));
        QVERIFY(err.number > 0);
    }

    void createAndDelete()
    {
        QTemporaryDir dir;
        const QString sub = path(dir, QStringLiteral("new"));
        FileError err;
        QVERIFY(platform::createFolder(sub, err));
        QVERIFY(platform::folderExists(sub));
        QVERIFY(!platform::createFolder(sub, err));
        QCOMPARE(err.number, 58);
        err.clear();
        QVERIFY(!platform::createFolder(path(dir, QStringLiteral("a/b")), err));
        QCOMPARE(err.number, 53);

        const QString file = path(dir, QStringLiteral("f"));
        QVERIFY(writeBytes(file, "x"));
        QVERIFY(::chmod(platform::encodeName(file).constData(), 0444) == 0);
        err.clear();
        QVERIFY(platform::clearFileAttributes(file, err));
        QVERIFY(modeOf(file) & S_IWUSR);
        QVERIFY(platform::deleteFile(file, err));
        QVERIFY(!platform::fileExists(file));
        QVERIFY(!platform::deleteFile(file, err));
        QCOMPARE(err.number, 53);
        err.clear();
        QVERIFY(!platform::deleteFile(sub, err));
        QCOMPARE(err.number, 75);
        QVERIFY(platform::folderExists(sub));
    }

    void binaryReaderReadsFullBlocks()
    {
        QTemporaryDir dir;
        const QString file = path(dir, QStringLiteral("data"));
        const QByteArray data = randomBytes(40000, 3);
        QVERIFY(writeBytes(file, data));
        platform::BinaryReader reader;
        FileError err;
        QVERIFY(reader.open(file, err));
        QByteArray buffer(16384, 0);
        QByteArray got;
        qint64 n;
        QList<qint64> sizes;
        while ((n = reader.read(buffer.data(), buffer.size(), err)) > 0) {
            sizes << n;
            got.append(buffer.constData(), qsizetype(n));
        }
        QCOMPARE(n, qint64(0));
        QCOMPARE(sizes, (QList<qint64>{16384, 16384, 7232}));
        QCOMPARE(got, data);
        reader.close();
        QVERIFY(!reader.isOpen());

        QVERIFY(!reader.open(dir.path(), err));
        QCOMPARE(err.number, 75);
        const QString fifo = path(dir, QStringLiteral("fifo"));
        QVERIFY(makeFifo(fifo));
        err.clear();
        QVERIFY(!reader.open(fifo, err));
        QCOMPARE(err.number, int(platform::ErrNotRegularFile));
        QVERIFY(!reader.isOpen());
    }

    void dateTimeAndNumbersFollowThePinnedLocale()
    {
        QCOMPARE(platform::dateTimeText(utc(2026, 5, 12, 9, 30, 5)), QStringLiteral("2026-05-12 09:30:05"));
        QCOMPARE(platform::dateTimeText(utc(2026, 12, 31, 23, 59, 59)), QStringLiteral("2026-12-31 23:59:59"));
        // Midnight keeps its time.
        QCOMPARE(platform::dateTimeText(utc(2026, 5, 12, 0, 0, 0)), QStringLiteral("2026-05-12 00:00:00"));
        QCOMPARE(platform::dateTimeText(utc(1999, 1, 2, 3, 4, 5)), QStringLiteral("1999-01-02 03:04:05"));

        QCOMPARE(platform::groupedNumber(0), QStringLiteral("0"));
        QCOMPARE(platform::groupedNumber(999), QStringLiteral("999"));
        QCOMPARE(platform::groupedNumber(1000), QStringLiteral("1,000"));
        QCOMPARE(platform::groupedNumber(1234567), QStringLiteral("1,234,567"));
        QCOMPARE(platform::groupedNumber(Q_INT64_C(3000000000)), QStringLiteral("3,000,000,000"));
        QCOMPARE(platform::groupedNumber(-1234), QStringLiteral("-1,234"));

        QCOMPARE(platform::groupedDecimal2(0.0), QStringLiteral("0.00"));
        QCOMPARE(platform::groupedDecimal2(1234567 / 1024.0), QStringLiteral("1,205.63"));
        QCOMPARE(platform::groupedDecimal2(1.0 / 1024.0), QStringLiteral("0.00"));
        QCOMPARE(platform::groupedDecimal2(2147483651.0 / 1024.0), QStringLiteral("2,097,152.00"));
    }

    void programAndUserFolders()
    {
        QCOMPARE(platform::programFolder(), QCoreApplication::applicationDirPath());
        // The test entry point points HOME and XDG_CONFIG_HOME at a temporary folder.
        QCOMPARE(platform::homeFolder(), QString::fromLocal8Bit(qgetenv("HOME")));
        QCOMPARE(platform::appDataFolder(), QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));

        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        // A relative value is to be ignored.
        qputenv("XDG_CONFIG_HOME", "relative/config");
        QCOMPARE(platform::appDataFolder(), platform::homeFolder() + QStringLiteral("/.config"));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(platform::appDataFolder(), platform::homeFolder() + QStringLiteral("/.config"));
        qputenv("XDG_CONFIG_HOME", saved);
    }
};

CHEQORA_TEST_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
