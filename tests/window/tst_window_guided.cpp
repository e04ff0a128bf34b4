#include "app/mainwindow.h"
#include "charger_rig.h"
#include "netsh_argv.h"
#include "standin_laptop.h"
#include "window_harness.h"
#include "window_widgets.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QListWidget>
#include <QMap>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace testsupport::netsh;
using testsupport::ChargerRig;
using testsupport::IsolatedHome;
using testsupport::rendered;
using testsupport::setOptions;
using testsupport::StandInLaptop;

namespace {

const QString wifi = QStringLiteral("Wi-Fi");
const QString homeNet = QStringLiteral("HomeNet");
const QString firstCharger = QStringLiteral("JuiceNet-1A2B");
const QString secondCharger = QStringLiteral("JuiceNet-3C4D");
const QString homePassword = QStringLiteral("correct horse");
const QString lookingForChargers = QStringLiteral(
    "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi...");

// The status messages of one charger that goes through every selected step.
QStringList processedChargerStatuses(const QString &charger, bool clearCache, bool configureWifi,
                                     bool firmware)
{
    QStringList statuses = {QStringLiteral("Found a charger, connecting... ") + charger,
                            QStringLiteral("Static IP applied (10.10.10.2).")};
    if (clearCache)
        statuses << QStringLiteral("Cleaning ECache & EEvents on %1...").arg(charger);
    if (configureWifi) {
        statuses << QStringLiteral("Verifying network before config on %1...").arg(charger)
                 << QStringLiteral("Running network verify before applying Wi-Fi credentials...")
                 << QStringLiteral("Network verify passed: credentials are valid.")
                 << QStringLiteral("Applying Wi-Fi on %1...").arg(charger)
                 << QStringLiteral("WiFi configured for HomeNet.");
    }
    if (firmware)
        statuses << QStringLiteral("Starting firmware update on %1...").arg(charger);
    statuses << QStringLiteral(
        "You should see a steady white light after charger reboot if everything is successful.");
    return statuses;
}

// A run over both chargers that ends back on HomeNet.
QStringList twoChargerRun(const QStringList &chargerStatuses, int succeeded)
{
    return QStringList({lookingForChargers, QStringLiteral("Found 2 charger network(s).")}) +
           chargerStatuses +
           QStringList(
               {QStringLiteral("Restoring laptop Wi-Fi: HomeNet"),
                QStringLiteral("Done. Processed 2 charger(s), success: %1.").arg(succeeded)});
}

QStringList gets(const QStringList &keys)
{
    QStringList commands;
    for (const QString &key : keys)
        commands << QStringLiteral("get ") + key;
    return commands;
}

// "system.euid" is unknown to the simulated firmware, "system.uuid" carries the ead token.
const QStringList deviceInfoReads =
    gets({"wlan.ssid", "wlan.passkey", "system.euid", "system.uuid"});
const QStringList identityReads = gets({"system.uuid", "system.serial", "wlan.mac"});
const QStringList cleanupCommands = {"ls -v", "fde \"ECache_0001.bin\"",
                                     "fde \"EEvents_2026-03-14.log\"", "fde \"ECache_0002.bin\"",
                                     "save"};
const QString firmwareCommand = QStringLiteral("dfuu -i wlan --multi");

QStringList verifyAndWriteCommands()
{
    // The stronger of the two HomeNet access points (-48 on channel 11), WPA2-AES = code 4.
    return {QStringLiteral("wlan_scan -v"),
            QStringLiteral("network_verify wifi HomeNet a4:2b:b0:11:22:02 11 4 ") +
                testsupport::referenceWpaKey(homePassword, homeNet),
            QStringLiteral("set wlan.ssid \"HomeNet\""),
            QStringLiteral("set wlan.passkey \"correct horse\""),
            QStringLiteral("set wlan.auto_join.enabled 1"),
            QStringLiteral("save")};
}

// What the laptop runs at one charger: the join, static addressing with its address read, and
// the address read of the refresh that follows.
QList<QStringList> chargerVisit(const QString &ssid)
{
    return join(ssid, wifi) + staticAddressing(wifi) + QList<QStringList>{showAddresses(wifi)};
}

const QList<QStringList> discovery = {showInterfaces(), showNetworks()};
const QList<QStringList> rejoinHome = {disconnectAdapter(wifi), rejoin(homeNet, wifi)};

// The commands each charger answered, by setup SSID; requests that reached no charger are
// filed under the empty name.
QMap<QString, QStringList> commandsByCharger(const ChargerRig &rig)
{
    QMap<QString, QStringList> byCharger;
    for (const SimRequest &request : rig.sim.journal())
        byCharger[request.charger] << request.command;
    return byCharger;
}

QStringList commandsStartingWith(const QStringList &commands, const QString &prefix)
{
    return testsupport::startingWith(commands, {prefix});
}

} // namespace

class WindowGuidedTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void provisionsTwoChargersWithEveryOption();
    void skipsAChargerThatCannotBeJoined();
    void skipsTheWritesOfAChargerThatFailsVerification();
    void countsJoinedChargersWithoutWifiConfiguration();
    void stopsWhenNoChargerIsInRangeButKeepsTheNewOriginalNetwork();
    void refusesToStartWithoutTargetSsid_data();
    void refusesToStartWithoutTargetSsid();
    void takesTheTargetFromTheFieldOrTheList_data();
    void takesTheTargetFromTheFieldOrTheList();
    void requestsNoRejoinForALaptopThatWasOnNoNetwork();
    void keepsTheHomeNetworkWhenStartedFromAChargerNetwork();
    void stopsBeforeTheNextChargerWhenTheWindowIsClosed();

private:
    // Starts the guided run and returns the status messages it produced.
    QStringList runGuidedSetup(MainWindow &window);
    // What the laptop ran, the temporary profile path written as <profile>.
    QStringList netsh() const
    {
        return rendered(testsupport::withProfilePlaceholder(laptop->invocations()));
    }
    // Types the target and fills the Wi-Fi list, with `currentRow` as its current item.
    bool prepareTarget(MainWindow &window, const QString &typed, const QStringList &listItems,
                       int currentRow);

    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
    std::unique_ptr<ChargerRig> rig;
};

void WindowGuidedTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({firstCharger, secondCharger}));
    rig = std::make_unique<ChargerRig>();
    rig->useStandardChargers({firstCharger, secondCharger});
    rig->followLaptop(*laptop);
}

void WindowGuidedTest::cleanup()
{
    rig.reset();
    laptop.reset();
    home.reset();
}

QStringList WindowGuidedTest::runGuidedSetup(MainWindow &window)
{
    home->markStatuses();
    rig->clear();
    laptop->clearJournal();
    if (!testsupport::invokeSlot(&window, "onStartGuidedSetup"))
        return {QStringLiteral("<onStartGuidedSetup could not be invoked>")};
    return home->statusesSinceMark();
}

bool WindowGuidedTest::prepareTarget(MainWindow &window, const QString &typed,
                                     const QStringList &listItems, int currentRow)
{
    QListWidget *list = testsupport::wifiList(&window);
    if (!list || !testsupport::enterTarget(&window, typed, homePassword))
        return false;
    list->addItems(listItems);
    list->setCurrentRow(currentRow);
    return list->currentRow() == currentRow;
}

void WindowGuidedTest::provisionsTwoChargersWithEveryOption()
{
    MainWindow window;
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));
    QVERIFY(setOptions(true, true, true, true));

    QCOMPARE(runGuidedSetup(window),
             twoChargerRun(processedChargerStatuses(firstCharger, true, true, true) +
                               processedChargerStatuses(secondCharger, true, true, true),
                           2));

    // Each charger answered only while the laptop was on its setup network, and got its own
    // sequence; the identity block is read from the first charger only.
    const QMap<QString, QStringList> byCharger = commandsByCharger(*rig);
    QCOMPARE(byCharger.keys(), QStringList({firstCharger, secondCharger}));
    const QStringList perCharger =
        deviceInfoReads + cleanupCommands + verifyAndWriteCommands() + QStringList{firmwareCommand};
    QCOMPARE(byCharger.value(firstCharger), deviceInfoReads + identityReads + perCharger);
    QCOMPARE(byCharger.value(secondCharger), deviceInfoReads + perCharger);

    for (const QString &ssid : {firstCharger, secondCharger}) {
        const SimCharger &charger = rig->charger(ssid);
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.ssid")), homeNet);
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.passkey")), homePassword);
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.auto_join.enabled")),
                 QStringLiteral("1"));
        QCOMPARE(charger.files.size(), 1);
        QCOMPARE(charger.files.first().name, QStringLiteral("config.json"));
        QCOMPARE(charger.firmwareUpdateCount, 1);
        QCOMPARE(charger.rebootCount, 0);
    }

    QCOMPARE(netsh(), rendered(discovery + chargerVisit(firstCharger) +
                               chargerVisit(secondCharger) + rejoinHome));
    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 2);
    QVERIFY(profiles.at(0).contains(QStringLiteral("<name>JuiceNet-1A2B</name>")));
    QVERIFY(profiles.at(1).contains(QStringLiteral("<name>JuiceNet-3C4D</name>")));

    // The laptop is back on its own network by the profile Windows kept for it.
    QCOMPARE(laptop->connectedSsid(), homeNet);
    QVERIFY(laptop->profileNames().contains(homeNet));
    testsupport::verifyNoSecretIn(home->logText(), homePassword, homeNet);
}

