#include "app/mainwindow.h"
#include "world.h"

#include <QtTest>

using testsupport::addOperationColumns;

namespace {

const QString kMac = QStringLiteral("70:b3:d5:12:34:56");
const QStringList kUuidKeys = {"system.euid", "system.uuid", "system.device_id", "system.id",
                               "device.uuid", "device.id",   "jns.euid",         "jns.uuid",
                               "euid",        "uuid"};
const QStringList kIdentityKeys = {
    "system.uuid", "uuid",     "system.serial", "device.serial", "serial", "system.sn",
    "device.sn",   "wlan.mac", "softap.mac",    "ethernet.mac",  "mac"};
const QStringList kRefreshNetsh = {"wlan|show|interfaces", "interface|ip|show|addresses|Wi-Fi"};

QStringList gets(const QStringList &keys)
{
    QStringList commands;
    for (const QString &key : keys)
        commands << "get " + key;
    return commands;
}

// What a refresh reads once the identity is logged: SSID, passkey, and UUID keys up to the token.
const QStringList kRefreshGets = gets({"wlan.ssid", "wlan.passkey", "system.euid", "system.uuid"});
const QStringList kFiles = {"ECache_0001.bin", "ECache_0002.bin", "EEvents_2026-03-14.log"};
const QString kFirmwareRow = QStringLiteral(
    "Firmware update||ZP2-0001234|70:b3:d5:12:34:56|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10||");
const QString kFirmwareRecorded = kFirmwareRow + "firmware update requested|the charger answered";
const QString kFirmwareUnanswered =
    kFirmwareRow + "firmware update not answered|no answer from the charger";
// Every operation that reaches the charger reads the laptop's network for its record row.
const QStringList kRecorded = {"wlan|show|interfaces"};
const QStringList kPreviewed = {"click:Preview cleanup files",
                                "wait:Preview found 3 cleanup file(s).", "mark", "answer:Yes",
                                "click:Delete previewed files"};

SimFault replyToAll(const QString &word, const QString &text)
{
    return SimFault::replyText(word, text).byFirstWord();
}

} // namespace

class WindowMaintenanceTest : public QObject
{
    Q_OBJECT

private slots:
    void maintenance_data();
    void maintenance() { testsupport::runOperationRow(); }
    void deletionPostsOneJsonCommandPerFile();
};

