#include "filefixtures.h"
#include "filesystem.h"
#include "testmain.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora::test;
using platform::EntryKind;
using platform::FileError;

namespace {

// One "name kind length" per entry, e.g. "big F 70000"; folders show no length.
QStringList describe(const QVector<platform::DirEntry> &entries)
{
    QStringList out;
    for (const platform::DirEntry &e : entries) {
        const char kind = "MFDS"[int(e.stat.kind)];
        out << e.name + u' ' + QChar::fromLatin1(kind) + u' ' + QString::number(kind == 'D' ? 0 : e.stat.length);
    }
    return out;
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(platform::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Limits the size of files this process may write, so that a write fails part-way even for root.
struct FileSizeLimit {
    struct rlimit old;
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old);
        const struct rlimit limit = {bytes, old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old); }
};

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

    // Files A a B b big and one whose name is not UTF-8, folders alpha Sub sub, links to a file, to a
    // folder and to nothing, and a FIFO nobody writes to (a test that opened it for reading would hang).
    QTemporaryDir m_dir;

    const QString kLatin1Name = platform::decodeName("caf\xE9");

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

private slots:
    void initTestCase()
    {
        for (const QString &name : {u"b"_s, u"A"_s, u"a"_s, u"B"_s})
            QVERIFY(writeBytes(path(name), name.toLatin1()));
        QVERIFY(writeBytes(path(u"big"_s), QByteArray(70000, 'z')) && writeBytes(path(kLatin1Name), "caf\xE9"));
        for (const QString &name : {u"sub"_s, u"Sub"_s, u"alpha"_s, u"alpha/nested"_s})
            QVERIFY(QDir().mkdir(path(name)));
        QVERIFY(writeBytes(path(u"sub/inner"_s), "not listed"));
        QVERIFY(makeSymlink(path(u"alpha"_s), path(u"link-to-folder"_s)) && makeSymlink(path(u"big"_s), path(u"link-to-file"_s)));
        QVERIFY(makeSymlink(path(u"nowhere"_s), path(u"dangling"_s)) && makeFifo(path(u"pipe"_s)));
        QVERIFY(makeSymlink(path(u"nowhere"_s), path(u"alpha/nested/dangling"_s)));
    }

    // QTemporaryDir cannot remove a name that is not UTF-8; the file layer can.
    void cleanupTestCase()
    {
        FileError err;
        QVERIFY(platform::deleteFile(path(kLatin1Name), err));
    }

    // The file layer's error numbers: errno -> number -> the text users have always seen for it.
    void errorNumbersAndTexts()
    {
        const struct {
            int errnoValue, number; // errno 0: a number of the layer's own
            QString text;
        } cases[] = {
            {ENOENT, 53, u"File not found"_s},           {ENOTDIR, 76, u"Path not found"_s},
            {EACCES, 70, u"Permission denied"_s},        {EIO, 57, u"Device I/O error"_s},
            {ENXIO, 57, u"Device I/O error"_s},          {ENOSPC, 61, u"Disk full"_s},
            {EFBIG, 61, u"Disk full"_s},                 {EISDIR, 75, u"Path/File access error"_s},
            {ENAMETOOLONG, 52, u"Bad file name or number"_s}, {0, 62, u"Input past end of file"_s},
            {0, 1003, u"Interrupted"_s},                 {0, 4242, u"Error 4242"_s},
        };
        for (const auto &c : cases) {
            platform::FileError err;
            c.errnoValue ? platform::setFromErrno(err, c.errnoValue) : err.set(c.number);
            QCOMPARE(err.number, c.number);
            QCOMPARE(err.description, c.text);
        }
    }

    // A NUL inside a path must not turn into a shorter path that names another file.
    void pathWithNulIsRefused()
    {
        QTemporaryDir dir;
        const QString victim = dir.path() + u"/a"_s;
        QVERIFY(writeBytes(victim, "keep"));
        const QString withNul = victim + QChar(0) + u"b"_s;
        FileError err;
        platform::FileStat st;
        platform::BinaryReader reader;
        QVERIFY(!platform::statPath(withNul, st, err) && !platform::fileExists(withNul));
        QCOMPARE(err.number, 52);
        QVERIFY(!platform::deleteFile(withNul, err) && !platform::writeFileAtomically(withNul, "new", err));
        QVERIFY(!reader.open(withNul, err));
        QCOMPARE(err.number, 52);
        QCOMPARE(readBytes(victim), QByteArray("keep"));
        QCOMPARE(entriesOf(dir.path()), QStringList{u"a"_s});
    }

