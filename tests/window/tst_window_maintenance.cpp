#include "app/mainwindow.h"
#include "charger_rig.h"
#include "standin_laptop.h"
#include "window_harness.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

using testsupport::ChargerRig;
using testsupport::IsolatedHome;
using testsupport::StandInLaptop;

namespace {

using Settings = QMap<QString, QString>;

const QStringList uuidKeys = {"system.euid", "system.uuid", "system.device_id", "system.id",
                              "device.uuid", "device.id",   "jns.euid",         "jns.uuid",
                              "euid",        "uuid"};

const QString standardSerial = QStringLiteral("JN-22-100001");
const QString standardMac = QStringLiteral("70:b3:d5:12:34:01");
const QString standardUuid = QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d01");

const QString identityHeader = QStringLiteral("=== Charger Identity ===");
const QString identityFooter = QStringLiteral("========================");

// Answers every modal message box that opens while it lives and records what each one asked.
// Scoped, so a box that a broken build shows late cannot be answered in a later test.
class ModalBoxWatch
{
public:
    explicit ModalBoxWatch(QMessageBox::StandardButton answer)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, answer]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == lastBox)
                return;
            lastBox = box;
            titles << box->windowTitle();
            texts << box->text();
            box->button(answer)->click();
        });
        timer.start(5);
    }

    QStringList titles;
    QStringList texts;

private:
    QTimer timer;
    QPointer<QMessageBox> lastBox;
};

QStringList gets(const QStringList &keys)
{
    QStringList commands;
    for (const QString &key : keys)
        commands << QStringLiteral("get ") + key;
    return commands;
}

QStringList texts(const QListWidget *list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows << list->item(row)->text();
    return rows;
}

QLabel *metric(MainWindow &window, int index)
{
    return window.findChildren<QLabel *>(QStringLiteral("Metric")).at(index);
}

// The list in the card of the "Preview cleanup files" button (the page stack reorders its
// pages' widgets, so child order does not tell the lists apart).
QListWidget *cleanupList(MainWindow &window)
{
    QPushButton *preview =
        testsupport::findButton(&window, QStringLiteral("Preview cleanup files"));
    return preview ? preview->parentWidget()->findChild<QListWidget *>() : nullptr;
}

// Every identity block in the log, as its five entries.
QList<QStringList> identityBlocks(const QStringList &entries)
{
    QList<QStringList> blocks;
    for (qsizetype at = entries.indexOf(identityHeader); at >= 0;
         at = entries.indexOf(identityHeader, at + 1))
        blocks << entries.mid(at, 5);
    return blocks;
}

QStringList identityBlock(const QString &serial, const QString &mac, const QString &uuid)
{
    return {identityHeader, QStringLiteral("Serial: ") + serial, QStringLiteral("MAC: ") + mac,
            QStringLiteral("Device UUID: ") + uuid, identityFooter};
}

// The refresh as it runs once the identity has been logged and system.uuid holds the token.
QStringList plainRefreshCommands()
{
    return gets({"wlan.ssid", "wlan.passkey", "system.euid", "system.uuid"});
}

QStringList entriesStartingWith(const QStringList &entries, const QStringList &prefixes)
{
    QStringList picked;
    for (const QString &entry : entries) {
        for (const QString &prefix : prefixes) {
            if (entry.startsWith(prefix)) {
                picked << entry;
                break;
            }
        }
    }
    return picked;
}

QList<testsupport::RecordedRequest> postRequests(const ChargerRig &rig)
{
    QList<testsupport::RecordedRequest> posts;
    for (const testsupport::RecordedRequest &request : rig.relay.requests()) {
        if (request.method == "POST")
            posts << request;
    }
    return posts;
}

QStringList fileNames(const SimCharger &charger)
{
    QStringList names;
    for (const SimFile &file : charger.files)
        names << file.name;
    return names;
}

// The list with each run of equal neighbours kept once.
QStringList withoutRepeats(const QStringList &items)
{
    QStringList kept;
    for (const QString &item : items) {
        if (kept.isEmpty() || kept.last() != item)
            kept << item;
    }
    return kept;
}

QJsonObject netshAnswer(const QString &stdoutText)
{
    return {{QStringLiteral("stdout"), stdoutText}, {QStringLiteral("exitCode"), 0}};
}

} // namespace

class WindowMaintenanceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Header cards
    void showsCardsWithThePasskeyKeptOutOfTheLog();
    void showsNotAvailableForEmptyValues();
    void picksTheUuidCard_data();
    void picksTheUuidCard();
    void refreshAllRedetectsTheInterfaceFirst();
    void readsThePcAddress_data();
    void readsThePcAddress();

    // Identity block
    void writesTheIdentityBlockOncePerRun();
    void skipsAnUnknownSerial();
    void writesTheBlockWithOnlyAMac();
    void retriesTheIdentityWhenNothingWasReadable_data();
    void retriesTheIdentityWhenNothingWasReadable();

    // Cleanup
    void previewListsCandidatesWhenTheListingArrives();
    void previewFindsNames_data();
    void previewFindsNames();
    void previewReportsNothingToDelete_data();
    void previewReportsNothingToDelete();
    void deleteNeedsAPreviewWithCandidates_data();
    void deleteNeedsAPreviewWithCandidates();
    void decliningTheCleanupSendsNothing();
    void deletesPreviewedFilesOneByOneThenSaves();
    void retriesAnEmptyListingOnce_data();
    void retriesAnEmptyListingOnce();
    void stopsAtTheFirstFailedDeletion_data();
    void stopsAtTheFirstFailedDeletion();

    // Firmware
    void triggersTheFirmwareUpdate_data();
    void triggersTheFirmwareUpdate();

    // Factory reset
    void factoryResetStopsAtTheAcceptedForm();
    void factoryResetTreatsAUsageTextAsRejection();
    void factoryResetFormsFollowTheMac_data();
    void factoryResetFormsFollowTheMac();
    void decliningTheFactoryResetSendsNothing();
    void factoryResetIsRefusedInCompleteSetup();

private:
    void previewAndWait(MainWindow &window, int expectedCount);

    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
    std::unique_ptr<ChargerRig> rig;
};

void WindowMaintenanceTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")}));
    rig = std::make_unique<ChargerRig>();
}

void WindowMaintenanceTest::cleanup()
{
    rig.reset();
    laptop.reset();
    home.reset();
}

void WindowMaintenanceTest::previewAndWait(MainWindow &window, int expectedCount)
{
    QVERIFY(testsupport::invokeSlot(&window, "onPreviewCleanup"));
    QTRY_COMPARE(cleanupList(window)->count(), expectedCount);
}

// ---------------------------------------------------------------------------------------------
// Header cards

void WindowMaintenanceTest::showsCardsWithThePasskeyKeptOutOfTheLog()
{
    QJsonObject state = StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")});
    QJsonObject adapter = StandInLaptop::adapter(
        QStringLiteral("Wi-Fi"), QStringLiteral("JuiceNet-1A2B"), QStringLiteral("10.10.10.2"));
    adapter.insert(QStringLiteral("dhcp"), false);
    state.insert(QStringLiteral("interfaces"), QJsonArray{adapter});
    laptop->writeState(state);

    const QString passkey = QStringLiteral("s3cret-Pass!");
    SimCharger &charger = rig->charger();
    charger.quoteGetValues = true;
    charger.currentSettings.insert(QStringLiteral("wlan.ssid"), QStringLiteral("CustomerNet"));
    charger.currentSettings.insert(QStringLiteral("wlan.passkey"), passkey);

    MainWindow window;
    QCOMPARE(metric(window, 0)->text(), QStringLiteral("10.10.10.2"));
    QCOMPARE(metric(window, 1)->text(), QStringLiteral("CustomerNet"));
    QCOMPARE(metric(window, 2)->text(), passkey);
    QCOMPARE(metric(window, 3)->text(), standardUuid);

    QCOMPARE(laptop->invocations(),
             QList<QStringList>({{"wlan", "show", "interfaces"},
                                 {"interface", "ip", "show", "addresses", "Wi-Fi"}}));
    QVERIFY(rig->requestLines().contains(
        QByteArray("GET http://setup.zephyl/command/get%20wlan.passkey HTTP/1.1")));

    const QStringList entries = home->logEntries();
    QVERIFY(entries.contains(QStringLiteral("CMD get wlan.ssid -> ok=1 response=CustomerNet")));
    QVERIFY(entries.contains(
        QStringLiteral("CMD get wlan.passkey [REDACTED] ok=1 response=[REDACTED]")));
    QVERIFY2(!home->logText().contains(passkey), qPrintable(home->logText()));
}

void WindowMaintenanceTest::showsNotAvailableForEmptyValues()
{
    // The standard charger leaves wlan.ssid and wlan.passkey empty; every UUID key answers empty.
    SimCharger &charger = rig->charger();
    for (const QString &key : uuidKeys)
        charger.currentSettings.insert(key, QString());

    MainWindow window;
    QCOMPARE(metric(window, 1)->text(), QStringLiteral("N/A"));
    QCOMPARE(metric(window, 2)->text(), QStringLiteral("N/A"));
    QCOMPARE(metric(window, 3)->text(), QStringLiteral("N/A"));
    QCOMPARE(metric(window, 0)->text(), QStringLiteral("192.168.1.23"));
}

