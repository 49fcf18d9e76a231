#include "reportwriter.h"

#include "digestfield.h"
#include "strproc.h"

namespace cheqora {

namespace {

const QString kBreak = QStringLiteral("\r\n");

qint64 countBreaks(const QString &text)
{
    qint64 n = 0;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == u'\r' && text.at(i + 1) == u'\n') {
            ++n;
            ++i;
        }
    }
    return n;
}

int trailingBreaksOf(const QString &text)
{
    int n = 0;
    qsizetype end = text.size();
    while (end >= 2 && text.at(end - 2) == u'\r' && text.at(end - 1) == u'\n') {
        ++n;
        end -= 2;
    }
    return n;
}

QString bytesForm(const platform::FileStat &st)
{
    // A plain md5sum list records neither.
    if (st.length == kLengthNotRecorded)
        return QStringLiteral("size and date not recorded");
    return sizeDateTimeText(st, true);
}

} // namespace

QString visibleText(const QString &text)
{
    QString out;
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const char16_t *escape = nullptr;
        switch (c) {
        case u'\n': escape = u"\\n"; break;
        case u'\r': escape = u"\\r"; break;
        case u'\v': escape = u"\\v"; break;
        case u'\f': escape = u"\\f"; break;
        case 0x85: escape = u"\\u0085"; break;
        case 0x2028: escape = u"\\u2028"; break;
        case 0x2029: escape = u"\\u2029"; break;
        default: break;
        }
        if (!escape) {
            if (changed)
                out.append(QChar(c));
            continue;
        }
        if (!changed) {
            out = text.left(i);
            changed = true;
        }
        out.append(QString::fromUtf16(escape));
    }
    return changed ? out : text;
}

ReportWriter::ReportWriter(const Header &header, bool limitLines, qint64 maxLines,
                           std::function<void(qint64)> lineCounted)
    : m_header(header)
    , m_limitLines(limitLines)
    , m_maxLines(maxLines)
    , m_lineCounted(std::move(lineCounted))
{
}

bool ReportWriter::open(const QString &path, QString &error)
{
    platform::FileError err;
    if (m_file.open(path, err))
        return true;
    error = err.description;
    return false;
}

bool ReportWriter::close(QString &error)
{
    platform::FileError err;
    if (m_file.close(err))
        return true;
    error = err.description;
    return false;
}

void ReportWriter::fail(const QString &error)
{
    // A report that cannot be written is an error of the comparison, not a silent gap.
    m_failed = true;
    m_error = error;
}

void ReportWriter::write(const QString &text)
{
    if (m_linesExceeded || m_failed)
        return;
    Q_ASSERT(m_file.isOpen()); // nothing is written before the report is open
    platform::FileError err;
    if (!m_file.write(text, err)) {
        fail(err.description);
        return;
    }
    const bool breakOnly = text == kBreak;
    if (!m_limitLines) {
        m_linesExceeded = false;
    } else if (!breakOnly) {
        m_lines += countBreaks(text);
        m_lineCounted(m_lines);
        if (m_lines > m_maxLines) {
            m_linesExceeded = true;
            const QString stop = kBreak + QStringLiteral("Number of lines exceeds ") + QString::number(m_maxLines)
                + QStringLiteral(", so stopping.") + kBreak;
            if (!m_file.write(stop, err))
                fail(err.description);
        }
    }
    if (breakOnly)
        ++m_trailingBreaks;
    else
        m_trailingBreaks = trailingBreaksOf(text);
}

void ReportWriter::ensureHeader()
{
    if (m_headerDone)
        return;
    // An MD5 report reads as it always has; another digest is named below the folders.
    const QString digest = m_header.algorithm == DigestAlgorithm::Md5
        ? QString()
        : QStringLiteral("Digest: ") + algorithmTitle(m_header.algorithm) + kBreak;
    write(QStringLiteral("1st folder: ") + visibleText(m_header.oldFolder) + kBreak + QStringLiteral("2nd folder: ")
          + visibleText(m_header.newFolder) + kBreak + digest + kBreak);
    if (m_header.mode == CompareMode::Changes) {
        const bool anySubfolder = m_header.recursive && m_header.anySubfolder();
        QString sentence = anySubfolder
            ? QStringLiteral("Assuming the 2nd folder and its subfolders were ")
                + QStringLiteral("derived from the 1st folder and its subfolders")
            : QStringLiteral("Assuming the 2nd folder was derived from the 1st folder");
        sentence += QStringLiteral(" then the files added to the 2nd folder, modified, ")
            + QStringLiteral("or removed from the 1st folder are as follows:") + kBreak + kBreak;
        write(sentence);
    } else {
        write(QStringLiteral("The pair(s) of files below are identical in content.") + kBreak);
        QString sentence = QStringLiteral("The 1st file in each pair is in the 1st folder");
        if (m_header.recursive)
            sentence += QStringLiteral(" or a subfolder");
        sentence += QStringLiteral(", the 2nd file is in the 2nd folder");
        if (m_header.recursive)
            sentence += QStringLiteral(" or a corresponding subfolder");
        sentence += u'.' + kBreak + kBreak;
        write(sentence);
    }
    m_headerDone = true;
}

