#pragma once

#include <QString>
#include <QStringList>

// The argument lists given to netsh. A keyed element is the key with its "=" followed directly by
// the raw value; nothing is quoted, so a name with blanks stays one element.
namespace netctl {

QStringList showInterfacesArgs();
QStringList showNetworksArgs();
QStringList showNetworksOnInterfaceArgs(const QString &interfaceName);
QStringList disconnectAllArgs();
QStringList deleteProfileArgs(const QString &ssid);
QStringList addProfileArgs(const QString &profilePath, const QString &interfaceName);
QStringList connectArgs(const QString &ssid, const QString &interfaceName);
QStringList setStaticAddressArgs(const QString &interfaceName);
QStringList setStaticDnsArgs(const QString &interfaceName);
QStringList setDhcpAddressArgs(const QString &interfaceName);
QStringList setDhcpDnsArgs(const QString &interfaceName);
QStringList disconnectInterfaceArgs(const QString &interfaceName);
QStringList reconnectArgs(const QString &ssid, const QString &interfaceName);
QStringList showAddressesArgs(const QString &interfaceName);

} // namespace netctl
