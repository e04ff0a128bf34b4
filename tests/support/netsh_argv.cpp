#include "netsh_argv.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace testsupport {

QStringList argv(const QString &elements)
{
    return elements.split(QLatin1Char('|'));
}

QStringList rendered(const QList<QStringList> &invocations)
{
    QStringList lines;
    for (const QStringList &arguments : invocations)
        lines << QString::fromUtf8(
            QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact));
    return lines;
}

QList<QStringList> withProfilePlaceholder(const QList<QStringList> &invocations,
                                          QString *profilePath)
{
    static const QRegularExpression pathPattern(QStringLiteral("^filename=(") +
                                                QRegularExpression::escape(QDir::tempPath()) +
                                                QStringLiteral("/zephyl_[A-Za-z0-9]{6}\\.xml)$"));
    QList<QStringList> copy = invocations;
    for (QStringList &arguments : copy) {
        for (QString &argument : arguments) {
            const QRegularExpressionMatch match = pathPattern.match(argument);
            if (!match.hasMatch())
                continue;
            if (profilePath)
                *profilePath = match.captured(1);
            argument = QStringLiteral("filename=<profile>");
        }
    }
    return copy;
}

namespace netsh {

QStringList showInterfaces()
{
    return argv(QStringLiteral("wlan|show|interfaces"));
}

QStringList showAddresses(const QString &adapter)
{
    return argv(QStringLiteral("interface|ip|show|addresses|") + adapter);
}

QStringList showNetworks()
{
    return argv(QStringLiteral("wlan|show|networks|mode=bssid"));
}

QStringList showNetworksOn(const QString &adapter)
{
    return argv(QStringLiteral("wlan|show|networks|interface=%1|mode=bssid").arg(adapter));
}

QStringList disconnectAll()
{
    return argv(QStringLiteral("wlan|disconnect"));
}

// An SSID may hold any character, '|' too, so it is added as one element.
QStringList deleteProfile(const QString &ssid)
{
    return argv(QStringLiteral("wlan|delete|profile")) << QStringLiteral("name=") + ssid;
}

QStringList addProfile(const QString &adapter)
{
    return argv(QStringLiteral("wlan|add|profile|filename=<profile>|interface=") + adapter);
}

QStringList connectTo(const QString &ssid, const QString &adapter)
{
    return argv(QStringLiteral("wlan|connect"))
           << QStringLiteral("name=") + ssid << QStringLiteral("ssid=") + ssid
           << QStringLiteral("interface=") + adapter;
}

QStringList setStaticAddress(const QString &adapter)
{
    return argv(
        QStringLiteral("interface|ip|set|address|%1|static|10.10.10.2|255.255.255.0").arg(adapter));
}

QStringList setStaticDns(const QString &adapter)
{
    return argv(
        QStringLiteral("interface|ip|set|dns|name=%1|static|10.10.10.1|primary").arg(adapter));
}

QStringList dhcpAddress(const QString &adapter)
{
    return argv(QStringLiteral("interface|ip|set|address|name=%1|source=dhcp").arg(adapter));
}

QStringList dhcpDns(const QString &adapter)
{
    return argv(QStringLiteral("interface|ip|set|dns|name=%1|source=dhcp").arg(adapter));
}

QStringList disconnectAdapter(const QString &adapter)
{
    return argv(QStringLiteral("wlan|disconnect|interface=") + adapter);
}

QStringList rejoin(const QString &ssid, const QString &adapter)
{
    return argv(QStringLiteral("wlan|connect"))
           << QStringLiteral("name=") + ssid << QStringLiteral("interface=") + adapter;
}

QList<QStringList> join(const QString &ssid, const QString &adapter)
{
    return {disconnectAll(), deleteProfile(ssid), addProfile(adapter), connectTo(ssid, adapter)};
}

QList<QStringList> staticAddressing(const QString &adapter)
{
    return {setStaticAddress(adapter), setStaticDns(adapter), showAddresses(adapter)};
}

QList<QStringList> restore(const QString &adapter, const QString &originalSsid)
{
    QList<QStringList> commands = {dhcpAddress(adapter), dhcpDns(adapter)};
    if (!originalSsid.isEmpty())
        commands << disconnectAdapter(adapter) << rejoin(originalSsid, adapter);
    return commands;
}

} // namespace netsh

} // namespace testsupport
