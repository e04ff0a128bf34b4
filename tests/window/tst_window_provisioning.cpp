#include "app/mainwindow.h"
#include "charger_rig.h"
#include "provisioning/verify_rules.h"
#include "standin_laptop.h"
#include "window_harness.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using testsupport::ChargerRig;
using testsupport::IsolatedHome;
using testsupport::StandInLaptop;

namespace {

const QString kCharger = QStringLiteral("JuiceNet-1A2B");
const QString kScan = QStringLiteral("wlan_scan -v");
const QString kRunButton = QStringLiteral("Set Wi-Fi + Reboot Charger");
const QString kScanButton = QStringLiteral("Scan Available Wi-Fi (from charger)");

// The strongest HomeNet access point of the standard charger.
const QString kHomeBssid = QStringLiteral("a4:2b:b0:11:22:02");
const QString kHomeChannel = QStringLiteral("11");
const QString kHomePassword = QStringLiteral("correct horse");
const QString kCafeBssid = QStringLiteral("b8:27:eb:00:00:01");

// Widgets are found through the button of their card, which keeps them apart from the lists and
// fields of the other pages.
QWidget *cardOf(MainWindow &window, const QString &buttonText)
{
    QPushButton *button = testsupport::findButton(&window, buttonText);
    return button ? button->parentWidget() : nullptr;
}

QListWidget *chargerListOf(MainWindow &window)
{
    return cardOf(window, QStringLiteral("Find Charger Wi-Fi"))
        ->findChild<QListWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

QListWidget *wifiListOf(MainWindow &window)
{
    return cardOf(window, kScanButton)
        ->findChild<QListWidget *>(QString(), Qt::FindDirectChildrenOnly);
}

QLineEdit *ssidEditOf(MainWindow &window)
{
    return cardOf(window, kScanButton)
        ->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)
        .at(0);
}

QLineEdit *passwordEditOf(MainWindow &window)
{
    return cardOf(window, kScanButton)
        ->findChildren<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly)
        .at(1);
}

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

QString verifyCommand(const QString &ssid, const QString &bssid, const QString &channel, int code,
                      const QString &password)
{
    return QStringLiteral("network_verify wifi %1 %2 %3 %4 %5")
        .arg(ssid, bssid, channel, QString::number(code),
             provisioning::deriveWpaPsk(password, ssid));
}

QString homeVerify(const QString &password = kHomePassword)
{
    return verifyCommand(QStringLiteral("HomeNet"), kHomeBssid, kHomeChannel, 4, password);
}

// What the write step sends in one attempt.
QStringList writeCommands(const QString &ssid, const QString &password)
{
    return {QStringLiteral("set wlan.ssid \"%1\"").arg(ssid),
            QStringLiteral("set wlan.passkey \"%1\"").arg(password),
            QStringLiteral("set wlan.auto_join.enabled 1"), QStringLiteral("save")};
}

QString redactedVerifyLine(const QString &ssid, const QString &bssid, const QString &channel,
                           int code)
{
    return QStringLiteral("network_verify wifi %1 %2 %3 %4 [REDACTED]")
        .arg(ssid, bssid, channel, QString::number(code));
}

// Collapses runs of the same command: what the product asked for, whatever the network layer
// re-sent after a dropped connection.
QStringList withoutRepeats(const QStringList &commands)
{
    QStringList collapsed;
    for (const QString &command : commands) {
        if (collapsed.isEmpty() || collapsed.last() != command)
            collapsed << command;
    }
    return collapsed;
}

bool isRebootWord(const QString &command)
{
    return provisioning::rebootWords().contains(command);
}

const QList<QStringList> &restoreInvocations()
{
    static const QList<QStringList> invocations = {
        {"interface", "ip", "set", "address", "name=Wi-Fi", "source=dhcp"},
        {"interface", "ip", "set", "dns", "name=Wi-Fi", "source=dhcp"},
        {"wlan", "disconnect", "interface=Wi-Fi"},
        {"wlan", "connect", "name=HomeNet", "interface=Wi-Fi"}};
    return invocations;
}

} // namespace

class WindowProvisioningTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Charger-side scan.
    void scanListsTheChargersNetworksInOrder();
    void scanEndsAtTheFirstAnswerEvenAnUnknownCommand();
    void scanTriesEveryCommandTwiceInOrder_data();
    void scanTriesEveryCommandTwiceInOrder();
    void scanWithoutAnyAnswerKeepsTheList_data();
    void scanWithoutAnyAnswerKeepsTheList();

    // "Set Wi-Fi + Reboot Charger".
    void appliesVerifiedCredentialsRebootsAndRestoresTheLaptop();
    void keyOnTheWireIsTheWpaPassphraseKey();
    void listSelectionWinsOverTypedSsid();
    void refusesToStartWithoutInput_data();
    void refusesToStartWithoutInput();
    void verificationStopsTheRunBeforeAnyWrite_data();
    void verificationStopsTheRunBeforeAnyWrite();
    void verificationReplyThatRefusesNothingLetsTheRunGoOn_data();
    void verificationReplyThatRefusesNothingLetsTheRunGoOn();
    void retriesTheWholeWriteWhenSaveFailsOnce();
    void endsWhenTheWriteFailsTwice();
    void gateBlocksTheReboot_data();
    void gateBlocksTheReboot();
    void gateInconclusiveThreeTimesStillReboots();
    void rebootFallsBackToTheNextWord();
    void noRebootWordAcceptedStillRestoresTheLaptop();
    void openNetworkSkipsVerificationAndGateUsesTheShortForm();
    void ssidWithBlanksTravelsUnquoted();

private:
    // Scan + connect to the charger network, as a technician does first, so the laptop's own
    // network (HomeNet) is remembered; then forget what that sent.
    void joinCharger(MainWindow &window);
    void scanCustomerWifi(MainWindow &window);
    void type(MainWindow &window, const QString &ssid, const QString &password);
    QStringList statusesSince(int mark) const { return home->statuses().mid(mark); }
    void verifyNoSecretInLog(const QString &ssid, const QString &password);
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

void WindowProvisioningTest::joinCharger(MainWindow &window)
{
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    QListWidget *chargers = chargerListOf(window);
    const QList<QListWidgetItem *> found = chargers->findItems(kCharger, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    chargers->setCurrentItem(found.first());
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    QCOMPARE(home->statuses().last(), QStringLiteral("Connected to ") + kCharger);
    QCOMPARE(laptop->connectedSsid(), kCharger);
    QVERIFY(home->logEntries().contains(QStringLiteral("Captured original laptop Wi-Fi: HomeNet")));
    rig->clear();
    laptop->clearJournal();
}

void WindowProvisioningTest::scanCustomerWifi(MainWindow &window)
{
    testsupport::clickButton(&window, kScanButton);
    QCOMPARE(home->statuses().last(),
             QStringLiteral("Found 3 Wi-Fi network(s) from charger scan."));
    rig->clear();
}

void WindowProvisioningTest::type(MainWindow &window, const QString &ssid, const QString &password)
{
    QTest::keyClicks(ssidEditOf(window), ssid);
    QTest::keyClicks(passwordEditOf(window), password);
    QCOMPARE(ssidEditOf(window)->text(), ssid);
    QCOMPARE(passwordEditOf(window)->text(), password);
}

void WindowProvisioningTest::verifyNoSecretInLog(const QString &ssid, const QString &password)
{
    const QString log = home->logText();
    QVERIFY(!log.isEmpty());
    QVERIFY2(!log.contains(password), qPrintable(QStringLiteral("password in the log")));
    const QString key = provisioning::deriveWpaPsk(password, ssid);
    QVERIFY2(!log.contains(key, Qt::CaseInsensitive),
             qPrintable(QStringLiteral("derived key in the log")));
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
    QCOMPARE(laptop->invocations(), restoreInvocations());
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
    const QStringList entries = home->logEntries();
    QVERIFY(
        entries.contains(QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi")));
    QVERIFY(entries.contains(QStringLiteral("Reconnect requested for original SSID: HomeNet")));
    verifyNoSecretInLog(ssid, password);
}

// The gate refused: nothing after it was sent and the laptop stays on the charger's network.
void WindowProvisioningTest::verifyBlockedRun()
{
    for (const QString &command : rig->commands())
        QVERIFY2(!isRebootWord(command), qPrintable(command));
    QCOMPARE(rig->charger().rebootCount, 0);
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    QCOMPARE(laptop->connectedSsid(), kCharger);
}

void WindowProvisioningTest::scanListsTheChargersNetworksInOrder()
{
    MainWindow window;
    rig->clear();
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kScanButton);

    QCOMPARE(rig->commands(), QStringList({kScan}));
    QCOMPARE(rig->requestLines(),
             QList<QByteArray>({"GET http://setup.zephyl/command/wlan_scan%20-v HTTP/1.1"}));
    QCOMPARE(itemTexts(wifiListOf(window)), QStringList({"HomeNet", "CafeOpen", "NeighbourWPA3"}));
    QCOMPARE(statusesSince(mark), QStringList({"Scanning Wi-Fi from charger...",
                                               "Found 3 Wi-Fi network(s) from charger scan."}));
}

void WindowProvisioningTest::scanEndsAtTheFirstAnswerEvenAnUnknownCommand()
{
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));
    QCOMPARE(wifiListOf(window)->count(), 3);
    rig->clear();
    rig->charger().unknownCommands << QStringLiteral("wlan_scan");
    const int mark = home->statuses().size();

    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));

    // An answer ends the cascade even when no network can be read from it.
    QCOMPARE(rig->commands(), QStringList({kScan}));
    QCOMPARE(statusesSince(mark),
             QStringList({"Scanning Wi-Fi from charger...",
                          "Wi-Fi scan unavailable from charger right now. Enter SSID manually."}));
    QCOMPARE(itemTexts(wifiListOf(window)), QStringList({"HomeNet", "CafeOpen", "NeighbourWPA3"}));
}