void WindowMaintenanceTest::picksTheUuidCard_data()
{
    QTest::addColumn<Settings>("answers");
    QTest::addColumn<QStringList>("queriedKeys");
    QTest::addColumn<QString>("card");

    QTest::newRow("a token in system.uuid after an empty system.euid is shown alone")
        << Settings{{"system.uuid", "id=ead0c5f2-7a1e:4a8b.9d/rev2"}} << uuidKeys.mid(0, 2)
        << QStringLiteral("ead0c5f2-7a1e:4a8b.9d");
    QTest::newRow("a token in capitals keeps the charger's letter case")
        << Settings{{"system.uuid", "Serial EaD0C5F2-7A1E"}} << uuidKeys.mid(0, 2)
        << QStringLiteral("EaD0C5F2-7A1E");
    QTest::newRow("a token may start inside a longer word")
        << Settings{{"system.euid", "bead-42 x"}} << uuidKeys.mid(0, 1) << QStringLiteral("ead-42");
    QTest::newRow("the first plain answer stays when no key holds a token")
        << Settings{{"system.device_id", "JN-DEVICE-42"},
                    {"system.id", "second"},
                    {"device.uuid", "third"},
                    {"uuid", "last"}}
        << uuidKeys << QStringLiteral("JN-DEVICE-42");
    QTest::newRow("a token in a later key replaces the plain answer")
        << Settings{{"system.device_id", "JN-DEVICE-42"}, {"device.id", "\"ead77\""}}
        << uuidKeys.mid(0, 6) << QStringLiteral("ead77");
    QTest::newRow("ead with nothing after it is a plain answer")
        << Settings{{"system.uuid", "ead"}} << uuidKeys << QStringLiteral("ead");
    QTest::newRow("only empty answers show N/A") << Settings{} << uuidKeys << QStringLiteral("N/A");
}

void WindowMaintenanceTest::picksTheUuidCard()
{
    QFETCH(Settings, answers);
    QFETCH(QStringList, queriedKeys);
    QFETCH(QString, card);

    MainWindow window;
    SimCharger &charger = rig->charger();
    for (const QString &key : uuidKeys)
        charger.currentSettings.insert(key, answers.value(key));
    rig->clear();

    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(rig->commands(), gets({"wlan.ssid", "wlan.passkey"}) + gets(queriedKeys));
    QCOMPARE(metric(window, 3)->text(), card);
}

void WindowMaintenanceTest::refreshAllRedetectsTheInterfaceFirst()
{
    MainWindow window;
    QCOMPARE(metric(window, 0)->text(), QStringLiteral("192.168.1.23"));

    // The adapter is renamed and readdressed behind the window's back.
    QJsonObject state = laptop->readState();
    QJsonObject adapter = StandInLaptop::adapter(
        QStringLiteral("Wi-Fi 2"), QStringLiteral("JuiceNet-1A2B"), QStringLiteral("10.10.10.2"));
    adapter.insert(QStringLiteral("dhcp"), false);
    state.insert(QStringLiteral("interfaces"), QJsonArray{adapter});
    laptop->writeState(state);
    rig->charger().currentSettings.insert(QStringLiteral("wlan.ssid"), QStringLiteral("Later"));
    laptop->clearJournal();
    rig->clear();
    const qsizetype before = home->statuses().size();

    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(laptop->invocations(),
             QList<QStringList>({{"wlan", "show", "interfaces"},
                                 {"interface", "ip", "show", "addresses", "Wi-Fi 2"}}));
    QCOMPARE(rig->commands(), plainRefreshCommands());
    QCOMPARE(metric(window, 0)->text(), QStringLiteral("10.10.10.2"));
    QCOMPARE(metric(window, 1)->text(), QStringLiteral("Later"));
    QCOMPARE(home->statuses().mid(before), QStringList({"Status refreshed."}));
}

void WindowMaintenanceTest::readsThePcAddress_data()
{
    QTest::addColumn<QString>("faultPrefix");
    QTest::addColumn<QString>("faultStdout");
    QTest::addColumn<QList<QStringList>>("invocations");
    QTest::addColumn<QString>("card");

    QTest::newRow("address output without a dotted quad shows N/A")
        << QStringLiteral("interface ip show addresses")
        << QStringLiteral("\r\nConfiguration for interface \"Wi-Fi\"\r\n"
                          "    DHCP enabled:                         Yes\r\n\r\n")
        << QList<QStringList>(
               {{"wlan", "show", "interfaces"}, {"interface", "ip", "show", "addresses", "Wi-Fi"}})
        << QStringLiteral("N/A");
    QTest::newRow("no Wi-Fi interface keeps the previous address and asks nothing more")
        << QStringLiteral("wlan show interfaces")
        << QStringLiteral("There is no wireless interface on the system.\r\n\r\n")
        << QList<QStringList>({{"wlan", "show", "interfaces"}}) << QStringLiteral("192.168.1.23");
}

void WindowMaintenanceTest::readsThePcAddress()
{
    QFETCH(QString, faultPrefix);
    QFETCH(QString, faultStdout);
    QFETCH(QList<QStringList>, invocations);
    QFETCH(QString, card);

    MainWindow window;
    QCOMPARE(metric(window, 0)->text(), QStringLiteral("192.168.1.23"));
    laptop->addFault(faultPrefix, netshAnswer(faultStdout));
    laptop->clearJournal();

    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(laptop->invocations(), invocations);
    QCOMPARE(metric(window, 0)->text(), card);
    QCOMPARE(home->statuses().last(), QStringLiteral("Status refreshed."));
}

// ---------------------------------------------------------------------------------------------
// Identity block

void WindowMaintenanceTest::writesTheIdentityBlockOncePerRun()
{
    MainWindow window;
    QCOMPARE(rig->commands(),
             plainRefreshCommands() + gets({"system.uuid", "system.serial", "wlan.mac"}));
    QCOMPARE(identityBlocks(home->logEntries()),
             QList<QStringList>({identityBlock(standardSerial, standardMac, standardUuid)}));

    rig->clear();
    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(rig->commands(), plainRefreshCommands());
    QCOMPARE(identityBlocks(home->logEntries()).size(), 1);
}

