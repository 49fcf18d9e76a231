#pragma once

#include <QSize>
#include <QString>

class QWidget;

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// YesNoSafe: No is the default button, for a question whose Yes cannot be undone.
enum class MsgButtons { Ok, YesNo, YesNoSafe };
enum class MsgAnswer { Ok, Yes, No };

struct FileDialogRequest {
    QString title;
    // One description and one pattern separated by "|", e.g. " files (*.txt) | *.txt"; "" for none.
    QString filter;
    // 4: no read-only check box; 2048: the folder of a typed path must exist.
    int flags = 0;
    QString fileName;
    // A save dialog: a file that does not exist yet can be named.
    bool save = false;
};

// Result codes of openDocument follow the shell's convention: above 32 is success, 2 file not found,
// 8 out of memory, 31 no application associated.
enum OpenResult : int {
    OpenFileNotFound = 2,
    OpenOutOfMemory = 8,
    OpenNoAssociation = 31,
    OpenSucceeded = 42,
};

// Everything the windows ask of the desktop: modal boxes, dialogs, clipboard, screen, browser and the
// event loop. The program installs the Qt implementation; tests install a scripted fake so that no
// test ever waits on a modal box.
class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MsgAnswer messageBox(QWidget *owner, const QString &text, MsgButtons buttons, MsgIcon icon,
                                 const QString &title) = 0;
    // The chosen full path, or "" when cancelled. ok is false when the dialog could not be shown.
    virtual QString pickFile(QWidget *owner, const FileDialogRequest &request, bool &ok) = 0;
    // The chosen folder's full path, or "" when cancelled.
    virtual QString browseForFolder(QWidget *owner, const QString &title) = 0;
    // Clears the clipboard and puts exactly this text on it.
    virtual void setClipboardText(const QString &text) = 0;
    virtual QString clipboardText() = 0;
    // Screen size in twips.
    virtual QSize screenSizeTwips() = 0;
    // Opens a document or web address with the desktop's default application.
    virtual int openDocument(const QString &target) = 0;
    // Handles pending window events before returning.
    virtual void processEvents() = 0;
};

// The services in use. Set once at start-up (or by a test) before any window is made.
UiServices &ui();
void setUi(UiServices *services);

} // namespace platform
