#include "digestpipeline.h"

#include "digest.h"

#include <chrono>

namespace cheqora {

namespace {

// Enough look-ahead to keep every worker on a file while the walk compares; small enough that page
// cache read ahead of the walk is not evicted before it is used.
constexpr size_t kFilesPerJob = 32;
constexpr qint64 kMaxQueuedBytes = qint64(1) << 30;

} // namespace

int DigestPipeline::jobsFor(int intJobs)
{
    // Past a few dozen readers a disk gains nothing, and a thread per requested job must not exhaust
    // the process.
    constexpr int kMaxJobs = 64;
    if (intJobs > 0)
        return qMin(intJobs, kMaxJobs);
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? int(hardware) : 1;
}

DigestPipeline::DigestPipeline(int intJobs)
{
    const int n = jobsFor(intJobs);
    m_threads.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        m_threads.emplace_back(&DigestPipeline::run, this);
}

DigestPipeline::~DigestPipeline()
{
    abandon();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_blnQuit = true;
    }
    m_work.notify_all();
    for (std::thread &t : m_threads)
        t.join();
}

void DigestPipeline::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [this] { return m_blnQuit || m_started < m_queue.size(); });
        if (m_blnQuit)
            return;
        Job *job = m_queue[m_started++].get();
        ++m_reading;
        lock.unlock();
        Result r;
        r.digest = GetDSOfExaminedFile(job->path, job->st, r.lngStatus, r.strStatus, &m_abort, &job->bytesDone);
        lock.lock();
        job->result = std::move(r);
        job->done = true;
        --m_reading;
        m_finished.notify_all();
    }
}

bool DigestPipeline::hasRoom(qint64 lngLength) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const size_t n = m_queue.size();
    return n < m_threads.size()
        || (n < kFilesPerJob * m_threads.size() && m_lngQueuedBytes + lngLength <= kMaxQueuedBytes);
}

void DigestPipeline::submit(const QString &strPath, const platform::FileStat &st)
{
    auto job = std::make_unique<Job>();
    job->path = strPath;
    job->st = st;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(job));
        m_lngQueuedBytes += st.length;
    }
    m_work.notify_one();
}

bool DigestPipeline::waitHead(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_finished.wait_for(lock, std::chrono::milliseconds(ms),
                               [this] { return !m_queue.empty() && m_queue.front()->done; });
}

const std::atomic<qint64> *DigestPipeline::headBytesDone() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() ? nullptr : &m_queue.front()->bytesDone;
}

DigestPipeline::Result DigestPipeline::takeHead()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Result r = std::move(m_queue.front()->result);
    m_lngQueuedBytes -= m_queue.front()->st.length;
    m_queue.pop_front();
    --m_started;
    return r;
}

void DigestPipeline::abandon()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_queue.empty())
        return;
    // Files no worker has taken yet go at once; those being read end at their next read.
    m_queue.erase(m_queue.begin() + qsizetype(m_started), m_queue.end());
    m_abort = true;
    m_finished.wait(lock, [this] { return m_reading == 0; });
    m_queue.clear();
    m_started = 0;
    m_lngQueuedBytes = 0;
    m_abort = m_stopped.load();
}

void DigestPipeline::stop()
{
    m_stopped = true;
    m_abort = true;
}

} // namespace cheqora
