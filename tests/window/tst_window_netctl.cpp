#include "app/mainwindow.h"
#include "standin_laptop.h"
#include "test_paths.h"
#include "window_harness.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QNetworkProxy>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using testsupport::IsolatedHome;
using testsupport::StandInLaptop;

namespace {

const QString noChargerFound = QStringLiteral(
    "No JuiceNet found. Move closer to charger, keep lights flashing blue, then scan again.");
const QString staticApplied = QStringLiteral("Static IP applied (10.10.10.2).");
const QString staticRefused =
    QStringLiteral("Static IP could not be applied. Run as administrator and retry.");

// Points the charger's host name at a loopback port where nothing listens, so every charger
// request fails at once and only netsh shapes what the window does.
void routeChargerToNowhere()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port));
}

// One argument list as compact JSON, so a failed comparison shows where each element starts and
// ends (an interface name with a blank split in two shows as two strings).
QString rendered(const QStringList &argv)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(argv)).toJson(QJsonDocument::Compact));
}

QStringList rendered(const QList<QStringList> &invocations)
{
    QStringList lines;
    for (const QStringList &argv : invocations)
        lines << rendered(argv);
    return lines;
}

// The command lines the window is expected to issue, written out independently of the product.
QStringList showInterfaces()
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("interfaces")};
}

QStringList showAddresses(const QString &adapter)
{
    return {QStringLiteral("interface"), QStringLiteral("ip"), QStringLiteral("show"),
            QStringLiteral("addresses"), adapter};
}

QStringList firstPass()
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("networks"),
            QStringLiteral("mode=bssid")};
}

QStringList secondPass(const QString &adapter)
{
    return {QStringLiteral("wlan"), QStringLiteral("show"), QStringLiteral("networks"),
            QStringLiteral("interface=") + adapter, QStringLiteral("mode=bssid")};
}

QStringList disconnectAll()
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect")};
}

QStringList deleteProfile(const QString &ssid)
{
    return {QStringLiteral("wlan"), QStringLiteral("delete"), QStringLiteral("profile"),
            QStringLiteral("name=") + ssid};
}

// The temporary file's path is random; joined() below puts this placeholder in its place.
QStringList addProfile(const QString &adapter)
{
    return {QStringLiteral("wlan"), QStringLiteral("add"), QStringLiteral("profile"),
            QStringLiteral("filename=<profile>"), QStringLiteral("interface=") + adapter};
}

QStringList connectTo(const QString &ssid, const QString &adapter)
{
    return {QStringLiteral("wlan"), QStringLiteral("connect"), QStringLiteral("name=") + ssid,
            QStringLiteral("ssid=") + ssid, QStringLiteral("interface=") + adapter};
}

QStringList setStaticAddress(const QString &adapter)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("address"),
            adapter,
            QStringLiteral("static"),
            QStringLiteral("10.10.10.2"),
            QStringLiteral("255.255.255.0")};
}

QStringList setStaticDns(const QString &adapter)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("dns"),
            QStringLiteral("name=") + adapter,
            QStringLiteral("static"),
            QStringLiteral("10.10.10.1"),
            QStringLiteral("primary")};
}

QStringList dhcpAddress(const QString &adapter)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("address"),
            QStringLiteral("name=") + adapter,
            QStringLiteral("source=dhcp")};
}

QStringList dhcpDns(const QString &adapter)
{
    return {QStringLiteral("interface"),
            QStringLiteral("ip"),
            QStringLiteral("set"),
            QStringLiteral("dns"),
            QStringLiteral("name=") + adapter,
            QStringLiteral("source=dhcp")};
}

QStringList disconnectAdapter(const QString &adapter)
{
    return {QStringLiteral("wlan"), QStringLiteral("disconnect"),
            QStringLiteral("interface=") + adapter};
}

QStringList rejoin(const QString &ssid, const QString &adapter)
{
    return {QStringLiteral("wlan"), QStringLiteral("connect"), QStringLiteral("name=") + ssid,
            QStringLiteral("interface=") + adapter};
}

// Reads as the expected command sequence at the call sites.
QStringList lines(const QList<QStringList> &argvs)
{
    return rendered(argvs);
}

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

// Moves the first adapter onto another network behind the window's back, as Windows might.
void setConnectedNetwork(StandInLaptop &laptop, const QString &ssid)
{
    QJsonObject state = laptop.readState();
    QJsonArray adapters = state.value(QLatin1String("interfaces")).toArray();
    QJsonObject first = adapters.first().toObject();
    first.insert(QStringLiteral("connectedSsid"), ssid);
    first.insert(QStringLiteral("state"),
                 ssid.isEmpty() ? QStringLiteral("disconnected") : QStringLiteral("connected"));
    adapters.replace(0, first);
    state.insert(QStringLiteral("interfaces"), adapters);
    laptop.writeState(state);
}