void WindowProvisioningTest::scanTriesEveryCommandTwiceInOrder_data()
{
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QStringList>("expectedList");
    QTest::addColumn<QByteArray>("lastRequestLine");

    const QByteArray unavailable("service unavailable");
    const QStringList standard = {"HomeNet", "CafeOpen", "NeighbourWPA3"};

    QTest::newRow("a blank answer is retried like a failed one")
        << QList<SimFault>{SimFault::replyText(kScan, QStringLiteral(" \r\n"), 1)}
        << QStringList{kScan, kScan} << standard
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
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kScanButton);

    QCOMPARE(rig->commands(), expectedCommands);
    const QList<QByteArray> lines = rig->requestLines();
    QCOMPARE(lines.size(), expectedCommands.size());
    QCOMPARE(lines.last(), lastRequestLine);
    QCOMPARE(itemTexts(wifiListOf(window)), expectedList);
    QCOMPARE(statusesSince(mark),
             QStringList({"Scanning Wi-Fi from charger...",
                          QStringLiteral("Found %1 Wi-Fi network(s) from charger scan.")
                              .arg(expectedList.size())}));
}

void WindowProvisioningTest::scanWithoutAnyAnswerKeepsTheList_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<bool>("eachRequestSeenOnce");

    QTest::newRow("every command answers 503")
        << SimFault::httpStatus(QStringLiteral("*"), 503, "busy") << true;
    // The network layer re-sends after a dropped connection, so only the order is fixed.
    QTest::newRow("every connection is dropped") << SimFault::drop(QStringLiteral("*")) << false;
}

void WindowProvisioningTest::scanWithoutAnyAnswerKeepsTheList()
{
    QFETCH(SimFault, fault);
    QFETCH(bool, eachRequestSeenOnce);

    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));
    rig->clear();
    rig->sim.addFault(fault);
    const int mark = home->statuses().size();

    QVERIFY(testsupport::invokeSlot(&window, "onScanTargetWifi"));

    const QStringList cascade = {kScan, "wifiscan", "wlan.scan", "scan wlan", "scan wifi"};
    const QStringList commands = rig->commands();
    QCOMPARE(withoutRepeats(commands), cascade);
    for (const QString &command : cascade)
        QVERIFY2(commands.count(command) >= 2, qPrintable(command));
    if (eachRequestSeenOnce) {
        QCOMPARE(commands,
                 QStringList({kScan, kScan, "wifiscan", "wifiscan", "wlan.scan", "wlan.scan",
                              "scan wlan", "scan wlan", "scan wifi", "scan wifi"}));
        QCOMPARE(rig->requestLines().at(6),
                 QByteArray("GET http://setup.zephyl/command/scan%20wlan HTTP/1.1"));
    }
    QCOMPARE(statusesSince(mark),
             QStringList({"Scanning Wi-Fi from charger...",
                          "Wi-Fi scan unavailable from charger right now. Enter SSID manually."}));
    QCOMPARE(itemTexts(wifiListOf(window)), QStringList({"HomeNet", "CafeOpen", "NeighbourWPA3"}));
}

