#include "pairing.h"

#include "sortsearch.h"
#include "strproc.h"

namespace cheqora {

namespace {

bool underFolder(QStringView relativePath, const QSet<QString> &folders)
{
    if (folders.isEmpty())
        return false;
    const QString folded = foldCase(relativePath.toString());
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if ((i == 0 && folders.contains(QString()))
            || (folded.at(i) == platform::kSeparator && folders.contains(folded.left(i + 1))))
            return true;
    }
    return false;
}

} // namespace

Pairing::Pairing(CompareMode mode)
    : m_mode(mode)
{
}

void Pairing::addRecord(QStringView relativePath, const DigestField &field, const platform::FileStat &st)
{
    Q_ASSERT(m_matched.isEmpty()); // records come before the pairing starts
    m_records.append(relativePath, field, st);
}

void Pairing::recordFolderNotRead(const QString &relativePath)
{
    m_recordFoldersNotRead.insert(foldCase(relativePath));
}

void Pairing::release()
{
    m_records.release();
    m_matched = QVector<quint8>();
}

void Pairing::sortRecords()
{
    m_records.sort();
    m_matched = QVector<quint8>(m_records.count(), 0);
}

void Pairing::walkedFolderNotRead(const QString &relativePath)
{
    m_walkedFoldersNotRead.insert(foldCase(relativePath));
}

Pairing::Verdict Pairing::judge(const WalkedFile &file)
{
    Q_ASSERT(m_matched.size() == m_records.count()); // sortRecords() came first
    const QStringView relativePath = file.relativePath();
    const qsizetype index = findPair(relativePath);
    if (index < 0) {
        // Nothing is known of a file whose entry could not be examined, nor of the other side of a
        // folder that could not be read there.
        if (m_mode == CompareMode::Duplicates)
            return Verdict{};
        if (file.field.kind == DigestField::Unknown)
            return Verdict{Verdict::NotCompared, -1, true};
        if (underFolder(relativePath, m_recordFoldersNotRead))
            return Verdict{};
        return Verdict{Verdict::Added};
    }
    m_matched[index] = 1;
    const DigestField &listed = m_records.field(index);
    // A file without a digest on either side is never equal nor different; the entry names the side
    // that failed, the new folder's when both did.
    if (file.field.hasNoDigest() || listed.hasNoDigest()) {
        const bool walkedNamed = file.field.hasNoDigest() && (!listed.hasNoDigest() || m_mode == CompareMode::Changes);
        return Verdict{Verdict::NotCompared, index, walkedNamed};
    }
    const bool skipped = file.field.kind == DigestField::Skipped || listed.kind == DigestField::Skipped;
    if (m_mode == CompareMode::Duplicates) {
        // Files skipped for their size were not read: never called identical.
        if (skipped || listed != file.field)
            return Verdict{};
        return Verdict{Verdict::Identical, index};
    }
    // A skipped file is told apart from the other by the sizes alone: equal or unrecorded sizes
    // stay unreported.
    if (skipped) {
        const qint64 length = file.stat.length;
        const qint64 listedLength = m_records.stat(index).length;
        if (length == listedLength || length == kLengthNotRecorded || listedLength == kLengthNotRecorded)
            return Verdict{};
    } else if (listed == file.field) {
        return Verdict{};
    }
    return Verdict{Verdict::Modified, index};
}

qsizetype Pairing::findPair(QStringView relativePath) const
{
    qsizetype first = 0;
    qsizetype last = 0;
    if (!m_records.find(foldCase(relativePath.toString()), first, last))
        return -1;
    // Names that differ only in letter case can live side by side: the exact path pairs first.
    for (qsizetype i = first; i <= last; ++i) {
        if (m_records.key(i) == relativePath)
            return i;
    }
    // A case-only match pairs with a record that nothing else has taken and that has no exact twin
    // on the walked side (that twin will pair with it); among several, the smallest path.
    qsizetype best = -1;
    for (qsizetype i = first; i <= last; ++i) {
        if (m_matched[i] != 0 || m_walkedHasExactFile(m_records.key(i)))
            continue;
        if (best < 0 || compareCodeUnits(m_records.key(i), m_records.key(best)) < 0)
            best = i;
    }
    return best;
}

void Pairing::forEachUnpaired(const std::function<bool(qsizetype record)> &visit) const
{
    for (qsizetype i = 0; i < m_records.count(); ++i) {
        if (m_matched[i] != 0 || underFolder(m_records.key(i), m_walkedFoldersNotRead))
            continue;
        if (!visit(i))
            return;
    }
}

} // namespace cheqora