QJsonObject firstAdapterState(const StandInLaptop &laptop)
{
    return laptop.readState().value(QLatin1String("interfaces")).toArray().first().toObject();
}

QListWidget *chargerList(QWidget *window)
{
    QPushButton *find = testsupport::findButton(window, QStringLiteral("Find Charger Wi-Fi"));
    return find ? find->parentWidget()->findChild<QListWidget *>() : nullptr;
}

QStringList listItems(QListWidget *list)
{
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items << list->item(row)->text();
    return items;
}

QString pcIpCard(QWidget *window)
{
    const QList<QLabel *> cards = window->findChildren<QLabel *>(QStringLiteral("Metric"));
    return cards.isEmpty() ? QStringLiteral("<no card>") : cards.first()->text();
}

QString statusLine(QWidget *window)
{
    auto *status = window->findChild<QLabel *>(QStringLiteral("Status"));
    return status ? status->text() : QStringLiteral("<no status label>");
}

// Scans and picks `ssid` in the charger list, the way a technician prepares a join.
bool pickCharger(QWidget *window, const QString &ssid)
{
    testsupport::clickButton(window, QStringLiteral("Find Charger Wi-Fi"));
    QListWidget *list = chargerList(window);
    if (!list)
        return false;
    const QList<QListWidgetItem *> items = list->findItems(ssid, Qt::MatchExactly);
    if (items.size() != 1)
        return false;
    list->setCurrentItem(items.first());
    return true;
}

// The invocations of a join with the random profile path replaced by a placeholder, after
// checking that the path is a fresh file named from the temporary-folder template.
QStringList joined(const QList<QStringList> &invocations, QString *profilePath)
{
    static const QRegularExpression pathPattern(QStringLiteral("^filename=(") +
                                                QRegularExpression::escape(QDir::tempPath()) +
                                                QStringLiteral("/zephyl_[A-Za-z0-9]{6}\\.xml)$"));
    QList<QStringList> copy = invocations;
    for (QStringList &argv : copy) {
        if (argv.size() >= 4 && argv.at(0) == QLatin1String("wlan") &&
            argv.at(1) == QLatin1String("add")) {
            const QRegularExpressionMatch match = pathPattern.match(argv.at(3));
            if (match.hasMatch()) {
                *profilePath = match.captured(1);
                argv[3] = QStringLiteral("filename=<profile>");
            }
        }
    }
    return rendered(copy);
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

QStringList logLinesStartingWith(const IsolatedHome &home, const QString &prefix)
{
    QStringList found;
    for (const QString &entry : home.logEntries()) {
        if (entry.startsWith(prefix))
            found << entry;
    }
    return found;
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
    void startUpWithoutAnAdapterStillOpens();

    void discoveryListsChargerNetworks_data();
    void discoveryListsChargerNetworks();
    void aScanThatFindsNothingEmptiesTheList();

    void connectingWithoutASelectionRunsNothing();
    void joiningASelectedChargerRunsTheProfileSequence();
    void temporaryProfileFollowsTheSchema_data();
    void temporaryProfileFollowsTheSchema();
    void firstJoinCapturesOnlyAnOrdinaryNetwork_data();
    void firstJoinCapturesOnlyAnOrdinaryNetwork();
    void aJoinFromNoNetworkLeavesTheCaptureForTheNextJoin();
    void aSecondJoinKeepsTheCapturedNetwork();
    void joinsAChargerWhoseNameCarriesXmlMarkup_data();
    void joinsAChargerWhoseNameCarriesXmlMarkup();
    void judgesTheConnectOutput_data();
    void judgesTheConnectOutput();

    void staticAddressingRunsBothCommandsThenRefreshes_data();
    void staticAddressingRunsBothCommandsThenRefreshes();
    void staticAddressingReportsAnAddressCommandThatHangs();
    void staticAddressingReportsANetshThatCannotStart();
    void staticAddressingWithoutAnAdapterRunsNothing();

    void closingWithoutAnAdapterOnlyDetectsAgain();
    void closingRestoresAnAdapterThatAppearedAfterStartUp();
    void closingWithoutAnOriginalNetworkReturnsToDhcpOnly_data();
    void closingWithoutAnOriginalNetworkReturnsToDhcpOnly();
    void closingAfterACapturingJoinRejoinsTheOriginalNetwork();

private:
    std::unique_ptr<IsolatedHome> home;
    std::unique_ptr<StandInLaptop> laptop;
};

void WindowNetctlTest::init()
{
    home = std::make_unique<IsolatedHome>();
    laptop = std::make_unique<StandInLaptop>();
    laptop->writeState(StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")}));
    routeChargerToNowhere();
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
        << QJsonArray{homeAdapter()} << QStringLiteral("Wi-Fi") << QStringLiteral("192.168.1.23");
    QTest::newRow("an adapter name with a blank is queried whole")
        << QJsonArray{homeAdapter(QStringLiteral("Wi-Fi 2"))} << QStringLiteral("Wi-Fi 2")
        << QStringLiteral("192.168.1.23");
    QTest::newRow("with two adapters the first one listed is used")
        << QJsonArray{StandInLaptop::adapter(QStringLiteral("Wireless USB"), QString(),
                                             QStringLiteral("169.254.7.9")),
                      homeAdapter()}
        << QStringLiteral("Wireless USB") << QStringLiteral("169.254.7.9");
    QTest::newRow("an adapter without an address shows N/A")
        << QJsonArray{StandInLaptop::adapter(QStringLiteral("Wi-Fi"))} << QStringLiteral("Wi-Fi")
        << QStringLiteral("N/A");
}

void WindowNetctlTest::startUpDetectsTheAdapterAndShowsItsAddress()
{
    QFETCH(QJsonArray, adapters);
    QFETCH(QString, expectedAdapter);
    QFETCH(QString, expectedPcIp);
    laptop->writeState(laptopState(adapters, {homeNetwork()}));

    MainWindow window;
    QCOMPARE(rendered(laptop->invocations()),
             lines({showInterfaces(), showAddresses(expectedAdapter)}));
    QCOMPARE(pcIpCard(&window), expectedPcIp);
    QCOMPARE(statusLine(&window), QStringLiteral("Ready."));
}

void WindowNetctlTest::startUpWithoutAnAdapterStillOpens()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));

    MainWindow window;
    QCOMPARE(rendered(laptop->invocations()), lines({showInterfaces()}));
    QCOMPARE(statusLine(&window), QStringLiteral("Ready."));
    QCOMPARE(home->statuses(), QStringList{QStringLiteral("Ready.")});
}

