#include "../support/test_paths.h"
#include "world.h"

#include <QProcess>
#include <QtTest>

using testsupport::addOperationColumns;

namespace {

QByteArray laptop(const QString &adapters, const QString &networks, bool elevated = true)
{
    return QStringLiteral(R"({"elevated":%1,"interfaces":[%2],"networks":[%3],
        "profiles":[{"name":"HomeNet","interface":"Wi-Fi"}]})")
        .arg(elevated ? QStringLiteral("true") : QStringLiteral("false"), adapters, networks)
        .toUtf8();
}

const QString kOnHome = QStringLiteral(R"({"name":"Wi-Fi","connectedSsid":"HomeNet"})");
const QString kHome = QStringLiteral(R"({"ssid":"HomeNet","authentication":"WPA2-Personal"})");
QString charger(const QString &ssid)
{
    return QStringLiteral(R"({"ssid":"%1","authentication":"Open","dhcpAddress":"10.10.10.3"})")
        .arg(ssid);
}

const QString kFind = QStringLiteral("wlan|show|networks|mode=bssid");
const QString kFindOnWifi = QStringLiteral("wlan|show|networks|interface=Wi-Fi|mode=bssid");
const QString kNotFound = QStringLiteral(
    "No JuiceNet found. Move closer to charger, keep lights flashing blue, then scan again.");
const QString kAddresses = QStringLiteral("interface|ip|show|addresses|Wi-Fi");
const QStringList kJoin = {"wlan|show|interfaces",
                           "wlan|disconnect",
                           "wlan|delete|profile|name=JuiceNet-1A2B",
                           "wlan|add|profile|filename=<profile>|interface=Wi-Fi",
                           "wlan|connect|name=JuiceNet-1A2B|ssid=JuiceNet-1A2B|interface=Wi-Fi",
                           "wlan|show|interfaces",
                           kAddresses};
const QStringList kRefreshGets = {"get wlan.ssid", "get wlan.passkey", "get system.euid",
                                  "get system.uuid"};
// On a network other than the one it was read on (after a join, or once the gate lifts and the
// network is known) the refresh reads the identity again.
const QStringList kJoinGets =
    kRefreshGets + QStringList{"get system.uuid", "get system.serial", "get wlan.mac"};
const QStringList kConnect = {"click:Find Charger Wi-Fi", "pick-charger:JuiceNet-1A2B", "mark",
                              "click:Connect to Selected"};
const QString kGate = QStringLiteral("Windows is withholding Wi-Fi information from this program: "
                                     "turn on Location access, then try again.");
const QString kAccepted =
    QStringLiteral("wlan connect: Connection request was completed successfully.");

} // namespace

class WindowNetctlTest : public QObject
{
    Q_OBJECT

private slots:
    void laptopNetwork_data();
    void laptopNetwork() { testsupport::runOperationRow(); }
    void standInPrintsTheRealLayout();
};

