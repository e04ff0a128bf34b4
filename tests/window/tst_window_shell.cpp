#include "app/mainwindow.h"
#include "world.h"

#include <QDir>
#include <QLabel>
#include <QtTest>

using testsupport::addOperationColumns;

class WindowShellTest : public QObject
{
    Q_OBJECT

private slots:
    void startsWithNothingInReach();
    void sameSecondRunsKeepBothLogs();
    void shell_data();
    void shell() { testsupport::runOperationRow(); }
};

void WindowShellTest::startsWithNothingInReach()
{
    testsupport::World world;
    world.writeLaptop(R"({"interfaces":[],"networks":[]})");
    world.sim.addFault(SimFault::httpStatus("*", 503, ""));
    MainWindow window;
    testsupport::runSteps(window, world, {"visible:Find Charger Wi-Fi", "cards:\u2014|N/A|N/A|N/A"});
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("Status"))->text(), QStringLiteral("Ready."));
    const QStringList head = world.logText().split(QLatin1Char('\n')).mid(0, 4);
    QCOMPARE(head.at(0), QStringLiteral("Zephyl WiFi Setup Log"));
    QVERIFY(QDateTime::fromString(head.at(1).mid(9), Qt::ISODate).isValid());
    QCOMPARE(head.mid(2), (QStringList{"Password fields are redacted.", ""}));
    QCOMPARE(world.statuses(), QStringList{"Ready."});
    QVERIFY(world.logEntries().contains("CMD get wlan.ssid -> ok=0 response="));
}

void WindowShellTest::sameSecondRunsKeepBothLogs()
{
    testsupport::World world;
    {
        MainWindow first;
        MainWindow second;
    }
    const QDir logs(QDir::homePath() + QStringLiteral("/Documents/Zephyl-Logs"));
    const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files);
    QCOMPARE(files.size(), 2);
    for (const QString &file : files) {
        QFile log(logs.filePath(file));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("STATUS: Ready."));
    }
}

void WindowShellTest::shell_data()
{
    addOperationColumns();
    const QByteArray none;
    const QStringList noCommands;
    const QStringList noNetsh;
    const QString ssidRead = QStringLiteral("get wlan.ssid");
    const QString tooLarge = QStringLiteral(
        "Charger reply to \"get wlan.ssid\" was too large (over 1048576 bytes); the exchange was "
        "aborted.");

    QTest::newRow("page buttons, header Connect, and the disabled factory reset step")
        << none << none << QList<SimFault>{}
        << QStringList{"click:2  Wi-Fi Setup", "visible:Set Wi-Fi + Reboot Charger",
                       "hidden:Find Charger Wi-Fi", "click:Connect", "visible:Find Charger Wi-Fi",
                       "invoke:goStep2", "visible:Preview cleanup files", "invoke:goStep1",
                       "invoke:goStep4", "hidden:2  Clear ECache", "hidden:Firmware update"}
        << noCommands << noNetsh
        << QStringList{"Back on connect page.",
                       "Factory reset page is temporarily disabled in Tech build."}
        << QStringList{};
    QTest::newRow("advanced mode shows the hidden steps and options; complete setup checks all")
        << none << none << QList<SimFault>{}
        << QStringList{"click:Open Wi-Fi Step", "visible:2  Clear ECache", "visible:4  Factory Reset",
                       "click:2  Wi-Fi Setup", "visible:Firmware update", "click:Open Connect Step",
                       "click:2  Wi-Fi Setup", "hidden:Firmware update", "hidden:2  Clear ECache",
                       "click:Open Connect Step", "invoke:onStartGuidedSetup"}
        << noCommands << noNetsh
        << QStringList{"Advanced mode selected.",
                       "Complete Setup selected. Reboot charger until flashing blue, then Scan + "
                       "Connect.",
                       "Complete Setup selected. Reboot charger until flashing blue, then Scan + "
                       "Connect.",
                       "Pick target Wi-Fi from scan list or enter SSID manually."}
        << QStringList{};
    QTest::newRow("picking a scanned network fills the SSID field")
        << none << none << QList<SimFault>{}
        << QStringList{"click:Scan Available Wi-Fi (from charger)", "pick-wifi:CafeOpen",
                       "shows-ssid:CafeOpen"}
        << QStringList{"wlan_scan -v"} << noNetsh
        << QStringList{"Scanning Wi-Fi from charger...", "Found 3 Wi-Fi network(s) from charger scan.",
                       "Selected Wi-Fi: CafeOpen (enter password)."}
        << QStringList{};
    QTest::newRow("a redirect is an answer: never followed, never re-sent")
        << none << none
        << QList<SimFault>{SimFault::redirect(ssidRead, 302, "http://elsewhere.example/steal",
                                              "moved"),
                           SimFault::redirect("get wlan.passkey", 307,
                                              "http://setup.zephyl/command/get%20wlan.passkey", "")}
        << QStringList{"click:Refresh", "cards:192.168.1.23|moved|N/A|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"}
        << QStringList{ssidRead, "get wlan.passkey", "get system.euid", "get system.uuid"}
        << QStringList{"wlan|show|interfaces", "interface|ip|show|addresses|Wi-Fi"}
        << QStringList{"Status refreshed."} << QStringList{"CMD get wlan.ssid -> ok=1 response=moved"};
    QTest::newRow("a flood of a reply is cut off, logged, and counts as failed")
        << none << none << QList<SimFault>{SimFault::flood(ssidRead, 64 * 1024 * 1024)}
        << QStringList{"click:Refresh", "cards:192.168.1.23|N/A|N/A|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"}
        << QStringList{ssidRead, "get wlan.passkey", "get system.euid", "get system.uuid"}
        << QStringList{"wlan|show|interfaces", "interface|ip|show|addresses|Wi-Fi"}
        << QStringList{"Status refreshed."}
        << QStringList{tooLarge, "CMD get wlan.ssid -> ok=0 response="};
}

QTEST_MAIN(WindowShellTest)
#include "tst_window_shell.moc"
