#include "fileerror.h"

#include <cerrno>
#include <cstring>

namespace platform {

QString fileErrorDescription(int number)
{
    switch (number) {
    case ErrNone: return QString();
    case ErrOutOfMemory: return QStringLiteral("Out of memory");
    case ErrBadFileName: return QStringLiteral("Bad file name or number");
    case ErrFileNotFound: return QStringLiteral("File not found");
    case ErrFileAlreadyOpen: return QStringLiteral("File already open");
    case ErrDeviceIO: return QStringLiteral("Device I/O error");
    case ErrFileExists: return QStringLiteral("File already exists");
    case ErrDiskFull: return QStringLiteral("Disk full");
    case ErrInputPastEnd: return QStringLiteral("Input past end of file");
    case ErrTooManyFiles: return QStringLiteral("Too many files");
    case ErrPermissionDenied: return QStringLiteral("Permission denied");
    case ErrPathFileAccess: return QStringLiteral("Path/File access error");
    case ErrPathNotFound: return QStringLiteral("Path not found");
    case ErrNotRegularFile: return QStringLiteral("Not a regular file");
    case ErrFileChanged: return QStringLiteral("File changed while being read");
    case ErrInterrupted: return QStringLiteral("Interrupted");
    case ErrDigestUnavailable: return QStringLiteral("The digest is not available");
    case ErrNoTrash: return QStringLiteral("There is no trash for it");
    default: return QStringLiteral("Error %1").arg(number);
    }
}

int fileErrorFromErrno(int err)
{
    switch (err) {
    case 0: return ErrNone;
    case ENOENT: return ErrFileNotFound;
    case ENOTDIR: return ErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return ErrPermissionDenied;
    case EIO:
    case ENXIO:
    case ENODEV: return ErrDeviceIO;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrDiskFull;
    case EMFILE:
    case ENFILE: return ErrTooManyFiles;
    case ENOMEM: return ErrOutOfMemory;
    case EEXIST: return ErrFileExists;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return ErrBadFileName;
    default: return ErrPathFileAccess;
    }
}

void FileError::set(int n)
{
    number = n;
    description = fileErrorDescription(n);
}

void setFromErrno(FileError &err, int errnoValue)
{
    err.set(fileErrorFromErrno(errnoValue));
}

QString systemErrorText(int errnoValue)
{
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(errnoValue, buffer, sizeof buffer));
}

void setWriteError(FileError &err, int errnoValue, const QString &destination)
{
    err.number = fileErrorFromErrno(errnoValue);
    err.description = QStringLiteral("writing ") + destination + QStringLiteral(": ") + systemErrorText(errnoValue);
}

} // namespace platform
