#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QThread>

namespace {

constexpr int settingTimeoutMs = 6000;
constexpr int verifyTimeoutMs = 15000;
constexpr int writeAttempts = 2;
constexpr unsigned long writeRetryPauseMs = 500;
constexpr int gateAttempts = 3;
constexpr unsigned long gateRetryPauseMs = 1200;

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
    const QString ssid = chosenCustomerSsid();
    const QString password = passwordEdit->text();
    if (ssid.isEmpty()) {
        setStatus(QStringLiteral("Select customer Wi-Fi first (or enter SSID manually)."));
        return;
    }
    if (password.isEmpty()) {
        setStatus(QStringLiteral("Enter the customer Wi-Fi password."));
        passwordEdit->setFocus(Qt::OtherFocusReason);
        return;
    }

    setStatus(QStringLiteral("Verifying network before applying credentials..."));
    if (!verifyNetworkBeforeConfig(ssid, password)) {
        setStatus(QStringLiteral("Network verify failed. Check Wi-Fi password and retry."));
        return;
    }
    setStatus(QStringLiteral("Applying customer Wi-Fi credentials (set + save)..."));
    if (!configureDeviceWifi(ssid, password)) {
        setStatus(QStringLiteral("Wi-Fi config failed. Check charger connection and retry."));
        return;
    }
    setStatus(QStringLiteral("Verifying Wi-Fi authentication before reboot..."));
    if (!verifyWifiAuthBeforeReboot(ssid, password))
        return;
    rebootAfterWifiSave();
    restoreLaptopNetwork();
}

bool MainWindow::configureDeviceWifi(const QString &ssid, const QString &password)
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
        QCoreApplication::processEvents();
        QThread::msleep(writeRetryPauseMs);
    }
    return false;
}

bool MainWindow::verifyWifiAuthBeforeReboot(const QString &ssid, const QString &password)
{
    using provisioning::VerifyOutcome;

    QString scan;
    if (!api->sendCommand(QStringLiteral("wlan_scan -v"), scan, verifyTimeoutMs) ||
        scan.trimmed().isEmpty()) {
        appendLog(QStringLiteral("verify failed: wlan_scan -v unavailable"));
        setStatus(QStringLiteral("Cannot verify Wi-Fi auth (scan unavailable). Reboot blocked."));
        return false;
    }

    provisioning::WlanScanRow row;
    if (!provisioning::findTargetRow(scan, ssid, row) || row.channel.isEmpty()) {
        appendLog(QStringLiteral("verify failed: target SSID not found in scan"));
        setStatus(QStringLiteral("Selected Wi-Fi not found in charger scan. Reboot blocked."));
        return false;
    }

    const int code = provisioning::securityTypeCode(row.security);
    QString key;
    QString command;
    if (code >= 1 && !password.isEmpty()) {
        key = provisioning::deriveWpaPsk(password, ssid);
        command = provisioning::verifyCommand(ssid, row.bssid, row.channel, code, key);
    } else {
        command = provisioning::shortVerifyCommand(ssid, row.bssid, row.channel);
    }
    const QString loggedCommand = provisioning::loggableCommand(command, key);

    for (int attempt = 1; attempt <= gateAttempts; ++attempt) {
        QString reply;
        const bool ok = api->sendCommand(command, reply, verifyTimeoutMs);
        const VerifyOutcome outcome = provisioning::classifyGateReply(ok, reply);
        appendLog(QStringLiteral("CMD %1 attempt=%2 -> ok=%3 response=%4")
                      .arg(loggedCommand, QString::number(attempt), charger_api::boolDigit(ok),
                           redactSecrets(provisioning::loggableCommand(reply.trimmed(), key))));
        switch (outcome) {
        case VerifyOutcome::Passed:
            setStatus(QStringLiteral("Wi-Fi auth verified."));
            return true;
        case VerifyOutcome::BadCredentials:
            setStatus(
                QStringLiteral("Wi-Fi auth verify failed (likely bad password). Reboot blocked."));
            return false;
        case VerifyOutcome::Unsupported:
            setStatus(QStringLiteral(
                "Wi-Fi saved. Auth verify unsupported on this firmware; proceeding to reboot."));
            return true;
        case VerifyOutcome::Inconclusive:
            break;
        }
        if (attempt < gateAttempts)
            QThread::msleep(gateRetryPauseMs);
    }
    setStatus(QStringLiteral("Wi-Fi verify inconclusive; proceeding to reboot."));
    return true;
}

bool MainWindow::rebootAfterWifiSave()
{
    QString usedCommand;
    for (const QString &word : provisioning::rebootWords()) {
        if (runRebootCommand(word, usedCommand)) {
            setStatus(QStringLiteral("Wi-Fi saved. Reboot command sent (") + usedCommand +
                      QStringLiteral(")."));
            return true;
        }
    }
    appendLog(QStringLiteral(
        "Reboot command unsupported on this firmware; Wi-Fi settings were still saved."));
    setStatus(QStringLiteral("Wi-Fi saved. Reboot command not supported on this firmware (manual "
                             "reboot may be needed)."));
    return false;
}