void WindowProvisioningTest::appliesVerifiedCredentialsRebootsAndRestoresTheLaptop()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword);
    expected << kScan << homeVerify() << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);

    const QList<QByteArray> lines = rig->requestLines();
    QCOMPARE(lines.size(), expected.size());
    QCOMPARE(lines.at(3), QByteArray("GET http://setup.zephyl/command/"
                                     "set%20wlan.passkey%20%22correct%20horse%22 HTTP/1.1"));

    QCOMPARE(statusesSince(mark),
             QStringList({"Verifying network before applying credentials...",
                          "Running network verify before applying Wi-Fi credentials...",
                          "Network verify passed: credentials are valid.",
                          "Applying customer Wi-Fi credentials (set + save)...",
                          "Verifying Wi-Fi authentication before reboot...", "Wi-Fi auth verified.",
                          "Wi-Fi saved. Reboot command sent (reboot)."}));

    const QString redacted = redactedVerifyLine("HomeNet", kHomeBssid, kHomeChannel, 4);
    const QStringList entries = home->logEntries();
    for (const QString &line :
         {QStringLiteral("verifyNetworkBeforeConfig: ssid=HomeNet bssid=a4:2b:b0:11:22:02 ch=11 "
                         "sec=WPA2-AES(4) rssi=-48"),
          QStringLiteral("CMD ") + redacted + QStringLiteral(" -> ok=1 response=verified ok"),
          QStringLiteral("configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=1"),
          QStringLiteral("CMD ") + redacted +
              QStringLiteral(" attempt=1 -> ok=1 response=verified ok"),
          QStringLiteral("CMD reboot -> httpOk=1 cmdOk=1 response=rebooting...")})
        QVERIFY2(entries.contains(line), qPrintable(line));

    const SimCharger &charger = rig->charger();
    QCOMPARE(charger.saveCount, 1);
    QCOMPARE(charger.rebootCount, 1);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::keyOnTheWireIsTheWpaPassphraseKey()
{
    MainWindow window;
    rig->clear();
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    testsupport::clickButton(&window, kRunButton);

    const QString key = provisioning::deriveWpaPsk(kHomePassword, QStringLiteral("HomeNet"));
    QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{64}$")).match(key).hasMatch());
    const QByteArray verifyLine = "GET http://setup.zephyl/command/network_verify%20wifi%20HomeNet"
                                  "%20a4%3A2b%3Ab0%3A11%3A22%3A02%2011%204%20" +
                                  key.toLatin1() + " HTTP/1.1";
    QCOMPARE(rig->requestLines().at(1), verifyLine);
    QCOMPARE(rig->requestLines().at(7), verifyLine);

    // The key a station derives from the same passphrase.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("wpa_passphrase"));
    if (!tool.isEmpty()) {
        QProcess process;
        process.start(tool, {QStringLiteral("HomeNet"), kHomePassword});
        QVERIFY(process.waitForFinished(10000));
        const QString out = QString::fromLatin1(process.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("\tpsk=") + key + QLatin1Char('\n')), qPrintable(out));
    }
    verifyNoSecretInLog(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::listSelectionWinsOverTypedSsid()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(testsupport::invokeSlot(&window, "goStep3"));
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    scanCustomerWifi(window);

    QListWidget *list = wifiListOf(window);
    QListWidgetItem *homeItem = list->item(0);
    QCOMPARE(homeItem->text(), QStringLiteral("HomeNet"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(homeItem).center());
    QCOMPARE(list->currentItem(), homeItem);
    QCOMPARE(ssidEditOf(window)->text(), QStringLiteral("HomeNet"));

    // Typed after the click: the selected item still decides.
    ssidEditOf(window)->clear();
    type(window, QStringLiteral("CafeOpen"), kHomePassword);
    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword);
    expected << kScan << homeVerify() << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
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
        << QStringLiteral("HomeNet") << QString() << noPassword << true;
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
    type(window, ssid, password);
    ssidEditOf(window)->setFocus();
    QVERIFY(ssidEditOf(window)->hasFocus());
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QCOMPARE(statusesSince(mark), QStringList({status}));
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    QCOMPARE(passwordEditOf(window)->hasFocus(), focusOnPassword);
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
    const QString homeSsid = QStringLiteral("HomeNet");
    // The password is used as typed: a trailing blank makes it a different, wrong one.
    const QString wrong = QStringLiteral("correct horse ");

    QTest::newRow("the charger rejects the password with a trailing blank")
        << homeSsid << wrong << QList<SimFault>() << QStringList{kScan, homeVerify(wrong)}
        << badCredentials
        << QStringLiteral("CMD ") + redactedVerifyLine(homeSsid, kHomeBssid, kHomeChannel, 4) +
               QStringLiteral(" -> ok=1 response=authentication failed");
    QTest::newRow("auth failed with the word broken is bad credentials, not a pass")
        << homeSsid << kHomePassword
        << QList<SimFault>{SimFault::replyText(QStringLiteral("network_verify"),
                                               QStringLiteral("auth failed: broken key"))
                               .byFirstWord()}
        << QStringList{kScan, homeVerify()} << badCredentials
        << QStringLiteral("CMD ") + redactedVerifyLine(homeSsid, kHomeBssid, kHomeChannel, 4) +
               QStringLiteral(" -> ok=1 response=auth failed: broken key");
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
        << homeSsid << kHomePassword << QList<SimFault>{SimFault::httpStatus(kScan, 503, "busy", 1)}
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
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    for (const SimFault &fault : faults)
        rig->sim.addFault(fault);
    type(window, ssid, password);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QCOMPARE(rig->commands(), expectedCommands);
    QCOMPARE(statusesSince(mark),
             QStringList({"Verifying network before applying credentials...",
                          "Running network verify before applying Wi-Fi credentials...", reason,
                          "Network verify failed. Check Wi-Fi password and retry."}));
    QVERIFY2(home->logEntries().contains(logLine), qPrintable(logLine));
    const SimCharger &charger = rig->charger();
    QCOMPARE(charger.currentSettings.value(QStringLiteral("wlan.ssid")), QString());
    QCOMPARE(charger.saveCount, 0);
    QCOMPARE(laptop->invocations(), QList<QStringList>());
    verifyNoSecretInLog(ssid, password);
}

