// The charger simulator over real loopback HTTP, spoken to with QNetworkAccessManager directly
// and through the recording relay as HTTP proxy.
#include "charger_simulator.h"
#include "recording_relay.h"
#include "test_paths.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPasswordDigestor>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>
#include <utility>

using testsupport::RecordingRelay;

namespace {

// Bound for exchanges that are expected to finish; it only keeps a broken build from hanging.
constexpr int kExchangeBoundMs = 5000;

struct Exchange
{
    bool finished = false;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int status = 0;
    QByteArray contentType;
    QByteArray body;
};

Exchange exchange(QNetworkAccessManager &manager, const QNetworkRequest &request,
                  const QByteArray &postBody = QByteArray(), bool post = false,
                  int boundMs = kExchangeBoundMs)
{
    QNetworkReply *reply = post ? manager.post(request, postBody) : manager.get(request);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(boundMs);
    loop.exec();

    Exchange result;
    result.finished = reply->isFinished();
    if (!result.finished)
        reply->abort();
    result.error = reply->error();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    // An aborted reply is closed; what it had received is gone with it.
    if (result.finished)
        result.body = reply->readAll();
    delete reply;
    return result;
}

QUrl commandUrl(const QString &origin, const QString &command)
{
    return QUrl::fromEncoded(origin.toLatin1() + "/command/" + QUrl::toPercentEncoding(command));
}

// A charger that sees the networks of a typical install, one with blanks in its name.
QJsonObject homeScenario()
{
    const auto network = [](const char *ssid, const char *bssid, int channel, int rssi,
                            const char *security, const char *password) {
        return QJsonObject{{QStringLiteral("ssid"), QString::fromUtf8(ssid)},
                           {QStringLiteral("bssid"), QString::fromLatin1(bssid)},
                           {QStringLiteral("channel"), channel},
                           {QStringLiteral("rssi"), rssi},
                           {QStringLiteral("security"), QString::fromLatin1(security)},
                           {QStringLiteral("password"), QString::fromUtf8(password)}};
    };
    QJsonObject hidden =
        network("Hidden Garage", "f0:9f:c2:10:20:30", 1, -75, "WPA2-AES-MIXED", "garage door");
    hidden.insert(QStringLiteral("hidden"), true);
    const QJsonObject charger{
        {QStringLiteral("setupSsid"), QStringLiteral("JuiceNet-1A2B")},
        {QStringLiteral("serial"), QStringLiteral("ZP2-0001234")},
        {QStringLiteral("mac"), QStringLiteral("70:b3:d5:12:34:56")},
        {QStringLiteral("uuid"), QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10")},
        {QStringLiteral("files"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("ECache_0001.bin")},
                                {QStringLiteral("size"), 4096}},
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("EEvents_2026-03-14.log")},
                                {QStringLiteral("size"), 2311}},
                    QJsonObject{{QStringLiteral("name"), QStringLiteral("config.json")},
                                {QStringLiteral("size"), 512}}}},
        {QStringLiteral("networks"),
         QJsonArray{
             network("HomeNet", "a4:2b:b0:11:22:33", 6, -48, "WPA2-AES", "correct horse"),
             network("CafeOpen", "00:1d:7e:44:55:66", 11, -71, "OPEN", ""),
             network("NeighbourWPA3", "3c:84:6a:77:88:99", 36, -80, "WPA3-SAE", "fence"),
             network("My Home Net", "a4:2b:b0:aa:bb:cc", 44, -55, "WPA2-AES", "blank spaces"),
             hidden}}};
    return QJsonObject{{QStringLiteral("chargers"), QJsonArray{charger}}};
}

QString referencePsk(const QString &password, const QString &ssid)
{
    return QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1,
                                                                  password.toUtf8(), ssid.toUtf8(),
                                                                  4096, 32)
                                   .toHex());
}

} // namespace

class TestChargerSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void getAnswersTheChargerSettings_data();
    void getAnswersTheChargerSettings();
    void setParsesQuotedAndBareValues_data();
    void setParsesQuotedAndBareValues();
    void onlySavedSettingsSurviveAReboot();
    void replyStylesWrapOrQuoteTheValue();

    void listingShowsFilesAndPostedFdeDeletesThem();
    void scanRowsMatchTheRowPatternTheWizardParses();

    void pskDerivationMatchesPublishedVectors_data();
    void pskDerivationMatchesPublishedVectors();
    void networkVerifyChecksTheDerivedKey_data();
    void networkVerifyChecksTheDerivedKey();

    void maintenanceCommandsAnswerAndCount_data();
    void maintenanceCommandsAnswerAndCount();

    void delayedAnswerComesLateButComes();
    void droppedConnectionGivesNoReply();
    void statusFaultAnswersItsStatusAndBody();
    void countedFaultFailsOnlyTheFirstTimes();
    void firstWordFaultLeavesOtherCommandsAlone();
    void replyFaultSendsItsBodyVerbatim();
    void hangingRequestSurvivesAnAbortedClient();
    void hangingRequestEndsWhenTheSimulatorGoesAway();

    void selectorChoosesWhichChargerAnswers();
    void shippedScenariosLoad_data();
    void shippedScenariosLoad();
    void brokenScenariosAreRefused_data();
    void brokenScenariosAreRefused();

    void absoluteFormRequestsAreServedAsProxy();
    void relayRecordsTheExactRequestBytes();