void WindowNetctlTest::discoveryListsChargerNetworks_data()
{
    QTest::addColumn<QJsonObject>("state");
    QTest::addColumn<QStringList>("expectedItems");
    QTest::addColumn<QStringList>("expectedCommands");
    QTest::addColumn<QString>("expectedStatus");

    const QString wifi = QStringLiteral("Wi-Fi");
    QTest::newRow("chargers on the first pass are listed once each in the order seen")
        << laptopState({homeAdapter()},
                       {homeNetwork(), chargerNetwork(QStringLiteral("JuiceNet-1A2B"), 1),
                        chargerNetwork(QStringLiteral("MyJuiceNet"), 2),
                        chargerNetwork(QStringLiteral("JUICENET-1a2b"), 3),
                        chargerNetwork(QString(), 4),
                        chargerNetwork(QStringLiteral("juicenet-9c3d"), 5)})
        << QStringList{QStringLiteral("JuiceNet-1A2B"), QStringLiteral("juicenet-9c3d")}
        << lines({firstPass()}) << QStringLiteral("Found 2 charger network(s).");
    QTest::newRow("a charger seen by two adapters is listed once")
        << laptopState({homeAdapter(), StandInLaptop::adapter(QStringLiteral("Wi-Fi 2"))},
                       {homeNetwork(), chargerNetwork(QStringLiteral("JuiceNet-1A2B"), 1)})
        << QStringList{QStringLiteral("JuiceNet-1A2B")} << lines({firstPass()})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("a failing first pass is followed by the pass on the detected adapter")
        << laptopState(
               {homeAdapter()}, {homeNetwork(), chargerNetwork(QStringLiteral("JuiceNet-1A2B"), 1)},
               {{QStringLiteral("wlan show networks mode=bssid"),
                 QJsonObject{{QStringLiteral("stdout"),
                              QStringLiteral("The Wireless AutoConfig Service (wlansvc) is not "
                                             "running.\r\n\r\n")},
                             {QStringLiteral("exitCode"), 1}}}})
        << QStringList{QStringLiteral("JuiceNet-1A2B")} << lines({firstPass(), secondPass(wifi)})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("a listing printed on standard error is read as well")
        << laptopState({homeAdapter()}, {homeNetwork()},
                       {{QStringLiteral("wlan show networks mode=bssid"),
                         QJsonObject{{QStringLiteral("stderr"),
                                      QStringLiteral("SSID 1 : JuiceNet-E0E0\r\n")}}}})
        << QStringList{QStringLiteral("JuiceNet-E0E0")} << lines({firstPass()})
        << QStringLiteral("Found 1 charger network(s).");
    QTest::newRow("no charger in range costs three attempts of both passes")
        << laptopState({homeAdapter()},
                       {homeNetwork(), chargerNetwork(QStringLiteral("MyJuiceNet"), 1)})
        << QStringList()
        << lines({firstPass(), secondPass(wifi), firstPass(), secondPass(wifi), firstPass(),
                  secondPass(wifi)})
        << noChargerFound;
    QTest::newRow("without an adapter each attempt makes only the first pass")
        << laptopState({}, {homeNetwork(), chargerNetwork(QStringLiteral("JuiceNet-1A2B"), 1)})
        << QStringList() << lines({firstPass(), firstPass(), firstPass()}) << noChargerFound;
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
    QListWidget *list = chargerList(&window);
    QVERIFY(list);
    QCOMPARE(listItems(list), expectedItems);
    QVERIFY(!list->currentItem());
    QCOMPARE(statusLine(&window), expectedStatus);
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), expectedStatus}));
}

