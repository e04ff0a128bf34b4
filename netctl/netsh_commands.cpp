#include "netctl/netsh_commands.h"

namespace netctl {

namespace {

QString keyed(const QString &key, const QString &value)
{
    return key + value;
}

} // namespace

QStringList showInterfacesArgs()
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("interfaces")};
}

QStringList showNetworksArgs()
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("networks"),
            QStringLiteral("mode=bssid")};
}

QStringList showNetworksOnInterfaceArgs(const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("networks"),
            keyed(QStringLiteral("interface="), interfaceName), QStringLiteral("mode=bssid")};
}

QStringList disconnectAllArgs()
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect")};
}

QStringList deleteProfileArgs(const QString &ssid)
{
    return {QStringLiteral("wlan"), QStringLiteral("delete"), QStringLiteral("profile"),
            keyed(QStringLiteral("name="), ssid)};
}

QStringList addProfileArgs(const QString &profilePath, const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("add"), QStringLiteral("profile"),
            keyed(QStringLiteral("filename="), profilePath),
            keyed(QStringLiteral("interface="), interfaceName)};
}

QStringList connectArgs(const QString &ssid, const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("connect"), keyed(QStringLiteral("name="), ssid),
            keyed(QStringLiteral("ssid="), ssid),
            keyed(QStringLiteral("interface="), interfaceName)};
}

QStringList setStaticAddressArgs(const QString &interfaceName)
{
    // The interface is a bare positional element here, unlike the other commands.
    return {QStringLiteral("interface"),  QStringLiteral("ip"),         QStringLiteral("set"),
            QStringLiteral("address"),    interfaceName,                QStringLiteral("static"),
            QStringLiteral("10.10.10.2"), QStringLiteral("255.255.255.0")};
}

QStringList setStaticDnsArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("dns"),
            keyed(QStringLiteral("name="), interfaceName),
            QStringLiteral("static"),
            QStringLiteral("10.10.10.1"),
            QStringLiteral("primary")};
}

QStringList setDhcpAddressArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"), QStringLiteral("ip"), QStringLiteral("set"),
            QStringLiteral("address"), keyed(QStringLiteral("name="), interfaceName),
            QStringLiteral("source=dhcp")};
}

QStringList setDhcpDnsArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"), QStringLiteral("ip"), QStringLiteral("set"),
            QStringLiteral("dns"), keyed(QStringLiteral("name="), interfaceName),
            QStringLiteral("source=dhcp")};
}

QStringList disconnectInterfaceArgs(const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect"),
            keyed(QStringLiteral("interface="), interfaceName)};
}

QStringList reconnectArgs(const QString &ssid, const QString &interfaceName)
{
    // Names the profile Windows already stores for the network; no "ssid=" element.
    return {QStringLiteral("wlan"), QStringLiteral("connect"), keyed(QStringLiteral("name="), ssid),
            keyed(QStringLiteral("interface="), interfaceName)};
}

QStringList showAddressesArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"), QStringLiteral("ip"), QStringLiteral("show"),
            QStringLiteral("addresses"), interfaceName};
}

} // namespace netctl
