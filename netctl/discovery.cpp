#include "app/mainwindow.h"
#include "common/local_wait.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"
#include "netctl/wifi_scan_request.h"

#include <QListWidget>

namespace {

constexpr int showNetworksTimeoutMs = 7000;
constexpr int attempts = 3;
constexpr int pauseBetweenAttemptsMs = 900;
// Drivers must finish a scan within 4 s.
constexpr int freshScanBoundMs = 4000;

QString listingText(const netctl::NetshRun &run)
{
    return run.out + QLatin1Char('\n') + run.err;
}

} // namespace

void MainWindow::onScanJuiceNet()
{
    const Operation operation(this, QStringLiteral("Find Charger Wi-Fi"));
    if (operation.refused())
        return;
    findChargerNetworks();
}

void MainWindow::findChargerNetworks()
{
    chargerList->clear();
    QStringList found;
    for (int attempt = 1; found.isEmpty() && attempt <= attempts && !stopRequested(); ++attempt) {
        // Windows withholds Wi-Fi information: no attempt can find anything until location
        // access is on.
        const netctl::FreshScan scan = askForFreshScan();
        if (scan == netctl::FreshScan::Denied)
            return;
        const netctl::NetshRun listing =
            netctl::runNetsh(netctl::showNetworksArgs(), showNetworksTimeoutMs, interruption);
        if (meetLocationGate(runningOperation, listing))
            return;
        netctl::parseChargerSsids(listingText(listing), found);
        if (found.isEmpty() && !wifiInterface.isEmpty()) {
            const netctl::NetshRun onAdapter =
                netctl::runNetsh(netctl::showNetworksOnInterfaceArgs(wifiInterface),
                                 showNetworksTimeoutMs, interruption);
            if (meetLocationGate(runningOperation, onAdapter))
                return;
            netctl::parseChargerSsids(listingText(onAdapter), found);
        }
        // Where Windows scans anew, the next attempt's scan is the wait.
        if (found.isEmpty() && attempt < attempts && scan == netctl::FreshScan::NotAvailable)
            common::waitLocally(pauseBetweenAttemptsMs, interruption);
    }

    chargerList->addItems(found);
    if (!found.isEmpty()) {
        setStatus(QStringLiteral("Found %1 charger network(s).").arg(found.size()));
    } else {
        setStatus(QStringLiteral("No JuiceNet found. Move closer to charger, keep lights flashing "
                                 "blue, then scan again."));
    }
}

netctl::FreshScan MainWindow::askForFreshScan()
{
    QString note;
    const netctl::FreshScan scan = netctl::requestFreshScan(
        wifiInterfaceGuid, freshScanBoundMs, interruption,
        [this]() { setStatus(QStringLiteral("Asking Windows for a fresh Wi-Fi scan...")); }, note);
    if (scan == netctl::FreshScan::Denied)
        showLocationGate(runningOperation, note);
    else if (!note.isEmpty())
        appendLog(note);
    return scan;
}
