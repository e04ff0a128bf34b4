#include "app/mainwindow.h"
#include "world.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QtTest>

// The window on the most common field laptop screen, 1366 x 768.
class WindowFitTest : public QObject
{
    Q_OBJECT

private slots:
    void everyPageFitsASmallScreen();
};

void WindowFitTest::everyPageFitsASmallScreen()
{
    testsupport::World world;
    MainWindow window;
    const QRect available = window.screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(1366, 768));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(available.contains(window.frameGeometry()), "the window spills off the screen");
    testsupport::runSteps(window, world, {"startup", "click:Open Wi-Fi Step"});
    auto *scroll = window.findChild<QScrollArea *>();
    const QStringList pages = {"1  Connect Charger", "2  Clear ECache", "2  Wi-Fi Setup"};
    for (const QString &page : pages) {
        testsupport::runSteps(window, world, {"click:" + page});
        QApplication::processEvents();
        for (QPushButton *button : scroll->widget()->findChildren<QPushButton *>()) {
            if (!button->isVisible())
                continue;
            scroll->ensureWidgetVisible(button);
            const QRect shown(button->mapTo(&window, QPoint()), button->size());
            QVERIFY2(window.rect().contains(shown), qPrintable(page + ": " + button->text()));
        }
    }
    const QLabel *status = window.findChild<QLabel *>(QStringLiteral("Status"));
    QVERIFY(window.rect().contains(QRect(status->mapTo(&window, QPoint()), status->size())));
}

int main(int argc, char *argv[])
{
    QTemporaryFile screen;
    if (!screen.open())
        return 1;
    screen.write(R"({"screens":[{"name":"s","x":0,"y":0,"width":1366,"height":768,)"
                 R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    screen.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    WindowFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_fit.moc"