void WindowGuidedTest::skipsAChargerThatCannotBeJoined()
{
    laptop->addFault(
        QStringLiteral("wlan connect name=JuiceNet-1A2B"),
        {{QStringLiteral("stdout"),
          QStringLiteral("The network specified by profile \"JuiceNet-1A2B\" is not available "
                         "to connect.\r\n\r\n")},
         {QStringLiteral("exitCode"), 1}});
    MainWindow window;
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));

    QCOMPARE(runGuidedSetup(window),
             twoChargerRun(QStringList({"Found a charger, connecting... JuiceNet-1A2B",
                                        "Could not connect to JuiceNet-1A2B. Skipping."}) +
                               processedChargerStatuses(secondCharger, false, true, false),
                           1));

    // Nothing is addressed or asked on the way from the failed join to the next charger.
    QCOMPARE(netsh(), rendered(discovery + join(firstCharger, wifi) + chargerVisit(secondCharger) +
                               rejoinHome));
    QCOMPARE(commandsByCharger(*rig).keys(), QStringList({secondCharger}));
    QCOMPARE(rig->charger(firstCharger).saveCount, 0);
    QCOMPARE(rig->charger(secondCharger).savedSettings.value(QStringLiteral("wlan.ssid")), homeNet);
}

void WindowGuidedTest::skipsTheWritesOfAChargerThatFailsVerification()
{
    // The first charger is mounted where HomeNet uses another password.
    for (SimNetwork &network : rig->charger(firstCharger).networks) {
        if (network.ssid == homeNet)
            network.password = QStringLiteral("another password");
    }
    MainWindow window;
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));
    QVERIFY(setOptions(true, true, true, true));

    QCOMPARE(runGuidedSetup(window),
             twoChargerRun(
                 QStringList({"Found a charger, connecting... JuiceNet-1A2B",
                              "Static IP applied (10.10.10.2).",
                              "Cleaning ECache & EEvents on JuiceNet-1A2B...",
                              "Verifying network before config on JuiceNet-1A2B...",
                              "Running network verify before applying Wi-Fi credentials...",
                              "Network verify failed: bad credentials. Check the Wi-Fi password.",
                              "Network verify failed for JuiceNet-1A2B. Skipping Wi-Fi config."}) +
                     processedChargerStatuses(secondCharger, true, true, true),
                 1));

    const QMap<QString, QStringList> byCharger = commandsByCharger(*rig);
    const QStringList first = byCharger.value(firstCharger);
    QCOMPARE(commandsStartingWith(first, QStringLiteral("network_verify ")).size(), 1);
    QCOMPARE(commandsStartingWith(first, QStringLiteral("set ")), QStringList());
    QCOMPARE(commandsStartingWith(first, QStringLiteral("dfuu")), QStringList());
    QVERIFY(first.last().startsWith(QLatin1String("network_verify ")));
    QCOMPARE(rig->charger(firstCharger).savedSettings.value(QStringLiteral("wlan.ssid")),
             QString());
    QCOMPARE(rig->charger(firstCharger).firmwareUpdateCount, 0);

    const QStringList second = byCharger.value(secondCharger);
    QCOMPARE(second.mid(second.size() - 7), verifyAndWriteCommands() << firmwareCommand);
    QCOMPARE(rig->charger(secondCharger).firmwareUpdateCount, 1);
    QCOMPARE(rig->charger(secondCharger).savedSettings.value(QStringLiteral("wlan.passkey")),
             homePassword);

    // The rejected key is as secret as the accepted one.
    testsupport::verifyNoSecretIn(home->logText(), homePassword, homeNet);
}

