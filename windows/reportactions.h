#pragma once

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

namespace cheqora {

// What the report-file buttons need from the main window.
struct ReportActionHooks {
    QWidget *mainWindow = nullptr;           // the viewer is placed over it
    std::function<QString(int)> uiText;      // numbered user-interface texts (46, 47, 48, 76; 46 and 76 take the path)
    std::function<void()> focusFirstFile;    // FocusFirstFile of the main window
};

// The help file's name, beside the program.
inline const QString kHelpFileName = QStringLiteral("chqr_help.txt");

// View: shows the report file in the viewer titled with its path. Nothing for an empty path; UI text
// 46 when the file does not exist, UI text 76 when it holds fewer than 3 bytes (both titled "View").
void ViewReportFile(const ReportActionHooks &hooks, const QString &strPath);

// Delete: moves the report file to the desktop's trash, confirms with UI text 47 in a pop-up at the
// centre of the screen and empties the field. Where there is no trash for it the user is asked first
// (No keeps it); deleted, it is confirmed with UI text 48. A file that does not exist gets UI text 46
// (titled "Delete") and the field is emptied too. A deletion that fails is reported and the field
// keeps the path.
void DeleteReportFile(const ReportActionHooks &hooks, QLineEdit *txbReportFile);

// Help: the help file from the program's folder in the viewer, titled "Help for CHQR".
void ShowHelp(QWidget *mainWindow);
void ShowHelp(QWidget *mainWindow, const QString &strProgramFolder);

} // namespace cheqora
