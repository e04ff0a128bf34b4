#include "netctl/netsh_parse.h"
#include "test_paths.h"

#include <QTest>

namespace {

// netsh output is decoded with the local 8-bit code page, as the product does.
QString fixture(const QString &name)
{
    return QString::fromLocal8Bit(testsupport::readDataFile(QStringLiteral("netsh/") + name));
}

} // namespace

class TestNetctlParse : public QObject
{
    Q_OBJECT

private slots:
    void interfaceName_data();
    void interfaceName();
    void currentSsid_data();
    void currentSsid();
    void chargerSsids_data();
    void chargerSsids();
    void firstDottedQuad_data();
    void firstDottedQuad();
    void connectJudgement_data();
    void connectJudgement();
    void chargerSsidPrefix_data();
    void chargerSsidPrefix();
};

void TestNetctlParse::interfaceName_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a CR LF capture yields the name without its carriage return or alignment")
        << fixture(QStringLiteral("show_interfaces_connected_crlf.txt")) << QStringLiteral("Wi-Fi");
    QTest::newRow("the same capture with LF line ends yields the same name")
        << fixture(QStringLiteral("show_interfaces_connected.txt")) << QStringLiteral("Wi-Fi");
    QTest::newRow("a disconnected adapter still has its name")
        << fixture(QStringLiteral("show_interfaces_disconnected_crlf.txt"))
        << QStringLiteral("WiFi");
    QTest::newRow("trailing blanks of the newer layout are dropped")
        << fixture(QStringLiteral("show_interfaces_newer_layout_crlf.txt"))
        << QStringLiteral("Wi-Fi");
    QTest::newRow("with two adapters the first one listed wins")
        << fixture(QStringLiteral("show_interfaces_two_adapters_crlf.txt"))
        << QStringLiteral("Wi-Fi");
    QTest::newRow("a first adapter named with a blank keeps the blank")
        << fixture(QStringLiteral("show_interfaces_first_name_with_blank_crlf.txt"))
        << QStringLiteral("Wi-Fi 2");
    QTest::newRow("an empty Name value does not take the Description line below it")
        << fixture(QStringLiteral("show_interfaces_empty_name_value_crlf.txt")) << QString();
    QTest::newRow("a stopped WLAN service means no interface")
        << fixture(QStringLiteral("wlan_service_stopped_crlf.txt")) << QString();
    QTest::newRow("the Interface name line of a networks listing is not a Name label")
        << fixture(QStringLiteral("show_networks_two_interfaces_crlf.txt")) << QString();
    QTest::newRow("no output means no interface") << QString() << QString();
}

void TestNetctlParse::interfaceName()
{
    QFETCH(QString, output);
    QFETCH(QString, expected);
    QCOMPARE(netctl::parseInterfaceName(output), expected);
}

void TestNetctlParse::currentSsid_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    QTest::newRow("an SSID line followed by a BSSID line yields the SSID")
        << fixture(QStringLiteral("show_interfaces_connected_crlf.txt"))
        << QStringLiteral("LUO-PC_Network");
    QTest::newRow("the LF capture yields the same SSID")
        << fixture(QStringLiteral("show_interfaces_connected.txt"))
        << QStringLiteral("LUO-PC_Network");
    QTest::newRow("the newer layout yields the SSID without trailing blanks")
        << fixture(QStringLiteral("show_interfaces_newer_layout_crlf.txt"))
        << QStringLiteral("7-Deco-B71C-MLO");
    QTest::newRow("the Windows 11 layout with AP BSSID and colocated APs yields the SSID")
        << fixture(QStringLiteral("show_interfaces_two_adapters_crlf.txt"))
        << QStringLiteral("alextrex");
    QTest::newRow("a disconnected adapter prints no SSID line")
        << fixture(QStringLiteral("show_interfaces_disconnected_crlf.txt")) << QString();
    QTest::newRow("only BSSID lines yield nothing")
        << fixture(QStringLiteral("show_interfaces_bssid_only_crlf.txt")) << QString();
    QTest::newRow("an empty SSID value followed by AP BSSID yields nothing")
        << fixture(QStringLiteral("show_interfaces_empty_ssid_value.txt")) << QString();
    QTest::newRow("a charger network is reported as it is")
        << fixture(QStringLiteral("show_interfaces_first_name_with_blank_crlf.txt"))
        << QStringLiteral("JuiceNet-7F2A");
    QTest::newRow("a stopped WLAN service means no network")
        << fixture(QStringLiteral("wlan_service_stopped_crlf.txt")) << QString();
}

void TestNetctlParse::currentSsid()
{
    QFETCH(QString, output);
    QFETCH(QString, expected);
    QCOMPARE(netctl::parseCurrentSsid(output), expected);
}

