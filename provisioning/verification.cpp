#include "app/mainwindow.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

bool MainWindow::verifyNetworkBeforeConfig(const QString &ssid, const QString &password,
                                           app::ChargerResult &failure)
{
    using provisioning::VerifyOutcome;
    using provisioning::VerifyStage;

    setStatus(QStringLiteral("Running network verify before applying Wi-Fi credentials..."));
    provisioning::WlanScanRow row;
    if (!scanVerifyTarget(ssid, VerifyStage::BeforeWrite, row, failure))
        return false;

    const int code = provisioning::securityTypeCode(row.security);
    if (code < 0) {
        const QString security = QLatin1Char('"') + row.security + QLatin1Char('"');
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: unknown security type ") + security);
        setStatus(QStringLiteral("Network verify failed: unknown security type ") + security +
                  QLatin1Char('.'));
        failure = {app::Outcome::NotVerified,
                   QStringLiteral("security %1 cannot be verified").arg(row.security)};
        return false;
    }

    appendLog(QStringLiteral("verifyNetworkBeforeConfig: ssid=%1 bssid=%2 ch=%3 sec=%4(%5) rssi=%6")
                  .arg(ssid, row.bssid, row.channel, row.security, QString::number(code),
                       QString::number(row.rssi)));
    if (code == 0) {
        appendLog(QStringLiteral("verifyNetworkBeforeConfig: open network, skipping PSK verify"));
        return true;
    }

    const QString command = verifyCommandFor(ssid, password, row, code);
    switch (exchangeVerifyCommand(command, VerifyStage::BeforeWrite, 0)) {
    case VerifyOutcome::Passed:
        setStatus(QStringLiteral("Network verify passed: credentials are valid."));
        return true;
    case VerifyOutcome::BadCredentials:
        setStatus(
            QStringLiteral("Network verify failed: bad credentials. Check the Wi-Fi password."));
        failure = {app::Outcome::PasswordRefused,
                   QStringLiteral("the charger reported bad credentials")};
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
