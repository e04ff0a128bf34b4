#include "demo_environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

namespace demo {

namespace {

QJsonObject laptopNetwork(const QString &ssid, const QString &authentication,
                          const QString &encryption, const QString &dhcpAddress,
                          const QString &bssid, int signal, int channel)
{
    return {
        {QStringLiteral("ssid"), ssid},
        {QStringLiteral("authentication"), authentication},
        {QStringLiteral("encryption"), encryption},
        {QStringLiteral("dhcpAddress"), dhcpAddress},
        {QStringLiteral("dhcpMask"), QStringLiteral("255.255.255.0")},
        {QStringLiteral("bssids"), QJsonArray{QJsonObject{{QStringLiteral("bssid"), bssid},
                                                          {QStringLiteral("signal"), signal},
                                                          {QStringLiteral("channel"), channel}}}}};
}

SimNetwork chargerNetwork(const QString &ssid, const QString &bssid, int channel, int rssi,
                          const QString &security, const QString &password, const QString &rate)
{
    SimNetwork network;
    network.ssid = ssid;
    network.bssid = bssid;
    network.channel = channel;
    network.rssi = rssi;
    network.security = security;
    network.password = password;
    network.rate = rate;
    return network;
}

// The customer networks as seen from where a charger hangs; `offset` makes each one see them a
// little differently.
QList<SimNetwork> customerNetworks(int offset)
{
    return {chargerNetwork(homeNetworkSsid(), QStringLiteral("a4:2b:b0:11:22:33"), 6, -48 - offset,
                           QStringLiteral("WPA2-AES"), QStringLiteral("correct horse"),
                           QStringLiteral("144.4")),
            chargerNetwork(QStringLiteral("CafeOpen"), QStringLiteral("00:1d:7e:44:55:66"), 11,
                           -71 + offset / 2, QStringLiteral("OPEN"), QString(),
                           QStringLiteral("54.0")),
            chargerNetwork(QStringLiteral("NeighbourWPA3"), QStringLiteral("3c:84:6a:77:88:99"), 36,
                           -80 + offset, QStringLiteral("WPA3-SAE"),
                           QStringLiteral("over the fence"), QStringLiteral("866.7"))};
}

} // namespace

QJsonObject laptopState()
{
    const QJsonObject adapter{
        {QStringLiteral("name"), QStringLiteral("Wi-Fi")},
        {QStringLiteral("description"), QStringLiteral("Intel(R) Wi-Fi 6 AX201 160MHz")},
        {QStringLiteral("connectedSsid"), homeNetworkSsid()},
        {QStringLiteral("connectedProfile"), homeNetworkSsid()},
        {QStringLiteral("dhcp"), true},
        {QStringLiteral("address"), QStringLiteral("192.168.1.23")},
        {QStringLiteral("mask"), QStringLiteral("255.255.255.0")},
        {QStringLiteral("gateway"), QStringLiteral("192.168.1.1")},
        {QStringLiteral("dnsDhcp"), true}};
    const QJsonArray networks{laptopNetwork(homeNetworkSsid(), QStringLiteral("WPA2-Personal"),
                                            QStringLiteral("CCMP"), QStringLiteral("192.168.1.23"),
                                            QStringLiteral("a4:2b:b0:11:22:33"), 92, 6),
                              laptopNetwork(QStringLiteral("JuiceNet-1A2B"), QStringLiteral("Open"),
                                            QStringLiteral("None"), QStringLiteral("10.10.10.3"),
                                            QStringLiteral("5e:4c:9b:8e:46:d2"), 78, 1),
                              laptopNetwork(QStringLiteral("JuiceNet-3C4D"), QStringLiteral("Open"),
                                            QStringLiteral("None"), QStringLiteral("10.10.10.3"),
                                            QStringLiteral("5e:4c:9b:8e:47:a1"), 64, 6),
                              laptopNetwork(QStringLiteral("JuiceNet-5E6F"), QStringLiteral("Open"),
                                            QStringLiteral("None"), QStringLiteral("10.10.10.3"),
                                            QStringLiteral("5e:4c:9b:8e:48:0c"), 51, 11)};
    const QJsonObject homeProfile{{QStringLiteral("name"), homeNetworkSsid()},
                                  {QStringLiteral("interface"), QStringLiteral("Wi-Fi")},
                                  {QStringLiteral("ssid"), homeNetworkSsid()}};
    return {{QStringLiteral("elevated"), true},
            {QStringLiteral("wlanServiceRunning"), true},
            {QStringLiteral("interfaces"), QJsonArray{adapter}},
            {QStringLiteral("networks"), networks},
            {QStringLiteral("profiles"), QJsonArray{homeProfile}}};
}

QList<SimCharger> chargers()
{
    SimCharger first =
        SimCharger::create(QStringLiteral("JuiceNet-1A2B"), QStringLiteral("ZP2-0001234"),
                           QStringLiteral("70:b3:d5:12:34:56"),
                           QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"));
    first.files = {{QStringLiteral("ECache_0001.bin"), 4096},
                   {QStringLiteral("ECache_0002.bin"), 12288},
                   {QStringLiteral("EEvents_2026-03-14.log"), 2311},
                   {QStringLiteral("config.json"), 512}};
    first.networks = customerNetworks(0);

    // An older firmware that quotes "get" values and still holds a previous customer's network.
    SimCharger second =
        SimCharger::create(QStringLiteral("JuiceNet-3C4D"), QStringLiteral("ZP2-0005678"),
                           QStringLiteral("70:b3:d5:9a:bc:de"),
                           QStringLiteral("ead71e3a-4b2c-4d8e-a1f0-6c5b4a392817"));
    second.quoteGetValues = true;
    for (auto *settings : {&second.savedSettings, &second.currentSettings}) {
        settings->insert(QStringLiteral("wlan.ssid"), QStringLiteral("OldOfficeNet"));
        settings->insert(QStringLiteral("wlan.passkey"), QStringLiteral("old secret"));
    }
    second.files = {{QStringLiteral("ECache_0007.bin"), 8192},
                    {QStringLiteral("ECache_0008.bin"), 8192},
                    {QStringLiteral("EEvents_2026-02-28.log"), 10544},
                    {QStringLiteral("wifi.cfg"), 230}};
    second.networks = customerNetworks(12);

    // A newer firmware that wraps every reply in JSON and no longer knows "reboot".
    SimCharger third =
        SimCharger::create(QStringLiteral("JuiceNet-5E6F"), QStringLiteral("ZP2-0009012"),
                           QStringLiteral("70:b3:d5:f1:e2:d3"),
                           QStringLiteral("ead4c3b2-a190-4f8e-9d7c-6b5a49382716"));
    third.replyStyle = SimReplyStyle::Json;
    third.unknownCommands = {QStringLiteral("reboot")};
    third.files = {{QStringLiteral("ECache_0011.bin"), 2048},
                   {QStringLiteral("EEvents_2026-04-02.log"), 744}};
    third.networks = customerNetworks(24);

    return {first, second, third};
}

QString statePath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("netsh-state.json"));
}

QString journalPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("netsh-journal.jsonl"));
}

bool prepareLaptop(const QString &folder, const QString &netshDir, QString *error)
{
    const QFileInfo standIn(QDir(netshDir).filePath(QStringLiteral("netsh")));
    if (!standIn.isFile() || !standIn.isExecutable()) {
        *error = QStringLiteral("The netsh stand-in was not found at %1; build the target "
                                "\"netsh\" (scripts/build.sh builds everything).")
                     .arg(standIn.filePath());
        return false;
    }

    QFile state(statePath(folder));
    if (!state.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("Cannot write %1: %2").arg(state.fileName(), state.errorString());
        return false;
    }
    state.write(QJsonDocument(laptopState()).toJson());
    state.close();

    qputenv("ZEPHYL_NETSH_STATE", QFile::encodeName(statePath(folder)));
    qputenv("ZEPHYL_NETSH_JOURNAL", QFile::encodeName(journalPath(folder)));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(QDir::toNativeSeparators(standIn.absolutePath())) +
                        (path.isEmpty() ? QByteArray() : QByteArray(":") + path));
    return true;
}

} // namespace demo
