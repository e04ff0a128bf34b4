#include "app/mainwindow.h"
#include "charger_rig.h"
#include "netsh_argv.h"
#include "standin_laptop.h"
#include "window_harness.h"
#include "window_widgets.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

#include <memory>

using testsupport::ChargerRig;
using testsupport::IsolatedHome;
using testsupport::itemTexts;
using testsupport::StandInLaptop;
using testsupport::wifiList;

namespace {

const QString kCharger = QStringLiteral("JuiceNet-1A2B");
const QString kScan = QStringLiteral("wlan_scan -v");
const QString kRunButton = QStringLiteral("Set Wi-Fi + Reboot Charger");
const QString kScanButton = QStringLiteral("Scan Available Wi-Fi (from charger)");

// The strongest HomeNet access point of the standard charger.
const QString kHome = QStringLiteral("HomeNet");
const QString kHomeBssid = QStringLiteral("a4:2b:b0:11:22:02");
const QString kHomeChannel = QStringLiteral("11");
const QString kHomePassword = QStringLiteral("correct horse");

const QStringList kStandardList = {"HomeNet", "CafeOpen", "NeighbourWPA3"};
const QString kScanning = QStringLiteral("Scanning Wi-Fi from charger...");
const QString kScanUnavailable =
    QStringLiteral("Wi-Fi scan unavailable from charger right now. Enter SSID manually.");

// The statuses of a run, step by step.
const QString kVerifying = QStringLiteral("Verifying network before applying credentials...");
const QString kRunningVerify =
    QStringLiteral("Running network verify before applying Wi-Fi credentials...");
const QString kApplying = QStringLiteral("Applying customer Wi-Fi credentials (set + save)...");
const QString kGate = QStringLiteral("Verifying Wi-Fi authentication before reboot...");
const QString kAuthVerified = QStringLiteral("Wi-Fi auth verified.");
const QString kRebootSent = QStringLiteral("Wi-Fi saved. Reboot command sent (reboot).");

QString verifyCommand(const QString &ssid, const QString &bssid, const QString &channel, int code,
                      const QString &password)
{
    return QStringLiteral("network_verify wifi %1 %2 %3 %4 %5")
        .arg(ssid, bssid, channel, QString::number(code),
             testsupport::referenceWpaKey(password, ssid));
}

QString homeVerify(const QString &password = kHomePassword)
{
    return verifyCommand(kHome, kHomeBssid, kHomeChannel, 4, password);
}

// What the write step sends in one attempt.
QStringList writeCommands(const QString &ssid, const QString &password)
{
    return {QStringLiteral("set wlan.ssid \"%1\"").arg(ssid),
            QStringLiteral("set wlan.passkey \"%1\"").arg(password),
            QStringLiteral("set wlan.auto_join.enabled 1"), QStringLiteral("save")};
}

QStringList gateAndReboot()
{
    return {kScan, homeVerify(), QStringLiteral("reboot")};
}

// A run for HomeNet: the scan and the check before the write, the write attempts, then `tail`.
QStringList homeRun(int writeAttempts, const QStringList &tail)
{
    QStringList commands = {kScan, homeVerify()};
    for (int attempt = 0; attempt < writeAttempts; ++attempt)
        commands << writeCommands(kHome, kHomePassword);
    return commands << tail;
}

// The verify command as the log must show it, and the log line of its exchange.
QString redactedVerifyLine(const QString &ssid, const QString &bssid, const QString &channel,
                           int code)
{
    return QStringLiteral("network_verify wifi %1 %2 %3 %4 [REDACTED]")
        .arg(ssid, bssid, channel, QString::number(code));
}

QString homeVerifyLog(const QString &outcome)
{
    return QStringLiteral("CMD ") + redactedVerifyLine(kHome, kHomeBssid, kHomeChannel, 4) +
           outcome;
}

} // namespace

class WindowProvisioningTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Charger-side scan.
    void scanTriesEveryCommandTwiceInOrder_data();
    void scanTriesEveryCommandTwiceInOrder();
    void scanWithoutNetworksKeepsTheList_data();
    void scanWithoutNetworksKeepsTheList();

    // "Set Wi-Fi + Reboot Charger".
    void appliesCredentialsRebootsAndRestoresTheLaptop_data();
    void appliesCredentialsRebootsAndRestoresTheLaptop();
    void listSelectionWinsOverTypedSsid();
    void refusesToStartWithoutInput_data();
    void refusesToStartWithoutInput();
    void verificationStopsTheRunBeforeAnyWrite_data();
    void verificationStopsTheRunBeforeAnyWrite();
    void writeIsRetriedOnceAsAWhole_data();
    void writeIsRetriedOnceAsAWhole();
    void gateBlocksTheReboot_data();
    void gateBlocksTheReboot();
    void gateInconclusiveThreeTimesStillReboots();
    void rebootTriesTheWordsInOrder_data();
    void rebootTriesTheWordsInOrder();
    void openNetworkSkipsVerificationAndGateUsesTheShortForm();
    void ssidWithBlanksTravelsUnquoted();

private:
    // Scan + connect to the charger network, as a technician does first, so the laptop's own
    // network (HomeNet) is remembered; then forget what that sent.
    bool joinCharger(MainWindow &window);
    bool type(MainWindow &window, const QString &ssid, const QString &password);
    // Joins the charger, adds the faults, types the target and presses the run button.
    bool run(MainWindow &window, const QString &ssid, const QString &password,
             const QList<SimFault> &faults = {});
    void verifyCompletedRun(const QString &ssid, const QString &password);
    void verifyBlockedRun();

    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
    std::unique_ptr<ChargerRig> rig;
};

void WindowProvisioningTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({kCharger}));
    rig = std::make_unique<ChargerRig>();
}

void WindowProvisioningTest::cleanup()
{
    rig.reset();
    laptop.reset();
    home.reset();
}

bool WindowProvisioningTest::joinCharger(MainWindow &window)
{
    if (!testsupport::joinCharger(&window, kCharger) || laptop->connectedSsid() != kCharger ||
        !home->logEntries().contains(QStringLiteral("Captured original laptop Wi-Fi: HomeNet")))
        return false;
    rig->clear();
    laptop->clearJournal();
    return true;
}

bool WindowProvisioningTest::type(MainWindow &window, const QString &ssid, const QString &password)
{
    QTest::keyClicks(testsupport::ssidEdit(&window), ssid);
    QTest::keyClicks(testsupport::passwordEdit(&window), password);
    return testsupport::ssidEdit(&window)->text() == ssid &&
           testsupport::passwordEdit(&window)->text() == password;
}

bool WindowProvisioningTest::run(MainWindow &window, const QString &ssid, const QString &password,
                                 const QList<SimFault> &faults)
{
    if (!joinCharger(window))
        return false;
    for (const SimFault &fault : faults)
        rig->sim.addFault(fault);
    if (!type(window, ssid, password))
        return false;
    home->markStatuses();
    testsupport::clickButton(&window, kRunButton);
    return true;
}

