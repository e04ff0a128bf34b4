#include "app/mainwindow.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"

#include <QWidget>

namespace {

constexpr int showInterfacesTimeoutMs = 4000;

} // namespace

void MainWindow::wifiInterfaceName()
{
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::showInterfacesArgs(), showInterfacesTimeoutMs, interruption);
    // The gate tells nothing about the adapters: the name read before stays.
    if (meetLocationGate(runningOperation, run))
        return;
    if (locationNotice && run.finished)
        locationNotice->hide();
    wifiInterface = netctl::parseInterfaceName(run.out);
    wifiInterfaceGuid = netctl::parseInterfaceGuid(run.out, wifiInterface);
    laptopNetwork = netctl::parseCurrentSsid(run.out);
}

QString MainWindow::currentWifiSsid()
{
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::showInterfacesArgs(), showInterfacesTimeoutMs, interruption);
    if (meetLocationGate(runningOperation, run))
        return QString();
    return netctl::parseCurrentSsid(run.out);
}
