#include "app/mainwindow.h"
#include "charger_rig.h"
#include "standin_laptop.h"
#include "window_harness.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <memory>

using testsupport::ChargerRig;
using testsupport::IsolatedHome;
using testsupport::StandInLaptop;

namespace {

const QString firstCharger = QStringLiteral("JuiceNet-1A2B");
const QString secondCharger = QStringLiteral("JuiceNet-3C4D");
const QString homePassword = QStringLiteral("correct horse");

const QString getInfoOption = QStringLiteral("Get info (SSID/Passkey/UUID)");
const QString clearCacheOption = QStringLiteral("Clear ECache & EEvents");
const QString configureWifiOption = QStringLiteral("Configure Wi-Fi credentials");
const QString firmwareOption = QStringLiteral("Firmware update");

// The option boxes are never placed in the window, so they are found among all widgets.
QCheckBox *option(const QString &text)
{
    for (QWidget *widget : QApplication::allWidgets()) {
        auto *box = qobject_cast<QCheckBox *>(widget);
        if (box && box->text() == text)
            return box;
    }
    return nullptr;
}

bool setOptions(bool getInfo, bool clearCache, bool configureWifi, bool firmware)
{
    const QList<QPair<QString, bool>> wanted = {{getInfoOption, getInfo},
                                                {clearCacheOption, clearCache},
                                                {configureWifiOption, configureWifi},
                                                {firmwareOption, firmware}};
    for (const auto &entry : wanted) {
        QCheckBox *box = option(entry.first);
        if (!box)
            return false;
        box->setChecked(entry.second);
    }
    return true;
}

// The stacked pages reorder their children when one is raised, so a list is found on the card
// of the button that works on it rather than by its position among the window's children.
QListWidget *listBeside(QWidget *window, const QString &buttonText)
{
    QPushButton *button = testsupport::findButton(window, buttonText);
    return button ? button->parentWidget()->findChild<QListWidget *>() : nullptr;
}

QListWidget *chargerList(QWidget *window)
{
    return listBeside(window, QStringLiteral("Find Charger Wi-Fi"));
}

QListWidget *wifiList(QWidget *window)
{
    return listBeside(window, QStringLiteral("Scan Available Wi-Fi (from charger)"));
}

bool typeTarget(QWidget *window, const QString &ssid, const QString &password)
{
    // The SSID field and the password field (the one that masks its text) of the Wi-Fi page.
    QLineEdit *ssidEdit = nullptr;
    QLineEdit *passwordEdit = nullptr;
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        (edit->echoMode() == QLineEdit::Password ? passwordEdit : ssidEdit) = edit;
    if (!ssidEdit || !passwordEdit)
        return false;
    ssidEdit->setText(ssid);
    passwordEdit->setText(password);
    return true;
}

// The stand-in's journal as one line per invocation. The temporary profile path differs per
// run; a path of the expected form is written as <profile>, anything else stays visible.
QStringList netshLines(const StandInLaptop &laptop)
{
    static const QRegularExpression profilePath(QStringLiteral("^filename=") +
                                                QRegularExpression::escape(QDir::tempPath()) +
                                                QStringLiteral("/zephyl_[^/]+\\.xml$"));
    QStringList lines;
    for (QStringList argv : laptop.invocations()) {
        for (QString &argument : argv) {
            if (profilePath.match(argument).hasMatch())
                argument = QStringLiteral("filename=<profile>");
        }
        lines << argv.join(QLatin1Char(' '));
    }
    return lines;
}

QStringList joinLines(const QString &ssid)
{
    return {QStringLiteral("wlan disconnect"), QStringLiteral("wlan delete profile name=") + ssid,
            QStringLiteral("wlan add profile filename=<profile> interface=Wi-Fi"),
            QStringLiteral("wlan connect name=%1 ssid=%1 interface=Wi-Fi").arg(ssid)};
}

QStringList staticAddressLines()
{
    return {QStringLiteral("interface ip set address Wi-Fi static 10.10.10.2 255.255.255.0"),
            QStringLiteral("interface ip set dns name=Wi-Fi static 10.10.10.1 primary"),
            QStringLiteral("interface ip show addresses Wi-Fi")};
}

const QString showAddresses = QStringLiteral("interface ip show addresses Wi-Fi");
const QString rejoinDisconnect = QStringLiteral("wlan disconnect interface=Wi-Fi");
const QString rejoinHome = QStringLiteral("wlan connect name=HomeNet interface=Wi-Fi");

// The status messages of one charger that goes through every selected step.
QStringList processedChargerStatuses(const QString &charger, bool clearCache, bool configureWifi,
                                     bool firmware)
{
    QStringList statuses = {QStringLiteral("Found a charger, connecting... ") + charger,
                            QStringLiteral("Static IP applied (10.10.10.2).")};
    if (clearCache)
        statuses << QStringLiteral("Cleaning ECache & EEvents on ") + charger +
                        QStringLiteral("...");
    if (configureWifi) {
        statuses << QStringLiteral("Verifying network before config on ") + charger +
                        QStringLiteral("...")
                 << QStringLiteral("Running network verify before applying Wi-Fi credentials...")
                 << QStringLiteral("Network verify passed: credentials are valid.")
                 << QStringLiteral("Applying Wi-Fi on ") + charger + QStringLiteral("...")
                 << QStringLiteral("WiFi configured for HomeNet.");
    }
    if (firmware)
        statuses << QStringLiteral("Starting firmware update on ") + charger +
                        QStringLiteral("...");
    statuses << QStringLiteral(
        "You should see a steady white light after charger reboot if everything is successful.");
    return statuses;
}

QStringList deviceInfoReads()
{
    // "system.euid" is unknown to the simulated firmware, "system.uuid" carries the ead token.
    return {QStringLiteral("get wlan.ssid"), QStringLiteral("get wlan.passkey"),
            QStringLiteral("get system.euid"), QStringLiteral("get system.uuid")};
}

QStringList identityReads()
{
    return {QStringLiteral("get system.uuid"), QStringLiteral("get system.serial"),
            QStringLiteral("get wlan.mac")};
}

QStringList cleanupCommands()
{
    return {QStringLiteral("ls -v"), QStringLiteral("fde \"ECache_0001.bin\""),
            QStringLiteral("fde \"EEvents_2026-03-14.log\""),
            QStringLiteral("fde \"ECache_0002.bin\""), QStringLiteral("save")};
}

QStringList verifyAndWriteCommands()
{
    // The stronger of the two HomeNet access points (-48 on channel 11), WPA2-AES = code 4.
    return {QStringLiteral("wlan_scan -v"),
            QStringLiteral("network_verify wifi HomeNet a4:2b:b0:11:22:02 11 4 ") +
                chargersim::wpaPskHex(homePassword, QStringLiteral("HomeNet")),
            QStringLiteral("set wlan.ssid \"HomeNet\""),
            QStringLiteral("set wlan.passkey \"correct horse\""),
            QStringLiteral("set wlan.auto_join.enabled 1"),
            QStringLiteral("save")};
}

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
    QStringList found;
    for (const QString &command : commands) {
        if (command.startsWith(prefix))
            found << command;
    }
    return found;
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
    const int before = home->statuses().size();
    rig->clear();
    laptop->clearJournal();
    if (!testsupport::invokeSlot(&window, "onStartGuidedSetup"))
        return {QStringLiteral("<onStartGuidedSetup could not be invoked>")};
    return home->statuses().mid(before);
}

