#include "provisioning/wifi_scan_parse.h"

#include <QTest>

namespace {

// One "wlan_scan -v" row: marker, index, channel, RSSI, BSSID ending in `mac`, rate, security,
// mode, age, SSID.
QString scanRow(int channel, int rssi, int mac, const QString &ssid,
                const char *security = "WPA2-AES")
{
    return QStringLiteral("# 1 %1 %2 aa:bb:cc:dd:ee:%3 54.0 %4 infra 0 %5\r\n")
        .arg(channel)
        .arg(rssi)
        .arg(mac, 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(security), ssid);
}

const QString lone(QChar(0xD800));
const QString replaced(QChar(QChar::ReplacementCharacter));

} // namespace

class TestProvisioningScan : public QObject
{
    Q_OBJECT

private slots:
    void parseScanReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("names");
        const QString head = "# idx ch rssi bssid rate security mode age ssid\r\n";
        QTest::newRow("table: names in order, hidden rows skipped")
            << head + scanRow(6, -50, 1, "Home Net") + scanRow(1, -71, 2, "<SSID hidden>") +
                   scanRow(1, -80, 3, "Cafe 5G")
            << "Home Net|Cafe 5G";
        QTest::newRow("table: an empty SSID swallows no next row")
            << scanRow(6, -50, 1, "") + scanRow(6, -60, 2, "Home") << "Home";
        QTest::newRow("table: names are taken exactly, HOME after Home is none")
            << scanRow(6, -50, 1, "2.4GHz-Net") + scanRow(1, -60, 2, "(2) Shed,") +
                   scanRow(1, -60, 3, "Home") + scanRow(1, -60, 4, "HOME")
            << "2.4GHz-Net|(2) Shed,|Home";
        QTest::newRow("table: half a surrogate pair hides no row")
            << scanRow(6, -50, 1, "Caf" + lone) + scanRow(1, -60, 2, "Home")
            << "Caf" + replaced + "|Home";
        QTest::newRow("table: '#' may touch the index; broken rows are none")
            << "#1 6 -50 aa:bb:cc:dd:ee:01 54.0 WPA2 infra 0 Glued\n"
               "# 1 6 -50 aa:bb:cc:dd:ee:0g 54.0 WPA2 infra 0 BadMac\n"
               "# 1 6 -50 aa:bb:cc:dd:ee:01 54.a WPA2 infra 0 BadRate\n"
               "# 1 6 -50 aa:bb:cc:dd:ee:01 54.0 WPA2 infra x BadAge\n"
            << "Glued";
        QTest::newRow("table: hidden rows only fall through")
            << scanRow(6, -50, 1, "<ssid hidden>") + "ssid=Backyard\r\n"
            << "Backyard";
        QTest::newRow("JSON: ssid values exactly, never bssid values")
            << "[{\"ssid\":\"2.4GHz-Net\",\"bssid\":\"12:34:56:78:9a:bc\"},"
               "{\"SSID\":\"Home\"},{\"ESSID\":\"Office\"}]"
            << "2.4GHz-Net|Home|Office";
        QTest::newRow("JSON: arrays pass their key on; name counts, others not")
            << "{\"ssids\":[\"Home\",\"Guest\"],"
               "\"results\":[{\"name\":\"Garage\",\"auth\":\"WPA2\"}]}"
            << "Garage|Home";
        QTest::newRow("JSON: response text is read as key-value lines")
            << "{\"response\":\"ssid=Home\\nssid: \\\"Office Net\\\"\\nbssid=aa:bb:cc:dd:ee:01\"}"
            << "Home|Office Net";
        QTest::newRow("JSON: column rows of the same reply follow")
            << "[{\"ssid\":\"Home\"},\n \"Barn 6 aa:bb:cc:dd:ee:02 -60 -90 WPA2\"]\n"
            << "Home|\"Barn";
        QTest::newRow("columns: first column, quotes removed")
            << "SSID CH BSSID RSSI NOISE SEC\n"
               "\"Home Net\"  6  aa:bb:cc:dd:ee:01 -50 -90 WPA2\n"
               "Office 36 aa-bb-cc-dd-ee-02 -67 -92 WPA2\r\n"
               "Shed 11 AABBCCDDEE03 -80 -95 NONE\n"
            << "Home Net|Office|Shed";
        QTest::newRow("columns: a row missing its last column swallows no next")
            << "Home 6 aa:bb:cc:dd:ee:01 -50 -90\n"
               "Barn 6 aa:bb:cc:dd:ee:02 -60 -90 WPA2\n"
            << "Barn";
        QTest::newRow("key-value: list numbers and separators go; bssid is no key")
            << "ssid=1. Home;,\nbssid=aa:bb:cc:dd:ee:01\nSSID: \"(2) Office\"\n"
               "ssid = [3] HOME\nssid=12: 4- Shed\nssid=3. dBm\nssid=WLAN.scan\n"
            << "Home|Office|4- Shed";
        QTest::newRow("key-value: free text still loses a list number") << "ssid=2.4GHz-Net\n"
                                                                        << "4GHz-Net";
        QTest::newRow("record: one line is taken up to its BSSID field")
            << "ssid: Home Net bssid: aa:bb:cc:dd:ee:01 channel: 6 rssi: -50\n"
            << "Home Net";
        QTest::newRow("aligned: names beside a channel and a MAC; header, count skipped")
            << "Total networks found   2   (0a1b2c3d4e5f)\n"
               "SSID x      6   aa:bb:cc:dd:ee:00\n\n"
               "Home Net   6   aa:bb:cc:dd:ee:01   WPA2\n"
               "Cafe Wifi  11  aabbccddee02  NONE\n"
               "Not a row  7   no address\n"
            << "Home Net|Cafe Wifi";
        QTest::newRow("an unknown command gives nothing") << "Unknown command\r\n"
                                                          << "";
    }

    void parseScanReply()
    {
        QFETCH(QString, reply);
        QFETCH(QString, names);
        QCOMPARE(provisioning::parseScanReply(reply), names.split(u'|', Qt::SkipEmptyParts));
    }

    void plausibleSsid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plausible");
        QTest::newRow("32 units") << QString(32, u'a') << true;
        QTest::newRow("digits are an integer") << "12345" << false;
        QTest::newRow("minus and digits are an integer") << "-42" << false;
        QTest::newRow("a hyphen between digits is no integer") << "4-2" << true;
        QTest::newRow("no ASCII letter or digit")
            << QString::fromUtf8("--\xC3\xA4\xC3\xB6") << false;
        QTest::newRow("an ASCII letter among others") << QString::fromUtf8("Caf\xC3\xA9") << true;
        QTest::newRow("Guest in capitals is a non-SSID word") << "GUEST" << false;
        QTest::newRow("wlan.scan is a non-SSID word") << "wlan.scan" << false;
        QTest::newRow("a word that only starts like one") << "scanner" << true;
    }

    void plausibleSsid()
    {
        QFETCH(QString, text);
        QTEST(provisioning::isPlausibleSsid(text), "plausible");
    }

    void findTargetRow_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("ssid");
        QTest::addColumn<QString>("row");
        QTest::newRow("-70 and -50 keeps -50")
            << scanRow(6, -70, 1, "Home") + scanRow(11, -50, 2, "Home", "wpa2-mixed") +
                   scanRow(1, -40, 3, "Other")
            << "Home"
            << "11 -50 aa:bb:cc:dd:ee:02 wpa2-mixed";
        QTest::newRow("equal RSSI keeps the first")
            << scanRow(6, -60, 1, "Home") + scanRow(11, -60, 2, "Home") << "Home"
            << "6 -60 aa:bb:cc:dd:ee:01 WPA2-AES";
        QTest::newRow("letter case is ignored, trailing blanks dropped")
            << scanRow(36, -55, 3, "My Home   ", "OPEN") << "mY hOME"
            << "36 -55 aa:bb:cc:dd:ee:03 OPEN";
        QTest::newRow("-999 is never taken, -998 is")
            << scanRow(6, -999, 1, "Home") + scanRow(11, -998, 2, "Home") << "Home"
            << "11 -998 aa:bb:cc:dd:ee:02 WPA2-AES";
        QTest::newRow("an empty SSID row swallows no next row")
            << scanRow(6, -50, 1, "") + scanRow(1, -60, 2, "Home") << "Home"
            << "1 -60 aa:bb:cc:dd:ee:02 WPA2-AES";
        QTest::newRow("half a surrogate pair hides no row")
            << "x" + lone + "\r\n" + scanRow(6, -50, 1, "Home") << "Home"
            << "6 -50 aa:bb:cc:dd:ee:01 WPA2-AES";
    }

    void findTargetRow()
    {
        QFETCH(QString, scan);
        QFETCH(QString, ssid);
        provisioning::WlanScanRow row;
        const bool found = provisioning::findTargetRow(scan, ssid, row);
        const QString fields = QStringLiteral("%1 %2 %3 %4")
                                   .arg(row.channel)
                                   .arg(row.rssi)
                                   .arg(row.bssid, row.security);
        QTEST(found ? fields : QString(), "row");
        QCOMPARE(row.ssid.isEmpty(), !found);
    }
};

QTEST_APPLESS_MAIN(TestProvisioningScan)
#include "tst_provisioning_scan.moc"
