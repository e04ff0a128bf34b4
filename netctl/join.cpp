#include "app/mainwindow.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"
#include "netctl/wlan_profile.h"

#include <QListWidget>
#include <QTemporaryFile>

namespace {

constexpr int addProfileTimeoutMs = 5000;
constexpr int connectTimeoutMs = 7000;

} // namespace

bool MainWindow::connectToWifi(const QString &ssid)
{
    // The laptop leaves its network: what was read from a charger there names another one.
    laptopNetwork.clear();
    if (ssid.isEmpty() || wifiInterface.isEmpty())
        return false;
    const QString refusal = netctl::profileSsidRefusal(ssid);
    if (!refusal.isEmpty()) {
        appendLog(QStringLiteral("connectToWifi: ") + refusal);
        return false;
    }

    netctl::executeNetsh(netctl::disconnectAllArgs(), interruption);
    netctl::executeNetsh(netctl::deleteProfileArgs(ssid), interruption);

    QTemporaryFile profileFile(netctl::profileFileTemplate());
    if (!profileFile.open())
        return false;
    profileFile.write(netctl::openNetworkProfileXml(ssid).toUtf8());
    profileFile.flush();

    netctl::runNetsh(netctl::addProfileArgs(profileFile.fileName(), wifiInterface),
                     addProfileTimeoutMs, interruption);
    const netctl::NetshRun run =
        netctl::runNetsh(netctl::connectArgs(ssid, wifiInterface), connectTimeoutMs, interruption);
    if (!netctl::connectSucceeded(run.out + run.err))
        return false;
    laptopNetwork = ssid;
    return true;
}

void MainWindow::onConnectSelected()
{
    const Operation operation(this, QStringLiteral("Connect to Selected"));
    if (operation.refused())
        return;
    const QListWidgetItem *item = chargerList->currentItem();
    if (!item) {
        setStatus(QStringLiteral("Select a charger network first."));
        return;
    }
    selectedChargerSsid = item->text();

    if (originalSsid.isEmpty()) {
        const QString current = currentWifiSsid();
        if (!current.isEmpty() && !netctl::isChargerSsid(current)) {
            originalSsid = current;
            appendLog(QStringLiteral("Captured original laptop Wi-Fi: ") + originalSsid);
        }
    }

    setStatus(QStringLiteral("Connecting to ") + selectedChargerSsid + QStringLiteral("..."));
    if (connectToWifi(selectedChargerSsid))
        setStatus(QStringLiteral("Connected to ") + selectedChargerSsid);
    else
        setStatus(QStringLiteral("Connection failed."));
    refreshDeviceInfo();
}