// The run reached the reboot: the charger holds the saved credentials and the laptop was sent
// back to DHCP and its own network.
void WindowProvisioningTest::verifyCompletedRun(const QString &ssid, const QString &password)
{
    const SimCharger &charger = rig->charger();
    QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.ssid")), ssid);
    QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.passkey")), password);
    QCOMPARE(charger.savedSettings.value(QStringLiteral("wlan.auto_join.enabled")),
             QStringLiteral("1"));
    QCOMPARE(laptop->invocations(), testsupport::netsh::restore(QStringLiteral("Wi-Fi"), kHome));
    QCOMPARE(laptop->connectedSsid(), kHome);
    const QStringList entries = home->logEntries();
    QVERIFY(
        entries.contains(QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi")));
    QVERIFY(entries.contains(QStringLiteral("Reconnect requested for original SSID: HomeNet")));
    testsupport::verifyNoSecretIn(home->logText(), password, ssid);
}

// The run stopped before the reboot: the tests compare every command sent, and the laptop stays
// on the charger's network.
void WindowProvisioningTest::verifyBlockedRun()
{
    QCOMPARE(rig->charger().rebootCount, 0);
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    QCOMPARE(laptop->connectedSsid(), kCharger);
    testsupport::verifyNoSecretIn(home->logText(), kHomePassword, kHome);
}

void WindowProvisioningTest::scanTriesEveryCommandTwiceInOrder_data()
{
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QStringList>("expectedList");
    QTest::addColumn<QByteArray>("lastRequestLine");

    const QByteArray unavailable("service unavailable");

    QTest::newRow("the first command's table lists the charger's networks in order")
        << QList<SimFault>() << QStringList{kScan} << kStandardList
        << QByteArray("GET http://setup.zephyl/command/wlan_scan%20-v HTTP/1.1");
    QTest::newRow("a blank answer is retried like a failed one")
        << QList<SimFault>{SimFault::replyText(kScan, QStringLiteral(" \r\n"), 1)}
        << QStringList{kScan, kScan} << kStandardList
        << QByteArray("GET http://setup.zephyl/command/wlan_scan%20-v HTTP/1.1");
    QTest::newRow("wifiscan answers its second attempt with JSON after two failed table scans")
        << QList<SimFault>{SimFault::httpStatus(kScan, 503, unavailable, 2),
                           SimFault::httpStatus(QStringLiteral("wifiscan"), 503, unavailable, 1),
                           SimFault::replyJson(
                               QStringLiteral("wifiscan"),
                               QJsonArray{QJsonObject{{"ssid", "Garden Net"}, {"ch", 6}},
                                          QJsonObject{{"ssid", "Loft"}, {"ch", 1}}},
                               1)}
        << QStringList{kScan, kScan, "wifiscan", "wifiscan"} << QStringList{"Garden Net", "Loft"}
        << QByteArray("GET http://setup.zephyl/command/wifiscan HTTP/1.1");
    QTest::newRow("scan wlan answers after three commands failed twice each")
        << QList<SimFault>{SimFault::httpStatus(kScan, 503, unavailable, 2),
                           SimFault::httpStatus(QStringLiteral("wifiscan"), 500, unavailable, 2),
                           SimFault::httpStatus(QStringLiteral("wlan.scan"), 404, unavailable, 2),
                           SimFault::replyText(QStringLiteral("scan wlan"),
                                               QStringLiteral("ssid: Loft\nssid=\"Garden Net\"\n"),
                                               1)}
        << QStringList{kScan, kScan, "wifiscan", "wifiscan", "wlan.scan", "wlan.scan", "scan wlan"}
        << QStringList{"Loft", "Garden Net"}
        << QByteArray("GET http://setup.zephyl/command/scan%20wlan HTTP/1.1");
}

void WindowProvisioningTest::scanTriesEveryCommandTwiceInOrder()
{
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, expectedCommands);
    QFETCH(QStringList, expectedList);
    QFETCH(QByteArray, lastRequestLine);

    MainWindow window;
    rig->clear();
    for (const SimFault &fault : faults)
        rig->sim.addFault(fault);
    home->markStatuses();

    testsupport::clickButton(&window, kScanButton);

    QCOMPARE(rig->commands(), expectedCommands);
    const QList<QByteArray> lines = rig->requestLines();
    QCOMPARE(lines.size(), expectedCommands.size());
    QCOMPARE(lines.last(), lastRequestLine);
    QCOMPARE(itemTexts(wifiList(&window)), expectedList);
    QCOMPARE(home->statusesSinceMark(),
             QStringList({kScanning, QStringLiteral("Found %1 Wi-Fi network(s) from charger scan.")
                                         .arg(expectedList.size())}));
}

void WindowProvisioningTest::scanWithoutNetworksKeepsTheList_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<bool>("eachRequestSeenOnce");

    const QStringList everyCommandTwice = {kScan,       kScan,       "wifiscan",  "wifiscan",
                                           "wlan.scan", "wlan.scan", "scan wlan", "scan wlan",
                                           "scan wifi", "scan wifi"};
    QTest::newRow("an answer ends the cascade even when no network can be read from it")
        << SimFault::replyText(kScan, QStringLiteral("Unknown command: wlan_scan -v"))
        << QStringList{kScan} << true;
    QTest::newRow("every command answers 503")
        << SimFault::httpStatus(QStringLiteral("*"), 503, "busy") << everyCommandTwice << true;
    // The network layer re-sends after a dropped connection, so only the order is fixed.
    QTest::newRow("every connection is dropped")
        << SimFault::drop(QStringLiteral("*")) << everyCommandTwice << false;
}