void WindowProvisioningTest::verificationReplyThatRefusesNothingLetsTheRunGoOn_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("verdictStatus");
    QTest::addColumn<QString>("verdictLogLine");

    const QString inconclusive = QStringLiteral("Network verify inconclusive; proceeding anyway.");
    QTest::newRow("unverified is no pass")
        << QStringLiteral("network unverified") << inconclusive << QString();
    QTest::newRow("unsuccessful is no pass")
        << QStringLiteral("Verification unsuccessful") << inconclusive << QString();
    QTest::newRow("an unknown command is allowed without a status")
        << QStringLiteral("Unknown command") << QString()
        << QStringLiteral("verifyNetworkBeforeConfig: command unsupported on this firmware, "
                          "allowing");
}

void WindowProvisioningTest::verificationReplyThatRefusesNothingLetsTheRunGoOn()
{
    QFETCH(QString, reply);
    QFETCH(QString, verdictStatus);
    QFETCH(QString, verdictLogLine);

    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    // Only the check before the write answers this way; the gate gets the charger's own verdict.
    rig->sim.addFault(
        SimFault::replyText(QStringLiteral("network_verify"), reply, 1).byFirstWord());
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QStringList statuses = {"Verifying network before applying credentials...",
                            "Running network verify before applying Wi-Fi credentials..."};
    if (!verdictStatus.isEmpty())
        statuses << verdictStatus;
    statuses << "Applying customer Wi-Fi credentials (set + save)..."
             << "Verifying Wi-Fi authentication before reboot..."
             << "Wi-Fi auth verified."
             << "Wi-Fi saved. Reboot command sent (reboot).";
    QCOMPARE(statusesSince(mark), statuses);
    if (!verdictLogLine.isEmpty())
        QVERIFY2(home->logEntries().contains(verdictLogLine), qPrintable(verdictLogLine));
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::retriesTheWholeWriteWhenSaveFailsOnce()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    rig->sim.addFault(SimFault::httpStatus(QStringLiteral("save"), 500, "flash busy", 1));
    type(window, QStringLiteral("HomeNet"), kHomePassword);

    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword)
             << writeCommands(QStringLiteral("HomeNet"), kHomePassword);
    expected << kScan << homeVerify() << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);

    QStringList attempts;
    for (const QString &entry : home->logEntries()) {
        if (entry.startsWith(QLatin1String("configureDeviceWifi ")))
            attempts << entry;
    }
    QCOMPARE(attempts,
             QStringList({"configureDeviceWifi attempt=1 okSsid=1 okPass=1 okAuto=1 okSave=0",
                          "configureDeviceWifi attempt=2 okSsid=1 okPass=1 okAuto=1 okSave=1"}));
    QCOMPARE(rig->charger().saveCount, 1);
    QCOMPARE(home->statuses().last(), QStringLiteral("Wi-Fi saved. Reboot command sent (reboot)."));
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::endsWhenTheWriteFailsTwice()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    rig->sim.addFault(SimFault::httpStatus(QStringLiteral("save"), 503, "flash busy", 2));
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword)
             << writeCommands(QStringLiteral("HomeNet"), kHomePassword);
    QCOMPARE(rig->commands(), expected);
    QCOMPARE(statusesSince(mark).mid(3),
             QStringList({"Applying customer Wi-Fi credentials (set + save)...",
                          "Wi-Fi config failed. Check charger connection and retry."}));
    QVERIFY(home->logEntries().contains(
        QStringLiteral("configureDeviceWifi attempt=2 okSsid=1 okPass=1 okAuto=1 okSave=0")));
    QCOMPARE(rig->charger().saveCount, 0);
    verifyBlockedRun();
    verifyNoSecretInLog(QStringLiteral("HomeNet"), kHomePassword);
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
    const QString redacted = redactedVerifyLine("HomeNet", kHomeBssid, kHomeChannel, 4);

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
        << QStringLiteral("CMD ") + redacted +
               QStringLiteral(" attempt=1 -> ok=1 response=authentication failed")
        << QStringLiteral("Wi-Fi auth verify failed (likely bad password). Reboot blocked.");
}

