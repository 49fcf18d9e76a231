#pragma once

// Digests of a walk's files on N worker threads, ahead of the walk: the walk hands files over in its
// own order and takes the results back in that order, so what it makes of them does not depend on N.
// The look-ahead is bounded by a number of files and of bytes; the workers' buffers are their only
// sizeable memory. Files of a walk still to come may be handed over early for workers that would
// idle; such a digest is used only for the same file in the same state. All calls come from the
// thread that owns the pipeline.

#include "digest.h"
#include "filesystem.h"

#include <QString>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace cheqora {

class DigestPipeline {
public:
    // jobs workers; 0 or less means one per hardware thread. Every file is digested by algorithm; one
    // longer than readLimit (when not negative) is examined but not read.
    explicit DigestPipeline(int jobs, DigestAlgorithm algorithm = DigestAlgorithm::Md5, qint64 readLimit = -1);
    // Abandons what is queued or prefetched and returns once every worker has ended.
    ~DigestPipeline();
    DigestPipeline(const DigestPipeline &) = delete;
    DigestPipeline &operator=(const DigestPipeline &) = delete;

    static int jobsFor(int jobs);
    int jobs() const { return int(m_threads.size()); }
    DigestAlgorithm algorithm() const { return m_algorithm; }

    // A file the walk has examined (st), to be digested as digestOfExaminedFile gives it; or one it
    // listed only, examined by the worker that opens it (digestOfListedFile).
    struct File {
        QString path;
        platform::FileStat st;
        bool examined = true;
    };
    // How many of files[from..] may join the look-ahead now, in order: at least one per idle worker
    // slot, at most as many files and bytes as the look-ahead holds.
    qsizetype room(const QVector<File> &files, qsizetype from) const;
    // Queues files[from, from + n). folder, when given, stays open while they are queued: they are
    // opened in it by name, which spares the system a walk of the whole path for every file.
    void submit(const QVector<File> &files, qsizetype from, qsizetype n, const platform::FolderHandle *folder);
    // A file of a walk still to come, read only by a worker that has nothing queued to read; its
    // submit() later takes the digest over if path and state are the same. false: no room, one
    // prefetched file per worker at most.
    bool prefetch(const QString &path, const platform::FileStat &st);
    // Whether a worker would idle: fewer files queued than workers.
    bool idle() const;
    // Bytes read so far of the oldest queued file, and its length, -1 until it is examined.
    const std::atomic<qint64> *headBytesDone() const;
    qint64 headLength() const;
    // Waits at most ms for the oldest queued file's digest; once it is there, appends it and every
    // digest done behind it to out, oldest first, and they leave the queue. Taking them together spares
    // the walk a lock for every small file. true when something was taken. A file examined by the walk
    // comes back with that state.
    bool takeDone(int ms, std::deque<ListedFileDigest> &out);
    // Drops every queued file: digests being read end at their next read, with no result used;
    // returns once no worker reads any of them. Prefetched files stay.
    void abandon();
    // Every digest being read or queued ends at its next read, now and from now on.
    void stop();

private:
    struct Job {
        QString path;
        platform::FileStat st;
        bool examined = true;
        const platform::FolderHandle *folder = nullptr;
        std::atomic<qint64> bytesDone{0};
        std::atomic<qint64> length{-1};
        std::atomic_bool abort{false};
        bool started = false;
        bool done = false;
        ListedFileDigest result;
    };
    using JobPtr = std::unique_ptr<Job>;

    void run();
    void digest(Job &job) const;
    bool claim(std::vector<Job *> &batch) const;
    bool headReady() const;
    JobPtr newJob(const QString &path, const platform::FileStat &st) const;
    void drop(JobPtr job);

    const DigestAlgorithm m_algorithm;
    qint64 m_readLimit;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_work;     // a job or the end, for the workers
    std::condition_variable m_finished; // a job done, for the walk
    std::deque<JobPtr> m_queue;   // walk order
    std::deque<JobPtr> m_ahead;   // prefetched, in the coming walk's order
    std::vector<JobPtr> m_dropped; // abandoned while a worker reads them
    int m_reading = 0;
    qint64 m_queuedBytes = 0;
    bool m_quit = false;
    bool m_stopped = false;
};

} // namespace cheqora
