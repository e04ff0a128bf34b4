#include "app/mainwindow.h"
#include "charger_api/apiclient.h"
#include "charger_api/reply_rules.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

namespace {

constexpr int verifyTimeoutMs = 15000;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

bool MainWindow::verifyNetworkBeforeConfig(const QString &ssid, const QString &password)
{
    using provisioning::VerifyOutcome;

    setStatus(QStringLiteral("Running network verify before applying Wi-Fi credentials..."));
    QString scan;
    if (!api->sendCommand(QStringLiteral("wlan_scan -v"), scan, verifyTimeoutMs) ||
        scan.trimmed().isEmpty()) {
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: wlan_scan -v failed"));
        setStatus(QStringLiteral("Network verify failed: could not scan Wi-Fi networks."));
        return false;
    }

    provisioning::WlanScanRow row;
    if (!provisioning::findTargetRow(scan, ssid, row)) {
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: target SSID not found in scan"));
        setStatus(QStringLiteral("Network verify failed: ") + quoted(ssid) +
                  QStringLiteral(" not found in charger scan."));
        return false;
    }

    const int code = provisioning::securityTypeCode(row.security);
    if (code < 0) {
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: unknown security type ") +
                  quoted(row.security));
        setStatus(QStringLiteral("Network verify failed: unknown security type ") +
                  quoted(row.security) + QLatin1Char('.'));
        return false;
    }

    appendLog(QStringLiteral("verifyNetworkBeforeConfig: ssid=%1 bssid=%2 ch=%3 sec=%4(%5) rssi=%6")
                  .arg(ssid, row.bssid, row.channel, row.security, QString::number(code),
                       QString::number(row.rssi)));
    if (code == 0) {
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: open network, skipping PSK verify"));
        return true;
    }

    const QString key = provisioning::deriveWpaPsk(password, ssid);
    const QString command = provisioning::verifyCommand(ssid, row.bssid, row.channel, code, key);
    QString reply;
    const bool ok = api->sendCommand(command, reply, verifyTimeoutMs);
    const VerifyOutcome outcome = provisioning::classifyVerifyReply(ok, reply);
    appendLog(QStringLiteral("CMD %1 -> ok=%2 response=%3")
                  .arg(provisioning::loggableCommand(command, key), charger_api::boolDigit(ok),
                       redactSecrets(provisioning::loggableCommand(reply.trimmed(), key))));

    switch (outcome) {
    case VerifyOutcome::Passed:
        setStatus(QStringLiteral("Network verify passed: credentials are valid."));
        return true;
    case VerifyOutcome::BadCredentials:
        setStatus(
            QStringLiteral("Network verify failed: bad credentials. Check the Wi-Fi password."));
        return false;
    case VerifyOutcome::Unsupported:
        appendLog(QStringLiteral(
            "verifyNetworkBeforeConfig: command unsupported on this firmware, allowing"));
        return true;
    case VerifyOutcome::Inconclusive:
        break;
    }
    setStatus(QStringLiteral("Network verify inconclusive; proceeding anyway."));
    return true;
}