void WindowProvisioningTest::scanWithoutNetworksKeepsTheList()
{
    QFETCH(SimFault, fault);
    QFETCH(QStringList, expectedCommands);
    QFETCH(bool, eachRequestSeenOnce);

    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));
    QCOMPARE(itemTexts(wifiList(&window)), kStandardList);
    rig->clear();
    rig->sim.addFault(fault);
    home->markStatuses();

    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));

    const QStringList commands = rig->commands();
    if (eachRequestSeenOnce)
        QCOMPARE(commands, expectedCommands);
    QCOMPARE(testsupport::withoutRepeats(commands), testsupport::withoutRepeats(expectedCommands));
    for (const QString &command : expectedCommands)
        QVERIFY2(commands.count(command) >= expectedCommands.count(command), qPrintable(command));
    QCOMPARE(home->statusesSinceMark(), QStringList({kScanning, kScanUnavailable}));
    QCOMPARE(itemTexts(wifiList(&window)), kStandardList);
}

void WindowProvisioningTest::appliesCredentialsRebootsAndRestoresTheLaptop_data()
{
    QTest::addColumn<QString>("firstVerifyReply");
    QTest::addColumn<QString>("verdictStatus");
    QTest::addColumn<QString>("verdictLogLine");

    // Only the check before the write answers the given way (none: the charger's own verdict);
    // the gate always gets the charger's own verdict.
    const QString inconclusive = QStringLiteral("Network verify inconclusive; proceeding anyway.");
    QTest::newRow("the charger verifies the password")
        << QString() << QStringLiteral("Network verify passed: credentials are valid.")
        << QString();
    QTest::newRow("unverified is no pass but refuses nothing")
        << QStringLiteral("network unverified") << inconclusive << QString();
    QTest::newRow("unsuccessful is no pass but refuses nothing")
        << QStringLiteral("Verification unsuccessful") << inconclusive << QString();
    QTest::newRow("an unknown command is allowed without a status")
        << QStringLiteral("Unknown command") << QString()
        << QStringLiteral("verifyNetworkBeforeConfig: command unsupported on this firmware, "
                          "allowing");
}

void WindowProvisioningTest::appliesCredentialsRebootsAndRestoresTheLaptop()
{
    QFETCH(QString, firstVerifyReply);
    QFETCH(QString, verdictStatus);
    QFETCH(QString, verdictLogLine);

    QList<SimFault> faults;
    if (!firstVerifyReply.isEmpty())
        faults << SimFault::replyText(QStringLiteral("network_verify"), firstVerifyReply, 1)
                      .byFirstWord();
    MainWindow window;
    QVERIFY(run(window, kHome, kHomePassword, faults));

    const QStringList expected = homeRun(1, gateAndReboot());
    QCOMPARE(rig->commands(), expected);
    const QList<QByteArray> lines = rig->requestLines();
    QCOMPARE(lines.size(), expected.size());
    QCOMPARE(lines.at(3), QByteArray("GET http://setup.zephyl/command/"
                                     "set%20wlan.passkey%20%22correct%20horse%22 HTTP/1.1"));
    // Both checks send the WPA key of the passphrase, as a station derives it.
    const QByteArray verifyLine = "GET http://setup.zephyl/command/network_verify%20wifi%20HomeNet"
                                  "%20a4%3A2b%3Ab0%3A11%3A22%3A02%2011%204%20" +
                                  testsupport::referenceWpaKey(kHomePassword, kHome).toLatin1() +
                                  " HTTP/1.1";
    QCOMPARE(lines.at(1), verifyLine);
    QCOMPARE(lines.at(7), verifyLine);

    QStringList statuses = {kVerifying, kRunningVerify};
    if (!verdictStatus.isEmpty())
        statuses << verdictStatus;
    statuses << kApplying << kGate << kAuthVerified << kRebootSent;
    QCOMPARE(home->statusesSinceMark(), statuses);

    QStringList logLines = {
        QStringLiteral("verifyNetworkBeforeConfig: ssid=HomeNet bssid=a4:2b:b0:11:22:02 ch=11 "
                       "sec=WPA2-AES(4) rssi=-48"),
        homeVerifyLog(QStringLiteral(" -> ok=1 response=") + (firstVerifyReply.isEmpty()
                                                                  ? QStringLiteral("verified ok")
                                                                  : firstVerifyReply)),
        QStringLiteral("configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=1"),
        homeVerifyLog(QStringLiteral(" attempt=1 -> ok=1 response=verified ok")),
        QStringLiteral("CMD reboot -> httpOk=1 cmdOk=1 response=rebooting...")};
    if (!verdictLogLine.isEmpty())
        logLines << verdictLogLine;
    const QStringList entries = home->logEntries();
    for (const QString &line : logLines)
        QVERIFY2(entries.contains(line), qPrintable(line));

    QCOMPARE(rig->charger().saveCount, 1);
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(kHome, kHomePassword);
}

