#include "app/mainwindow.h"
#include "common/local_wait.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_runner.h"

namespace {

constexpr int addressTimeoutMs = 5000;
constexpr int reconnectPauseMs = 350;

} // namespace

void MainWindow::onSetStaticIp()
{
    const Operation operation(this, QStringLiteral("Set Static IP"));
    if (operation.refused())
        return;
    applyStaticAddress();
}

void MainWindow::applyStaticAddress()
{
    if (wifiInterface.isEmpty()) {
        setStatus(QStringLiteral("No Wi-Fi interface detected."));
        return;
    }
    // Windows refuses address changes without elevation; that shows only in the exit code. The
    // DNS command is not judged: it reports an unreachable server yet applies the setting.
    const netctl::NetshRun address = netctl::runNetsh(netctl::setStaticAddressArgs(wifiInterface),
                                                      addressTimeoutMs, interruption);
    netctl::runNetsh(netctl::setStaticDnsArgs(wifiInterface), addressTimeoutMs, interruption);
    if (address.succeeded())
        setStatus(QStringLiteral("Static IP applied (10.10.10.2)."));
    else
        setStatus(
            QStringLiteral("Static IP could not be applied. Run as administrator and retry."));
    refreshDeviceInfo();
}

void MainWindow::restoreLaptopNetwork()
{
    if (wifiInterface.isEmpty())
        wifiInterfaceName();
    if (wifiInterface.isEmpty()) {
        appendLog(QStringLiteral("restoreLaptopNetwork: no Wi-Fi interface detected."));
        return;
    }
    returnLaptopToDhcp();
    if (originalSsid.isEmpty())
        return;
    requestOriginalNetworkRejoin();
    appendLog(QStringLiteral("Reconnect requested for original SSID: ") + originalSsid);
}

void MainWindow::returnLaptopToDhcp()
{
    netctl::executeNetsh(netctl::setDhcpAddressArgs(wifiInterface), interruption);
    netctl::executeNetsh(netctl::setDhcpDnsArgs(wifiInterface), interruption);
    appendLog(QStringLiteral("Laptop network restored to DHCP on interface: ") + wifiInterface);
}

void MainWindow::requestOriginalNetworkRejoin()
{
    // Connects by the profile Windows already stores for that network; nothing is written.
    netctl::executeNetsh(netctl::disconnectInterfaceArgs(wifiInterface), interruption);
    common::waitLocally(reconnectPauseMs, interruption);
    netctl::executeNetsh(netctl::reconnectArgs(originalSsid, wifiInterface), interruption);
}
