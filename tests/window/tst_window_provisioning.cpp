#include "world.h"

#include <QPasswordDigestor>
#include <QtTest>

using testsupport::addOperationColumns;

namespace {

const QString kScan = QStringLiteral("wlan_scan -v");
const QString kRun = QStringLiteral("click:Set Wi-Fi + Reboot Charger");
const QStringList kJoined = {"click:Find Charger Wi-Fi", "pick-charger:JuiceNet-1A2B",
                             "click:Connect to Selected", "mark"};

QString key(const QString &password, const QString &ssid)
{
    return QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1,
                                                                  password.toUtf8(), ssid.toUtf8(),
                                                                  4096, 32)
                                   .toHex());
}

const QString kHomeVerify = QStringLiteral("network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 ") +
                            key(QStringLiteral("correct horse"), QStringLiteral("HomeNet"));
const QString kHomeVerifyLog =
    QStringLiteral("CMD network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 [REDACTED]");

QStringList steps(const QString &ssid, const QString &password)
{
    return kJoined + QStringList{"ssid:" + ssid, "password:" + password, kRun};
}

QStringList write(const QString &ssid, const QString &password)
{
    return {"set wlan.ssid \"" + ssid + '"', "set wlan.passkey \"" + password + '"',
            "set wlan.auto_join.enabled 1", "save"};
}

const QStringList kHomeWrite = write("HomeNet", "correct horse");
// A run past its checks first reads the laptop's network for its record row; at its end it
// restores the laptop.
const QStringList kRecorded = {"wlan|show|interfaces"};
const QStringList kRestore = {
    "wlan|show|interfaces", "interface|ip|set|address|name=Wi-Fi|source=dhcp",
    "interface|ip|set|dns|name=Wi-Fi|source=dhcp", "wlan|disconnect|interface=Wi-Fi",
    "wlan|connect|name=HomeNet|interface=Wi-Fi"};

const QStringList kVerifying = {"Verifying network before applying credentials...",
                                "Running network verify before applying Wi-Fi credentials..."};
const QStringList kPassed =
    kVerifying + QStringList{"Network verify passed: credentials are valid.",
                             "Applying customer Wi-Fi credentials (set + save)...",
                             "Verifying Wi-Fi authentication before reboot..."};
const QString kVerifyFailed =
    QStringLiteral("Network verify failed. Check Wi-Fi password and retry.");

SimFault answerOnce(const QString &command)
{
    return SimFault::delay(command, 0, 1);
}

} // namespace

class WindowProvisioningTest : public QObject
{
    Q_OBJECT

private slots:
    void wifiWorkflow_data();
    void wifiWorkflow() { testsupport::runOperationRow(); }
    void chargerScan_data();
    void chargerScan() { testsupport::runOperationRow(); }
};