private:
    QString get(const QString &command);
    Exchange getExchange(const QString &command, int boundMs = kExchangeBoundMs);
    QString post(const QString &command);

    std::unique_ptr<ChargerSimulator> sim;
    std::unique_ptr<QNetworkAccessManager> manager;
    QString origin;
};

void TestChargerSim::init()
{
    sim = std::make_unique<ChargerSimulator>();
    QString error;
    QVERIFY2(sim->loadScenario(homeScenario(), &error), qPrintable(error));
    QVERIFY(sim->listen());
    manager = std::make_unique<QNetworkAccessManager>();
    manager->setProxy(QNetworkProxy::NoProxy);
    origin = QStringLiteral("http://127.0.0.1:%1").arg(sim->port());
}

void TestChargerSim::cleanup()
{
    manager.reset();
    sim.reset();
}

Exchange TestChargerSim::getExchange(const QString &command, int boundMs)
{
    return exchange(*manager, QNetworkRequest(commandUrl(origin, command)), QByteArray(), false,
                    boundMs);
}

QString TestChargerSim::get(const QString &command)
{
    const Exchange result = getExchange(command);
    if (!result.finished || result.error != QNetworkReply::NoError)
        return QStringLiteral("<no answer>");
    return QString::fromUtf8(result.body);
}

QString TestChargerSim::post(const QString &command)
{
    QNetworkRequest request(QUrl(origin + QStringLiteral("/command")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("command"), command},
                                                      {QStringLiteral("flags"), 0}})
                                .toJson(QJsonDocument::Compact);
    const Exchange result = exchange(*manager, request, body, true);
    return result.finished ? QString::fromUtf8(result.body) : QStringLiteral("<no answer>");
}

void TestChargerSim::getAnswersTheChargerSettings_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");

    QTest::newRow("a fresh charger has no Wi-Fi name yet")
        << QStringLiteral("get wlan.ssid") << QString();
    QTest::newRow("the MAC address is the charger's own")
        << QStringLiteral("get wlan.mac") << QStringLiteral("70:b3:d5:12:34:56");
    QTest::newRow("the UUID holds an ead token")
        << QStringLiteral("get system.uuid")
        << QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10");
    QTest::newRow("the serial number is the charger's own")
        << QStringLiteral("get system.serial") << QStringLiteral("ZP2-0001234");
    QTest::newRow("auto-join starts off")
        << QStringLiteral("get wlan.auto_join.enabled") << QStringLiteral("0");
    QTest::newRow("a key this firmware lacks answers unknown")
        << QStringLiteral("get system.euid") << QStringLiteral("ERR: unknown key system.euid");
    QTest::newRow("get without a key answers its usage")
        << QStringLiteral("get") << QStringLiteral("usage: get <key>");
    QTest::newRow("an unknown command is named in the answer")
        << QStringLiteral("wifiscan") << QStringLiteral("Unknown command: wifiscan");
}

void TestChargerSim::getAnswersTheChargerSettings()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QCOMPARE(get(command), reply);
}

void TestChargerSim::setParsesQuotedAndBareValues_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("a quoted value keeps its blanks")
        << QStringLiteral("set wlan.ssid \"My Home Net\"") << QStringLiteral("set ok")
        << QStringLiteral("wlan.ssid") << QStringLiteral("My Home Net");
    QTest::newRow("quotes inside a quoted value are taken as they are")
        << QStringLiteral("set wlan.passkey \"pa\"ss \"\"") << QStringLiteral("set ok")
        << QStringLiteral("wlan.passkey") << QStringLiteral("pa\"ss \"");
    QTest::newRow("a quoted empty value clears the setting")
        << QStringLiteral("set wlan.ssid \"\"") << QStringLiteral("set ok")
        << QStringLiteral("wlan.ssid") << QString();
    QTest::newRow("a bare value is taken up to the end of the line")
        << QStringLiteral("set wlan.auto_join.enabled 1") << QStringLiteral("set ok")
        << QStringLiteral("wlan.auto_join.enabled") << QStringLiteral("1");
    QTest::newRow("a value without its closing quote is refused")
        << QStringLiteral("set wlan.ssid \"HomeNet") << QStringLiteral("ERR: missing closing quote")
        << QStringLiteral("wlan.ssid") << QString();
    QTest::newRow("a key the charger lacks is refused")
        << QStringLiteral("set wlan.bssid \"x\"") << QStringLiteral("ERR: unknown key wlan.bssid")
        << QStringLiteral("wlan.ssid") << QString();
    QTest::newRow("identity keys are read-only")
        << QStringLiteral("set system.serial \"X\"")
        << QStringLiteral("ERR: key system.serial is read-only") << QStringLiteral("system.serial")
        << QStringLiteral("ZP2-0001234");
    QTest::newRow("set without a value answers its usage")
        << QStringLiteral("set wlan.ssid") << QStringLiteral("usage: set <key> <value>")
        << QStringLiteral("wlan.ssid") << QString();
}

