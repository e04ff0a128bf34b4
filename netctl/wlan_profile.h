#pragma once

#include <QString>

// The temporary WLAN profile used to join an open charger network.
namespace netctl {

// & < > " ' written as entities.
QString xmlEscape(const QString &text);

// One-line WLANProfile v1 document for an open network named `ssid` (escaped in both places).
QString openNetworkProfileXml(const QString &ssid);

// Where the temporary profile file is created: the temp folder + "/zephyl_XXXXXX.xml".
QString profileFileTemplate();

} // namespace netctl