    // Sorted by folded, then exact name; links follow their targets; dangling links are left out.
    void listFolder()
    {
        for (const QString &dir : {m_dir.path(), m_dir.path() + u'/'}) {
            platform::FolderListing listing;
            FileError err;
            QVERIFY(platform::listFolder(dir, listing, err));
            QCOMPARE(describe(listing.files), (QStringList{u"A F 1"_s, u"a F 1"_s, u"B F 1"_s, u"b F 1"_s, u"big F 70000"_s,
                                                           kLatin1Name + u" F 4"_s, u"link-to-file F 70000"_s, u"pipe S 0"_s}));
            QCOMPARE(describe(listing.subfolders),
                     (QStringList{u"alpha D 0"_s, u"link-to-folder D 0"_s, u"Sub D 0"_s, u"sub D 0"_s}));
            // The listed name that is not UTF-8 opens the same file.
            QByteArray bytes;
            QVERIFY(platform::readWholeFile(dir + u'/' + listing.files.at(5).name, bytes, err) && bytes == "caf\xE9");
        }
        // Links and FIFOs count as what they lead to; blanks around a folder do not hide it. "file folder":
        const QStringList paths{path(u"link-to-file"_s), path(u"pipe"_s), path(u"alpha/"_s), path(u"link-to-folder"_s),
                                u"  "_s + path(u"alpha  "_s), path(u"dangling"_s), u" "_s + path(u"big"_s), QString(), u" "_s};
        QString seen;
        for (const QString &p : paths)
            seen += QString::number(platform::fileExists(p)) + QString::number(platform::folderExists(p)) + u' ';
        QCOMPARE(seen, u"10 10 01 01 01 00 00 00 00 "_s);
        platform::FolderListing listing;
        FileError err;
        QVERIFY(platform::listFolder(path(u"alpha/nested"_s), listing, err));
        QVERIFY(listing.files.isEmpty() && listing.subfolders.isEmpty() && !err.isSet());
        QCOMPARE(platform::subfolderCount(m_dir.path(), err), 4);
        for (const QString &p : {path(u"none"_s), path(u"big"_s), QString()}) {
            QVERIFY(!platform::listFolder(p, listing, err));
            QCOMPARE(err.description, u"Path not found"_s);
            err.clear();
            QCOMPARE(platform::subfolderCount(p, err), -1);
            QCOMPARE(err.number, 76);
        }
    }

