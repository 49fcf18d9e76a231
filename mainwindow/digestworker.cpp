#include "digestworker.h"

#include "digest.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace cheqora {

// Everything the thread touches lives here, owned jointly with the thread: a thread left behind on a
// stuck read never refers to a worker that is gone.
struct DigestWorker::Shared {
    std::mutex mutex;
    std::condition_variable wake; // a job or the end for the thread
    std::condition_variable done; // the result for the caller
    bool hasJob = false;
    bool finished = false;
    bool quit = false;
    QString path;
    platform::FileStat stat;
    bool examined = true;
    DigestAlgorithm algorithm = DigestAlgorithm::Md5;
    QString digest;
    int status = 0;
    QString statusText;
    std::atomic_bool abort{false};
    std::atomic<qint64> bytesDone{0};
};

DigestWorker::DigestWorker()
{
    Start();
}

DigestWorker::~DigestWorker()
{
    Release();
}

void DigestWorker::Start()
{
    m_shared = std::make_shared<Shared>();
    m_thread = std::thread(&DigestWorker::Run, m_shared);
}

void DigestWorker::Release()
{
    bool busy = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->quit = true;
        m_shared->abort = true;
        busy = m_shared->hasJob && !m_shared->finished;
    }
    m_shared->wake.notify_all();
    // A read that does not come back (a dead network share) must not hold the program.
    if (busy)
        m_thread.detach();
    else
        m_thread.join();
}

void DigestWorker::Run(std::shared_ptr<Shared> shared)
{
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->quit || (shared->hasJob && !shared->finished); });
        if (shared->quit)
            return;
        const QString path = shared->path;
        const platform::FileStat st = shared->stat;
        const bool examined = shared->examined;
        const DigestAlgorithm algorithm = shared->algorithm;
        lock.unlock();
        const FileDigest digest = examined
            ? digestOfExaminedFile(path, st, &shared->abort, &shared->bytesDone, nullptr, algorithm)
            : digestOfFile(path, &shared->abort, &shared->bytesDone, algorithm);
        lock.lock();
        shared->digest = digest.hex;
        shared->status = digest.status;
        shared->statusText = digest.statusText;
        shared->finished = true;
        shared->done.notify_all();
    }
}

void DigestWorker::Begin(const QString &strPath, const platform::FileStat *st, DigestAlgorithm algorithm)
{
    bool stillBusy = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        stillBusy = m_shared->hasJob && !m_shared->finished;
    }
    if (stillBusy) {
        // The thread is still on an abandoned file: leave that file to it and take a fresh thread.
        const bool abort = m_shared->abort;
        Release();
        Start();
        m_shared->abort = abort;
    }
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->path = strPath;
    m_shared->examined = st != nullptr;
    m_shared->algorithm = algorithm;
    m_shared->stat = st ? *st : platform::FileStat();
    m_shared->bytesDone = 0;
    m_shared->finished = false;
    m_shared->hasJob = true;
    m_shared->wake.notify_all();
}

bool DigestWorker::Wait(int ms)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->done.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_shared->finished; });
}

QString DigestWorker::Result(int &lngStatus, QString &strStatus)
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->hasJob = false;
    lngStatus = m_shared->status;
    strStatus = m_shared->statusText;
    return m_shared->digest;
}

qint64 DigestWorker::BytesDone() const
{
    return m_shared->bytesDone.load(std::memory_order_relaxed);
}

void DigestWorker::Abort()
{
    m_shared->abort = true;
}

void DigestWorker::ClearAbort()
{
    m_shared->abort = false;
}

} // namespace cheqora