void WindowGuidedTest::provisionsTwoChargersWithEveryOption()
{
    MainWindow window;
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));
    QVERIFY(setOptions(true, true, true, true));

    const QStringList statuses = runGuidedSetup(window);

    QStringList expectedStatuses = {
        QStringLiteral(
            "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi..."),
        QStringLiteral("Found 2 charger network(s).")};
    expectedStatuses << processedChargerStatuses(firstCharger, true, true, true)
                     << processedChargerStatuses(secondCharger, true, true, true)
                     << QStringLiteral("Restoring laptop Wi-Fi: HomeNet")
                     << QStringLiteral("Done. Processed 2 charger(s), success: 2.");
    QCOMPARE(statuses, expectedStatuses);

    // Each charger answered only while the laptop was on its setup network, and got its own
    // sequence; the identity block is read from the first charger only.
    const QMap<QString, QStringList> byCharger = commandsByCharger(*rig);
    QCOMPARE(byCharger.keys(), QStringList({firstCharger, secondCharger}));
    QStringList expectedFirst = deviceInfoReads();
    expectedFirst << identityReads() << deviceInfoReads() << cleanupCommands()
                  << verifyAndWriteCommands() << QStringLiteral("dfuu -i wlan --multi");
    QCOMPARE(byCharger.value(firstCharger), expectedFirst);
    QStringList expectedSecond = deviceInfoReads();
    expectedSecond << deviceInfoReads() << cleanupCommands() << verifyAndWriteCommands()
                   << QStringLiteral("dfuu -i wlan --multi");
    QCOMPARE(byCharger.value(secondCharger), expectedSecond);

    for (const QString &ssid : {firstCharger, secondCharger}) {
        const SimCharger &charger = rig->charger(ssid);
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.ssid")),
                 QStringLiteral("HomeNet"));
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.passkey")), homePassword);
        QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.auto_join.enabled")),
                 QStringLiteral("1"));
        QCOMPARE(charger.files.size(), 1);
        QCOMPARE(charger.files.first().name, QStringLiteral("config.json"));
        QCOMPARE(charger.firmwareUpdateCount, 1);
        QCOMPARE(charger.rebootCount, 0);
    }

    QStringList expectedNetsh = {QStringLiteral("wlan show interfaces"),
                                 QStringLiteral("wlan show networks mode=bssid")};
    for (const QString &ssid : {firstCharger, secondCharger})
        expectedNetsh << joinLines(ssid) << staticAddressLines() << showAddresses;
    expectedNetsh << rejoinDisconnect << rejoinHome;
    QCOMPARE(netshLines(*laptop), expectedNetsh);

    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 2);
    QVERIFY(profiles.at(0).contains(QStringLiteral("<name>JuiceNet-1A2B</name>")));
    QVERIFY(profiles.at(1).contains(QStringLiteral("<name>JuiceNet-3C4D</name>")));

    // The laptop is back on its own network by the profile Windows kept for it.
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
    bool homeProfileKept = false;
    for (const QJsonValue &profile : laptop->readState().value(QLatin1String("profiles")).toArray())
        homeProfileKept |=
            profile.toObject().value(QLatin1String("name")).toString() == QLatin1String("HomeNet");
    QVERIFY(homeProfileKept);

    const QString log = home->logText();
    QVERIFY(!log.contains(homePassword));
    QVERIFY(!log.contains(chargersim::wpaPskHex(homePassword, QStringLiteral("HomeNet"))));
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
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));

    const QStringList statuses = runGuidedSetup(window);

    QStringList expectedStatuses = {
        QStringLiteral(
            "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi..."),
        QStringLiteral("Found 2 charger network(s)."),
        QStringLiteral("Found a charger, connecting... JuiceNet-1A2B"),
        QStringLiteral("Could not connect to JuiceNet-1A2B. Skipping.")};
    expectedStatuses << processedChargerStatuses(secondCharger, false, true, false)
                     << QStringLiteral("Restoring laptop Wi-Fi: HomeNet")
                     << QStringLiteral("Done. Processed 2 charger(s), success: 1.");
    QCOMPARE(statuses, expectedStatuses);

    // Nothing is addressed or asked on the way from the failed join to the next charger.
    QStringList expectedNetsh = {QStringLiteral("wlan show interfaces"),
                                 QStringLiteral("wlan show networks mode=bssid")};
    expectedNetsh << joinLines(firstCharger) << joinLines(secondCharger) << staticAddressLines()
                  << showAddresses << rejoinDisconnect << rejoinHome;
    QCOMPARE(netshLines(*laptop), expectedNetsh);

    const QMap<QString, QStringList> byCharger = commandsByCharger(*rig);
    QCOMPARE(byCharger.keys(), QStringList({secondCharger}));
    QCOMPARE(rig->charger(firstCharger).saveCount, 0);
    QCOMPARE(rig->charger(secondCharger).savedSettings.value(QStringLiteral("wlan.ssid")),
             QStringLiteral("HomeNet"));
}

