// Speed of the work the wizard does on the GUI thread between charger and netsh exchanges.
// Built on demand: cmake --build build --target bench_hot_paths && build/tests/bench_hot_paths

#include "app/setup_log_format.h"
#include "charger_api/reply_rules.h"
#include "netctl/netsh_parse.h"
#include "netctl/wlan_profile.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"
#include "test_paths.h"

#include <QtTest>

namespace {

// A charger scan of `rows` networks in the "wlan_scan -v" table layout.
QString scanTable(int rows)
{
    QString text = QStringLiteral("# idx ch rssi bssid rate security mode age ssid\r\n");
    for (int row = 0; row < rows; ++row) {
        text +=
            QStringLiteral("# %1 %2 -%3 a4:2b:b0:11:%4:%5 144.4 WPA2-AES infra 0 Network %1\r\n")
                .arg(row)
                .arg(1 + row % 11)
                .arg(40 + row % 50)
                .arg(row / 256, 2, 16, QLatin1Char('0'))
                .arg(row % 256, 2, 16, QLatin1Char('0'));
    }
    return text;
}

} // namespace

class HotPathBenchmark : public QObject
{
    Q_OBJECT

private slots:
    void parseScanTable_data();
    void parseScanTable();
    void parseSpaceAlignedColumns();
    void findStrongestRow();
    void deriveKey();
    void redactLogLine();
    void judgeReply();
    void parseNetworksListing();
    void buildProfile();
};

void HotPathBenchmark::parseScanTable_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("20 networks") << 20;
    QTest::newRow("200 networks") << 200;
}

void HotPathBenchmark::parseScanTable()
{
    QFETCH(int, rows);
    const QString scan = scanTable(rows);
    QStringList names;
    QBENCHMARK
    {
        names = provisioning::parseScanReply(scan);
    }
    QCOMPARE(names.size(), rows);
}

void HotPathBenchmark::parseSpaceAlignedColumns()
{
    // No table, JSON, column, key=value or record match: every stage runs before the last one.
    QString text = QStringLiteral("SSID            CH   MAC                 SECURITY\n");
    for (int row = 0; row < 50; ++row)
        text += QStringLiteral("Shop %1        6    a4:2b:b0:11:22:%2   WPA2\n")
                    .arg(row)
                    .arg(row, 2, 16, QLatin1Char('0'));
    QStringList names;
    QBENCHMARK
    {
        names = provisioning::parseScanReply(text);
    }
    QCOMPARE(names.size(), 50);
}

void HotPathBenchmark::findStrongestRow()
{
    const QString scan = scanTable(200);
    provisioning::WlanScanRow row;
    bool found = false;
    QBENCHMARK
    {
        found = provisioning::findTargetRow(scan, QStringLiteral("network 199"), row);
    }
    QVERIFY(found);
}

void HotPathBenchmark::deriveKey()
{
    QString key;
    QBENCHMARK
    {
        key =
            provisioning::deriveWpaPsk(QStringLiteral("correct horse"), QStringLiteral("HomeNet"));
    }
    QCOMPARE(key.size(), 64);
}

void HotPathBenchmark::redactLogLine()
{
    const QString line = QStringLiteral("CMD set wlan.passkey [REDACTED] -> httpOk=1 cmdOk=1 "
                                        "response=set wlan.passkey \"a b c\" ok");
    QString masked;
    QBENCHMARK
    {
        masked = app::redactSecrets(line);
    }
    QVERIFY(!masked.contains(QLatin1String("a b c")));
}

void HotPathBenchmark::judgeReply()
{
    const QString reply = QStringLiteral("  Factory reset: OK (token 0x1f, usage none)  ");
    bool accepted = true;
    QBENCHMARK
    {
        accepted = charger_api::runCommandAccepted(true, reply);
    }
    QVERIFY(!accepted);
}

void HotPathBenchmark::parseNetworksListing()
{
    const QString listing = QString::fromLocal8Bit(
        testsupport::readDataFile(QStringLiteral("netsh/show_networks_legacy_crlf.txt")));
    QStringList found;
    QBENCHMARK
    {
        found.clear();
        netctl::parseChargerSsids(listing, found);
    }
    QVERIFY(found.isEmpty());
}

void HotPathBenchmark::buildProfile()
{
    QString xml;
    QBENCHMARK
    {
        xml = netctl::openNetworkProfileXml(QStringLiteral("JuiceNet-1A2B <&>"));
    }
    QVERIFY(xml.contains(QLatin1String("&lt;&amp;&gt;")));
}

QTEST_APPLESS_MAIN(HotPathBenchmark)
#include "bench_hot_paths.moc"
