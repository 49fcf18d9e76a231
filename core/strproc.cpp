#include "strproc.h"

namespace cheqora {

bool FileExists(const QString &strPath)
{
    return !strPath.isEmpty() && platform::fileExists(strPath);
}

QString FirstFixedDrive()
{
    return platform::homeFolder();
}

void EnsureTrailingBackslash(QString &strPath)
{
    if (strPath.isEmpty())
        return;
    StripTrailing(strPath, QString(QChar(platform::kSeparator)));
    strPath.append(QChar(platform::kSeparator));
}

void StripTrailing(QString &strText, const QString &strSuffix)
{
    if (strSuffix.isEmpty())
        return;
    while (strText.endsWith(strSuffix, Qt::CaseSensitive))
        strText.chop(strSuffix.size());
}

QString StripTrailingChars(const QString &strText, const QString &strSet)
{
    if (strSet.isEmpty())
        return strText;
    qsizetype end = strText.size();
    while (end > 0 && strSet.contains(strText.at(end - 1)))
        --end;
    return strText.left(end);
}

QString LeftN(const QString &strText, int intCount)
{
    if (intCount <= 0)
        return QString();
    if (intCount >= strText.size())
        return strText;
    return strText.left(intCount);
}

QString LowerCaseAccented(const QString &strText)
{
    // Most paths are ASCII, whose small letters are those of A..Z alone: no table, and a text without
    // capitals is returned as it is.
    const char16_t *p = QStringView(strText).utf16();
    const qsizetype n = strText.size();
    bool upper = false;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] >= 0x80) {
            // The platform's lower-case conversion already maps every accented Latin capital of the
            // table (À..Ý without the multiplication sign, Š, Ÿ) to its small letter, so one pass serves.
            return strText.toLower();
        }
        upper = upper || (p[i] >= u'A' && p[i] <= u'Z');
    }
    if (!upper)
        return strText;
    QString out(n, Qt::Uninitialized);
    char16_t *q = reinterpret_cast<char16_t *>(out.data());
    for (qsizetype i = 0; i < n; ++i)
        q[i] = p[i] >= u'A' && p[i] <= u'Z' ? char16_t(p[i] + 32) : p[i];
    return out;
}

int FindAnyOf(const QString &strText, int intStart, const QString &strSet, int &intIndex)
{
    if (strText.isEmpty() || strSet.isEmpty())
        return 0;
    for (qsizetype p = qMax(intStart, 1); p <= strText.size(); ++p) {
        const qsizetype inSet = strSet.indexOf(strText.at(p - 1));
        if (inSet >= 0) {
            intIndex = int(inSet + 1);
            return int(p);
        }
    }
    return 0;
}

int SkipAnyOf(const QString &strText, int intStart, const QString &strSet)
{
    if (strText.isEmpty())
        return 0;
    if (strSet.isEmpty())
        return 1;
    for (qsizetype p = qMax(intStart, 1); p <= strText.size(); ++p) {
        if (!strSet.contains(strText.at(p - 1)))
            return int(p);
    }
    return 0;
}

void RemoveAnyOf(QString &strText, const QString &strSet)
{
    if (strSet.isEmpty())
        return;
    qsizetype out = 0;
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const QChar c = strText.at(i);
        if (!strSet.contains(c))
            strText[out++] = c;
    }
    strText.truncate(out);
}

QString TrimBlanks(const QString &strText)
{
    qsizetype begin = 0;
    qsizetype end = strText.size();
    while (begin < end && strText.at(begin) == u' ')
        ++begin;
    while (end > begin && strText.at(end - 1) == u' ')
        --end;
    if (begin == 0 && end == strText.size())
        return strText;
    return strText.mid(begin, end - begin);
}

bool IsDigitString(const QString &strText, bool blnAllowSign, bool blnAllowComma)
{
    // Blanks only: tabs and other white space make the text invalid.
    QString text = TrimBlanks(strText);
    if (text.isEmpty())
        return false;
    if (blnAllowSign && (text.at(0) == u'+' || text.at(0) == u'-'))
        text.remove(0, 1);
    RemoveAnyOf(text, blnAllowComma ? QStringLiteral("0123456789,") : QStringLiteral("0123456789"));
    return text.isEmpty();
}

QString ReplaceText(const QString &strText, const QString &strFind, const QString &strReplacement)
{
    if (strFind.isEmpty())
        return strText;
    const QString folded = LowerCaseAccented(strFind);
    QString text = strText;
    qsizetype start = 0;
    for (;;) {
        const QString haystack = LowerCaseAccented(text);
        // Folding may change a text's length for a few letters; positions then no longer line up,
        // and a plain case-insensitive replacement is the faithful answer.
        if (haystack.size() != text.size() || folded.size() != strFind.size()) {
            QString rest = text.mid(start);
            rest.replace(strFind, strReplacement, Qt::CaseInsensitive);
            return text.left(start) + rest;
        }
        const qsizetype p = haystack.indexOf(folded, start, Qt::CaseSensitive);
        if (p < 0)
            return text;
        text = text.left(p) + strReplacement + text.mid(p + strFind.size());
        // The search goes on after the replacement: restarting inside it would find a replacement
        // that contains the find text again and again, and restarting past it would skip matches
        // when the replacement is shorter.
        start = p + strReplacement.size();
    }
}

QString GetExtension(const QString &strPath, bool blnLowerCase)
{
    const QString name = strPath.mid(strPath.lastIndexOf(QChar(platform::kSeparator)) + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return QString();
    const QString ext = name.mid(dot + 1);
    return blnLowerCase ? ext.toLower() : ext;
}

QString AlignSizeDateTime(const QString &strDateTime, qint64 lngLength, bool blnWithBytes)
{
    QString dt = strDateTime;
    // Positions below are 0-based: the date fills columns 1-10, the time starts in column 12.
    const qsizetype blank = dt.indexOf(u' ');
    if (blank >= 0 && blank < 10)
        dt.insert(blank, QString(10 - blank, u' '));
    // A one-digit hour is right-aligned in columns 12-13.
    const qsizetype colon = dt.indexOf(u':', 11);
    if (colon >= 0 && colon < 13)
        dt.insert(11, u' ');
    QString size = platform::groupedNumber(lngLength);
    if (size.size() < 14)
        size.append(QString(14 - size.size(), u' '));
    QString result = dt + QStringLiteral(", ") + size;
    if (blnWithBytes) {
        result = result.trimmed() + QStringLiteral(" byte");
        if (lngLength != 1)
            result.append(u's');
    }
    return result;
}

QString FormatSizeDateTime(const platform::FileStat &st, bool blnWithBytes)
{
    return AlignSizeDateTime(platform::dateTimeText(st.modified()), st.length, blnWithBytes);
}

QString FormatSizeDateTime(const QString &strPath, bool blnWithBytes)
{
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(strPath, st, err))
        return QString();
    return FormatSizeDateTime(st, blnWithBytes);
}

QString ShortenPath(const QString &strPath, int intMaxLen, bool &blnShortened)
{
    blnShortened = false;
    if (strPath.size() > intMaxLen && intMaxLen >= 10) {
        blnShortened = true;
        return strPath.left(3) + QStringLiteral("...") + strPath.right(intMaxLen - 6);
    }
    return strPath;
}

} // namespace cheqora
