// Speed of the work the wizard does on the GUI thread between charger and netsh exchanges.
// Built on demand in a Release tree:
//   cmake --build build-release --target bench_hot_paths && build-release/bench/bench_hot_paths

#include "charger_api/reply_rules.h"
#include "common/redaction.h"
#include "maintenance/maintenance_rules.h"
#include "netctl/netsh_parse.h"
#include "netctl/wlan_profile.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

#include <QFile>
#include <QtTest>

#include <functional>

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

// A row whose text repeats `line(n)` for n = 0, 1, ... until it holds one mebibyte, then
// `closing`; each line holds `namesPerLine` distinct names unless `found` says otherwise.
void addMebibyteRow(const char *name, const char *parser, const std::function<QString(int)> &line,
                    int namesPerLine, int found = -1, const QString &closing = QString())
{
    QString text;
    int lines = 0;
    while (text.size() < 1024 * 1024)
        text += line(lines++);
    QTest::newRow(name) << QString::fromLatin1(parser) << text + closing
                        << (found < 0 ? lines * namesPerLine : found);
}

QString mac(int n)
{
    return QStringLiteral("a4:2b:%1:%2:%3:%4")
        .arg(n >> 24 & 0xff, 2, 16, QLatin1Char('0'))
        .arg(n >> 16 & 0xff, 2, 16, QLatin1Char('0'))
        .arg(n >> 8 & 0xff, 2, 16, QLatin1Char('0'))
        .arg(n & 0xff, 2, 16, QLatin1Char('0'));
}

} // namespace

class HotPathBenchmark : public QObject
{
    Q_OBJECT

private slots:
    void parseMebibyte_data();
    void parseMebibyte();
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

// Replies of one mebibyte, every name distinct: each parser must stay linear in its input.
void HotPathBenchmark::parseMebibyte_data()
{
    QTest::addColumn<QString>("parser");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    const auto tableRow = [](int n) {
        return QStringLiteral("# %1 6 -%2 %3 144.4 WPA2-AES infra 0 Network %1\r\n")
            .arg(n)
            .arg(40 + n % 50)
            .arg(mac(n));
    };
    addMebibyteRow("scan table", "scan", tableRow, 1);
    addMebibyteRow("strongest row in a scan table", "target", tableRow, 1, 1);
    addMebibyteRow(
        "scan JSON", "scan",
        [](int n) {
            return QStringLiteral(R"(%1{"ssid":"Network %2","bssid":"%3","rssi":-50})")
                .arg(n ? QStringLiteral(",") : QStringLiteral("["), QString::number(n), mac(n));
        },
        1, -1, QStringLiteral("]"));
    addMebibyteRow(
        "scan key-value lines", "scan",
        [](int n) { return QStringLiteral("ssid: \"Network %1\", rssi: -50\n").arg(n); }, 1);
    // Each record's name runs on to the next record's BSSID field, so only the last one is short
    // enough to be a name.
    addMebibyteRow(
        "scan record lines", "scan",
        [](int n) {
            return QStringLiteral("ssid: Network %1 bssid: %2 channel: 6\n").arg(n).arg(mac(n));
        },
        1, 1);
    addMebibyteRow(
        "scan records on one line", "scan",
        [](int n) {
            return QStringLiteral("ssid=Network %1 bssid=%2 channel=6 ").arg(n).arg(mac(n));
        },
        0);
    addMebibyteRow(
        "netsh networks listing", "netsh",
        [](int n) {
            return QStringLiteral("SSID %1 : JuiceNet-%1\r\n    Network type            : "
                                  "Infrastructure\r\n    Authentication          : Open\r\n")
                .arg(n);
        },
        1);
    addMebibyteRow(
        "cleanup listing", "cleanup",
        [](int n) {
            return QStringLiteral("ECache_%1.dat    1024\r\nEEvents_%1.log    512\r\n").arg(n);
        },
        2);
}

void HotPathBenchmark::parseMebibyte()
{
    QFETCH(QString, parser);
    QFETCH(QString, text);
    const std::function<qsizetype()> parse = [&]() -> qsizetype {
        if (parser == u"scan")
            return provisioning::parseScanReply(text).size();
        provisioning::WlanScanRow row;
        if (parser == u"target")
            return provisioning::findTargetRow(text, QStringLiteral("network 12345"), row) ? 1 : 0;
        QStringList found;
        if (parser == u"netsh")
            netctl::parseChargerSsids(text, found);
        else
            found = maintenance::cleanupFileNames(text);
        return found.size();
    };
    qsizetype found = 0;
    QBENCHMARK
    {
        found = parse();
    }
    QTEST(int(found), "found");
}

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
        masked = common::redactSecrets(line);
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
    QFile capture(QStringLiteral(ZEPHYL_NETSH_CAPTURE));
    QVERIFY(capture.open(QIODevice::ReadOnly));
    const QString listing = QString::fromLocal8Bit(capture.readAll());
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