void WindowMaintenanceTest::skipsAnUnknownSerial()
{
    SimCharger &charger = rig->charger();
    charger.currentSettings.insert(QStringLiteral("system.serial"),
                                   QStringLiteral("Unknown (not provisioned)"));
    charger.currentSettings.insert(QStringLiteral("device.serial"), QStringLiteral("JN-77-000123"));

    MainWindow window;
    QCOMPARE(rig->commands().mid(plainRefreshCommands().size()),
             gets({"system.uuid", "system.serial", "device.serial", "wlan.mac"}));
    QCOMPARE(identityBlocks(home->logEntries()),
             QList<QStringList>(
                 {identityBlock(QStringLiteral("JN-77-000123"), standardMac, standardUuid)}));
}

void WindowMaintenanceTest::writesTheBlockWithOnlyAMac()
{
    // Both UUID keys answer empty; every serial key answers "ERR: unknown key ...".
    SimCharger &charger = rig->charger();
    charger.currentSettings.insert(QStringLiteral("system.uuid"), QString());
    charger.currentSettings.insert(QStringLiteral("uuid"), QString());
    charger.currentSettings.remove(QStringLiteral("system.serial"));

    MainWindow window;
    const QStringList identityCommands =
        gets({"system.uuid", "uuid", "system.serial", "device.serial", "serial", "system.sn",
              "device.sn", "wlan.mac"});
    QCOMPARE(rig->commands().mid(rig->commands().size() - identityCommands.size()),
             identityCommands);
    QCOMPARE(identityBlocks(home->logEntries()),
             QList<QStringList>(
                 {identityBlock(QStringLiteral("N/A"), standardMac, QStringLiteral("N/A"))}));

    rig->clear();
    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(rig->commands(), gets({"wlan.ssid", "wlan.passkey"}) + gets(uuidKeys));
    QCOMPARE(identityBlocks(home->logEntries()).size(), 1);
}

void WindowMaintenanceTest::retriesTheIdentityWhenNothingWasReadable_data()
{
    QTest::addColumn<SimFault>("fault");

    QTest::newRow("every get answered with empty text")
        << SimFault::replyText(QStringLiteral("get"), QString()).byFirstWord();
    QTest::newRow("every get answered HTTP 404")
        << SimFault::httpStatus(QStringLiteral("get"), 404, QByteArray()).byFirstWord();
}

void WindowMaintenanceTest::retriesTheIdentityWhenNothingWasReadable()
{
    QFETCH(SimFault, fault);
    rig->sim.addFault(fault);

    MainWindow window;
    const QStringList identityCommands =
        gets({"system.uuid", "uuid", "system.serial", "device.serial", "serial", "system.sn",
              "device.sn", "wlan.mac", "softap.mac", "ethernet.mac", "mac"});
    QCOMPARE(rig->commands(),
             gets({"wlan.ssid", "wlan.passkey"}) + gets(uuidKeys) + identityCommands);
    QVERIFY(identityBlocks(home->logEntries()).isEmpty());
    QCOMPARE(metric(window, 1)->text(), QStringLiteral("N/A"));
    QCOMPARE(metric(window, 2)->text(), QStringLiteral("N/A"));
    QCOMPARE(metric(window, 3)->text(), QStringLiteral("N/A"));

    // The charger answers now: the next refresh asks again and writes the block.
    rig->sim.clearFaults();
    rig->clear();
    QVERIFY(testsupport::invokeSlot(&window, "onRefreshAll"));
    QCOMPARE(rig->commands(),
             plainRefreshCommands() + gets({"system.uuid", "system.serial", "wlan.mac"}));
    QCOMPARE(identityBlocks(home->logEntries()),
             QList<QStringList>({identityBlock(standardSerial, standardMac, standardUuid)}));
}

// ---------------------------------------------------------------------------------------------
// Cleanup

void WindowMaintenanceTest::previewListsCandidatesWhenTheListingArrives()
{
    MainWindow window;
    QListWidget *list = cleanupList(window);
    const QString listing = rig->charger().fileListing(true);
    rig->clear();
    const qsizetype before = home->statuses().size();

    QVERIFY(testsupport::invokeSlot(&window, "onPreviewCleanup"));
    QCOMPARE(home->statuses().mid(before), QStringList({"Loading cleanup candidates..."}));
    QTRY_COMPARE(texts(list),
                 QStringList({"ECache_0001.bin", "EEvents_2026-03-14.log", "ECache_0002.bin"}));
    QCOMPARE(home->statuses().mid(before),
             QStringList({"Loading cleanup candidates...", "Preview found 3 cleanup file(s)."}));
    QVERIFY(home->logText().contains(QStringLiteral("ASYNC ls -v -> ok=1 response=") + listing));
    QCOMPARE(rig->commands(), QStringList({"ls -v"}));
    QCOMPARE(rig->requestLines(),
             QList<QByteArray>({"GET http://setup.zephyl/command/ls%20-v HTTP/1.1"}));

    // A second preview leaves the old rows in place until its own listing arrives.
    rig->charger().files.removeLast();
    QVERIFY(testsupport::invokeSlot(&window, "onPreviewCleanup"));
    QCOMPARE(list->count(), 3);
    QTRY_COMPARE(texts(list), QStringList({"ECache_0001.bin", "EEvents_2026-03-14.log"}));
    QCOMPARE(home->statuses().last(), QStringLiteral("Preview found 2 cleanup file(s)."));
}