void TestNetctlParse::chargerSsids_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("two adapters: first spelling kept, MyJuiceNet and hidden left out, order kept")
        << fixture(QStringLiteral("show_networks_chargers_two_adapters_crlf.txt")) << QStringList()
        << QStringList{QStringLiteral("JuiceNet-7F2A"), QStringLiteral("juicenet-01B3"),
                       QStringLiteral("JuiceNet-C0DE")};
    QTest::newRow("an earlier pass's entries stay first and block their other spellings")
        << fixture(QStringLiteral("show_networks_chargers_two_adapters_crlf.txt"))
        << QStringList{QStringLiteral("JUICENET-C0DE")}
        << QStringList{QStringLiteral("JUICENET-C0DE"), QStringLiteral("JuiceNet-7F2A"),
                       QStringLiteral("juicenet-01B3")};
    QTest::newRow("an empty hidden network line does not swallow the charger line after it")
        << fixture(QStringLiteral("show_networks_hidden_crlf.txt")) << QStringList()
        << QStringList{QStringLiteral("JuiceNet-7F2A")};
    QTest::newRow("a real listing with a hidden network and no charger yields nothing")
        << fixture(QStringLiteral("show_networks_hidden_and_bands_crlf.txt")) << QStringList()
        << QStringList();
    QTest::newRow("a real listing of two interfaces without a charger yields nothing")
        << fixture(QStringLiteral("show_networks_two_interfaces.txt")) << QStringList()
        << QStringList();
    QTest::newRow("the numbered lines of a real listing are read, not the BSSID lines")
        << fixture(QStringLiteral("show_networks_legacy_crlf.txt"))
               .replace(QStringLiteral("Remote_Guest"), QStringLiteral("JuiceNet-Guest"))
        << QStringList() << QStringList{QStringLiteral("JuiceNet-Guest")};
    QTest::newRow("a stopped WLAN service yields nothing")
        << fixture(QStringLiteral("wlan_service_stopped_crlf.txt")) << QStringList()
        << QStringList();
}

void TestNetctlParse::chargerSsids()
{
    QFETCH(QString, output);
    QFETCH(QStringList, before);
    QFETCH(QStringList, expected);
    QStringList found = before;
    netctl::parseChargerSsids(output, found);
    QCOMPARE(found, expected);
}

void TestNetctlParse::firstDottedQuad_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("expected");

    QTest::newRow("a DHCP interface shows its leased address")
        << fixture(QStringLiteral("show_addresses_dhcp_crlf.txt"))
        << QStringLiteral("192.168.50.40");
    QTest::newRow("a DHCP interface with LF line ends shows the same address")
        << fixture(QStringLiteral("show_addresses_dhcp.txt")) << QStringLiteral("192.168.50.40");
    QTest::newRow("a static interface shows its address before its subnet")
        << fixture(QStringLiteral("show_addresses_static_crlf.txt")) << QStringLiteral("10.1.1.2");
    QTest::newRow("an unaddressed interface yields nothing")
        << fixture(QStringLiteral("show_addresses_none_crlf.txt")) << QString();
    QTest::newRow("no output yields nothing") << QString() << QString();
}

void TestNetctlParse::firstDottedQuad()
{
    QFETCH(QString, output);
    QFETCH(QString, expected);
    QCOMPARE(netctl::parseFirstDottedQuad(output), expected);
}

void TestNetctlParse::connectJudgement_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("expected");

    QTest::newRow("completed successfully counts")
        << QStringLiteral("Connection request was completed successfully.\r\n\r\n") << true;
    QTest::newRow("completed successfully in capitals counts")
        << QStringLiteral("CONNECTION REQUEST WAS COMPLETED SUCCESSFULLY.") << true;
    QTest::newRow("success after a line end counts")
        << QStringLiteral("Warning\r\nSuccess") << true;
    QTest::newRow("unsuccessful does not count")
        << QStringLiteral("The connection attempt was unsuccessful.\r\n") << false;
    QTest::newRow("a profile name containing Success does not count")
        << QStringLiteral(
               "There is no profile \"NoSuccessNet\" assigned to the specified interface.\r\n")
        << false;
    QTest::newRow("a network out of range does not count")
        << QStringLiteral(
               "The network specified by profile \"JuiceNet-7F2A\" is not available to connect.")
        << false;
    QTest::newRow("a stopped WLAN service does not count")
        << fixture(QStringLiteral("wlan_service_stopped_crlf.txt")) << false;
    QTest::newRow("no output does not count") << QString() << false;
}

void TestNetctlParse::connectJudgement()
{
    QFETCH(QString, output);
    QFETCH(bool, expected);
    QCOMPARE(netctl::connectSucceeded(output), expected);
}

void TestNetctlParse::chargerSsidPrefix_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<bool>("expected");

    QTest::newRow("JuiceNet followed by an id is a charger")
        << QStringLiteral("JuiceNet-7F2A") << true;
    QTest::newRow("any letter case is a charger") << QStringLiteral("jUICEnET_01") << true;
    QTest::newRow("JuiceNet inside a name is not a charger")
        << QStringLiteral("MyJuiceNet") << false;
    QTest::newRow("Juice Net with a blank is not a charger")
        << QStringLiteral("Juice Net 1") << false;
    QTest::newRow("an empty SSID is not a charger") << QString() << false;
}

void TestNetctlParse::chargerSsidPrefix()
{
    QFETCH(QString, ssid);
    QFETCH(bool, expected);
    QCOMPARE(netctl::isChargerSsid(ssid), expected);
}

QTEST_GUILESS_MAIN(TestNetctlParse)
#include "tst_netctl_parse.moc"