void WindowProvisioningTest::listSelectionWinsOverTypedSsid()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(testsupport::invokeSlot(&window, "goStep3"));
    QVERIFY(joinCharger(window));
    testsupport::clickButton(&window, kScanButton);
    QCOMPARE(home->statuses().last(),
             QStringLiteral("Found 3 Wi-Fi network(s) from charger scan."));
    rig->clear();

    QListWidget *list = wifiList(&window);
    QListWidgetItem *homeItem = list->item(0);
    QCOMPARE(homeItem->text(), kHome);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(homeItem).center());
    QCOMPARE(list->currentItem(), homeItem);
    QCOMPARE(testsupport::ssidEdit(&window)->text(), kHome);

    // Typed after the click: the selected item still decides.
    testsupport::ssidEdit(&window)->clear();
    QVERIFY(type(window, QStringLiteral("CafeOpen"), kHomePassword));
    testsupport::clickButton(&window, kRunButton);

    QCOMPARE(rig->commands(), homeRun(1, gateAndReboot()));
    verifyCompletedRun(kHome, kHomePassword);
}

void WindowProvisioningTest::refusesToStartWithoutInput_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("focusOnPassword");

    const QString noSsid = QStringLiteral("Select customer Wi-Fi first (or enter SSID manually).");
    const QString noPassword = QStringLiteral("Enter the customer Wi-Fi password.");
    QTest::newRow("no SSID typed and none selected")
        << QString() << kHomePassword << noSsid << false;
    QTest::newRow("an SSID of blanks counts as none")
        << QStringLiteral("   ") << kHomePassword << noSsid << false;
    QTest::newRow("no password for a protected network")
        << kHome << QString() << noPassword << true;
    QTest::newRow("no password for the open network either")
        << QStringLiteral("CafeOpen") << QString() << noPassword << true;
}

void WindowProvisioningTest::refusesToStartWithoutInput()
{
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(QString, status);
    QFETCH(bool, focusOnPassword);

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(testsupport::invokeSlot(&window, "goStep3"));
    rig->clear();
    laptop->clearJournal();
    QVERIFY(type(window, ssid, password));
    testsupport::ssidEdit(&window)->setFocus();
    QVERIFY(testsupport::ssidEdit(&window)->hasFocus());
    home->markStatuses();

    testsupport::clickButton(&window, kRunButton);

    QCOMPARE(home->statusesSinceMark(), QStringList({status}));
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    QCOMPARE(testsupport::passwordEdit(&window)->hasFocus(), focusOnPassword);
}