void WindowProvisioningTest::gateBlocksTheReboot()
{
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, gateCommands);
    QFETCH(QString, logLine);
    QFETCH(QString, reason);

    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    for (const SimFault &fault : faults)
        rig->sim.addFault(fault);
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword) << gateCommands;
    QCOMPARE(rig->commands(), expected);
    QCOMPARE(statusesSince(mark).mid(3),
             QStringList({"Applying customer Wi-Fi credentials (set + save)...",
                          "Verifying Wi-Fi authentication before reboot...", reason}));
    QVERIFY2(home->logEntries().contains(logLine), qPrintable(logLine));
    // The credentials stay saved; only the reboot and the restore are held back.
    QCOMPARE(rig->charger().savedSettings.value(QStringLiteral("wlan.ssid")),
             QStringLiteral("HomeNet"));
    verifyBlockedRun();
    verifyNoSecretInLog(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::gateInconclusiveThreeTimesStillReboots()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    rig->sim.addFault(SimFault::delay(QStringLiteral("network_verify"), 0, 1).byFirstWord());
    rig->sim.addFault(
        SimFault::replyText(QStringLiteral("network_verify"), QStringLiteral("Failed to connect"))
            .byFirstWord());
    type(window, QStringLiteral("HomeNet"), kHomePassword);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    QStringList expected = {kScan, homeVerify()};
    expected << writeCommands(QStringLiteral("HomeNet"), kHomePassword);
    expected << kScan << homeVerify() << homeVerify() << homeVerify() << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);
    QCOMPARE(statusesSince(mark).mid(4),
             QStringList({"Verifying Wi-Fi authentication before reboot...",
                          "Wi-Fi verify inconclusive; proceeding to reboot.",
                          "Wi-Fi saved. Reboot command sent (reboot)."}));
    const QString redacted = redactedVerifyLine("HomeNet", kHomeBssid, kHomeChannel, 4);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        const QString line = QStringLiteral("CMD %1 attempt=%2 -> ok=1 response=Failed to connect")
                                 .arg(redacted)
                                 .arg(attempt);
        QVERIFY2(home->logEntries().contains(line), qPrintable(line));
    }
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::rebootFallsBackToTheNextWord()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    // "reboot" fails at the transport, "reset" is a word this firmware does not know.
    rig->sim.addFault(SimFault::httpStatus(QStringLiteral("reboot"), 404, "Unknown command"));
    rig->charger().unknownCommands << QStringLiteral("reset");
    type(window, QStringLiteral("HomeNet"), kHomePassword);

    testsupport::clickButton(&window, kRunButton);

    const QStringList commands = rig->commands();
    QCOMPARE(commands.mid(commands.size() - 3), QStringList({"reboot", "reset", "restart"}));
    QCOMPARE(home->statuses().last(),
             QStringLiteral("Wi-Fi saved. Reboot command sent (restart)."));
    const QStringList entries = home->logEntries();
    QVERIFY(entries.contains(
        QStringLiteral("CMD reboot -> httpOk=0 cmdOk=0 response=Unknown command")));
    QVERIFY(entries.contains(
        QStringLiteral("CMD reset -> httpOk=1 cmdOk=0 response=Unknown command: reset")));
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::noRebootWordAcceptedStillRestoresTheLaptop()
{
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    rig->sim.addFault(
        SimFault::replyText(QStringLiteral("reboot"), QStringLiteral("Unknown command")));
    rig->charger().unknownCommands << QStringLiteral("reset") << QStringLiteral("restart")
                                   << QStringLiteral("rb");
    type(window, QStringLiteral("HomeNet"), kHomePassword);

    testsupport::clickButton(&window, kRunButton);

    const QStringList commands = rig->commands();
    QCOMPARE(commands.mid(commands.size() - 4), provisioning::rebootWords());
    QCOMPARE(home->statuses().last(),
             QStringLiteral("Wi-Fi saved. Reboot command not supported on this firmware (manual "
                            "reboot may be needed)."));
    QVERIFY(home->logEntries().contains(QStringLiteral(
        "Reboot command unsupported on this firmware; Wi-Fi settings were still saved.")));
    QCOMPARE(rig->charger().rebootCount, 0);
    verifyCompletedRun(QStringLiteral("HomeNet"), kHomePassword);
}