void WindowNetctlTest::aScanThatFindsNothingEmptiesTheList()
{
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));
    QListWidget *list = chargerList(&window);
    QVERIFY(list);
    QCOMPARE(listItems(list), QStringList{QStringLiteral("JuiceNet-1A2B")});

    // The charger stops broadcasting its setup network.
    laptop->writeState(laptopState({homeAdapter()}, {homeNetwork()}));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onScanJuiceNet"));

    QCOMPARE(listItems(list), QStringList());
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

    QCOMPARE(statusLine(&window), QStringLiteral("Select a charger network first."));
    QCOMPARE(rendered(laptop->invocations()), QStringList());
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")), QStringList());
}

void WindowNetctlTest::joiningASelectedChargerRunsTheProfileSequence()
{
    const QString charger = QStringLiteral("JuiceNet-1A2B");
    MainWindow window;
    QVERIFY(pickCharger(&window, charger));
    laptop->clearJournal();

    testsupport::clickButton(&window, QStringLiteral("Connect to Selected"));

    QString profilePath;
    QCOMPARE(
        joined(laptop->invocations(), &profilePath),
        lines({showInterfaces(), disconnectAll(), deleteProfile(charger),
               addProfile(QStringLiteral("Wi-Fi")), connectTo(charger, QStringLiteral("Wi-Fi")),
               showAddresses(QStringLiteral("Wi-Fi"))}));
    QVERIFY2(!QFile::exists(profilePath), qPrintable(profilePath));

    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 1);
    QVERIFY(!profiles.first().contains(QLatin1Char('\n')));
    QVERIFY(!profiles.first().contains(QLatin1Char('\r')));
    QString xmlError;
    QCOMPARE(profileNames(profiles.first(), &xmlError), QStringList({charger, charger}));
    QCOMPARE(xmlError, QString());

    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")),
             QStringList{QStringLiteral("Captured original laptop Wi-Fi: HomeNet")});
    QCOMPARE(home->statuses(),
             QStringList({QStringLiteral("Ready."), QStringLiteral("Found 1 charger network(s)."),
                          QStringLiteral("Connecting to JuiceNet-1A2B..."),
                          QStringLiteral("Connected to JuiceNet-1A2B")}));
    QCOMPARE(laptop->connectedSsid(), charger);
    // The refresh after the join shows the charger's lease.
    QCOMPARE(pcIpCard(&window), QStringLiteral("10.10.10.3"));
}

void WindowNetctlTest::temporaryProfileFollowsTheSchema_data()
{
    QTest::addColumn<QString>("ssid");

    QTest::newRow("a plain charger name") << QStringLiteral("JuiceNet-1A2B");
    QTest::newRow("a charger name with every XML special character")
        << QStringLiteral("JuiceNet<&>\"'x");
}

void WindowNetctlTest::temporaryProfileFollowsTheSchema()
{
    QFETCH(QString, ssid);
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed");
    laptop->writeState(laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(ssid, 1)}));

    MainWindow window;
    QVERIFY(pickCharger(&window, ssid));
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 1);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("profile.xml"));
    QFile file(copy);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(profiles.first().toUtf8());
    file.close();

    QProcess lint;
    lint.setProcessChannelMode(QProcess::MergedChannels);
    lint.start(xmllint,
               {QStringLiteral("--noout"), QStringLiteral("--schema"),
                testsupport::dataFilePath(QStringLiteral("netsh/WLAN_profile_v1.xsd")), copy});
    QVERIFY(lint.waitForFinished(30000));
    QVERIFY2(lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0,
             qPrintable(QString::fromLocal8Bit(lint.readAll()) + profiles.first()));
}

