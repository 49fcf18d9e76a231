// Writing digest lists, a list held in memory, and the records a comparison takes from one.
#include "digestlist.h"

#include "digestlisttext.h"
#include "strproc.h"
#include "textcodec.h"

#include <algorithm>
#include <cstring>

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
    // MD5 lists stay as they always were.
    if (header.algorithm != DigestAlgorithm::Md5)
        out += QStringLiteral("#: algorithm ") + algorithmName(header.algorithm) + u'\n';
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
        for (int i = 0; i < digestByteLength(entry.algorithm); ++i) {
            const quint8 b = entry.digest[size_t(i)];
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
                                  const FileDigest &digest, DigestAlgorithm algorithm)
{
    DigestListEntry e;
    e.relativePath = relativePath;
    e.algorithm = algorithm;
    const int length = digestByteLength(algorithm);
    e.statRecorded = st.kind != platform::EntryKind::Missing;
    if (e.statRecorded) {
        e.length = st.length;
        e.modifiedSecs = st.modifiedSecs;
    }
    if (skipped) {
        e.kind = DigestListEntry::Kind::Skipped;
    } else if (digest.status == DigestZeroLength) {
        std::copy(emptyDigest(algorithm), emptyDigest(algorithm) + length, e.digest.begin());
    } else if (digest.ok() && digest.hex.size() == 2 * length) {
        const auto nibble = [&](int k) { return hexValue(char(digest.hex.at(k).unicode())); };
        for (int i = 0; i < length; ++i)
            e.digest[size_t(i)] = quint8(nibble(2 * i) << 4 | nibble(2 * i + 1));
    } else {
        e.kind = DigestListEntry::Kind::NotRead;
        e.status = digest.statusText;
    }
    return e;
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
    const qsizetype tail = e.kind == DigestListEntry::Kind::Digest ? digestByteLength(e.algorithm) - 16 : 0;
    if (n + tail > m_freeLeft) {
        const qsizetype size = qMax(n + tail, qsizetype(1) << 21);
        m_blocks.emplace_back(new char[size_t(size)]);
        m_free = m_blocks.back().get();
        m_freeLeft = size;
    }
    if (ascii)
        std::copy(name, name + n, m_free);
    else
        std::memcpy(m_free, bytes.constData(), size_t(n));
    Entry r{m_free, qint32(n), e.kind, e.statRecorded, 0, quint32(std::min<qint64>(e.line, 0xFFFFFFFF)),
            e.length, e.modifiedSecs, {}};
    std::copy(e.digest.begin(), e.digest.begin() + 16, r.digest.begin());
    if (tail > 0)
        std::memcpy(m_free + n, e.digest.data() + 16, size_t(tail));
    m_free += n + tail;
    m_freeLeft -= n + tail;
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

bool DigestList::read(const QString &listPath, QString &error, const std::function<bool()> &progress,
                      const DigestAlgorithm *algorithm)
{
    release();
    DigestListHeader header;
    const auto keep = [&](const DigestListEntry &e) {
        append(e);
        return !progress || progress();
    };
    if (!readDigestList(listPath, keep, header, error, algorithm)) {
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
    e.algorithm = m_header.algorithm;
    std::copy(r.digest.begin(), r.digest.end(), e.digest.begin());
    if (r.kind == DigestListEntry::Kind::Digest && digestByteLength(e.algorithm) > 16)
        std::memcpy(e.digest.data() + 16, r.path + r.pathLength, size_t(digestByteLength(e.algorithm) - 16));
    if (r.kind == DigestListEntry::Kind::NotRead || r.kind == DigestListEntry::Kind::FolderNotRead)
        e.status = m_statusTexts.at(r.status);
    e.statRecorded = r.statRecorded;
    e.length = r.length;
    e.modifiedSecs = r.modifiedSecs;
    e.line = r.line;
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
        } else if (std::equal(entry.digest.begin(), entry.digest.begin() + digestByteLength(entry.algorithm),
                              emptyDigest(entry.algorithm))) {
            field = texts.fieldForText(zeroLengthText(), DigestField::Empty);
        } else {
            field = texts.fieldForBytes(entry.digest.data(), digestByteLength(entry.algorithm));
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
