#include "netctl/netsh_commands.h"
#include "netctl/netsh_parse.h"
#include "netctl/wlan_profile.h"
#include "standin_laptop.h"
#include "test_paths.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <memory>

using testsupport::StandInLaptop;

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

QJsonObject bssid(const QString &mac, int signal, int channel)
{
    return {{QStringLiteral("bssid"), mac},
            {QStringLiteral("signal"), signal},
            {QStringLiteral("channel"), channel}};
}

QJsonObject network(const QString &ssid, const QString &auth, const QString &lease,
                    const QJsonArray &bssids)
{
    return {{QStringLiteral("ssid"), ssid},
            {QStringLiteral("authentication"), auth},
            {QStringLiteral("encryption"),
             auth == QStringLiteral("Open") ? QStringLiteral("None") : QStringLiteral("CCMP")},
            {QStringLiteral("dhcpAddress"), lease},
            {QStringLiteral("bssids"), bssids}};
}

// The charger networks a listing names, as the product reads them.
QStringList chargersIn(const QString &listing)
{
    QStringList found;
    netctl::parseChargerSsids(listing, found);
    return found;
}

// A laptop whose one adapter has a blank in its name and is on the home network, with two
// chargers, a neighbour's look-alike and a hidden network in range.
QJsonObject homeLaptop()
{
    return {{QStringLiteral("elevated"), true},
            {QStringLiteral("interfaces"),
             QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi 2"), QStringLiteral("HomeNet"),
                                               QStringLiteral("192.168.1.23"))}},
            {QStringLiteral("networks"),
             QJsonArray{network(QStringLiteral("HomeNet"), QStringLiteral("WPA2-Personal"),
                                QStringLiteral("192.168.1.23"),
                                {bssid(QStringLiteral("d8:15:0d:72:8c:18"), 92, 1),
                                 bssid(QStringLiteral("d8:15:0d:72:8c:19"), 60, 44)}),
                        network(QStringLiteral("MyJuiceNet"), QStringLiteral("WPA2-Personal"),
                                QStringLiteral("192.168.7.9"),
                                {bssid(QStringLiteral("a0:3d:6f:66:d8:1e"), 40, 36)}),
                        network(QString(), QStringLiteral("WPA2-Personal"), QString(),
                                {bssid(QStringLiteral("b6:b0:24:e3:e5:6c"), 100, 3)}),
                        network(QStringLiteral("JuiceNet-7F2A"), QStringLiteral("Open"),
                                QStringLiteral("10.10.10.3"),
                                {bssid(QStringLiteral("5e:4c:9b:8e:46:d2"), 71, 6)}),
                        network(QStringLiteral(u"JuiceNet-Café"), QStringLiteral("Open"),
                                QStringLiteral("10.10.10.3"),
                                {bssid(QStringLiteral("5e:4c:9b:8e:46:d3"), 50, 11)})}},
            {QStringLiteral("profiles"),
             QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("HomeNet")},
                                    {QStringLiteral("interface"), QStringLiteral("Wi-Fi 2")},
                                    {QStringLiteral("ssid"), QStringLiteral("HomeNet")}}}}};
}

const QString ifaceName = QStringLiteral("Wi-Fi 2");
const QString charger = QStringLiteral("JuiceNet-7F2A");

} // namespace

class TestNetshStandin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listingReadsLikeWindows();
    void adapterCountDecidesTheInterfaceListing_data();
    void adapterCountDecidesTheInterfaceListing();
    void networksAreListedPerAdapter();
    void connectChangesWhatShowInterfacesReports();
    void connectFailures_data();
    void connectFailures();
    void elevationIsRequiredForAddresses();
    void staticAddressThenDhcp();
    void addProfileRefusesBrokenDocuments_data();
    void addProfileRefusesBrokenDocuments();
    void hostileSsidProfileJoinsExactlyThatNetwork();
    void journalRecordsEveryInvocationInOrder();
    void faultOverridesOutputForLimitedTimes();
    void journalIsWrittenBeforeAHang();
    void unknownCommandFails();

private:
    // Runs the stand-in on the laptop's state, as the product would.
    Outcome run(const QStringList &arguments);
    QString writeProfile(const QByteArray &xml);

    QString program;
    std::unique_ptr<StandInLaptop> laptop;
};

