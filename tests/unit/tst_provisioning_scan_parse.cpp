#include "provisioning/wifi_scan_parse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using provisioning::WlanScanRow;

class TestProvisioningScanParse : public QObject
{
    Q_OBJECT

private slots:
    void parseScanReply_data();
    void parseScanReply();
    void addCandidate_data();
    void addCandidate();
    void walkJsonPassesArrayKeysToElements();
    void findTargetRow_data();
    void findTargetRow();
};

namespace {

// One "wlan_scan -v" row: marker, index, channel, RSSI, BSSID, rate, security, mode, age, SSID.
QString scanRow(int index, int channel, int rssi, const QString &bssid, const QString &security,
                const QString &ssid)
{
    return QStringLiteral("# %1 %2 %3 %4 54.0 %5 infra 0 %6\r\n")
        .arg(QString::number(index), QString::number(channel), QString::number(rssi), bssid,
             security, ssid);
}

const QString scanHeader = QStringLiteral("# idx ch rssi bssid rate security mode age ssid\r\n");

} // namespace

void TestProvisioningScanParse::parseScanReply_data()
{
    QTest::addColumn<QString>("rawScan");
    QTest::addColumn<QStringList>("expected");

    // Scan table rows.
    QTest::newRow("scan table rows give their names in order, hidden rows skipped")
        << scanHeader +
               scanRow(1, 6, -50, QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("WPA2-AES"),
                       QStringLiteral("Home Net")) +
               scanRow(2, 11, -71, QStringLiteral("AA:BB:CC:DD:EE:02"), QStringLiteral("OPEN"),
                       QStringLiteral("<ssid hidden>")) +
               scanRow(3, 1, -80, QStringLiteral("aa:bb:cc:dd:ee:03"), QStringLiteral("WPA-TKIP"),
                       QStringLiteral("Cafe 5G"))
        << QStringList{QStringLiteral("Home Net"), QStringLiteral("Cafe 5G")};
    QTest::newRow("scan table with the same name in two cases keeps the first spelling")
        << scanRow(1, 6, -50, QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("WPA2-AES"),
                   QStringLiteral("Home")) +
               scanRow(2, 11, -40, QStringLiteral("aa:bb:cc:dd:ee:02"), QStringLiteral("WPA2-AES"),
                       QStringLiteral("HOME"))
        << QStringList{QStringLiteral("Home")};
    QTest::newRow("scan table of hidden rows only gives no names")
        << scanHeader +
               scanRow(1, 6, -50, QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("WPA2-AES"),
                       QStringLiteral("<ssid hidden>")) +
               scanRow(2, 6, -60, QStringLiteral("aa:bb:cc:dd:ee:02"), QStringLiteral("WPA2-AES"),
                       QStringLiteral("<SSID HIDDEN>"))
        << QStringList{};
    QTest::newRow("scan table of hidden rows falls through to the key-value lines after it")
        << scanRow(1, 6, -50, QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("WPA2-AES"),
                   QStringLiteral("<ssid hidden>")) +
               QStringLiteral("ssid=Backyard\r\n")
        << QStringList{QStringLiteral("Backyard")};

    // JSON documents.
    QTest::newRow("JSON array of objects gives every ssid and bssid value, member by member")
        << QStringLiteral(R"([{"ssid":"Home","bssid":"aa:bb:cc:dd:ee:01","rssi":-50},)"
                          R"({"ssid":"Cafe","bssid":"12:34:56:78:9a:bc","rssi":-70}])")
        << QStringList{QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("Home"),
                       QStringLiteral("34:56:78:9a:bc"), QStringLiteral("Cafe")};
    QTest::newRow("JSON nested objects are walked, SSID and essid keys in any case")
        << QStringLiteral(R"({"code":0,"response":{"networks":[{"SSID":"Home"},)"
                          R"({"essid":"Office","channel":6}]}})")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Office")};
    QTest::newRow("JSON array of names inherits the key of the array")
        << QStringLiteral(R"({"ssids":["Home","Guest","Office"]})")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Office")};
    QTest::newRow("JSON name members are names, other string members are not")
        << QStringLiteral(R"({"results":[{"name":"Garage","auth":"WPA2"},{"name":"OPEN"}]})")
        << QStringList{QStringLiteral("Garage")};
    QTest::newRow("JSON response member holding key-value text is read line by line")
        << QStringLiteral(
               R"({"response":"ssid=Home\nssid: \"Office Net\"\nbssid=aa:bb:cc:dd:ee:01"})")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Office Net")};
    QTest::newRow("JSON names are followed by column rows of the same reply, quote and all")
        << QStringLiteral("[{\"ssid\":\"Home\"},\n"
                          " \"Barn 6 aa:bb:cc:dd:ee:02 -60 -90 WPA2\"]\n")
        << QStringList{QStringLiteral("Home"), QStringLiteral("\"Barn")};
    QTest::newRow("JSON without any name member gives no names")
        << QStringLiteral(R"({"response":"ok","code":0})") << QStringList{};

    // Column rows: name, channel, BSSID, RSSI, noise, security.
    QTest::newRow("column rows give the first column, quotes removed")
        << QStringLiteral("SSID                 CH  BSSID              RSSI  NOISE  SECURITY\n"
                          "\"Home Net\"           6   aa:bb:cc:dd:ee:01  -50   -90    WPA2-AES\n"
                          "Office-5G            36  aa-bb-cc-dd-ee-02  -67   -92    WPA2-AES\n"
                          "Shed                 11  AABBCCDDEE03       -80   -95    NONE\n")
        << QStringList{QStringLiteral("Home Net"), QStringLiteral("Office-5G"),
                       QStringLiteral("Shed")};
    QTest::newRow("column rows with CR LF line ends lose the CR")
        << QStringLiteral("Home 6 aa:bb:cc:dd:ee:01 -50 -90 WPA2\r\n"
                          "Barn 1 aa:bb:cc:dd:ee:02 -60 -90 WPA2\r\n")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Barn")};

    // Key-value pairs.
    QTest::newRow("key-value lines give their values; bssid keys are not ssid keys")
        << QStringLiteral("ssid=Home\n"
                          "bssid=aa:bb:cc:dd:ee:01\n"
                          "SSID: \"Office Net\"\n"
                          "ssid = Cafe ,channel=6\n")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Office Net"),
                       QStringLiteral("Cafe")};

    // Records with SSID, BSSID and channel on one line.
    QTest::newRow("record on one line separated by blanks is taken up to its BSSID field")
        << QStringLiteral("ssid: Home Net bssid: aa:bb:cc:dd:ee:01 channel: 6 rssi: -50\n")
        << QStringList{QStringLiteral("Home Net")};
    QTest::newRow("record with a quoted name on one line gives the name")
        << QStringLiteral("SSID=\"Barn\" BSSID=aa-bb-cc-dd-ee-02 CHANNEL=11\n")
        << QStringList{QStringLiteral("Barn")};

    // Space-aligned columns.
    QTest::newRow("space-aligned columns give names, skipping the header and the count line")
        << QStringLiteral("Total networks found   2   (scan 0a1b2c3d4e5f)\n"
                          "SSID example      6   aa:bb:cc:dd:ee:00   header\n"
                          "\n"
                          "Home Net          6   aa:bb:cc:dd:ee:01   WPA2\n"
                          "Cafe Free WiFi    11  aabbccddee02        NONE\n"
                          "Not a row         7   no address here\n")
        << QStringList{QStringLiteral("Home Net"), QStringLiteral("Cafe Free WiFi")};

    // Nothing usable.
    QTest::newRow("unknown command reply gives no names")
        << QStringLiteral("Unknown command\r\n") << QStringList{};
    QTest::newRow("empty reply gives no names") << QString() << QStringList{};
}

