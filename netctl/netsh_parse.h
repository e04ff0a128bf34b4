#pragma once

#include <QString>
#include <QStringList>

// Parsers for what netsh prints. Values are trimmed (netsh ends lines with CR LF) and a label
// with nothing after its colon yields nothing: a value never runs on into the next line. Each
// parser reads its input once, and half of a surrogate pair is a character like any other.
namespace netctl {

// The first non-empty "Name : ..." value of "wlan show interfaces", or empty text.
QString parseInterfaceName(const QString &showInterfaces);

// The "GUID : ..." value of the interface block that `interfaceName` begins, or empty text. The
// block begins with the line whose value is that name, whatever its label's language, and ends
// where a line with the same label begins the next one; "GUID" is the same in every language.
QString parseInterfaceGuid(const QString &showInterfaces, const QString &interfaceName);

// The first non-empty "SSID : ..." value of "wlan show interfaces" that does not begin with
// "BSSID", or empty text.
QString parseCurrentSsid(const QString &showInterfaces);

// Adds the numbered "SSID n : ..." names of a networks listing that begin with "JuiceNet" (any
// letter case) to `found`, skipping names already there in any letter case.
void parseChargerSsids(const QString &showNetworks, QStringList &found);

// The first dotted quad anywhere in the text (the laptop's address), or empty text.
QString parseFirstDottedQuad(const QString &text);

// The connect output reports success ("completed successfully", not "unsuccessful").
bool connectSucceeded(const QString &connectOutput);

// True when the SSID begins with "JuiceNet" in any letter case.
bool isChargerSsid(const QString &ssid);

} // namespace netctl
