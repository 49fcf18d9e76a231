// Reading digest lists: the parser of their lines and the streaming reader.
#include "digestlist.h"

#include "checksumline.h"
#include "digestlisttext.h"
#include "textcodec.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <utility>

namespace cheqora {

using namespace listtext;

namespace {

const QString kNotADigestLine = QStringLiteral("not a digest line");

// The first error of a list: where it is and what it is.
struct ReadError {
    QString listFile;
    qint64 line = 0; // 0 when the error is not on a line (the file cannot be opened or read)
    QString what;
    // The file is not a list at all: no digest line, or its first line that counts is none.
    bool notAList = false;

    QString text() const;
};

QString ReadError::text() const
{
    if (notAList) {
        const QString where = line == 0 ? QString() : QStringLiteral(" (line %1: %2)").arg(line).arg(what);
        return listFile + QStringLiteral(" is neither a folder nor a digest list") + where + u'.';
    }
    if (line == 0)
        return listFile + QStringLiteral(": ") + what + u'.';
    return listFile + QStringLiteral(", line ") + QString::number(line) + QStringLiteral(": ") + what + u'.';
}

// "an MD5 list", "a SHA-256 list".
QString aList(DigestAlgorithm algorithm)
{
    return (algorithm == DigestAlgorithm::Md5 ? QStringLiteral("an ") : QStringLiteral("a ")) + algorithmTitle(algorithm)
        + QStringLiteral(" list");
}

// The path of an md5sum line as a path below the folder: "./" and doubled "/" go, anything that would
// leave the folder or name no file is refused (what says why). clean is raw itself when nothing went,
// else out.
bool normalisePath(QByteArrayView raw, QByteArray &out, QByteArrayView &clean, QString &what)
{
    if (raw.startsWith('/')) {
        what = QStringLiteral("the path is absolute");
        return false;
    }
    if (raw.contains('\0')) {
        what = kNotADigestLine;
        return false;
    }
    // Checked first; built only when a part goes, which is rare.
    for (const bool build : {false, true}) {
        out.resize(0);
        bool dropped = false;
        for (qsizetype start = 0;;) {
            const qsizetype slash = raw.indexOf('/', start);
            const bool last = slash < 0;
            const QByteArrayView part = raw.sliced(start, (last ? raw.size() : slash) - start);
            if (part == "..") {
                what = QStringLiteral("the path leaves the folder");
                return false;
            }
            if (part.isEmpty() || part == ".") {
                if (last) {
                    what = QStringLiteral("the path names a folder, not a file");
                    return false;
                }
                dropped = true;
            } else if (build) {
                if (!out.isEmpty())
                    out.append('/');
                out.append(part);
            }
            if (last)
                break;
            start = slash + 1;
        }
        if (!dropped || build) {
            clean = dropped ? QByteArrayView(out) : raw;
            return true;
        }
    }
    return false;
}

class Parser {
public:
    Parser(DigestListHeader &header, ReadError &err, const DigestListSink &sink, const DigestAlgorithm *given)
        : m_header(header), m_err(err), m_sink(sink), m_given(given)
    {
        if (given)
            m_header.algorithm = *given;
    }

    // False when the read ends here (an error, or the sink asked to stop).
    bool line(QByteArrayView t, qint64 n)
    {
        if (n == 1 && t.startsWith("\xEF\xBB\xBF"))
            t = t.sliced(3);
        if (t.endsWith('\r'))
            t.chop(1);
        if (t.startsWith(kSignature)) {
            // Anywhere but first, the "#:" lines before it would have been read as comments.
            if (m_sawLine)
                return fail(n, QStringLiteral("the list must begin with its \"#: Cheqora digest list\" line"));
            return signature(t.sliced(kSignature.size()), n);
        }
        const bool blank = t.trimmed().isEmpty();
        if (m_endLine != 0 && !blank)
            return fail(n, QStringLiteral("the list goes on after its \"#: entries\" line"));
        m_sawLine = m_sawLine || !blank;
        if (m_pendingLine != 0 && (blank || t.front() == '#'))
            return fail(m_pendingLine, QStringLiteral("a \"#: file\" line must be followed by its digest line"));
        if (blank)
            return true;
        if (t.front() == '#')
            return !m_header.ownFormat || !t.startsWith("#:") || ownLine(t, n);
        return digestLine(t, n);
    }