void TestChargerSim::setParsesQuotedAndBareValues()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(QString, key);
    QFETCH(QString, value);

    QCOMPARE(get(command), reply);
    QCOMPARE(sim->charger()->currentSettings.value(key), value);
    QCOMPARE(get(QStringLiteral("get ") + key), value);
}

void TestChargerSim::onlySavedSettingsSurviveAReboot()
{
    QCOMPARE(get(QStringLiteral("set wlan.ssid \"HomeNet\"")), QStringLiteral("set ok"));
    QCOMPARE(sim->charger()->currentSettings.value(QStringLiteral("wlan.ssid")),
             QStringLiteral("HomeNet"));
    QCOMPARE(sim->charger()->savedSettings.value(QStringLiteral("wlan.ssid")), QString());

    QCOMPARE(get(QStringLiteral("reboot")), QStringLiteral("rebooting..."));
    QCOMPARE(get(QStringLiteral("get wlan.ssid")), QString());

    QCOMPARE(get(QStringLiteral("set wlan.ssid \"HomeNet\"")), QStringLiteral("set ok"));
    QCOMPARE(get(QStringLiteral("set wlan.passkey \"correct horse\"")), QStringLiteral("set ok"));
    QCOMPARE(get(QStringLiteral("save")), QStringLiteral("ok"));
    QCOMPARE(get(QStringLiteral("set wlan.passkey \"not saved\"")), QStringLiteral("set ok"));
    QCOMPARE(get(QStringLiteral("reboot")), QStringLiteral("rebooting..."));

    QCOMPARE(get(QStringLiteral("get wlan.ssid")), QStringLiteral("HomeNet"));
    QCOMPARE(get(QStringLiteral("get wlan.passkey")), QStringLiteral("correct horse"));
    const SimCharger *charger = sim->charger();
    QCOMPARE(charger->savedSettings.value(QStringLiteral("wlan.passkey")),
             QStringLiteral("correct horse"));
    QCOMPARE(charger->saveCount, 1);
    QCOMPARE(charger->rebootCount, 2);
}

void TestChargerSim::replyStylesWrapOrQuoteTheValue()
{
    QJsonObject scenario = homeScenario();
    scenario.insert(QStringLiteral("replyStyle"), QStringLiteral("json"));
    QVERIFY(sim->loadScenario(scenario));
    sim->charger()->currentSettings.insert(QStringLiteral("wlan.ssid"), QStringLiteral("HomeNet"));

    Exchange result = getExchange(QStringLiteral("get wlan.ssid"));
    QCOMPARE(result.body, QByteArrayLiteral("{\"response\":\"HomeNet\"}"));
    QCOMPARE(result.contentType, QByteArrayLiteral("application/json"));

    sim->charger()->replyStyle = SimReplyStyle::PlainText;
    sim->charger()->quoteGetValues = true;
    result = getExchange(QStringLiteral("get wlan.ssid"));
    QCOMPARE(result.body, QByteArrayLiteral("\"HomeNet\""));
    QCOMPARE(result.contentType, QByteArrayLiteral("text/plain; charset=utf-8"));
    QCOMPARE(get(QStringLiteral("save")), QStringLiteral("ok"));
}

void TestChargerSim::listingShowsFilesAndPostedFdeDeletesThem()
{
    const QString listing = get(QStringLiteral("ls -v"));
    QVERIFY2(
        listing.contains(QRegularExpression(QStringLiteral("\\b4096\\s+ECache_0001\\.bin\\n"))),
        qPrintable(listing));
    QVERIFY(listing.contains(QStringLiteral("EEvents_2026-03-14.log")));
    QVERIFY(listing.contains(QStringLiteral("3 file(s), 6919 bytes")));

    QCOMPARE(post(QStringLiteral("fde \"ECache_0001.bin\"")), QStringLiteral("ok"));
    const SimRequest posted = sim->journal().constLast();
    QCOMPARE(posted.method, QByteArrayLiteral("POST"));
    QCOMPARE(posted.path, QByteArrayLiteral("/command"));
    QCOMPARE(posted.command, QStringLiteral("fde \"ECache_0001.bin\""));
    QCOMPARE(posted.body,
             QByteArrayLiteral("{\"command\":\"fde \\\"ECache_0001.bin\\\"\",\"flags\":0}"));

    QVERIFY(!get(QStringLiteral("ls -v")).contains(QStringLiteral("ECache_0001.bin")));
    QCOMPARE(post(QStringLiteral("fde \"ECache_0001.bin\"")),
             QStringLiteral("ERR: file not found: ECache_0001.bin"));
    QCOMPARE(get(QStringLiteral("ls")), QStringLiteral("EEvents_2026-03-14.log\nconfig.json\n"));
}

