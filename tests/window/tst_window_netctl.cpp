#include "app/mainwindow.h"
#include "netsh_argv.h"
#include "standin_laptop.h"
#include "test_paths.h"
#include "window_harness.h"
#include "window_widgets.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace testsupport::netsh;
using testsupport::IsolatedHome;
using testsupport::rendered;
using testsupport::StandInLaptop;
using testsupport::startingWith;

namespace {

const QString wifi = QStringLiteral("Wi-Fi");
const QString firstCharger = QStringLiteral("JuiceNet-1A2B");
const QString noChargerFound = QStringLiteral(
    "No JuiceNet found. Move closer to charger, keep lights flashing blue, then scan again.");
const QString staticApplied = QStringLiteral("Static IP applied (10.10.10.2).");
const QString staticRefused =
    QStringLiteral("Static IP could not be applied. Run as administrator and retry.");
const QString capturedHome = QStringLiteral("Captured original laptop Wi-Fi: HomeNet");

QJsonObject chargerNetwork(const QString &ssid, int index)
{
    return StandInLaptop::network(
        ssid, QStringLiteral("Open"), QStringLiteral("10.10.10.3"),
        QStringLiteral("5e:4c:9b:8e:47:%1").arg(index, 2, 10, QLatin1Char('0')), 60, 6);
}

QJsonObject homeNetwork()
{
    return StandInLaptop::network(QStringLiteral("HomeNet"), QStringLiteral("WPA2-Personal"),
                                  QStringLiteral("192.168.1.23"),
                                  QStringLiteral("d8:15:0d:72:8c:18"), 92, 1);
}

QJsonObject laptopState(const QJsonArray &adapters, const QJsonArray &networks,
                        const QJsonObject &faults = QJsonObject())
{
    QJsonObject state{
        {QStringLiteral("elevated"), true},
        {QStringLiteral("interfaces"), adapters},
        {QStringLiteral("networks"), networks},
        {QStringLiteral("profiles"),
         QJsonArray{StandInLaptop::profile(QStringLiteral("HomeNet"), QStringLiteral("Wi-Fi"))}}};
    if (!faults.isEmpty())
        state.insert(QStringLiteral("faults"), faults);
    return state;
}

QJsonObject homeAdapter(const QString &name = QStringLiteral("Wi-Fi"))
{
    return StandInLaptop::adapter(name, QStringLiteral("HomeNet"), QStringLiteral("192.168.1.23"));
}

QJsonObject netshAnswer(const QString &stream, const QString &text, int exitCode = 0)
{
    return {{stream, text}, {QStringLiteral("exitCode"), exitCode}};
}

// The text of every <name> element of a profile document, or an error description.
QStringList profileNames(const QString &xml, QString *error)
{
    QStringList names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("name"))
            names << reader.readElementText();
    }
    if (reader.hasError())
        *error = reader.errorString();
    return names;
}

// xmllint's verdict on a document against the shipped WLANProfile schema; empty when valid.
QString schemaProblems(const QString &xmllint, const QString &xml)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("profile.xml")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write a copy of the profile");
    file.write(xml.toUtf8());
    file.close();

    QProcess lint;
    lint.setProcessChannelMode(QProcess::MergedChannels);
    lint.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"),
                         testsupport::dataFilePath(QStringLiteral("netsh/WLAN_profile_v1.xsd")),
                         file.fileName()});
    if (!lint.waitForFinished(30000))
        return QStringLiteral("xmllint did not finish");
    if (lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(lint.readAll()) + xml;
}

} // namespace

class WindowNetctlTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startUpDetectsTheAdapterAndShowsItsAddress_data();
    void startUpDetectsTheAdapterAndShowsItsAddress();
    void withoutAnAdapterOnlyDetectionRuns();

    void discoveryListsChargerNetworks_data();
    void discoveryListsChargerNetworks();
    void aScanThatFindsNothingEmptiesTheList();

    void connectingWithoutASelectionRunsNothing();
    void joiningASelectedChargerRunsTheProfileSequence_data();
    void joiningASelectedChargerRunsTheProfileSequence();
    void firstJoinCapturesOnlyAnOrdinaryNetwork_data();
    void firstJoinCapturesOnlyAnOrdinaryNetwork();
    void aJoinFromNoNetworkLeavesTheCaptureForTheNextJoin();
    void aSecondJoinKeepsTheCapturedNetwork();
    void judgesTheConnectOutput_data();
    void judgesTheConnectOutput();

    void staticAddressingRunsBothCommandsThenRefreshes_data();
    void staticAddressingRunsBothCommandsThenRefreshes();
    void staticAddressingReportsANetshThatCannotStart();

    void closingRestoresAnAdapterThatAppearedAfterStartUp();
    void closingWithoutAnOriginalNetworkReturnsToDhcpOnly_data();
    void closingWithoutAnOriginalNetworkReturnsToDhcpOnly();
    void closingAfterACapturingJoinRejoinsTheOriginalNetwork();

private:
    QStringList capturedLines() const
    {
        return startingWith(home->logEntries(), {QStringLiteral("Captured")});
    }

    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
};

void WindowNetctlTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({firstCharger}));
    testsupport::routeChargerToNowhere();
}

void WindowNetctlTest::cleanup()
{
    laptop.reset();
    home.reset();
}

void WindowNetctlTest::startUpDetectsTheAdapterAndShowsItsAddress_data()
{
    QTest::addColumn<QJsonArray>("adapters");
    QTest::addColumn<QString>("expectedAdapter");
    QTest::addColumn<QString>("expectedPcIp");

    QTest::newRow("one adapter on the home network")
        << QJsonArray{homeAdapter()} << wifi << QStringLiteral("192.168.1.23");
    QTest::newRow("an adapter name with a blank is queried whole")
        << QJsonArray{homeAdapter(QStringLiteral("Wi-Fi 2"))} << QStringLiteral("Wi-Fi 2")
        << QStringLiteral("192.168.1.23");
    QTest::newRow("with two adapters the first one listed is used")
        << QJsonArray{StandInLaptop::adapter(QStringLiteral("Wireless USB"), QString(),
                                             QStringLiteral("169.254.7.9")),
                      homeAdapter()}
        << QStringLiteral("Wireless USB") << QStringLiteral("169.254.7.9");
    QTest::newRow("an adapter without an address shows N/A")
        << QJsonArray{StandInLaptop::adapter(wifi)} << wifi << QStringLiteral("N/A");
}

void WindowNetctlTest::startUpDetectsTheAdapterAndShowsItsAddress()
{
    QFETCH(QJsonArray, adapters);
    QFETCH(QString, expectedAdapter);
    QFETCH(QString, expectedPcIp);
    laptop->writeState(laptopState(adapters, {homeNetwork()}));

    MainWindow window;
    QCOMPARE(rendered(laptop->invocations()),
             rendered({showInterfaces(), showAddresses(expectedAdapter)}));
    QCOMPARE(testsupport::metricText(&window, 0), expectedPcIp);
    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Ready."));
}

void WindowNetctlTest::withoutAnAdapterOnlyDetectionRuns()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));

    MainWindow window;
    QCOMPARE(rendered(laptop->invocations()), rendered({showInterfaces()}));
    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Ready."));
    const QString pcIp = testsupport::metricText(&window, 0);

    // Static addressing finds no adapter to address.
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Set Static IP"));
    QCOMPARE(rendered(laptop->invocations()), QStringList());
    QCOMPARE(testsupport::metricText(&window, 0), pcIp);

    // Closing detects again and restores nothing.
    laptop->clearJournal();
    window.close();
    QCOMPARE(rendered(laptop->invocations()), rendered({showInterfaces()}));
    QCOMPARE(home->logEntries().last(),
             QStringLiteral("restoreLaptopNetwork: no Wi-Fi interface detected."));
    QCOMPARE(startingWith(home->logEntries(), {QStringLiteral("Laptop network restored")}),
             QStringList());
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."),
                                            QStringLiteral("No Wi-Fi interface detected.")}));
}