void ReportWriter::oneLineEntry(const QString &text)
{
    ensureHeader();
    write(text + kBreak);
    m_oneLineEntries = true;
}

void ReportWriter::added(const QString &path, const platform::FileStat &st, bool isReport)
{
    ensureHeader();
    write(QStringLiteral("File added: ") + visibleText(path));
    if (isReport)
        write(QStringLiteral(", current report file, not yet closed.") + kBreak);
    else
        write(QStringLiteral(", ") + bytesForm(st) + kBreak);
    m_oneLineEntries = true;
    ++m_counts.added;
}

void ReportWriter::modified(const QString &walkedPath, const platform::FileStat &walked, const QString &recordPath,
                            const platform::FileStat &record)
{
    ++m_counts.modified;
    pairEntry(QStringLiteral("File modified:") + kBreak, walkedPath, walked, recordPath, record,
              QStringLiteral(", same size, date and time"));
}

void ReportWriter::identical(const QString &walkedPath, const platform::FileStat &walked, const QString &recordPath,
                             const platform::FileStat &record)
{
    ++m_counts.duplicates;
    pairEntry(QString(), walkedPath, walked, recordPath, record, QStringLiteral(", same date, time and size"));
}

// Two files of a pair, each on its line with its size and time, after a blank line and the heading.
// same replaces the 2nd file's size and time when they read as the 1st file's.
void ReportWriter::pairEntry(const QString &heading, const QString &walkedPath, const platform::FileStat &walked,
                             const QString &recordPath, const platform::FileStat &record, const QString &same)
{
    ensureHeader();
    if (m_trailingBreaks < 2)
        write(kBreak);
    if (!heading.isEmpty())
        write(heading);
    const QString walkedBytes = bytesForm(walked);
    write(visibleText(walkedPath) + QStringLiteral(", ") + walkedBytes + kBreak);
    const QString recordBytes = bytesForm(record);
    const bool sameBytes = recordBytes == walkedBytes && walked.length != kLengthNotRecorded;
    write(visibleText(recordPath) + (sameBytes ? same : QStringLiteral(", ") + recordBytes) + kBreak + kBreak);
}

void ReportWriter::notCompared(const QString &path, const QString &status)
{
    ++m_counts.notCompared;
    oneLineEntry(QStringLiteral("File not compared: ") + visibleText(path) + QStringLiteral(", ") + status);
}

void ReportWriter::folderNotRead(const QString &path, const QString &status)
{
    ++m_counts.foldersNotRead;
    oneLineEntry(QStringLiteral("Folder not read: ") + visibleText(path) + QStringLiteral(", ") + status);
}

void ReportWriter::startRemovedEntries()
{
    // Removed entries have no header, nor does a file among them that could not be examined.
    m_headerDone = true;
    m_firstRemoved = true;
}

void ReportWriter::removed(const QString &path)
{
    ++m_counts.removed;
    if (m_firstRemoved && m_oneLineEntries && m_trailingBreaks < 2)
        write(kBreak);
    m_firstRemoved = false;
    write(QStringLiteral("File removed: ") + visibleText(path) + kBreak);
}

void ReportWriter::summary()
{
    // What could not be checked follows the counts; a run without any keeps the usual summary.
    QString unchecked;
    if (m_counts.notCompared > 0)
        unchecked += QStringLiteral("Files not compared: ") + QString::number(m_counts.notCompared) + kBreak;
    if (m_counts.foldersNotRead > 0)
        unchecked += QStringLiteral("Folders not read: ") + QString::number(m_counts.foldersNotRead) + kBreak;
    if (m_header.mode == CompareMode::Changes) {
        if (m_counts.changes() == 0 && unchecked.isEmpty()) {
            write(kBreak + QStringLiteral("No files were changed, added or removed.") + kBreak);
            return;
        }
        write(kBreak + QStringLiteral("Files modified: ") + QString::number(m_counts.modified) + kBreak
              + QStringLiteral("Files added: ") + QString::number(m_counts.added) + kBreak
              + QStringLiteral("Files removed: ") + QString::number(m_counts.removed) + kBreak + unchecked);
        return;
    }
    const QString pairs = m_counts.duplicates > 0
        ? QStringLiteral("Number of duplicate (identical) files: ") + QString::number(m_counts.duplicates) + kBreak
        : QString();
    if (unchecked.isEmpty()) {
        write(pairs.isEmpty() ? kBreak : pairs);
        return;
    }
    if (m_trailingBreaks < 2)
        write(kBreak);
    write(pairs + unchecked);
}

} // namespace cheqora