void WindowMaintenanceTest::previewFindsNames_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("one name in three spellings is listed once as first seen")
        << QStringLiteral("ECache_1\nECache_1\necache_1\n") << QStringList({"ECache_1"});
    QTest::newRow("a lower-case first sighting wins over later capitals")
        << QStringLiteral("ecache_1 ECache_1 EEvents_a") << QStringList({"ecache_1", "EEvents_a"});
    QTest::newRow("dots and hyphens belong to the name, a slash or a space ends it")
        << QStringLiteral("/data/EEvents_2026-03-14.v2.log/old ECache_a b")
        << QStringList({"EEvents_2026-03-14.v2.log", "ECache_a"});
    QTest::newRow("a prefix inside a longer word starts the name")
        << QStringLiteral("4096  /data/xECache_9\n") << QStringList({"ECache_9"});
    QTest::newRow("a name in capitals is kept in capitals")
        << QStringLiteral("ECACHE_7 config.json") << QStringList({"ECACHE_7"});
    QTest::newRow("a bare prefix before a space is no name")
        << QStringLiteral("ECache_ EEvents_\nEEvents_x") << QStringList({"EEvents_x"});
}

void WindowMaintenanceTest::previewFindsNames()
{
    QFETCH(QString, listing);
    QFETCH(QStringList, names);

    MainWindow window;
    rig->sim.addFault(SimFault::replyText(QStringLiteral("ls -v"), listing));
    previewAndWait(window, int(names.size()));
    QCOMPARE(texts(cleanupList(window)), names);
    QCOMPARE(home->statuses().last(),
             QStringLiteral("Preview found %1 cleanup file(s).").arg(names.size()));
}

void WindowMaintenanceTest::previewReportsNothingToDelete_data()
{
    QTest::addColumn<bool>("ordinaryFilesOnly");
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("asyncLine");

    QTest::newRow("a charger holding only ordinary files")
        << true << SimFault() << QStringLiteral("ASYNC ls -v -> ok=1 response=");
    QTest::newRow("a listing with bare prefixes only")
        << false << SimFault::replyText(QStringLiteral("ls -v"), QStringLiteral("ECache_ EEvents_"))
        << QStringLiteral("ASYNC ls -v -> ok=1 response=ECache_ EEvents_");
    QTest::newRow("a failed listing")
        << false << SimFault::httpStatus(QStringLiteral("ls -v"), 500, QByteArray())
        << QStringLiteral("ASYNC ls -v -> ok=0 response=");
}

void WindowMaintenanceTest::previewReportsNothingToDelete()
{
    QFETCH(bool, ordinaryFilesOnly);
    QFETCH(SimFault, fault);
    QFETCH(QString, asyncLine);

    if (ordinaryFilesOnly)
        rig->charger().files = {{QStringLiteral("config.json"), 812}};
    if (!fault.command.isEmpty())
        rig->sim.addFault(fault);

    MainWindow window;
    cleanupList(window)->addItem(QStringLiteral("stale row"));
    const qsizetype before = home->statuses().size();
    QVERIFY(testsupport::invokeSlot(&window, "onPreviewCleanup"));
    QTRY_COMPARE(cleanupList(window)->count(), 0);

    QCOMPARE(home->statuses().mid(before),
             QStringList({"Loading cleanup candidates...",
                          "No ECache/EEvents files found (nothing to delete)."}));
    const QStringList entries = home->logEntries();
    const qsizetype status = entries.indexOf(
        QStringLiteral("STATUS: No ECache/EEvents files found (nothing to delete)."));
    QVERIFY(status > 0);
    QCOMPARE(entries.value(status + 1),
             QStringLiteral("Cleanup preview: no matching files found."));
    QVERIFY2(entries.value(status - 1).startsWith(asyncLine),
             qPrintable(entries.value(status - 1)));
}

void WindowMaintenanceTest::deleteNeedsAPreviewWithCandidates_data()
{
    QTest::addColumn<bool>("previewFirst");

    QTest::newRow("delete before any preview") << false;
    QTest::newRow("delete after a preview that found nothing") << true;
}

void WindowMaintenanceTest::deleteNeedsAPreviewWithCandidates()
{
    QFETCH(bool, previewFirst);

    MainWindow window;
    if (previewFirst) {
        rig->sim.addFault(
            SimFault::replyText(QStringLiteral("ls -v"), QStringLiteral("config.json")));
        QVERIFY(testsupport::invokeSlot(&window, "onPreviewCleanup"));
        QTRY_COMPARE(home->statuses().last(),
                     QStringLiteral("No ECache/EEvents files found (nothing to delete)."));
    }
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    QVERIFY(testsupport::invokeSlot(&window, "onDeleteCleanup"));
    QCOMPARE(home->statuses().mid(before), QStringList({"Run preview first."}));
    QCOMPARE(boxes.titles, QStringList());
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(fileNames(rig->charger()).size(), 4);
}