void WindowNetctlTest::discoveryListsChargerNetworks_data()
{
    QTest::addColumn<QJsonObject>("state");
    QTest::addColumn<QStringList>("expectedItems");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QString>("expectedStatus");

    const QString wlansvcStopped =
        QStringLiteral("The Wireless AutoConfig Service (wlansvc) is not running.\r\n\r\n");
    QTest::newRow("chargers on the first pass are listed once each in the order seen")
        << laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(firstCharger, 1),
                                         chargerNetwork(QStringLiteral("MyJuiceNet"), 2),
                                         chargerNetwork(QStringLiteral("JUICENET-1a2b"), 3),
                                         chargerNetwork(QString(), 4),
                                         chargerNetwork(QStringLiteral("juicenet-9c3d"), 5)})
        << QStringList{firstCharger, QStringLiteral("juicenet-9c3d")} << rendered({showNetworks()})
        << QStringLiteral("Found 2 charger network(s).");
    QTest::newRow("a charger seen by two adapters is listed once")
        << laptopState({homeAdapter(), StandInLaptop::adapter(QStringLiteral("Wi-Fi 2"))},
                       {homeNetwork(), chargerNetwork(firstCharger, 1)})
        << QStringList{firstCharger} << rendered({showNetworks()})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("a failing first pass is followed by the pass on the detected adapter")
        << laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(firstCharger, 1)},
                       {{QStringLiteral("wlan show networks mode=bssid"),
                         netshAnswer(QStringLiteral("stdout"), wlansvcStopped, 1)}})
        << QStringList{firstCharger} << rendered({showNetworks(), showNetworksOn(wifi)})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("a listing printed on standard error is read as well")
        << laptopState({homeAdapter()}, {homeNetwork()},
                       {{QStringLiteral("wlan show networks mode=bssid"),
                         netshAnswer(QStringLiteral("stderr"),
                                     QStringLiteral("SSID 1 : JuiceNet-E0E0\r\n"))}})
        << QStringList{QStringLiteral("JuiceNet-E0E0")} << rendered({showNetworks()})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("no charger in range costs three attempts of both passes")
        << laptopState({homeAdapter()},
                       {homeNetwork(), chargerNetwork(QStringLiteral("MyJuiceNet"), 1)})
        << QStringList()
        << rendered({showNetworks(), showNetworksOn(wifi), showNetworks(), showNetworksOn(wifi),
                     showNetworks(), showNetworksOn(wifi)})
        << noChargerFound;
    QTest::newRow("without an adapter each attempt makes only the first pass")
        << laptopState({}, {homeNetwork(), chargerNetwork(firstCharger, 1)}) << QStringList()
        << rendered({showNetworks(), showNetworks(), showNetworks()}) << noChargerFound;
}

void WindowNetctlTest::discoveryListsChargerNetworks()
{
    QFETCH(QJsonObject, state);
    QFETCH(QStringList, expectedItems);
    QFETCH(QStringList, expectedCommands);
    QFETCH(QString, expectedStatus);
    laptop->writeState(state);

    MainWindow window;
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Find Charger Wi-Fi"));

    QCOMPARE(rendered(laptop->invocations()), expectedCommands);
    QListWidget *list = testsupport::chargerList(&window);
    QVERIFY(list);
    QCOMPARE(testsupport::itemTexts(list), expectedItems);
    QVERIFY(!list->currentItem());
    QCOMPARE(testsupport::statusText(&window), expectedStatus);
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), expectedStatus}));
}

void WindowNetctlTest::aScanThatFindsNothingEmptiesTheList()
{
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    QListWidget *list = testsupport::chargerList(&window);
    QCOMPARE(testsupport::itemTexts(list), QStringList{firstCharger});

    // The charger stops broadcasting its setup network.
    laptop->writeState(laptopState({homeAdapter()}, {homeNetwork()}));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));

    QCOMPARE(testsupport::itemTexts(list), QStringList());
    QCOMPARE(laptop->invocations().size(), 6);
    QCOMPARE(home->statuses(),
             QStringList({QStringLiteral("Ready."), QStringLiteral("Found 1 charger network(s)."),
                          noChargerFound}));
}

