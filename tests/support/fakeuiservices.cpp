#include "fakeuiservices.h"

#include <QCoreApplication>

namespace cheqora::test {

FakeUiServices::FakeUiServices()
{
    platform::setUi(this);
}

FakeUiServices::~FakeUiServices()
{
    platform::setUi(nullptr);
}

platform::MsgAnswer FakeUiServices::messageBox(QWidget *, const QString &text, platform::MsgButtons buttons,
                                               platform::MsgIcon icon, const QString &title)
{
    const Box box{text, buttons, icon, title};
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

QString FakeUiServices::pickFile(QWidget *, const platform::FileDialogRequest &, bool &ok)
{
    ok = true;
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString FakeUiServices::browseForFolder(QWidget *, const QString &)
{
    return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
}

void FakeUiServices::setClipboardText(const QString &text)
{
    clipboard = text;
    ++clipboardWrites;
}

QString FakeUiServices::clipboardText()
{
    return clipboard;
}

QSize FakeUiServices::screenSizeTwips()
{
    return QSize(19200, 14400);
}

int FakeUiServices::openDocument(const QString &target)
{
    openedTargets.append(target);
    return openResults.isEmpty() ? int(platform::OpenSucceeded) : openResults.dequeue();
}

void FakeUiServices::processEvents()
{
    ++processEventsCalls;
    QCoreApplication::processEvents();
    if (onProcessEvents)
        onProcessEvents();
}

} // namespace cheqora::test
