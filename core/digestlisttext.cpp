#include "digestlisttext.h"

#include "textcodec.h"

namespace cheqora::listtext {

const QByteArray kSignature = QByteArrayLiteral("#: Cheqora digest list ");

namespace {

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

// Names are mostly ASCII, which the name codec maps one to one.
bool isAscii(QByteArrayView bytes)
{
    unsigned char seen = 0;
    for (const char c : bytes)
        seen |= static_cast<unsigned char>(c);
    return seen < 0x80;
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

} // namespace

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

bool needsEscape(const QString &name)
{
    for (const QChar c : name) {
        if (c == u'\\' || c == u'\n' || c == u'\r')
            return true;
    }
    return false;
}

QString escaped(const QString &text, bool quote)
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

QString decodedName(QByteArrayView bytes)
{
    return isAscii(bytes) ? QString::fromLatin1(bytes) : platform::decodeName(bytes.toByteArray());
}

int hexValue(char c)
{
    return kHexValues[static_cast<unsigned char>(c)];
}

const quint8 *emptyDigest(DigestAlgorithm algorithm)
{
    static const char *const hex[] = {
        "d41d8cd98f00b204e9800998ecf8427e",
        "da39a3ee5e6b4b0d3255bfef95601890afd80709",
        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
        "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
        "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e",
        "786a02f742015903c6c6fd852552d272912f4740e15847618a86e217f71f5419"
        "d25e1031afee585313896444934eb04b903a685b1448b755d56f701afe9be2ce",
    };
    static const auto table = [] {
        std::array<std::array<quint8, 64>, 5> bytes{};
        for (size_t a = 0; a < bytes.size(); ++a) {
            for (size_t i = 0; hex[a][2 * i] != 0; ++i)
                bytes[a][i] = quint8(hexValue(hex[a][2 * i]) << 4 | hexValue(hex[a][2 * i + 1]));
        }
        return bytes;
    }();
    return table[size_t(algorithm)].data();
}

} // namespace cheqora::listtext