    // lines: how many whole lines the file has. A list that ends before its "#: entries" line, or
    // whose count differs, lost its end.
    bool finish(qint64 lines)
    {
        if (m_pendingLine != 0)
            return fail(m_pendingLine, QStringLiteral("a \"#: file\" line must be followed by its digest line"));
        qint64 repeat = 0, first = 0;
        if (findRepeat(repeat, first))
            return fail(repeat, QString());
        if ((m_header.format >= 2 && m_endLine == 0) || (m_endLine != 0 && m_endCount != m_entries))
            return cutShort(lines);
        if (!m_header.ownFormat && m_entries == 0) {
            m_err.notAList = true;
            return fail(0, QStringLiteral("no digest line"));
        }
        // A list of this program without a digest line has the algorithm its header says.
        return m_algorithmLine != 0 || !m_header.ownFormat || takeAlgorithm(DigestAlgorithm::Md5, 0);
    }

    bool cutShort(qint64 lines)
    {
        m_err.line = 0;
        m_err.what = QStringLiteral("the list is cut short after line %1").arg(lines);
        return false;
    }

    // A file whose first line that counts is no digest line is no list at all.
    bool notDigestLine(qint64 n, const QString &what)
    {
        m_err.notAList = !m_header.ownFormat && m_entries == 0;
        return fail(n, what);
    }

    bool fail(qint64 n, const QString &what)
    {
        // A path listed twice before this line is the first error of the list.
        qint64 repeat = 0, first = 0;
        if (findRepeat(repeat, first) && (what.isEmpty() || repeat < n)) {
            m_err.line = repeat;
            m_err.what = QStringLiteral("the path is listed twice (first on line %1)").arg(first);
        } else {
            m_err.line = n;
            m_err.what = what;
        }
        return false;
    }

    bool stopped() const { return m_stopped; }

private:
    struct Seen {
        quint64 hash;
        quint32 check;
        quint32 line;
    };

    bool signature(QByteArrayView rest, qint64 n)
    {
        qsizetype pos = 0;
        qint64 format = 0;
        if (!readDigits(rest, pos, 0, format) || pos != rest.size())
            return fail(n, QStringLiteral("not a valid \"#:\" line"));
        if (format < 1 || format > kFormat)
            return fail(n, QStringLiteral("the list is in format %1, which this version cannot read").arg(format));
        m_header.ownFormat = true;
        m_header.format = int(format);
        m_sawLine = true;
        return true;
    }