void WindowGuidedTest::skipsTheWritesOfAChargerThatFailsVerification()
{
    // The first charger is mounted where HomeNet uses another password.
    for (SimNetwork &network : rig->charger(firstCharger).networks) {
        if (network.ssid == QLatin1String("HomeNet"))
            network.password = QStringLiteral("another password");
    }
    MainWindow window;
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));
    QVERIFY(setOptions(true, true, true, true));

    const QStringList statuses = runGuidedSetup(window);

    QStringList expectedStatuses = {
        QStringLiteral(
            "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi..."),
        QStringLiteral("Found 2 charger network(s)."),
        QStringLiteral("Found a charger, connecting... JuiceNet-1A2B"),
        QStringLiteral("Static IP applied (10.10.10.2)."),
        QStringLiteral("Cleaning ECache & EEvents on JuiceNet-1A2B..."),
        QStringLiteral("Verifying network before config on JuiceNet-1A2B..."),
        QStringLiteral("Running network verify before applying Wi-Fi credentials..."),
        QStringLiteral("Network verify failed: bad credentials. Check the Wi-Fi password."),
        QStringLiteral("Network verify failed for JuiceNet-1A2B. Skipping Wi-Fi config.")};
    expectedStatuses << processedChargerStatuses(secondCharger, true, true, true)
                     << QStringLiteral("Restoring laptop Wi-Fi: HomeNet")
                     << QStringLiteral("Done. Processed 2 charger(s), success: 1.");
    QCOMPARE(statuses, expectedStatuses);

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
    QCOMPARE(second.mid(second.size() - 7),
             QStringList(verifyAndWriteCommands() << QStringLiteral("dfuu -i wlan --multi")));
    QCOMPARE(rig->charger(secondCharger).firmwareUpdateCount, 1);
    QCOMPARE(rig->charger(secondCharger).savedSettings.value(QStringLiteral("wlan.passkey")),
             homePassword);

    // The rejected key is as secret as the accepted one.
    const QString log = home->logText();
    QVERIFY(!log.contains(homePassword));
    QVERIFY(!log.contains(chargersim::wpaPskHex(homePassword, QStringLiteral("HomeNet"))));
}

