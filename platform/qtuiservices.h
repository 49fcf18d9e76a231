#pragma once

#include "uiservices.h"

namespace platform {

// Twips are 1/1440 inch; the window layouts are given in twips and drawn at 96 logical dots per inch
// (Qt scales logical pixels on high-DPI screens).
constexpr int twipsToPixels(int twips) { return (twips + 7) / 15; }
constexpr int pixelsToTwips(int pixels) { return pixels * 15; }

class QtUiServices final : public UiServices {
public:
    MsgAnswer messageBox(QWidget *owner, const QString &text, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override;
    QString pickFile(QWidget *owner, const FileDialogRequest &request, bool &ok) override;
    QString browseForFolder(QWidget *owner, const QString &title) override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;
    QSize screenSizeTwips() override;
    int openDocument(const QString &target) override;
    void processEvents() override;
};

} // namespace platform