void WindowNetctlTest::laptopNetwork_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList find = {"click:Find Charger Wi-Fi"};
    const QStringList staticNetsh = {
        "interface|ip|set|address|Wi-Fi|static|10.10.10.2|255.255.255.0",
        "interface|ip|set|dns|name=Wi-Fi|static|10.10.10.1|primary", kAddresses};
    const QStringList notApplied = {
        "Static IP could not be applied. Run as administrator and retry."};

    QTest::newRow("the second pass names the adapter")
        << none << QByteArray(R"({"wlan show networks mode":{"stdout":"SSID 1 : HomeNet\r\n"}})")
        << QList<SimFault>{} << find << QStringList{} << QStringList{kFind, kFindOnWifi}
        << QStringList{"Found 1 charger network(s)."} << QStringList{};
    QTest::newRow("without an adapter only the first pass runs")
        << laptop(QString(), kHome) << none << QList<SimFault>{} << find << QStringList{}
        << QStringList{kFind, kFind, kFind} << QStringList{kNotFound} << QStringList{};
    QTest::newRow("an accepted connect that never joins fails after 15 s, saying what the "
                  "adapter reported; a charger network is never the original")
        << "{\"neverAssociate\":true," +
               laptop(R"({"name":"Wi-Fi","connectedSsid":"JuiceNet-0000"})",
                      charger("JuiceNet-0000") + ',' + charger("JuiceNet-1A2B"))
                   .mid(1)
        << none << QList<SimFault>{} << kConnect + QStringList{"close"} << kJoinGets
        << kJoin + QStringList{"interface|ip|set|address|name=Wi-Fi|source=dhcp",
                               "interface|ip|set|dns|name=Wi-Fi|source=dhcp"}
        << QStringList{"Connecting to JuiceNet-1A2B...", "Connection failed."}
        << QStringList{kAccepted,
                       "Wi-Fi did not join JuiceNet-1A2B within 15 s; it last reported state "
                       "\"disconnected\" and no SSID.",
                       "Laptop network restored to DHCP on interface: Wi-Fi"};
    QTest::newRow("joining remembers the laptop's network and loads an open profile; a German "
                  "reply and a laptop that joins 2 s later: connected")
        << R"({"associationDelayMs":2000,)" +
               laptop(kOnHome, kHome + ',' + charger("JuiceNet-1A2B")).mid(1)
        << QByteArray(
               R"({"wlan connect":{"stdout":"Die Verbindungsanforderung wurde erfolgreich abgeschlossen.\r\n","apply":true}})")
        << QList<SimFault>{} << kConnect << kJoinGets << kJoin
        << QStringList{"Connecting to JuiceNet-1A2B...", "Connected to JuiceNet-1A2B"}
        << QStringList{"Captured original laptop Wi-Fi: HomeNet",
                       "wlan connect: Die Verbindungsanforderung wurde erfolgreich abgeschlossen."};
    QTest::newRow("location off at start-up: the notice, Ready.; its settings page; Try Again "
                  "reads again once location is on")
        << R"({"locationGate":true,)" + laptop(kOnHome, kHome).mid(1) << none << QList<SimFault>{}
        << QStringList{"startup",
                       "wait:" + kGate,
                       "logged:Start-up met the location gate: Windows withholds Wi-Fi information "
                       "while location access is off.",
                       "click:Open Location Settings",
                       "opened:ms-settings:privacy-location",
                       "click:Try Again",
                       "visible:Try Again",
                       "gate:lifted",
                       "mark",
                       "click:Try Again",
                       "hidden:Try Again"}
        << kJoinGets << QStringList{"wlan|show|interfaces", kAddresses} << QStringList{"Ready."}
        << QStringList{};
    QTest::newRow("location off at the close: the restore says so and the window closes")
        << R"({"locationGate":true,)" + laptop(kOnHome, kHome).mid(1) << none << QList<SimFault>{}
        << QStringList{"startup", "mark", "close"} << QStringList{}
        << QStringList{"wlan|show|interfaces"} << QStringList{kGate}
        << QStringList{"Restoring the laptop's network met the location gate: Windows withholds "
                       "Wi-Fi information while location access is off."};
    QTest::newRow("location off at discovery: no further run, whatever the exit code")
        << none
        << QByteArray(
               R"({"wlan show networks":{"stdout":"Interface name : Wi-Fi\r\n\r\nHere is the URI for the Location page in the Settings app: ms-settings:privacy-location\r\nAccess is denied.\r\n"}})")
        << QList<SimFault>{} << find << QStringList{} << QStringList{kFind} << QStringList{kGate}
        << QStringList{"netsh: Interface name : Wi-Fi Here is the URI for the Location page in the "
                       "Settings app: ms-settings:privacy-location Access is denied.",
                       "Find Charger Wi-Fi met the location gate: Windows withholds Wi-Fi "
                       "information while location access is off."};
    QTest::newRow("an SSID no profile can carry is refused before netsh runs")
        << laptop(kOnHome, charger("JuiceNet\\u0002")) << none << QList<SimFault>{}
        << QStringList{"click:Find Charger Wi-Fi", "pick-charger:JuiceNet\x02", "mark",
                       "click:Connect to Selected"}
        << kJoinGets << QStringList{"wlan|show|interfaces", kAddresses}
        << QStringList{"Connecting to JuiceNet\x02...", "Connection failed."}
        << QStringList{"connectToWifi: the SSID holds U+0002, which a WLAN profile cannot carry"};
    QTest::newRow("static address and DNS keep a blank in the adapter's name whole")
        << laptop(R"({"name":"Wi-Fi 2","connectedSsid":"HomeNet"})", kHome) << none
        << QList<SimFault>{}
        << QStringList{"click:Set Static IP", "cards:10.10.10.2|N/A|N/A|"
                                              "ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"}
        << kRefreshGets
        << QStringList{"interface|ip|set|address|Wi-Fi 2|static|10.10.10.2|255.255.255.0",
                       "interface|ip|set|dns|name=Wi-Fi 2|static|10.10.10.1|primary",
                       "interface|ip|show|addresses|Wi-Fi 2"}
        << QStringList{"Static IP applied (10.10.10.2)."} << QStringList{};
    QTest::newRow("a refused static address says to run as administrator")
        << laptop(kOnHome, kHome, false) << none << QList<SimFault>{}
        << QStringList{"click:Set Static IP"} << kRefreshGets << staticNetsh << notApplied
        << QStringList{};
    QTest::newRow("a flood of netsh output is cut off and counts as no answer")
        << none
        << "{\"interface ip set address\":{\"stdout\":\"" + QByteArray(2 << 20, 'x') + "\"}}"
        << QList<SimFault>{} << QStringList{"click:Set Static IP"} << kRefreshGets << staticNetsh
        << notApplied << QStringList{};
    QTest::newRow("a static address that hangs past its 5 s bound is not applied")
        << none << QByteArray(R"({"interface ip set address Wi-Fi static":{"hangSeconds":7}})")
        << QList<SimFault>{} << QStringList{"click:Set Static IP"} << kRefreshGets << staticNetsh
        << notApplied << QStringList{};
    QTest::newRow("no adapter: no static address, and closing finds nothing to restore")
        << laptop(QString(), kHome) << none << QList<SimFault>{}
        << QStringList{"click:Set Static IP", "close"} << QStringList{}
        << QStringList{"wlan|show|interfaces"} << QStringList{"No Wi-Fi interface detected."}
        << QStringList{"restoreLaptopNetwork: no Wi-Fi interface detected."};
    QTest::newRow("closing after a join returns to DHCP and rejoins the laptop's network, even "
                  "past a disconnect that never returns")
        << none << QByteArray(R"({"wlan disconnect interface":{"hangSeconds":600}})")
        << QList<SimFault>{} << kConnect + QStringList{"mark", "close"} << QStringList{}
        << QStringList{"interface|ip|set|address|name=Wi-Fi|source=dhcp",
                       "interface|ip|set|dns|name=Wi-Fi|source=dhcp",
                       "wlan|disconnect|interface=Wi-Fi",
                       "wlan|connect|name=HomeNet|interface=Wi-Fi"}
        << QStringList{}
        << QStringList{"Laptop network restored to DHCP on interface: Wi-Fi",
                       "Reconnect requested for original SSID: HomeNet"};
    QTest::newRow("a netsh that hangs at start-up is ended at its time-out")
        << none << QByteArray(R"({"wlan show interfaces":{"hangSeconds":30}})") << QList<SimFault>{}
        << QStringList{"startup", "click:Set Static IP"} << kJoinGets
        << QStringList{"wlan|show|interfaces"}
        << QStringList{"Ready.", "No Wi-Fi interface detected."} << QStringList{};
}

void WindowNetctlTest::standInPrintsTheRealLayout()
{
    // The parsers are tested against real captures; the stand-in must print the same layout.
    testsupport::World world;
    world.writeLaptop(R"({"interfaces":[{"name":"Wi-Fi"}],"networks":[{"ssid":"HomeNet",
        "authentication":"WPA2-Personal","bssids":[{"bssid":"5e:4c:9b:8e:46:d2","signal":65}]}]})");
    QProcess netsh;
    netsh.start(QStringLiteral("netsh"), {"wlan", "show", "networks", "mode=bssid"});
    QVERIFY(netsh.waitForFinished(10000));
    QByteArray printed = netsh.readAllStandardOutput();
    const QByteArray capture =
        testsupport::readDataFile(QStringLiteral("netsh/show_networks_hidden_and_bands_crlf.txt"));
    QVERIFY(!printed.replace("\r\n", "").contains('\n'));
    for (const QByteArray label :
         {"    Network type            : ", "    Authentication          : ",
          "         Signal             : ", "    BSSID 1                 : "}) {
        QVERIFY2(capture.contains(label), label.constData());
        QVERIFY2(printed.contains(label), label.constData());
    }
}

QTEST_MAIN(WindowNetctlTest)
#include "tst_window_netctl.moc"
