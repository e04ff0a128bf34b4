// Start-up of the wizard's window as the program entry does it. The process ends at the window's
// first paint, or with "--until-ready" once the status line shows the end of the start-up reads.
#include "app/mainwindow.h"
#include "first_paint.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    MainWindow window;
    if (app.arguments().contains(QStringLiteral("--until-ready"))) {
        auto *status = window.findChild<QLabel *>(QStringLiteral("Status"));
        bench::exitAtPaint(status, [status](const QWidget *) { return !status->text().isEmpty(); });
    } else {
        bench::exitAtPaint(&window, [](const QWidget *) { return true; });
    }
    window.show();
    return app.exec();
}