void TestNetshStandin::initTestCase()
{
    program = QStandardPaths::findExecutable(QStringLiteral("netsh"));
    QVERIFY2(!program.isEmpty(),
             "the netsh stand-in is not on PATH; run through ctest, which puts build/sim/netsh "
             "first on PATH");
}

void TestNetshStandin::init()
{
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(homeLaptop());
}

// The laptop restores the environment it found, so it goes before the next one is made.
void TestNetshStandin::cleanup()
{
    laptop.reset();
}

Outcome TestNetshStandin::run(const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
    return outcome;
}

QString TestNetshStandin::writeProfile(const QByteArray &xml)
{
    const QString path = laptop->filePath(QStringLiteral("zephyl_profile.xml"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(xml);
    return path;
}

void TestNetshStandin::listingReadsLikeWindows()
{
    const Outcome networks = run(netctl::showNetworksArgs());
    QCOMPARE(networks.exitCode, 0);
    QVERIFY2(networks.out.contains(QStringLiteral("\r\nInterface name : Wi-Fi 2\r\n"
                                                  "There are 5 networks currently visible.\r\n")),
             qPrintable(networks.out));
    QVERIFY(!QString(networks.out).remove(QStringLiteral("\r\n")).contains(QLatin1Char('\n')));
    QVERIFY2(run(netctl::showNetworksArgs()).out.contains(QStringLiteral("\r\nSSID 3 :\r\n")),
             "a hidden network is listed with nothing after its colon");

    const QStringList found = chargersIn(run(netctl::showNetworksArgs()).out);
    QCOMPARE(found, (QStringList{charger, QStringLiteral(u"JuiceNet-Café")}));

    const Outcome onAdapter = run(netctl::showNetworksOnInterfaceArgs(ifaceName));
    QCOMPARE(onAdapter.exitCode, 0);
    QCOMPARE(chargersIn(onAdapter.out), found);

    // The label column must sit where Windows puts it, or a layout-sensitive reader breaks.
    const QString sample = QString::fromLocal8Bit(
        testsupport::readDataFile(QStringLiteral("netsh/show_networks_hidden_and_bands_crlf.txt")));
    for (const QString &label : {QStringLiteral("    BSSID 1 "), QStringLiteral("         Signal"),
                                 QStringLiteral("    Authentication")}) {
        const auto column = [&label](const QString &text) {
            const qsizetype at = text.indexOf(label);
            return at < 0 ? -1 : text.indexOf(QLatin1Char(':'), at) - at;
        };
        QCOMPARE(column(run(netctl::showNetworksArgs()).out), column(sample));
    }

    const Outcome interfaces = run(netctl::showInterfacesArgs());
    QCOMPARE(interfaces.exitCode, 0);
    QVERIFY(interfaces.out.contains(QStringLiteral("There is 1 interface on the system:\r\n")));
    QCOMPARE(netctl::parseInterfaceName(interfaces.out), ifaceName);
    QCOMPARE(netctl::parseCurrentSsid(interfaces.out), QStringLiteral("HomeNet"));
    QVERIFY2(interfaces.out.contains(QStringLiteral("\r\n    BSSID                  : "
                                                    "d8:15:0d:72:8c:18\r\n")),
             qPrintable(interfaces.out));
}

void TestNetshStandin::adapterCountDecidesTheInterfaceListing_data()
{
    QTest::addColumn<QJsonArray>("adapters");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedSsid");

    QTest::newRow("no adapter reports no wireless interface and fails")
        << QJsonArray() << 1 << QString() << QString();
    QTest::newRow("one disconnected adapter has a name and no SSID")
        << QJsonArray{StandInLaptop::adapter(QStringLiteral("WiFi"))} << 0 << QStringLiteral("WiFi")
        << QString();
    QTest::newRow("of two adapters the first is listed first")
        << QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi")),
                      StandInLaptop::adapter(ifaceName, charger, QStringLiteral("10.10.10.3"))}
        << 0 << QStringLiteral("Wi-Fi") << charger;
}

void TestNetshStandin::adapterCountDecidesTheInterfaceListing()
{
    QFETCH(QJsonArray, adapters);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedSsid);

    QJsonObject state = homeLaptop();
    state.insert(QStringLiteral("interfaces"), adapters);
    laptop->writeState(state);
    const Outcome outcome = run(netctl::showInterfacesArgs());
    QCOMPARE(outcome.exitCode, exitCode);
    if (adapters.isEmpty())
        QCOMPARE(outcome.out,
                 QStringLiteral("There is no wireless interface on the system.\r\n\r\n"));
    QCOMPARE(netctl::parseInterfaceName(outcome.out), expectedName);
    QCOMPARE(netctl::parseCurrentSsid(outcome.out), expectedSsid);
}

