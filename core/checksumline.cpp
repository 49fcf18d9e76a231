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
    if (out.digits % 2 == 0 && out.digits <= 2 * qsizetype(out.digest.size())) {
        for (qsizetype k = 0; k < out.digits / 2; ++k) {
            const int hi = hexValue(t[start + 2 * k]), lo = hexValue(t[start + 2 * k + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out.digest[size_t(k)] = quint8(hi << 4 | lo);
        }
        return out.digits > 0;
    }
    for (qsizetype i = start; i < end; ++i) {
        if (hexValue(t[i]) < 0)
            return false;
    }
    return true;
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
    // The plain form first, the common one: a tag holds a letter that is no digit, so a run of digits
    // followed by a blank is never one.
    const qsizetype start = pos;
    while (pos < t.size() && hexValue(t[pos]) >= 0)
        ++pos;
    if (pos == start || pos == t.size() || !isBlank(t[pos])) {
        QByteArrayView name;
        return tagged(t, start, out, name) ? takeName(name, escaped, out, buffer) : ChecksumLineResult::NotALine;
    }
    readHex(t, start, pos, out);
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
