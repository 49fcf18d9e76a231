#include "filefilter.h"

#include "filesystem.h"
#include "strproc.h"

namespace cheqora {

QString BuildFilespec(bool blnDoOnlyExtension, QString &strExtension)
{
    strExtension = TrimBlanks(strExtension);
    if (!blnDoOnlyExtension || strExtension.isEmpty())
        return QString();
    const QString bare = BareExtension(strExtension);
    return bare.isEmpty() ? QString() : QStringLiteral("*.") + bare;
}

QString BareExtension(const QString &extension)
{
    QString bare = TrimBlanks(extension);
    if (bare.startsWith(u'*'))
        bare.remove(0, 1);
    if (bare.startsWith(u'.'))
        bare.remove(0, 1);
    return bare;
}

bool WildcardMatch(const QString &strText, const QString &strPattern, bool blnCaseSensitive)
{
    const QString text = blnCaseSensitive ? strText : LowerCaseAccented(strText);
    const QString pattern = blnCaseSensitive ? strPattern : LowerCaseAccented(strPattern);
    if (text == pattern || pattern.isEmpty())
        return true;

    qsizetype t = 0;
    qsizetype p = 0;
    const qsizetype textLen = text.size();
    const qsizetype patternLen = pattern.size();
    while (p < patternLen) {
        const QChar pc = pattern.at(p);
        if (pc == u'*') {
            // The first literal after the run of wildcards decides where the text goes on.
            qsizetype next = p;
            while (next < patternLen && (pattern.at(next) == u'*' || pattern.at(next) == u'?'))
                ++next;
            if (next == patternLen)
                return true;
            const qsizetype found = text.indexOf(pattern.at(next), t);
            if (found < 0)
                return false;
            t = found;
            p = next;
            continue;
        }
        if (t >= textLen)
            return false;
        if (pc != u'?' && pc != text.at(t))
            return false;
        ++t;
        ++p;
    }
    return t == textLen;
}

bool FileNameMatches(const QString &strName, const QString &strFilespec, bool blnCaseSensitive)
{
    // Only the separator (and NUL) cannot stand in a name here; "?", "*", ":" and "\" are ordinary
    // characters of Linux file names and must not drop a file from the comparison.
    if (strName.contains(QChar(platform::kSeparator)) || strName.contains(QChar(u'\0')))
        return false;
    const QString pattern = TrimBlanks(strFilespec);
    if (pattern.isEmpty())
        return true;

    const qsizetype patternDot = pattern.lastIndexOf(u'.');
    const qsizetype nameDot = strName.lastIndexOf(u'.');
    QString patternBase = pattern;
    QString patternExt;
    QString nameBase = strName;
    QString nameExt;
    if (patternDot >= 0) {
        patternBase = pattern.left(patternDot);
        patternExt = pattern.mid(patternDot + 1);
        if (nameDot < 0) {
            QString rest = patternExt;
            rest.remove(u'*');
            if (!rest.isEmpty())
                return false;
        } else {
            nameBase = strName.left(nameDot);
            nameExt = strName.mid(nameDot + 1);
        }
    } else if (nameDot >= 0) {
        return false;
    }
    return WildcardMatch(nameBase, patternBase, blnCaseSensitive)
        && WildcardMatch(nameExt, patternExt, blnCaseSensitive);
}

} // namespace cheqora