void TestChargerSim::scanRowsMatchTheRowPatternTheWizardParses()
{
    // The wizard's row pattern: channel, RSSI, BSSID, security and SSID are captured.
    static const QRegularExpression row(QStringLiteral(
        "(?im)^\\s*#\\s*\\d+\\s+(\\d+)\\s+(-?\\d+)\\s+((?:[0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2})\\s+"
        "[0-9.]+\\s+(\\S+)\\s+\\S+\\s+\\d+\\s+(.+?)\\s*$"));
    const QString table = get(QStringLiteral("wlan_scan -v"));

    QStringList rows;
    auto matches = row.globalMatch(table);
    while (matches.hasNext()) {
        const auto match = matches.next();
        rows.append(QStringList{match.captured(1), match.captured(2), match.captured(3),
                                match.captured(4), match.captured(5)}
                        .join(QLatin1Char('|')));
    }
    const QStringList expected{
        QStringLiteral("6|-48|a4:2b:b0:11:22:33|WPA2-AES|HomeNet"),
        QStringLiteral("11|-71|00:1d:7e:44:55:66|OPEN|CafeOpen"),
        QStringLiteral("36|-80|3c:84:6a:77:88:99|WPA3-SAE|NeighbourWPA3"),
        QStringLiteral("44|-55|a4:2b:b0:aa:bb:cc|WPA2-AES|My Home Net"),
        QStringLiteral("1|-75|f0:9f:c2:10:20:30|WPA2-AES-MIXED|<ssid hidden>"),
    };
    QCOMPARE(rows, expected);

    // Every line that starts a row is one of those rows, and a header comes before them.
    const QStringList lines = table.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^#"))).size(), expected.size());
    QVERIFY(!lines.first().startsWith(QLatin1Char('#')));
}

void TestChargerSim::pskDerivationMatchesPublishedVectors_data()
{
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("psk");

    QTest::newRow("IEEE 802.11i vector with a short passphrase")
        << QStringLiteral("password") << QStringLiteral("IEEE")
        << QStringLiteral("f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e");
    QTest::newRow("IEEE 802.11i vector with a long SSID")
        << QStringLiteral("ThisIsAPassword") << QStringLiteral("ThisIsASSID")
        << QStringLiteral("0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");
}

void TestChargerSim::pskDerivationMatchesPublishedVectors()
{
    QFETCH(QString, passphrase);
    QFETCH(QString, ssid);
    QFETCH(QString, psk);
    QCOMPARE(chargersim::wpaPskHex(passphrase, ssid), psk);
    QCOMPARE(referencePsk(passphrase, ssid), psk);
}

void TestChargerSim::networkVerifyChecksTheDerivedKey_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");

    const QString homeKey =
        referencePsk(QStringLiteral("correct horse"), QStringLiteral("HomeNet"));
    QTest::newRow("the key of the right password is verified")
        << "network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 " + homeKey << "verified ok";
    QTest::newRow("the key written in capitals is verified too")
        << "network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 " + homeKey.toUpper()
        << "verified ok";
    QTest::newRow("the key of a wrong password fails authentication")
        << "network_verify wifi HomeNet a4:2b:b0:11:22:33 6 4 " +
               referencePsk(QStringLiteral("correct horse "), QStringLiteral("HomeNet"))
        << "authentication failed";
    QTest::newRow("a key salted with the SSID in other letters matches that SSID as sent")
        << "network_verify wifi homenet a4:2b:b0:11:22:33 6 4 " +
               referencePsk(QStringLiteral("correct horse"), QStringLiteral("homenet"))
        << "verified ok";
    QTest::newRow("an SSID with blanks is read from the right")
        << "network_verify wifi My Home Net a4:2b:b0:aa:bb:cc 44 4 " +
               referencePsk(QStringLiteral("blank spaces"), QStringLiteral("My Home Net"))
        << "verified ok";
    QTest::newRow("a hidden network is verified by its real name")
        << "network_verify wifi Hidden Garage f0:9f:c2:10:20:30 1 5 " +
               referencePsk(QStringLiteral("garage door"), QStringLiteral("Hidden Garage"))
        << "verified ok";
    QTest::newRow("an open network passes the short form")
        << "network_verify wifi CafeOpen 00:1d:7e:44:55:66 11"
        << "verified ok";
    QTest::newRow("the short form tries the passphrase the charger holds")
        << "network_verify wifi HomeNet a4:2b:b0:11:22:33 6"
        << "authentication failed";
    QTest::newRow("a network out of range is not found")
        << "network_verify wifi FarAway 02:00:00:00:00:01 3 4 " + homeKey
        << "ERR: network not found";
    QTest::newRow("a malformed BSSID answers the usage")
        << "network_verify wifi HomeNet a4:2b:b0 6"
        << "usage: network_verify wifi <ssid> <bssid> <channel> [<security code> <psk>]";
}

