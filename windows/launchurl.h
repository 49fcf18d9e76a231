#pragma once

#include <QString>

namespace cheqora {

// Opens a web address (or a document) with the desktop's default application. Every "http:" is
// made "https:" first. A failure is explained in a message box titled "Cannot launch web browser".
void LaunchURL(const QString &strTarget);

// The message for a failed launch with the given result code; ext is the target's extension.
QString LaunchErrorText(int intResult, const QString &strExtension);

} // namespace cheqora
