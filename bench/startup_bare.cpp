// The yardstick for start-up: a bare Qt window that sends one HTTP request to the charger's host.
#include <QApplication>
#include <QMainWindow>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    QNetworkAccessManager manager;
    QNetworkReply *reply =
        manager.get(QNetworkRequest(QUrl(QStringLiteral("http://setup.zephyl/command/get%20x"))));
    QObject::connect(reply, &QNetworkReply::finished, &window, [&window]() {
        window.show();
        QTimer::singleShot(0, qApp, &QApplication::quit);
    });
    return app.exec();
}
