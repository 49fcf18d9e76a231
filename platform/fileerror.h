#pragma once

#include <QString>

namespace platform {

// Error numbers of the file layer. They follow the numbering the program has always shown to its
// users (53 is "File not found"), so that texts such as "<prefix>:53" keep their meaning.
enum FileErrorNumber : int {
    ErrNone = 0,
    ErrOutOfMemory = 7,
    ErrBadFileName = 52,
    ErrFileNotFound = 53,
    ErrFileAlreadyOpen = 55,
    ErrDeviceIO = 57,
    ErrFileExists = 58,
    ErrDiskFull = 61,
    ErrInputPastEnd = 62,
    ErrTooManyFiles = 67,
    ErrPermissionDenied = 70,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrNotRegularFile = 1001,
    ErrFileChanged = 1002,
    ErrInterrupted = 1003,
    ErrDigestUnavailable = 1004, // the digest's algorithm refused by libcrypto
    ErrNoTrash = 1005,
};

struct FileError {
    int number = ErrNone;
    QString description;

    bool isSet() const { return number != ErrNone; }
    void set(int n);
    void clear() { number = ErrNone; description.clear(); }
};

QString fileErrorDescription(int number);
// Maps a POSIX errno to the file layer's number.
int fileErrorFromErrno(int err);
// Sets err from errno; convenient right after a failed system call.
void setFromErrno(FileError &err, int errnoValue);
// The system's own words for an errno value, e.g. "No space left on device".
QString systemErrorText(int errnoValue);
// A failed write to a destination (a path, or a name such as "standard output"): the file layer's
// number, and the description "writing <destination>: <the system's words>", which says more than the
// number can (a file-size limit and a full disk share one).
void setWriteError(FileError &err, int errnoValue, const QString &destination);

} // namespace platform
