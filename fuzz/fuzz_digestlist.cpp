// Digest lists: a list the reader accepts looks like a list, reads back the same once written again,
// and each entry comes from a line of its own (a digest from a line that spells it, of the list's one
// algorithm); a refused list names one of its lines.
#include "digestlist.h"
#include "fuzzcheck.h"
#include "textcodec.h"

#include <QRegularExpression>

using namespace cheqora;
using namespace Qt::StringLiterals;

namespace {

// The list written again from what was read: the one place that knows how a list is laid out.
QString rewritten(const DigestList &list)
{
    QString text = digestListHeaderText(list.header());
    for (qsizetype i = 0; i < list.count(); ++i)
        text += digestListEntryText(list.entry(i));
    return text + digestListEndText(list.count());
}

bool sameHeader(const DigestListHeader &a, const DigestListHeader &b)
{
    return a.program == b.program && a.folder == b.folder && a.createdSecs == b.createdSecs
        && a.recursive == b.recursive && a.extension == b.extension && a.skipSizeMB == b.skipSizeMB
        && a.algorithm == b.algorithm;
}

// A size and time mean something only where the list records them.
bool sameEntry(const DigestListEntry &a, const DigestListEntry &b)
{
    return a.relativePath == b.relativePath && a.kind == b.kind && a.status == b.status
        && (a.kind != DigestListEntry::Kind::Digest || (a.algorithm == b.algorithm && a.digest == b.digest))
        && a.statRecorded == b.statRecorded
        && (!a.statRecorded || (a.length == b.length && a.modifiedSecs == b.modifiedSecs));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QList<QByteArray> lines = bytes.split('\n');
    const qint64 lineCount = lines.size() - (bytes.isEmpty() || bytes.endsWith('\n') ? 1 : 0);
    const QString path = fuzz::scratchFile(QStringLiteral("list.md5"), bytes);
    DigestList list;
    QString err;
    if (!list.read(path, err)) {
        // Only a file without any digest line, and a list cut short after its last whole line, are
        // refused as a whole; any other error names a line of the file.
        const QString cut = path + QStringLiteral(": the list is cut short after line ");
        const QString notAList = path + QStringLiteral(" is neither a folder nor a digest list");
        const QRegularExpression onLine(u"^"_s + QRegularExpression::escape(path) + u"(, line | is neither a folder nor a digest list \\(line )(\\d+): "_s);
        const QRegularExpressionMatch m = onLine.match(err);
        if (err.startsWith(cut))
            fuzz::check(err.mid(cut.size()).chopped(1).toLongLong() == bytes.count('\n'), "a list cut short elsewhere", err);
        else if (err != notAList + u'.')
            fuzz::check(m.hasMatch() && m.captured(2).toLongLong() >= 1 && m.captured(2).toLongLong() <= lineCount,
                        "an error not on a line of the list", err);
        return 0;
    }
    // Else a folder field would not take it as a list.
    fuzz::check(looksLikeDigestList(path), "a list the reader takes does not look like one");
    qint64 previous = 0;
    for (qsizetype i = 0; i < list.count(); ++i) {
        const DigestListEntry e = list.entry(i);
        fuzz::check(e.line > previous && e.line <= lineCount, "an entry not on a line of its own", e.relativePath);
        previous = e.line;
        const QByteArray hex = QByteArray(reinterpret_cast<const char *>(e.digest.data()), digestByteLength(e.algorithm)).toHex();
        fuzz::check(e.kind != DigestListEntry::Kind::Digest || e.algorithm == list.header().algorithm,
                    "a digest of another algorithm than the list's", e.relativePath);
        fuzz::check(e.kind != DigestListEntry::Kind::Digest || lines.at(e.line - 1).toLower().contains(hex),
                    "a digest its line does not spell", e.relativePath);
    }
    // Read again as a stream, which holds no list in memory: the compact list must have kept every field.
    DigestListHeader header;
    QList<DigestListEntry> again;
    fuzz::check(readDigestList(fuzz::scratchFile(QStringLiteral("again.md5"), platform::encodeText(rewritten(list))),
                               [&](const DigestListEntry &e) { again.append(e); return true; }, header, err),
                "the list written again is refused", err);
    fuzz::check(sameHeader(list.header(), header), "the header reads back differently");
    fuzz::check(again.size() == list.count(), "the number of entries reads back differently");
    for (qsizetype i = 0; i < list.count(); ++i)
        fuzz::check(sameEntry(list.entry(i), again.at(i)), "an entry reads back differently", again.at(i).relativePath);
    return 0;
}
