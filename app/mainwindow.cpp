#include "app/mainwindow.h"

#include "app/window_style.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "common/local_wait.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    api = new ApiClient(this);
    interruption = new common::Interruption(this);
    api->setInterruption(interruption);
    buildUi();
    setStyleSheet(app::windowStyleSheet());
    connect(api, &ApiClient::commandResult, this, &MainWindow::onApiResult);
    connect(api, &ApiClient::replyTooLarge, this, [this](const QString &command) {
        appendLog(QStringLiteral("Charger reply to \"%1\" was too large (over %2 bytes); the "
                                 "exchange was aborted.")
                      .arg(command)
                      .arg(charger_api::maxReplyBytes));
    });
    openSetupLog();
    completeSetupMode = false;
    pages->setCurrentIndex(1);
    // The start-up reads wait on netsh and on the charger; the window is on screen (and live)
    // while they run.
    QTimer::singleShot(0, this, &MainWindow::readStartupState);
}

void MainWindow::readStartupState()
{
    // A window closed before its first event loop turn has restored the laptop; it reads nothing.
    if (laptopRestoredOnClose)
        return;
    const Operation operation(this, QStringLiteral("Start-up"));
    if (operation.refused())
        return;
    wifiInterfaceName();
    if (stopRequested())
        return;
    refreshDeviceInfo();
    if (!stopRequested())
        setStatus(QStringLiteral("Ready."));
}

MainWindow::~MainWindow()
{
    // These controls have no parent unless advanced mode placed them in the window; deleting
    // them here covers both cases (a child leaves its parent when deleted).
    delete stepFactoryResetButton;
    delete optGetInfo;
    delete optClearCache;
    delete optConfigureWifi;
    delete optFirmwareUpdate;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // A close during an operation stops it at its next step; the operation's end restores the
    // laptop and closes the window. A second close while the restore runs waits for it.
    const QString restoring = QStringLiteral("Restoring the laptop's network");
    if (runningOperation == restoring) {
        event->ignore();
        return;
    }
    if (!runningOperation.isEmpty()) {
        if (!interruption->isRaised()) {
            appendLog(QStringLiteral("%1 stopped: the window was closed.").arg(runningOperation));
            interruption->raise();
        }
        event->ignore();
        return;
    }
    if (!laptopRestoredOnClose) {
        const Operation restore(this, restoring);
        restoreLaptopNetwork();
        laptopRestoredOnClose = true;
    }
    writePendingResultsAtClose();
    QMainWindow::closeEvent(event);
}
