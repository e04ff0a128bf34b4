#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One Wi-Fi network that a simulated charger can see from where it is mounted.
struct SimNetwork
{
    QString ssid;
    QString bssid;
    int channel = 1;
    int rssi = -60;
    // The security word the charger prints: OPEN, WEP, WPA2-AES, WPA2-AES-MIXED, WPA3-SAE, ...
    QString security = QStringLiteral("WPA2-AES");
    QString password;
    QString rate = QStringLiteral("144.4");
    bool hidden = false;

    bool isOpen() const;
};

struct SimFile
{
    QString name;
    qint64 size = 0;
};

enum class SimReplyStyle {
    PlainText, // the reply text is the body
    Json,      // the body is {"response":"<reply text>"}
};

// The state of one simulated charger and the command interpreter that works on it.
struct SimCharger
{
    QString setupSsid;
    QString serial;
    QString mac;
    QString uuid;

    // What "factory_reset" returns to, what "save" persisted, and what "get" reads ("set" writes
    // here; "save" copies it to savedSettings; a reboot discards what was not saved).
    QMap<QString, QString> factorySettings;
    QMap<QString, QString> savedSettings;
    QMap<QString, QString> currentSettings;

    QList<SimFile> files;
    QList<SimNetwork> networks;

    SimReplyStyle replyStyle = SimReplyStyle::PlainText;
    // "get" answers the value inside one pair of double quotes.
    bool quoteGetValues = false;
    // Commands this firmware does not know, by exact text or by first word.
    QStringList unknownCommands;
    // Factory-reset forms that this firmware accepts, written as "factory_reset", "fac",
    // "factory_reset <mac>", "fac <mac>" and "fac [<mac>]".
    QStringList factoryResetForms{QStringLiteral("fac <mac>"), QStringLiteral("fac [<mac>]")};
    // Command texts answered as if another command had been sent ("wifiscan" -> "wlan_scan -v").
    QMap<QString, QString> aliases;

    int saveCount = 0;
    int rebootCount = 0;
    int factoryResetCount = 0;
    int firmwareUpdateCount = 0;

    // A charger as it leaves the factory: default settings derived from its identity.
    static SimCharger create(const QString &setupSsid, const QString &serial, const QString &mac,
                             const QString &uuid);

    // Carries out one command line and returns the reply text.
    QString execute(const QString &command);

    const SimNetwork *findNetwork(const QString &ssid, const QString &bssid) const;
    QString scanTable() const;
    QString fileListing(bool verbose) const;

private:
    QString executeGet(const QString &args) const;
    QString executeSet(const QString &args);
    QString executeFileDelete(const QString &args);
    QString executeNetworkVerify(const QString &args) const;
    QString executeFactoryReset(const QString &word, const QString &args);
    bool isUnknown(const QString &command, const QString &word) const;
};

namespace chargersim {

// Key derivation of WPA passphrases: PBKDF2 with HMAC-SHA1.
QByteArray pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt, int iterations,
                          int keyLength);
// The 64 lower-case hex digits a station derives from a passphrase and an SSID.
QString wpaPskHex(const QString &passphrase, const QString &ssid);

// Letters and digits of a MAC address, lower-case ("70:B3-d5..." -> "70b3d5...").
QString plainMac(const QString &mac);

} // namespace chargersim