void WindowMaintenanceTest::maintenance_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList noNetsh;
    const QStringList deletes = {"fde \"ECache_0001.bin\"", "fde \"ECache_0002.bin\"",
                                 "fde \"EEvents_2026-03-14.log\""};

    QTest::newRow("start-up fills the cards and logs the charger's identity once")
        << none << none << QList<SimFault>{SimFault::delay("get wlan.ssid", 2500)}
        << QStringList{"startup", "cards:192.168.1.23|N/A|N/A|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10",
                       "mark", "click:Refresh"}
        << kRefreshGets << kRefreshNetsh << QStringList{"Status refreshed."} << QStringList{};
    QTest::newRow("without a UUID token the first value stands; unknown serials are skipped")
        << none << none
        << QList<SimFault>{SimFault::replyText("get system.euid", " "),
                           SimFault::replyText("get system.uuid", "\"not-a-token\""),
                           SimFault::replyText("get system.device_id", "dev-42"),
                           SimFault::replyText("get system.serial", "Unknown")}
        << QStringList{"startup", "cards:192.168.1.23|N/A|N/A|not-a-token"}
        << gets(QStringList{"wlan.ssid", "wlan.passkey"} + kUuidKeys) +
               gets({"system.uuid", "system.serial", "device.serial", "serial", "system.sn",
                     "device.sn", "wlan.mac"})
        << kRefreshNetsh << QStringList{"Ready."}
        << QStringList{"CMD get wlan.passkey [REDACTED] ok=1 response=[REDACTED]",
                       "=== Charger Identity ===",
                       "Serial: N/A",
                       "MAC: " + kMac,
                       "Device UUID: not-a-token",
                       "========================"};
    const QStringList everyGet =
        gets(QStringList{"wlan.ssid", "wlan.passkey"} + kUuidKeys + kIdentityKeys);
    QTest::newRow("nothing in reach: start-up ends Ready. with empty cards and logs no identity, "
                  "so the next refresh tries again")
        << QByteArray(R"({"interfaces":[],"networks":[]})") << none
        << QList<SimFault>{SimFault::httpStatus("get", 503, "").byFirstWord()}
        << QStringList{"startup", "visible:Find Charger Wi-Fi", "cards:\u2014|N/A|N/A|N/A",
                       "click:Refresh"}
        << everyGet + everyGet << QStringList{"wlan|show|interfaces", "wlan|show|interfaces"}
        << QStringList{"Ready.", "Status refreshed."}
        << QStringList{"CMD get wlan.ssid -> ok=0 response="};

    QTest::newRow("preview, then delete what the charger lists now, save and refresh")
        << none << none << QList<SimFault>{}
        << kPreviewed + QStringList{"wait:No ECache/EEvents files found (nothing to delete)."}
        << QStringList{"ls -v"} + deletes + QStringList{"save"} + kRefreshGets +
               QStringList{"ls -v"}
        << kRefreshNetsh.mid(1)
        << QStringList{"Deleting cleanup files...", "Cleanup complete. Refreshed file list.",
                       "No ECache/EEvents files found (nothing to delete)."}
        << QStringList{"CMD fde \"ECache_0001.bin\"", "CMD fde \"EEvents_2026-03-14.log\"",
                       "CMD save after cleanup -> ok", "Cleanup preview: no matching files found."};
    QTest::newRow("an empty listing is asked for once more; a failed deletion stops the rest")
        << none << none
        << QList<SimFault>{SimFault::delay("ls -v", 0, 1), SimFault::replyText("ls -v", "", 1),
                           SimFault::httpStatus("fde \"ECache_0002.bin\"", 500, "disk busy")}
        << kPreviewed << QStringList{"ls -v", "ls -v"} + deletes.mid(0, 2) << noNetsh
        << QStringList{"Deleting cleanup files...", "Cleanup failed."}
        << QStringList{"CMD fde \"ECache_0001.bin\"", "CMD fde \"ECache_0002.bin\"",
                       "CMD fde failed for ECache_0002.bin response=disk busy"};
    QTest::newRow("a listing that fails twice deletes nothing")
        << none << none
        << QList<SimFault>{SimFault::delay("ls -v", 0, 1), SimFault::httpStatus("ls -v", 500, "")}
        << kPreviewed << QStringList{"ls -v", "ls -v"} << noNetsh
        << QStringList{"Deleting cleanup files...", "Cleanup failed."}
        << QStringList{"CMD ls -v failed"};
    QTest::newRow("delete before any preview asks for one")
        << none << none << QList<SimFault>{} << QStringList{"click:Delete previewed files"}
        << QStringList{} << noNetsh << QStringList{"Run preview first."} << QStringList{};
    QTest::newRow("a declined deletion sends nothing")
        << none << none << QList<SimFault>{}
        << QStringList{"click:Preview cleanup files", "wait:Preview found 3 cleanup file(s).",
                       "mark", "answer:No", "click:Delete previewed files"}
        << QStringList{} << noNetsh << QStringList{} << QStringList{};

    // A spreadsheet holding the record open: the row waits in the log and is written, before the
    // next one, once the file can be written again.
    QTest::newRow("the firmware trigger ends at its time-out or waits for a slow answer; a row the "
                  "record refused is written before the next")
        << none << none
        << QList<SimFault>{SimFault::hang("dfuu -i wlan --multi", 1),
                           SimFault::delay("dfuu -i wlan --multi", 2500)}
        << QStringList{"record:blocked",
                       "invoke:onTriggerUpdate",
                       "logged-end:\"no answer from the charger\"",
                       "record:free",
                       "records:",
                       "invoke:onTriggerUpdate",
                       "invoke:onTriggerUpdate",
                       "records:" + kFirmwareUnanswered + '\n' + kFirmwareRecorded + '\n' +
                           kFirmwareRecorded}
        << QStringList{"dfuu -i wlan --multi", "dfuu -i wlan --multi", "dfuu -i wlan --multi"}
        << kRecorded + kRecorded + kRecorded
        << QStringList{"Firmware update command failed (no answer from charger).",
                       "Could not write the result record (Is a directory); the row is in the "
                       "setup log and will be written with the next result or when the window "
                       "closes.",
                       "Firmware update command sent.", "Firmware update command sent."}
        << QStringList{"CMD dfuu -i wlan --multi -> ok=0 response=",
                       "CMD dfuu -i wlan --multi -> ok=1 response=firmware update started"};

    QTest::newRow("factory reset tries the forms in order until the charger takes one")
        << none << none << QList<SimFault>{SimFault::delay("fac " + kMac, 2500)}
        << QStringList{"answer:Yes", "click:Factory Reset Charger"}
        << QStringList{"get wlan.mac", "factory_reset", "fac", "factory_reset " + kMac,
                       "fac " + kMac}
        << kRecorded
        << QStringList{"Factory reset command sent (fac " + kMac + "). Charger will reboot."}
        << QStringList{"CMD fac -> httpOk=1 cmdOk=0 response=usage: fac <mac>",
                       "CMD fac " + kMac + " -> httpOk=1 cmdOk=1 response=ok"};
    QTest::newRow("factory reset refused in every form, a reboot notice is no acceptance")
        << none << none
        << QList<SimFault>{replyToAll("factory_reset", "Rebooting needs a MAC"),
                           replyToAll("fac", "ok, usage: fac <mac>")}
        << QStringList{"answer:Yes", "click:Factory Reset Charger"}
        << QStringList{"get wlan.mac",          "factory_reset",     "fac",
                       "factory_reset " + kMac, "fac " + kMac,       "fac [" + kMac + "]",
                       "fac 70b3d5123456",      "fac [70b3d5123456]"}
        << kRecorded
        << QStringList{"Factory reset failed (device says command args invalid). See log for "
                       "exact response."}
        << QStringList{};
    QTest::newRow("factory reset declined, or in Complete Setup mode, sends nothing")
        << none << none << QList<SimFault>{}
        << QStringList{"answer:No", "click:Factory Reset Charger", "click:Open Connect Step",
                       "click:Factory Reset Charger", "click:2  Clear ECache"}
        << QStringList{} << noNetsh
        << QStringList{"Complete Setup selected. Reboot charger until flashing blue, then Scan + "
                       "Connect.",
                       "Factory reset is available only in Advanced mode."}
        << QStringList{};
}

void WindowMaintenanceTest::deletionPostsOneJsonCommandPerFile()
{
    testsupport::World world;
    MainWindow window;
    testsupport::runSteps(window, world, QStringList{"startup"} + kPreviewed);
    const QByteArray sent = world.relay.sent();
    QVERIFY(sent.contains("Content-Type: application/json\r\n"));
    const QByteArray body = "{\"command\":\"fde \\\"ECache_0001.bin\\\"\",\"flags\":0}";
    QVERIFY(sent.contains(body));
    QCOMPARE(sent.count("POST http://setup.zephyl/command HTTP/1.1\r\n"), 3);
}

QTEST_MAIN(WindowMaintenanceTest)
#include "tst_window_maintenance.moc"
