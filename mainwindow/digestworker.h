#pragma once

#include "digestalgorithm.h"
#include "filesystem.h"

#include <QString>

#include <memory>
#include <thread>

namespace cheqora {

// Digests a file on a thread of its own, so that the window goes on answering (Stop, Quit, repaints)
// while a large file is read: a row of the digest panel (Begin, Wait, Result), two rows on two
// workers at the same time.
class DigestWorker {
public:
    DigestWorker();
    ~DigestWorker();
    DigestWorker(const DigestWorker &) = delete;
    DigestWorker &operator=(const DigestWorker &) = delete;

    // Starts the digest of a file that a walk has examined (st given), or of a path as the digest
    // panel names it (st null, as digestOfFile takes it), by algorithm.
    void Begin(const QString &strPath, const platform::FileStat *st, DigestAlgorithm algorithm = DigestAlgorithm::Md5);
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

    // How long the panel waits for the digests between two looks at the window's events.
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
