#include "world.h"

#include <QPasswordDigestor>
#include <QtTest>

using testsupport::addOperationColumns;
using testsupport::kTwoChargersInRange;

namespace {

const QString kKey =
    QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1,
                                                           "correct horse", "HomeNet", 4096, 32)
                            .toHex());
const QStringList kRefresh = {"get wlan.ssid", "get wlan.passkey", "get system.euid",
                              "get system.uuid"};
const QStringList kWrite = {"set wlan.ssid \"HomeNet\"", "set wlan.passkey \"correct horse\"",
                            "set wlan.auto_join.enabled 1", "save"};
const QString kWhiteLight = QStringLiteral(
    "You should see a steady white light after charger reboot if everything is successful.");

QStringList joinNetsh(const QString &charger)
{
    return {"wlan|disconnect",
            "wlan|delete|profile|name=" + charger,
            "wlan|add|profile|filename=<profile>|interface=Wi-Fi",
            "wlan|connect|name=" + charger + "|ssid=" + charger + "|interface=Wi-Fi",
            "wlan|show|interfaces",
            "interface|ip|set|address|Wi-Fi|static|10.10.10.2|255.255.255.0",
            "interface|ip|set|dns|name=Wi-Fi|static|10.10.10.1|primary",
            "interface|ip|show|addresses|Wi-Fi"};
}

QStringList verify(const QString &bssidEnd, const QString &channel)
{
    return {"wlan_scan -v", "network_verify wifi HomeNet a4:2b:b0:11:22:" + bssidEnd + ' ' +
                                channel + " 4 " + kKey};
}

QStringList steps(const QString &ssid, bool cleanup, bool firmware)
{
    return {"ssid:" + ssid, "password:correct horse",
            QStringLiteral("option:Clear ECache & EEvents=%1").arg(int(cleanup)),
            QStringLiteral("option:Firmware update=%1").arg(int(firmware)),
            "invoke:onStartGuidedSetup"};
}

const QStringList kStart = {
    "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi...",
    "Found 2 charger network(s)."};
// Back to DHCP first, then the rejoin.
const QStringList kDhcp = {"interface|ip|set|address|name=Wi-Fi|source=dhcp",
                           "interface|ip|set|dns|name=Wi-Fi|source=dhcp"};
const QStringList kEnd = kDhcp + QStringList{"wlan|disconnect|interface=Wi-Fi",
                                             "wlan|connect|name=HomeNet|interface=Wi-Fi"};

const QString kSaved =
    QStringLiteral("the charger joins it after its next reboot; firmware update requested");
const QString kNotConfigured = QStringLiteral("Wi-Fi configuration not selected");

QStringList verified(const QString &charger)
{
    return {"Verifying network before config on " + charger + "...",
            "Running network verify before applying Wi-Fi credentials...",
            "Network verify passed: credentials are valid.", "Applying Wi-Fi on " + charger + "...",
            "WiFi configured for HomeNet."};
}

} // namespace

class WindowGuidedTest : public QObject
{
    Q_OBJECT

private slots:
    void guidedRun_data();
    void guidedRun() { testsupport::runOperationRow(QStringLiteral("demo.json"), true); }
};

