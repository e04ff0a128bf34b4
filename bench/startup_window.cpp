// Start-up of the wizard's window as the program entry does it, up to its first event loop turn.
#include "app/mainwindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
