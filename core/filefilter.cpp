#include "filefilter.h"

#include "filesystem.h"
#include "strproc.h"

namespace cheqora {

QString buildFilespec(bool onlyExtension, QString &extension)
{
    extension = trimBlanks(extension);
    if (!onlyExtension || extension.isEmpty())
        return QString();
    const QString bare = bareExtension(extension);
    return bare.isEmpty() ? QString() : QStringLiteral("*.") + bare;
}

QString bareExtension(const QString &extension)
{
    QString bare = trimBlanks(extension);
    if (bare.startsWith(u'*'))
        bare.remove(0, 1);
    if (bare.startsWith(u'.'))
        bare.remove(0, 1);
    return bare;
}

bool wildcardMatch(const QString &subject, const QString &wildcards, bool caseSensitive)
{
    const QString text = caseSensitive ? subject : foldCase(subject);
    const QString pattern = caseSensitive ? wildcards : foldCase(wildcards);
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

bool fileNameMatches(const QString &name, const QString &filespec, bool caseSensitive)
{
    // Only the separator (and NUL) cannot stand in a name here; "?", "*", ":" and "\" are ordinary
    // characters of Linux file names and must not drop a file from the comparison.
    if (name.contains(QChar(platform::kSeparator)) || name.contains(QChar(u'\0')))
        return false;
    const QString pattern = trimBlanks(filespec);
    if (pattern.isEmpty())
        return true;

    const qsizetype patternDot = pattern.lastIndexOf(u'.');
    const qsizetype nameDot = name.lastIndexOf(u'.');
    QString patternBase = pattern;
    QString patternExt;
    QString nameBase = name;
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
            nameBase = name.left(nameDot);
            nameExt = name.mid(nameDot + 1);
        }
    } else if (nameDot >= 0) {
        return false;
    }
    return wildcardMatch(nameBase, patternBase, caseSensitive)
        && wildcardMatch(nameExt, patternExt, caseSensitive);
}

} // namespace cheqora
