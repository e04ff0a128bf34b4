#include "netctl/location_gate_rules.h"

namespace netctl {

QString locationSettingsUri()
{
    return QStringLiteral("ms-settings:privacy-location");
}

bool holdsLocationGate(const QString &netshOutput)
{
    return netshOutput.contains(locationSettingsUri(), Qt::CaseInsensitive);
}

QString locationGateStatus()
{
    return QStringLiteral("Windows is withholding Wi-Fi information from this program: turn on "
                          "Location access, then try again.");
}

QString locationGateNotice()
{
    return QStringLiteral(
        "<b>Windows is withholding Wi-Fi information from this program.</b> It does so while "
        "location access is off. Open Settings &gt; Privacy &amp; security &gt; Location and "
        "turn on all three switches: <i>Location services</i>, <i>Let apps access your "
        "location</i> and <i>Let desktop apps access your location</i>; then press Try Again. "
        "Running the program as administrator does not help. On a company laptop a policy may "
        "keep location off: then only your IT department can turn it on.");
}

} // namespace netctl
