#pragma once

// Digest lists: a folder's digests saved as text, so that a later comparison can use the list in place
// of the folder. Each file is one line in the format of the algorithm's coreutils tool (`md5sum -c`,
// `sha256sum -c`... verify a fresh list); what that format cannot hold goes into "#:" comment lines,
// which those tools ignore:
//
//     #: Cheqora digest list 2
//     #: program Cheqora 1.0
//     #: folder /home/ann/Photos
//     #: date 2026-12-07T01:06:52Z
//     #: recursive yes
//     #: extension
//     #: skip-mb 0
//     #: algorithm sha256                         (only for an algorithm other than MD5)
//     #: file 2048 2026-11-30T18:02:11Z
//     3b5d5c3712955042212316173ccf37be  2026/beach.jpg
//     #: skipped 5368709120 2026-11-30T18:02:11Z disk.iso
//     #: not-read 1234 2026-11-30T18:02:11Z "Permission denied" private/notes.txt
//     #: folder-not-read "Permission denied" private/locked
//     #: subfolder 2026
//     #: entries 5
//
// The first line that is not blank names the format. Since format 2 the last line counts the entries,
// so that a list cut short (a full disk, a killed writer) is refused instead of trusted; format 1
// lists have no such line and are read as they are. A "#: file" line gives the size and modification time (UTC) of the digest line right below it.
// Texts in "#:" lines escape "\" as "\\", a line feed as "\n" and a carriage return as "\r" (and the
// quoted status also '"' as "\""); digest lines escape names as md5sum does. "-" stands for a size or
// time that is not known. Paths are relative to the folder, with "/", in the file names' own bytes.
//
// The reader also takes lists written by md5sum, sha1sum, sha256sum, sha512sum and b2sum: "*" binary
// marker, one or two blanks, CR LF line ends, a UTF-8 byte-order mark, upper- or lower-case digits,
// blank lines, "#" comments, and tagged lines such as "SHA256 (name) = digest" (--tag). Such a list
// records no sizes or times, and its folder is the list file's own folder. Its algorithm is that of
// its tags or of its digests' length; 128 digits are SHA-512 or BLAKE2b, which only the reader's
// caller can tell. One list holds digests of one algorithm.

#include "digest.h"
#include "digestfield.h"
#include "filefilter.h"
#include "filesystem.h"
#include "scanlist.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace cheqora {

// A longer line is refused; the deepest real paths are far shorter.
constexpr qsizetype kMaxListLineBytes = qsizetype(1) << 20;

// One file of a list, in the order the walk met it.
struct DigestListEntry {
    enum class Kind : quint8 {
        Digest,  // the digest of the file's content
        NotRead, // the file could not be read; status says why
        Skipped, // larger than the skip size, not read on purpose
        FolderNotRead, // a folder the walk could not read; status says why (no digest, size or time)
        Subfolder,     // a folder the walk entered, empty or not (no digest, size or time)
    };
    QString relativePath; // "/" between folders; decoded with the lossless name codec
    Kind kind = Kind::Digest;
    std::array<quint8, 64> digest{}; // the first digestByteLength(algorithm) bytes; the others 0
    QString status; // NotRead and FolderNotRead only
    bool statRecorded = false;
    qint64 length = 0;
    qint64 modifiedSecs = 0; // seconds since the epoch
    qint64 line = 0;         // reader: 1-based line of the entry (its digest line)
    DigestAlgorithm algorithm = DigestAlgorithm::Md5; // of the digest
};

// How the list was made. A plain md5sum list only has the folder.
struct DigestListHeader {
    bool ownFormat = false; // written by this program (the "#:" lines are read)
    QString program;        // program name and version
    QString folder;         // the folder the paths are relative to
    qint64 createdSecs = 0; // seconds since the epoch; 0 when not recorded
    bool recursive = false;
    QString extension; // "" = every file
    int skipSizeMB = 0; // 0 = nothing skipped
    int format = 0;     // the format's number; 0 for a plain md5sum list
    DigestAlgorithm algorithm = DigestAlgorithm::Md5; // of every digest in the list
};

// ---- Writing (digestlist.cpp) --------------------------------------------------------------------

// The lines that open a list, each ending in "\n". The caller writes them with the text codec, which
// gives names back their own bytes.
QString digestListHeaderText(const DigestListHeader &header);
// The line or lines of one entry, each ending in "\n".
QString digestListEntryText(const DigestListEntry &entry);
// The line that closes a complete list of this many entries.
QString digestListEndText(qint64 entries);
// The entry for what the walk found: skipped by size, or the file's digest by algorithm. An empty file
// gets the digest of empty content, which the coreutils tool verifies.
DigestListEntry digestListEntryOf(const QString &relativePath, const platform::FileStat &st, bool skipped,
                                  const FileDigest &digest, DigestAlgorithm algorithm = DigestAlgorithm::Md5);

