#include "fakeuiservices.h"
#include "filefixtures.h"
#include "filesystem.h"
#include "testmain.h"
#include "textcatalogue.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;
using namespace cheqora::test;
using platform::EntryKind;
using platform::FileError;
using namespace platform;

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

// What a start-up from folder shows: "" when the catalogue loads, else the text of its one critical box.
QString startUp(const QString &folder)
{
    cheqora::test::FakeUiServices fake;
    const bool loaded = loadProgramText(u"chqr.dat"_s, folder);
    const auto box = fake.boxes.value(0);
    if (loaded != fake.boxes.isEmpty() || fake.boxes.size() > 1
        || (!loaded && (box.icon != MsgIcon::Critical || box.buttons != MsgButtons::Ok || !box.title.isEmpty())))
        return u"not one critical OK box without title, or a box after loading"_s;
    return box.text;
}

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

    // Files A a B b big and one whose name is not UTF-8, folders alpha Sub sub, links to a file, to a
    // folder and to nothing, and a FIFO nobody writes to (a test that opened it for reading would hang).
    QTemporaryDir m_dir;

    const QString kLatin1Name = platform::decodeName("caf\xE9");

    QString path(const QString &name) const { return m_dir.path() + u'/' + name; }

    QTemporaryDir m_catalogueDir;
    QString write(const QByteArray &content)
    {
        QFile file(m_catalogueDir.filePath(u"chqr.dat"_s));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
            qFatal("cannot write the catalogue");
        return file.fileName();
    }

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
        QCOMPARE(platform::hasSubfolder(m_dir.path(), err) * 10 + platform::hasSubfolder(path(u"alpha/nested"_s), err), 10);
        for (const QString &p : {path(u"none"_s), path(u"big"_s), QString()}) {
            QVERIFY(!platform::listFolder(p, listing, err));
            QCOMPARE(err.description, u"Path not found"_s);
            err.clear();
            QCOMPARE(platform::hasSubfolder(p, err), -1);
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
        QVERIFY(platform::isLockedByAnother(file)); // what the window's start-up check leaves alone
        QVERIFY(writer.write(u"caf\u00E9\r\nname \xDCE9\r\n"_s, err) && writer.write(longText, err));
        QVERIFY(writer.close(err));
        QVERIFY(!platform::isLockedByAnother(file));
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
        QCOMPARE(err.description, u"writing "_s + file + u": File too large"_s);

        // What cannot take the file's place says why, and leaves no temporary file behind.
        QTemporaryDir other;
        platform::AtomicTextFileWriter atomic;
        QVERIFY(QDir().mkpath(other.path() + u"/folder/x"_s));
        QVERIFY(atomic.open(other.path() + u"/folder"_s, err) && atomic.write(u"list"_s, err) && !atomic.commit(err));
        QCOMPARE(err.description, u"writing "_s + other.path() + u"/folder: Is a directory"_s);
        QCOMPARE(QDir(other.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"folder"_s});
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

    // The catalogue of program texts, and what start-up shows when it cannot be loaded.
    void loadsTextsAsWritten()
    {
        const QString longest(toolbelt::kMaxTextLength, u'x');
        QCOMPARE(toolbelt::loadCatalogue(write("\xEF\xBB\xBF# comment\r\n\r\n14=https://www.vantorel.example/\r\n   # indented\n"
                                     "34 = leading blank kept  \n55=\xC3\x84hnlich = gleich\n7=~\n9=" + longest.toLatin1() + '\n'), 0), 5);
        // The full buffer length is served whole; "~" marks a number without text, as is an unknown one.
        QCOMPARE(QStringList({uiText(14), uiText(34), uiText(55), uiText(9), uiText(7) + uiText(8)}),
                 QStringList({u"https://www.vantorel.example/"_s, u" leading blank kept  "_s, u"\u00C4hnlich = gleich"_s,
                              longest, QString()}));
        // A smaller buffer cuts the text; only language 0 exists.
        QChar buffer[4];
        QCOMPARE(toolbelt::catalogueText(55, 0, buffer, 4, 1), 4);
        QCOMPARE(QString(buffer, 4), u"\u00C4hnl"_s);
        QCOMPARE(toolbelt::catalogueText(55, 1, buffer, 4, 1), 0);
        // A failed load leaves no stale texts behind.
        QVERIFY(toolbelt::loadCatalogue(write("5=five\n5=again\n"), 0) < 1);
        QCOMPARE(uiText(14), QString());
    }

    // Each result the loader can give, at the edges of its limits, with what the start-up shows.
    void loadResultsAndMessages_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("message");
        const auto texts = [](int count) {
            QByteArray out;
            for (int i = 1; i <= count; ++i)
                out += QByteArray::number(i) + "=text\n";
            return out;
        };
        const QByteArray tooLong = "1=a\n2=" + QByteArray(toolbelt::kMaxTextLength + 1, 'y') + '\n';
        QTest::newRow("most texts") << texts(toolbelt::kMaxTexts) << toolbelt::kMaxTexts << QString();
        QTest::newRow("most lines") << QByteArray(toolbelt::kMaxLines - 1, '\n') + "1=a\n" << 1 << QString();
        QTest::newRow("empty file") << QByteArray() << -6 << u"File is empty."_s;
        QTest::newRow("comments only") << QByteArray("# nothing\n\n") << 0 << u"No program text was read."_s;
        QTest::newRow("number without text") << QByteArray("1=a\n# c\n2\n") << -503 << u"Missing string at line 3."_s;
        QTest::newRow("number and =") << QByteArray("1=\n") << -501 << u"Missing string at line 1."_s;
        QTest::newRow("text too long") << tooLong << -1002 << u"String too long at line 2."_s;
        QTest::newRow("duplicate") << QByteArray("5=a\n\n# c\n5=b\n") << -1504 << u"Duplicate in program text at line 4."_s;
        QTest::newRow("too many texts") << texts(toolbelt::kMaxTexts + 1) << -3 << u"Too much program text."_s;
        QTest::newRow("too many lines") << QByteArray(toolbelt::kMaxLines, '\n') + "1=a\n" << -3 << u"Too much program text."_s;
        QTest::newRow("line without number") << QByteArray("1=a\nhello\n") << -9 << u"Error -9"_s;
        QTest::newRow("number too large") << QByteArray("32768=a\n") << -10 << u"Error -10"_s;
    }

    void loadResultsAndMessages()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, result);
        QFETCH(QString, message);
        QCOMPARE(toolbelt::loadCatalogue(write(content), 0), result);
        QCOMPARE(startUp(m_catalogueDir.path()), message.isEmpty() ? message : m_catalogueDir.filePath(u"chqr.dat: "_s) + message);
    }

    void missingAndUnreadableFiles()
    {
        QTemporaryDir dir;
        // A folder given with its trailing separator gets no second one.
        QCOMPARE(startUp(dir.path() + u'/'), u"Cannot open file containing program text.\r\n"_s + dir.path() + u"/chqr.dat"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"chqr.dat"_s));
        QCOMPARE(toolbelt::loadCatalogue(dir.filePath(u"chqr.dat"_s), 0), int(toolbelt::LtReadError));
        QCOMPARE(startUp(dir.path()), dir.filePath(u"chqr.dat: Error reading file."_s));
        // A catalogue over 1 MiB is refused before it is read (the file is sparse: no disk space).
        QVERIFY(QDir(dir.path()).rmdir(u"chqr.dat"_s));
        QFile big(dir.filePath(u"chqr.dat"_s));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.write("1=a\n") == 4 && big.resize((qint64(1) << 30)));
        big.close();
        QCOMPARE(startUp(dir.path()), dir.filePath(u"chqr.dat: Too much program text."_s));
    }

    // The catalogue that ships beside the program holds every text the windows use.
    void shippedCatalogueHoldsTheWindowsTexts()
    {
        QCOMPARE(startUp(QStringLiteral(CHEQORA_BIN_DIR)), QString());
        for (int n : {14, 34, 46, 47, 48, 49, 50, 51, 55, 56, 76})
            QVERIFY2(!uiText(n).isEmpty(), qPrintable(QString::number(n)));
        QVERIFY(uiText(55) != uiText(56) && uiText(14).startsWith(u"https://"_s) && uiText(14).contains(u".example/"_s));
    }
};

CHEQORA_TEST_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