void WindowNetctlTest::connectingWithoutASelectionRunsNothing()
{
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    laptop->clearJournal();

    testsupport::clickButton(&window, QStringLiteral("Connect to Selected"));

    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Select a charger network first."));
    QCOMPARE(rendered(laptop->invocations()), QStringList());
    QCOMPARE(capturedLines(), QStringList());
}

void WindowNetctlTest::joiningASelectedChargerRunsTheProfileSequence_data()
{
    QTest::addColumn<QString>("ssid");

    QTest::newRow("a plain charger name") << firstCharger;
    QTest::newRow("angle brackets, ampersand and both quotes") << QStringLiteral("JuiceNet<&>\"'x");
    QTest::newRow("text that already looks like an entity stays literal")
        << QStringLiteral("JuiceNet&amp;&#60;");
    QTest::newRow("a closing tag and a comment opener") << QStringLiteral("JuiceNet</name><!--");
}

void WindowNetctlTest::joiningASelectedChargerRunsTheProfileSequence()
{
    QFETCH(QString, ssid);
    laptop->writeState(laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(ssid, 1)}));
    MainWindow window;
    QVERIFY(testsupport::pickCharger(&window, ssid));
    laptop->clearJournal();

    testsupport::clickButton(&window, QStringLiteral("Connect to Selected"));

    QString profilePath;
    QCOMPARE(rendered(testsupport::withProfilePlaceholder(laptop->invocations(), &profilePath)),
             rendered(QList<QStringList>({showInterfaces()}) + join(ssid, wifi) +
                      QList<QStringList>({showAddresses(wifi)})));
    QVERIFY2(!QFile::exists(profilePath), qPrintable(profilePath));

    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 1);
    QVERIFY(!profiles.first().contains(QLatin1Char('\n')));
    QVERIFY(!profiles.first().contains(QLatin1Char('\r')));
    QString xmlError;
    QCOMPARE(profileNames(profiles.first(), &xmlError), QStringList({ssid, ssid}));
    QCOMPARE(xmlError, QString());

    QCOMPARE(capturedLines(), QStringList{capturedHome});
    QCOMPARE(home->statuses(),
             QStringList({QStringLiteral("Ready."), QStringLiteral("Found 1 charger network(s)."),
                          QStringLiteral("Connecting to %1...").arg(ssid),
                          QStringLiteral("Connected to ") + ssid}));
    QCOMPARE(laptop->connectedSsid(), ssid);
    // The refresh after the join shows the charger's lease.
    QCOMPARE(testsupport::metricText(&window, 0), QStringLiteral("10.10.10.3"));

    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed; the profile was not checked against the schema");
    const QString problems = schemaProblems(xmllint, profiles.first());
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void WindowNetctlTest::firstJoinCapturesOnlyAnOrdinaryNetwork_data()
{
    QTest::addColumn<QString>("laptopNetwork");
    QTest::addColumn<QStringList>("expectedCaptureLines");
    QTest::addColumn<QStringList>("expectedRestore");

    QTest::newRow("an ordinary home network is captured")
        << QStringLiteral("HomeNet") << QStringList{capturedHome}
        << rendered(restore(wifi, QStringLiteral("HomeNet")));
    QTest::newRow("a charger network in any letter case is not captured")
        << QStringLiteral("jUICEnET-0LD") << QStringList() << rendered(restore(wifi));
    QTest::newRow("a laptop on no network captures nothing")
        << QString() << QStringList() << rendered(restore(wifi));
}

