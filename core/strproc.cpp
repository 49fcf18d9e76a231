#include "strproc.h"

namespace cheqora {

void ensureTrailingSeparator(QString &path)
{
    if (path.isEmpty())
        return;
    stripTrailing(path, QString(QChar(platform::kSeparator)));
    path.append(QChar(platform::kSeparator));
}

void stripTrailing(QString &text, const QString &suffix)
{
    if (suffix.isEmpty())
        return;
    while (text.endsWith(suffix, Qt::CaseSensitive))
        text.chop(suffix.size());
}

QString foldCase(const QString &text)
{
    // Most paths are ASCII, whose small letters are those of A..Z alone: no table, and a text without
    // capitals is returned as it is.
    const char16_t *p = QStringView(text).utf16();
    const qsizetype n = text.size();
    bool upper = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] >= 0x80) {
            // The platform's lower-case conversion already maps every accented Latin capital of the
            // table (À..Ý without the multiplication sign, Š, Ÿ) to its small letter, so one pass serves.
            return text.toLower();
        }
        upper = upper || (p[i] >= u'A' && p[i] <= u'Z');
    }
    if (!upper)
        return text;
    QString out(n, Qt::Uninitialized);
    char16_t *q = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < n; ++i)
        q[i] = p[i] >= u'A' && p[i] <= u'Z' ? char16_t(p[i] + 32) : p[i];
    return out;
}

void removeAnyOf(QString &text, const QString &set)
{
    if (set.isEmpty())
        return;
    qsizetype out = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!set.contains(c))
            text[out++] = c;
    }
    text.truncate(out);
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.mid(begin, end - begin);
}

bool isDigitString(const QString &text, bool allowSign, bool allowComma)
{
    // Blanks only: tabs and other white space make the text invalid.
    QString rest = trimBlanks(text);
    if (rest.isEmpty())
        return false;
    if (allowSign && (rest.at(0) == u'+' || rest.at(0) == u'-'))
        rest.remove(0, 1);
    removeAnyOf(rest, allowComma ? QStringLiteral("0123456789,") : QStringLiteral("0123456789"));
    return rest.isEmpty();
}

QString replaceIgnoringCase(const QString &text, const QString &find, const QString &replacement)
{
    if (find.isEmpty())
        return text;
    const QString folded = foldCase(find);
    QString out = text;
    qsizetype start = 0;
    for (;;) {
        const QString haystack = foldCase(out);
        // Folding may change a text's length for a few letters; positions then no longer line up,
        // and a plain case-insensitive replacement is the faithful answer.
        if (haystack.size() != out.size() || folded.size() != find.size()) {
            QString rest = out.mid(start);
            rest.replace(find, replacement, Qt::CaseInsensitive);
            return out.left(start) + rest;
        }
        const qsizetype p = haystack.indexOf(folded, start, Qt::CaseSensitive);
        if (p < 0)
            return out;
        out = out.left(p) + replacement + out.mid(p + find.size());
        // The search goes on after the replacement: restarting inside it would find a replacement
        // that contains the find text again and again, and restarting past it would skip matches
        // when the replacement is shorter.
        start = p + replacement.size();
    }
}

QString extensionOf(const QString &path, bool lowerCase)
{
    const QString name = path.mid(path.lastIndexOf(QChar(platform::kSeparator)) + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    const QString ext = name.mid(dot + 1);
    return lowerCase ? ext.toLower() : ext;
}

QString alignSizeDateTime(const QString &dateTime, qint64 length, bool withBytes)
{
    QString dt = dateTime;
    // Positions below are 0-based: the date fills columns 1-10, the time starts in column 12.
    const qsizetype blank = dt.indexOf(u' ');
    if (blank >= 0 && blank < 10)
        dt.insert(blank, QString(10 - blank, u' '));
    // A one-digit hour is right-aligned in columns 12-13.
    const qsizetype colon = dt.indexOf(u':', 11);
    if (colon >= 0 && colon < 13)
        dt.insert(11, u' ');
    QString size = platform::groupedNumber(length);
    if (size.size() < 14)
        size.append(QString(14 - size.size(), u' '));
    QString result = dt + QStringLiteral(", ") + size;
    if (withBytes) {
        result = result.trimmed() + QStringLiteral(" byte");
        if (length != 1)
            result.append(u's');
    }
    return result;
}

QString sizeDateTimeText(const platform::FileStat &st, bool withBytes)
{
    return alignSizeDateTime(platform::dateTimeText(st.modified()), st.length, withBytes);
}

QString sizeDateTimeText(const QString &path, bool withBytes)
{
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(path, st, err))
        return QString();
    return sizeDateTimeText(st, withBytes);
}

QString shortenPath(const QString &path, int maxLength, bool &shortened)
{
    shortened = false;
    if (path.size() > maxLength && maxLength >= 10) {
        shortened = true;
        return path.left(3) + QStringLiteral("...") + path.right(maxLength - 6);
    }
    return path;
}

} // namespace cheqora
