#include "app/mainwindow.h"
#include "world.h"

#include <QtTest>

using testsupport::kTwoChargersInRange;

namespace {

const QString kFirst = QStringLiteral(
    "JuiceNet-1A2B|ZP2-0001234|70:b3:d5:12:34:56|ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10");
const QString kSecond = QStringLiteral(
    "JuiceNet-3C4D|ZP2-0005678|70:b3:d5:9a:bc:de|ead71e3a-4b2c-4d8e-a1f0-6c5b4a392817");
const QString kSaved =
    QStringLiteral("|HomeNet|configured and saved, not rebooted|the charger joins it after its "
                   "next reboot");
const QStringList kJoined = {"click:Find Charger Wi-Fi", "pick-charger:JuiceNet-1A2B",
                             "click:Connect to Selected"};
const QStringList kGuided = {"ssid:HomeNet", "password:correct horse",
                             "option:Get info (SSID/Passkey/UUID)=0",
                             "option:Clear ECache & EEvents=0"};

} // namespace

// The rows the record keeps in situations where a run's end and the row's writing part ways.
class WindowRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void record_data();
    void record();
};

void WindowRecordTest::record_data()
{
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<QStringList>("steps");

    // Set Wi-Fi on the first charger while the record cannot be written.
    const QStringList lockedSetWifi =
        kJoined + QStringList{"record:blocked", "ssid:HomeNet", "password:correct horse",
                              "click:Set Wi-Fi + Reboot Charger"};
    QTest::newRow("a row the locked record refused at Set Wi-Fi is written at the close")
        << QList<SimFault>{}
        << lockedSetWifi + QStringList{"record:free", "close",
                                       "records:Set Wi-Fi + Reboot Charger|" + kFirst +
                                           "|HomeNet|configured and rebooted|reboot word accepted: "
                                           "reboot"};
    QTest::newRow("a record still locked at the close: the log and the status count what it "
                  "keeps")
        << QList<SimFault>{}
        << lockedSetWifi + QStringList{"close", "logged-end:: 1 row(s) are only in this log.",
                                       "logged-end:; 1 row(s) are only in the setup log."};
    QTest::newRow("a close during the first check records the stop")
        << QList<SimFault>{SimFault::delay("network_verify", 1500).byFirstWord()}
        << kJoined + QStringList{"ssid:HomeNet", "password:correct horse",
                                 "once:Running network verify before applying Wi-Fi "
                                 "credentials...=close",
                                 "click:Set Wi-Fi + Reboot Charger",
                                 "records:Set Wi-Fi + Reboot Charger|" + kFirst +
                                     "|HomeNet|stopped by closing the window|remaining steps "
                                     "not run"};
    QTest::newRow("a guided run over two chargers: each row names its own charger; a close in "
                  "the second one's firmware step keeps the saved Wi-Fi")
        << QList<SimFault>{SimFault::delay("dfuu -i wlan --multi", 1500)}
        << kGuided + QStringList{"option:Firmware update=1",
                                 "once:Starting firmware update on JuiceNet-3C4D...=close",
                                 "invoke:onStartGuidedSetup",
                                 "records:Guided setup|" + kFirst + kSaved +
                                     "; firmware update requested\nGuided setup|" + kSecond +
                                     kSaved + "; then stopped by closing the window"};
    QTest::newRow("a laptop moved to another charger from the tray: the row names that one")
        << QList<SimFault>{}
        << kJoined + QStringList{"tray:JuiceNet-3C4D", "invoke:onTriggerUpdate",
                                 "records:Firmware update|" + kSecond +
                                     "||firmware update requested|the charger answered"};
}

void WindowRecordTest::record()
{
    QFETCH(QList<SimFault>, faults);
    QFETCH(QStringList, steps);
    testsupport::World world(QStringLiteral("demo.json"));
    world.followLaptop();
    world.writeLaptop(kTwoChargersInRange);
    for (const SimFault &fault : faults)
        world.sim.addFault(fault);
    MainWindow window;
    testsupport::runSteps(window, world, QStringList{"startup"} + steps);
}

QTEST_MAIN(WindowRecordTest)
#include "tst_window_record.moc"