void TestProvisioningScanParse::parseScanReply()
{
    QFETCH(QString, rawScan);
    QFETCH(QStringList, expected);

    QCOMPARE(provisioning::parseScanReply(rawScan), expected);
}

void TestProvisioningScanParse::addCandidate_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("rawName");
    QTest::addColumn<QStringList>("after");

    const QStringList home{QStringLiteral("Home")};

    QTest::newRow("plain name is appended")
        << QStringList{} << QStringLiteral("  Office  ") << QStringList{QStringLiteral("Office")};
    QTest::newRow("name of 32 characters is accepted")
        << QStringList{} << QString(32, QLatin1Char('a'))
        << QStringList{QString(32, QLatin1Char('a'))};
    QTest::newRow("name of 33 characters is dropped")
        << QStringList{} << QString(33, QLatin1Char('a')) << QStringList{};
    QTest::newRow("name of 31 letters and one emoji is 33 UTF-16 units and dropped")
        << QStringList{} << QString(31, QLatin1Char('a')) + QString::fromUtf8("\xF0\x9F\x98\x80")
        << QStringList{};
    QTest::newRow("list number and trailing comma are removed from 1. Home,")
        << QStringList{} << QStringLiteral("1. Home,") << home;
    QTest::newRow("2.4GHz-Net loses its leading 2. as a list number")
        << QStringList{} << QStringLiteral("2.4GHz-Net") << QStringList{QStringLiteral("4GHz-Net")};
    QTest::newRow("(2) Office loses its list number")
        << QStringList{} << QStringLiteral("(2) Office") << QStringList{QStringLiteral("Office")};
    QTest::newRow("[3] Garage loses its list number")
        << QStringList{} << QStringLiteral("[3] Garage") << QStringList{QStringLiteral("Garage")};
    QTest::newRow("only one list number goes from 12: 4- Shed")
        << QStringList{} << QStringLiteral("12: 4- Shed") << QStringList{QStringLiteral("4- Shed")};
    QTest::newRow("trailing semicolons and commas are removed")
        << QStringList{} << QStringLiteral("Home;,;") << home;
    QTest::newRow("digits only are dropped as an integer")
        << QStringList{} << QStringLiteral("12345") << QStringList{};
    QTest::newRow("minus and digits are dropped as an integer")
        << QStringList{} << QStringLiteral("-42") << QStringList{};
    QTest::newRow("three hyphens are dropped for want of a letter or digit")
        << QStringList{} << QStringLiteral("---") << QStringList{};
    QTest::newRow("letters outside ASCII alone are dropped")
        << QStringList{} << QString::fromUtf8("\xC3\xA4\xC3\xB6\xC3\xBC") << QStringList{};
    QTest::newRow("name with ASCII and other letters is kept")
        << QStringList{} << QString::fromUtf8("Caf\xC3\xA9")
        << QStringList{QString::fromUtf8("Caf\xC3\xA9")};
    QTest::newRow("Guest is dropped as a non-SSID word")
        << QStringList{} << QStringLiteral("Guest") << QStringList{};
    QTest::newRow("OPEN is dropped as a non-SSID word")
        << QStringList{} << QStringLiteral("OPEN") << QStringList{};
    QTest::newRow("wlan.scan is dropped as a non-SSID word")
        << QStringList{} << QStringLiteral("wlan.scan") << QStringList{};
    QTest::newRow("a non-SSID word with a list number is still dropped")
        << QStringList{} << QStringLiteral("3. dBm") << QStringList{};
    QTest::newRow("HOME after Home is a duplicate and the first spelling stays")
        << home << QStringLiteral("HOME") << home;
    QTest::newRow("a new name goes after the existing ones")
        << home << QStringLiteral("Barn")
        << QStringList{QStringLiteral("Home"), QStringLiteral("Barn")};
    QTest::newRow("empty text is dropped") << home << QStringLiteral("   ") << home;
}

