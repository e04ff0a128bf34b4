#include "app/mainwindow.h"
#include "netctl/location_gate_rules.h"
#include "netctl/netsh_parse.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>

namespace {

constexpr int maxResultTableHeight = 180;

const char *const locationAccessOff = "Windows location access is off";

} // namespace

void MainWindow::onStartGuidedSetup()
{
    const Operation operation(this, QStringLiteral("Guided setup"));
    if (operation.refused())
        return;
    const QString targetSsid = chosenCustomerSsid();
    const QString password = passwordEdit->text();
    rememberSecret(password);
    if (targetSsid.isEmpty()) {
        setStatus(QStringLiteral("Pick target Wi-Fi from scan list or enter SSID manually."));
        return;
    }

    // A charger's setup network is never the laptop's own: a run started from one keeps the
    // network captured before, so the final rejoin does not send the laptop back to a charger.
    const QString current = currentWifiSsid();
    if (locationGateMet)
        return;
    if (!netctl::isChargerSsid(current))
        originalSsid = current;
    setStatus(QStringLiteral(
        "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi..."));
    findChargerNetworks();
    if (locationGateMet)
        return;

    QStringList chargers;
    for (int row = 0; row < chargerList->count(); ++row)
        chargers << chargerList->item(row)->text();
    if (chargers.isEmpty()) {
        setStatus(QStringLiteral("No charger networks found. Reboot charger and try again."));
        return;
    }

    int successes = 0;
    QList<QStringList> results;
    // Each charger's end, whichever step it came to, is one row of the record and of the table;
    // a close keeps what was settled on that charger before it.
    app::ChargerResult settled;
    const auto finish = [&](const QString &charger, const app::ChargerResult &result) {
        const QString customer = optConfigureWifi->isChecked() ? targetSsid : QString();
        const app::ChargerResult recorded = recordResult(charger, customer, result, settled);
        results << QStringList{charger, app::outcomeText(recorded.outcome), recorded.reason};
    };
    for (const QString &charger : chargers) {
        if (stopRequested())
            return;
        settled = app::notFinished();
        // Once the location gate is met no charger can be joined: the rest are recorded so.
        if (!locationGateMet)
            setStatus(QStringLiteral("Found a charger, connecting... ") + charger);
        if (locationGateMet || !connectToWifi(charger)) {
            if (!locationGateMet)
                setStatus(QStringLiteral("Could not connect to ") + charger +
                          QStringLiteral(". Skipping."));
            finish(charger,
                   {app::Outcome::NotJoined,
                    locationGateMet ? QString::fromLatin1(locationAccessOff)
                                    : QStringLiteral("Windows did not join the setup network")});
            continue;
        }
        applyStaticAddress();
        // Its identity is read now, before any step changes the charger.
        if (optGetInfo->isChecked())
            refreshDeviceInfo();
        else
            logChargerIdentity();
        if (optClearCache->isChecked()) {
            setStatus(QStringLiteral("Cleaning ECache & EEvents on ") + charger +
                      QStringLiteral("..."));
            cleanupDeviceFiles();
        }
        app::ChargerResult result = {app::Outcome::JoinedNotConfigured,
                                     QStringLiteral("Wi-Fi configuration not selected")};
        if (optConfigureWifi->isChecked()) {
            setStatus(QStringLiteral("Verifying network before config on ") + charger +
                      QStringLiteral("..."));
            if (!verifyNetworkBeforeConfig(targetSsid, password, result)) {
                setStatus(QStringLiteral("Network verify failed for ") + charger +
                          QStringLiteral(". Skipping Wi-Fi config."));
                finish(charger, result);
                continue;
            }
            setStatus(QStringLiteral("Applying Wi-Fi on ") + charger + QStringLiteral("..."));
            if (!configureDeviceWifi(targetSsid, password, result)) {
                setStatus(QStringLiteral("Wi-Fi config failed for ") + charger + QLatin1Char('.'));
                finish(charger, result);
                continue;
            }
            setStatus(QStringLiteral("WiFi configured for %1.").arg(targetSsid));
            result = settled = app::wifiSaved();
        }
        if (optFirmwareUpdate->isChecked()) {
            setStatus(QStringLiteral("Starting firmware update on ") + charger +
                      QStringLiteral("..."));
            app::ChargerResult firmware;
            triggerFirmwareUpdate(firmware);
            result.reason += QStringLiteral("; ") + app::outcomeText(firmware.outcome);
        }
        setStatus(QStringLiteral("You should see a steady white light after charger reboot if "
                                 "everything is successful."));
        ++successes;
        finish(charger, result);
    }

    // The static address of the last charger network is no use on the laptop's own network, nor
    // on none at all.
    if (!originalSsid.isEmpty())
        setStatus(QStringLiteral("Restoring laptop Wi-Fi: ") + originalSsid);
    if (!wifiInterface.isEmpty()) {
        returnLaptopToDhcp();
        if (!originalSsid.isEmpty())
            requestOriginalNetworkRejoin();
    }
    showGuidedResults(results);
    if (locationGateMet) {
        setStatus(netctl::locationGateStatus());
        return;
    }
    setStatus(QStringLiteral("Done. Processed %1 charger(s), success: %2.")
                  .arg(chargers.size())
                  .arg(successes));
}

void MainWindow::showGuidedResults(const QList<QStringList> &rows)
{
    resultTable->clearContents();
    resultTable->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows.at(row).size(); ++column) {
            auto *item = new QTableWidgetItem(rows.at(row).at(column));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            resultTable->setItem(row, column, item);
        }
    }
    resultTable->resizeColumnsToContents();
    resultTable->resizeRowsToContents();
    // As tall as its rows, up to a few; more scroll, so the pages keep their room.
    int height =
        resultTable->horizontalHeader()->sizeHint().height() + 2 * resultTable->frameWidth();
    for (int row = 0; row < resultTable->rowCount(); ++row)
        height += resultTable->rowHeight(row);
    resultTable->setFixedHeight(qMin(height, maxResultTableHeight));
    resultPanel->show();
}
