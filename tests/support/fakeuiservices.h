#pragma once

#include "uiservices.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

namespace cheqora::test {

// Scripted stand-in for the desktop: records every box, dialog, clipboard write and launch, and
// answers from queues the test fills beforehand. An unscripted Yes/No box answers No; an unscripted
// dialog is cancelled. Installs itself on construction and uninstalls on destruction.
class FakeUiServices final : public platform::UiServices {
public:
    struct Box {
        QString text;
        platform::MsgButtons buttons;
        platform::MsgIcon icon;
        QString title;
    };

    FakeUiServices();
    ~FakeUiServices() override;

    // Scripting.
    QQueue<platform::MsgAnswer> boxAnswers;
    QQueue<QString> fileAnswers;   // "" means the user cancelled
    QQueue<QString> folderAnswers; // "" means the user cancelled
    QQueue<int> openResults;       // default OpenSucceeded
    // Called from processEvents, after the real event processing: lets a test act "during" a run.
    std::function<void()> onProcessEvents;
    // Called when a box is shown, before it is answered: lets a test look at the window at that moment.
    std::function<void(const Box &)> onBox;

    // Records.
    QList<Box> boxes;
    QStringList openedTargets;
    QString clipboard = QStringLiteral("(untouched)");
    int clipboardWrites = 0;
    int processEventsCalls = 0;

    platform::MsgAnswer messageBox(QWidget *owner, const QString &text, platform::MsgButtons buttons,
                                   platform::MsgIcon icon, const QString &title) override;
    QString pickFile(QWidget *owner, const platform::FileDialogRequest &request, bool &ok) override;
    QString browseForFolder(QWidget *owner, const QString &title) override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() override;
    QSize screenSizeTwips() override;
    int openDocument(const QString &target) override;
    void processEvents() override;
};

} // namespace cheqora::test
