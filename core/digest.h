#pragma once

#include "digestalgorithm.h"
#include "filesystem.h"

#include <QString>

#include <atomic>

namespace cheqora {

// Status numbers of a digest besides the file layer's positive error numbers.
enum DigestStatus : int {
    DigestOk = 0,
    DigestZeroLength = -1,
    DigestFolder = -2,
    DigestDrive = -3,
    DigestEmptyPath = -4,
    DigestNotRead = -5, // longer than the reader was asked to read
};

// A file's digest as upper-case hexadecimal digits (digestHexLength of its algorithm, 32 for MD5), or
// "" with the status that says why there is none (a positive status is a file-layer error number,
// described by statusText). This is what a report or a list says of a file, not an error of the program.
struct FileDigest {
    QString hex;
    int status = DigestOk;
    QString statusText;

    bool ok() const { return status == DigestOk; }
};

// The status text of an empty file, which has no digest to show but whose content is known.
QString zeroLengthText();

// Whether libcrypto gives the algorithm here (a configuration may allow only approved ones).
bool digestAvailable(DigestAlgorithm algorithm);

// The digest of the file at path. A file whose size or modification time after the read differs from
// before it gives ErrFileChanged; an algorithm libcrypto refuses gives ErrDigestUnavailable, with a
// text that names the algorithm ("SHA-256 is not available"). When abort is given and becomes true
// while the file is read, the digest is abandoned with status ErrInterrupted. bytesDone, when given,
// follows the bytes read so far.
FileDigest digestOfFile(const QString &path, const std::atomic_bool *abort = nullptr,
                        std::atomic<qint64> *bytesDone = nullptr, DigestAlgorithm algorithm = DigestAlgorithm::Md5);

// The same for a walk that has already examined the file: st is its stat result, so the file is not
// examined again before it is opened; the file read must still be that file in that state. With
// folder (the open folder of path), the file is opened there by its name.
FileDigest digestOfExaminedFile(const QString &path, const platform::FileStat &st,
                                const std::atomic_bool *abort = nullptr, std::atomic<qint64> *bytesDone = nullptr,
                                const platform::FolderHandle *folder = nullptr,
                                DigestAlgorithm algorithm = DigestAlgorithm::Md5);

// A file that a walk listed without examining it, as digestOfListedFile finds it.
struct ListedFileDigest {
    platform::FileStat st; // as examined; kind Missing when it could not be
    int examineError = 0;  // why it could not be examined (file-layer number)
    FileDigest digest;
};

// The digest of a file of an open folder, listed by name but not yet examined: it is examined as it
// is opened, which spares a walk of many small files a call per file. A file that cannot be opened
// is examined by name, as a listing would have; one gone since the listing gives ErrFileNotFound, as
// it would had it gone once examined. One longer than readLimit (when not negative) is
// examined but not read (DigestNotRead). length, when given, receives the length before the read.
ListedFileDigest digestOfListedFile(const platform::FolderHandle &folder, const QString &name, qint64 readLimit,
                                    const std::atomic_bool *abort = nullptr, std::atomic<qint64> *bytesDone = nullptr,
                                    std::atomic<qint64> *length = nullptr,
                                    DigestAlgorithm algorithm = DigestAlgorithm::Md5);

} // namespace cheqora
