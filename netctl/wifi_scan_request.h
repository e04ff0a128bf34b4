#pragma once

#include <QString>

#include <functional>

namespace common {
class Interruption;
}

// netsh prints the network list Windows keeps, which the WLAN service refreshes only about once a
// minute (and while connected sometimes not at all): a charger that opened its setup network a
// moment ago is missing from it. The WLAN API can ask the driver for a scan now. The build picks
// wifi_scan_request_win.cpp or wifi_scan_request_unix.cpp.
namespace netctl {

enum class FreshScan {
    Scanned,      // asked for; it ended, failed or stayed unanswered within the bound
    Denied,       // Windows withholds Wi-Fi information: Location access is off
    NotAvailable, // no WLAN API here, no WLAN service, or no such interface
};

// Asks for a fresh scan on the Wi-Fi interface whose GUID netsh printed (empty: the only
// interface there is) and waits in a local event loop until the scan has ended, `boundMs` have
// passed or `stop` is raised. `waiting` runs once the request was accepted, before the wait.
// `note` receives a line for the setup log, or empty text; "not available" is told once per run.
FreshScan requestFreshScan(const QString &interfaceGuid, int boundMs,
                           const common::Interruption *stop, const std::function<void()> &waiting,
                           QString &note);

} // namespace netctl
