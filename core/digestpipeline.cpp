#include "digestpipeline.h"

#include "digest.h"

#include <algorithm>
#include <chrono>

namespace cheqora {

namespace {

// Enough look-ahead to keep every worker on a file while the walk compares; small enough that page
// cache read ahead of the walk is not evicted before it is used.
constexpr size_t kFilesPerJob = 32;
constexpr qint64 kMaxQueuedBytes = qint64(1) << 30;
// Waking the walk for every small file would cost more than its digest: it is woken once this many
// results wait for it, or once no worker reads any more; its own wait slices catch the rest.
constexpr size_t kWakeBatch = 16;
// A worker takes its share of the queued files at once, up to this many files and bytes, so small files
// cost it one lock per share rather than two per file; a large file is still taken on its own.
constexpr size_t kMaxClaim = 16;
constexpr qint64 kMaxClaimBytes = qint64(1) << 20;

bool sameFileState(const platform::FileStat &a, const platform::FileStat &b)
{
    return a.kind == b.kind && a.length == b.length && a.modifiedSecs == b.modifiedSecs
        && a.modifiedNsecs == b.modifiedNsecs && a.device == b.device && a.inode == b.inode;
}

} // namespace

int DigestPipeline::jobsFor(int jobs)
{
    // Past a few dozen readers a disk gains nothing, and a thread per requested job must not exhaust
    // the process.
    constexpr int kMaxJobs = 64;
    if (jobs > 0)
        return qMin(jobs, kMaxJobs);
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? int(qMin(hardware, unsigned(kMaxJobs))) : 1;
}

DigestPipeline::DigestPipeline(int jobs, DigestAlgorithm algorithm, qint64 readLimit)
    : m_algorithm(algorithm)
    , m_readLimit(readLimit)
{
    const int n = jobsFor(jobs);
    m_threads.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        m_threads.emplace_back(&DigestPipeline::run, this);
}

DigestPipeline::~DigestPipeline()
{
    stop();
    abandon();
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (JobPtr &job : m_ahead)
            drop(std::move(job));
        m_ahead.clear();
        m_finished.wait(lock, [this] { return m_dropped.empty(); });
        m_quit = true;
    }
    m_work.notify_all();
    for (std::thread &t : m_threads)
        t.join();
}

// Called with the mutex held: the first files queued that no worker has taken, a share of them when
// there are many; else one prefetched file.
bool DigestPipeline::claim(std::vector<Job *> &batch) const
{
    batch.clear();
    size_t unstarted = 0;
    for (const JobPtr &job : m_queue)
        unstarted += job->started ? 0 : 1;
    if (unstarted == 0) {
        for (const JobPtr &job : m_ahead) {
            if (!job->started) {
                batch.push_back(job.get());
                return true;
            }
        }
        return false;
    }
    const size_t share = std::clamp<size_t>(unstarted / m_threads.size(), 1, kMaxClaim);
    qint64 bytes = 0;
    for (const JobPtr &job : m_queue) {
        if (job->started)
            continue;
        if (!batch.empty() && (batch.size() >= share || bytes + job->st.length > kMaxClaimBytes))
            break;
        batch.push_back(job.get());
        bytes += job->st.length;
    }
    return true;
}

void DigestPipeline::run()
{
    std::vector<Job *> batch;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_work.wait(lock, [&] { return m_quit || claim(batch); });
        if (m_quit)
            return;
        for (Job *job : batch)
            job->started = true;
        m_reading += int(batch.size());
        lock.unlock();
        // The jobs stay owned by the queue, or by m_dropped once abandoned, until they are done.
        for (Job *job : batch)
            digest(*job);
        lock.lock();
        for (Job *job : batch)
            job->done = true;
        m_reading -= int(batch.size());
        const size_t dropped = m_dropped.size();
        m_dropped.erase(std::remove_if(m_dropped.begin(), m_dropped.end(), [](const JobPtr &j) { return j->done; }),
                        m_dropped.end());
        if (m_reading == 0 || m_dropped.size() != dropped || headReady())
            m_finished.notify_all();
    }
}

void DigestPipeline::digest(Job &job) const
{
    if (job.examined) {
        job.result.st = job.st;
        job.length = job.st.length;
        job.result.digest = digestOfExaminedFile(job.path, job.st, &job.abort, &job.bytesDone, job.folder, m_algorithm);
    } else {
        Q_ASSERT(job.folder);
        job.result = digestOfListedFile(*job.folder, job.path.mid(job.path.lastIndexOf(platform::kSeparator) + 1),
                                        m_readLimit, &job.abort, &job.bytesDone, &job.length, m_algorithm);
    }
}

