#pragma once

#include "fileerror.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace platform {

// The path separator of this platform. Names inherited from the Windows program (for example
// EnsureTrailingBackslash) keep their names and use this separator.
constexpr char16_t kSeparator = u'/';

enum class EntryKind {
    Missing,
    File,    // a regular file, or a link to one
    Folder,  // a folder, or a link to one
    Special, // FIFO, socket or device: listed as a file, never opened for reading
};

struct FileStat {
    EntryKind kind = EntryKind::Missing;
    qint64 length = 0;
    qint64 modifiedSecs = 0; // seconds since the epoch
    quint64 device = 0;
    quint64 inode = 0;

    QDateTime modified() const;
};

// stat() following links. False with err set when the path cannot be examined; a path that does not
// exist gives 53 (or 76 when a folder on the way is a file) and leaves kind Missing.
bool statPath(const QString &path, FileStat &out, FileError &err);

// True for an existing file that is not a folder; false for an empty path.
bool fileExists(const QString &path);
// The path is trimmed of blanks first; true only for an existing folder.
bool folderExists(const QString &path);

// -1 on error (err set).
qint64 fileLength(const QString &path, FileError &err);
// Invalid QDateTime on error (err set).
QDateTime lastModified(const QString &path, FileError &err);

// Date and time as the user's locale writes them: short date with a four-digit year, time with
// seconds, no time zone. Midnight keeps its time.
QString dateTimeText(const QDateTime &when);
// Whole number with the locale's digit grouping, e.g. 1,234,567.
QString groupedNumber(qint64 value);
// Number with exactly two decimals and digit grouping, e.g. 1,205.63.
QString groupedDecimal2(double value);

struct DirEntry {
    QString name;
    FileStat stat;
};

struct FolderListing {
    QVector<DirEntry> files;      // regular files and special files
    QVector<DirEntry> subfolders; // folders, links to folders included
};

// Lists a folder's own files and its direct subfolders, each sorted by the name folded to lower case
// and then by the exact name, so that every run walks a tree in the same order. Entries that vanish
// while being listed, and dangling links, are left out.
bool listFolder(const QString &path, FolderListing &out, FileError &err);
// Number of direct subfolders, or -1 with err set.
int subfolderCount(const QString &path, FileError &err);

bool createFolder(const QString &path, FileError &err);
bool deleteFile(const QString &path, FileError &err);
// Makes a file writable by its owner (the nearest thing to clearing read-only, hidden and system).
bool clearFileAttributes(const QString &path, FileError &err);

// Whole file content. Refuses files that are not regular files.
bool readWholeFile(const QString &path, QByteArray &out, FileError &err);
bool readWholeTextFile(const QString &path, QString &out, FileError &err);
// Writes to a temporary file beside the target and renames it over the target, so the target is
// either the old or the new content, never half of one.
bool writeFileAtomically(const QString &path, const QByteArray &data, FileError &err);

// The folder holding the executable, without a trailing separator.
QString programFolder();
// The user's configuration folder (XDG config home), "" when it cannot be had.
QString appDataFolder();
// The user's home folder, "" when it cannot be had.
QString homeFolder();

class BinaryReader {
public:
    BinaryReader() = default;
    ~BinaryReader();
    BinaryReader(const BinaryReader &) = delete;
    BinaryReader &operator=(const BinaryReader &) = delete;

    bool open(const QString &path, FileError &err);
    // Reads up to size bytes; returns the number read (0 at end of file) or -1 with err set.
    qint64 read(char *buffer, qint64 size, FileError &err);
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Buffered writer for text files: the text is written in the file codec exactly as given.
class TextFileWriter {
public:
    TextFileWriter() = default;
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter &) = delete;
    TextFileWriter &operator=(const TextFileWriter &) = delete;

    // Creates the file, or empties it if it exists.
    bool open(const QString &path, FileError &err);
    bool write(const QString &text, FileError &err);
    bool flush(FileError &err);
    // Flushes and closes; false with err set when the data could not all be written.
    bool close(FileError &err);
    bool isOpen() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    QByteArray m_buffer;
};

// ---------------------------------------------------------------------------------------------
// Start-up tidying of an empty report file

// True only when the path itself, not the target of a link, is a regular file of length 0.
bool isEmptyRegularFile(const QString &path);

} // namespace platform
