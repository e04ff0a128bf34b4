#include "charger_rig.h"

#include "standin_laptop.h"

#include <QNetworkProxy>

namespace testsupport {

ChargerRig::ChargerRig()
{
    if (!sim.listen())
        qFatal("the charger simulator could not listen");
    relay.setTarget(QHostAddress::LocalHost, sim.port());
    QNetworkProxy::setApplicationProxy(relay.proxy());
    useStandardChargers({QStringLiteral("JuiceNet-1A2B")});
}

ChargerRig::~ChargerRig()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    sim.closeConnections();
}

SimCharger &ChargerRig::charger(const QString &setupSsid)
{
    SimCharger *found = sim.charger(setupSsid);
    if (!found)
        qFatal("no simulated charger %s", qPrintable(setupSsid));
    return *found;
}

SimCharger ChargerRig::standardCharger(const QString &setupSsid, int number)
{
    const QString suffix = QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
    SimCharger charger =
        SimCharger::create(setupSsid, QStringLiteral("JN-22-1000") + suffix,
                           QStringLiteral("70:b3:d5:12:34:") + suffix,
                           QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d") + suffix);

    auto network = [](const QString &ssid, const QString &bssid, int channel, int rssi,
                      const QString &security, const QString &password) {
        SimNetwork n;
        n.ssid = ssid;
        n.bssid = bssid;
        n.channel = channel;
        n.rssi = rssi;
        n.security = security;
        n.password = password;
        return n;
    };
    charger.networks = {network(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:01"), 6,
                                -71, QStringLiteral("WPA2-AES"), QStringLiteral("correct horse")),
                        network(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:02"), 11,
                                -48, QStringLiteral("WPA2-AES"), QStringLiteral("correct horse")),
                        network(QStringLiteral("CafeOpen"), QStringLiteral("b8:27:eb:00:00:01"), 1,
                                -60, QStringLiteral("OPEN"), QString()),
                        network(QStringLiteral("NeighbourWPA3"),
                                QStringLiteral("c0:ff:ee:00:00:03"), 36, -80,
                                QStringLiteral("WPA3-SAE"), QStringLiteral("neighbour-secret"))};
    SimNetwork hidden = network(QString(), QStringLiteral("de:ad:be:ef:00:04"), 3, -66,
                                QStringLiteral("WPA2-AES"), QStringLiteral("x"));
    hidden.hidden = true;
    charger.networks << hidden;

    charger.files = {{QStringLiteral("ECache_0001.bin"), 4096},
                     {QStringLiteral("EEvents_2026-03-14.log"), 1523},
                     {QStringLiteral("config.json"), 812},
                     {QStringLiteral("ECache_0002.bin"), 4096}};
    return charger;
}

void ChargerRig::useStandardChargers(const QStringList &setupSsids)
{
    QList<SimCharger> chargers;
    int number = 0;
    for (const QString &ssid : setupSsids)
        chargers << standardCharger(ssid, ++number);
    sim.setChargers(chargers);
}

void ChargerRig::followLaptop(const StandInLaptop &laptop)
{
    sim.setActiveChargerSelector([&laptop]() { return laptop.connectedSsid(); });
}

QStringList ChargerRig::commands() const
{
    return sim.commands();
}

QList<QByteArray> ChargerRig::requestLines() const
{
    return relay.requestLines();
}

void ChargerRig::clear()
{
    sim.clearJournal();
    relay.clear();
}

} // namespace testsupport
