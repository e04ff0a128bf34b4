#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

// Reading the charger's Wi-Fi scan replies.
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

// Cleans a raw name (list number, trailing commas), tests it and appends it unless present.
void addCandidate(QStringList &candidates, const QString &rawName);

// Walks a JSON document and hands every SSID-like string to addCandidate.
void walkJson(const QJsonValue &value, const QString &key, QStringList &candidates);

// The parser cascade over one scan reply: the network names, in order of first appearance.
QStringList parseScanReply(const QString &rawScan);

// The strongest row whose SSID equals `ssid` (letter case ignored); false when there is none.
bool findTargetRow(const QString &scanText, const QString &ssid, WlanScanRow &row);

} // namespace provisioning