void WindowGuidedTest::guidedRun_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList identity = {"get system.uuid", "get system.serial", "get wlan.mac"};
    const QStringList discovery = {"wlan|show|interfaces", "wlan|show|networks|mode=bssid"};
    const QStringList onWifi = {"wlan|show|networks|interface=Wi-Fi|mode=bssid"};

    QTest::newRow("every option: each charger joined, addressed, read, cleaned, verified, "
                  "written and updated in order; then the laptop rejoins its network")
        << kTwoChargersInRange << none << QList<SimFault>{}
        << steps("HomeNet", true, true) +
               QStringList{"table:JuiceNet-1A2B|configured and saved, not rebooted|" + kSaved +
                           "\nJuiceNet-3C4D|configured and saved, not rebooted|" + kSaved}
        << kRefresh + identity + kRefresh +
               QStringList{"ls -v", "fde \"ECache_0001.bin\"", "fde \"EEvents_2026-03-14.log\"",
                           "save"} +
               verify("33", "6") + kWrite + QStringList{"dfuu -i wlan --multi"} + kRefresh +
               identity + kRefresh +
               QStringList{"ls -v", "fde \"ECache_0007.bin\"", "fde \"ECache_0008.bin\"",
                           "fde \"EEvents_2026-02-28.log\"", "save"} +
               verify("34", "44") + kWrite + QStringList{"dfuu -i wlan --multi"}
        << discovery + joinNetsh("JuiceNet-1A2B") +
               QStringList{"interface|ip|show|addresses|Wi-Fi"} + joinNetsh("JuiceNet-3C4D") +
               QStringList{"interface|ip|show|addresses|Wi-Fi"} + kEnd
        << kStart +
               QStringList{"Found a charger, connecting... JuiceNet-1A2B",
                           "Static IP applied (10.10.10.2).",
                           "Cleaning ECache & EEvents on JuiceNet-1A2B..."} +
               verified("JuiceNet-1A2B") +
               QStringList{"Starting firmware update on JuiceNet-1A2B...", kWhiteLight,
                           "Found a charger, connecting... JuiceNet-3C4D",
                           "Static IP applied (10.10.10.2).",
                           "Cleaning ECache & EEvents on JuiceNet-3C4D..."} +
               verified("JuiceNet-3C4D") +
               QStringList{"Starting firmware update on JuiceNet-3C4D...", kWhiteLight,
                           "Restoring laptop Wi-Fi: HomeNet",
                           "Done. Processed 2 charger(s), success: 2."}
        << QStringList{"=== Charger Identity ===", "Serial: ZP2-0001234"};
    QTest::newRow("a charger that cannot be joined or verified is skipped; the next goes on; a "
                  "laptop on no network returns to DHCP only")
        << QByteArray(kTwoChargersInRange).replace(R"(,"connectedSsid":"HomeNet")", "")
        << QByteArray(
               R"({"wlan connect name=JuiceNet-1A2B":{"stdout":"There is no profile.\r\n"}})")
        << QList<SimFault>{SimFault::replyText("network_verify", "rejected").byFirstWord(),
                           SimFault::replyText("get system.serial",
                                               "echo: set wlan.passkey \"correct horse\"")}
        << steps("HomeNet", false, true) +
               QStringList{"table:JuiceNet-1A2B|not joined|Windows did not join the setup "
                           "network\nJuiceNet-3C4D|password refused by the verification|the "
                           "charger reported bad credentials"}
        << kRefresh + identity + kRefresh + verify("34", "44")
        << discovery + joinNetsh("JuiceNet-1A2B").mid(0, 5) + joinNetsh("JuiceNet-3C4D") +
               QStringList{"interface|ip|show|addresses|Wi-Fi"} + kDhcp
        << kStart + QStringList{"Found a charger, connecting... JuiceNet-1A2B",
                                "Could not connect to JuiceNet-1A2B. Skipping.",
                                "Found a charger, connecting... JuiceNet-3C4D",
                                "Static IP applied (10.10.10.2).",
                                "Verifying network before config on JuiceNet-3C4D...",
                                "Running network verify before applying Wi-Fi credentials...",
                                "Network verify failed: bad credentials. Check the Wi-Fi password.",
                                "Network verify failed for JuiceNet-3C4D. Skipping Wi-Fi config.",
                                "Done. Processed 2 charger(s), success: 0."}
        << QStringList{};
    QTest::newRow("a run started on a charger network rejoins the laptop's own network")
        << kTwoChargersInRange << none << QList<SimFault>{}
        << QStringList{"click:Find Charger Wi-Fi",
                       "pick-charger:JuiceNet-1A2B",
                       "click:Connect to Selected",
                       "mark",
                       "ssid:HomeNet",
                       "option:Get info (SSID/Passkey/UUID)=0",
                       "option:Configure Wi-Fi credentials=0",
                       "invoke:onStartGuidedSetup",
                       "table:JuiceNet-1A2B|joined, Wi-Fi not configured|" + kNotConfigured +
                           "\nJuiceNet-3C4D|joined, Wi-Fi not configured|" + kNotConfigured}
        << kRefresh + kRefresh + identity
        << discovery + joinNetsh("JuiceNet-1A2B") + joinNetsh("JuiceNet-3C4D") + kEnd
        << kStart + QStringList{"Found a charger, connecting... JuiceNet-1A2B",
                                "Static IP applied (10.10.10.2).",
                                kWhiteLight,
                                "Found a charger, connecting... JuiceNet-3C4D",
                                "Static IP applied (10.10.10.2).",
                                kWhiteLight,
                                "Restoring laptop Wi-Fi: HomeNet",
                                "Done. Processed 2 charger(s), success: 2."}
        << QStringList{};
    const QString off = "Guided setup|%1||||HomeNet|not joined|Windows location access is off";
    const QString gate = "Windows is withholding Wi-Fi information from this program: turn on "
                         "Location access, then try again.";
    QTest::newRow("location off at a join stops the run: no charger joined, the laptop returns")
        << kTwoChargersInRange
        << QByteArray(R"({"wlan connect":{"stdout":"ms-settings:privacy-location\r\n"}})")
        << QList<SimFault>{}
        << steps("HomeNet", false, false) +
               QStringList{"records:" + off.arg("JuiceNet-1A2B") + '\n' + off.arg("JuiceNet-3C4D"),
                           "table:JuiceNet-1A2B|not joined|Windows location access is off\n"
                           "JuiceNet-3C4D|not joined|Windows location access is off"}
        << QStringList{} << discovery + joinNetsh("JuiceNet-1A2B").mid(0, 4) + kEnd
        << kStart + QStringList{"Found a charger, connecting... JuiceNet-1A2B", gate,
                                "Restoring laptop Wi-Fi: HomeNet", gate}
        << QStringList{};
    QTest::newRow("no charger in range ends the run without a rejoin")
        << QByteArray(R"({"interfaces":[{"name":"Wi-Fi"}],"networks":[]})") << none
        << QList<SimFault>{} << steps("HomeNet", false, false) << QStringList{}
        << discovery + onWifi + discovery.mid(1) + onWifi + discovery.mid(1) + onWifi
        << QStringList{kStart.first(),
                       "No JuiceNet found. Move closer to charger, keep lights flashing blue, then "
                       "scan again.",
                       "No charger networks found. Reboot charger and try again."}
        << QStringList{};
}

QTEST_MAIN(WindowGuidedTest)
#include "tst_window_guided.moc"
