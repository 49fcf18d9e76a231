#pragma once

#include "filesystem.h"

#include <QString>

#include <functional>
#include <memory>
#include <thread>

namespace cheqora {

// Digests files on a thread of its own, so that the window goes on answering (Stop, Quit, repaints)
// while a large file is read: the files of a folder comparison one at a time (Digest() returns only
// when the digest is over, so the comparison sees its files in the same order as ever), and a row of
// the digest panel (Begin, Wait, Result), two rows on two workers at the same time.
class DigestWorker {
public:
    DigestWorker();
    ~DigestWorker();
    DigestWorker(const DigestWorker &) = delete;
    DigestWorker &operator=(const DigestWorker &) = delete;

    // The digest of one file that a walk has examined, as GetDSOfExaminedFile gives it. While it is
    // read, whileWaiting runs on the calling thread every few milliseconds; when it returns false the
    // digest is abandoned at once: the result is "" with status ErrInterrupted and the thread finishes
    // the file (or its stuck read) on its own, without anyone waiting for it.
    QString Digest(const QString &strPath, const platform::FileStat &st, int &lngStatus, QString &strStatus,
                   const std::function<bool()> &whileWaiting);

    // Starts the digest of a file that a walk has examined (st given), or of a path as the digest
    // panel names it (st null, as GetDSOfFile takes it).
    void Begin(const QString &strPath, const platform::FileStat *st);
    // Waits at most ms for the digest begun last; true when it is over.
    bool Wait(int ms);
    // The digest begun last, once Wait has said it is over.
    QString Result(int &lngStatus, QString &strStatus);
    // Bytes of the file being digested read so far.
    qint64 BytesDone() const;

    // Ends the digest being read at its next block (status ErrInterrupted), and every later one until
    // ClearAbort. Safe from any thread.
    void Abort();
    void ClearAbort();

    // How long the caller waits for the digest between two calls of whileWaiting.
    static constexpr int kWaitSliceMs = 10;

private:
    struct Shared;
    static void Run(std::shared_ptr<Shared> shared);
    void Start();
    void Release();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

} // namespace cheqora
