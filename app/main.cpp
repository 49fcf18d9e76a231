#include "qtuiservices.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    platform::QtUiServices services;
    platform::setUi(&services);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Cheqora %1.%24").arg(CHEQORA_VERSION_MAJOR).arg(CHEQORA_VERSION_MINOR));
    window.resize(800, 600);
    window.show();
    return app.exec();
}
