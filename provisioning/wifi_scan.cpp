#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "provisioning/wifi_scan_parse.h"

#include <QListWidget>

namespace {

constexpr int scanTimeoutMs = 15000;
constexpr int attemptsPerCommand = 2;

} // namespace

bool MainWindow::scanTargetWifiFromCharger(QStringList &ssids, QString &rawScan)
{
    ssids.clear();
    rawScan.clear();
    for (const QString &command : provisioning::scanCommands()) {
        for (int attempt = 1; attempt <= attemptsPerCommand; ++attempt) {
            QString reply;
            if (api->sendCommand(command, reply, scanTimeoutMs) && !reply.trimmed().isEmpty()) {
                rawScan = reply;
                ssids = provisioning::parseScanReply(rawScan);
                return !ssids.isEmpty();
            }
        }
    }
    return false;
}

void MainWindow::onScanTargetWifi()
{
    const Operation operation(this, QStringLiteral("Scan Available Wi-Fi (from charger)"));
    if (operation.refused())
        return;
    setStatus(QStringLiteral("Scanning Wi-Fi from charger..."));
    QStringList ssids;
    QString rawScan;
    if (!scanTargetWifiFromCharger(ssids, rawScan)) {
        setStatus(
            QStringLiteral("Wi-Fi scan unavailable from charger right now. Enter SSID manually."));
        return;
    }
    wifiList->clear();
    wifiList->addItems(ssids);
    setStatus(QStringLiteral("Found %1 Wi-Fi network(s) from charger scan.").arg(ssids.size()));
}