void WindowNetctlTest::firstJoinCapturesOnlyAnOrdinaryNetwork()
{
    QFETCH(QString, laptopNetwork);
    QFETCH(QStringList, expectedCaptureLines);
    QFETCH(QStringList, expectedRestore);
    laptop->writeState(
        laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(firstCharger, 1),
                                      chargerNetwork(QStringLiteral("jUICEnET-0LD"), 2)}));
    laptop->setConnectedSsid(laptopNetwork);

    MainWindow window;
    QVERIFY(testsupport::pickCharger(&window, firstCharger));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    // Every first join asks which network the laptop is on before it leaves it.
    const QList<QStringList> joinCommands = laptop->invocations();
    QVERIFY(joinCommands.size() > 2);
    QCOMPARE(rendered(joinCommands.mid(0, 2)), rendered({showInterfaces(), disconnectAll()}));
    QCOMPARE(capturedLines(), expectedCaptureLines);
    QCOMPARE(testsupport::statusText(&window), QStringLiteral("Connected to JuiceNet-1A2B"));

    laptop->clearJournal();
    window.close();
    QCOMPARE(rendered(laptop->invocations()), expectedRestore);
}

void WindowNetctlTest::aJoinFromNoNetworkLeavesTheCaptureForTheNextJoin()
{
    laptop->setConnectedSsid(QString());
    MainWindow window;
    QVERIFY(testsupport::joinCharger(&window, firstCharger));
    QCOMPARE(capturedLines(), QStringList());

    // The technician went back to the home network in between.
    laptop->setConnectedSsid(QStringLiteral("HomeNet"));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    QCOMPARE(rendered(testsupport::withProfilePlaceholder(laptop->invocations())),
             rendered(QList<QStringList>({showInterfaces()}) + join(firstCharger, wifi) +
                      QList<QStringList>({showAddresses(wifi)})));
    QCOMPARE(capturedLines(), QStringList{capturedHome});
}

void WindowNetctlTest::aSecondJoinKeepsTheCapturedNetwork()
{
    const QString secondCharger = QStringLiteral("JuiceNet-3C4D");
    QJsonObject state = StandInLaptop::homeLaptop({firstCharger, secondCharger});
    StandInLaptop::append(state, QStringLiteral("networks"),
                          StandInLaptop::network(QStringLiteral("CafeNet"), QStringLiteral("Open"),
                                                 QStringLiteral("172.20.0.9"),
                                                 QStringLiteral("aa:bb:cc:dd:ee:01")));
    laptop->writeState(state);

    MainWindow window;
    QVERIFY(testsupport::joinCharger(&window, firstCharger));

    // Between the chargers the laptop sat on another ordinary network.
    laptop->setConnectedSsid(QStringLiteral("CafeNet"));
    QListWidget *list = testsupport::chargerList(&window);
    list->setCurrentItem(list->findItems(secondCharger, Qt::MatchExactly).first());
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    QCOMPARE(rendered(testsupport::withProfilePlaceholder(laptop->invocations())),
             rendered(join(secondCharger, wifi) + QList<QStringList>({showAddresses(wifi)})));
    QCOMPARE(capturedLines(), QStringList{capturedHome});

    laptop->clearJournal();
    window.close();
    QCOMPARE(rendered(laptop->invocations()), rendered(restore(wifi, QStringLiteral("HomeNet"))));
}

void WindowNetctlTest::judgesTheConnectOutput_data()
{
    QTest::addColumn<QJsonObject>("connectAnswer");
    QTest::addColumn<QString>("expectedStatus");

    const QString stdoutStream = QStringLiteral("stdout");
    const QString connected = QStringLiteral("Connected to JuiceNet-1A2B");
    const QString failed = QStringLiteral("Connection failed.");
    QTest::newRow("a missing profile with exit code 1 fails")
        << netshAnswer(stdoutStream,
                       QStringLiteral("There is no profile \"JuiceNet-1A2B\" assigned to the "
                                      "specified interface.\r\n\r\n"),
                       1)
        << failed;
    QTest::newRow("an unsuccessful attempt fails although it exits 0")
        << netshAnswer(stdoutStream,
                       QStringLiteral("The connection attempt was unsuccessful.\r\n\r\n"))
        << failed;
    QTest::newRow("success glued to a letter before it fails")
        << netshAnswer(stdoutStream, QStringLiteral("Status: nonsuccess\r\n")) << failed;
    QTest::newRow("success in capitals on standard error counts")
        << netshAnswer(QStringLiteral("stderr"),
                       QStringLiteral("Connection request was completed SUCCESSFULLY.\r\n"))
        << connected;
    QTest::newRow("success with a non-zero exit code still counts")
        << netshAnswer(stdoutStream,
                       QStringLiteral("Connection request was completed successfully.\r\n"), 1)
        << connected;
}

