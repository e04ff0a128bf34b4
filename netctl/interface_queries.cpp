#include "app/mainwindow.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"

namespace {

constexpr int showInterfacesTimeoutMs = 4000;

} // namespace

void MainWindow::wifiInterfaceName()
{
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::showInterfacesArgs(), showInterfacesTimeoutMs, interruption);
    wifiInterface = netctl::parseInterfaceName(run.out);
    laptopNetwork = netctl::parseCurrentSsid(run.out);
}

QString MainWindow::currentWifiSsid()
{
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::showInterfacesArgs(), showInterfacesTimeoutMs, interruption);
    return netctl::parseCurrentSsid(run.out);
}
