// Writing digest lists, and the records a comparison takes from one.
#include "digestlist.h"

#include "digestlisttext.h"
#include "strproc.h"

namespace cheqora {

using namespace listtext;

namespace {

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

} // namespace

QString digestListHeaderText(const DigestListHeader &header)
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

QString digestListEntryText(const DigestListEntry &entry)
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

QString digestListEndText(qint64 entries)
{
    return QStringLiteral("#: entries ") + QString::number(entries) + u'\n';
}

DigestListEntry digestListEntryOf(const QString &relativePath, const platform::FileStat &st, bool skipped,
                                  const FileDigest &digest)
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
    } else if (digest.status == DigestZeroLength) {
        e.digest = kEmptyDigest;
    } else if (digest.ok() && digest.hex.size() == 32) {
        const auto nibble = [&](int k) { return hexValue(char(digest.hex.at(k).unicode())); };
        for (int i = 0; i < 16; ++i)
            e.digest[size_t(i)] = quint8(nibble(2 * i) << 4 | nibble(2 * i + 1));
    } else {
        e.kind = DigestListEntry::Kind::NotRead;
        e.status = digest.statusText;
    }
    return e;
}

// ---- Records ------------------------------------------------------------------------------------------

bool listRecordOf(const DigestListEntry &entry, const WalkFilter &filter, DigestFieldTexts &texts,
                  DigestField &field, platform::FileStat &st)
{
    const qsizetype slash = entry.relativePath.lastIndexOf(QChar(platform::kSeparator));
    if (slash >= 0 && !filter.recursive)
        return false;
    if (!filter.filespec.isEmpty() && !fileNameMatches(entry.relativePath.mid(slash + 1), filter.filespec, false))
        return false;
    st = platform::FileStat();
    st.kind = platform::EntryKind::File;
    st.length = entry.statRecorded ? entry.length : kLengthNotRecorded;
    st.modifiedSecs = entry.statRecorded ? entry.modifiedSecs : 0;
    switch (entry.kind) {
    case DigestListEntry::Kind::Digest:
        if (entry.statRecorded && filter.skips(entry.length)) {
            field = texts.skippedField();
        } else if (entry.digest == kEmptyDigest) {
            field = texts.fieldForText(zeroLengthText(), DigestField::Empty);
        } else {
            field = DigestField();
            field.bytes = entry.digest;
        }
        break;
    case DigestListEntry::Kind::Skipped:
        // Unread by the list's walk: equal to nothing unless this walk would not read it either.
        if (entry.statRecorded && filter.skips(entry.length))
            field = texts.skippedField();
        else
            field = texts.fieldForText(QStringLiteral("Large file skipped"), DigestField::Failed);
        break;
    case DigestListEntry::Kind::NotRead:
        // Without a stat the walk could not even examine the entry.
        field = texts.fieldForText(entry.status, entry.statRecorded ? DigestField::Failed : DigestField::Unknown);
        break;
    case DigestListEntry::Kind::FolderNotRead:
    case DigestListEntry::Kind::Subfolder:
        return false;
    }
    return true;
}

bool namesSubfolder(const DigestListEntry &entry)
{
    return entry.kind == DigestListEntry::Kind::FolderNotRead || entry.kind == DigestListEntry::Kind::Subfolder
        || entry.relativePath.contains(QChar(platform::kSeparator));
}

QString listMismatch(const DigestListHeader &header, const WalkFilter &filter)
{
    if (!header.ownFormat)
        return QString(); // md5sum records no walk
    if (filter.recursive && !header.recursive)
        return QStringLiteral("the list was made without subfolders, so it cannot be compared with subfolders included");
    const QString listed = bareExtension(header.extension);
    if (listed.isEmpty())
        return QString();
    const QString wanted = filter.filespec.isEmpty() ? QString() : bareExtension(filter.filespec);
    if (wanted.isEmpty())
        return QStringLiteral("the list holds only files with the extension %1, so it cannot be compared with all files")
            .arg(listed);
    if (foldCase(wanted) != foldCase(listed))
        return QStringLiteral("the list holds only files with the extension %1, not those with the extension %2")
            .arg(listed, wanted);
    return QString();
}

bool forEachListRecord(const DigestList &list, const WalkFilter &filter, DigestFieldTexts &texts,
                       const ListRecordVisitor &visit)
{
    DigestField field;
    platform::FileStat st;
    for (qsizetype i = 0; i < list.count(); ++i) {
        const DigestListEntry e = list.entry(i);
        if (listRecordOf(e, filter, texts, field, st) && !visit(e.relativePath, field, st))
            return false;
    }
    return true;
}

} // namespace cheqora
