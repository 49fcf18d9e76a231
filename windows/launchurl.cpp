#include "launchurl.h"

#include "numbertext.h"
#include "strproc.h"
#include "uiservices.h"

namespace cheqora {

QString LaunchErrorText(int intResult, const QString &strExtension)
{
    const QString gap = QStringLiteral("\r\n\r\n");
    QString text = QStringLiteral("Error launching web browser, error code =") + NumberText(intResult) + u'.';
    switch (intResult) {
    case platform::OpenNoAssociation:
        text += gap + QStringLiteral("File extension '") + strExtension
            + QStringLiteral("' is not associated with any application program.");
        break;
    case platform::OpenOutOfMemory:
        text += gap + QStringLiteral("Out of memory.");
        break;
    case platform::OpenFileNotFound:
        text += gap + QStringLiteral("Please try once more.");
        break;
    default:
        break;
    }
    return text;
}

void LaunchURL(const QString &strTarget)
{
    const QString target = replaceIgnoringCase(strTarget, QStringLiteral("http:"), QStringLiteral("https:"));
    const QString ext = extensionOf(target, true);
    const int result = platform::ui().openDocument(target);
    if (result > 32)
        return;
    platform::ui().messageBox(nullptr, LaunchErrorText(result, ext), platform::MsgButtons::Ok,
                              platform::MsgIcon::Exclamation, QStringLiteral("Cannot launch web browser"));
}

} // namespace cheqora
