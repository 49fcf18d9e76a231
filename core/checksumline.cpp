#include "checksumline.h"

#include "digestlisttext.h"

namespace cheqora::listtext {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isTagCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// The digest's digits from start to end; false when any is not a digit.
bool readHex(QByteArrayView t, qsizetype start, qsizetype end, ChecksumLine &out)
{
    out.digest = {};
    out.digits = end - start;
    for (qsizetype i = start; i < end; ++i) {
        const int v = hexValue(t[i]);
        if (v < 0)
            return false;
        const qsizetype k = (i - start) / 2;
        if (out.digits % 2 == 0 && k < qsizetype(out.digest.size()))
            out.digest[size_t(k)] |= quint8((i - start) % 2 == 0 ? v << 4 : v);
    }
    return out.digits > 0;
}

ChecksumLineResult takeName(QByteArrayView name, bool escaped, ChecksumLine &out, QByteArray &buffer)
{
    if (name.isEmpty())
        return ChecksumLineResult::NotALine;
    if (escaped) {
        qsizetype pos = 0;
        if (!unescape(name, pos, false, buffer))
            return ChecksumLineResult::BadEscape;
        name = QByteArrayView(buffer);
    }
    out.name = name;
    return ChecksumLineResult::Ok;
}

// "TAG (NAME) = DIGEST": the tag holds a character that is no digit (so that a digest followed by a
// name in brackets is no tag), and the name ends at the last ") = ".
bool tagged(QByteArrayView t, qsizetype pos, ChecksumLine &out, QByteArrayView &name)
{
    qsizetype end = pos;
    bool letter = false;
    while (end < t.size() && isTagCharacter(t[end])) {
        letter = letter || hexValue(t[end]) < 0;
        ++end;
    }
    if (end == pos || !letter || !t.sliced(end).startsWith(" ("))
        return false;
    const qsizetype close = t.lastIndexOf(") = ");
    if (close < end + 2 || !readHex(t, close + 4, t.size(), out))
        return false;
    out.tagged = true;
    out.tag = t.sliced(pos, end - pos);
    name = t.sliced(end + 2, close - end - 2);
    return true;
}

} // namespace

ChecksumLineResult parseChecksumLine(QByteArrayView t, ChecksumLine &out, QByteArray &buffer)
{
    out = ChecksumLine();
    qsizetype pos = 0;
    while (pos < t.size() && isBlank(t[pos]))
        ++pos;
    const bool escaped = pos < t.size() && t[pos] == '\\';
    if (escaped)
        ++pos;
    QByteArrayView name;
    if (tagged(t, pos, out, name))
        return takeName(name, escaped, out, buffer);
    const qsizetype start = pos;
    while (pos < t.size() && hexValue(t[pos]) >= 0)
        ++pos;
    if (pos == start || pos == t.size() || !isBlank(t[pos]) || !readHex(t, start, pos, out))
        return ChecksumLineResult::NotALine;
    ++pos;
    if (pos < t.size() && (t[pos] == ' ' || t[pos] == '*'))
        ++pos;
    return takeName(t.sliced(pos), escaped, out, buffer);
}

bool algorithmOfLength(qsizetype digits, DigestAlgorithm &out)
{
    for (DigestAlgorithm a : {DigestAlgorithm::Md5, DigestAlgorithm::Sha1, DigestAlgorithm::Sha256}) {
        if (digits == digestHexLength(a)) {
            out = a;
            return true;
        }
    }
    return false;
}

} // namespace cheqora::listtext
