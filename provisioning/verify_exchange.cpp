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

bool MainWindow::scanVerifyTarget(const QString &ssid, provisioning::VerifyStage stage,
                                  provisioning::WlanScanRow &row, app::ChargerResult &failure)
{
    const bool beforeWrite = stage == provisioning::VerifyStage::BeforeWrite;
    const app::Outcome blocked =
        beforeWrite ? app::Outcome::NotVerified : app::Outcome::RebootBlocked;
    QString scan;
    if (!api->sendCommand(QStringLiteral("wlan_scan -v"), scan, verifyTimeoutMs) ||
        scan.trimmed().isEmpty()) {
        if (beforeWrite) {
            appendLog(QStringLiteral("verifyNetworkBeforeConfig: wlan_scan -v failed"));
            setStatus(QStringLiteral("Network verify failed: could not scan Wi-Fi networks."));
        } else {
            appendLog(QStringLiteral("verify failed: wlan_scan -v unavailable"));
            setStatus(
                QStringLiteral("Cannot verify Wi-Fi auth (scan unavailable). Reboot blocked."));
        }
        failure = {blocked, QStringLiteral("the charger's Wi-Fi scan failed")};
        return false;
    }
    if (!provisioning::findTargetRow(scan, ssid, row) || row.channel.isEmpty()) {
        if (beforeWrite) {
            appendLog(QStringLiteral("verifyNetworkBeforeConfig: target SSID not found in scan"));
            setStatus(QStringLiteral("Network verify failed: ") + quoted(ssid) +
                      QStringLiteral(" not found in charger scan."));
        } else {
            appendLog(QStringLiteral("verify failed: target SSID not found in scan"));
            setStatus(QStringLiteral("Selected Wi-Fi not found in charger scan. Reboot blocked."));
        }
        failure = {blocked, QStringLiteral("network not in the charger's scan")};
        return false;
    }
    return true;
}

QString MainWindow::verifyCommandFor(const QString &ssid, const QString &password,
                                     const provisioning::WlanScanRow &row, int code)
{
    if (code < 1 || password.isEmpty())
        return provisioning::shortVerifyCommand(ssid, row.bssid, row.channel);
    const QString key = provisioning::deriveWpaPsk(password, ssid);
    rememberSecret(key);
    return provisioning::verifyCommand(ssid, row.bssid, row.channel, code, key);
}

provisioning::VerifyOutcome MainWindow::exchangeVerifyCommand(const QString &command,
                                                              provisioning::VerifyStage stage,
                                                              int attempt)
{
    QString reply;
    const bool ok = api->sendCommand(command, reply, verifyTimeoutMs);
    const QString attemptText =
        attempt > 0 ? QStringLiteral(" attempt=%1").arg(attempt) : QString();
    appendLog(
        QStringLiteral("CMD %1%2 -> ok=%3 response=%4")
            .arg(command, attemptText, charger_api::boolDigit(ok), redactSecrets(reply.trimmed())));
    return provisioning::classifyVerifyReply(ok, reply, stage);
}