    void readWholeFiles()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + u"/t.txt"_s;
        QVERIFY(writeBytes(file, "first\r\nsecond \xC3\xA9\r\n\xE9nd"));
        QString text;
        FileError err;
        QVERIFY(platform::readWholeTextFile(file, text, err));
        QCOMPARE(text, u"first\r\nsecond \u00E9\r\n\xDCE9nd"_s);
        const QByteArray big = randomBytes(200000, 7);
        QByteArray bytes;
        QVERIFY(writeBytes(file, big) && platform::readWholeFile(file, bytes, err));
        QCOMPARE(bytes, big);
        QVERIFY(writeBytes(file, QByteArray()) && platform::readWholeFile(file, bytes, err) && bytes.isEmpty());
        const QList<std::pair<QString, int>> failures{
            {file, 62}, {path(u"none"_s), 53}, {path(u"none/x"_s), 76}, {dir.path(), 75}, {path(u"pipe"_s), platform::ErrNotRegularFile}};
        for (const auto &[p, number] : failures) {
            text = u"stale"_s;
            QVERIFY(!platform::readWholeTextFile(p, text, err));
            QCOMPARE(err.number, number);
            QVERIFY(text.isEmpty());
        }
    }

    void textFileWriter()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + u"/out.txt"_s;
        QVERIFY(writeBytes(file, QByteArray(100, 'o'))); // longer than what follows: must be truncated
        QString longText; // more than the writer buffers at once
        for (int i = 0; i < 20000; ++i)
            longText += u"line %1\r\n"_s.arg(i);
        platform::TextFileWriter writer;
        FileError err;
        QVERIFY(writer.open(file, err));
        QVERIFY(writer.write(u"caf\u00E9\r\nname \xDCE9\r\n"_s, err) && writer.write(longText, err));
        QVERIFY(writer.close(err));
        QCOMPARE(readBytes(file), "caf\xC3\xA9\r\nname \xE9\r\n" + platform::encodeText(longText));

        QVERIFY(!writer.open(path(u"pipe"_s), err)); // no reader: must not wait for one
        QCOMPARE(err.number, 57);
        // Data that cannot all be written is reported at close, not lost silently.
        FileSizeLimit limit(1000);
        QVERIFY(writer.open(file, err));
        err.clear();
        const bool written = writer.write(QString(5000, u'x'), err);
        QVERIFY(!(writer.close(err) && written));
        QCOMPARE(err.number, 61);
    }

    // The target holds the old or the new content, keeps its permissions, and no temporary is left.
    void writeFileAtomically()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + u"/state.usr"_s;
        QVERIFY(writeBytes(file, "old content that is longer"));
        QVERIFY(::chmod(platform::encodeName(file).constData(), 0640) == 0);
        FileError err;
        QVERIFY(platform::writeFileAtomically(file, "new\r\n", err));
        QCOMPARE(modeOf(file), mode_t(0640));
        const mode_t oldMask = ::umask(022);
        QVERIFY(platform::writeFileAtomically(dir.path() + u"/fresh"_s, QByteArray(), err));
        ::umask(oldMask);
        QCOMPARE(modeOf(dir.path() + u"/fresh"_s), mode_t(0644));
        QVERIFY(QDir().mkdir(dir.path() + u"/folder"_s));
        {
            FileSizeLimit limit(100);
            QVERIFY(!platform::writeFileAtomically(file, QByteArray(5000, 'n'), err));
            QCOMPARE(err.number, 61);
        }
        err.clear();
        QVERIFY(!platform::writeFileAtomically(dir.path() + u"/folder"_s, "x", err) && err.isSet());
        QCOMPARE(readBytes(file), QByteArray("new\r\n"));
        QCOMPARE(entriesOf(dir.path()), (QStringList{u"folder"_s, u"fresh"_s, u"state.usr"_s}));
    }

    void createAndDelete()
    {
        QTemporaryDir dir;
        const QString sub = dir.path() + u"/new"_s, file = dir.path() + u"/f"_s;
        FileError err;
        QVERIFY(platform::createFolder(sub, err) && !platform::createFolder(sub, err));
        QVERIFY(writeBytes(file, "x") && ::chmod(platform::encodeName(file).constData(), 0444) == 0);
        QVERIFY(platform::clearFileAttributes(file, err) && (modeOf(file) & S_IWUSR));
        QVERIFY(platform::deleteFile(file, err) && !platform::fileExists(file) && !platform::deleteFile(file, err));
        QCOMPARE(err.number, 53);
        // A folder is never deleted as a file.
        QVERIFY(!platform::deleteFile(sub, err) && platform::folderExists(sub));
        QCOMPARE(err.number, 75);
    }

    void appDataFolder()
    {
        // The test entry point points XDG_CONFIG_HOME at a temporary folder.
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        QCOMPARE(platform::appDataFolder(), QString::fromLocal8Bit(saved));
        qputenv("XDG_CONFIG_HOME", "relative/config"); // to be ignored
        QCOMPARE(platform::appDataFolder(), platform::homeFolder() + u"/.config"_s);
        qputenv("XDG_CONFIG_HOME", saved);
    }

    // The codec of file names.
    // Valid UTF-8 decodes as UTF-8; anything else is escaped byte by byte; both encode back unchanged.
    void decodeAndEncodeBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // Each byte that is not valid UTF-8 decodes to U+DC00 + byte.
        const auto esc = [](const QByteArray &bytes) {
            QString out;
            for (char b : bytes)
                out += QChar(char16_t(0xDC00 + uchar(b)));
            return out;
        };
        QTest::newRow("four-byte") << QByteArray("a\xF0\x9F\x98\x80z") << u"a\U0001F600z"_s;
        QTest::newRow("edges of the code points") << QByteArray("\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF") << u"\uD7FF\uE000\U0010FFFF"_s;
        QTest::newRow("latin-1 name") << QByteArray("caf\xE9.txt") << u"caf"_s + esc("\xE9") + u".txt"_s;
        QTest::newRow("overlong NUL") << QByteArray("\xC0\x80") << esc("\xC0\x80");
        QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF") << esc("\xE0\x80\xAF");
        QTest::newRow("overlong four-byte") << QByteArray("\xF0\x82\x82\xAC") << esc("\xF0\x82\x82\xAC");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << esc("\xED\xA0\x80");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << esc("\xF4\x90\x80\x80");
        QTest::newRow("truncated before ascii") << QByteArray("\xE2\x82z") << esc("\xE2\x82") + u"z"_s;
        QTest::newRow("valid after invalid") << QByteArray("\xFF\xC3\xA9") << esc("\xFF") + u"\u00E9"_s;
    }

    void decodeAndEncodeBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(platform::decodeName(bytes), text);
        QCOMPARE(platform::encodeName(text), bytes);
    }

    // Whatever a file name holds, decoding and encoding it again gives the same bytes.
    void randomBytesRoundTrip()
    {
        QRandomGenerator gen(20261206);
        for (int i = 0; i < 3000; ++i) {
            QByteArray bytes(gen.bounded(0, 40), Qt::Uninitialized);
            // Mostly high bytes, so that partial and complete multi-byte sequences both occur.
            for (char &c : bytes)
                c = char(gen.bounded(10) < 2 ? gen.bounded(0x20, 0x80) : gen.bounded(0x80, 0x100));
            QVERIFY2(platform::encodeName(platform::decodeName(bytes)) == bytes, bytes.toHex().constData());
        }
    }

    // Surrogates that did not come from the decoder have no bytes of their own: above all, one that
    // looks like an escape of an ASCII byte must not turn into that byte (a "/" or a NUL).
    void loneSurrogatesBecomeReplacementCharacters()
    {
        const QByteArray r("\xEF\xBF\xBD");
        QCOMPARE(platform::encodeName(u"a\xD83D"_s), "a" + r);
        QCOMPARE(platform::encodeName(u"\xD83D" "b"_s), r + "b");
        QCOMPARE(platform::encodeName(u"\xDC2F\xDC00"_s), r + r);
        QCOMPARE(platform::encodeName(u"\xDE00\xD83D"_s), r + r);
    }
};

CHEQORA_TEST_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