void WindowNetctlTest::firstJoinCapturesOnlyAnOrdinaryNetwork_data()
{
    QTest::addColumn<QString>("laptopNetwork");
    QTest::addColumn<QStringList>("expectedCaptureLines");
    QTest::addColumn<QStringList>("expectedRestore");

    const QString wifi = QStringLiteral("Wi-Fi");
    QTest::newRow("an ordinary home network is captured")
        << QStringLiteral("HomeNet")
        << QStringList{QStringLiteral("Captured original laptop Wi-Fi: HomeNet")}
        << lines({dhcpAddress(wifi), dhcpDns(wifi), disconnectAdapter(wifi),
                  rejoin(QStringLiteral("HomeNet"), wifi)});
    QTest::newRow("a charger network in any letter case is not captured")
        << QStringLiteral("jUICEnET-0LD") << QStringList()
        << lines({dhcpAddress(wifi), dhcpDns(wifi)});
    QTest::newRow("a laptop on no network captures nothing")
        << QString() << QStringList() << lines({dhcpAddress(wifi), dhcpDns(wifi)});
}

void WindowNetctlTest::firstJoinCapturesOnlyAnOrdinaryNetwork()
{
    QFETCH(QString, laptopNetwork);
    QFETCH(QStringList, expectedCaptureLines);
    QFETCH(QStringList, expectedRestore);
    laptop->writeState(laptopState(
        {homeAdapter()}, {homeNetwork(), chargerNetwork(QStringLiteral("JuiceNet-1A2B"), 1),
                          chargerNetwork(QStringLiteral("jUICEnET-0LD"), 2)}));
    setConnectedNetwork(*laptop, laptopNetwork);

    MainWindow window;
    QVERIFY(pickCharger(&window, QStringLiteral("JuiceNet-1A2B")));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    // Every first join asks which network the laptop is on before it leaves it.
    const QList<QStringList> join = laptop->invocations();
    QVERIFY(join.size() > 2);
    QCOMPARE(rendered(join.first()), rendered(showInterfaces()));
    QCOMPARE(rendered(join.at(1)), rendered(disconnectAll()));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")), expectedCaptureLines);
    QCOMPARE(statusLine(&window), QStringLiteral("Connected to JuiceNet-1A2B"));

    laptop->clearJournal();
    window.close();
    QCOMPARE(rendered(laptop->invocations()), expectedRestore);
}

void WindowNetctlTest::aJoinFromNoNetworkLeavesTheCaptureForTheNextJoin()
{
    const QString charger = QStringLiteral("JuiceNet-1A2B");
    setConnectedNetwork(*laptop, QString());
    MainWindow window;
    QVERIFY(pickCharger(&window, charger));
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")), QStringList());

    // The technician went back to the home network in between.
    setConnectedNetwork(*laptop, QStringLiteral("HomeNet"));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    QString profilePath;
    QCOMPARE(
        joined(laptop->invocations(), &profilePath),
        lines({showInterfaces(), disconnectAll(), deleteProfile(charger),
               addProfile(QStringLiteral("Wi-Fi")), connectTo(charger, QStringLiteral("Wi-Fi")),
               showAddresses(QStringLiteral("Wi-Fi"))}));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")),
             QStringList{QStringLiteral("Captured original laptop Wi-Fi: HomeNet")});
}

