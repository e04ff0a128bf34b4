// The yardstick for start-up: a bare Qt window that sends one HTTP request to the charger's host
// and shows itself once the answer (or the failure) is in, with the outcome in a label ("--empty":
// without the label, so no font is ever loaded). The process ends at the window's first paint.
#include "first_paint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    QLabel *outcome = nullptr;
    if (!app.arguments().contains(QStringLiteral("--empty"))) {
        outcome = new QLabel(&window);
        window.setCentralWidget(outcome);
    }
    bench::exitAtPaint(&window, [](const QWidget *) { return true; });
    QNetworkAccessManager manager;
    QNetworkReply *reply =
        manager.get(QNetworkRequest(QUrl(QStringLiteral("http://setup.zephyl/command/get%20x"))));
    QObject::connect(reply, &QNetworkReply::finished, &window, [&window, outcome, reply]() {
        if (outcome)
            outcome->setText(reply->error() == QNetworkReply::NoError ? QStringLiteral("Ready.")
                                                                      : reply->errorString());
        window.show();
    });
    return app.exec();
}