void WindowProvisioningTest::verificationStopsTheRunBeforeAnyWrite_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("logLine");

    const QString badCredentials =
        QStringLiteral("Network verify failed: bad credentials. Check the Wi-Fi password.");
    // The password is used as typed: a trailing blank makes it a different, wrong one.
    const QString wrong = QStringLiteral("correct horse ");

    QTest::newRow("the charger rejects the password with a trailing blank")
        << kHome << wrong << QList<SimFault>() << QStringList{kScan, homeVerify(wrong)}
        << badCredentials
        << homeVerifyLog(QStringLiteral(" -> ok=1 response=authentication failed"));
    QTest::newRow("auth failed with the word broken is bad credentials, not a pass")
        << kHome << kHomePassword
        << QList<SimFault>{SimFault::replyText(QStringLiteral("network_verify"),
                                               QStringLiteral("auth failed: broken key"))
                               .byFirstWord()}
        << QStringList{kScan, homeVerify()} << badCredentials
        << homeVerifyLog(QStringLiteral(" -> ok=1 response=auth failed: broken key"));
    QTest::newRow("a WPA3-SAE network has no security code")
        << QStringLiteral("NeighbourWPA3") << QStringLiteral("neighbour-secret")
        << QList<SimFault>() << QStringList{kScan}
        << QStringLiteral("Network verify failed: unknown security type \"WPA3-SAE\".")
        << QStringLiteral("verifyNetworkBeforeConfig: unknown security type \"WPA3-SAE\"");
    QTest::newRow("a network the charger does not see")
        << QStringLiteral("Nowhere") << kHomePassword << QList<SimFault>() << QStringList{kScan}
        << QStringLiteral("Network verify failed: \"Nowhere\" not found in charger scan.")
        << QStringLiteral("verifyNetworkBeforeConfig: target SSID not found in scan");
    QTest::newRow("the scan fails at the transport")
        << kHome << kHomePassword << QList<SimFault>{SimFault::httpStatus(kScan, 503, "busy", 1)}
        << QStringList{kScan}
        << QStringLiteral("Network verify failed: could not scan Wi-Fi networks.")
        << QStringLiteral("verifyNetworkBeforeConfig: wlan_scan -v failed");
}

void WindowProvisioningTest::verificationStopsTheRunBeforeAnyWrite()
{
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, expectedCommands);
    QFETCH(QString, reason);
    QFETCH(QString, logLine);

    MainWindow window;
    QVERIFY(run(window, ssid, password, faults));

    QCOMPARE(rig->commands(), expectedCommands);
    QCOMPARE(home->statusesSinceMark(),
             QStringList({kVerifying, kRunningVerify, reason,
                          "Network verify failed. Check Wi-Fi password and retry."}));
    QVERIFY2(home->logEntries().contains(logLine), qPrintable(logLine));
    const SimCharger &charger = rig->charger();
    QCOMPARE(charger.currentSettings.value(QStringLiteral("wlan.ssid")), QString());
    QCOMPARE(charger.saveCount, 0);
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    testsupport::verifyNoSecretIn(home->logText(), password, ssid);
}

void WindowProvisioningTest::writeIsRetriedOnceAsAWhole_data()
{
    QTest::addColumn<int>("failedSaves");
    QTest::addColumn<QStringList>("afterTheWrites");
    QTest::addColumn<QStringList>("finalStatuses");

    QTest::newRow("a save that fails once is retried with the whole write")
        << 1 << gateAndReboot() << QStringList({kGate, kAuthVerified, kRebootSent});
    QTest::newRow("a save that fails twice ends the run")
        << 2 << QStringList()
        << QStringList({"Wi-Fi config failed. Check charger connection and retry."});
}

void WindowProvisioningTest::writeIsRetriedOnceAsAWhole()
{
    QFETCH(int, failedSaves);
    QFETCH(QStringList, afterTheWrites);
    QFETCH(QStringList, finalStatuses);
    const bool completes = failedSaves < 2;

    MainWindow window;
    QVERIFY(run(window, kHome, kHomePassword,
                {SimFault::httpStatus(QStringLiteral("save"), 503, "flash busy", failedSaves)}));

    QCOMPARE(rig->commands(), homeRun(2, afterTheWrites));
    QCOMPARE(testsupport::startingWith(home->logEntries(), {"configureDeviceWifi "}),
             QStringList({"configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=0",
                          QStringLiteral("configureDeviceWifi attempt=2 okSsid=1 okPass=1 "
                                         "okAuto=1 okSave=%1")
                              .arg(completes ? 1 : 0)}));
    QCOMPARE(home->statusesSinceMark().mid(3), QStringList({kApplying}) + finalStatuses);
    QCOMPARE(rig->charger().saveCount, completes ? 1 : 0);
    if (completes)
        verifyCompletedRun(kHome, kHomePassword);
    else
        verifyBlockedRun();
}

