#include "provisioning/network_marks.h"

#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

namespace provisioning {

SignalLevel signalLevel(int rssi)
{
    if (rssi >= -60)
        return SignalLevel::Strong;
    if (rssi >= -75)
        return SignalLevel::Fair;
    return SignalLevel::Weak;
}

bool canVerifySecurity(const QString &securityWord)
{
    return securityTypeCode(securityWord) >= 0;
}

QString networkSummary(const WlanScanRow &row)
{
    const SignalLevel level = signalLevel(row.rssi);
    const QString levelText = level == SignalLevel::Strong ? QStringLiteral("strong")
                              : level == SignalLevel::Fair ? QStringLiteral("fair")
                                                           : QStringLiteral("weak");
    QString summary = QStringLiteral("%1: signal %2 dBm (%3), security %4.")
                          .arg(row.ssid, QString::number(row.rssi), levelText, row.security);
    if (level == SignalLevel::Weak)
        summary += QStringLiteral(" The charger may lose a network this weak.");
    if (!canVerifySecurity(row.security))
        summary += QStringLiteral(" The password check cannot test %1 security, so setting this "
                                  "network stops before anything is written.")
                       .arg(row.security);
    return summary;
}

} // namespace provisioning
