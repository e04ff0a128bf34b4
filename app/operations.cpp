#include "app/mainwindow.h"
#include "common/local_wait.h"

#include <QApplication>
#include <QProgressBar>
#include <QTimer>

MainWindow::Operation::Operation(MainWindow *owner, const QString &name)
{
    if (!owner->runningOperation.isEmpty() || owner->interruption->isRaised()) {
        const QString reason = owner->runningOperation.isEmpty()
                                   ? QStringLiteral("the window is closing")
                                   : QLatin1Char('"') + owner->runningOperation +
                                         QStringLiteral("\" is still running");
        owner->appendLog(QStringLiteral("\"%1\" refused: %2.").arg(name, reason));
        return;
    }
    window = owner;
    window->runningOperation = name;
    window->setOperationControlsEnabled(false);
    window->busyDelay->start();
}

MainWindow::Operation::~Operation()
{
    if (window)
        window->finishOperation();
}

void MainWindow::finishOperation()
{
    runningOperation.clear();
    locationGateMet = false;
    busyDelay->stop();
    busyBar->hide();
    if (busyCursorShown) {
        QApplication::restoreOverrideCursor();
        busyCursorShown = false;
    }
    setOperationControlsEnabled(true);
    if (!interruption->isRaised())
        return;
    // The window was closed during the operation: restore the laptop once, then close for real.
    interruption->clear();
    restoreLaptopNetwork();
    laptopRestoredOnClose = true;
    QTimer::singleShot(0, this, &QWidget::close);
}

void MainWindow::setOperationControlsEnabled(bool enabled)
{
    for (QWidget *control : std::as_const(operationControls))
        control->setEnabled(enabled);
}

void MainWindow::showBusy()
{
    busyBar->show();
    if (!busyCursorShown) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        busyCursorShown = true;
    }
}

bool MainWindow::stopRequested() const
{
    return interruption->isRaised();
}