void WindowProvisioningTest::wifiWorkflow_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList noNetsh;

    // A slow reboot acknowledgement is still an acknowledgement.
    QTest::newRow("the scan list's pick wins; verified, written, checked, rebooted, restored")
        << none << none << QList<SimFault>{SimFault::delay("reboot", 2500)}
        << kJoined + QStringList{"click:Scan Available Wi-Fi (from charger)",
                                 "pick-wifi:HomeNet",
                                 "ssid:Typed Elsewhere",
                                 "password:correct horse",
                                 "mark",
                                 kRun}
        << QStringList{kScan, kHomeVerify} + kHomeWrite + QStringList{kScan, kHomeVerify, "reboot"}
        << kRestore
        << kPassed +
               QStringList{"Wi-Fi auth verified.", "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{
               "verifyNetworkBeforeConfig: ssid=HomeNet bssid=a4:2b:b0:11:22:33 ch=6 "
               "sec=WPA2-AES(4) rssi=-48",
               kHomeVerifyLog + " -> ok=1 response=verified ok",
               "CMD set wlan.ssid HomeNet -> httpOk=1 cmdOk=1 response=set ok",
               "CMD set wlan.passkey [REDACTED] -> httpOk=1 cmdOk=1 response=set ok",
               "configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=1",
               "Wi-Fi credentials saved (no immediate reboot; continuing to firmware update).",
               kHomeVerifyLog + " attempt=1 -> ok=1 response=verified ok",
               "CMD reboot -> httpOk=1 cmdOk=1 response=rebooting...",
               "Laptop network restored to DHCP on interface: Wi-Fi",
               "Reconnect requested for original SSID: HomeNet"};
    QTest::newRow("no password stops even for an open network")
        << none << none << QList<SimFault>{} << steps("CafeOpen", "") << QStringList{} << noNetsh
        << QStringList{"Enter the customer Wi-Fi password."} << QStringList{};
    QTest::newRow("a wrong password is refused before anything is written")
        << none << none << QList<SimFault>{} << steps("HomeNet", "wrong horse")
        << QStringList{kScan, "network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 " +
                                  key("wrong horse", "HomeNet")}
        << kRecorded
        << kVerifying + QStringList{"Network verify failed: bad credentials. Check the Wi-Fi "
                                    "password.",
                                    kVerifyFailed}
        << QStringList{kHomeVerifyLog + " -> ok=1 response=authentication failed"};
    QTest::newRow("a security type without a code stops before any key is derived")
        << none << none << QList<SimFault>{} << steps("NeighbourWPA3", "over the fence")
        << QStringList{kScan} << kRecorded
        << kVerifying + QStringList{"Network verify failed: unknown security type \"WPA3-SAE\".",
                                    kVerifyFailed}
        << QStringList{"verifyNetworkBeforeConfig: unknown security type \"WPA3-SAE\""};
    QTest::newRow("a network the charger cannot see is not verified")
        << none << none << QList<SimFault>{} << steps("=Nowhere()", "correct horse")
        << QStringList{kScan} << kRecorded
        << kVerifying +
               QStringList{"Network verify failed: \"=Nowhere()\" not found in charger scan.",
                           kVerifyFailed}
        << QStringList{"verifyNetworkBeforeConfig: target SSID not found in scan"};
    QTest::newRow("a failed scan stops the check")
        << none << none << QList<SimFault>{SimFault::httpStatus(kScan, 500, "busy")}
        << steps("HomeNet", "correct horse") << QStringList{kScan} << kRecorded
        << kVerifying +
               QStringList{"Network verify failed: could not scan Wi-Fi networks.", kVerifyFailed}
        << QStringList{"verifyNetworkBeforeConfig: wlan_scan -v failed"};
    QTest::newRow("a failed save repeats the whole write once")
        << none << none << QList<SimFault>{SimFault::httpStatus("save", 500, "busy", 1)}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + kHomeWrite +
               QStringList{kScan, kHomeVerify, "reboot"}
        << kRestore
        << kPassed +
               QStringList{"Wi-Fi auth verified.", "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{"configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=0",
                       "configureDeviceWifi attempt=2 okSsid=1 okPass=1 okAuto=1 okSave=1"};
    QTest::newRow("a write refused twice ends the run; auto-join is judged by transport only")
        << none << none
        << QList<SimFault>{SimFault::replyText("set wlan.ssid \"HomeNet\"", "not ok"),
                           SimFault::replyText("set wlan.auto_join.enabled 1", "ERR")}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + kHomeWrite << kRecorded
        << kVerifying + QStringList{"Network verify passed: credentials are valid.",
                                    "Applying customer Wi-Fi credentials (set + save)...",
                                    "Wi-Fi config failed. Check charger connection and retry."}
        << QStringList{"configureDeviceWifi attempt=1 okSsid=0 okPass=1 okAuto=1 okSave=1",
                       "configureDeviceWifi attempt=2 okSsid=0 okPass=1 okAuto=1 okSave=1"};
    QTest::newRow("bad credentials at the gate block the reboot and keep the laptop there")
        << none << none
        << QList<SimFault>{answerOnce("network_verify").byFirstWord(),
                           SimFault::replyText("network_verify", "Authentication failed")
                               .byFirstWord()}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + QStringList{kScan, kHomeVerify}
        << kRecorded
        << kPassed + QStringList{"Wi-Fi auth verify failed (likely bad password). Reboot blocked."}
        << QStringList{kHomeVerifyLog + " attempt=1 -> ok=1 response=Authentication failed"};
    QTest::newRow("a gate scan that fails blocks the reboot")
        << none << none << QList<SimFault>{answerOnce(kScan), SimFault::httpStatus(kScan, 503, "")}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + QStringList{kScan} << kRecorded
        << kPassed + QStringList{"Cannot verify Wi-Fi auth (scan unavailable). Reboot blocked."}
        << QStringList{"verify failed: wlan_scan -v unavailable"};
    QTest::newRow("a network gone from the gate scan blocks the reboot")
        << none << none
        << QList<SimFault>{answerOnce(kScan),
                           SimFault::replyText(kScan,
                                               "# 1 1 -40 aa:bb:cc:dd:ee:ff 54 OPEN x 0 Else")}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + QStringList{kScan} << kRecorded
        << kPassed + QStringList{"Selected Wi-Fi not found in charger scan. Reboot blocked."}
        << QStringList{"verify failed: target SSID not found in scan"};
    QTest::newRow("\"failed\" alone is no verdict at the gate: three tries, then the reboot")
        << none << none
        << QList<SimFault>{answerOnce("network_verify").byFirstWord(),
                           SimFault::replyText("network_verify", "Failed to connect").byFirstWord()}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite +
               QStringList{kScan, kHomeVerify, kHomeVerify, kHomeVerify, "reboot"}
        << kRestore
        << kPassed + QStringList{"Wi-Fi verify inconclusive; proceeding to reboot.",
                                 "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{kHomeVerifyLog + " attempt=3 -> ok=1 response=Failed to connect"};
    QTest::newRow("a gate the firmware does not know lets the reboot go ahead")
        << none << none
        << QList<SimFault>{answerOnce("network_verify").byFirstWord(),
                           SimFault::replyText("network_verify", "Unknown command").byFirstWord()}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite + QStringList{kScan, kHomeVerify, "reboot"}
        << kRestore
        << kPassed + QStringList{"Wi-Fi saved. Auth verify unsupported on this firmware; "
                                 "proceeding to reboot.",
                                 "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{};
    QTest::newRow("reboot words are tried in order until one is accepted")
        << none << none
        << QList<SimFault>{SimFault::replyText("reboot", "Unknown command: reboot"),
                           SimFault::httpStatus("reset", 500, "ok"),
                           SimFault::replyText("restart", "OK")}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite +
               QStringList{kScan, kHomeVerify, "reboot", "reset", "restart"}
        << kRestore
        << kPassed +
               QStringList{"Wi-Fi auth verified.", "Wi-Fi saved. Reboot command sent (restart)."}
        << QStringList{"CMD reboot -> httpOk=1 cmdOk=0 response=Unknown command: reboot",
                       "CMD reset -> httpOk=0 cmdOk=0 response=ok"};
    QTest::newRow("no reboot word accepted: the laptop is restored all the same")
        << none << none
        << QList<SimFault>{SimFault::replyText("reboot", "cannot reboot now"),
                           SimFault::replyText("reset", "usage: reset"),
                           SimFault::replyText("restart", ""), SimFault::httpStatus("rb", 404, "")}
        << steps("HomeNet", "correct horse")
        << QStringList{kScan, kHomeVerify} + kHomeWrite +
               QStringList{kScan, kHomeVerify, "reboot", "reset", "restart", "rb"}
        << kRestore
        << kPassed + QStringList{"Wi-Fi auth verified.",
                                 "Wi-Fi saved. Reboot command not supported on this firmware "
                                 "(manual reboot may be needed)."}
        << QStringList{
               "Reboot command unsupported on this firmware; Wi-Fi settings were still saved."};
    // The charger echoes the password with its quote and backslash; nothing of it may be logged.
    QTest::newRow("an open network skips the key; the gate asks in the short form")
        << none << none
        << QList<SimFault>{SimFault::replyText("set wlan.passkey \"a\\ss w0rd\"x\"",
                                               "set ok wlan.passkey \"a\\ss w0rd\"x\"")}
        << steps("CafeOpen", "a\\ss w0rd\"x")
        << QStringList{kScan} + write("CafeOpen", "a\\ss w0rd\"x") +
               QStringList{kScan, "network_verify wifi CafeOpen 00:1d:7e:44:55:66 11", "reboot"}
        << kRestore
        << kVerifying + QStringList{"Applying customer Wi-Fi credentials (set + save)...",
                                    "Verifying Wi-Fi authentication before reboot...",
                                    "Wi-Fi auth verified.",
                                    "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{"verifyNetworkBeforeConfig: open network, skipping PSK verify",
                       "CMD set wlan.passkey [REDACTED] -> httpOk=1 cmdOk=1 response=set ok "
                       "wlan.passkey [REDACTED]\"",
                       "CMD network_verify wifi CafeOpen 00:1d:7e:44:55:66 11 attempt=1 -> ok=1 "
                       "response=verified ok"};
    const QString wep =
        QStringLiteral("# 1 3 -40 a4:2b:b0:99:88:77 54.0 WEP infra 0 Old Wep Net\r\n");
    const QString wepVerify = "network_verify wifi Old Wep Net a4:2b:b0:99:88:77 3 1 " +
                              key("correct horse", "Old Wep Net");
    QTest::newRow("a WEP network with blanks in its name is checked with its key at both steps")
        << none << none
        << QList<SimFault>{SimFault::replyText(kScan, wep),
                           SimFault::replyText("network_verify", "verified").byFirstWord()}
        << steps("Old Wep Net", "correct horse")
        << QStringList{kScan, wepVerify} + write("Old Wep Net", "correct horse") +
               QStringList{kScan, wepVerify, "reboot"}
        << kRestore
        << kPassed +
               QStringList{"Wi-Fi auth verified.", "Wi-Fi saved. Reboot command sent (reboot)."}
        << QStringList{"verifyNetworkBeforeConfig: ssid=Old Wep Net bssid=a4:2b:b0:99:88:77 ch=3 "
                       "sec=WEP(1) rssi=-40"};
}

void WindowProvisioningTest::chargerScan_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList scan = {"click:Scan Available Wi-Fi (from charger)"};
    const QStringList cascade = {kScan,       kScan,       "wifiscan",  "wifiscan",  "wlan.scan",
                                 "wlan.scan", "scan wlan", "scan wlan", "scan wifi", "scan wifi"};
    QTest::newRow("every scan command is tried twice, in order")
        << none << none << QList<SimFault>{SimFault::httpStatus("*", 500, "")} << scan << cascade
        << QStringList{}
        << QStringList{"Scanning Wi-Fi from charger...",
                       "Wi-Fi scan unavailable from charger right now. Enter SSID manually."}
        << QStringList{};
    QTest::newRow("an empty answer is retried; the first real answer ends the cascade")
        << none << none
        << QList<SimFault>{SimFault::replyText(kScan, "  \r\n", 1),
                           SimFault::replyText(kScan, "Unknown command")}
        << scan << QStringList{kScan, kScan} << QStringList{}
        << QStringList{"Scanning Wi-Fi from charger...",
                       "Wi-Fi scan unavailable from charger right now. Enter SSID manually."}
        << QStringList{};
}

QTEST_MAIN(WindowProvisioningTest)
#include "tst_window_provisioning.moc"
