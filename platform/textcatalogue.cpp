#include "textcatalogue.h"

#include "filesystem.h"
#include "textcodec.h"
#include "uiservices.h"

#include <QHash>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace toolbelt {

namespace {

QHash<int, QString> &loadedTexts()
{
    static QHash<int, QString> texts;
    return texts;
}

enum class ReadOutcome { Ok, CannotOpen, ReadError, TooLarge };

// Far more than any catalogue needs; a larger file is refused before it is read.
constexpr qint64 kMaxFileBytes = qint64(1) << 20;

ReadOutcome readCatalogueFile(const QString &path, QByteArray &out)
{
    // Non-blocking open so that a FIFO in the file's place cannot hold the start-up.
    const int fd = ::open(encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ReadOutcome::CannotOpen;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadOutcome::ReadError;
    }
    if (st.st_size > kMaxFileBytes) {
        ::close(fd);
        return ReadOutcome::TooLarge;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadOutcome::ReadError;
        }
        if (n == 0)
            break;
        out.append(buffer, qsizetype(n));
        // A file that grows while it is read is held to the same bound.
        if (out.size() > kMaxFileBytes) {
            ::close(fd);
            return ReadOutcome::TooLarge;
        }
    }
    ::close(fd);
    return ReadOutcome::Ok;
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Parses the catalogue text into texts; returns the result number of loadCatalogue.
int parseCatalogue(const QString &content, QHash<int, QString> &texts)
{
    QStringList lines = content.split(u'\n');
    // A final line break does not start another line.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    if (lines.size() > kMaxLines)
        return LtTooMuchText;

    for (int index = 0; index < lines.size(); ++index) {
        const int lineNo = index + 1;
        QString line = lines.at(index);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (index == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);

        qsizetype p = 0;
        while (p < line.size() && isBlank(line.at(p)))
            ++p;
        if (p == line.size() || line.at(p) == u'#')
            continue;

        const qsizetype digitsStart = p;
        while (p < line.size() && line.at(p) >= u'0' && line.at(p) <= u'9')
            ++p;
        if (p == digitsStart)
            return LtBadLine;
        // More digits than any valid number has are out of range, whatever their value.
        const QStringView digits = QStringView(line).mid(digitsStart, p - digitsStart);
        bool ok = false;
        const int number = digits.size() <= 5 ? digits.toInt(&ok) : -1;
        if (!ok || number > kMaxTextNumber)
            return LtNumberOutOfRange;

        while (p < line.size() && isBlank(line.at(p)))
            ++p;
        if (p == line.size())
            return LtMissingStringBase - lineNo;
        if (line.at(p) != u'=')
            return LtBadLine;
        const QString text = line.mid(p + 1);
        if (text.isEmpty())
            return LtMissingStringBase - lineNo;
        if (text.size() > kMaxTextLength)
            return LtTooLongBase - lineNo;
        if (texts.contains(number))
            return LtDuplicateBase - lineNo;
        if (texts.size() >= kMaxTexts)
            return LtTooMuchText;
        texts.insert(number, text);
    }
    return int(texts.size());
}

} // namespace

int loadCatalogue(const QString &path, int /*options*/)
{
    QHash<int, QString> &texts = loadedTexts();
    texts.clear();
    try {
        QByteArray bytes;
        switch (readCatalogueFile(path, bytes)) {
        case ReadOutcome::CannotOpen: return LtCannotOpen;
        case ReadOutcome::ReadError: return LtReadError;
        case ReadOutcome::TooLarge: return LtTooMuchText;
        case ReadOutcome::Ok: break;
        }
        if (bytes.isEmpty())
            return LtFileEmpty;
        QHash<int, QString> parsed;
        const int result = parseCatalogue(decodeText(bytes), parsed);
        if (result >= 1)
            texts = std::move(parsed);
        return result;
    } catch (const std::bad_alloc &) {
        texts.clear();
        return LtGeneralAlloc;
    }
}

int catalogueText(int number, int language, QChar *buffer, int bufferSize, int mode)
{
    if (language != 0 || mode != 1 || !buffer || bufferSize <= 0)
        return 0;
    const QHash<int, QString> &texts = loadedTexts();
    const auto it = texts.constFind(number);
    if (it == texts.constEnd())
        return 0;
    const int count = int(qMin<qsizetype>(it->size(), bufferSize));
    std::copy(it->constData(), it->constData() + count, buffer);
    return count;
}

} // namespace toolbelt

QString programTextLoadMessage(int result, const QString &path)
{
    using namespace toolbelt;
    switch (result) {
    case LtNoText: return QStringLiteral("No program text was read.");
    case LtCannotOpen: return QStringLiteral("Cannot open file containing program text.\r\n") + path;
    case LtParticularAlloc: return QStringLiteral("Particular memory allocation error.");
    case LtTooMuchText: return QStringLiteral("Too much program text.");
    case LtNotRecovered: return QStringLiteral("Text not recovered.");
    case LtFileEmpty: return QStringLiteral("File is empty.");
    case LtReadError: return QStringLiteral("Error reading file.");
    case LtGeneralAlloc: return QStringLiteral("General memory allocation error.");
    default: break;
    }
    if (result < -1500)
        return QStringLiteral("Duplicate in program text at line %1.").arg(-result - 1500);
    if (result <= -1001)
        return QStringLiteral("String too long at line %1.").arg(-result - 1000);
    if (result <= -501)
        return QStringLiteral("Missing string at line %1.").arg(-result - 500);
    return QStringLiteral("Error %1").arg(result);
}

bool loadProgramText(const QString &file, const QString &folder)
{
    QString path = folder.isEmpty() ? programFolder() : folder;
    if (!path.endsWith(QChar(kSeparator)))
        path.append(QChar(kSeparator));
    path.append(file);
    const int result = toolbelt::loadCatalogue(path, 0);
    if (result >= 1)
        return true;
    // Every message names the catalogue; the one for a file that cannot be opened does so itself.
    const QString where = result == toolbelt::LtCannotOpen ? QString() : path + QStringLiteral(": ");
    ui().messageBox(nullptr, where + programTextLoadMessage(result, path), MsgButtons::Ok, MsgIcon::Critical, QString());
    return false;
}

QString uiText(int n)
{
    // The lookup buffer, shared by every call as the library expects.
    static QString buffer(toolbelt::kMaxTextLength, u' ');
    constexpr int language = 0;
    const int length = toolbelt::catalogueText(n, language, buffer.data(), toolbelt::kMaxTextLength, 1);
    if (length > 0) {
        const QString text = buffer.left(length);
        if (text != QStringLiteral("~"))
            return text;
    }
    return QString();
}

} // namespace platform