void WindowMaintenanceTest::decliningTheCleanupSendsNothing()
{
    MainWindow window;
    previewAndWait(window, 3);
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::No);
    QVERIFY(testsupport::invokeSlot(&window, "onDeleteCleanup"));
    QCOMPARE(boxes.titles, QStringList({"Confirm cleanup"}));
    QCOMPARE(boxes.texts, QStringList({"Delete 3 file(s)?"}));
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(home->statuses().mid(before), QStringList());
    QCOMPARE(fileNames(rig->charger()).size(), 4);
}

void WindowMaintenanceTest::deletesPreviewedFilesOneByOneThenSaves()
{
    MainWindow window;
    previewAndWait(window, 3);
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    QVERIFY(testsupport::invokeSlot(&window, "onDeleteCleanup"));
    QCOMPARE(boxes.titles, QStringList({"Confirm cleanup"}));
    QCOMPARE(boxes.texts, QStringList({"Delete 3 file(s)?"}));

    // The fresh preview sent after the cleanup reports what is left.
    QTRY_COMPARE(home->statuses().mid(before),
                 QStringList({"Deleting cleanup files...", "Cleanup complete. Refreshed file list.",
                              "No ECache/EEvents files found (nothing to delete)."}));
    QCOMPARE(rig->commands(),
             QStringList({"ls -v", "fde \"ECache_0001.bin\"", "fde \"EEvents_2026-03-14.log\"",
                          "fde \"ECache_0002.bin\"", "save"}) +
                 plainRefreshCommands() + QStringList({"ls -v"}));
    QCOMPARE(fileNames(rig->charger()), QStringList({"config.json"}));
    QCOMPARE(rig->charger().saveCount, 1);

    const QList<testsupport::RecordedRequest> posts = postRequests(*rig);
    const QList<QByteArray> bodies = {R"({"command":"fde \"ECache_0001.bin\"","flags":0})",
                                      R"({"command":"fde \"EEvents_2026-03-14.log\"","flags":0})",
                                      R"({"command":"fde \"ECache_0002.bin\"","flags":0})"};
    QCOMPARE(posts.size(), bodies.size());
    for (qsizetype i = 0; i < posts.size(); ++i) {
        QCOMPARE(posts.at(i).requestLine, QByteArray("POST http://setup.zephyl/command HTTP/1.1"));
        QCOMPARE(posts.at(i).header("Content-Type"), QByteArray("application/json"));
        QCOMPARE(posts.at(i).body, bodies.at(i));
    }

    QCOMPARE(entriesStartingWith(home->logEntries(), {"CMD fde", "CMD save", "CMD ls"}),
             QStringList({"CMD fde \"ECache_0001.bin\"", "CMD fde \"EEvents_2026-03-14.log\"",
                          "CMD fde \"ECache_0002.bin\"", "CMD save after cleanup -> ok"}));
    QCOMPARE(cleanupList(window)->count(), 0);
}

void WindowMaintenanceTest::retriesAnEmptyListingOnce_data()
{
    QTest::addColumn<int>("emptyListings");
    QTest::addColumn<QStringList>("deleted");
    QTest::addColumn<QString>("outcomeLine");

    QTest::newRow("two empty listings mean nothing to delete")
        << 2 << QStringList() << QStringLiteral("Cleanup: no ECache/EEvents files found.");
    QTest::newRow("the second listing is used when it names files")
        << 1 << QStringList({"ECache_0001.bin", "EEvents_2026-03-14.log", "ECache_0002.bin"})
        << QStringLiteral("CMD save after cleanup -> ok");
}

void WindowMaintenanceTest::retriesAnEmptyListingOnce()
{
    QFETCH(int, emptyListings);
    QFETCH(QStringList, deleted);
    QFETCH(QString, outcomeLine);

    MainWindow window;
    previewAndWait(window, 3);
    rig->sim.addFault(
        SimFault::replyText(QStringLiteral("ls -v"), QStringLiteral("  \n"), emptyListings));
    rig->clear();

    ModalBoxWatch boxes(QMessageBox::Yes);
    QVERIFY(testsupport::invokeSlot(&window, "onDeleteCleanup"));
    QCOMPARE(home->statuses().last(), QStringLiteral("Cleanup complete. Refreshed file list."));

    QStringList expected = {"ls -v", "ls -v"};
    for (const QString &name : deleted)
        expected << QStringLiteral("fde \"%1\"").arg(name);
    if (!deleted.isEmpty())
        expected << QStringLiteral("save");
    QCOMPARE(rig->commands().mid(0, expected.size()), expected);
    QVERIFY(home->logEntries().contains(outcomeLine));
    QCOMPARE(fileNames(rig->charger()).size(), 4 - deleted.size());
    // Let the follow-up preview land before the window goes.
    QTRY_VERIFY(home->statuses().last() !=
                QStringLiteral("Cleanup complete. Refreshed file list."));
}