bool DigestPipeline::headReady() const
{
    size_t done = 0;
    for (const JobPtr &job : m_queue) {
        if (!job->done)
            return done > 0 && m_reading == 0;
        if (++done >= kWakeBatch)
            return true;
    }
    return done > 0;
}

DigestPipeline::JobPtr DigestPipeline::newJob(const QString &path, const platform::FileStat &st) const
{
    auto job = std::make_unique<Job>();
    job->path = path;
    job->st = st;
    job->abort = m_stopped;
    return job;
}

// Called with the mutex held: a job no one will use ends at its next read; one being read stays
// owned here until its worker lets go of it.
void DigestPipeline::drop(JobPtr job)
{
    job->abort = true;
    if (job->started && !job->done)
        m_dropped.push_back(std::move(job));
}

// The queues' lengths and bytes change only on the owner's thread, which asks here: no lock.
qsizetype DigestPipeline::room(const QVector<File> &files, qsizetype from) const
{
    size_t n = m_queue.size();
    qint64 bytes = m_queuedBytes;
    qsizetype k = from;
    for (; k < files.size(); ++k) {
        const qint64 length = files.at(k).st.length;
        if (n >= m_threads.size() && (n >= kFilesPerJob * m_threads.size() || bytes + length > kMaxQueuedBytes))
            break;
        ++n;
        bytes += length;
    }
    return k - from;
}

bool DigestPipeline::idle() const
{
    return m_queue.size() + m_ahead.size() < m_threads.size();
}

void DigestPipeline::submit(const QVector<File> &files, qsizetype from, qsizetype n,
                            const platform::FolderHandle *folder)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (qsizetype k = from; k < from + n; ++k) {
            const File &file = files.at(k);
            JobPtr job;
            // A prefetched digest counts only for the same file in the same state, as listed (when the
            // walk examined it) and as it is now (a file changed since is read again, as any file queued
            // now would be); an interrupted one not at all. Prefetched files the walk passed by are dropped.
            while (!m_ahead.empty() && !job) {
                JobPtr early = std::move(m_ahead.front());
                m_ahead.pop_front();
                platform::FileStat now;
                platform::FileError err;
                if (early->path == file.path && (!file.examined || sameFileState(early->st, file.st)) && !early->abort
                    && platform::statPath(file.path, now, err) && sameFileState(now, early->st))
                    job = std::move(early);
                else
                    drop(std::move(early));
            }
            if (!job) {
                job = newJob(file.path, file.st);
                job->examined = file.examined;
                job->folder = folder;
            }
            m_queuedBytes += job->st.length;
            m_queue.push_back(std::move(job));
        }
    }
    m_work.notify_all();
}

bool DigestPipeline::prefetch(const QString &path, const platform::FileStat &st)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ahead.size() >= m_threads.size())
            return false;
        m_ahead.push_back(newJob(path, st));
    }
    m_work.notify_one();
    return true;
}

const std::atomic<qint64> *DigestPipeline::headBytesDone() const
{
    return m_queue.empty() ? nullptr : &m_queue.front()->bytesDone;
}

qint64 DigestPipeline::headLength() const
{
    return m_queue.empty() ? -1 : m_queue.front()->length.load(std::memory_order_relaxed);
}

bool DigestPipeline::takeDone(int ms, std::deque<ListedFileDigest> &out)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_queue.empty() || !m_queue.front()->done)
        m_finished.wait_for(lock, std::chrono::milliseconds(ms), [this] { return headReady(); });
    const size_t before = out.size();
    while (!m_queue.empty() && m_queue.front()->done) {
        out.push_back(std::move(m_queue.front()->result));
        m_queuedBytes -= m_queue.front()->st.length;
        m_queue.pop_front();
    }
    return out.size() > before;
}

void DigestPipeline::abandon()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (JobPtr &job : m_queue)
        drop(std::move(job));
    m_queue.clear();
    m_queuedBytes = 0;
    m_finished.wait(lock, [this] { return m_dropped.empty(); });
}

void DigestPipeline::stop()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    for (const std::deque<JobPtr> *list : {&m_queue, &m_ahead}) {
        for (const JobPtr &job : *list)
            job->abort = true;
    }
}

} // namespace cheqora
