#include "qtuiservices.h"

#include "filesystem.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace platform {

namespace {

// " files (*.txt) | *.txt" becomes the Qt filter "files (*.txt)".
QString qtFilter(const QString &filter)
{
    if (filter.trimmed().isEmpty())
        return QString();
    const qsizetype bar = filter.indexOf(u'|');
    const QString description = (bar < 0 ? filter : filter.left(bar)).trimmed();
    const QString pattern = bar < 0 ? QString() : filter.mid(bar + 1).trimmed();
    if (description.contains(u'(') || pattern.isEmpty())
        return description;
    return description + QStringLiteral(" (") + pattern + u')';
}

} // namespace

MsgAnswer QtUiServices::messageBox(QWidget *owner, const QString &text, MsgButtons buttons, MsgIcon icon,
                                   const QString &title)
{
    QMessageBox box(owner);
    box.setWindowTitle(title);
    // File names are shown as they are: a name that looks like markup must not change what is shown.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (buttons != MsgButtons::Ok) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(buttons == MsgButtons::YesNo ? QMessageBox::Yes : QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

QString QtUiServices::pickFile(QWidget *owner, const FileDialogRequest &request, bool &ok)
{
    ok = true;
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Replacing an existing report is the comparison's question, asked when it runs.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // A typed name may name a file that does not exist yet (a new report), but its folder must.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString filter = qtFilter(request.filter);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // A typed path whose folder is missing is refused with a word and the dialog comes back.
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty())
            return QString();
        const QString path = chosen.first();
        const qsizetype slash = path.lastIndexOf(kSeparator);
        const QString folder = slash > 0 ? path.left(slash) : QString();
        if (!(request.flags & 2048) || folder.isEmpty() || folderExists(folder))
            return path;
        messageBox(&dialog, QStringLiteral("The folder %1 does not exist. Check the path and try again.").arg(folder),
                   MsgButtons::Ok, MsgIcon::Exclamation, request.title);
        dialog.selectFile(path);
    }
}

QString QtUiServices::browseForFolder(QWidget *owner, const QString &title)
{
    return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

void QtUiServices::setClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

QString QtUiServices::clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

QSize QtUiServices::screenSizeTwips()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSize(pixelsToTwips(1024), pixelsToTwips(768));
    const QSize px = screen->availableGeometry().size();
    return QSize(pixelsToTwips(px.width()), pixelsToTwips(px.height()));
}

int QtUiServices::openDocument(const QString &target)
{
    const QUrl url = QUrl::fromUserInput(target);
    if (!url.isValid())
        return OpenFileNotFound;
    if (url.isLocalFile() && !fileExists(url.toLocalFile()) && !folderExists(url.toLocalFile()))
        return OpenFileNotFound;
    return QDesktopServices::openUrl(url) ? OpenSucceeded : OpenNoAssociation;
}

void QtUiServices::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace platform