    bool ownLine(QByteArrayView t, qint64 n)
    {
        const QString bad = QStringLiteral("not a valid \"#:\" line");
        if (!t.startsWith("#: "))
            return fail(n, bad);
        t = t.sliced(3);
        const qsizetype blank = t.indexOf(' ');
        const QByteArrayView keyword = blank < 0 ? t : t.first(blank);
        const QByteArrayView rest = blank < 0 ? QByteArrayView() : t.sliced(blank + 1);
        if (keyword == "file") {
            DigestListEntry &e = m_entry;
            qsizetype pos = 0;
            if (!sizeAndTime(rest, pos, e) || pos != rest.size() || !e.statRecorded)
                return fail(n, bad);
            m_pendingLine = n;
            return true;
        }
        if (keyword == "entries") {
            qsizetype pos = 0;
            if (!readDigits(rest, pos, 0, m_endCount) || pos != rest.size())
                return fail(n, bad);
            m_endLine = n;
            return true;
        }
        if (keyword == "skipped" || keyword == "not-read" || keyword == "folder-not-read" || keyword == "subfolder") {
            using Kind = DigestListEntry::Kind;
            DigestListEntry &e = m_entry;
            e.kind = keyword == "skipped" ? Kind::Skipped
                : keyword == "not-read"   ? Kind::NotRead
                : keyword == "subfolder"  ? Kind::Subfolder
                                          : Kind::FolderNotRead;
            e.digest = {};
            e.status.clear();
            qsizetype pos = 0;
            // A folder has no size or time of its own in a list.
            if (e.kind == Kind::FolderNotRead || e.kind == Kind::Subfolder) {
                e.statRecorded = false;
                e.length = e.modifiedSecs = 0;
            } else if (!sizeAndTime(rest, pos, e) || !expect(rest, pos, ' ')) {
                return fail(n, bad);
            }
            if (e.kind == Kind::NotRead || e.kind == Kind::FolderNotRead) {
                if (!expect(rest, pos, '"') || !unescape(rest, pos, true, m_bytes) || !expect(rest, pos, ' '))
                    return fail(n, bad);
                e.status = platform::decodeText(m_bytes);
            }
            if (!unescape(rest, pos, false, m_bytes))
                return fail(n, bad);
            return entry(m_bytes, n);
        }
        static const char *const headerKeys[] = {"program", "folder", "date", "recursive", "extension", "skip-mb", "algorithm"};
        const auto key = std::find_if(std::begin(headerKeys), std::end(headerKeys),
                                      [&](const char *k) { return keyword == k; });
        if (key == std::end(headerKeys))
            return fail(n, bad);
        const int bit = 1 << int(key - std::begin(headerKeys));
        if (m_headerSeen & bit)
            return fail(n, QStringLiteral("the header line \"%1\" is repeated").arg(QLatin1String(*key)));
        m_headerSeen |= bit;
        qsizetype pos = 0;
        if (keyword == "algorithm") {
            DigestAlgorithm a;
            if (!algorithmFromName(QString::fromLatin1(rest), a))
                return fail(n, QStringLiteral("the list's algorithm \"%1\" is not known").arg(QString::fromLatin1(rest)));
            return takeAlgorithm(a, n);
        }
        if (keyword == "date")
            return parseTime(rest, m_header.createdSecs) || fail(n, bad);
        if (keyword == "recursive") {
            if (rest != "yes" && rest != "no")
                return fail(n, bad);
            m_header.recursive = rest == "yes";
            return true;
        }
        if (keyword == "skip-mb") {
            qint64 mb = 0;
            if (!readDigits(rest, pos, 0, mb) || pos != rest.size() || mb > 2147483647)
                return fail(n, bad);
            m_header.skipSizeMB = int(mb);
            return true;
        }
        if (!unescape(rest, pos, false, m_bytes))
            return fail(n, bad);
        QString &target = keyword == "program" ? m_header.program
            : keyword == "folder"              ? m_header.folder
                                               : m_header.extension;
        target = platform::decodeText(m_bytes);
        return true;
    }

    bool sizeAndTime(QByteArrayView t, qsizetype &pos, DigestListEntry &e)
    {
        if (t.sliced(pos).startsWith("- -")) {
            pos += 3;
            e.statRecorded = false;
            e.length = e.modifiedSecs = 0;
            return true;
        }
        const qsizetype blank = t.indexOf(' ', pos);
        const qsizetype end = t.indexOf(' ', blank + 1);
        if (blank < 0 || !readDigits(t, pos, 0, e.length) || pos != blank)
            return false;
        if (!parseTime(t.sliced(blank + 1, (end < 0 ? t.size() : end) - blank - 1), e.modifiedSecs))
            return false;
        pos = end < 0 ? t.size() : end;
        e.statRecorded = true;
        return true;
    }

    // The algorithm of the list is the first one a line tells; every later line must tell the same,
    // and so must the one the caller gives.
    bool takeAlgorithm(DigestAlgorithm a, qint64 n)
    {
        if (m_given && a != *m_given)
            return fail(n, QStringLiteral("this is %1, not %2").arg(aList(a), aList(*m_given)));
        if (m_algorithmLine != 0 && a != m_header.algorithm)
            return fail(n, QStringLiteral("%1 digest in %2 (line %3)")
                               .arg(aList(a).chopped(5), aList(m_header.algorithm)).arg(m_algorithmLine));
        if (m_algorithmLine == 0)
            m_algorithmLine = n;
        m_header.algorithm = a;
        return true;
    }

