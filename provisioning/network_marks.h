#pragma once

#include <QString>
#include <Qt>

namespace provisioning {

struct WlanScanRow;

// How the customer network list marks what the charger's scan says about a network.
enum class SignalLevel { Strong, Fair, Weak };

// Strong from -60 dBm, fair from -75 dBm, weak below: a charger tends to drop a weak network.
SignalLevel signalLevel(int rssi);

// The list item's data role that carries networkSummary() from the scan to the item-picked
// handler.
constexpr int networkSummaryRole = Qt::UserRole;

// True when the check before the write can test a password for this security word.
bool canVerifySecurity(const QString &securityWord);

// What the list says about a scanned network, in its tooltip and in the status line when it is
// picked: "HomeNet: signal -48 dBm (strong), security WPA2-AES." followed by a warning for a weak
// signal and for a security type the check cannot test.
QString networkSummary(const WlanScanRow &row);

} // namespace provisioning