void WindowMaintenanceTest::stopsAtTheFirstFailedDeletion_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("failureLine");

    const QString second = QStringLiteral("fde \"EEvents_2026-03-14.log\"");
    QTest::newRow("HTTP 500 for the second file")
        << SimFault::httpStatus(second, 500, QByteArray("disk busy"))
        << QStringLiteral("CMD fde failed for EEvents_2026-03-14.log response=disk busy");
    QTest::newRow("dropped connection for the second file")
        << SimFault::drop(second)
        << QStringLiteral("CMD fde failed for EEvents_2026-03-14.log response=");
}

void WindowMaintenanceTest::stopsAtTheFirstFailedDeletion()
{
    QFETCH(SimFault, fault);
    QFETCH(QString, failureLine);
    const bool connectionDropped = fault.kind == SimFault::Kind::Drop;

    MainWindow window;
    previewAndWait(window, 3);
    rig->sim.addFault(fault);
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    QVERIFY(testsupport::invokeSlot(&window, "onDeleteCleanup"));
    QCOMPARE(home->statuses().mid(before),
             QStringList({"Deleting cleanup files...", "Cleanup failed."}));
    // Qt's network layer re-sends a request whose connection closed before any answer, POSTs
    // through a proxy included, so after a drop the charger may see the same deletion again.
    const QStringList commands =
        connectionDropped ? withoutRepeats(rig->commands()) : rig->commands();
    QCOMPARE(commands,
             QStringList({"ls -v", "fde \"ECache_0001.bin\"", "fde \"EEvents_2026-03-14.log\""}));
    QCOMPARE(fileNames(rig->charger()),
             QStringList({"EEvents_2026-03-14.log", "config.json", "ECache_0002.bin"}));
    QCOMPARE(rig->charger().saveCount, 0);
    QCOMPARE(entriesStartingWith(home->logEntries(), {"CMD fde", "CMD save"}),
             QStringList({"CMD fde \"ECache_0001.bin\"", "CMD fde \"EEvents_2026-03-14.log\"",
                          failureLine}));
    // The rows of the preview stay as they were.
    QCOMPARE(cleanupList(window)->count(), 3);
}

// ---------------------------------------------------------------------------------------------
// Firmware

void WindowMaintenanceTest::triggersTheFirmwareUpdate_data()
{
    QTest::addColumn<SimFault>("fault");
    QTest::addColumn<QString>("logLine");
    QTest::addColumn<QString>("status");

    const QString command = QStringLiteral("dfuu -i wlan --multi");
    QTest::newRow("a reply in blank lines is logged trimmed")
        << SimFault::replyText(command, QStringLiteral("\r\n\n  firmware update started\n\n"))
        << QStringLiteral("CMD dfuu -i wlan --multi -> ok=1 response=firmware update started")
        << QStringLiteral("Firmware update command sent.");
    QTest::newRow("HTTP 503 is reported as no answer")
        << SimFault::httpStatus(command, 503, QByteArray())
        << QStringLiteral("CMD dfuu -i wlan --multi -> ok=0 response=")
        << QStringLiteral("Firmware update command failed (no answer from charger).");
}

void WindowMaintenanceTest::triggersTheFirmwareUpdate()
{
    QFETCH(SimFault, fault);
    QFETCH(QString, logLine);
    QFETCH(QString, status);

    MainWindow window;
    rig->sim.addFault(fault);
    rig->clear();
    const qsizetype before = home->statuses().size();

    QVERIFY(testsupport::invokeSlot(&window, "onTriggerUpdate"));
    QCOMPARE(
        rig->requestLines(),
        QList<QByteArray>({"GET http://setup.zephyl/command/dfuu%20-i%20wlan%20--multi HTTP/1.1"}));
    QCOMPARE(entriesStartingWith(home->logEntries(), {"CMD dfuu"}), QStringList({logLine}));
    QCOMPARE(home->statuses().mid(before), QStringList({status}));
}

// ---------------------------------------------------------------------------------------------
// Factory reset

void WindowMaintenanceTest::factoryResetStopsAtTheAcceptedForm()
{
    rig->charger().factoryResetForms = {QStringLiteral("fac")};
    MainWindow window;
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    testsupport::clickButton(&window, QStringLiteral("Factory Reset Charger"));
    QCOMPARE(boxes.titles, QStringList({"Confirm factory reset"}));
    QCOMPARE(boxes.texts,
             QStringList({"Factory reset will erase charger settings and reboot. Continue?"}));
    QCOMPARE(rig->commands(), QStringList({"get wlan.mac", "factory_reset", "fac"}));
    QCOMPARE(home->statuses().mid(before),
             QStringList({"Factory reset command sent (fac). Charger will reboot."}));
    QCOMPARE(rig->charger().factoryResetCount, 1);
    QCOMPARE(entriesStartingWith(home->logEntries(), {"CMD factory_reset", "CMD fac"}),
             QStringList({"CMD factory_reset -> httpOk=1 cmdOk=0 response=usage: fac <mac>",
                          "CMD fac -> httpOk=1 cmdOk=1 response=ok"}));
}