void TestProvisioningScanParse::addCandidate()
{
    QFETCH(QStringList, before);
    QFETCH(QString, rawName);
    QFETCH(QStringList, after);

    QStringList candidates = before;
    provisioning::addCandidate(candidates, rawName);
    QCOMPARE(candidates, after);
}

void TestProvisioningScanParse::walkJsonPassesArrayKeysToElements()
{
    // A top-level array under a "name"-like key passed by the caller: every element is a name.
    QStringList candidates;
    const QJsonDocument document = QJsonDocument::fromJson(R"(["Home", 5, null, "Barn"])");
    provisioning::walkJson(QJsonValue(document.array()), QStringLiteral("Name"), candidates);
    QCOMPARE(candidates, (QStringList{QStringLiteral("Home"), QStringLiteral("Barn")}));

    candidates.clear();
    provisioning::walkJson(QJsonValue(document.array()), QStringLiteral("auth"), candidates);
    QCOMPARE(candidates, QStringList{});
}

void TestProvisioningScanParse::findTargetRow_data()
{
    QTest::addColumn<QString>("scanText");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("bssid");
    QTest::addColumn<QString>("security");

    const QString a1 = QStringLiteral("aa:bb:cc:dd:ee:01");
    const QString a2 = QStringLiteral("aa:bb:cc:dd:ee:02");
    const QString a3 = QStringLiteral("aa:bb:cc:dd:ee:03");
    const QString wpa2 = QStringLiteral("WPA2-AES");
    const QString home = QStringLiteral("Home");

    QTest::newRow("same SSID at -70 and -50 keeps -50")
        << scanHeader + scanRow(1, 6, -70, a1, wpa2, home) +
               scanRow(2, 11, -50, a2, QStringLiteral("wpa2-aes-mixed"), home) +
               scanRow(3, 1, -40, a3, wpa2, QStringLiteral("Neighbour"))
        << home << true << QStringLiteral("11") << -50 << a2 << QStringLiteral("wpa2-aes-mixed");
    QTest::newRow("same SSID at equal RSSI keeps the first row")
        << scanRow(1, 6, -60, a1, wpa2, home) + scanRow(2, 11, -60, a2, wpa2, home) << home << true
        << QStringLiteral("6") << -60 << a1 << wpa2;
    QTest::newRow("SSID typed in another case is found")
        << scanRow(1, 6, -60, a1, wpa2, QStringLiteral("Home")) << QStringLiteral("hOME") << true
        << QStringLiteral("6") << -60 << a1 << wpa2;
    QTest::newRow("SSID with blanks and trailing blanks in the table is found")
        << scanRow(1, 36, -55, a3, QStringLiteral("OPEN"), QStringLiteral("My Home Net   "))
        << QStringLiteral("My Home Net") << true << QStringLiteral("36") << -55 << a3
        << QStringLiteral("OPEN");
    QTest::newRow("SSID that is only part of a row's name is not found")
        << scanRow(1, 6, -60, a1, wpa2, QStringLiteral("Home Net")) << home << false << QString()
        << -999 << QString() << QString();
    QTest::newRow("SSID that is not in the table is not found")
        << scanRow(1, 6, -60, a1, wpa2, QStringLiteral("Office")) << home << false << QString()
        << -999 << QString() << QString();
    QTest::newRow("row at -999 is never taken")
        << scanRow(1, 6, -999, a1, wpa2, home) << home << false << QString() << -999 << QString()
        << QString();
    QTest::newRow("row at -999 loses to a later row at -998")
        << scanRow(1, 6, -999, a1, wpa2, home) + scanRow(2, 11, -998, a2, wpa2, home) << home
        << true << QStringLiteral("11") << -998 << a2 << wpa2;
    QTest::newRow("hidden rows do not match an empty SSID")
        << scanRow(1, 6, -60, a1, wpa2, QStringLiteral("<ssid hidden>")) << QString() << false
        << QString() << -999 << QString() << QString();
    QTest::newRow("reply without table rows finds nothing")
        << QStringLiteral("Unknown command") << home << false << QString() << -999 << QString()
        << QString();
}

void TestProvisioningScanParse::findTargetRow()
{
    QFETCH(QString, scanText);
    QFETCH(QString, ssid);
    QFETCH(bool, found);
    QFETCH(QString, channel);
    QFETCH(int, rssi);
    QFETCH(QString, bssid);
    QFETCH(QString, security);

    WlanScanRow row;
    QCOMPARE(provisioning::findTargetRow(scanText, ssid, row), found);
    QCOMPARE(row.channel, channel);
    QCOMPARE(row.rssi, rssi);
    QCOMPARE(row.bssid, bssid);
    QCOMPARE(row.security, security);
}

QTEST_APPLESS_MAIN(TestProvisioningScanParse)
#include "tst_provisioning_scan_parse.moc"
