#include "app/mainwindow.h"
#include "world.h"

#include <QDir>
#include <QProgressBar>
#include <QtTest>

using testsupport::addOperationColumns;

class WindowShellTest : public QObject
{
    Q_OBJECT

private slots:
    void sameSecondRunsKeepBothLogs();
    void shell_data();
    void shell() { testsupport::runOperationRow(); }
    void windowLivesWhileNetshHangs();
};

void WindowShellTest::sameSecondRunsKeepBothLogs()
{
    testsupport::World world;
    {
        MainWindow first;
        MainWindow second;
        testsupport::runSteps(first, world, {"startup"});
        testsupport::runSteps(second, world, {"startup"});
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
    const QStringList refreshGets = {ssidRead, "get wlan.passkey", "get system.euid",
                                     "get system.uuid"};
    const QStringList refreshNetsh = {"wlan|show|interfaces", "interface|ip|show|addresses|Wi-Fi"};
    const QString tooLarge = QStringLiteral(
        "Charger reply to \"get wlan.ssid\" was too large (over 1048576 bytes); the exchange was "
        "aborted.");

    QTest::newRow("page buttons, header Connect, and the disabled factory reset step")
        << none << none << QList<SimFault>{}
        << QStringList{"click:2  Wi-Fi Setup",
                       "visible:Set Wi-Fi + Reboot Charger",
                       "hidden:Find Charger Wi-Fi",
                       "click:Connect",
                       "visible:Find Charger Wi-Fi",
                       "invoke:goStep2",
                       "visible:Preview cleanup files",
                       "invoke:goStep1",
                       "invoke:goStep4",
                       "hidden:2  Clear ECache",
                       "hidden:Firmware update"}
        << noCommands << noNetsh
        << QStringList{"Back on connect page.",
                       "Factory reset page is temporarily disabled in Tech build."}
        << QStringList{};
    QTest::newRow("advanced mode shows the hidden steps and options; complete setup checks all")
        << none << none << QList<SimFault>{}
        << QStringList{"click:Open Wi-Fi Step",    "visible:2  Clear ECache",
                       "visible:4  Factory Reset", "click:2  Wi-Fi Setup",
                       "visible:Firmware update",  "click:Open Connect Step",
                       "click:2  Wi-Fi Setup",     "hidden:Firmware update",
                       "hidden:2  Clear ECache",   "click:Open Connect Step",
                       "invoke:onStartGuidedSetup"}
        << noCommands << noNetsh
        << QStringList{"Advanced mode selected.",
                       "Complete Setup selected. Reboot charger until flashing blue, then Scan + "
                       "Connect.",
                       "Complete Setup selected. Reboot charger until flashing blue, then Scan + "
                       "Connect.",
                       "Pick target Wi-Fi from scan list or enter SSID manually."}
        << QStringList{};
    const QString wpa3 = QStringLiteral(
        "NeighbourWPA3: signal -80 dBm (weak), security WPA3-SAE. The charger may lose a network "
        "this weak. The password check cannot test WPA3-SAE security, so setting this network "
        "stops before anything is written.");
    QTest::newRow("scanned networks are marked; picking one fills the SSID field and tells its "
                  "signal and security; Show password shows it")
        << none << none << QList<SimFault>{}
        << QStringList{"click:Scan Available Wi-Fi (from charger)",
                       "tip:NeighbourWPA3=" + wpa3,
                       "pick-wifi:NeighbourWPA3",
                       "pick-wifi:CafeOpen",
                       "shows-ssid:CafeOpen",
                       "echo:hidden",
                       "option:Show password=1",
                       "echo:shown",
                       "option:Show password=0",
                       "echo:hidden"}
        << QStringList{"wlan_scan -v"} << noNetsh
        << QStringList{"Scanning Wi-Fi from charger...",
                       "Found 3 Wi-Fi network(s) from charger scan.",
                       "Selected Wi-Fi: NeighbourWPA3 (enter password).",
                       wpa3,
                       "Selected Wi-Fi: CafeOpen (enter password).",
                       "CafeOpen: signal -71 dBm (fair), security OPEN."}
        << QStringList{};
    QTest::newRow("one operation at a time: the controls wait, a second start is refused")
        << none << none << QList<SimFault>{SimFault::delay("wlan_scan -v", 1500)}
        << QStringList{"later:300:disabled:Refresh", "later:400:invoke:onTriggerUpdate",
                       "later:500:enabled:Connect", "click:Scan Available Wi-Fi (from charger)",
                       "enabled:Refresh"}
        << QStringList{"wlan_scan -v"} << noNetsh
        << QStringList{"Scanning Wi-Fi from charger...",
                       "Found 3 Wi-Fi network(s) from charger scan."}
        << QStringList{"\"Firmware update\" refused: \"Scan Available Wi-Fi (from charger)\" is "
                       "still running."};
    QTest::newRow("closing during start-up stops its reads; the laptop is restored once")
        << none << QByteArray(R"({"wlan show interfaces":{"hangSeconds":2,"times":1}})")
        << QList<SimFault>{}
        << QStringList{"starting", "later:300:close",
                       "logged:Laptop network restored to DHCP on interface: Wi-Fi"}
        << QStringList{}
        << QStringList{"wlan|show|interfaces", "wlan|show|interfaces",
                       "interface|ip|set|address|name=Wi-Fi|source=dhcp",
                       "interface|ip|set|dns|name=Wi-Fi|source=dhcp"}
        << QStringList{}
        << QStringList{"Start-up stopped: the window was closed.",
                       "Laptop network restored to DHCP on interface: Wi-Fi"};
    QTest::newRow("Enter in the password field starts the run; Enter presses a focused button")
        << none << none << QList<SimFault>{}
        << QStringList{"enter:password", "enter:Connect to Selected"} << QStringList{} << noNetsh
        << QStringList{"Select customer Wi-Fi first (or enter SSID manually).",
                       "Select a charger network first."}
        << QStringList{};
    QTest::newRow("a redirect is an answer: never followed, never re-sent")
        << none << none
        << QList<SimFault>{SimFault::redirect(ssidRead, 302, "http://elsewhere.example/steal",
                                              "moved"),
                           SimFault::redirect("get wlan.passkey", 307,
                                              "http://setup.zephyl/command/get%20wlan.passkey", "")}
        << QStringList{"click:Refresh",
                       "cards:192.168.1.23|moved|N/A|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"}
        << refreshGets << refreshNetsh << QStringList{"Status refreshed."}
        << QStringList{"CMD get wlan.ssid -> ok=1 response=moved"};
    QTest::newRow("a flood of a reply is cut off, logged, and counts as failed")
        << none << none << QList<SimFault>{SimFault::flood(ssidRead, 64 * 1024 * 1024)}
        << QStringList{"click:Refresh",
                       "cards:192.168.1.23|N/A|N/A|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"}
        << refreshGets << refreshNetsh << QStringList{"Status refreshed."}
        << QStringList{tooLarge, "CMD get wlan.ssid -> ok=0 response="};
}

void WindowShellTest::windowLivesWhileNetshHangs()
{
    testsupport::World world;
    world.writeLaptop(R"({"interfaces":[{"name":"Wi-Fi"}],"networks":[],
        "faults":{"wlan show networks mode":{"hangSeconds":2,"times":1}}})");
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    testsupport::runSteps(window, world, {"startup", "mark"});
    // While the first listing hangs, its journal line is the only one: a tick seen then ran
    // during the wait, not after it.
    int ticksDuringHang = 0;
    bool busyShown = false;
    QTimer tick;
    connect(&tick, &QTimer::timeout, this, [&]() {
        if (world.netsh().size() != 1)
            return;
        ++ticksDuringHang;
        busyShown = busyShown || window.findChild<QProgressBar *>()->isVisible();
    });
    tick.start(100);
    testsupport::runSteps(window, world, {"click:Find Charger Wi-Fi"});
    QVERIFY2(ticksDuringHang > 0, "the window waited without processing events");
    QVERIFY(busyShown);
    QVERIFY(!window.findChild<QProgressBar *>()->isVisible());
}

QTEST_MAIN(WindowShellTest)
#include "tst_window_shell.moc"