void WindowProvisioningTest::gateBlocksTheReboot_data()
{
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("gateCommands");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QString>("reason");

    // The standard charger's scan without HomeNet.
    SimCharger elsewhere = ChargerRig::standardCharger();
    elsewhere.networks.removeIf([](const SimNetwork &n) { return n.ssid == "HomeNet"; });

    QTest::newRow("the scan is unavailable at the gate only")
        << QList<SimFault>{SimFault::delay(kScan, 0, 1),
                           SimFault::httpStatus(kScan, 503, "scanner busy")}
        << QStringList{kScan} << QStringLiteral("verify failed: wlan_scan -v unavailable")
        << QStringLiteral("Cannot verify Wi-Fi auth (scan unavailable). Reboot blocked.");
    QTest::newRow("the network is missing from the gate's scan")
        << QList<SimFault>{SimFault::delay(kScan, 0, 1),
                           SimFault::replyText(kScan, elsewhere.scanTable())}
        << QStringList{kScan} << QStringLiteral("verify failed: target SSID not found in scan")
        << QStringLiteral("Selected Wi-Fi not found in charger scan. Reboot blocked.");
    QTest::newRow("the charger reports authentication failed at the gate")
        << QList<SimFault>{SimFault::delay(QStringLiteral("network_verify"), 0, 1).byFirstWord(),
                           SimFault::replyText(QStringLiteral("network_verify"),
                                               QStringLiteral("authentication failed"))
                               .byFirstWord()}
        << QStringList{kScan, homeVerify()}
        << homeVerifyLog(QStringLiteral(" attempt=1 -> ok=1 response=authentication failed"))
        << QStringLiteral("Wi-Fi auth verify failed (likely bad password). Reboot blocked.");
}

void WindowProvisioningTest::gateBlocksTheReboot()
{
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, gateCommands);
    QFETCH(QString, logLine);
    QFETCH(QString, reason);

    MainWindow window;
    QVERIFY(run(window, kHome, kHomePassword, faults));

    QCOMPARE(rig->commands(), homeRun(1, gateCommands));
    QCOMPARE(home->statusesSinceMark().mid(3), QStringList({kApplying, kGate, reason}));
    QVERIFY2(home->logEntries().contains(logLine), qPrintable(logLine));
    // The credentials stay saved; only the reboot and the restore are held back.
    QCOMPARE(rig->charger().savedSettings.value(QStringLiteral("wlan.ssid")), kHome);
    verifyBlockedRun();
}

void WindowProvisioningTest::gateInconclusiveThreeTimesStillReboots()
{
    MainWindow window;
    QVERIFY(run(
        window, kHome, kHomePassword,
        {SimFault::delay(QStringLiteral("network_verify"), 0, 1).byFirstWord(),
         SimFault::replyText(QStringLiteral("network_verify"), QStringLiteral("Failed to connect"))
             .byFirstWord()}));

    QCOMPARE(rig->commands(),
             homeRun(1, {kScan, homeVerify(), homeVerify(), homeVerify(), "reboot"}));
    QCOMPARE(home->statusesSinceMark().mid(4),
             QStringList({kGate, "Wi-Fi verify inconclusive; proceeding to reboot.", kRebootSent}));
    for (int attempt = 1; attempt <= 3; ++attempt) {
        const QString line = homeVerifyLog(
            QStringLiteral(" attempt=%1 -> ok=1 response=Failed to connect").arg(attempt));
        QVERIFY2(home->logEntries().contains(line), qPrintable(line));
    }
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(kHome, kHomePassword);
}

void WindowProvisioningTest::rebootTriesTheWordsInOrder_data()
{
    QTest::addColumn<SimFault>("rebootFault");
    QTest::addColumn<QStringList>("unknownWords");
    QTest::addColumn<QStringList>("sentWords");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("logLines");
    QTest::addColumn<int>("reboots");

    QTest::newRow("a failed reboot and an unknown reset fall back to restart")
        << SimFault::httpStatus(QStringLiteral("reboot"), 404, "Unknown command")
        << QStringList({"reset"}) << QStringList({"reboot", "reset", "restart"})
        << QStringLiteral("Wi-Fi saved. Reboot command sent (restart).")
        << QStringList({"CMD reboot -> httpOk=0 cmdOk=0 response=Unknown command",
                        "CMD reset -> httpOk=1 cmdOk=0 response=Unknown command: reset"})
        << 1;
    QTest::newRow("no word accepted still restores the laptop")
        << SimFault::replyText(QStringLiteral("reboot"), QStringLiteral("Unknown command"))
        << QStringList({"reset", "restart", "rb"})
        << QStringList({"reboot", "reset", "restart", "rb"})
        << QStringLiteral("Wi-Fi saved. Reboot command not supported on this firmware (manual "
                          "reboot may be needed).")
        << QStringList({"Reboot command unsupported on this firmware; Wi-Fi settings were still "
                        "saved."})
        << 0;
}