void WindowGuidedTest::countsJoinedChargersWithoutWifiConfiguration()
{
    MainWindow window;
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));
    QVERIFY(setOptions(true, false, false, false));

    const QStringList statuses = runGuidedSetup(window);

    QStringList expectedStatuses = {
        QStringLiteral(
            "Reboot the charger and wait until it flashes blue. Looking for charger Wi-Fi..."),
        QStringLiteral("Found 2 charger network(s).")};
    expectedStatuses << processedChargerStatuses(firstCharger, false, false, false)
                     << processedChargerStatuses(secondCharger, false, false, false)
                     << QStringLiteral("Restoring laptop Wi-Fi: HomeNet")
                     << QStringLiteral("Done. Processed 2 charger(s), success: 2.");
    QCOMPARE(statuses, expectedStatuses);

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
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    QVERIFY(chargerList(&window));
    chargerList(&window)->setCurrentRow(0);
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    QVERIFY(home->logEntries().contains(QStringLiteral("Captured original laptop Wi-Fi: HomeNet")));

    // The technician moves the laptop to the office network; no charger is in range any more.
    QJsonObject state = StandInLaptop::homeLaptop({});
    QJsonArray networks = state.value(QLatin1String("networks")).toArray();
    networks.append(StandInLaptop::network(
        QStringLiteral("OfficeNet"), QStringLiteral("WPA2-Personal"), QStringLiteral("172.16.4.20"),
        QStringLiteral("00:1a:2b:3c:4d:5e"), 85, 44));
    state.insert(QStringLiteral("networks"), networks);
    QJsonArray profiles = state.value(QLatin1String("profiles")).toArray();
    profiles.append(StandInLaptop::profile(QStringLiteral("OfficeNet"), QStringLiteral("Wi-Fi")));
    state.insert(QStringLiteral("profiles"), profiles);
    state.insert(
        QStringLiteral("interfaces"),
        QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi"), QStringLiteral("OfficeNet"),
                                          QStringLiteral("172.16.4.20"))});
    laptop->writeState(state);
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));

    const QStringList statuses = runGuidedSetup(window);

    QCOMPARE(statuses,
             QStringList({QStringLiteral("Reboot the charger and wait until it flashes blue. "
                                         "Looking for charger Wi-Fi..."),
                          QStringLiteral("No JuiceNet found. Move closer to charger, keep lights "
                                         "flashing blue, then scan again."),
                          QStringLiteral("No charger networks found. Reboot charger and try "
                                         "again.")}));
    QCOMPARE(chargerList(&window)->count(), 0);
    // Discovery only: three attempts of two listings, no join and no rejoin.
    QStringList expectedNetsh = {QStringLiteral("wlan show interfaces")};
    for (int attempt = 0; attempt < 3; ++attempt)
        expectedNetsh << QStringLiteral("wlan show networks mode=bssid")
                      << QStringLiteral("wlan show networks interface=Wi-Fi mode=bssid");
    QCOMPARE(netshLines(*laptop), expectedNetsh);
    QCOMPARE(rig->commands(), QStringList());

    // The run replaced the captured HomeNet by OfficeNet: closing asks to rejoin OfficeNet.
    laptop->clearJournal();
    window.close();
    QCOMPARE(netshLines(*laptop),
             QStringList({QStringLiteral("interface ip set address name=Wi-Fi source=dhcp"),
                          QStringLiteral("interface ip set dns name=Wi-Fi source=dhcp"),
                          rejoinDisconnect,
                          QStringLiteral("wlan connect name=OfficeNet interface=Wi-Fi")}));
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
    QVERIFY(typeTarget(&window, typed, homePassword));
    QVERIFY(wifiList(&window));
    wifiList(&window)->addItems(listItems);
    wifiList(&window)->setCurrentRow(currentRow);
    QCOMPARE(wifiList(&window)->currentRow(), currentRow);

    QCOMPARE(
        runGuidedSetup(window),
        QStringList({QStringLiteral("Pick target Wi-Fi from scan list or enter SSID manually.")}));
    QCOMPARE(netshLines(*laptop), QStringList());
    QCOMPARE(rig->commands(), QStringList());

    // The laptop's network was not captured: closing returns to DHCP and asks for no rejoin.
    window.close();
    QCOMPARE(netshLines(*laptop),
             QStringList({QStringLiteral("interface ip set address name=Wi-Fi source=dhcp"),
                          QStringLiteral("interface ip set dns name=Wi-Fi source=dhcp")}));
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
    QVERIFY(typeTarget(&window, typed, homePassword));
    QVERIFY(wifiList(&window));
    wifiList(&window)->addItems(listItems);
    wifiList(&window)->setCurrentRow(currentRow);
    QCOMPARE(wifiList(&window)->currentRow(), currentRow);
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
    state.insert(QStringLiteral("interfaces"),
                 QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi"))});
    laptop->writeState(state);
    MainWindow window;
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));

    const QStringList statuses = runGuidedSetup(window);

    QCOMPARE(statuses.last(), QStringLiteral("Done. Processed 2 charger(s), success: 2."));
    for (const QString &status : statuses)
        QVERIFY2(!status.startsWith(QLatin1String("Restoring laptop Wi-Fi")), qPrintable(status));
    // The journal ends with the second charger's address read: no disconnect or rejoin follows.
    const QStringList netsh = netshLines(*laptop);
    QVERIFY(!netsh.contains(rejoinDisconnect));
    QCOMPARE(netsh.last(), showAddresses);
    QCOMPARE(netsh.filter(QStringLiteral("wlan connect ")),
             QStringList({QStringLiteral("wlan connect name=JuiceNet-1A2B ssid=JuiceNet-1A2B "
                                         "interface=Wi-Fi"),
                          QStringLiteral("wlan connect name=JuiceNet-3C4D ssid=JuiceNet-3C4D "
                                         "interface=Wi-Fi")}));
    QCOMPARE(laptop->connectedSsid(), secondCharger);
}