void WindowNetctlTest::aSecondJoinKeepsTheCapturedNetwork()
{
    const QString wifi = QStringLiteral("Wi-Fi");
    QJsonObject state = StandInLaptop::homeLaptop(
        {QStringLiteral("JuiceNet-1A2B"), QStringLiteral("JuiceNet-3C4D")});
    QJsonArray networks = state.value(QLatin1String("networks")).toArray();
    networks.append(StandInLaptop::network(QStringLiteral("CafeNet"), QStringLiteral("Open"),
                                           QStringLiteral("172.20.0.9"),
                                           QStringLiteral("aa:bb:cc:dd:ee:01")));
    state.insert(QStringLiteral("networks"), networks);
    laptop->writeState(state);

    MainWindow window;
    QVERIFY(pickCharger(&window, QStringLiteral("JuiceNet-1A2B")));
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    // Between the chargers the laptop sat on another ordinary network.
    setConnectedNetwork(*laptop, QStringLiteral("CafeNet"));
    QListWidget *list = chargerList(&window);
    list->setCurrentItem(
        list->findItems(QStringLiteral("JuiceNet-3C4D"), Qt::MatchExactly).first());
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    QString profilePath;
    QCOMPARE(
        joined(laptop->invocations(), &profilePath),
        lines({disconnectAll(), deleteProfile(QStringLiteral("JuiceNet-3C4D")), addProfile(wifi),
               connectTo(QStringLiteral("JuiceNet-3C4D"), wifi), showAddresses(wifi)}));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Captured")),
             QStringList{QStringLiteral("Captured original laptop Wi-Fi: HomeNet")});

    laptop->clearJournal();
    window.close();
    QCOMPARE(rendered(laptop->invocations()),
             lines({dhcpAddress(wifi), dhcpDns(wifi), disconnectAdapter(wifi),
                    rejoin(QStringLiteral("HomeNet"), wifi)}));
}

void WindowNetctlTest::joinsAChargerWhoseNameCarriesXmlMarkup_data()
{
    QTest::addColumn<QString>("ssid");

    QTest::newRow("angle brackets, ampersand and both quotes") << QStringLiteral("JuiceNet<&>\"'x");
    QTest::newRow("text that already looks like an entity stays literal")
        << QStringLiteral("JuiceNet&amp;&#60;");
    QTest::newRow("a closing tag and a comment opener") << QStringLiteral("JuiceNet</name><!--");
}

void WindowNetctlTest::joinsAChargerWhoseNameCarriesXmlMarkup()
{
    QFETCH(QString, ssid);
    const QString wifi = QStringLiteral("Wi-Fi");
    laptop->writeState(laptopState({homeAdapter()}, {homeNetwork(), chargerNetwork(ssid, 1)}));

    MainWindow window;
    QVERIFY(pickCharger(&window, ssid));
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));

    QString profilePath;
    QCOMPARE(joined(laptop->invocations(), &profilePath),
             lines({showInterfaces(), disconnectAll(), deleteProfile(ssid), addProfile(wifi),
                    connectTo(ssid, wifi), showAddresses(wifi)}));
    const QStringList profiles = laptop->addedProfiles();
    QCOMPARE(profiles.size(), 1);
    QString xmlError;
    QCOMPARE(profileNames(profiles.first(), &xmlError), QStringList({ssid, ssid}));
    QCOMPARE(xmlError, QString());
    QCOMPARE(statusLine(&window), QStringLiteral("Connected to ") + ssid);
    QCOMPARE(laptop->connectedSsid(), ssid);
}

void WindowNetctlTest::judgesTheConnectOutput_data()
{
    QTest::addColumn<QJsonObject>("connectAnswer");
    QTest::addColumn<QString>("expectedStatus");

    const QString connected = QStringLiteral("Connected to JuiceNet-1A2B");
    const QString failed = QStringLiteral("Connection failed.");
    QTest::newRow("a missing profile with exit code 1 fails")
        << QJsonObject{{QStringLiteral("stdout"),
                        QStringLiteral("There is no profile \"JuiceNet-1A2B\" assigned to the "
                                       "specified interface.\r\n\r\n")},
                       {QStringLiteral("exitCode"), 1}}
        << failed;
    QTest::newRow("an unsuccessful attempt fails although it exits 0")
        << QJsonObject{{QStringLiteral("stdout"),
                        QStringLiteral("The connection attempt was unsuccessful.\r\n\r\n")}}
        << failed;
    QTest::newRow("success glued to a letter before it fails")
        << QJsonObject{{QStringLiteral("stdout"), QStringLiteral("Status: nonsuccess\r\n")}}
        << failed;
    QTest::newRow("success in capitals on standard error counts")
        << QJsonObject{{QStringLiteral("stderr"),
                        QStringLiteral("Connection request was completed SUCCESSFULLY.\r\n")}}
        << connected;
    QTest::newRow("success with a non-zero exit code still counts")
        << QJsonObject{{QStringLiteral("stdout"),
                        QStringLiteral("Connection request was completed successfully.\r\n")},
                       {QStringLiteral("exitCode"), 1}}
        << connected;
}

