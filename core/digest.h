#pragma once

#include "filesystem.h"

#include <QString>

#include <atomic>

namespace cheqora {

// Status numbers of GetDSOfFile besides the file layer's positive error numbers.
enum DigestStatus : int {
    DigestOk = 0,
    DigestZeroLength = -1,
    DigestFolder = -2,
    DigestDrive = -3,
    DigestEmptyPath = -4,
};

// Folder test of the digest engine: the path is trimmed first.
bool FolderExists(const QString &strPath);

// The MD5 digest of a file's content as 32 upper-case hexadecimal digits, or "" with a status that
// says why there is none (see DigestStatus; a positive status is a file-layer error number with its
// description in strStatus). A file whose size or modification time after the read differs from
// before it gives ErrFileChanged; MD5 missing from libcrypto gives ErrMD5Unavailable. When abort is
// given and becomes true while the file is read, the digest is abandoned with status ErrInterrupted.
// bytesDone, when given, follows the bytes read so far.
// The status text of an empty file, which has no digest to show but whose content is known.
QString ZeroLengthText();

QString GetDSOfFile(const QString &strFile, int &lngStatus, QString &strStatus,
                    const std::atomic_bool *abort = nullptr, std::atomic<qint64> *bytesDone = nullptr);

// The same for a walk that has already examined the file: st is its stat result, so the file is not
// examined again before it is opened; the file read must still be that file in that state. With
// folder (the open folder of strFile), the file is opened there by its name.
QString GetDSOfExaminedFile(const QString &strFile, const platform::FileStat &st, int &lngStatus,
                            QString &strStatus, const std::atomic_bool *abort = nullptr,
                            std::atomic<qint64> *bytesDone = nullptr,
                            const platform::FolderHandle *folder = nullptr);

} // namespace cheqora