void TestNetshStandin::networksAreListedPerAdapter()
{
    QJsonObject state = homeLaptop();
    state.insert(QStringLiteral("interfaces"),
                 QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi")),
                            StandInLaptop::adapter(ifaceName)});
    QJsonObject onlySecond =
        network(QStringLiteral("JuiceNet-01B3"), QStringLiteral("Open"),
                QStringLiteral("10.10.10.3"), {bssid(QStringLiteral("5e:4c:9b:11:22:33"), 30, 1)});
    onlySecond.insert(QStringLiteral("interfaces"), QJsonArray{ifaceName});
    QJsonArray networks = state.value(QStringLiteral("networks")).toArray();
    networks.prepend(onlySecond);
    state.insert(QStringLiteral("networks"), networks);
    laptop->writeState(state);

    const Outcome all = run(netctl::showNetworksArgs());
    QCOMPARE(all.exitCode, 0);
    QVERIFY2(all.out.contains(QStringLiteral("\r\nInterface name : Wi-Fi\r\n"
                                             "There are 5 networks currently visible.\r\n")),
             qPrintable(all.out));
    QVERIFY2(all.out.contains(QStringLiteral("\r\nInterface name : Wi-Fi 2\r\n"
                                             "There are 6 networks currently visible.\r\n"
                                             "\r\nSSID 1 : JuiceNet-01B3\r\n")),
             qPrintable(all.out));
    QCOMPARE(chargersIn(all.out), (QStringList{charger, QStringLiteral(u"JuiceNet-Café"),
                                               QStringLiteral("JuiceNet-01B3")}));
    QCOMPARE(chargersIn(run(netctl::showNetworksOnInterfaceArgs(QStringLiteral("Wi-Fi"))).out),
             (QStringList{charger, QStringLiteral(u"JuiceNet-Café")}));

    const QString path =
        writeProfile(netctl::openNetworkProfileXml(QStringLiteral("JuiceNet-01B3")).toUtf8());
    QCOMPARE(run(netctl::addProfileArgs(path, QStringLiteral("Wi-Fi"))).exitCode, 0);
    const Outcome outOfRange =
        run(netctl::connectArgs(QStringLiteral("JuiceNet-01B3"), QStringLiteral("Wi-Fi")));
    QCOMPARE(outOfRange.exitCode, 1);
    QCOMPARE(outOfRange.out, QStringLiteral("The network specified by profile \"JuiceNet-01B3\" "
                                            "is not available to connect.\r\n\r\n"));
}

void TestNetshStandin::connectChangesWhatShowInterfacesReports()
{
    QCOMPARE(run(netctl::disconnectAllArgs()).out,
             QStringLiteral("Disconnection request was completed successfully for interface "
                            "\"Wi-Fi 2\".\r\n\r\n"));
    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out), QString());

    const QString path = writeProfile(netctl::openNetworkProfileXml(charger).toUtf8());
    const Outcome added = run(netctl::addProfileArgs(path, ifaceName));
    QCOMPARE(added.exitCode, 0);
    QCOMPARE(added.out,
             QStringLiteral("Profile JuiceNet-7F2A is added on interface Wi-Fi 2.\r\n\r\n"));

    const Outcome connected = run(netctl::connectArgs(charger, ifaceName));
    QCOMPARE(connected.exitCode, 0);
    QVERIFY(netctl::connectSucceeded(connected.out + connected.err));

    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out), charger);
    QCOMPARE(laptop->connectedSsid(), charger);
    QCOMPARE(netctl::parseFirstDottedQuad(run(netctl::showAddressesArgs(ifaceName)).out),
             QStringLiteral("10.10.10.3"));

    const Outcome deleted = run(netctl::deleteProfileArgs(charger));
    QCOMPARE(
        deleted.out,
        QStringLiteral("Profile \"JuiceNet-7F2A\" is deleted from interface \"Wi-Fi 2\".\r\n\r\n"));
    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out), QString());

    const Outcome back = run(netctl::reconnectArgs(QStringLiteral("HomeNet"), ifaceName));
    QCOMPARE(back.exitCode, 0);
    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out),
             QStringLiteral("HomeNet"));
    QCOMPARE(netctl::parseFirstDottedQuad(run(netctl::showAddressesArgs(ifaceName)).out),
             QStringLiteral("192.168.1.23"));
}

