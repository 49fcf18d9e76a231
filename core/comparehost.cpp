#include "comparehost.h"

namespace cheqora {

void CompareHost::showLineCount(qint64) {}

void CompareHost::setBusy(bool) {}

} // namespace cheqora