void TestChargerSim::networkVerifyChecksTheDerivedKey()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QCOMPARE(get(command), reply);
}

void TestChargerSim::maintenanceCommandsAnswerAndCount_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("reboots");
    QTest::addColumn<int>("factoryResets");
    QTest::addColumn<int>("firmwareUpdates");

    QTest::newRow("reboot restarts the charger")
        << QStringLiteral("reboot") << QStringLiteral("rebooting...") << 1 << 0 << 0;
    QTest::newRow("rb is a reboot word too")
        << QStringLiteral("rb") << QStringLiteral("rebooting...") << 1 << 0 << 0;
    QTest::newRow("the firmware update starts")
        << QStringLiteral("dfuu -i wlan --multi") << QStringLiteral("firmware update started") << 0
        << 0 << 1;
    QTest::newRow("dfuu without an interface answers its usage")
        << QStringLiteral("dfuu") << QStringLiteral("usage: dfuu -i wlan [--multi]") << 0 << 0 << 0;
    QTest::newRow("fac without the MAC address answers its usage")
        << QStringLiteral("fac") << QStringLiteral("usage: fac <mac>") << 0 << 0 << 0;
    QTest::newRow("factory_reset without the MAC address answers the usage")
        << QStringLiteral("factory_reset") << QStringLiteral("usage: fac <mac>") << 0 << 0 << 0;
    QTest::newRow("fac with the MAC address resets")
        << QStringLiteral("fac 70:b3:d5:12:34:56") << QStringLiteral("ok") << 0 << 1 << 0;
    QTest::newRow("fac with the bracketed MAC address without colons resets")
        << QStringLiteral("fac [70b3d5123456]") << QStringLiteral("ok") << 0 << 1 << 0;
    QTest::newRow("fac with the MAC address in capitals and hyphens resets")
        << QStringLiteral("fac 70-B3-D5-12-34-56") << QStringLiteral("ok") << 0 << 1 << 0;
    QTest::newRow("fac with another charger's MAC address is refused")
        << QStringLiteral("fac 70:b3:d5:99:99:99") << QStringLiteral("ERR: mac address mismatch")
        << 0 << 0 << 0;
}

void TestChargerSim::maintenanceCommandsAnswerAndCount()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QFETCH(int, reboots);
    QFETCH(int, factoryResets);
    QFETCH(int, firmwareUpdates);

    sim->charger()->currentSettings.insert(QStringLiteral("wlan.ssid"), QStringLiteral("HomeNet"));
    sim->charger()->savedSettings.insert(QStringLiteral("wlan.ssid"), QStringLiteral("HomeNet"));
    QCOMPARE(get(command), reply);
    const SimCharger *charger = sim->charger();
    QCOMPARE(charger->rebootCount, reboots);
    QCOMPARE(charger->factoryResetCount, factoryResets);
    QCOMPARE(charger->firmwareUpdateCount, firmwareUpdates);
    // A factory reset forgets the customer network, a reboot keeps the saved one.
    QCOMPARE(charger->savedSettings.value(QStringLiteral("wlan.ssid")),
             factoryResets ? QString() : QStringLiteral("HomeNet"));
}

void TestChargerSim::delayedAnswerComesLateButComes()
{
    sim->addFault(SimFault::delay(QStringLiteral("get wlan.mac"), 150));

    const Exchange impatient = getExchange(QStringLiteral("get wlan.mac"), 30);
    QVERIFY(!impatient.finished);
    QCOMPARE(impatient.error, QNetworkReply::OperationCanceledError);

    const Exchange patient = getExchange(QStringLiteral("get wlan.mac"));
    QVERIFY(patient.finished);
    QCOMPARE(patient.body, QByteArrayLiteral("70:b3:d5:12:34:56"));
    QCOMPARE(get(QStringLiteral("get system.serial")), QStringLiteral("ZP2-0001234"));
}