void TestNetshStandin::connectFailures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a network without a stored profile")
        << netctl::connectArgs(charger, ifaceName)
        << QStringLiteral("There is no profile \"JuiceNet-7F2A\" assigned to the specified "
                          "interface.\r\n\r\n");
    QTest::newRow("an adapter that does not exist")
        << netctl::connectArgs(QStringLiteral("HomeNet"), QStringLiteral("Wi-Fi"))
        << QStringLiteral("There is no such wireless interface on the system.\r\n\r\n");
    QTest::newRow("an adapter name given in quotes is not the adapter")
        << QStringList{QStringLiteral("wlan"), QStringLiteral("connect"),
                       QStringLiteral("name=HomeNet"), QStringLiteral("interface=\"Wi-Fi 2\"")}
        << QStringLiteral("There is no such wireless interface on the system.\r\n\r\n");
}

void TestNetshStandin::connectFailures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Outcome outcome = run(arguments);
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out, expected);
    QVERIFY(!netctl::connectSucceeded(outcome.out + outcome.err));
    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out),
             QStringLiteral("HomeNet"));
}

void TestNetshStandin::elevationIsRequiredForAddresses()
{
    QJsonObject state = homeLaptop();
    state.insert(QStringLiteral("elevated"), false);
    laptop->writeState(state);

    for (const QStringList &arguments :
         {netctl::setStaticAddressArgs(ifaceName), netctl::setStaticDnsArgs(ifaceName)}) {
        const Outcome outcome = run(arguments);
        QCOMPARE(outcome.exitCode, 1);
        QCOMPARE(outcome.out, QStringLiteral("The requested operation requires elevation (Run "
                                             "as administrator).\r\n\r\n"));
    }
    QCOMPARE(netctl::parseFirstDottedQuad(run(netctl::showAddressesArgs(ifaceName)).out),
             QStringLiteral("192.168.1.23"));
    QCOMPARE(run(netctl::showInterfacesArgs()).exitCode, 0);
}

void TestNetshStandin::staticAddressThenDhcp()
{
    const Outcome address = run(netctl::setStaticAddressArgs(ifaceName));
    QCOMPARE(address.exitCode, 0);
    QCOMPARE(address.out, QString());
    const Outcome dns = run(netctl::setStaticDnsArgs(ifaceName));
    QCOMPARE(dns.exitCode, 0);
    QCOMPARE(dns.out,
             QStringLiteral("The configured DNS server is incorrect or does not exist.\r\n\r\n"));
    QCOMPARE(laptop->firstAdapter().value(QStringLiteral("dns")).toArray(),
             QJsonArray{QStringLiteral("10.10.10.1")});

    const QString shown = run(netctl::showAddressesArgs(ifaceName)).out;
    QCOMPARE(shown, QStringLiteral("\r\nConfiguration for interface \"Wi-Fi 2\"\r\n"
                                   "    DHCP enabled:                         No\r\n"
                                   "    IP Address:                           10.10.10.2\r\n"
                                   "    Subnet Prefix:                        10.10.10.0/24 (mask "
                                   "255.255.255.0)\r\n"
                                   "    InterfaceMetric:                      25\r\n\r\n"));

    QCOMPARE(run(netctl::setDhcpAddressArgs(ifaceName)).exitCode, 0);
    QCOMPARE(run(netctl::setDhcpDnsArgs(ifaceName)).exitCode, 0);
    QCOMPARE(netctl::parseFirstDottedQuad(run(netctl::showAddressesArgs(ifaceName)).out),
             QStringLiteral("192.168.1.23"));
    const Outcome again = run(netctl::setDhcpAddressArgs(ifaceName));
    QCOMPARE(again.exitCode, 1);
    QCOMPARE(again.out, QStringLiteral("DHCP is already enabled on this interface.\r\n\r\n"));

    // Without a network DHCP has nothing to give.
    QCOMPARE(run(netctl::disconnectInterfaceArgs(ifaceName)).exitCode, 0);
    const QString unaddressed = run(netctl::showAddressesArgs(ifaceName)).out;
    QCOMPARE(netctl::parseFirstDottedQuad(unaddressed), QString());
    QVERIFY(
        unaddressed.contains(QStringLiteral("    DHCP enabled:                         Yes\r\n")));
}

