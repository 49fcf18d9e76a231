#pragma once

#include "fileerror.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

namespace platform {

// The path separator of this platform.
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
    qint64 modifiedNsecs = 0; // and the nanoseconds within that second
    quint64 device = 0;
    quint64 inode = 0;

    QDateTime modified() const;
};

// Identity of a file or folder on this machine.
struct FileId {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId &o) const { return device == o.device && inode == o.inode; }
};

// stat() following links. False with err set when the path cannot be examined; a path that does not
// exist gives 53, or 76 when its folder is missing or a folder on the way is a file; kind stays
// Missing. Paths longer than the system's limit are reached one folder at a time, here and in every
// other operation that opens or examines a path.
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
    int error = 0; // the entry is there but cannot be examined: file-layer number, kind Missing
    // false: a regular file as the folder names it, examined only once opened (kind File, no more known)
    bool examined = true;
};

struct FolderListing {
    QVector<DirEntry> files;      // regular files and special files
    QVector<DirEntry> subfolders; // folders, links to folders included
};

// An open folder, from which its entries are listed and opened by name, so that a walk reaches any
// depth whatever the length of the full path. Opening fails when the folder cannot be read or
// searched (a folder that can be listed but not searched would list names that cannot be examined).
class FolderHandle {
public:
    FolderHandle() = default;
    ~FolderHandle();
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    bool open(const QString &path, FileError &err);
    bool openIn(const FolderHandle &parent, const QString &name, FileError &err);
    void close();
    int fd() const { return m_fd; }
    FileId id() const { return m_id; }

private:
    bool finishOpen(int fd, FileError &err);
    int m_fd = -1;
    FileId m_id;
};

// Lists a folder's own files and its direct subfolders, each sorted by the name folded to lower case
// and then by the exact name, so that every run walks a tree in the same order. Entries that vanish
// while being listed, and dangling links, are left out; an entry that is there but cannot be
// examined is listed among the files with its error. With examineFiles false, the entries the folder
// names as regular files are left for whoever opens them to examine, which spares a call per file.
bool listFolder(const FolderHandle &folder, FolderListing &out, FileError &err, bool examineFiles = true);
bool listFolder(const QString &path, FolderListing &out, FileError &err, bool examineFiles = true);
// An entry of an open folder examined by name, links followed; a name no longer there gives 53.
bool statIn(const FolderHandle &folder, const QString &name, FileStat &out, FileError &err);
// The identities of a folder and of each folder above it up to the root, links resolved; empty when
// the folder cannot be opened.
QVector<FileId> folderAncestry(const QString &path);
// Lets the process keep as many files open as the system allows, for walks of deep trees.
void raiseOpenFileLimit();
// 1 when the folder has a subfolder, 0 when it has none, -1 with err set; stops at the first one.
int hasSubfolder(const QString &path, FileError &err);

bool createFolder(const QString &path, FileError &err);
bool deleteFile(const QString &path, FileError &err);
// Moves a file to the desktop's trash, from where the user can restore it; inTrash is where it went.
// False with err set, the file where it was, when there is no trash for it (ErrNoTrash) or the move
// failed.
bool moveToTrash(const QString &path, QString &inTrash, FileError &err);
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
    // A file of an open folder, by its name there.
    bool openIn(const FolderHandle &folder, const QString &name, FileError &err);
    // The file's state when it was opened.
    const FileStat &openedStat() const { return m_opened; }
    // The open file's state now.
    bool stat(FileStat &out, FileError &err) const;
    // Reads up to size bytes; returns the number read (0 at end of file) or -1 with err set.
    qint64 read(char *buffer, qint64 size, FileError &err);
    void close();
    bool isOpen() const { return m_fd >= 0; }

private:
    bool finishOpen(FileError &err);
    int m_fd = -1;
    FileStat m_opened;
};

// Buffered writer for text files: the text is written in the file codec exactly as given. A failure
// names the file: "writing <path>: <reason>". While open, the file is under an exclusive lock (flock),
// so that a start-up check does not take a report being written for an empty leftover.
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
    // Flushes and has the system put the data on the disk.
    bool sync(FileError &err);
    // Flushes and closes; false with err set when the data could not all be written.
    bool close(FileError &err);
    bool isOpen() const { return m_fd >= 0; }

private:
    friend class AtomicTextFileWriter;
    void adopt(int fd, const QString &path);
    bool failed(FileError &err, int errnoValue) const;

    int m_fd = -1;
    QString m_path;
    QByteArray m_buffer;
};

// A text file replaced whole or not at all: the text goes to a temporary file ".NAME.XXXXXX" beside
// the file (beside a link's target, when the path is a link), which commit() renames over it once
// complete, with the mode of the file it replaces. Until then the file is untouched; discard() and the
// destructor remove the temporary file. Failures name the path as given.
class AtomicTextFileWriter {
public:
    AtomicTextFileWriter() = default;
    ~AtomicTextFileWriter() { discard(); }
    AtomicTextFileWriter(const AtomicTextFileWriter &) = delete;
    AtomicTextFileWriter &operator=(const AtomicTextFileWriter &) = delete;

    bool open(const QString &path, FileError &err);
    bool write(const QString &text, FileError &err) { return m_file.write(text, err); }
    bool commit(FileError &err);
    void discard();

private:
    TextFileWriter m_file;
    int m_folder = -1;      // the file's folder
    QByteArray m_name;      // the file's name in it
    QByteArray m_temporary; // the temporary file's name in it; "" when there is none
};

// ---------------------------------------------------------------------------------------------
// Start-up tidying of an empty report file

// True only when the path itself, not the target of a link, is a regular file of length 0.
bool isEmptyRegularFile(const QString &path);
// True when another open file holds a lock (flock) on the file, as a TextFileWriter does, or when that
// cannot be found out.
bool isLockedByAnother(const QString &path);

} // namespace platform