    // The algorithm of a line's digest: its tag's, or the one its length tells.
    bool lineAlgorithm(const ChecksumLine &line, qint64 n, DigestAlgorithm &a)
    {
        if (line.tagged) {
            if (!algorithmFromTag(QString::fromLatin1(line.tag), a))
                return fail(n, QStringLiteral("the tag %1 names no algorithm this program knows").arg(QString::fromLatin1(line.tag)));
            if (line.digits != digestHexLength(a))
                return fail(n, QStringLiteral("the digest is not %1 hexadecimal digits").arg(digestHexLength(a)));
            return true;
        }
        // An own list without an algorithm line is MD5.
        if (m_header.ownFormat && m_algorithmLine == 0 && !takeAlgorithm(DigestAlgorithm::Md5, n))
            return false;
        const bool known = m_given || m_algorithmLine != 0;
        if (known && line.digits == digestHexLength(m_header.algorithm)) {
            a = m_header.algorithm;
            return true;
        }
        if (algorithmOfLength(line.digits, a))
            return true;
        if (line.digits == 128)
            return fail(n, QStringLiteral("a digest of 128 hexadecimal digits is SHA-512 or BLAKE2b; name the "
                                          "list's algorithm (sha512 or blake2b) to read it"));
        if (line.digits == 56 || line.digits == 96)
            return fail(n, QStringLiteral("this is a SHA-%1 list, which this program cannot read").arg(line.digits * 4));
        return fail(n, QStringLiteral("the digest is not %1 hexadecimal digits")
                           .arg(digestHexLength(known ? m_header.algorithm : DigestAlgorithm::Md5)));
    }

    bool digestLine(QByteArrayView t, qint64 n)
    {
        ChecksumLine line;
        switch (parseChecksumLine(t, line, m_bytes)) {
        case ChecksumLineResult::NotALine:
            return notDigestLine(n, kNotADigestLine);
        case ChecksumLineResult::BadEscape:
            return fail(n, QStringLiteral("the file name holds an unknown escape"));
        case ChecksumLineResult::Ok:
            break;
        }
        DigestListEntry &e = m_entry;
        if (!lineAlgorithm(line, n, e.algorithm) || !takeAlgorithm(e.algorithm, n))
            return false;
        e.digest = line.digest;
        e.kind = DigestListEntry::Kind::Digest;
        e.status.clear();
        if (m_pendingLine == 0)
            e.statRecorded = false;
        m_pendingLine = 0;
        return entry(line.name, n);
    }

