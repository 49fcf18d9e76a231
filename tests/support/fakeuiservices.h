#pragma once

#include "uiservices.h"

#include <QCoreApplication>
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

    FakeUiServices() { platform::setUi(this); }
    ~FakeUiServices() override { platform::setUi(nullptr); }

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
    QList<platform::FileDialogRequest> fileRequests;
    QString clipboard = QStringLiteral("(untouched)");
    int clipboardWrites = 0;
    int processEventsCalls = 0;

    platform::MsgAnswer messageBox(QWidget *, const QString &text, platform::MsgButtons buttons, platform::MsgIcon icon,
                                   const QString &title) override
    {
        const Box box{text, buttons, icon, title}; // a copy: onBox may show further boxes
        boxes.append(box);
        if (onBox)
            onBox(box);
        if (buttons == platform::MsgButtons::Ok) {
            if (!boxAnswers.isEmpty() && boxAnswers.head() == platform::MsgAnswer::Ok)
                boxAnswers.dequeue();
            return platform::MsgAnswer::Ok;
        }
        return boxAnswers.isEmpty() ? platform::MsgAnswer::No : boxAnswers.dequeue();
    }
    QString pickFile(QWidget *, const platform::FileDialogRequest &request, bool &ok) override
    {
        fileRequests.append(request);
        ok = true;
        return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
    }
    QString browseForFolder(QWidget *, const QString &) override
    {
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    void setClipboardText(const QString &text) override
    {
        clipboard = text;
        ++clipboardWrites;
    }
    QString clipboardText() override { return clipboard; }
    QSize screenSizeTwips() override { return QSize(19200, 14400); }
    int openDocument(const QString &target) override
    {
        openedTargets.append(target);
        return openResults.isEmpty() ? int(platform::OpenSucceeded) : openResults.dequeue();
    }
    void processEvents() override
    {
        ++processEventsCalls;
        QCoreApplication::processEvents();
        if (onProcessEvents)
            onProcessEvents();
    }
};

} // namespace cheqora::test
