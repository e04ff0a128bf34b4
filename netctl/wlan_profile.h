#pragma once

#include <QString>

// The temporary WLAN profile used to join an open charger network.
namespace netctl {

// & < > " ' written as entities, CR as a character reference (an XML reader turns a literal CR
// into LF).
QString xmlEscape(const QString &text);

// Empty when the SSID can be written into an XML 1.0 profile; otherwise why not, for the setup log.
QString profileSsidRefusal(const QString &ssid);

// One-line WLANProfile v1 document for an open network named `ssid` (escaped in both places).
// An XML reader reads back exactly `ssid` when profileSsidRefusal(ssid) is empty.
QString openNetworkProfileXml(const QString &ssid);

// Where the temporary profile file is created: the temp folder + "/zephyl_XXXXXX.xml".
QString profileFileTemplate();

} // namespace netctl
