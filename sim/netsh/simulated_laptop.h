#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// The laptop behind the netsh stand-in: its Wi-Fi adapters, the networks in range, the stored
// WLAN profiles and the addressing of each adapter, all kept in one JSON object so that keys
// the stand-in does not know (read by other simulators) survive every change.
namespace netsh_standin {

struct Reply
{
    QString out;
    QString err;
    int exitCode = 0;
};

class SimulatedLaptop
{
public:
    explicit SimulatedLaptop(QJsonObject state);

    static QJsonObject defaultState();

    // Carries out one netsh command line (the arguments after "netsh").
    Reply run(const QStringList &arguments);

    const QJsonObject &state() const { return root; }
    bool changed() const { return dirty; }

private:
    Reply wlan(const QStringList &args);
    Reply interfaceIp(const QStringList &args, const QStringList &all);

    Reply showInterfaces();
    Reply showNetworks(const QStringList &params);
    Reply disconnect(const QStringList &params);
    Reply deleteProfile(const QStringList &params);
    Reply addProfile(const QStringList &params);
    Reply connect(const QStringList &params);
    Reply setAddress(const QStringList &params);
    Reply setDns(const QStringList &params);
    Reply showAddresses(const QStringList &params);

    int interfaceIndex(const QString &name) const;
    // The adapters a command names, or the failure to print when it names none that exists.
    std::optional<Reply> namedInterfaces(const QHash<QString, QString> &params,
                                         QList<int> &indexes) const;
    int networkIndex(const QString &ssid, const QString &interfaceName) const;
    QJsonObject interfaceAt(int index) const;
    void setInterfaceAt(int index, const QJsonObject &iface);
    Reply withheld(const QString &object) const;
    void startAssociation(int ifaceIndex, const QString &ssid, const QString &profile);
    void completeAssociations();
    void joinNetwork(int ifaceIndex, const QString &ssid, const QString &profile);
    void leaveNetwork(int ifaceIndex);
    void applyDhcpLease(QJsonObject &iface) const;

    QJsonObject root;
    bool dirty = false;
};

} // namespace netsh_standin
