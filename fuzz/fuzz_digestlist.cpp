// Digest lists: a list the reader accepts looks like a list, reads back the same once written again,
// and each entry comes from a line of its own (a digest from a line that spells it); a refused list
// names one of its lines.
#include "digestlist.h"
#include "fuzzcheck.h"
#include "textcodec.h"

using namespace cheqora;

namespace {

// The list written again from what was read: the one place that knows how a list is laid out.
QString rewritten(const DigestList &list)
{
    QString text = FormatDigestListHeader(list.header());
    for (qsizetype i = 0; i < list.count(); ++i)
        text += FormatDigestListEntry(list.entry(i));
    return text + FormatDigestListEnd(list.count());
}

bool sameHeader(const DigestListHeader &a, const DigestListHeader &b)
{
    return a.program == b.program && a.folder == b.folder && a.createdSecs == b.createdSecs
        && a.recursive == b.recursive && a.extension == b.extension && a.skipSizeMB == b.skipSizeMB;
}

// A size and time mean something only where the list records them.
bool sameEntry(const DigestListEntry &a, const DigestListEntry &b)
{
    return a.relativePath == b.relativePath && a.kind == b.kind && a.digest == b.digest && a.status == b.status
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
    DigestListError err;
    if (!list.read(path, err)) {
        // Only a file without any digest line, and a list cut short after its last whole line, are
        // refused as a whole.
        const QString cut = QStringLiteral("the list is cut short after line ");
        const qint64 wholeLines = bytes.count('\n');
        if (err.line == 0 && err.what.startsWith(cut))
            fuzz::check(err.what.mid(cut.size()).toLongLong() == wholeLines, "a list cut short elsewhere", err.text());
        else if (!(err.line == 0 && err.notAList))
            fuzz::check(err.isSet() && err.line >= 1 && err.line <= lineCount, "an error not on a line of the list", err.text());
        return 0;
    }
    // Else a folder field would not take it as a list.
    fuzz::check(LooksLikeDigestList(path), "a list the reader takes does not look like one");
    qint64 previous = 0;
    for (qsizetype i = 0; i < list.count(); ++i) {
        const DigestListEntry e = list.entry(i);
        fuzz::check(e.line > previous && e.line <= lineCount, "an entry not on a line of its own", e.relativePath);
        previous = e.line;
        const QByteArray hex = QByteArray(reinterpret_cast<const char *>(e.digest.data()), 16).toHex();
        fuzz::check(e.kind != DigestListEntry::Kind::Digest || lines.at(e.line - 1).toLower().contains(hex),
                    "a digest its line does not spell", e.relativePath);
    }
    // Read again as a stream, which holds no list in memory: the compact list must have kept every field.
    DigestListHeader header;
    QList<DigestListEntry> again;
    fuzz::check(ReadDigestList(fuzz::scratchFile(QStringLiteral("again.md5"), platform::encodeText(rewritten(list))), header,
                               err, [&](const DigestListEntry &e) { again.append(e); return true; }),
                "the list written again is refused", err.text());
    fuzz::check(sameHeader(list.header(), header), "the header reads back differently");
    fuzz::check(again.size() == list.count(), "the number of entries reads back differently");
    for (qsizetype i = 0; i < list.count(); ++i)
        fuzz::check(sameEntry(list.entry(i), again.at(i)), "an entry reads back differently", again.at(i).relativePath);
    return 0;
}
