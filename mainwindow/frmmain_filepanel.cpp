// The digest panel and the file and folder pickers.
#include "frmmain.h"

#include "digest.h"
#include "digestcheckpanel.h"
#include "digestline.h"
#include "digestworker.h"
#include "filesystem.h"
#include "foldercomparison.h"
#include "frmmain_keys.h"
#include "textcatalogue.h"
#include "uiservices.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <algorithm>

namespace cheqora {

using namespace keys;

namespace {

constexpr qint64 kPanelProgressAfterMs = 1000;

// What a row's digest label shows: the digest, or what kept it from being read.
QString digestCaption(int status, const QString &statusText, const QString &digest)
{
    if (status == 0)
        return digest;
    if (status < 0)
        return statusText;
    if (status == platform::ErrFileNotFound)
        return QStringLiteral("File not found");
    if (status == platform::ErrInterrupted)
        return QStringLiteral("Reading was stopped");
    return platform::uiText(34) + QStringLiteral(": ") + platform::fileErrorDescription(status);
}

} // namespace

QString SizeDateText(const QString &strPath)
{
    if (strPath.isEmpty())
        return QString();
    platform::FileStat st;
    platform::FileError err;
    if (!platform::statPath(strPath, st, err) || st.kind == platform::EntryKind::Missing
        || st.kind == platform::EntryKind::Folder)
        return QString();
    return platform::groupedNumber(st.length) + QStringLiteral(" bytes  ") + platform::dateTimeText(st.modified());
}

QString ReadProgressText(const QString &strPath, qint64 lngDone, qint64 lngTotal)
{
    const qint64 percent = lngTotal > 0 ? std::clamp<qint64>(lngDone * 100 / lngTotal, 0, 100) : 0;
    return strPath.mid(strPath.lastIndexOf(platform::kSeparator) + 1) + u' ' + QString::number(percent) + u'%';
}

std::map<int, frmMain::RowDigest> frmMain::DigestRows(const std::vector<int> &rows)
{
    std::map<int, qint64> lengths;
    std::map<int, QString> paths;
    for (int i : rows) {
        std::unique_ptr<DigestWorker> &worker = m_panelWorkers[i];
        if (!worker)
            worker = std::make_unique<DigestWorker>();
        worker->ClearAbort();
        const QString path = txbFile[i]->text();
        paths[i] = path;
        platform::FileStat st;
        platform::FileError err;
        lengths[i] = platform::statPath(path, st, err) ? st.length : 0;
        worker->Begin(path, nullptr, panelDigestCheck->algorithm());
    }
    // A quick digest is waited for; a longer one makes the window busy (Stop and Quit answer, the
    // window repaints) and, after a second, lblInfo shows how far each read has come.
    QElapsedTimer clock;
    clock.start();
    bool blnWentBusy = false;
    QString strInfo;
    std::map<int, bool> done;
    for (;;) {
        bool allDone = true;
        for (int i : rows) {
            if (!done[i])
                done[i] = m_panelWorkers[i]->Wait(blnWentBusy ? DigestWorker::kWaitSliceMs : 1);
            allDone = allDone && done[i];
        }
        if (allDone || m_blnQuitting || (blnWentBusy && blnStop))
            break;
        if (!blnWentBusy && clock.elapsed() >= intPanelBusyAfterMs) {
            blnWentBusy = true;
            blnStop = false;
            strInfo = lblInfo->text();
            QApplication::setOverrideCursor(Qt::WaitCursor);
            SetBusy(true);
        }
        if (blnWentBusy) {
            if (clock.elapsed() >= kPanelProgressAfterMs) {
                QStringList progress;
                for (int i : rows) {
                    if (!done[i])
                        progress << ReadProgressText(txbFile[i]->text(), m_panelWorkers[i]->BytesDone(), lengths[i]);
                }
                lblInfo->setText(progress.join(QStringLiteral("   ")));
            }
            platform::ui().processEvents();
        }
    }
    if (blnWentBusy) {
        QApplication::restoreOverrideCursor();
        if (!m_blnQuitting) {
            SetBusy(false);
            blnStop = false;
            lblInfo->setText(strInfo);
            lblInfo->setVisible(!strInfo.isEmpty());
        }
    }
    std::map<int, RowDigest> results;
    if (m_blnQuitting)
        return results;
    for (int i : rows) {
        RowDigest &row = results[i];
        row.path = paths[i];
        if (done[i]) {
            row.digest = m_panelWorkers[i]->Result(row.status, row.statusText);
        } else {
            // Stopped: the read is left to its thread, which the next digest of the row replaces.
            m_panelWorkers[i]->Abort();
            row.status = platform::ErrInterrupted;
            row.statusText = platform::fileErrorDescription(platform::ErrInterrupted);
        }
    }
    return results;
}

void frmMain::ShowFileDS(int i)
{
    ShowFilesDS({i});
}

void frmMain::ShowFilesDS(const std::vector<int> &rows)
{
    if (m_blnBusy)
        return;
    for (const auto &[i, row] : DigestRows(rows)) {
        ShowRowCaption(i, digestCaption(row.status, row.statusText, row.digest));
        lblSizeDateTime[i]->setText(SizeDateText(row.path));
    }
}

QString frmMain::RowCaption(int i) const
{
    return lblDigitalSignature.at(i)->text().remove(u'\n');
}

void frmMain::ShowRowCaption(int i, const QString &caption)
{
    // Digests longer than the label is wide go on lines of 32 digits, so that the window keeps its width.
    QString shown = caption;
    if (isDigestCaption(caption, panelDigestCheck->algorithm()) && caption.size() > kDigestLabelChars) {
        for (qsizetype at = caption.size() - 32; at > 0; at -= 32)
            shown.insert(at, u'\n');
    }
    lblDigitalSignature[i]->setText(shown);
    if (i == 0)
        panelDigestCheck->showVerdict(caption);
}

void frmMain::cboAlgorithm_Change()
{
    const QString error = writeAlgorithmChoice(strAlgorithmFile, panelDigestCheck->algorithm());
    if (!error.isEmpty())
        platform::ui().messageBox(this, QStringLiteral("The algorithm chosen could not be kept for the next start: ")
                                      + strAlgorithmFile + QStringLiteral(": ") + error,
                                  platform::MsgButtons::Ok, platform::MsgIcon::Exclamation,
                                  QStringLiteral("Get digital signature"));
    // The rows shown are read again, so that both rows and the check speak of one algorithm.
    std::vector<int> rows;
    for (int i = 0; i <= 1; ++i) {
        if (!RowCaption(i).isEmpty() && !txbFile[i]->text().isEmpty())
            rows.push_back(i);
        else
            ShowRowCaption(i, QString());
    }
    ShowFilesDS(rows);
    lblFileComparisonResult->setText(QString());
    CompareFileDS();
}

void frmMain::CompareFileDS()
{
    const QString first = RowCaption(0);
    const QString second = RowCaption(1);
    if (first.isEmpty() || second.isEmpty())
        return;
    // Only what was read can be equal: two digests, or two empty files. Two status texts alike (two
    // folders, two unreadable files) say nothing about the content.
    const DigestAlgorithm algorithm = panelDigestCheck->algorithm();
    const QString zeroLength = zeroLengthText();
    const bool comparable = (isDigestCaption(first, algorithm) && isDigestCaption(second, algorithm))
        || (first == zeroLength && second == zeroLength);
    lblFileComparisonResult->setText(comparable ? platform::uiText(first == second ? 55 : 56) : QString());
}

void frmMain::txbFile_KeyUp(int Index, int KeyCode, int /*Shift*/)
{
    if ((Index != 0 && Index != 1) || KeyCode != vbKeyReturn || m_blnBusy)
        return;
    const std::map<int, RowDigest> rows = DigestRows({Index});
    if (rows.empty())
        return;
    const RowDigest &row = rows.at(Index);
    ShowRowCaption(Index, digestCaption(row.status, row.statusText, row.digest));
    // The size and date always belong to the file whose digest is shown.
    lblSizeDateTime[Index]->setText(row.digest.isEmpty() ? QString() : SizeDateText(row.path));
}

void frmMain::txbFile_Change(int Index)
{
    QLineEdit *box = txbFile[Index];
    if (Index == 0 || Index == 1) {
        if (box->text().isEmpty())
            ShowRowCaption(Index, QString());
        lblFileComparisonResult->setText(QString());
    }
    box->setToolTip(box->text().size() > kTooltipThreshold ? box->text() : QString());
}

void frmMain::txbFile_MouseUp(int Index)
{
    if (!txbFile[Index]->text().isEmpty())
        return;
    QString name;
    QString title = QStringLiteral("Get digital signature");
    switch (Index) {
    case 0: name = QStringLiteral("1st file"); break;
    case 1: name = QStringLiteral("2nd file"); break;
    case 3:
        name = QStringLiteral("Report file");
        title = QStringLiteral("Compare files");
        break;
    default: return;
    }
    platform::ui().messageBox(this, QStringLiteral("To specify a file, click on the \"") + name + QStringLiteral("\" button."),
                              platform::MsgButtons::Ok, platform::MsgIcon::None, title);
}

void frmMain::cmdCopy_Click(int Index)
{
    const QString caption = RowCaption(Index);
    // With nothing to copy, the clipboard keeps what the user had put there.
    if (caption.isEmpty()) {
        if (isVisible())
            cmdGetFileLocation[0]->setFocus();
        return;
    }
    QString line = digestLine(caption, txbFile[Index]->text());
    if (line.isEmpty()) {
        // The file has gone (or is no file): there is no size or date to give, only what is shown.
        lblSizeDateTime[Index]->setText(QString());
        line = caption;
    }
    platform::ui().setClipboardText(line);
    if (isVisible())
        cmdGetFileLocation[0]->setFocus();
}

void frmMain::cmdClear_Click(int Index)
{
    txbFile[Index]->setText(QString());
    if (Index == 0 || Index == 1) {
        ShowRowCaption(Index, QString());
        lblSizeDateTime[Index]->setText(QString());
        lblFileComparisonResult->setText(QString());
    }
    if (isVisible())
        cmdGetFileLocation[Index]->setFocus();
}

QString BrowseForFolder(QWidget *owner, const QString &strTitle)
{
    return platform::ui().browseForFolder(owner, strTitle);
}

void frmMain::cmdGetFileLocation_Click(int Index)
{
    platform::FileDialogRequest request;
    switch (Index) {
    case 0: request.title = QStringLiteral("Specify first file"); break;
    case 1: request.title = QStringLiteral("Specify second file"); break;
    case 3:
        request.title = QStringLiteral("Specify file to write report to");
        request.filter = QStringLiteral(" files (*.txt) | *.txt");
        // A new report is named by typing its name.
        request.save = true;
        lblInfo->setText(QString());
        lblInfo->repaint();
        break;
    default: return;
    }
    request.flags = 2052;
    request.fileName = QString();
    bool ok = true;
    const QString chosen = platform::ui().pickFile(this, request, ok);
    if (ok && !chosen.isEmpty()) {
        txbFile[Index]->setText(chosen);
        if (Index == 0 || Index == 1) {
            ShowFileDS(Index);
            CompareFileDS();
        }
    }
    if (isVisible())
        cmdGetFileLocation[0]->setFocus();
}

void frmMain::cmdFolder_Click(int Index)
{
    lblInfo->setText(QString());
    QString chosen;
    // Shift picks a digest list, which a comparison takes in place of the folder.
    if (QApplication::keyboardModifiers() & Qt::ShiftModifier) {
        platform::FileDialogRequest request;
        request.title = Index == 0 ? QStringLiteral("Select 1st digest list") : QStringLiteral("Select 2nd digest list");
        // Lists of every algorithm, by the names people give them; any other name is one choice away.
        request.filter = QStringLiteral("Digest lists (*.md5 *.sha1 *.sha256 *.sha512 *.b2 *SUMS *sums);;All files (*)");
        request.flags = 2052;
        bool ok = true;
        chosen = platform::ui().pickFile(this, request, ok);
    } else {
        chosen = BrowseForFolder(this, Index == 0 ? QStringLiteral("Select 1st folder") : QStringLiteral("Select 2nd folder"));
    }
    if (!chosen.isEmpty())
        txbFolder[Index]->setText(chosen);
}

void frmMain::txbFolder_MouseUp(int Index)
{
    if (!txbFolder[Index]->text().isEmpty())
        return;
    const QString name = Index == 0 ? QStringLiteral("1st folder") : QStringLiteral("2nd folder");
    const QString title = Index == 0 ? QStringLiteral("Record digital signatures") : QStringLiteral("Compare files");
    platform::ui().messageBox(this, QStringLiteral("To specify a folder, click on the \"") + name + QStringLiteral("\" button."),
                              platform::MsgButtons::Ok, platform::MsgIcon::None, title);
}

// ---------------------------------------------------------------------------------------------
// Drag and drop: a file on a file row (two files fill both rows), a folder or a digest list on a folder
// field, a file on the report field.

bool frmMain::dropPaths(const QPoint &pos, const QStringList &paths, bool blnApply)
{
    if (m_blnBusy || paths.isEmpty() || paths.size() > 2)
        return false;
    // The control under the drop, and the array member it belongs to.
    QString name;
    for (QWidget *w = childAt(pos); w && w != this; w = w->parentWidget()) {
        if (w->objectName().contains(u'_')) {
            name = w->objectName();
            break;
        }
    }
    const int index = name.section(u'_', 1).toInt();
    const QString array = name.section(u'_', 0, 0);
    const bool fileRow = (index == 0 || index == 1)
        && QStringList({QStringLiteral("cmdGetFileLocation"), QStringLiteral("txbFile"), QStringLiteral("lblDigitalSignature"),
                        QStringLiteral("lblSizeDateTime"), QStringLiteral("cmdCopy"), QStringLiteral("cmdClear")})
               .contains(array);
    const bool folder = array == QLatin1String("cmdFolder") || array == QLatin1String("txbFolder");
    const bool report = index == 3;
    if (!fileRow && !folder && !report)
        return false;
    if (!fileRow && paths.size() != 1)
        return false;
    if (!blnApply)
        return true;

    for (const QString &path : paths) {
        // A digest list stands in for a folder.
        const bool isFolder = platform::folderExists(path) || (folder && FolderComparison::looksLikeListSide(path));
        if (isFolder != folder) {
            const QString title = fileRow ? QStringLiteral("Get digital signature") : QStringLiteral("Compare files");
            platform::ui().messageBox(this, path + (isFolder ? QStringLiteral(" is a folder, not a file.")
                                                            : QStringLiteral(" is neither a folder nor a digest list.")),
                                      platform::MsgButtons::Ok, platform::MsgIcon::Exclamation, title);
            return false;
        }
    }
    if (folder) {
        txbFolder[index]->setText(paths.first());
    } else if (report) {
        lblInfo->setText(QString());
        txbFile[3]->setText(paths.first());
    } else {
        std::vector<int> rows;
        for (qsizetype k = 0; k < paths.size(); ++k)
            rows.push_back(paths.size() == 2 ? int(k) : index);
        for (int row : rows)
            txbFile[row]->setText(paths.at(paths.size() == 2 ? row : 0));
        ShowFilesDS(rows);
        CompareFileDS();
    }
    return true;
}

namespace {

QStringList droppedPaths(const QMimeData *mime)
{
    QStringList paths;
    for (const QUrl &url : mime->urls()) {
        if (!url.isLocalFile())
            return QStringList();
        QString path = url.toLocalFile();
        while (path.size() > 1 && path.endsWith(platform::kSeparator))
            path.chop(1);
        paths << path;
    }
    return paths;
}

} // namespace

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    // The field under the pointer is judged at the drop; here only what is carried.
    const QStringList paths = droppedPaths(event->mimeData());
    if (!m_blnBusy && !paths.isEmpty() && paths.size() <= 2)
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedPaths(event->mimeData());
    const QPoint pos = event->position().toPoint();
    if (!dropPaths(pos, paths, false)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dropPaths(pos, paths, true);
}

} // namespace cheqora
