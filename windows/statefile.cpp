#include "statefile.h"

#include "filesystem.h"
#include "strproc.h"
#include "textcodec.h"

#include <QStringList>

namespace cheqora {

namespace {

constexpr int kStateLines = 13;
constexpr qint64 kMaxStateFileBytes = 1024 * 1024;

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// The sign position, the digit, a trailing blank: how the file has always written a check box.
QString checkNumber(bool checked)
{
    return checked ? QStringLiteral(" 1 ") : QStringLiteral(" 0 ");
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

// A text line: a quoted value without its quotes, where only blanks may stand outside the quotes;
// an unquoted line (written by hand) is taken without its surrounding blanks.
bool readText(const QString &line, QString &out)
{
    const QString t = trimBlanks(line);
    if (!t.startsWith(u'"')) {
        out = t;
        return true;
    }
    const qsizetype close = t.indexOf(u'"', 1);
    if (close != t.size() - 1)
        return false; // no closing quote, or something after it
    out = t.mid(1, close - 1);
    return true;
}

// A 16-bit whole number with blanks around it, as the file's numbers were always read.
bool readNumber(const QString &line, int &out)
{
    const QString t = trimBlanks(line);
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == u'+' || t.at(i) == u'-'))
        ++i;
    if (i == t.size())
        return false;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t.at(j) < u'0' || t.at(j) > u'9')
            return false;
    }
    bool ok = false;
    const qlonglong value = t.mid(i).toLongLong(&ok);
    if (!ok)
        return false;
    const qlonglong signedValue = t.at(0) == u'-' ? -value : value;
    if (signedValue < -32768 || signedValue > 32767)
        return false;
    out = int(signedValue);
    return true;
}

// The program's check boxes know only unchecked and checked.
bool readCheck(const QString &line, bool &out)
{
    int value = 0;
    if (!readNumber(line, value) || (value != 0 && value != 1))
        return false;
    out = value == 1;
    return true;
}

QString problemIn(const QString &fieldName, const QString &text)
{
    if (text.contains(u'"'))
        return QStringLiteral("The %1 contains a double quote (\"), which the state file cannot hold. "
                              "Remove it and save again.")
            .arg(fieldName);
    if (text.contains(u'\r') || text.contains(u'\n'))
        return QStringLiteral("The %1 contains a line break, which the state file cannot hold. "
                              "Remove it and save again.")
            .arg(fieldName);
    return QString();
}

} // namespace

bool SavedState::operator==(const SavedState &o) const
{
    return file1 == o.file1 && file2 == o.file2 && reportFile == o.reportFile && oldFolder == o.oldFolder
        && newFolder == o.newFolder && includeSubfolders == o.includeSubfolders
        && doOnlyExtension == o.doOnlyExtension && extension == o.extension && skipFiles == o.skipFiles
        && skipSizeMB == o.skipSizeMB && warnOnOverwrite == o.warnOnOverwrite
        && suspendIfNumLines == o.suspendIfNumLines && suspendLineLimit == o.suspendLineLimit;
}

QString FormatStateFile(const SavedState &state)
{
    const QStringList lines = {
        quoted(state.file1),
        quoted(state.file2),
        quoted(state.reportFile),
        quoted(state.oldFolder),
        quoted(state.newFolder),
        checkNumber(state.includeSubfolders),
        checkNumber(state.doOnlyExtension),
        quoted(state.extension),
        checkNumber(state.skipFiles),
        QString::number(state.skipSizeMB),
        checkNumber(state.warnOnOverwrite),
        checkNumber(state.suspendIfNumLines),
        quoted(state.suspendLineLimit),
    };
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return text;
}

