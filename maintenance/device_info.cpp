#include "app/mainwindow.h"
#include "maintenance/maintenance_rules.h"
#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/netsh_runner.h"

#include <QLabel>

namespace {

constexpr int showAddressesTimeoutMs = 3000;

} // namespace

void MainWindow::refreshDeviceInfo()
{
    QString ssid;
    QString passkey;
    getDeviceValue(QStringLiteral("wlan.ssid"), ssid);
    if (getDeviceValue(QStringLiteral("wlan.passkey"), passkey))
        rememberSecret(passkey);

    QString uuid;
    for (const QString &key : maintenance::uuidKeyCandidates()) {
        QString value;
        if (!getDeviceValue(key, value))
            continue;
        value = value.trimmed();
        if (value.isEmpty())
            continue;
        const QString token = maintenance::uuidToken(value);
        if (!token.isEmpty()) {
            uuid = token;
            break;
        }
        if (uuid.isEmpty())
            uuid = value;
    }

    deviceSsidValue->setText(maintenance::valueOrNotAvailable(ssid));
    devicePasskeyValue->setText(maintenance::valueOrNotAvailable(passkey));
    deviceUuidValue->setText(maintenance::valueOrNotAvailable(uuid));

    if (!wifiInterface.isEmpty()) {
        const netctl::NetshRun run = netctl::runNetsh(netctl::showAddressesArgs(wifiInterface),
                                                      showAddressesTimeoutMs, interruption);
        pcIpValue->setText(maintenance::valueOrNotAvailable(netctl::parseFirstDottedQuad(run.out)));
    }

    logChargerIdentity();
    if (!uuid.isEmpty())
        chargerIdentity.uuid = uuid;
}

void MainWindow::logChargerIdentity()
{
    // Read once per charger: again only when the laptop is on another network. The log's block
    // is written once per run.
    if (chargerIdentity.read && chargerIdentity.network == laptopNetwork)
        return;
    chargerIdentity = app::ChargerIdentity();
    chargerIdentity.network = laptopNetwork;

    QString uuid;
    if (!getDeviceValue(QStringLiteral("system.uuid"), uuid) || uuid.trimmed().isEmpty()) {
        if (!getDeviceValue(QStringLiteral("uuid"), uuid))
            uuid.clear();
    }

    auto firstUsable = [this](const QStringList &keys) {
        for (const QString &key : keys) {
            QString value;
            if (getDeviceValue(key, value) && maintenance::isUsableIdentityValue(value))
                return value.trimmed();
        }
        return QString();
    };
    const QString serial = firstUsable(maintenance::serialKeys());
    const QString mac = firstUsable(maintenance::macKeys());

    if (uuid.trimmed().isEmpty() && serial.isEmpty() && mac.isEmpty())
        return;

    chargerIdentity = {laptopNetwork, true, serial, mac, uuid.trimmed()};
    if (identityLogged)
        return;
    for (const QString &line : maintenance::identityBlockLines(serial, mac, uuid))
        appendLog(line);
    identityLogged = true;
}

void MainWindow::onRefreshAll()
{
    const Operation operation(this, QStringLiteral("Refresh"));
    if (operation.refused())
        return;
    wifiInterfaceName();
    refreshDeviceInfo();
    setStatus(QStringLiteral("Status refreshed."));
}
