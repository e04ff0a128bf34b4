#pragma once

#include <QString>
#include <QStringList>

// Parsers for what netsh prints, in any display language. A line "label : value" has its label
// before its first colon; the blanks around the colon are any Unicode space separator or tab,
// and may be missing ("Canal: 11"). Values are trimmed (netsh ends lines with CR LF) and a label
// with nothing after its colon yields nothing: a value never runs on into the next line. Each
// parser reads its input once, and half of a surrogate pair is a character like any other.
namespace netctl {

// One adapter's block of "wlan show interfaces": a run of lines without an empty one that holds
// a "GUID" line or a name label. Its name is the value of its name label (Name, Nom, Nombre,
// Nome, 名称) or, in a language without one of those, of its first label line; its state is the
// value of its state label as printed (State, Status, État, Estado, Stato, 状态), or empty text.
struct InterfaceReport
{
    QString name;
    QString state;
    QString ssid; // the first non-empty "SSID" value, or empty text
    QString guid; // the "GUID" value, the same label in every language, or empty text
};

QList<InterfaceReport> parseInterfaces(const QString &showInterfaces);

// The first non-empty adapter name of "wlan show interfaces", or empty text.
QString parseInterfaceName(const QString &showInterfaces);

// The GUID of the adapter named `interfaceName` (parseInterfaces), or empty text.
QString parseInterfaceGuid(const QString &showInterfaces, const QString &interfaceName);

// The first non-empty "SSID : ..." value of "wlan show interfaces" that does not begin with
// "BSSID", or empty text.
QString parseCurrentSsid(const QString &showInterfaces);

// Adds the numbered "SSID n : ..." names of a networks listing that begin with "JuiceNet" (any
// letter case) to `found`, skipping names already there in any letter case.
void parseChargerSsids(const QString &showNetworks, QStringList &found);

// The first dotted quad anywhere in the text (the laptop's address), or empty text.
QString parseFirstDottedQuad(const QString &text);

// A netsh text as one log line: its non-empty lines, trimmed, joined by blanks; cut off after
// a few thousand characters (netsh's notices and replies are far shorter).
QString netshTextForLog(const QString &output);

// True when the SSID begins with "JuiceNet" in any letter case.
bool isChargerSsid(const QString &ssid);

} // namespace netctl