void WindowNetctlTest::judgesTheConnectOutput()
{
    QFETCH(QJsonObject, connectAnswer);
    QFETCH(QString, expectedStatus);

    MainWindow window;
    QVERIFY(testsupport::pickCharger(&window, firstCharger));
    laptop->addFault(QStringLiteral("wlan connect"), connectAnswer);
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Connect to Selected"));

    QCOMPARE(home->statuses().mid(2),
             QStringList({QStringLiteral("Connecting to JuiceNet-1A2B..."), expectedStatus}));
    // The refresh follows whatever the outcome.
    QCOMPARE(rendered({laptop->invocations().last()}), rendered({showAddresses(wifi)}));
}

void WindowNetctlTest::staticAddressingRunsBothCommandsThenRefreshes_data()
{
    QTest::addColumn<QString>("adapterName");
    QTest::addColumn<bool>("elevated");
    QTest::addColumn<QJsonObject>("faults");
    QTest::addColumn<QString>("expectedStatus");
    QTest::addColumn<QString>("expectedPcIp");

    const QString staticIp = QStringLiteral("10.10.10.2");
    const QString homeIp = QStringLiteral("192.168.1.23");
    QTest::newRow("an elevated laptop takes the fixed address")
        << wifi << true << QJsonObject() << staticApplied << staticIp;
    QTest::newRow("an adapter name with a blank reaches netsh whole")
        << QStringLiteral("Wi-Fi 2") << true << QJsonObject() << staticApplied << staticIp;
    QTest::newRow("a laptop without elevation keeps its address and is told to retry")
        << wifi << false << QJsonObject() << staticRefused << homeIp;
    QTest::newRow("a rejected dns command does not spoil an applied address")
        << wifi << true
        << QJsonObject{{QStringLiteral("interface ip set dns"),
                        netshAnswer(QStringLiteral("stdout"),
                                    QStringLiteral("The requested operation requires elevation "
                                                   "(Run as administrator).\r\n\r\n"),
                                    1)}}
        << staticApplied << staticIp;
    // Outlasts the address command's time-out; the stand-in is killed before it changes anything.
    QTest::newRow("an address command that hangs is reported and changes nothing")
        << wifi << true
        << QJsonObject{{QStringLiteral("interface ip set address"),
                        QJsonObject{{QStringLiteral("hangSeconds"), 7}}}}
        << staticRefused << homeIp;
}

void WindowNetctlTest::staticAddressingRunsBothCommandsThenRefreshes()
{
    QFETCH(QString, adapterName);
    QFETCH(bool, elevated);
    QFETCH(QJsonObject, faults);
    QFETCH(QString, expectedStatus);
    QFETCH(QString, expectedPcIp);
    QJsonObject state = StandInLaptop::homeLaptop({firstCharger}, adapterName);
    state.insert(QStringLiteral("elevated"), elevated);
    state.insert(QStringLiteral("faults"), faults);
    laptop->writeState(state);

    MainWindow window;
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Set Static IP"));

    QCOMPARE(rendered(laptop->invocations()), rendered(staticAddressing(adapterName)));
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), expectedStatus}));
    QCOMPARE(testsupport::metricText(&window, 0), expectedPcIp);
    QCOMPARE(laptop->firstAdapter().value(QLatin1String("address")).toString(), expectedPcIp);
}