void WindowProvisioningTest::openNetworkSkipsVerificationAndGateUsesTheShortForm()
{
    const QString ssid = QStringLiteral("CafeOpen");
    const QString password = QStringLiteral("anything goes");
    MainWindow window;
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    type(window, ssid, password);
    const int mark = home->statuses().size();

    testsupport::clickButton(&window, kRunButton);

    const QString shortForm = QStringLiteral("network_verify wifi CafeOpen b8:27:eb:00:00:01 1");
    QStringList expected = {kScan};
    expected << writeCommands(ssid, password) << kScan << shortForm << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);
    QCOMPARE(statusesSince(mark),
             QStringList({"Verifying network before applying credentials...",
                          "Running network verify before applying Wi-Fi credentials...",
                          "Applying customer Wi-Fi credentials (set + save)...",
                          "Verifying Wi-Fi authentication before reboot...", "Wi-Fi auth verified.",
                          "Wi-Fi saved. Reboot command sent (reboot)."}));
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
    joinCharger(window);
    if (QTest::currentTestFailed())
        return;
    type(window, ssid, password);

    testsupport::clickButton(&window, kRunButton);

    const QString verify = verifyCommand(ssid, hall.bssid, QStringLiteral("6"), 4, password);
    QVERIFY(verify.startsWith(
        QLatin1String("network_verify wifi Cafe Main Hall 3c:52:82:aa:bb:07 6 4 ")));
    QStringList expected = {kScan, verify};
    expected << writeCommands(ssid, password) << kScan << verify << QStringLiteral("reboot");
    QCOMPARE(rig->commands(), expected);
    QCOMPARE(rig->requestLines().at(2),
             QByteArray("GET http://setup.zephyl/command/set%20wlan.ssid%20%22Cafe%20Main%20Hall%22"
                        " HTTP/1.1"));
    const QString redacted = redactedVerifyLine(ssid, hall.bssid, QStringLiteral("6"), 4);
    QVERIFY(home->logEntries().contains(QStringLiteral("CMD ") + redacted +
                                        QStringLiteral(" -> ok=1 response=verified ok")));
    QCOMPARE(home->statuses().last(), QStringLiteral("Wi-Fi saved. Reboot command sent (reboot)."));
    QCOMPARE(rig->charger().rebootCount, 1);
    verifyCompletedRun(ssid, password);
}

QTEST_MAIN(WindowProvisioningTest)
#include "tst_window_provisioning.moc"
