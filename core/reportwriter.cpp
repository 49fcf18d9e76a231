// The report file writer of the folder comparison: every piece of report text goes through
// WriteReportText, which counts lines, tracks the line breaks at the end of the text so far and stops
// the comparison at the line limit.
#include "foldercomparison.h"

#include "strproc.h"

namespace cheqora {

namespace {

const QString kBreak = QStringLiteral("\r\n");

qint64 countBreaks(const QString &strText)
{
    qint64 n = 0;
    for (qsizetype i = 0; i + 1 < strText.size(); ++i) {
        if (strText.at(i) == u'\r' && strText.at(i + 1) == u'\n') {
            ++n;
            ++i;
        }
    }
    return n;
}

int trailingBreaksOf(const QString &strText)
{
    int n = 0;
    qsizetype end = strText.size();
    while (end >= 2 && strText.at(end - 2) == u'\r' && strText.at(end - 1) == u'\n') {
        ++n;
        end -= 2;
    }
    return n;
}

} // namespace

QString visibleText(const QString &strText)
{
    QString out;
    bool blnChanged = false;
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const char16_t c = strText.at(i).unicode();
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
            if (blnChanged)
                out.append(QChar(c));
            continue;
        }
        if (!blnChanged) {
            out = strText.left(i);
            blnChanged = true;
        }
        out.append(QString::fromUtf16(escape));
    }
    return blnChanged ? out : strText;
}

QString FolderComparison::bytesForm(const platform::FileStat &st) const
{
    // A plain md5sum list records neither.
    if (st.length == kLengthNotRecorded)
        return QStringLiteral("size and date not recorded");
    return sizeDateTimeText(st, true);
}

void FolderComparison::WriteReportText(const QString &strText)
{
    if (blnLinesExceeded || m_blnFailed)
        return;
    platform::FileError err;
    if (!intFileNum.write(strText, err)) {
        // A report that cannot be written is an error of the comparison, not a silent gap.
        fail(err.description);
        return;
    }
    const bool blnBreakOnly = strText == kBreak;
    const bool blnLimit = m_options ? m_options->blnSuspendIfNumLines : false;
    if (!blnLimit) {
        blnLinesExceeded = false;
    } else if (!blnBreakOnly) {
        lngNumLines += countBreaks(strText);
        m_host.showLineCount(lngNumLines);
        if (lngNumLines > lngMaxLines) {
            blnLinesExceeded = true;
            const QString stop = kBreak + QStringLiteral("Number of lines exceeds ") + QString::number(lngMaxLines)
                + QStringLiteral(", so stopping.") + kBreak;
            if (!intFileNum.write(stop, err))
                fail(err.description);
        }
    }
    if (blnBreakOnly)
        ++intTrailingBreaks;
    else
        intTrailingBreaks = trailingBreaksOf(strText);
}

void FolderComparison::WriteReportHeader(int intOperation)
{
    WriteReportText(QStringLiteral("1st folder: ") + visibleText(strFolder1) + kBreak + QStringLiteral("2nd folder: ")
                    + visibleText(strFolder2) + kBreak + kBreak);
    const bool blnRecursive = m_options && m_options->blnIncludeSubfolders;
    if (intOperation == 1) {
        bool blnAnySubfolder = false;
        if (blnRecursive)
            blnAnySubfolder = anySubfolder(strFolder1, 0) || anySubfolder(strFolder2, 1);
        QString sentence = blnAnySubfolder
            ? QStringLiteral("Assuming the 2nd folder and its subfolders were ")
                + QStringLiteral("derived from the 1st folder and its subfolders")
            : QStringLiteral("Assuming the 2nd folder was derived from the 1st folder");
        sentence += QStringLiteral(" then the files added to the 2nd folder, modified, ")
            + QStringLiteral("or removed from the 1st folder are as follows:") + kBreak + kBreak;
        WriteReportText(sentence);
    } else {
        WriteReportText(QStringLiteral("The pair(s) of files below are identical in content.") + kBreak);
        QString sentence = QStringLiteral("The 1st file in each pair is in the 1st folder");
        if (blnRecursive)
            sentence += QStringLiteral(" or a subfolder");
        sentence += QStringLiteral(", the 2nd file is in the 2nd folder");
        if (blnRecursive)
            sentence += QStringLiteral(" or a corresponding subfolder");
        sentence += u'.' + kBreak + kBreak;
        WriteReportText(sentence);
    }
    blnHeaderDone = true;
}

void FolderComparison::writeSummary()
{
    // What could not be checked follows the counts; a run without any keeps the usual summary.
    QString unchecked;
    if (lngNumNotCompared > 0)
        unchecked += QStringLiteral("Files not compared: ") + QString::number(lngNumNotCompared) + kBreak;
    if (lngNumFoldersNotRead > 0)
        unchecked += QStringLiteral("Folders not read: ") + QString::number(lngNumFoldersNotRead) + kBreak;
    if (intOperation == 1) {
        if (lngNumModified + lngNumAdded + lngNumRemoved == 0 && unchecked.isEmpty()) {
            WriteReportText(kBreak + QStringLiteral("No files were changed, added or removed.") + kBreak);
            return;
        }
        WriteReportText(kBreak + QStringLiteral("Files modified: ") + QString::number(lngNumModified) + kBreak
                        + QStringLiteral("Files added: ") + QString::number(lngNumAdded) + kBreak
                        + QStringLiteral("Files removed: ") + QString::number(lngNumRemoved) + kBreak + unchecked);
        return;
    }
    const QString pairs = lngNumDuplicates > 0
        ? QStringLiteral("Number of duplicate (identical) files: ") + QString::number(lngNumDuplicates) + kBreak
        : QString();
    if (unchecked.isEmpty()) {
        WriteReportText(pairs.isEmpty() ? kBreak : pairs);
        return;
    }
    if (intTrailingBreaks < 2)
        WriteReportText(kBreak);
    WriteReportText(pairs + unchecked);
}

} // namespace cheqora
