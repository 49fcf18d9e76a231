#pragma once

#include <QString>

namespace cheqora {

// Opens a web address (or a document) with the desktop's default application. Every "http:" is
// made "https:" first. A failure is explained in a message box titled "Cannot open web link".
void LaunchURL(const QString &strTarget);

// The message for a failed launch of the address with the given result code.
QString LaunchErrorText(int intResult, const QString &strAddress);

} // namespace cheqora
