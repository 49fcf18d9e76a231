// cheqora: the main window.
#include "frmmain.h"
#include "qtuiservices.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cheqora"));
    platform::QtUiServices services;
    platform::setUi(&services);

    cheqora::frmMain form;
    // Without its text catalogue the program cannot speak to the user: the load has said why.
    if (!form.Form_Load())
        return 1;
    return app.exec();
}