    bool entry(QByteArrayView rawPath, qint64 n)
    {
        QString what;
        QByteArrayView path;
        if (!normalisePath(rawPath, m_path, path, what))
            return what == kNotADigestLine ? notDigestLine(n, what) : fail(n, what);
        m_entry.relativePath = decodedName(path);
        m_entry.line = n;
        // A 96-bit fingerprint from two unrelated hashes of the name's bytes, which the name codec
        // maps one to one onto names: paths are compared once the read is over.
        quint32 check = 2166136261u;
        for (const char c : path)
            check = (check ^ static_cast<unsigned char>(c)) * 16777619u;
        m_seen.push_back(Seen{quint64(qHash(path, 0x51ed2701u)), check, quint32(std::min<qint64>(n, 0xFFFFFFFF))});
        ++m_entries;
        if (!m_sink(m_entry)) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    // The earliest line whose path an earlier line already had, with that earlier line.
    bool findRepeat(qint64 &repeat, qint64 &first)
    {
        if (m_seen.size() != m_sortedSeen) {
            std::sort(m_seen.begin(), m_seen.end(), [](const Seen &a, const Seen &b) {
                return a.hash != b.hash ? a.hash < b.hash : a.check != b.check ? a.check < b.check : a.line < b.line;
            });
            m_sortedSeen = m_seen.size();
        }
        repeat = 0;
        for (size_t i = 1; i < m_seen.size(); ++i) {
            const Seen &a = m_seen[i - 1];
            const Seen &b = m_seen[i];
            if (a.hash == b.hash && a.check == b.check && (repeat == 0 || b.line < repeat)) {
                repeat = b.line;
                size_t k = i - 1;
                while (k > 0 && m_seen[k - 1].hash == a.hash && m_seen[k - 1].check == a.check)
                    --k;
                first = m_seen[k].line;
            }
        }
        return repeat != 0;
    }

    DigestListHeader &m_header;
    ReadError &m_err;
    const DigestListSink &m_sink;
    const DigestAlgorithm *m_given;
    qint64 m_algorithmLine = 0; // the line that told the list's algorithm
    DigestListEntry m_entry;
    QByteArray m_bytes; // a text of the line with its escapes undone
    QByteArray m_path;
    qint64 m_pendingLine = 0; // the "#: file" line waiting for its digest line
    qint64 m_entries = 0;
    qint64 m_endLine = 0; // the "#: entries" line
    qint64 m_endCount = 0;
    int m_headerSeen = 0;
    bool m_sawLine = false; // a line that is not blank
    bool m_stopped = false;
    std::vector<Seen> m_seen;
    size_t m_sortedSeen = 0;
};

bool readList(const QString &listPath, const DigestListSink &sink, DigestListHeader &header, ReadError &err,
              const DigestAlgorithm *algorithm)
{
    header = DigestListHeader();
    err = ReadError();
    err.listFile = listPath;
    // A plain md5sum list names files relative to the folder it lies in.
    const qsizetype slash = listPath.lastIndexOf(QChar(platform::kSeparator));
    header.folder = slash < 0 ? QStringLiteral("./") : listPath.left(slash + 1);

    platform::BinaryReader in;
    platform::FileError fileErr;
    if (!in.open(listPath, fileErr)) {
        err.what = fileErr.description;
        return false;
    }
    Parser parser(header, err, sink, algorithm);
    // Room for the longest line plus one read; a line never lies in memory twice.
    const qsizetype capacity = 2 * kMaxListLineBytes + 2;
    std::unique_ptr<char[]> buffer(new char[size_t(capacity)]);
    qsizetype used = 0;
    qint64 lineNumber = 0;
    bool atEnd = false;
    const auto tooLong = [&] {
        return parser.notDigestLine(lineNumber + 1, QStringLiteral("the line is longer than %1 bytes").arg(kMaxListLineBytes));
    };
    while (!atEnd) {
        const qint64 n = in.read(buffer.get() + used, capacity - used, fileErr);
        if (n < 0) {
            err.line = 0;
            err.what = fileErr.description;
            return false;
        }
        atEnd = n == 0;
        used += n;
        qsizetype pos = 0;
        while (const char *nl = static_cast<const char *>(std::memchr(buffer.get() + pos, '\n', size_t(used - pos)))) {
            const qsizetype length = nl - (buffer.get() + pos);
            if (length > kMaxListLineBytes + 1)
                return tooLong();
            if (!parser.line(QByteArrayView(buffer.get() + pos, length), ++lineNumber))
                return false;
            pos += length + 1;
        }
        std::memmove(buffer.get(), buffer.get() + pos, size_t(used - pos));
        used -= pos;
        if (used > kMaxListLineBytes + 1)
            return tooLong();
        if (atEnd && used > 0) {
            // Lists that count their entries end in a line feed: a last line without one was cut.
            if (header.format >= 2)
                return parser.cutShort(lineNumber);
            if (!parser.line(QByteArrayView(buffer.get(), used), ++lineNumber))
                return false;
        }
    }
    return parser.finish(lineNumber);
}

} // namespace

bool readDigestList(const QString &listPath, const DigestListSink &sink, DigestListHeader &header, QString &error,
                    const DigestAlgorithm *algorithm)
{
    ReadError err;
    const bool ok = readList(listPath, sink, header, err, algorithm);
    error = err.what.isEmpty() ? QString() : err.text();
    return ok;
}

bool digestListAlgorithm(const QString &listPath, const DigestAlgorithm *given, DigestAlgorithm &out, QString &error)
{
    DigestListHeader header;
    const auto untilDigest = [](const DigestListEntry &e) { return e.kind != DigestListEntry::Kind::Digest; };
    if (!readDigestList(listPath, untilDigest, header, error, given) && !error.isEmpty())
        return false;
    out = header.algorithm;
    return true;
}

bool looksLikeDigestList(const QString &path)
{
    platform::BinaryReader in;
    platform::FileError err;
    if (!in.open(path, err))
        return false;
    QByteArray head(65536, '\0');
    const qint64 n = in.read(head.data(), head.size(), err);
    if (n < 0)
        return false;
    head.truncate(n);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    const QByteArray line = head.trimmed().split('\n').constFirst().trimmed();
    ChecksumLine parsed;
    QByteArray name;
    if (line.isEmpty() || line.startsWith('#')
        || (parseChecksumLine(line, parsed, name) == ChecksumLineResult::Ok && parsed.tagged))
        return true;
    qsizetype pos = line.startsWith('\\') ? 1 : 0;
    const qsizetype start = pos;
    while (pos < line.size() && hexValue(line[pos]) >= 0)
        ++pos;
    return pos > start && pos < line.size() && (line[pos] == ' ' || line[pos] == '\t');
}

} // namespace cheqora