// ---- Reading (digestlistreader.cpp) --------------------------------------------------------------

// Called for each entry in file order; returning false ends the read without an error.
using DigestListSink = std::function<bool(const DigestListEntry &)>;

// Reads a list as a stream, so that a million entries never sit in memory twice. True when the whole
// list was read; false with error set at the first error (entries given to the sink before it must be
// discarded by the caller), or false with error empty when the sink ended the read. A list of this
// program without entries is an empty folder; any other file without a digest line is no list.
// The error names the list file and the line: "<list>, line <n>: <what>." or "<list>: <what>."; for
// a file that is no list, "<list> is neither a folder nor a digest list." with " (line <n>: <what>)"
// before the stop. algorithm, when given, is the one the list must have (and what 128-digit digests
// without a tag are); without it, the list's own.
bool readDigestList(const QString &listPath, const DigestListSink &sink, DigestListHeader &header, QString &error,
                    const DigestAlgorithm *algorithm = nullptr);
// The algorithm of a list, from as few of its lines as tell it; false with error when they do not
// (the error as readDigestList gives it). Cheap: the whole list is checked only when it is read.
bool digestListAlgorithm(const QString &listPath, const DigestAlgorithm *given, DigestAlgorithm &out, QString &error);

// Whether the file looks like a digest list at a glance: its first line that is not blank is a "#"
// line, a tagged line, or begins like a digest line (any number of hexadecimal digits, then a blank).
// An empty file passes. Cheap: looks at the first 64 KiB only; only a full read tells a list for sure.
bool looksLikeDigestList(const QString &path);

// A whole list held compactly in memory (digestlist.cpp): paths in large blocks, a few fixed fields per
// entry.
class DigestList {
public:
    DigestList();
    ~DigestList();
    DigestList(const DigestList &) = delete;
    DigestList &operator=(const DigestList &) = delete;

    // Replaces the content with the list file's; on an error (as readDigestList gives it) the list is
    // left empty. progress, when given, is called after each entry; returning false ends the read
    // (false, error empty, list empty).
    bool read(const QString &listPath, QString &error, const std::function<bool()> &progress = {},
              const DigestAlgorithm *algorithm = nullptr);
    void release();

    const DigestListHeader &header() const { return m_header; }
    qsizetype count() const { return qsizetype(m_entries.size()); }
    // 0-based, in file order.
    DigestListEntry entry(qsizetype i) const;
    QString relativePath(qsizetype i) const;

private:
    struct Entry {
        const char *path; // the name codec's bytes
        qint32 pathLength;
        DigestListEntry::Kind kind;
        bool statRecorded;
        quint32 status; // index into m_statusTexts
        quint32 line;
        qint64 length;
        qint64 modifiedSecs;
        std::array<quint8, 16> digest; // a longer digest goes on after the path's bytes
    };
    void append(const DigestListEntry &e);

    DigestListHeader m_header;
    ChunkedArray<Entry> m_entries;
    std::vector<std::unique_ptr<char[]>> m_blocks; // paths in the name codec's bytes, each with its digest's tail
    char *m_free = nullptr;
    qsizetype m_freeLeft = 0;
    QStringList m_statusTexts;
};

// ---- Records for the comparison (digestlist.cpp) ---------------------------------------------------

// Whether a walk with this filter would meet the entry's file (without recursion only the top
// folder's files; the extension filter on the file's name). When it would, field and st are what the
// walk would have stored: the digest, "Zero-length file" for an empty file, "Large file skipped" for
// a file larger than this skip size, or the status of a file not read. A file the list skipped that
// this walk would have read has no digest: its "Large file skipped" is a status, never a match.
// A folder entry is never a file's record. texts is the table the field numbers its text in.
// st.length is kLengthNotRecorded when the list records no size (st.modifiedSecs is then 0).
bool listRecordOf(const DigestListEntry &entry, const WalkFilter &filter, DigestFieldTexts &texts,
                  DigestField &field, platform::FileStat &st);

using ListRecordVisitor =
    std::function<bool(QStringView relativePath, const DigestField &field, const platform::FileStat &st)>;

// The records a walk with this filter would have given, in walk order; visit returning false ends
// the run early (false is returned).
bool forEachListRecord(const DigestList &list, const WalkFilter &filter, DigestFieldTexts &texts,
                       const ListRecordVisitor &visit);

// Whether an entry says that its folder has a subfolder.
bool namesSubfolder(const DigestListEntry &entry);

// Why a list cannot stand in for its folder in a walk with this filter: the walk would meet files
// that the list's own walk left out (subfolders, other extensions). "" when it can.
QString listMismatch(const DigestListHeader &header, const WalkFilter &filter);

} // namespace cheqora
