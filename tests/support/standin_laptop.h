#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// The simulated laptop behind the netsh stand-in: a state file and a journal in a private folder,
// named to the stand-in through its environment variables for as long as this object lives.
class StandInLaptop
{
public:
    StandInLaptop();
    ~StandInLaptop();

    // Builders for the state document.
    static QJsonObject adapter(const QString &name, const QString &connectedSsid = QString(),
                               const QString &address = QString());
    static QJsonObject network(const QString &ssid, const QString &authentication,
                               const QString &dhcpAddress, const QString &bssid, int signal = 80,
                               int channel = 6);
    static QJsonObject profile(const QString &name, const QString &interfaceName);

    // A laptop with adapter "Wi-Fi" on "HomeNet" (stored profile), with the given charger
    // networks (open, leasing 10.10.10.3) in range after the home network.
    static QJsonObject homeLaptop(const QStringList &chargerSsids,
                                  const QString &adapterName = QStringLiteral("Wi-Fi"));
    // Appends `item` to the array `key` ("networks", "profiles" ...) of a state document.
    static void append(QJsonObject &state, const QString &key, const QJsonObject &item);

    void writeState(const QJsonObject &state);
    QJsonObject readState() const;
    // Adds a fault for the commands whose arguments (joined with blanks) start with `prefix`.
    void addFault(const QString &prefix, const QJsonObject &fault);

    // Every invocation so far, as its argument list, in order.
    QList<QStringList> invocations() const;
    // The profile documents handed to "wlan add profile", in order.
    QStringList addedProfiles() const;
    void clearJournal();
    // The connected SSID of the first adapter, as the stand-in's state now says.
    QString connectedSsid() const;
    // Moves the first adapter onto another network (none when empty) behind the window's back.
    void setConnectedSsid(const QString &ssid);
    QJsonObject firstAdapter() const;
    // The names of the stored profiles, as the stand-in's state now says.
    QStringList profileNames() const;
    QString statePath() const;
    QString journalPath() const;
    // A path in the laptop's private folder, for files such as profile documents.
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QTemporaryDir dir;
    QByteArray savedState;
    QByteArray savedJournal;
};

} // namespace testsupport
