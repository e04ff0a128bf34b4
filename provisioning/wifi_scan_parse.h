#pragma once

#include <QString>
#include <QStringList>

// Reading the charger's Wi-Fi scan replies. Every parser reads the reply in one pass per stage
// (time linear in its length) and treats half of a surrogate pair like any other character.
namespace provisioning {

// One row of the "wlan_scan -v" table.
struct WlanScanRow
{
    QString channel;
    int rssi = -999;
    QString bssid;
    QString security;
    QString ssid;
};

// The scan commands, in the order they are tried.
QStringList scanCommands();

// A name that can be an SSID: 1 to 32 UTF-16 units, not a non-SSID word, not an integer, and at
// least one ASCII letter or digit.
bool isPlausibleSsid(const QString &text);

// The parser cascade over one scan reply: the network names, in order of first appearance, each
// once (letter case ignored). Table rows and JSON values give names exactly as written; names cut
// out of free text lose a leading list number ("1.", "(2)") and trailing commas or semicolons.
QStringList parseScanReply(const QString &rawScan);

// The strongest table row whose SSID equals `ssid` (letter case ignored); false when there is
// none. A row and its SSID end at the line end.
bool findTargetRow(const QString &scanText, const QString &ssid, WlanScanRow &row);

// For each of `ssids`, in order, its strongest row as findTargetRow finds it (a row without
// BSSID when there is none), all from one pass over the reply.
QList<WlanScanRow> strongestRows(const QString &scanText, const QStringList &ssids);

} // namespace provisioning
