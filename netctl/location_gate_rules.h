#pragma once

#include <QString>

// Windows 11 withholds WLAN information from desktop programs while location access is off:
// netsh then prints a notice instead of its answer. The notice is translated, its exit code
// varies, but the Settings page's URI in it is the same in every display language.
namespace netctl {

// The Location page of Windows Settings.
QString locationSettingsUri();

// The output (standard output and error together) is netsh's location notice.
bool holdsLocationGate(const QString &netshOutput);

// What the status line says while the gate holds.
QString locationGateStatus();

// The notice above the pages: what to switch on, where, and who can help.
QString locationGateNotice();

} // namespace netctl
