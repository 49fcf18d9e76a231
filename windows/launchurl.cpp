#include "launchurl.h"

#include "strproc.h"
#include "uiservices.h"

namespace cheqora {

QString LaunchErrorText(int intResult, const QString &strAddress)
{
    const QString cannot = QStringLiteral("Cannot open ") + strAddress;
    switch (intResult) {
    case platform::OpenNoAssociation: return cannot + QStringLiteral(": no application is set up to open it.");
    case platform::OpenOutOfMemory: return cannot + QStringLiteral(": out of memory.");
    case platform::OpenFileNotFound: return cannot + QStringLiteral(": it is not a valid address.");
    default: return cannot + QStringLiteral(" (error %1).").arg(intResult);
    }
}

void LaunchURL(const QString &strTarget)
{
    const QString target = replaceIgnoringCase(strTarget, QStringLiteral("http:"), QStringLiteral("https:"));
    const int result = platform::ui().openDocument(target);
    if (result > 32)
        return;
    platform::ui().messageBox(nullptr, LaunchErrorText(result, target), platform::MsgButtons::Ok,
                              platform::MsgIcon::Exclamation, QStringLiteral("Cannot open web link"));
}

} // namespace cheqora