void WindowGuidedTest::countsJoinedChargersWithoutWifiConfiguration()
{
    MainWindow window;
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));
    QVERIFY(setOptions(true, false, false, false));

    QCOMPARE(runGuidedSetup(window),
             twoChargerRun(processedChargerStatuses(firstCharger, false, false, false) +
                               processedChargerStatuses(secondCharger, false, false, false),
                           2));

    const QMap<QString, QStringList> byCharger = commandsByCharger(*rig);
    QCOMPARE(byCharger.keys(), QStringList({firstCharger, secondCharger}));
    for (const QStringList &commands : byCharger) {
        QVERIFY(!commands.isEmpty());
        for (const QString &command : commands)
            QVERIFY2(command.startsWith(QLatin1String("get ")), qPrintable(command));
    }
    QCOMPARE(rig->charger(firstCharger).saveCount, 0);
    QCOMPARE(rig->charger(secondCharger).saveCount, 0);
}

void WindowGuidedTest::stopsWhenNoChargerIsInRangeButKeepsTheNewOriginalNetwork()
{
    laptop->writeState(StandInLaptop::homeLaptop({firstCharger}));
    MainWindow window;
    // An earlier manual join captures HomeNet as the laptop's network.
    QVERIFY(testsupport::joinCharger(&window, firstCharger));
    QVERIFY(home->logEntries().contains(QStringLiteral("Captured original laptop Wi-Fi: HomeNet")));

    // The technician moves the laptop to the office network; no charger is in range any more.
    const QString office = QStringLiteral("OfficeNet");
    QJsonObject state = StandInLaptop::homeLaptop({});
    StandInLaptop::append(state, QStringLiteral("networks"),
                          StandInLaptop::network(office, QStringLiteral("WPA2-Personal"),
                                                 QStringLiteral("172.16.4.20"),
                                                 QStringLiteral("00:1a:2b:3c:4d:5e"), 85, 44));
    StandInLaptop::append(state, QStringLiteral("profiles"), StandInLaptop::profile(office, wifi));
    state.insert(QStringLiteral("interfaces"),
                 QJsonArray{StandInLaptop::adapter(wifi, office, QStringLiteral("172.16.4.20"))});
    laptop->writeState(state);
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));

    QCOMPARE(runGuidedSetup(window),
             QStringList({lookingForChargers,
                          "No JuiceNet found. Move closer to charger, keep lights flashing blue, "
                          "then scan again.",
                          "No charger networks found. Reboot charger and try again."}));
    QCOMPARE(testsupport::chargerList(&window)->count(), 0);
    // Discovery only: three attempts of two listings, no join and no rejoin.
    QList<QStringList> expected = {showInterfaces()};
    for (int attempt = 0; attempt < 3; ++attempt)
        expected << showNetworks() << showNetworksOn(wifi);
    QCOMPARE(netsh(), rendered(expected));
    QCOMPARE(rig->commands(), QStringList());

    // The run replaced the captured HomeNet by OfficeNet: closing asks to rejoin OfficeNet.
    laptop->clearJournal();
    window.close();
    QCOMPARE(netsh(), rendered(restore(wifi, office)));
}

void WindowGuidedTest::refusesToStartWithoutTargetSsid_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listItems");
    QTest::addColumn<int>("currentRow");

    QTest::newRow("an empty field and no list item") << QString() << QStringList() << -1;
    QTest::newRow("a field of blanks") << QStringLiteral("  \t ") << QStringList() << -1;
    QTest::newRow("a current list item of blanks over an empty field")
        << QString() << QStringList({QStringLiteral("HomeNet"), QStringLiteral("   ")}) << 1;
}

void WindowGuidedTest::refusesToStartWithoutTargetSsid()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listItems);
    QFETCH(int, currentRow);

    MainWindow window;
    QVERIFY(prepareTarget(window, typed, listItems, currentRow));

    QCOMPARE(runGuidedSetup(window),
             QStringList({"Pick target Wi-Fi from scan list or enter SSID manually."}));
    QCOMPARE(netsh(), QStringList());
    QCOMPARE(rig->commands(), QStringList());

    // The laptop's network was not captured: closing returns to DHCP and asks for no rejoin.
    window.close();
    QCOMPARE(netsh(), rendered(restore(wifi)));
}

void WindowGuidedTest::takesTheTargetFromTheFieldOrTheList_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listItems");
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<QString>("target");

    QTest::newRow("a current list item of blanks leaves the typed SSID, trimmed")
        << QStringLiteral("  HomeNet ")
        << QStringList({QStringLiteral("CafeOpen"), QStringLiteral("   ")}) << 1
        << QStringLiteral("HomeNet");
    QTest::newRow("a named current list item wins over the typed SSID, trimmed")
        << QStringLiteral("HomeNet")
        << QStringList({QStringLiteral("HomeNet"), QStringLiteral(" CafeOpen  ")}) << 1
        << QStringLiteral("CafeOpen");
}

