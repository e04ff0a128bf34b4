#include "app/mainwindow.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"

#include <QListWidget>
#include <QThread>

namespace {

constexpr int showNetworksTimeoutMs = 7000;
constexpr int attempts = 3;
constexpr unsigned long pauseBetweenAttemptsMs = 900;

QString listingText(const netctl::NetshRun &run)
{
    return run.out + QLatin1Char('\n') + run.err;
}

} // namespace

void MainWindow::onScanJuiceNet()
{
    chargerList->clear();
    QStringList found;
    for (int attempt = 1; found.isEmpty() && attempt <= attempts; ++attempt) {
        netctl::parseChargerSsids(
            listingText(netctl::runNetsh(netctl::showNetworksArgs(), showNetworksTimeoutMs)),
            found);
        if (found.isEmpty() && !wifiInterface.isEmpty()) {
            netctl::parseChargerSsids(
                listingText(netctl::runNetsh(netctl::showNetworksOnInterfaceArgs(wifiInterface),
                                             showNetworksTimeoutMs)),
                found);
        }
        if (found.isEmpty() && attempt < attempts)
            QThread::msleep(pauseBetweenAttemptsMs);
    }

    chargerList->addItems(found);
    if (!found.isEmpty()) {
        setStatus(QStringLiteral("Found %1 charger network(s).").arg(found.size()));
    } else {
        setStatus(QStringLiteral("No JuiceNet found. Move closer to charger, keep lights flashing "
                                 "blue, then scan again."));
    }
}