void TestChargerSim::droppedConnectionGivesNoReply()
{
    sim->addFault(SimFault::drop(QStringLiteral("save")));

    const Exchange result = getExchange(QStringLiteral("save"));
    QVERIFY(result.finished);
    QCOMPARE(result.error, QNetworkReply::RemoteHostClosedError);
    QVERIFY(result.body.isEmpty());
    // The command was not carried out, and the network manager may have sent it twice.
    QCOMPARE(sim->charger()->saveCount, 0);
    QVERIFY(sim->commands().count(QStringLiteral("save")) >= 1);
}

void TestChargerSim::statusFaultAnswersItsStatusAndBody()
{
    sim->addFault(SimFault::httpStatus(QStringLiteral("wlan_scan -v"), 404,
                                       QByteArrayLiteral("no such command")));
    const Exchange result = getExchange(QStringLiteral("wlan_scan -v"));
    QCOMPARE(result.status, 404);
    QCOMPARE(result.error, QNetworkReply::ContentNotFoundError);
    QCOMPARE(result.body, QByteArrayLiteral("no such command"));
}

void TestChargerSim::countedFaultFailsOnlyTheFirstTimes()
{
    sim->addFault(SimFault::httpStatus(QStringLiteral("save"), 503, QByteArrayLiteral("busy"), 2));

    QCOMPARE(getExchange(QStringLiteral("save")).status, 503);
    QCOMPARE(getExchange(QStringLiteral("save")).status, 503);
    const Exchange third = getExchange(QStringLiteral("save"));
    QCOMPARE(third.status, 200);
    QCOMPARE(third.body, QByteArrayLiteral("ok"));
    QCOMPARE(sim->charger()->saveCount, 1);
    QVERIFY(sim->faults().isEmpty());
}

void TestChargerSim::firstWordFaultLeavesOtherCommandsAlone()
{
    sim->addFault(
        SimFault::replyText(QStringLiteral("reboot"), QStringLiteral("Unknown command: reboot"))
            .byFirstWord());
    sim->addFault(SimFault::replyText(QStringLiteral("get"), QStringLiteral("busy"), 1)
                      .byFirstWord()
                      .forCharger(QStringLiteral("JuiceNet-9999")));

    QCOMPARE(get(QStringLiteral("reboot")), QStringLiteral("Unknown command: reboot"));
    QCOMPARE(get(QStringLiteral("rb")), QStringLiteral("rebooting..."));
    QCOMPARE(get(QStringLiteral("get wlan.mac")), QStringLiteral("70:b3:d5:12:34:56"));
    QCOMPARE(sim->charger()->rebootCount, 1);
}

void TestChargerSim::replyFaultSendsItsBodyVerbatim()
{
    sim->addFault(SimFault::replyJson(QStringLiteral("get system.uuid"), 42));
    sim->addFault(SimFault::replyBody(QStringLiteral("ls -v"), QByteArrayLiteral("[1,2]"),
                                      QByteArrayLiteral("application/json")));
    QCOMPARE(getExchange(QStringLiteral("get system.uuid")).body,
             QByteArrayLiteral("{\"response\":42}"));
    QCOMPARE(getExchange(QStringLiteral("ls -v")).body, QByteArrayLiteral("[1,2]"));
}

void TestChargerSim::hangingRequestSurvivesAnAbortedClient()
{
    sim->addFault(SimFault::hang(QStringLiteral("wlan_scan")).byFirstWord());

    const Exchange hung = getExchange(QStringLiteral("wlan_scan -v"), 100);
    QVERIFY(!hung.finished);
    QCOMPARE(sim->commands(), QStringList{QStringLiteral("wlan_scan -v")});

    // The aborted client's connection is gone; the next request is answered on a new one.
    QCOMPARE(get(QStringLiteral("get system.serial")), QStringLiteral("ZP2-0001234"));
    QCOMPARE(sim->charger()->currentSettings.value(QStringLiteral("wlan.mac")),
             QStringLiteral("70:b3:d5:12:34:56"));
}

