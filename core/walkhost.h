#pragma once

// What a walk asks of whoever runs it: time to process events, and word of each file's digest.
// Every call has a default that does nothing, so a walk can run on a plain WalkHost. All calls come
// from the thread running the walk.

#include <QString>

#include <atomic>

namespace cheqora {

class WalkHost {
public:
    virtual ~WalkHost() = default;

    // Process pending events; the place where a stop can arrive. Called often: keep it cheap.
    virtual void yield() {}
    // Digests run on worker threads ahead of the walk. In walk order: a file (path) is handed to the
    // workers; the walk waits for its digest (path, size, and bytesDone, which follows the read and
    // stays valid until fileDigested or the end of the walk), told once the file's size is known;
    // the walk has its digest (path, and the size read: 0 for a file not read).
    // Called for every file: keep them cheap.
    virtual void fileQueued(const QString &) {}
    virtual void fileDigesting(const QString &, qint64, const std::atomic<qint64> *) {}
    virtual void fileDigested(const QString &, qint64) {}
};

} // namespace cheqora