void WindowMaintenanceTest::factoryResetTreatsAUsageTextAsRejection()
{
    const QString usage = QStringLiteral("usage: fac <mac> -- ok");
    rig->sim.addFault(SimFault::replyText(QStringLiteral("factory_reset"), usage).byFirstWord());
    rig->sim.addFault(SimFault::replyText(QStringLiteral("fac"), usage).byFirstWord());
    MainWindow window;
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    testsupport::clickButton(&window, QStringLiteral("Factory Reset Charger"));
    QCOMPARE(rig->commands(),
             QStringList({"get wlan.mac", "factory_reset", "fac", "factory_reset " + standardMac,
                          "fac " + standardMac, "fac [" + standardMac + "]", "fac 70b3d5123401",
                          "fac [70b3d5123401]"}));
    QCOMPARE(home->statuses().mid(before),
             QStringList({"Factory reset failed (device says command args invalid). See log for "
                          "exact response."}));
    QCOMPARE(entriesStartingWith(home->logEntries(), {"CMD fac 70"}).first(),
             QStringLiteral("CMD fac ") + standardMac +
                 QStringLiteral(" -> httpOk=1 cmdOk=0 response=") + usage);
}

void WindowMaintenanceTest::factoryResetFormsFollowTheMac_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("macReadFails");
    QTest::addColumn<QStringList>("attempts");

    QTest::newRow("a MAC with colons loses them only in the last two forms")
        << QStringLiteral("70:b3:d5:12:34:01") << false
        << QStringList({"factory_reset", "fac", "factory_reset 70:b3:d5:12:34:01",
                        "fac 70:b3:d5:12:34:01", "fac [70:b3:d5:12:34:01]", "fac 70b3d5123401",
                        "fac [70b3d5123401]"});
    QTest::newRow("a MAC with hyphens loses them only in the last two forms")
        << QStringLiteral("70-B3-D5-12-34-01") << false
        << QStringList({"factory_reset", "fac", "factory_reset 70-B3-D5-12-34-01",
                        "fac 70-B3-D5-12-34-01", "fac [70-B3-D5-12-34-01]", "fac 70B3D5123401",
                        "fac [70B3D5123401]"});
    QTest::newRow("a MAC without separators sends two forms twice")
        << QStringLiteral("  70B3D5123401 ") << false
        << QStringList({"factory_reset", "fac", "factory_reset 70B3D5123401", "fac 70B3D5123401",
                        "fac [70B3D5123401]", "fac 70B3D5123401", "fac [70B3D5123401]"});
    QTest::newRow("an empty MAC leaves the two bare forms")
        << QString() << false << QStringList({"factory_reset", "fac"});
    QTest::newRow("an unreadable MAC leaves the two bare forms")
        << QStringLiteral("70:b3:d5:12:34:01") << true << QStringList({"factory_reset", "fac"});
}

void WindowMaintenanceTest::factoryResetFormsFollowTheMac()
{
    QFETCH(QString, mac);
    QFETCH(bool, macReadFails);
    QFETCH(QStringList, attempts);

    // This firmware takes no form at all, so every applicable form is tried.
    rig->charger().factoryResetForms.clear();
    rig->charger().currentSettings.insert(QStringLiteral("wlan.mac"), mac);
    if (macReadFails)
        rig->sim.addFault(SimFault::httpStatus(QStringLiteral("get wlan.mac"), 404, QByteArray()));
    MainWindow window;
    rig->clear();

    ModalBoxWatch boxes(QMessageBox::Yes);
    testsupport::clickButton(&window, QStringLiteral("Factory Reset Charger"));
    QCOMPARE(rig->commands(), QStringList({"get wlan.mac"}) + attempts);
    QCOMPARE(
        home->statuses().last(),
        QStringLiteral("Factory reset failed (device says command args invalid). See log for exact "
                       "response."));
}

void WindowMaintenanceTest::decliningTheFactoryResetSendsNothing()
{
    MainWindow window;
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::No);
    testsupport::clickButton(&window, QStringLiteral("Factory Reset Charger"));
    QCOMPARE(boxes.titles, QStringList({"Confirm factory reset"}));
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(home->statuses().mid(before), QStringList());
    QCOMPARE(rig->charger().factoryResetCount, 0);
}

void WindowMaintenanceTest::factoryResetIsRefusedInCompleteSetup()
{
    rig->charger().factoryResetForms = {QStringLiteral("fac")};
    MainWindow window;
    testsupport::clickButton(&window, QStringLiteral("Open Connect Step"));
    rig->clear();
    const qsizetype before = home->statuses().size();

    ModalBoxWatch boxes(QMessageBox::Yes);
    testsupport::clickButton(&window, QStringLiteral("Factory Reset Charger"));
    QCOMPARE(home->statuses().mid(before),
             QStringList({"Factory reset is available only in Advanced mode."}));
    QCOMPARE(boxes.titles, QStringList());
    QCOMPARE(rig->commands(), QStringList());
    QCOMPARE(rig->charger().factoryResetCount, 0);
}

QTEST_MAIN(WindowMaintenanceTest)
#include "tst_window_maintenance.moc"
