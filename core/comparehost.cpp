#include "comparehost.h"

namespace cheqora {

CompareHost::~CompareHost() = default;

void CompareHost::showLineCount(qint64) {}

void CompareHost::yield() {}

void CompareHost::setBusy(bool) {}

void CompareHost::fileQueued(const QString &) {}

void CompareHost::fileDigesting(const QString &, qint64, const std::atomic<qint64> *) {}

void CompareHost::fileDigested(const QString &, qint64) {}

} // namespace cheqora