void WindowGuidedTest::takesTheTargetFromTheFieldOrTheList()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listItems);
    QFETCH(int, currentRow);
    QFETCH(QString, target);

    laptop->writeState(StandInLaptop::homeLaptop({firstCharger}));
    MainWindow window;
    QVERIFY(prepareTarget(window, typed, listItems, currentRow));
    QVERIFY(setOptions(false, false, true, false));

    const QStringList statuses = runGuidedSetup(window);

    QVERIFY2(statuses.contains(QStringLiteral("WiFi configured for %1.").arg(target)),
             qPrintable(statuses.join(QLatin1Char('\n'))));
    QCOMPARE(statuses.last(), QStringLiteral("Done. Processed 1 charger(s), success: 1."));
    QCOMPARE(commandsStartingWith(rig->commands(), QStringLiteral("set wlan.ssid ")),
             QStringList({QStringLiteral("set wlan.ssid \"%1\"").arg(target)}));
    QCOMPARE(rig->charger(firstCharger).savedSettings.value(QStringLiteral("wlan.ssid")), target);
}

void WindowGuidedTest::requestsNoRejoinForALaptopThatWasOnNoNetwork()
{
    QJsonObject state = StandInLaptop::homeLaptop({firstCharger, secondCharger});
    state.insert(QStringLiteral("interfaces"), QJsonArray{StandInLaptop::adapter(wifi)});
    laptop->writeState(state);
    MainWindow window;
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));

    const QStringList statuses = runGuidedSetup(window);

    QCOMPARE(statuses.last(), QStringLiteral("Done. Processed 2 charger(s), success: 2."));
    for (const QString &status : statuses)
        QVERIFY2(!status.startsWith(QLatin1String("Restoring laptop Wi-Fi")), qPrintable(status));
    // The laptop ran the two visits and nothing after them: no disconnect, no rejoin.
    QCOMPARE(netsh(),
             rendered(discovery + chargerVisit(firstCharger) + chargerVisit(secondCharger)));
    QCOMPARE(laptop->connectedSsid(), secondCharger);
}

void WindowGuidedTest::keepsTheHomeNetworkWhenStartedFromAChargerNetwork()
{
    MainWindow window;
    // A manual join captures HomeNet and leaves the laptop on the first charger's network.
    QVERIFY(testsupport::joinCharger(&window, firstCharger));
    QCOMPARE(laptop->connectedSsid(), firstCharger);
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));
    QVERIFY(setOptions(true, false, false, false));

    const QStringList statuses = runGuidedSetup(window);

    QVERIFY2(statuses.contains(QStringLiteral("Restoring laptop Wi-Fi: HomeNet")),
             qPrintable(statuses.join(QLatin1Char('\n'))));
    QCOMPARE(statuses.last(), QStringLiteral("Done. Processed 2 charger(s), success: 2."));
    QCOMPARE(laptop->invocations().last(), rejoin(homeNet, wifi));
    QCOMPARE(laptop->connectedSsid(), homeNet);
}

void WindowGuidedTest::stopsBeforeTheNextChargerWhenTheWindowIsClosed()
{
    // The technician closes the window while the first charger is being verified.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(testsupport::enterTarget(&window, homeNet, homePassword));
    QVERIFY(setOptions(false, false, true, false));
    QObject::connect(&rig->sim, &ChargerSimulator::requestReceived, &window,
                     [&window](const SimRequest &request) {
                         if (request.command.startsWith(QLatin1String("network_verify")))
                             QTimer::singleShot(0, &window, &QWidget::close);
                     });

    const QStringList statuses = runGuidedSetup(window);
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);

    QVERIFY(home->logEntries().contains(
        QStringLiteral("Guided setup stopped: the window was closed.")));
    QVERIFY(!statuses.last().startsWith(QLatin1String("Done.")));
    // The close restored the laptop; the second charger was never joined or readdressed.
    const QList<QStringList> calls = laptop->invocations();
    for (const QStringList &call : calls)
        QVERIFY2(!call.join(QLatin1Char(' ')).contains(secondCharger),
                 qPrintable(call.join(QLatin1Char(' '))));
    QCOMPARE(calls.last(), rejoin(homeNet, wifi));
    QCOMPARE(laptop->connectedSsid(), homeNet);
}

QTEST_MAIN(WindowGuidedTest)
#include "tst_window_guided.moc"