void TestChargerSim::hangingRequestEndsWhenTheSimulatorGoesAway()
{
    sim->addFault(SimFault::delay(QStringLiteral("get wlan.mac"), 60000));
    sim->addFault(SimFault::hang(QStringLiteral("*")));

    // Plain sockets, so that no client retries on its own.
    const auto request = [this](QTcpSocket &socket, const QByteArray &path) {
        socket.connectToHost(QHostAddress::LocalHost, sim->port());
        if (!socket.waitForConnected(kExchangeBoundMs))
            return false;
        socket.write("GET " + path + " HTTP/1.1\r\nHost: setup.zephyl\r\n\r\n");
        return true;
    };

    QTcpSocket closed;
    QVERIFY(request(closed, "/command/save"));
    QTRY_COMPARE_WITH_TIMEOUT(sim->journal().size(), 1, kExchangeBoundMs);
    sim->closeConnections();
    QTRY_COMPARE_WITH_TIMEOUT(closed.state(), QAbstractSocket::UnconnectedState, kExchangeBoundMs);
    QVERIFY(closed.readAll().isEmpty());

    // One request never to be answered and one answer still due when the simulator goes away.
    QTcpSocket hanging;
    QTcpSocket late;
    QVERIFY(request(hanging, "/command/save"));
    QVERIFY(request(late, "/command/get%20wlan.mac"));
    QTRY_COMPARE_WITH_TIMEOUT(sim->journal().size(), 3, kExchangeBoundMs);

    sim.reset();
    QTRY_COMPARE_WITH_TIMEOUT(hanging.state(), QAbstractSocket::UnconnectedState, kExchangeBoundMs);
    QTRY_COMPARE_WITH_TIMEOUT(late.state(), QAbstractSocket::UnconnectedState, kExchangeBoundMs);
    QVERIFY(hanging.readAll().isEmpty());
    QVERIFY(late.readAll().isEmpty());
}

void TestChargerSim::selectorChoosesWhichChargerAnswers()
{
    QString error;
    QVERIFY2(sim->loadScenarioFile(
                 testsupport::dataFilePath(QStringLiteral("../../sim/charger/scenarios/demo.json")),
                 &error),
             qPrintable(error));
    QString joined = QStringLiteral("JuiceNet-3C4D");
    sim->setActiveChargerSelector([&joined] { return joined; });

    QCOMPARE(get(QStringLiteral("get system.serial")), QStringLiteral("\"ZP2-0005678\""));
    QCOMPARE(get(QStringLiteral("get wlan.ssid")), QStringLiteral("\"OldOfficeNet\""));

    joined = QStringLiteral("JuiceNet-5E6F");
    QCOMPARE(get(QStringLiteral("get system.serial")),
             QStringLiteral("{\"response\":\"ZP2-0009012\"}"));
    QCOMPARE(get(QStringLiteral("reboot")),
             QStringLiteral("{\"response\":\"Unknown command: reboot\"}"));

    joined = QStringLiteral("JuiceNet-1A2B");
    QCOMPARE(get(QStringLiteral("fac 70:b3:d5:12:34:56")), QStringLiteral("ok"));
    QCOMPARE(sim->charger(QStringLiteral("JuiceNet-1A2B"))->factoryResetCount, 1);
    QCOMPARE(sim->charger(QStringLiteral("JuiceNet-3C4D"))->factoryResetCount, 0);

    // On the customer's own network no charger is there to answer.
    joined = QStringLiteral("HomeNet");
    const Exchange nobody = getExchange(QStringLiteral("get system.serial"));
    QVERIFY(nobody.finished);
    QVERIFY(nobody.error != QNetworkReply::NoError);
    QCOMPARE(sim->journal().constLast().charger, QString());

    const QStringList answeredBy{sim->journal().at(0).charger, sim->journal().at(2).charger,
                                 sim->journal().at(4).charger};
    QCOMPARE(answeredBy,
             (QStringList{QStringLiteral("JuiceNet-3C4D"), QStringLiteral("JuiceNet-5E6F"),
                          QStringLiteral("JuiceNet-1A2B")}));
}

void TestChargerSim::shippedScenariosLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("chargers");
    QTest::addColumn<int>("networksOfFirst");

    QTest::newRow("the default scenario has one charger seeing three networks")
        << QStringLiteral("default.json") << 1 << 3;
    QTest::newRow("the demo scenario has three chargers") << QStringLiteral("demo.json") << 3 << 2;
}

void TestChargerSim::shippedScenariosLoad()
{
    QFETCH(QString, file);
    QFETCH(int, chargers);
    QFETCH(int, networksOfFirst);

    SimScenario scenario;
    QString error;
    QVERIFY2(SimScenario::fromFile(
                 testsupport::dataFilePath(QStringLiteral("../../sim/charger/scenarios/") + file),
                 scenario, &error),
             qPrintable(error));
    QCOMPARE(scenario.chargers.size(), chargers);
    QCOMPARE(scenario.chargers.first().networks.size(), networksOfFirst);

    QSet<QString> identities;
    for (const SimCharger &charger : std::as_const(scenario.chargers)) {
        identities << charger.setupSsid << charger.serial << charger.mac << charger.uuid;
        QVERIFY(charger.uuid.startsWith(QLatin1String("ead")));
    }
    QCOMPARE(identities.size(), 4 * chargers);
}

