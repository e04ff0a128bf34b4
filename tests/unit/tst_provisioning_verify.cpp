#include "provisioning/network_marks.h"
#include "provisioning/verify_rules.h"
#include "provisioning/wifi_scan_parse.h"

#include <QTest>

using provisioning::VerifyOutcome;
using provisioning::VerifyStage;

class ProvisioningVerifyTest : public QObject
{
    Q_OBJECT

private slots:
    void securityCode_data();
    void securityCode();
    void preSharedKey();
    void classify_data();
    void classify();
    void networkSummary_data();
    void networkSummary();
};

void ProvisioningVerifyTest::securityCode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("code");
    const QList<QPair<QString, int>> rows = {
        {" Open ", 0},         {"WEP", 1},       {"wpa-aes", 2},   {"WPA-TKIP", 3}, {"WPA2-AES", 4},
        {"wpa2-aes-mixed", 5}, {"wpa2-tkip", 6}, {"WPA3-SAE", -1}, {"", -1}};
    for (const auto &[word, code] : rows)
        QTest::newRow(qPrintable(word)) << word << code;
}

void ProvisioningVerifyTest::securityCode()
{
    QFETCH(QString, word);
    QTEST(provisioning::securityTypeCode(word), "code");
}

void ProvisioningVerifyTest::preSharedKey()
{
    // IEEE 802.11i, annex H.4.
    QCOMPARE(provisioning::deriveWpaPsk("password", "IEEE"),
             QStringLiteral("f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e"));
    QVERIFY(provisioning::deriveWpaPsk("password ", "IEEE") !=
            provisioning::deriveWpaPsk("password", "IEEE"));
}

void ProvisioningVerifyTest::classify_data()
{
    QTest::addColumn<bool>("beforeWrite");
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<VerifyOutcome>("outcome");

    QTest::newRow("OK passes") << true << true << "OK" << VerifyOutcome::Passed;
    QTest::newRow("verified outranks rejected")
        << false << true << "verified, not rejected" << VerifyOutcome::Passed;
    QTest::newRow("broken is not ok")
        << true << true << "auth failed: broken key" << VerifyOutcome::BadCredentials;
    QTest::newRow("NOT OK: wrong password")
        << true << true << "NOT OK: wrong password" << VerifyOutcome::BadCredentials;
    QTest::newRow("gate: not ok, auth fail")
        << false << true << "verification not ok: auth fail" << VerifyOutcome::BadCredentials;
    QTest::newRow("failed before the write")
        << true << true << "Failed to connect" << VerifyOutcome::BadCredentials;
    QTest::newRow("authentication failed at the gate")
        << false << false << "Authentication failed" << VerifyOutcome::BadCredentials;
    QTest::newRow("rejected outranks usage")
        << true << true << "rejected; usage" << VerifyOutcome::BadCredentials;
    QTest::newRow("usage text") << true << true << "usage: network_verify wifi"
                                << VerifyOutcome::Unsupported;
    QTest::newRow("not supported")
        << true << false << "not supported" << VerifyOutcome::Unsupported;
    QTest::newRow("empty reply") << true << true << "" << VerifyOutcome::Inconclusive;
}

void ProvisioningVerifyTest::classify()
{
    QFETCH(bool, beforeWrite);
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QTEST(provisioning::classifyVerifyReply(
              httpOk, reply, beforeWrite ? VerifyStage::BeforeWrite : VerifyStage::BeforeReboot),
          "outcome");
}

void ProvisioningVerifyTest::networkSummary_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("summary");
    QTest::newRow("-60 is strong") << -60 << "Home: signal -60 dBm (strong), security WPA2-AES.";
    QTest::newRow("-61 is fair") << -61 << "Home: signal -61 dBm (fair), security WPA2-AES.";
    QTest::newRow("-75 is fair") << -75 << "Home: signal -75 dBm (fair), security WPA2-AES.";
    QTest::newRow("-76 is weak, with a warning")
        << -76
        << "Home: signal -76 dBm (weak), security WPA2-AES. The charger may lose a network this "
           "weak.";
}

void ProvisioningVerifyTest::networkSummary()
{
    QFETCH(int, rssi);
    const provisioning::WlanScanRow row{"6", rssi, "aa:bb:cc:dd:ee:01", "WPA2-AES", "Home"};
    QTEST(provisioning::networkSummary(row), "summary");
}

QTEST_APPLESS_MAIN(ProvisioningVerifyTest)
#include "tst_provisioning_verify.moc"