void WindowNetctlTest::staticAddressingReportsANetshThatCannotStart()
{
    MainWindow window;
    laptop->clearJournal();
    QTemporaryDir emptyFolder;
    QVERIFY(emptyFolder.isValid());
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", emptyFolder.path().toLocal8Bit());
    const bool invoked = testsupport::invokeSlot(&window, "onSetStaticIp");
    qputenv("PATH", savedPath);

    QVERIFY(invoked);
    QCOMPARE(rendered(laptop->invocations()), QStringList());
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), staticRefused}));
    QCOMPARE(testsupport::metricText(&window, 0), QStringLiteral("N/A"));
}

void WindowNetctlTest::closingRestoresAnAdapterThatAppearedAfterStartUp()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));
    MainWindow window;
    // A USB adapter is plugged in while the window is open.
    laptop->writeState(laptopState({homeAdapter(QStringLiteral("Wireless USB"))}, {homeNetwork()}));
    laptop->clearJournal();

    window.close();

    QCOMPARE(rendered(laptop->invocations()), rendered(QList<QStringList>({showInterfaces()}) +
                                                       restore(QStringLiteral("Wireless USB"))));
    QCOMPARE(home->logEntries().last(),
             QStringLiteral("Laptop network restored to DHCP on interface: Wireless USB"));
}

void WindowNetctlTest::closingWithoutAnOriginalNetworkReturnsToDhcpOnly_data()
{
    QTest::addColumn<QString>("adapterName");

    QTest::newRow("an adapter named Wi-Fi") << wifi;
    QTest::newRow("an adapter name with a blank stays one element") << QStringLiteral("Wi-Fi 2");
}

void WindowNetctlTest::closingWithoutAnOriginalNetworkReturnsToDhcpOnly()
{
    QFETCH(QString, adapterName);
    laptop->writeState(StandInLaptop::homeLaptop({firstCharger}, adapterName));
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onSetStaticIp"));
    QCOMPARE(laptop->firstAdapter().value(QLatin1String("dhcp")).toBool(), false);
    laptop->clearJournal();

    window.close();

    QCOMPARE(rendered(laptop->invocations()), rendered(restore(adapterName)));
    QCOMPARE(startingWith(home->logEntries(), {QStringLiteral("Laptop network restored"),
                                               QStringLiteral("Reconnect requested")}),
             QStringList{QStringLiteral("Laptop network restored to DHCP on interface: ") +
                         adapterName});
    const QJsonObject adapter = laptop->firstAdapter();
    QCOMPARE(adapter.value(QLatin1String("dhcp")).toBool(), true);
    QCOMPARE(adapter.value(QLatin1String("address")).toString(), QStringLiteral("192.168.1.23"));
}

void WindowNetctlTest::closingAfterACapturingJoinRejoinsTheOriginalNetwork()
{
    MainWindow window;
    QVERIFY(testsupport::joinCharger(&window, firstCharger));
    QVERIFY(testsupport::invokeSlot(&window, "onSetStaticIp"));
    QCOMPARE(laptop->connectedSsid(), firstCharger);
    const qsizetype beforeClose = laptop->invocations().size();
    const qsizetype logBeforeClose = home->logEntries().size();

    window.close();

    const QList<QStringList> all = laptop->invocations();
    QCOMPARE(rendered(all.mid(beforeClose)), rendered(restore(wifi, QStringLiteral("HomeNet"))));
    QCOMPARE(home->logEntries().mid(logBeforeClose),
             QStringList({QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi"),
                          QStringLiteral("Reconnect requested for original SSID: HomeNet")}));
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
    // The home network's stored profile is used, never replaced.
    QVERIFY(!all.contains(deleteProfile(QStringLiteral("HomeNet"))));
    QCOMPARE(laptop->addedProfiles().size(), 1);
    QVERIFY(laptop->profileNames().contains(QStringLiteral("HomeNet")));
}

QTEST_MAIN(WindowNetctlTest)
#include "tst_window_netctl.moc"
