#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "provisioning/network_marks.h"
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
    // The item's text stays the SSID as found; what the scan table says about the network goes
    // into its icon, tooltip and data, for the network-chosen handler.
    const QList<provisioning::WlanScanRow> rows = provisioning::strongestRows(rawScan, ssids);
    for (qsizetype at = 0; at < ssids.size(); ++at) {
        auto *item = new QListWidgetItem(ssids.at(at), wifiList);
        const provisioning::WlanScanRow &row = rows.at(at);
        if (row.bssid.isEmpty())
            continue;
        const QString summary = provisioning::networkSummary(row);
        item->setIcon(signalBarsIcon(3 - int(provisioning::signalLevel(row.rssi)),
                                     provisioning::canVerifySecurity(row.security)));
        item->setToolTip(summary);
        item->setData(provisioning::networkSummaryRole, summary);
    }
    setStatus(QStringLiteral("Found %1 Wi-Fi network(s) from charger scan.").arg(ssids.size()));
}
