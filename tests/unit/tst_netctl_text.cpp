#include "netctl/netsh_parse.h"
#include "netctl/wlan_profile.h"
#include "test_paths.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>

namespace {

// A netsh capture, decoded with the local 8-bit code page as the product does.
QString cap(const QString &name)
{
    const QString path = QStringLiteral("netsh/show_%1.txt").arg(name);
    return QString::fromLocal8Bit(testsupport::readDataFile(path));
}

// What one parser makes of `output`; "chargers+" starts from an earlier pass's JUICENET-C0DE,
// "guid:X" reads the GUID of interface X.
QString parsed(const QString &parser, const QString &output)
{
    if (parser.startsWith(u"guid:"))
        return netctl::parseInterfaceGuid(output, parser.mid(5));
    if (parser == u"name")
        return netctl::parseInterfaceName(output);
    if (parser == u"ssid")
        return netctl::parseCurrentSsid(output);
    if (parser == u"address")
        return netctl::parseFirstDottedQuad(output);
    QStringList reports;
    for (const netctl::InterfaceReport &report : netctl::parseInterfaces(output))
        reports << report.name + u'/' + report.state + u'/' + report.ssid;
    if (parser == u"interfaces")
        return reports.join(u'|');
    QStringList found;
    if (parser == u"chargers+")
        found << "JUICENET-C0DE";
    netctl::parseChargerSsids(output, found);
    return found.join(u'|');
}

void row(const char *parser, const QString &name, const QString &output, const QString &expected)
{
    QTest::newRow(qPrintable(name)) << QString::fromLatin1(parser) << output << expected;
}

// xmllint's verdict on a document against the shipped WLANProfile schema.
bool matchesSchema(const QString &xml)
{
    QTemporaryFile file;
    QProcess lint;
    if (file.open() && file.write(xml.toUtf8()) > 0 && file.flush())
        lint.start("xmllint",
                   {"--noout", "--schema", testsupport::dataFilePath("netsh/WLAN_profile_v1.xsd"),
                    file.fileName()});
    return lint.waitForFinished(10000) && lint.exitCode() == 0;
}

} // namespace

