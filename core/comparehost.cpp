#include "comparehost.h"

namespace cheqora {

WalkHost::~WalkHost() = default;

void WalkHost::yield() {}

void WalkHost::fileQueued(const QString &) {}

void WalkHost::fileDigesting(const QString &, qint64, const std::atomic<qint64> *) {}

void WalkHost::fileDigested(const QString &, qint64) {}

void CompareHost::showLineCount(qint64) {}

void CompareHost::setBusy(bool) {}

} // namespace cheqora