void TestChargerSim::brokenScenariosAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");

    QTest::newRow("a scenario without chargers")
        << QByteArray("{\"chargers\":[]}")
        << "a scenario needs at least one charger in \"chargers\"";
    QTest::newRow("a charger without its setup SSID")
        << QByteArray("{\"chargers\":[{\"serial\":\"X\"}]}")
        << "every charger needs a \"setupSsid\"";
    QTest::newRow("a reply style that does not exist")
        << QByteArray("{\"replyStyle\":\"xml\",\"chargers\":[{\"setupSsid\":\"J\"}]}")
        << "replyStyle must be \"text\" or \"json\"";
    QTest::newRow("a fault of an unknown kind")
        << QByteArray("{\"chargers\":[{\"setupSsid\":\"J\"}],"
                      "\"faults\":[{\"command\":\"save\",\"kind\":\"explode\"}]}")
        << "unknown fault kind \"explode\"";
}

void TestChargerSim::brokenScenariosAreRefused()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);

    QString message;
    QVERIFY(!sim->loadScenario(QJsonDocument::fromJson(json).object(), &message));
    QCOMPARE(message, error);
    // The running scenario stays as it was.
    QCOMPARE(get(QStringLiteral("get system.serial")), QStringLiteral("ZP2-0001234"));
}

void TestChargerSim::absoluteFormRequestsAreServedAsProxy()
{
    QVERIFY(sim->loadScenario(QJsonDocument::fromJson(R"({"chargers":[{"setupSsid":"JuiceNet-1A2B",
        "files":["ECache_1.bin"]}], "faults":[{"command":"ls -v","kind":"reply",
        "response":"from the scenario","times":1}]})")
                                  .object()));
    manager->setProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), sim->port()));
    origin = QStringLiteral("http://setup.zephyl");

    QCOMPARE(get(QStringLiteral("get wlan.mac")), QStringLiteral("70:b3:d5:12:34:56"));
    QCOMPARE(get(QStringLiteral("ls -v")), QStringLiteral("{\"response\":\"from the scenario\"}"));
    QVERIFY(get(QStringLiteral("ls -v")).contains(QStringLiteral("ECache_1.bin")));
    QCOMPARE(post(QStringLiteral("fde \"ECache_1.bin\"")), QStringLiteral("ok"));

    const SimRequest first = sim->journal().constFirst();
    QCOMPARE(first.method, QByteArrayLiteral("GET"));
    QCOMPARE(first.path, QByteArrayLiteral("/command/get%20wlan.mac"));
    QCOMPARE(first.host, QByteArrayLiteral("setup.zephyl"));
    QCOMPARE(first.command, QStringLiteral("get wlan.mac"));
    QCOMPARE(sim->charger()->files.size(), 0);
}

void TestChargerSim::relayRecordsTheExactRequestBytes()
{
    RecordingRelay relay(QHostAddress::LocalHost, sim->port());
    QVERIFY(relay.isListening());
    manager->setProxy(relay.proxy());
    origin = QStringLiteral("http://setup.zephyl");
    QSignalSpy journaled(sim.get(), &ChargerSimulator::requestReceived);

    const QString command = QStringLiteral("set wlan.ssid \"Caf\u00e9 [5G]/x=1~\"");
    QCOMPARE(get(command), QStringLiteral("set ok"));
    QCOMPARE(post(QStringLiteral("fde \"config.json\"")), QStringLiteral("ok"));

    QCOMPARE(relay.requestLines(),
             (QList<QByteArray>{"GET http://setup.zephyl/command/"
                                "set%20wlan.ssid%20%22Caf%C3%A9%20%5B5G%5D%2Fx%3D1~%22 HTTP/1.1",
                                "POST http://setup.zephyl/command HTTP/1.1"}));
    const testsupport::RecordedRequest posted = relay.requests().at(1);
    QCOMPARE(posted.header("content-type"), QByteArrayLiteral("application/json"));
    QCOMPARE(posted.body,
             QByteArrayLiteral("{\"command\":\"fde \\\"config.json\\\"\",\"flags\":0}"));
    QVERIFY(relay.rawBytes().startsWith("GET http://setup.zephyl/command/set%20wlan.ssid"));
    QVERIFY(relay.rawBytes().endsWith(posted.body));

    QCOMPARE(journaled.size(), 2);
    QCOMPARE(journaled.at(0).at(0).value<SimRequest>().command, command);
    QCOMPARE(sim->charger()->currentSettings.value(QStringLiteral("wlan.ssid")),
             QStringLiteral("Caf\u00e9 [5G]/x=1~"));

    relay.clear();
    QVERIFY(relay.requestLines().isEmpty());
    QCOMPARE(get(QStringLiteral("get wlan.ssid")), QStringLiteral("Caf\u00e9 [5G]/x=1~"));
    QCOMPARE(relay.requestLines(),
             QList<QByteArray>{"GET http://setup.zephyl/command/get%20wlan.ssid HTTP/1.1"});
}

QTEST_GUILESS_MAIN(TestChargerSim)
#include "tst_charger_sim.moc"
