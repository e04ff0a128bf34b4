#pragma once

#include "sim_charger.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// What the demo puts around the product's window: a laptop for the netsh stand-in and three
// chargers for the in-process charger simulator.
namespace demo {

// The customer network every demo charger can see, and the password that joins it.
inline QString homeNetworkSsid()
{
    return QStringLiteral("HomeNet");
}

// A laptop with one adapter "Wi-Fi" on HomeNet (stored profile), with the setup networks of the
// three demo chargers (open, leasing 10.10.10.3) and HomeNet in range.
QJsonObject laptopState();

// JuiceNet-1A2B, JuiceNet-3C4D and JuiceNet-5E6F, each with its own identity and a few cache and
// event files, each seeing HomeNet (WPA2-AES), CafeOpen (OPEN) and NeighbourWPA3 (WPA3-SAE).
QList<SimCharger> chargers();

QString statePath(const QString &folder);
QString journalPath(const QString &folder);

// Writes the laptop's state into `folder`, names the state file and the journal to the stand-in
// through its environment variables and puts `netshDir` first on PATH. Must run before the
// window is constructed: the window asks netsh for the Wi-Fi interface while it is built.
bool prepareLaptop(const QString &folder, const QString &netshDir, QString *error);

} // namespace demo