void WindowGuidedTest::keepsTheHomeNetworkWhenStartedFromAChargerNetwork()
{
    MainWindow window;
    // A manual join captures HomeNet and leaves the laptop on the first charger's network.
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    chargerList(&window)->setCurrentRow(0);
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    QCOMPARE(laptop->connectedSsid(), firstCharger);
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));
    QVERIFY(setOptions(true, false, false, false));

    const QStringList statuses = runGuidedSetup(window);

    QVERIFY2(statuses.contains(QStringLiteral("Restoring laptop Wi-Fi: HomeNet")),
             qPrintable(statuses.join(QLatin1Char('\n'))));
    QCOMPARE(statuses.last(), QStringLiteral("Done. Processed 2 charger(s), success: 2."));
    const QList<QStringList> calls = laptop->invocations();
    QCOMPARE(calls.last(),
             QStringList({QStringLiteral("wlan"), QStringLiteral("connect"),
                          QStringLiteral("name=HomeNet"), QStringLiteral("interface=Wi-Fi")}));
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
}

void WindowGuidedTest::stopsBeforeTheNextChargerWhenTheWindowIsClosed()
{
    // The technician closes the window while the first charger is being verified.
    const bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(typeTarget(&window, QStringLiteral("HomeNet"), homePassword));
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
    QCOMPARE(calls.last(),
             QStringList({QStringLiteral("wlan"), QStringLiteral("connect"),
                          QStringLiteral("name=HomeNet"), QStringLiteral("interface=Wi-Fi")}));
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
}

QTEST_MAIN(WindowGuidedTest)
#include "tst_window_guided.moc"