void WindowProvisioningTest::rebootTriesTheWordsInOrder()
{
    QFETCH(SimFault, rebootFault);
    QFETCH(QStringList, unknownWords);
    QFETCH(QStringList, sentWords);
    QFETCH(QString, status);
    QFETCH(QStringList, logLines);
    QFETCH(int, reboots);

    rig->charger().unknownCommands << unknownWords;
    MainWindow window;
    QVERIFY(run(window, kHome, kHomePassword, {rebootFault}));

    QCOMPARE(rig->commands(), homeRun(1, QStringList({kScan, homeVerify()}) + sentWords));
    QCOMPARE(home->statuses().last(), status);
    const QStringList entries = home->logEntries();
    for (const QString &line : logLines)
        QVERIFY2(entries.contains(line), qPrintable(line));
    QCOMPARE(rig->charger().rebootCount, reboots);
    verifyCompletedRun(kHome, kHomePassword);
}

void WindowProvisioningTest::openNetworkSkipsVerificationAndGateUsesTheShortForm()
{
    const QString ssid = QStringLiteral("CafeOpen");
    const QString password = QStringLiteral("anything goes");
    MainWindow window;
    QVERIFY(run(window, ssid, password));

    const QString shortForm = QStringLiteral("network_verify wifi CafeOpen b8:27:eb:00:00:01 1");
    QCOMPARE(rig->commands(), QStringList({kScan}) + writeCommands(ssid, password) +
                                  QStringList({kScan, shortForm, "reboot"}));
    QCOMPARE(home->statusesSinceMark(), QStringList({kVerifying, kRunningVerify, kApplying, kGate,
                                                     kAuthVerified, kRebootSent}));
    const QStringList entries = home->logEntries();
    for (const QString &line :
         {QStringLiteral("verifyNetworkBeforeConfig: ssid=CafeOpen bssid=b8:27:eb:00:00:01 ch=1 "
                         "sec=OPEN(0) rssi=-60"),
          QStringLiteral("verifyNetworkBeforeConfig: open network, skipping PSK verify"),
          QStringLiteral("CMD ") + shortForm +
              QStringLiteral(" attempt=1 -> ok=1 response=verified ok")})
        QVERIFY2(entries.contains(line), qPrintable(line));
    verifyCompletedRun(ssid, password);
}

void WindowProvisioningTest::ssidWithBlanksTravelsUnquoted()
{
    const QString ssid = QStringLiteral("Cafe Main Hall");
    const QString password = QStringLiteral("hall pass 2");
    SimNetwork hall;
    hall.ssid = ssid;
    hall.bssid = QStringLiteral("3c:52:82:aa:bb:07");
    hall.channel = 6;
    hall.rssi = -52;
    hall.security = QStringLiteral("WPA2-AES");
    hall.password = password;
    rig->charger().networks.insert(2, hall);

    MainWindow window;
    QVERIFY(run(window, ssid, password));

    const QString verify = verifyCommand(ssid, hall.bssid, QStringLiteral("6"), 4, password);
    QCOMPARE(rig->commands(), QStringList({kScan, verify}) + writeCommands(ssid, password) +
                                  QStringList({kScan, verify, "reboot"}));
    QCOMPARE(rig->requestLines().at(2),
             QByteArray("GET http://setup.zephyl/command/set%20wlan.ssid%20%22Cafe%20Main%20Hall%22"
                        " HTTP/1.1"));
    const QString redacted = redactedVerifyLine(ssid, hall.bssid, QStringLiteral("6"), 4);
    QVERIFY(home->logEntries().contains(QStringLiteral("CMD ") + redacted +
                                        QStringLiteral(" -> ok=1 response=verified ok")));
    QCOMPARE(home->statuses().last(), kRebootSent);
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(ssid, password);
}

QTEST_MAIN(WindowProvisioningTest)
#include "tst_window_provisioning.moc"