void WindowNetctlTest::judgesTheConnectOutput()
{
    QFETCH(QJsonObject, connectAnswer);
    QFETCH(QString, expectedStatus);

    MainWindow window;
    QVERIFY(pickCharger(&window, QStringLiteral("JuiceNet-1A2B")));
    laptop->addFault(QStringLiteral("wlan connect"), connectAnswer);
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Connect to Selected"));

    QCOMPARE(home->statuses().mid(2),
             QStringList({QStringLiteral("Connecting to JuiceNet-1A2B..."), expectedStatus}));
    // The refresh follows whatever the outcome.
    QCOMPARE(rendered(laptop->invocations().last()),
             rendered(showAddresses(QStringLiteral("Wi-Fi"))));
}

void WindowNetctlTest::staticAddressingRunsBothCommandsThenRefreshes_data()
{
    QTest::addColumn<QString>("adapterName");
    QTest::addColumn<bool>("elevated");
    QTest::addColumn<QJsonObject>("faults");
    QTest::addColumn<QString>("expectedStatus");
    QTest::addColumn<QString>("expectedPcIp");

    QTest::newRow("an elevated laptop takes the fixed address")
        << QStringLiteral("Wi-Fi") << true << QJsonObject() << staticApplied
        << QStringLiteral("10.10.10.2");
    QTest::newRow("an adapter name with a blank reaches netsh whole")
        << QStringLiteral("Wi-Fi 2") << true << QJsonObject() << staticApplied
        << QStringLiteral("10.10.10.2");
    QTest::newRow("a laptop without elevation keeps its address and is told to retry")
        << QStringLiteral("Wi-Fi") << false << QJsonObject() << staticRefused
        << QStringLiteral("192.168.1.23");
    QTest::newRow("a rejected dns command does not spoil an applied address")
        << QStringLiteral("Wi-Fi") << true
        << QJsonObject{{QStringLiteral("interface ip set dns"),
                        QJsonObject{{QStringLiteral("stdout"),
                                     QStringLiteral("The requested operation requires "
                                                    "elevation (Run as administrator).\r\n\r\n")},
                                    {QStringLiteral("exitCode"), 1}}}}
        << staticApplied << QStringLiteral("10.10.10.2");
}

void WindowNetctlTest::staticAddressingRunsBothCommandsThenRefreshes()
{
    QFETCH(QString, adapterName);
    QFETCH(bool, elevated);
    QFETCH(QJsonObject, faults);
    QFETCH(QString, expectedStatus);
    QFETCH(QString, expectedPcIp);
    QJsonObject state = StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")}, adapterName);
    state.insert(QStringLiteral("elevated"), elevated);
    state.insert(QStringLiteral("faults"), faults);
    laptop->writeState(state);

    MainWindow window;
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Set Static IP"));

    QCOMPARE(rendered(laptop->invocations()),
             lines({setStaticAddress(adapterName), setStaticDns(adapterName),
                    showAddresses(adapterName)}));
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), expectedStatus}));
    QCOMPARE(pcIpCard(&window), expectedPcIp);
    QCOMPARE(firstAdapterState(*laptop).value(QLatin1String("address")).toString(), expectedPcIp);
}

void WindowNetctlTest::staticAddressingReportsAnAddressCommandThatHangs()
{
    // Outlasts the address command's time-out; the stand-in is killed before it changes anything.
    laptop->addFault(QStringLiteral("interface ip set address"),
                     QJsonObject{{QStringLiteral("hangSeconds"), 7}});
    MainWindow window;
    laptop->clearJournal();
    QVERIFY(testsupport::invokeSlot(&window, "onSetStaticIp"));

    QCOMPARE(rendered(laptop->invocations()), lines({setStaticAddress(QStringLiteral("Wi-Fi")),
                                                     setStaticDns(QStringLiteral("Wi-Fi")),
                                                     showAddresses(QStringLiteral("Wi-Fi"))}));
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."), staticRefused}));
    QCOMPARE(pcIpCard(&window), QStringLiteral("192.168.1.23"));
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
    QCOMPARE(pcIpCard(&window), QStringLiteral("N/A"));
}

void WindowNetctlTest::staticAddressingWithoutAnAdapterRunsNothing()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));
    MainWindow window;
    const QString before = pcIpCard(&window);
    laptop->clearJournal();
    testsupport::clickButton(&window, QStringLiteral("Set Static IP"));

    QCOMPARE(rendered(laptop->invocations()), QStringList());
    QCOMPARE(home->statuses(), QStringList({QStringLiteral("Ready."),
                                            QStringLiteral("No Wi-Fi interface detected.")}));
    QCOMPARE(pcIpCard(&window), before);
}