void TestNetshStandin::addProfileRefusesBrokenDocuments_data()
{
    QTest::addColumn<QByteArray>("xml");

    const QString good = netctl::openNetworkProfileXml(charger);
    QTest::newRow("an SSID inserted without escaping")
        << QStringLiteral(
               "<?xml version=\"1.0\"?><WLANProfile "
               "xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\"><name>JuiceNet<x>&"
               "</name><SSIDConfig><SSID><name>JuiceNet<x>&</name></SSID></SSIDConfig>"
               "<connectionType>ESS</connectionType><MSM><security><authEncryption>"
               "<authentication>open</authentication><encryption>none</encryption>"
               "</authEncryption></security></MSM></WLANProfile>")
               .toUtf8();
    QTest::newRow("a profile in no namespace")
        << QString(good)
               .remove(
                   QStringLiteral(" xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\""))
               .toUtf8();
    QTest::newRow("a profile without its security element")
        << QString(good).remove(QRegularExpression(QStringLiteral("<MSM>.*</MSM>"))).toUtf8();
    QTest::newRow("a profile without an SSID name")
        << QString(good).remove(QStringLiteral("<SSID><name>JuiceNet-7F2A</name></SSID>")).toUtf8();
    QTest::newRow("a file cut short") << good.left(good.size() / 2).toUtf8();
    QTest::newRow("an empty file") << QByteArray();
}

void TestNetshStandin::addProfileRefusesBrokenDocuments()
{
    QFETCH(QByteArray, xml);
    const Outcome added = run(netctl::addProfileArgs(writeProfile(xml), ifaceName));
    QCOMPARE(added.exitCode, 1);
    QCOMPARE(added.out, QStringLiteral("Profile format error 0x80420011:\r\nThe network "
                                       "connection profile is corrupted.\r\n\r\n"));
    QCOMPARE(laptop->profileNames(), QStringList{QStringLiteral("HomeNet")});
    QCOMPARE(run(netctl::connectArgs(charger, ifaceName)).exitCode, 1);
}

void TestNetshStandin::hostileSsidProfileJoinsExactlyThatNetwork()
{
    const QString hostile = QStringLiteral("JuiceNet</name><x>&\"'");
    QJsonObject state = homeLaptop();
    QJsonArray networks = state.value(QStringLiteral("networks")).toArray();
    networks.append(network(hostile, QStringLiteral("Open"), QStringLiteral("10.10.10.3"),
                            {bssid(QStringLiteral("5e:4c:9b:8e:46:d9"), 80, 1)}));
    state.insert(QStringLiteral("networks"), networks);
    laptop->writeState(state);

    const QString path = writeProfile(netctl::openNetworkProfileXml(hostile).toUtf8());
    const Outcome added = run(netctl::addProfileArgs(path, ifaceName));
    QCOMPARE(added.exitCode, 0);
    QCOMPARE(added.out, QStringLiteral("Profile ") + hostile +
                            QStringLiteral(" is added on interface Wi-Fi 2.\r\n\r\n"));
    QVERIFY(netctl::connectSucceeded(run(netctl::connectArgs(hostile, ifaceName)).out));
    QCOMPARE(netctl::parseCurrentSsid(run(netctl::showInterfacesArgs()).out), hostile);
}

