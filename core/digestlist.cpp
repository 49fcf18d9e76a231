#include "digestlist.h"

#include "digest.h"
#include "filefilter.h"
#include "textcodec.h"

#include <QByteArrayView>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <utility>

namespace cheqora {

namespace {

const QByteArray kSignature = QByteArrayLiteral("#: Cheqora digest list ");
constexpr int kFormat = 2;
const QString kNotADigestLine = QStringLiteral("not a digest line");
constexpr std::array<quint8, 16> kEmptyDigest{0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                              0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};


// ---- Dates: proleptic Gregorian calendar, UTC, "YYYY-MM-DDTHH:MM:SSZ" ------------------------------

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const qint64 era = floorDiv(y, 400);
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void appendNumber(QString &out, qint64 value, int width)
{
    const QString digits = QString::number(value);
    for (qsizetype i = digits.size(); i < width; ++i)
        out.append(u'0');
    out.append(digits);
}

void appendTime(QString &out, qint64 secs)
{
    const qint64 z = floorDiv(secs, 86400) + 719468;
    const qint64 rem = secs - floorDiv(secs, 86400) * 86400;
    const qint64 era = floorDiv(z, 146097);
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const qint64 d = doy - (153 * mp + 2) / 5 + 1;
    const qint64 m = mp < 10 ? mp + 3 : mp - 9;
    const qint64 y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    if (y < 0)
        out.append(u'-');
    appendNumber(out, y < 0 ? -y : y, 4);
    out.append(u'-');
    appendNumber(out, m, 2);
    out.append(u'-');
    appendNumber(out, d, 2);
    out.append(u'T');
    appendNumber(out, rem / 3600, 2);
    out.append(u':');
    appendNumber(out, rem / 60 % 60, 2);
    out.append(u':');
    appendNumber(out, rem % 60, 2);
    out.append(u'Z');
}

// Reads a run of exactly n digits (n > 0) or, with n = 0, of 1 to 18 digits.
bool readDigits(QByteArrayView t, qsizetype &pos, int n, qint64 &value)
{
    value = 0;
    const qsizetype start = pos;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9' && (n == 0 ? pos - start < 18 : pos - start < n))
        value = value * 10 + (t[pos++] - '0');
    return pos > start && (n == 0 || pos - start == n) && (pos == t.size() || t[pos] < '0' || t[pos] > '9');
}

bool expect(QByteArrayView t, qsizetype &pos, char c)
{
    if (pos >= t.size() || t[pos] != c)
        return false;
    ++pos;
    return true;
}

bool parseTime(QByteArrayView t, qint64 &secs)
{
    qsizetype pos = 0;
    const bool negative = expect(t, pos, '-');
    const qsizetype yearStart = pos;
    qint64 y, mo, d, h, mi, s;
    if (!readDigits(t, pos, 0, y) || pos - yearStart < 4 || !expect(t, pos, '-') || !readDigits(t, pos, 2, mo)
        || !expect(t, pos, '-') || !readDigits(t, pos, 2, d) || !expect(t, pos, 'T') || !readDigits(t, pos, 2, h)
        || !expect(t, pos, ':') || !readDigits(t, pos, 2, mi) || !expect(t, pos, ':')
        || !readDigits(t, pos, 2, s) || !expect(t, pos, 'Z') || pos != t.size())
        return false;
    if (y > 999999999 || mo < 1 || mo > 12 || h > 23 || mi > 59 || s > 59)
        return false;
    if (negative)
        y = -y;
    const qint64 first = daysFromCivil(y, int(mo), 1);
    const qint64 next = mo == 12 ? daysFromCivil(y + 1, 1, 1) : daysFromCivil(y, int(mo) + 1, 1);
    if (d < 1 || d > next - first)
        return false;
    secs = (first + d - 1) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

// ---- Escapes ----------------------------------------------------------------------------------------

bool needsEscape(const QString &name)
{
    for (const QChar c : name) {
        if (c == u'\\' || c == u'\n' || c == u'\r')
            return true;
    }
    return false;
}

QString escaped(const QString &text, bool quote = false)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\')
            out.append(QLatin1String("\\\\"));
        else if (c == u'\n')
            out.append(QLatin1String("\\n"));
        else if (c == u'\r')
            out.append(QLatin1String("\\r"));
        else if (quote && c == u'"')
            out.append(QLatin1String("\\\""));
        else
            out.append(c);
    }
    return out;
}

// Undoes the escapes from pos on. Quoted: the text ends at an unescaped '"', and pos is left behind it.
bool unescape(QByteArrayView t, qsizetype &pos, bool quoted, QByteArray &out)
{
    out.resize(0);
    while (pos < t.size()) {
        const char c = t[pos++];
        if (quoted && c == '"')
            return true;
        if (c != '\\') {
            out.append(c);
            continue;
        }
        if (pos == t.size())
            return false;
        const char e = t[pos++];
        if (e == '\\')
            out.append('\\');
        else if (e == 'n')
            out.append('\n');
        else if (e == 'r')
            out.append('\r');
        else if (quoted && e == '"')
            out.append('"');
        else
            return false;
    }
    return !quoted;
}

// Names are mostly ASCII, which the name codec maps one to one.
bool isAscii(QByteArrayView bytes)
{
    unsigned char seen = 0;
    for (const char c : bytes)
        seen |= static_cast<unsigned char>(c);
    return seen < 0x80;
}

QString decodedName(QByteArrayView bytes)
{
    return isAscii(bytes) ? QString::fromLatin1(bytes) : platform::decodeName(bytes.toByteArray());
}

// A table: digits and letters alternate at random in a digest, which defeats branch prediction.
constexpr std::array<qint8, 256> kHexValues = [] {
    std::array<qint8, 256> values{};
    for (int c = 0; c < 256; ++c) {
        values[size_t(c)] = qint8(c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : -1);
    }
    return values;
}();

int hexValue(char c)
{
    return kHexValues[static_cast<unsigned char>(c)];
}

const char *otherAlgorithm(qsizetype hexDigits)
{
    switch (hexDigits) {
    case 40: return "SHA-1";
    case 56: return "SHA-224";
    case 64: return "SHA-256";
    case 96: return "SHA-384";
    case 128: return "SHA-512";
    default: return nullptr;
    }
}

void appendSizeAndTime(QString &out, const DigestListEntry &e)
{
    if (e.statRecorded) {
        out.append(QString::number(e.length));
        out.append(u' ');
        appendTime(out, e.modifiedSecs);
    } else {
        out.append(QLatin1String("- -"));
    }
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
    Parser(DigestListHeader &header, DigestListError &err, const DigestListSink &sink)
        : m_header(header), m_err(err), m_sink(sink)
    {
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
        return true;
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
        static const char *const headerKeys[] = {"program", "folder", "date", "recursive", "extension", "skip-mb"};
        const auto key = std::find_if(std::begin(headerKeys), std::end(headerKeys),
                                      [&](const char *k) { return keyword == k; });
        if (key == std::end(headerKeys))
            return fail(n, bad);
        const int bit = 1 << int(key - std::begin(headerKeys));
        if (m_headerSeen & bit)
            return fail(n, QStringLiteral("the header line \"%1\" is repeated").arg(QLatin1String(*key)));
        m_headerSeen |= bit;
        qsizetype pos = 0;
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

    bool digestLine(QByteArrayView t, qint64 n)
    {
        qsizetype pos = 0;
        while (pos < t.size() && (t[pos] == ' ' || t[pos] == '\t'))
            ++pos;
        const bool escapedName = pos < t.size() && t[pos] == '\\';
        if (escapedName)
            ++pos;
        const qsizetype start = pos;
        while (pos < t.size() && hexValue(t[pos]) >= 0)
            ++pos;
        const qsizetype digits = pos - start;
        if (digits == 0 || pos == t.size() || (t[pos] != ' ' && t[pos] != '\t'))
            return notDigestLine(n, kNotADigestLine);
        if (digits != 32) {
            if (const char *algorithm = otherAlgorithm(digits))
                return fail(n, QStringLiteral("this is a %1 list, not an MD5 list").arg(QLatin1String(algorithm)));
            return fail(n, QStringLiteral("the digest is not 32 hexadecimal digits"));
        }
        DigestListEntry &e = m_entry;
        for (int i = 0; i < 16; ++i)
            e.digest[size_t(i)] = quint8(hexValue(t[start + 2 * i]) << 4 | hexValue(t[start + 2 * i + 1]));
        ++pos;
        if (pos < t.size() && (t[pos] == ' ' || t[pos] == '*'))
            ++pos;
        if (pos == t.size())
            return notDigestLine(n, kNotADigestLine);
        if (escapedName) {
            if (!unescape(t, pos, false, m_bytes))
                return fail(n, QStringLiteral("the file name holds an unknown escape"));
        }
        e.kind = DigestListEntry::Kind::Digest;
        e.status.clear();
        if (m_pendingLine == 0)
            e.statRecorded = false;
        m_pendingLine = 0;
        return entry(escapedName ? QByteArrayView(m_bytes) : t.sliced(pos), n);
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
    DigestListError &m_err;
    const DigestListSink &m_sink;
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

} // namespace

QString DigestListError::text() const
{
    if (notAList) {
        const QString where = line == 0 ? QString() : QStringLiteral(" (line %1: %2)").arg(line).arg(what);
        return listFile + QStringLiteral(" is neither a folder nor a digest list") + where + u'.';
    }
    if (line == 0)
        return listFile + QStringLiteral(": ") + what + u'.';
    return listFile + QStringLiteral(", line ") + QString::number(line) + QStringLiteral(": ") + what + u'.';
}

QString FormatDigestListHeader(const DigestListHeader &header)
{
    QString out = QString::fromLatin1(kSignature) + QString::number(kFormat) + u'\n';
    out += QStringLiteral("#: program ") + escaped(header.program) + u'\n';
    out += QStringLiteral("#: folder ") + escaped(header.folder) + u'\n';
    out += QStringLiteral("#: date ");
    appendTime(out, header.createdSecs);
    out += QStringLiteral("\n#: recursive ") + (header.recursive ? QStringLiteral("yes") : QStringLiteral("no"));
    out += QStringLiteral("\n#: extension") + (header.extension.isEmpty() ? QString() : u' ' + escaped(header.extension));
    out += QStringLiteral("\n#: skip-mb ") + QString::number(header.skipSizeMB) + u'\n';
    return out;
}

QString FormatDigestListEntry(const DigestListEntry &entry)
{
    QString out;
    out.reserve(entry.relativePath.size() + 80);
    switch (entry.kind) {
    case DigestListEntry::Kind::Digest: {
        if (entry.statRecorded) {
            out.append(QLatin1String("#: file "));
            appendSizeAndTime(out, entry);
            out.append(u'\n');
        }
        static const char hex[] = "0123456789abcdef";
        const bool escape = needsEscape(entry.relativePath);
        if (escape)
            out.append(u'\\');
        for (const quint8 b : entry.digest) {
            out.append(QLatin1Char(hex[b >> 4]));
            out.append(QLatin1Char(hex[b & 15]));
        }
        out.append(QLatin1String("  "));
        out.append(escape ? escaped(entry.relativePath) : entry.relativePath);
        break;
    }
    case DigestListEntry::Kind::Skipped:
        out.append(QLatin1String("#: skipped "));
        appendSizeAndTime(out, entry);
        out.append(u' ' + escaped(entry.relativePath));
        break;
    case DigestListEntry::Kind::FolderNotRead:
        out.append(QLatin1String("#: folder-not-read \"") + escaped(entry.status, true) + QLatin1String("\" ")
                   + escaped(entry.relativePath));
        break;
    case DigestListEntry::Kind::Subfolder:
        out.append(QLatin1String("#: subfolder ") + escaped(entry.relativePath));
        break;
    case DigestListEntry::Kind::NotRead:
        out.append(QLatin1String("#: not-read "));
        appendSizeAndTime(out, entry);
        out.append(QLatin1String(" \"") + escaped(entry.status, true) + QLatin1String("\" ")
                   + escaped(entry.relativePath));
        break;
    }
    out.append(u'\n');
    return out;
}

QString FormatDigestListEnd(qint64 entries)
{
    return QStringLiteral("#: entries ") + QString::number(entries) + u'\n';
}

DigestListEntry DigestListEntryOf(const QString &relativePath, const platform::FileStat &st, bool skipped,
                                  const QString &digestText, int lngStatus, const QString &strStatus)
{
    DigestListEntry e;
    e.relativePath = relativePath;
    e.statRecorded = st.kind != platform::EntryKind::Missing;
    if (e.statRecorded) {
        e.length = st.length;
        e.modifiedSecs = st.modifiedSecs;
    }
    if (skipped) {
        e.kind = DigestListEntry::Kind::Skipped;
    } else if (lngStatus == DigestZeroLength) {
        e.digest = kEmptyDigest;
    } else if (lngStatus == DigestOk && digestText.size() == 32) {
        const auto nibble = [&](int k) { return hexValue(char(digestText.at(k).unicode())); };
        for (int i = 0; i < 16; ++i)
            e.digest[size_t(i)] = quint8(nibble(2 * i) << 4 | nibble(2 * i + 1));
    } else {
        e.kind = DigestListEntry::Kind::NotRead;
        e.status = strStatus;
    }
    return e;
}

bool ReadDigestList(const QString &listPath, DigestListHeader &header, DigestListError &err,
                    const DigestListSink &sink)
{
    header = DigestListHeader();
    err = DigestListError();
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
    Parser parser(header, err, sink);
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

bool LooksLikeDigestList(const QString &path)
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
    if (line.isEmpty() || line.startsWith('#'))
        return true;
    qsizetype pos = line.startsWith('\\') ? 1 : 0;
    const qsizetype start = pos;
    while (pos < line.size() && hexValue(line[pos]) >= 0)
        ++pos;
    return pos > start && pos < line.size() && (line[pos] == ' ' || line[pos] == '\t');
}

// ---- DigestList ---------------------------------------------------------------------------------------

DigestList::DigestList() = default;
DigestList::~DigestList() = default;

void DigestList::release()
{
    m_header = DigestListHeader();
    m_entries.clear();
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_free = nullptr;
    m_freeLeft = 0;
    m_statusTexts.clear();
}

void DigestList::append(const DigestListEntry &e)
{
    const char16_t *name = QStringView(e.relativePath).utf16();
    bool ascii = true;
    for (qsizetype i = 0; i < e.relativePath.size() && ascii; ++i)
        ascii = name[i] < 0x80;
    const QByteArray bytes = ascii ? QByteArray() : platform::encodeName(e.relativePath);
    const qsizetype n = ascii ? e.relativePath.size() : bytes.size();
    if (n > m_freeLeft) {
        const qsizetype size = qMax(n, qsizetype(1) << 21);
        m_blocks.emplace_back(new char[size_t(size)]);
        m_free = m_blocks.back().get();
        m_freeLeft = size;
    }
    if (ascii)
        std::copy(name, name + n, m_free);
    else
        std::memcpy(m_free, bytes.constData(), size_t(n));
    Entry r{m_free, qint32(n), e.kind, e.statRecorded, 0, quint32(std::min<qint64>(e.line, 0xFFFFFFFF)),
            e.length, e.modifiedSecs, e.digest};
    m_free += n;
    m_freeLeft -= n;
    if (e.kind == DigestListEntry::Kind::NotRead || e.kind == DigestListEntry::Kind::FolderNotRead) {
        qsizetype index = m_statusTexts.indexOf(e.status);
        if (index < 0) {
            index = m_statusTexts.size();
            m_statusTexts.append(e.status);
        }
        r.status = quint32(index);
    }
    m_entries.push_back(r);
}

bool DigestList::read(const QString &listPath, DigestListError &err, const std::function<bool()> &progress)
{
    release();
    DigestListHeader header;
    if (!ReadDigestList(listPath, header, err, [&](const DigestListEntry &e) {
            append(e);
            return !progress || progress();
        })) {
        release();
        return false;
    }
    m_header = header;
    return true;
}

QString DigestList::relativePath(qsizetype i) const
{
    const Entry &r = m_entries[size_t(i)];
    return decodedName(QByteArrayView(r.path, r.pathLength));
}

DigestListEntry DigestList::entry(qsizetype i) const
{
    const Entry &r = m_entries[size_t(i)];
    DigestListEntry e;
    e.relativePath = relativePath(i);
    e.kind = r.kind;
    e.digest = r.digest;
    if (r.kind == DigestListEntry::Kind::NotRead || r.kind == DigestListEntry::Kind::FolderNotRead)
        e.status = m_statusTexts.at(r.status);
    e.statRecorded = r.statRecorded;
    e.length = r.length;
    e.modifiedSecs = r.modifiedSecs;
    e.line = r.line;
    return e;
}

// ---- Records ------------------------------------------------------------------------------------------

bool DigestListRecordOf(const DigestListEntry &entry, const DigestListFilter &filter, ScanList &fields,
                        DigestField &field, platform::FileStat &st)
{
    const qsizetype slash = entry.relativePath.lastIndexOf(QChar(platform::kSeparator));
    if (slash >= 0 && !filter.recursive)
        return false;
    if (!filter.filespec.isEmpty() && !FileNameMatches(entry.relativePath.mid(slash + 1), filter.filespec, false))
        return false;
    st = platform::FileStat();
    st.kind = platform::EntryKind::File;
    st.length = entry.statRecorded ? entry.length : kLengthNotRecorded;
    st.modifiedSecs = entry.statRecorded ? entry.modifiedSecs : 0;
    switch (entry.kind) {
    case DigestListEntry::Kind::Digest:
        if (filter.skipSizeMB > 0 && entry.statRecorded && entry.length > qint64(filter.skipSizeMB) * 1048576) {
            field = fields.skippedField();
        } else if (entry.digest == kEmptyDigest) {
            field = fields.fieldForText(ZeroLengthText(), DigestField::Empty);
        } else {
            field = DigestField();
            field.bytes = entry.digest;
        }
        break;
    case DigestListEntry::Kind::Skipped:
        // Unread by the list's walk: equal to nothing unless this walk would not read it either.
        if (filter.skipSizeMB > 0 && entry.statRecorded && entry.length > qint64(filter.skipSizeMB) * 1048576)
            field = fields.skippedField();
        else
            field = fields.fieldForText(QStringLiteral("Large file skipped"), DigestField::Failed);
        break;
    case DigestListEntry::Kind::NotRead:
        // Without a stat the walk could not even examine the entry.
        field = fields.fieldForText(entry.status, entry.statRecorded ? DigestField::Failed : DigestField::Unknown);
        break;
    case DigestListEntry::Kind::FolderNotRead:
    case DigestListEntry::Kind::Subfolder:
        return false;
    }
    return true;
}

bool NamesSubfolder(const DigestListEntry &entry)
{
    return entry.kind == DigestListEntry::Kind::FolderNotRead || entry.kind == DigestListEntry::Kind::Subfolder
        || entry.relativePath.contains(QChar(platform::kSeparator));
}

QString DigestListMismatch(const DigestListHeader &header, const DigestListFilter &filter)
{
    if (!header.ownFormat)
        return QString(); // md5sum records no walk
    if (filter.recursive && !header.recursive)
        return QStringLiteral("the list was made without subfolders, so it cannot be compared with subfolders included");
    const QString listed = BareExtension(header.extension);
    if (listed.isEmpty())
        return QString();
    const QString wanted = filter.filespec.isEmpty() ? QString() : BareExtension(filter.filespec);
    if (wanted.isEmpty())
        return QStringLiteral("the list holds only files with the extension %1, so it cannot be compared with all files")
            .arg(listed);
    if (LowerCaseAccented(wanted) != LowerCaseAccented(listed))
        return QStringLiteral("the list holds only files with the extension %1, not those with the extension %2")
            .arg(listed, wanted);
    return QString();
}

bool ForEachDigestListRecord(const DigestList &list, const DigestListFilter &filter, ScanList &fields,
                             const DigestListRecordVisitor &visit)
{
    DigestField field;
    platform::FileStat st;
    for (qsizetype i = 0; i < list.count(); ++i) {
        const DigestListEntry e = list.entry(i);
        if (DigestListRecordOf(e, filter, fields, field, st) && !visit(e.relativePath, field, st))
            return false;
    }
    return true;
}

} // namespace cheqora