QString StateTextProblem(const SavedState &state)
{
    const std::pair<QString, const QString *> fields[] = {
        {QStringLiteral("1st file"), &state.file1},
        {QStringLiteral("2nd file"), &state.file2},
        {QStringLiteral("report file"), &state.reportFile},
        {QStringLiteral("old folder"), &state.oldFolder},
        {QStringLiteral("new folder"), &state.newFolder},
        {QStringLiteral("file extension"), &state.extension},
        {QStringLiteral("line limit of the report file"), &state.suspendLineLimit},
    };
    for (const auto &field : fields) {
        const QString problem = problemIn(field.first, *field.second);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

QString WriteStateFile(const QString &strStateFile, const SavedState &state)
{
    const QString problem = StateTextProblem(state);
    if (!problem.isEmpty())
        return problem;
    if (strStateFile.isEmpty())
        return platform::fileErrorDescription(platform::ErrBadFileName);
    platform::FileError err;
    if (!platform::writeFileAtomically(strStateFile, platform::encodeText(FormatStateFile(state)), err))
        return err.description;
    return QString();
}

bool ParseStateFile(const QByteArray &content, SavedState &state)
{
    QString text = platform::decodeText(content);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QStringList lines = text.split(u'\n');
    if (text.endsWith(u'\n'))
        lines.removeLast();
    if (lines.size() < kStateLines)
        return false;
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }

    SavedState s;
    int skipSize = 0;
    const bool ok = readText(lines.at(0), s.file1) && readText(lines.at(1), s.file2)
        && readText(lines.at(2), s.reportFile) && readText(lines.at(3), s.oldFolder)
        && readText(lines.at(4), s.newFolder) && readCheck(lines.at(5), s.includeSubfolders)
        && readCheck(lines.at(6), s.doOnlyExtension) && readText(lines.at(7), s.extension)
        && readCheck(lines.at(8), s.skipFiles) && readNumber(lines.at(9), skipSize)
        && readCheck(lines.at(10), s.warnOnOverwrite) && readCheck(lines.at(11), s.suspendIfNumLines)
        && readText(lines.at(12), s.suspendLineLimit);
    if (!ok)
        return false;

    // The window accepts larger sizes, but only 1..999 comes back from the file.
    if (skipSize >= 1 && skipSize <= 999) {
        s.skipSizeMB = skipSize;
    } else {
        s.skipSizeMB = 0;
        s.skipFiles = false;
    }
    state = s;
    return true;
}

bool ReadStateFile(const QString &strStateFile, SavedState &state)
{
    if (strStateFile.isEmpty())
        return false;
    // Thirteen lines of paths and options never come near this; a file that does is not a state file
    // and is not read into memory.
    platform::FileError err;
    const qint64 length = platform::fileLength(strStateFile, err);
    if (length < 0 || length > kMaxStateFileBytes)
        return false;
    QByteArray content;
    if (!platform::readWholeFile(strStateFile, content, err))
        return false;
    return ParseStateFile(content, state);
}

void CheckRestoredFiles(SavedState &state)
{
    for (QString *path : {&state.file1, &state.file2}) {
        if (path->isEmpty())
            continue;
        platform::FileError err;
        const qint64 length = platform::fileExists(*path) ? platform::fileLength(*path, err) : -1;
        if (length <= 0 || length > kMaxRestoredFileBytes)
            path->clear();
    }

    if (!platform::fileExists(state.reportFile)) {
        state.reportFile.clear();
        return;
    }
    platform::FileError err;
    if (platform::fileLength(state.reportFile, err) == 0) {
        // Removing the empty file is tidying up; when it fails the field is still cleared and the rest
        // of the restored state stays as read. Only a plain empty file goes: a link, a FIFO or a device
        // node of length 0 is no report this program left behind, nor is a report that a comparison,
        // here or in cheqora-cli, holds its lock on while it writes it (still empty while buffered).
        if (platform::isEmptyRegularFile(state.reportFile) && !platform::isLockedByAnother(state.reportFile)) {
            platform::FileError ignored;
            platform::clearFileAttributes(state.reportFile, ignored);
            platform::deleteFile(state.reportFile, ignored);
        }
        state.reportFile.clear();
    }
}

} // namespace cheqora