void WindowNetctlTest::closingWithoutAnAdapterOnlyDetectsAgain()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));
    MainWindow window;
    laptop->clearJournal();

    window.close();

    QCOMPARE(rendered(laptop->invocations()), lines({showInterfaces()}));
    QCOMPARE(home->logEntries().last(),
             QStringLiteral("restoreLaptopNetwork: no Wi-Fi interface detected."));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Laptop network restored")), QStringList());
    QCOMPARE(home->statuses(), QStringList{QStringLiteral("Ready.")});
}

void WindowNetctlTest::closingRestoresAnAdapterThatAppearedAfterStartUp()
{
    laptop->writeState(laptopState({}, {homeNetwork()}));
    MainWindow window;
    // A USB adapter is plugged in while the window is open.
    laptop->writeState(laptopState({homeAdapter(QStringLiteral("Wireless USB"))}, {homeNetwork()}));
    laptop->clearJournal();

    window.close();

    QCOMPARE(rendered(laptop->invocations()),
             lines({showInterfaces(), dhcpAddress(QStringLiteral("Wireless USB")),
                    dhcpDns(QStringLiteral("Wireless USB"))}));
    QCOMPARE(home->logEntries().last(),
             QStringLiteral("Laptop network restored to DHCP on interface: Wireless USB"));
}

void WindowNetctlTest::closingWithoutAnOriginalNetworkReturnsToDhcpOnly_data()
{
    QTest::addColumn<QString>("adapterName");

    QTest::newRow("an adapter named Wi-Fi") << QStringLiteral("Wi-Fi");
    QTest::newRow("an adapter name with a blank stays one element") << QStringLiteral("Wi-Fi 2");
}

void WindowNetctlTest::closingWithoutAnOriginalNetworkReturnsToDhcpOnly()
{
    QFETCH(QString, adapterName);
    laptop->writeState(StandInLaptop::homeLaptop({QStringLiteral("JuiceNet-1A2B")}, adapterName));
    MainWindow window;
    QVERIFY(testsupport::invokeSlot(&window, "onSetStaticIp"));
    QCOMPARE(firstAdapterState(*laptop).value(QLatin1String("dhcp")).toBool(), false);
    laptop->clearJournal();

    window.close();

    QCOMPARE(rendered(laptop->invocations()),
             lines({dhcpAddress(adapterName), dhcpDns(adapterName)}));
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Laptop network restored")),
             QStringList{QStringLiteral("Laptop network restored to DHCP on interface: ") +
                         adapterName});
    QCOMPARE(logLinesStartingWith(*home, QStringLiteral("Reconnect requested")), QStringList());
    const QJsonObject adapter = firstAdapterState(*laptop);
    QCOMPARE(adapter.value(QLatin1String("dhcp")).toBool(), true);
    QCOMPARE(adapter.value(QLatin1String("address")).toString(), QStringLiteral("192.168.1.23"));
}

void WindowNetctlTest::closingAfterACapturingJoinRejoinsTheOriginalNetwork()
{
    const QString wifi = QStringLiteral("Wi-Fi");
    MainWindow window;
    QVERIFY(pickCharger(&window, QStringLiteral("JuiceNet-1A2B")));
    QVERIFY(testsupport::invokeSlot(&window, "onConnectSelected"));
    QVERIFY(testsupport::invokeSlot(&window, "onSetStaticIp"));
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("JuiceNet-1A2B"));
    const qsizetype beforeClose = laptop->invocations().size();
    const qsizetype logBeforeClose = home->logEntries().size();

    window.close();

    const QList<QStringList> all = laptop->invocations();
    QCOMPARE(rendered(all.mid(beforeClose)),
             lines({dhcpAddress(wifi), dhcpDns(wifi), disconnectAdapter(wifi),
                    rejoin(QStringLiteral("HomeNet"), wifi)}));
    QCOMPARE(home->logEntries().mid(logBeforeClose),
             QStringList({QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi"),
                          QStringLiteral("Reconnect requested for original SSID: HomeNet")}));
    QCOMPARE(laptop->connectedSsid(), QStringLiteral("HomeNet"));
    // The home network's stored profile is used, never replaced.
    QVERIFY(!all.contains(deleteProfile(QStringLiteral("HomeNet"))));
    QCOMPARE(laptop->addedProfiles().size(), 1);
    bool homeProfileKept = false;
    for (const QJsonValue &profile : laptop->readState().value(QLatin1String("profiles")).toArray())
        homeProfileKept |=
            profile.toObject().value(QLatin1String("name")).toString() == QLatin1String("HomeNet");
    QVERIFY(homeProfileKept);
}

QTEST_MAIN(WindowNetctlTest)
#include "tst_window_netctl.moc"