void TestNetshStandin::journalRecordsEveryInvocationInOrder()
{
    const QByteArray xml = netctl::openNetworkProfileXml(charger).toUtf8();
    const QString path = writeProfile(xml);
    const QList<QStringList> issued = {
        netctl::showInterfacesArgs(), netctl::disconnectAllArgs(),
        netctl::addProfileArgs(path, ifaceName), netctl::setStaticAddressArgs(ifaceName),
        netctl::addProfileArgs(laptop->filePath(QStringLiteral("missing.xml")), ifaceName)};
    for (const QStringList &arguments : issued)
        run(arguments);

    QFile journal(laptop->journalPath());
    QVERIFY(journal.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = journal.readAll().split('\n');
    QCOMPARE(lines.size(), issued.size() + 1);
    QVERIFY(lines.last().isEmpty());
    for (int i = 0; i < issued.size(); ++i) {
        QJsonParseError error;
        const QJsonObject entry = QJsonDocument::fromJson(lines.at(i), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, lines.at(i).constData());
        QStringList argv;
        for (const QJsonValue &v : entry.value(QStringLiteral("argv")).toArray())
            argv << v.toString();
        QCOMPARE(argv, issued.at(i));
        const bool addsProfile = issued.at(i).value(1) == QStringLiteral("add");
        QCOMPARE(entry.contains(QStringLiteral("profileXml")), addsProfile);
    }
    const QJsonObject add = QJsonDocument::fromJson(lines.at(2)).object();
    QCOMPARE(add.value(QStringLiteral("profileXml")).toString(), QString::fromUtf8(xml));
    QVERIFY(
        QJsonDocument::fromJson(lines.at(4)).object().value(QStringLiteral("profileXml")).isNull());
}

void TestNetshStandin::faultOverridesOutputForLimitedTimes()
{
    QJsonObject state = homeLaptop();
    state.insert(QStringLiteral("faults"),
                 QJsonObject{{QStringLiteral("wlan show networks"),
                              QJsonObject{{QStringLiteral("stdout"),
                                           QStringLiteral("The Wireless AutoConfig Service "
                                                          "(wlansvc) is not running.\r\n")},
                                          {QStringLiteral("exitCode"), 1},
                                          {QStringLiteral("times"), 2}}},
                             {QStringLiteral("wlan show networks interface="),
                              QJsonObject{{QStringLiteral("stderr"), QStringLiteral("busy")},
                                          {QStringLiteral("exitCode"), 5}}}});
    laptop->writeState(state);

    for (int attempt = 0; attempt < 2; ++attempt) {
        const Outcome failed = run(netctl::showNetworksArgs());
        QCOMPARE(failed.exitCode, 1);
        QCOMPARE(chargersIn(failed.out), QStringList());
    }
    const Outcome third = run(netctl::showNetworksArgs());
    QCOMPARE(third.exitCode, 0);
    QVERIFY(third.out.contains(charger));

    // The longest matching prefix wins, and a fault without "times" stays.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Outcome onAdapter = run(netctl::showNetworksOnInterfaceArgs(ifaceName));
        QCOMPARE(onAdapter.exitCode, 5);
        QCOMPARE(onAdapter.out, QString());
        QCOMPARE(onAdapter.err, QStringLiteral("busy"));
    }
}

void TestNetshStandin::journalIsWrittenBeforeAHang()
{
    QJsonObject state = homeLaptop();
    state.insert(QStringLiteral("faults"),
                 QJsonObject{{QStringLiteral("wlan connect"),
                              QJsonObject{{QStringLiteral("hangSeconds"), 60}}}});
    laptop->writeState(state);

    QProcess process;
    process.start(program, netctl::connectArgs(charger, ifaceName));
    QVERIFY(process.waitForStarted(10000));
    const QString journalPath = laptop->journalPath();
    QTRY_VERIFY_WITH_TIMEOUT(QFile(journalPath).size() > 0, 10000);
    QCOMPARE(process.state(), QProcess::Running);
    process.kill();
    QVERIFY(process.waitForFinished(10000));

    QFile journal(journalPath);
    QVERIFY(journal.open(QIODevice::ReadOnly));
    QVERIFY(journal.readAll().contains("\"name=JuiceNet-7F2A\""));
}

void TestNetshStandin::unknownCommandFails()
{
    const Outcome outcome =
        run({QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("drivers")});
    QCOMPARE(outcome.exitCode, 1);
    QCOMPARE(outcome.out,
             QStringLiteral("The following command was not found: wlan show drivers.\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestNetshStandin)
#include "tst_netsh_standin.moc"
