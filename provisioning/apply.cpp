#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "common/local_wait.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

#include <QLineEdit>
#include <QListWidget>

namespace {

constexpr int settingTimeoutMs = 6000;
constexpr int writeAttempts = 2;
constexpr int writeRetryPauseMs = 500;
constexpr int gateAttempts = 3;
constexpr int gateRetryPauseMs = 1200;

} // namespace

QString MainWindow::chosenCustomerSsid() const
{
    const QListWidgetItem *item = wifiList->currentItem();
    if (item && !item->text().trimmed().isEmpty())
        return item->text().trimmed();
    return ssidEdit->text().trimmed();
}

void MainWindow::onRunWifiOnlyWorkflow()
{
    const Operation operation(this, QStringLiteral("Set Wi-Fi + Reboot Charger"));
    if (operation.refused())
        return;
    const QString ssid = chosenCustomerSsid();
    const QString password = passwordEdit->text();
    rememberSecret(password);
    if (ssid.isEmpty()) {
        setStatus(QStringLiteral("Select customer Wi-Fi first (or enter SSID manually)."));
        return;
    }
    if (password.isEmpty()) {
        setStatus(QStringLiteral("Enter the customer Wi-Fi password."));
        passwordEdit->setFocus(Qt::OtherFocusReason);
        return;
    }

    // Every end from here on reached the charger and adds its row to the result record. A close
    // during a step records what was settled before it (recordResult): once the Wi-Fi is saved,
    // that stays the outcome.
    const QString charger = identifyCharger();
    app::ChargerResult settled = app::notFinished();
    app::ChargerResult result;
    const auto record = [&]() { recordResult(charger, ssid, result, settled); };
    setStatus(QStringLiteral("Verifying network before applying credentials..."));
    if (!verifyNetworkBeforeConfig(ssid, password, result) && !stopRequested()) {
        setStatus(QStringLiteral("Network verify failed. Check Wi-Fi password and retry."));
        return record();
    }
    if (stopRequested())
        return record();
    setStatus(QStringLiteral("Applying customer Wi-Fi credentials (set + save)..."));
    if (!configureDeviceWifi(ssid, password, result) && !stopRequested()) {
        setStatus(QStringLiteral("Wi-Fi config failed. Check charger connection and retry."));
        return record();
    }
    if (stopRequested())
        return record();
    settled = app::wifiSaved();
    setStatus(QStringLiteral("Verifying Wi-Fi authentication before reboot..."));
    if (!verifyWifiAuthBeforeReboot(ssid, password, result) || stopRequested())
        return record();
    rebootAfterWifiSave(result);
    record();
    restoreLaptopNetwork();
}

bool MainWindow::configureDeviceWifi(const QString &ssid, const QString &password,
                                     app::ChargerResult &failure)
{
    for (int attempt = 1; attempt <= writeAttempts; ++attempt) {
        const bool okSsid = setDeviceValue(QStringLiteral("wlan.ssid"), ssid);
        const bool okPass = setDeviceValue(QStringLiteral("wlan.passkey"), password);
        QString reply;
        const bool okAuto = api->sendCommand(QStringLiteral("set wlan.auto_join.enabled 1"), reply,
                                             settingTimeoutMs);
        const bool okSave = api->sendCommand(QStringLiteral("save"), reply, settingTimeoutMs);
        appendLog(
            QStringLiteral("configureDeviceWifi attempt=%1 okSsid=%2 okPass=%3 okAuto=%4 okSave=%5")
                .arg(QString::number(attempt), charger_api::boolDigit(okSsid),
                     charger_api::boolDigit(okPass), charger_api::boolDigit(okAuto),
                     charger_api::boolDigit(okSave)));
        if (okSsid && okPass && okAuto && okSave) {
            appendLog(QStringLiteral(
                "Wi-Fi credentials saved (no immediate reboot; continuing to firmware update)."));
            return true;
        }
        common::waitLocally(writeRetryPauseMs, interruption);
    }
    failure = {app::Outcome::WriteFailed,
               QStringLiteral("set and save not accepted in %1 attempts").arg(writeAttempts)};
    return false;
}

bool MainWindow::verifyWifiAuthBeforeReboot(const QString &ssid, const QString &password,
                                            app::ChargerResult &failure)
{
    using provisioning::VerifyOutcome;
    using provisioning::VerifyStage;

    provisioning::WlanScanRow row;
    if (!scanVerifyTarget(ssid, VerifyStage::BeforeReboot, row, failure))
        return false;

    // An open network, an unknown security type or no password: the short form, decided on the
    // same reply words.
    const QString command =
        verifyCommandFor(ssid, password, row, provisioning::securityTypeCode(row.security));
    for (int attempt = 1; attempt <= gateAttempts; ++attempt) {
        switch (exchangeVerifyCommand(command, VerifyStage::BeforeReboot, attempt)) {
        case VerifyOutcome::Passed:
            setStatus(QStringLiteral("Wi-Fi auth verified."));
            return true;
        case VerifyOutcome::BadCredentials:
            setStatus(
                QStringLiteral("Wi-Fi auth verify failed (likely bad password). Reboot blocked."));
            failure = {app::Outcome::AuthFailedBeforeReboot,
                       QStringLiteral("the charger reported bad credentials")};
            return false;
        case VerifyOutcome::Unsupported:
            setStatus(QStringLiteral(
                "Wi-Fi saved. Auth verify unsupported on this firmware; proceeding to reboot."));
            return true;
        case VerifyOutcome::Inconclusive:
            break;
        }
        if (attempt < gateAttempts)
            common::waitLocally(gateRetryPauseMs, interruption);
    }
    setStatus(QStringLiteral("Wi-Fi verify inconclusive; proceeding to reboot."));
    return true;
}

bool MainWindow::rebootAfterWifiSave(app::ChargerResult &result)
{
    QString usedCommand;
    for (const QString &word : provisioning::rebootWords()) {
        if (runRebootCommand(word, usedCommand)) {
            setStatus(QStringLiteral("Wi-Fi saved. Reboot command sent (") + usedCommand +
                      QStringLiteral(")."));
            result = {app::Outcome::ConfiguredAndRebooted,
                      QStringLiteral("reboot word accepted: ") + usedCommand};
            return true;
        }
    }
    appendLog(QStringLiteral(
        "Reboot command unsupported on this firmware; Wi-Fi settings were still saved."));
    setStatus(QStringLiteral("Wi-Fi saved. Reboot command not supported on this firmware (manual "
                             "reboot may be needed)."));
    result = {app::Outcome::RebootNotConfirmed,
              QStringLiteral("no reboot command accepted; reboot by hand")};
    return false;
}
