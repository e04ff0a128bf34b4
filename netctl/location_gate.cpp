#include "app/mainwindow.h"
#include "netctl/location_gate_rules.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QUrl>

#include <utility>

namespace {

// The row of the window's main column whose layout holds the pages.
int rowHolding(const QBoxLayout *column, const QWidget *pages)
{
    for (int row = 0; row < column->count(); ++row) {
        const QLayout *layout = column->itemAt(row)->layout();
        for (int at = 0; layout && at < layout->count(); ++at) {
            const QWidget *widget = layout->itemAt(at)->widget();
            if (widget && widget->isAncestorOf(pages))
                return row;
        }
    }
    return column->count();
}

// An inline message bar: a warning sign, the text, and the two ways out.
QFrame *noticeBar(QStyle *style, QPushButton *openSettings, QPushButton *tryAgain)
{
    auto *bar = new QFrame();
    bar->setObjectName(QStringLiteral("Notice"));
    auto *row = new QHBoxLayout(bar);
    auto *sign = new QLabel();
    sign->setPixmap(style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(24, 24));
    row->addWidget(sign, 0, Qt::AlignTop);
    auto *text = new QLabel(netctl::locationGateNotice());
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    row->addWidget(text, 1);
    row->addWidget(openSettings);
    row->addWidget(tryAgain);
    return bar;
}

} // namespace

bool MainWindow::meetLocationGate(const QString &operation, const netctl::NetshRun &run)
{
    const QString output = run.out + QLatin1Char('\n') + run.err;
    if (!netctl::holdsLocationGate(output))
        return false;
    showLocationGate(operation, QStringLiteral("netsh: ") + netctl::netshTextForLog(output));
    return true;
}

void MainWindow::showLocationGate(const QString &operation, const QString &notice)
{
    if (!std::exchange(locationGateMet, true)) {
        // The restore after a close during an operation runs outside any operation.
        const QString who =
            operation.isEmpty() ? QStringLiteral("Restoring the laptop's network") : operation;
        appendLog(notice);
        appendLog(QStringLiteral("%1 met the location gate: Windows withholds Wi-Fi information "
                                 "while location access is off.")
                      .arg(who));
    }
    if (!locationNotice) {
        auto *openSettings = new QPushButton(QStringLiteral("Open Location Settings"));
        auto *tryAgain = new QPushButton(QStringLiteral("Try Again"));
        connect(openSettings, &QPushButton::clicked, this,
                []() { QDesktopServices::openUrl(QUrl(netctl::locationSettingsUri())); });
        connect(tryAgain, &QPushButton::clicked, this, &MainWindow::retryAfterLocationGate);
        tryAgain->setEnabled(runningOperation.isEmpty());
        operationControls << tryAgain;
        locationNotice = noticeBar(style(), openSettings, tryAgain);
        auto *column = qobject_cast<QBoxLayout *>(centralWidget()->layout());
        column->insertWidget(rowHolding(column, pages), locationNotice);
    }
    locationNotice->show();
    setStatus(netctl::locationGateStatus());
}

void MainWindow::retryAfterLocationGate()
{
    const Operation operation(this, QStringLiteral("Try Again"));
    if (operation.refused())
        return;
    wifiInterfaceName();
    if (locationGateMet || stopRequested())
        return;
    refreshDeviceInfo();
    if (!stopRequested())
        setStatus(QStringLiteral("Ready."));
}
