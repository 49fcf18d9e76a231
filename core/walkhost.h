#pragma once

// What a walk asks of whoever runs it: time to process events, and word of each file's digest.
// Every call has a default that does nothing, so a walk can run on a plain WalkHost. All calls come
// from the thread running the walk.

#include <QString>

#include <atomic>

namespace cheqora {

class WalkHost {
public:
    virtual ~WalkHost();

    // Process pending events; the place where a stop can arrive. Called often: keep it cheap.
    virtual void yield();
    // Digests run on worker threads ahead of the walk. In walk order: a file is handed to the workers;
    // the walk waits for its digest (bytesDone follows the read, valid until fileDigested or the end
    // of the walk); the walk has its digest. Called for every file: keep them cheap.
    virtual void fileQueued(const QString &path);
    virtual void fileDigesting(const QString &path, qint64 size, const std::atomic<qint64> *bytesDone);
    virtual void fileDigested(const QString &path, qint64 size);
};

} // namespace cheqora