class TestNetctlText : public QObject
{
    Q_OBJECT

private slots:
    // clang-format off
    void parsers_data()
    {
        QTest::addColumn<QString>("parser");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("expected");
        const QString lone(QChar(0xD800));
        row("name", "CR LF: no CR, no alignment", cap("interfaces_connected_crlf"), "Wi-Fi");
        row("name", "the first adapter, blank kept", cap("interfaces_first_name_with_blank_crlf"), "Wi-Fi 2");
        row("name", "an empty value takes no next line", cap("interfaces_empty_name_value_crlf"), "");
        row("name", "Interface name is no Name label", cap("networks_two_interfaces_crlf"), "");
        row("guid:Wi-Fi 3", "the named adapter's block, the second of two", cap("interfaces_two_adapters_crlf"), "4cc5eb0f-c926-4910-a135-57a0707d49ef");
        row("guid:Wi-Fi", "Wi-Fi is not Wi-Fi 2: the later block's", cap("interfaces_first_name_with_blank_crlf"), "6947e285-cbb3-4da9-a1f8-1e37ec485c3e");
        row("guid:Wi-Fi", "a translated name label begins the block", "Nom : Wi-Fi\r\nGUID : 1a-2b\r\n", "1a-2b");
        row("guid:A", "no GUID in its block: not the next adapter's", "Name : A\r\nState : up\r\nName : B\r\nGUID : 1a-2b", "");
        row("ssid", "SSID before BSSID: the SSID", cap("interfaces_connected_crlf"), "LUO-PC_Network");
        row("ssid", "LF, trailing blanks go", cap("interfaces_newer_layout"), "7-Deco-B71C-MLO");
        row("ssid", "AP BSSID, colocated APs: no SSID", cap("interfaces_two_adapters_crlf"), "alextrex");
        row("ssid", "an empty value takes no AP BSSID", cap("interfaces_empty_ssid_value"), "");
        row("ssid", "a value starting BSSID is skipped", " SSID : bssid x\r\n SSID : Home", "Home");
        row("chargers", "once, first spelling, in order; no MyJuiceNet, no hidden",
            cap("networks_chargers_two_adapters_crlf"), "JuiceNet-7F2A|juicenet-01B3|JuiceNet-C0DE");
        row("chargers+", "an earlier pass's entry stays first, blocks its other spelling",
            cap("networks_chargers_two_adapters_crlf"), "JUICENET-C0DE|JuiceNet-7F2A|juicenet-01B3");
        row("chargers", "an empty hidden line swallows no next", cap("networks_hidden_crlf"), "JuiceNet-7F2A");
        row("chargers", "LF: numbered lines are read, not BSSID lines",
            cap("networks_legacy").replace("Remote_Guest", "JuiceNet-G"), "JuiceNet-G");
        row("chargers", "half a surrogate pair is a character; tabs align",
            "SSID 1 : JuiceNet-" + lone + "\r\nSSID\t2\t:\tJuiceNet-B", "JuiceNet-" + lone + "|JuiceNet-B");
        row("address", "DHCP: the leased address", cap("addresses_dhcp_crlf"), "192.168.50.40");
        row("address", "LF, static: address before mask", cap("addresses_static"), "10.1.1.2");
        row("address", "four digits: the quad starts one later", "v1234.5.6.7890", "234.5.6.789");
        row("interfaces", "each adapter's name, state and SSID", cap("interfaces_two_adapters_crlf"), "Wi-Fi/connected/alextrex|Wi-Fi 3/disconnected/");
        // Translated builds, written from what they are known to print (tests/data/README.md).
        for (const QStringList &l : QList<QStringList>{{"de", "German", "WLAN", "10.10.10.2"}, {"fr", "French", "Wi-Fi", "192.168.1.23"},
                                                       {"es", "Spanish", "Wi-Fi", "192.168.1.23"}, {"it", "Italian", "Wi-Fi", "192.168.1.23"},
                                                       {"zh", "Chinese", "WLAN", "10.10.10.2"}}) {
            row("name", l[1] + ": the adapter's name", cap("interfaces_" + l[0] + "_crlf"), l[2]);
            row("ssid", l[1] + ": the current SSID", cap("interfaces_" + l[0] + "_crlf"), "JuiceNet-7F2A");
            row("chargers", l[1] + ": the charger network", cap("networks_" + l[0] + "_crlf"), "JuiceNet-7F2A");
            row("address", l[1] + ": the laptop's address", cap("addresses_" + l[0] + "_crlf"), l[3]);
        }
        row("interfaces", "German: the state as printed", cap("interfaces_de_crlf"), "WLAN/Verbunden/JuiceNet-7F2A");
        row("interfaces", "unknown language: the first label names each adapter, no state",
            cap("interfaces_unknown_language_crlf"), QStringLiteral("Sendrata reto \u0109efa//JuiceNet-7F2A|Sendrata reto 2//"));
        row("ssid", "unknown language: U+202F around the colon", cap("interfaces_unknown_language_crlf"), "JuiceNet-7F2A");
        row("chargers", "unknown language: tabs and U+202F around the colon", cap("networks_unknown_language_crlf"), "JuiceNet-7F2A");
    }
    // clang-format on

    void parsers()
    {
        QFETCH(QString, parser);
        QFETCH(QString, output);
        QTEST(parsed(parser, output), "expected");
    }

    void profileDocument()
    {
        const QString xml = netctl::openNetworkProfileXml("JuiceNet-7F2A");
        QCOMPARE(xml, QStringLiteral(
                          "<?xml version=\"1.0\"?><WLANProfile "
                          "xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\"><name>"
                          "JuiceNet-7F2A</name><SSIDConfig><SSID><name>JuiceNet-7F2A</name></SSID>"
                          "<nonBroadcast>false</nonBroadcast></SSIDConfig><connectionType>ESS"
                          "</connectionType><connectionMode>manual</connectionMode><MSM><security>"
                          "<authEncryption><authentication>open</authentication><encryption>none"
                          "</encryption><useOneX>false</useOneX></authEncryption></security></MSM>"
                          "</WLANProfile>"));
        // Which SSIDs a profile carries and that both names read back is the fuzz target's.
        QCOMPARE(netctl::profileSsidRefusal(QString(QChar(0xFFFE))),
                 QStringLiteral("the SSID holds U+FFFE, which a WLAN profile cannot carry"));
        if (QStandardPaths::findExecutable("xmllint").isEmpty())
            QSKIP("xmllint is not installed (package libxml2-utils)");
        QVERIFY(matchesSchema(netctl::openNetworkProfileXml("JuiceNet</name>&\"'\r")));
        // The check itself sees a value the schema does not allow.
        QVERIFY(!matchesSchema(QString(xml).replace(">ESS<", ">BSS<")));
    }
};

QTEST_GUILESS_MAIN(TestNetctlText)
#include "tst_netctl_text.moc"
