#include "netctl/netsh_commands.h"

namespace netctl {

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
            QStringLiteral("interface=") + interfaceName, QStringLiteral("mode=bssid")};
}

QStringList disconnectAllArgs()
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect")};
}

QStringList deleteProfileArgs(const QString &ssid)
{
    return {QStringLiteral("wlan"), QStringLiteral("delete"), QStringLiteral("profile"),
            QStringLiteral("name=") + ssid};
}

QStringList addProfileArgs(const QString &profilePath, const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("add"), QStringLiteral("profile"),
            QStringLiteral("filename=") + profilePath,
            QStringLiteral("interface=") + interfaceName};
}

QStringList connectArgs(const QString &ssid, const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("connect"), QStringLiteral("name=") + ssid,
            QStringLiteral("ssid=") + ssid, QStringLiteral("interface=") + interfaceName};
}

QStringList setStaticAddressArgs(const QString &interfaceName)
{
    // The interface is a bare positional element here, unlike the other commands.
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("address"),
            interfaceName,
            QStringLiteral("static"),
            QStringLiteral("10.10.10.2"),
            QStringLiteral("255.255.255.0")};
}

QStringList setStaticDnsArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("dns"),
            QStringLiteral("name=") + interfaceName,
            QStringLiteral("static"),
            QStringLiteral("10.10.10.1"),
            QStringLiteral("primary")};
}

QStringList setDhcpAddressArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("address"),
            QStringLiteral("name=") + interfaceName,
            QStringLiteral("source=dhcp")};
}

QStringList setDhcpDnsArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("dns"),
            QStringLiteral("name=") + interfaceName,
            QStringLiteral("source=dhcp")};
}

QStringList disconnectInterfaceArgs(const QString &interfaceName)
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect"),
            QStringLiteral("interface=") + interfaceName};
}

QStringList reconnectArgs(const QString &ssid, const QString &interfaceName)
{
    // Names the profile Windows already stores for the network; no "ssid=" element.
    return {QStringLiteral("wlan"), QStringLiteral("connect"), QStringLiteral("name=") + ssid,
            QStringLiteral("interface=") + interfaceName};
}

QStringList showAddressesArgs(const QString &interfaceName)
{
    return {QStringLiteral("interface"), QStringLiteral("ip"), QStringLiteral("show"),
            QStringLiteral("addresses"), interfaceName};
}

} // namespace netctl
