// What ApiClient puts on the wire and how it reads what comes back, seen through the recording
// relay (as the application's HTTP proxy) in front of the charger simulator.
#include "charger_api/apiclient.h"
#include "charger_simulator.h"
#include "recording_relay.h"

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <memory>

using testsupport::RecordedRequest;
using testsupport::RecordingRelay;

namespace {

// Long enough for a loopback exchange on a loaded machine; no test waits it out on success.
constexpr int kTimeoutMs = 5000;
constexpr int kShortTimeoutMs = 300;

} // namespace

class TestApiClientWire : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void getPathIsPercentEncodedByteForByte_data();
    void getPathIsPercentEncodedByteForByte();
    void postSendsTheCommandAsCompactJson_data();
    void postSendsTheCommandAsCompactJson();

    void chargerThatNeverAnswersTimesOutWithEmptyText();
    void droppedConnectionIsNotOk();
    void httpErrorIsNotOkAndKeepsTheBody();
    void replyBodyBecomesText_data();
    void replyBodyBecomesText();

    void fileListArrivesAsCommandResult_data();
    void fileListArrivesAsCommandResult();

    // Last: once the application has been told to quit, no later event loop of this process
    // runs normally.
    void exchangeEndedByQuittingIsNotOk();

private:
    std::unique_ptr<ChargerSimulator> sim;
    std::unique_ptr<RecordingRelay> relay;
};

void TestApiClientWire::init()
{
    sim = std::make_unique<ChargerSimulator>();
    QVERIFY(sim->listen());
    sim->charger()->files = {SimFile{QStringLiteral("ECache_1.bin"), 4096},
                             SimFile{QStringLiteral("EEvents_2026-03-14.log"), 2311}};
    relay = std::make_unique<RecordingRelay>(QHostAddress::LocalHost, sim->port());
    QVERIFY(relay->isListening());
    QNetworkProxy::setApplicationProxy(relay->proxy());
}

void TestApiClientWire::cleanup()
{
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    relay.reset();
    sim.reset();
}

void TestApiClientWire::getPathIsPercentEncodedByteForByte_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("blanks become %20")
        << QStringLiteral("get wlan.ssid") << QByteArray("get%20wlan.ssid");
    QTest::newRow("double quotes become %22") << QStringLiteral("set wlan.ssid \"Home Net\"")
                                              << QByteArray("set%20wlan.ssid%20%22Home%20Net%22");
    QTest::newRow("a slash becomes %2F") << QStringLiteral("fde \"logs/ECache_1.bin\"")
                                         << QByteArray("fde%20%22logs%2FECache_1.bin%22");
    QTest::newRow("brackets become %5B and %5D")
        << QStringLiteral("fac [70b3d5123456]") << QByteArray("fac%20%5B70b3d5123456%5D");
    QTest::newRow("an equals sign becomes %3D and a tilde stays")
        << QStringLiteral("set wlan.passkey a=b~c") << QByteArray("set%20wlan.passkey%20a%3Db~c");
    QTest::newRow("the unreserved characters stay as they are")
        << QStringLiteral("AZaz09-._~") << QByteArray("AZaz09-._~");
    QTest::newRow("URL delimiters are encoded, not interpreted")
        << QStringLiteral("a+b&c?d#e%f:g@h") << QByteArray("a%2Bb%26c%3Fd%23e%25f%3Ag%40h");
    QTest::newRow("non-ASCII characters travel as their UTF-8 bytes in upper-case hex")
        << QStringLiteral("set wlan.ssid \"Caf\u00e9 \u03a9\"")
        << QByteArray("set%20wlan.ssid%20%22Caf%C3%A9%20%CE%A9%22");
    QTest::newRow("a character outside the basic plane is four bytes")
        << QString::fromUtf8("ssid \xF0\x9F\x9A\x97") << QByteArray("ssid%20%F0%9F%9A%97");
}

void TestApiClientWire::getPathIsPercentEncodedByteForByte()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, encoded);

    ApiClient api;
    QString response;
    QVERIFY(api.sendCommand(command, response, kTimeoutMs));

    QCOMPARE(relay->requestLines(),
             QList<QByteArray>{"GET http://setup.zephyl/command/" + encoded + " HTTP/1.1"});
    const RecordedRequest request = relay->requests().constFirst();
    QVERIFY(!request.hasHeader("Content-Type"));
    QVERIFY(request.body.isEmpty());
    // The charger decodes the very command that was sent.
    QCOMPARE(sim->commands(), QStringList{command});
}

void TestApiClientWire::postSendsTheCommandAsCompactJson_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("reply");

    QTest::newRow("quotes inside the command are escaped with a backslash")
        << QStringLiteral("fde \"ECache_1.bin\"")
        << QByteArray(R"({"command":"fde \"ECache_1.bin\"","flags":0})") << QStringLiteral("ok");
    QTest::newRow("slashes and non-ASCII characters travel unencoded")
        << QStringLiteral("fde \"Caf\u00e9/ECache_9.bin\"")
        << QByteArray("{\"command\":\"fde \\\"Caf\xC3\xA9/ECache_9.bin\\\"\",\"flags\":0}")
        << QStringLiteral("ERR: file not found: Caf\u00e9/ECache_9.bin");
}

void TestApiClientWire::postSendsTheCommandAsCompactJson()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, body);
    QFETCH(QString, reply);

    ApiClient api;
    QString response;
    QVERIFY(api.postCommand(command, response, kTimeoutMs, 0));
    QCOMPARE(response, reply);

    QCOMPARE(relay->requestLines(),
             QList<QByteArray>{QByteArrayLiteral("POST http://setup.zephyl/command HTTP/1.1")});
    const RecordedRequest request = relay->requests().constFirst();
    QCOMPARE(request.header("Content-Type"), QByteArrayLiteral("application/json"));
    QCOMPARE(request.header("Content-Length"), QByteArray::number(body.size()));
    QCOMPARE(request.body, body);
    QCOMPARE(sim->commands(), QStringList{command});
}

void TestApiClientWire::chargerThatNeverAnswersTimesOutWithEmptyText()
{
    sim->addFault(SimFault::hang(QStringLiteral("save")));

    ApiClient api;
    QString response = QStringLiteral("left over");
    QVERIFY(!api.sendCommand(QStringLiteral("save"), response, kShortTimeoutMs));
    QCOMPARE(response, QString());
    QCOMPARE(sim->commands(), QStringList{QStringLiteral("save")});

    // The abandoned exchange does not block the next one.
    QVERIFY(api.sendCommand(QStringLiteral("get wlan.mac"), response, kTimeoutMs));
    QCOMPARE(response, QStringLiteral("70:b3:d5:12:34:56"));
}

void TestApiClientWire::exchangeEndedByQuittingIsNotOk()
{
    // Closing the window quits the application, which ends every running event loop, the
    // exchange's own wait included: that is no answer from the charger.
    sim->addFault(SimFault::hang(QStringLiteral("save")));
    ApiClient api;
    QTimer::singleShot(50, QCoreApplication::instance(), []() { QCoreApplication::exit(0); });
    QString response = QStringLiteral("left over");
    QVERIFY(!api.sendCommand(QStringLiteral("save"), response, 30000));
    QCOMPARE(response, QString());
}

void TestApiClientWire::droppedConnectionIsNotOk()
{
    sim->addFault(SimFault::drop(QStringLiteral("reboot")));

    ApiClient api;
    QString response = QStringLiteral("left over");
    QVERIFY(!api.sendCommand(QStringLiteral("reboot"), response, kTimeoutMs));
    QCOMPARE(response, QString());
    // The network manager re-sends an idempotent request after a dropped connection (through a
    // proxy more than once), so only the kind of request is fixed, not the count.
    const QStringList sent = sim->commands();
    QVERIFY(!sent.isEmpty());
    QCOMPARE(sent.count(QStringLiteral("reboot")), sent.size());
    QCOMPARE(sim->charger()->rebootCount, 0);
}

void TestApiClientWire::httpErrorIsNotOkAndKeepsTheBody()
{
    sim->addFault(SimFault::httpStatus(QStringLiteral("wlan_scan -v"), 404,
                                       QByteArrayLiteral("no such command: wlan_scan")));

    ApiClient api;
    QString response;
    QVERIFY(!api.sendCommand(QStringLiteral("wlan_scan -v"), response, kTimeoutMs));
    QCOMPARE(response, QStringLiteral("no such command: wlan_scan"));
}

void TestApiClientWire::replyBodyBecomesText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("a response string is the text itself")
        << QByteArray(R"({"response":"set ok"})") << QStringLiteral("set ok");
    QTest::newRow("a response array is compact JSON")
        << QByteArray(R"({"response": [1, "a", null]})") << QStringLiteral(R"([1,"a",null])");
    QTest::newRow("a response object is compact JSON")
        << QByteArray(R"({"response": {"ssid": "HomeNet"}})")
        << QStringLiteral(R"({"ssid":"HomeNet"})");
    QTest::newRow("a response true is the word true")
        << QByteArray(R"({"response":true})") << QStringLiteral("true");
    QTest::newRow("a response false is the word false")
        << QByteArray(R"({"response":false})") << QStringLiteral("false");
    QTest::newRow("the number 42 is 42")
        << QByteArray(R"({"response":42})") << QStringLiteral("42");
    QTest::newRow("the number 3.14159265 keeps six significant digits")
        << QByteArray(R"({"response":3.14159265})") << QStringLiteral("3.14159");
    QTest::newRow("a whole number of seven digits is written with an exponent")
        << QByteArray(R"({"response":1234567})") << QStringLiteral("1.23457e+06");
    QTest::newRow("the number 7 is 7") << QByteArray(R"({"response":7})") << QStringLiteral("7");
    QTest::newRow("a negative fraction keeps its sign")
        << QByteArray(R"({"response":-0.5})") << QStringLiteral("-0.5");
    QTest::newRow("a response null is the empty text")
        << QByteArray(R"({"response":null})") << QString();
    QTest::newRow("an object without a response member is the whole object")
        << QByteArray(R"({ "code" : 7 })") << QStringLiteral(R"({"code":7})");
    QTest::newRow("a top-level array is the compact array")
        << QByteArray(R"([ "HomeNet", 3 ])") << QStringLiteral(R"(["HomeNet",3])");
    QTest::newRow("plain text keeps its trailing line break")
        << QByteArray("set ok\n") << QStringLiteral("set ok\n");
    QTest::newRow("plain text keeps its surrounding blanks")
        << QByteArray("  rebooting...  ") << QStringLiteral("  rebooting...  ");
    QTest::newRow("invalid JSON is decoded unchanged")
        << QByteArray(R"({"response": "ok")") << QStringLiteral(R"({"response": "ok")");
    QTest::newRow("a top-level JSON string is decoded unchanged")
        << QByteArray(R"("HomeNet")") << QStringLiteral(R"("HomeNet")");
    QTest::newRow("UTF-8 plain text is decoded")
        << QByteArray("Caf\xC3\xA9 \xCE\xA9") << QStringLiteral("Caf\u00e9 \u03a9");
    QTest::newRow("an empty body is the empty text") << QByteArray() << QString();
}

void TestApiClientWire::replyBodyBecomesText()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);

    sim->addFault(SimFault::replyBody(QStringLiteral("get wlan.ssid"), body,
                                      QByteArrayLiteral("application/json")));
    ApiClient api;
    QString response = QStringLiteral("left over");
    QVERIFY(api.sendCommand(QStringLiteral("get wlan.ssid"), response, kTimeoutMs));
    QCOMPARE(response, text);
    QCOMPARE(api.extractResponse(body), text);
}

void TestApiClientWire::fileListArrivesAsCommandResult_data()
{
    QTest::addColumn<QList<SimFault>>("faults");
    QTest::addColumn<bool>("refusedPort");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("text");

    QTest::newRow("the listing of the charger's files")
        << QList<SimFault>() << false << true
        << QStringLiteral("Directory of /data\n"
                          "      size  name\n"
                          "      4096  ECache_1.bin\n"
                          "      2311  EEvents_2026-03-14.log\n"
                          "2 file(s), 6407 bytes\n");
    QTest::newRow("a listing in a JSON response member")
        << QList<SimFault>{SimFault::replyJson(QStringLiteral("ls -v"),
                                               QStringLiteral("ECache_7.bin"))}
        << false << true << QStringLiteral("ECache_7.bin");
    QTest::newRow("an HTTP error with its body is not ok and keeps the body")
        << QList<SimFault>{SimFault::httpStatus(QStringLiteral("ls"), 500, "flash busy")
                               .byFirstWord()}
        << false << false << QStringLiteral("flash busy");
    QTest::newRow("a refused connection is not ok and has no text")
        << QList<SimFault>() << true << false << QString();
}

void TestApiClientWire::fileListArrivesAsCommandResult()
{
    QFETCH(QList<SimFault>, faults);
    QFETCH(bool, refusedPort);
    QFETCH(bool, ok);
    QFETCH(QString, text);

    for (const SimFault &fault : std::as_const(faults))
        sim->addFault(fault);
    if (refusedPort) {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        QNetworkProxy::setApplicationProxy(
            QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), closedPort));
    }
    ApiClient api;
    QSignalSpy results(&api, &ApiClient::commandResult);
    api.requestFileList();
    QVERIFY(results.wait(kTimeoutMs));

    QCOMPARE(results.size(), 1);
    QCOMPARE(results.at(0).at(0).toString(), QStringLiteral("ls -v"));
    QCOMPARE(results.at(0).at(1).toBool(), ok);
    QCOMPARE(results.at(0).at(2).toString(), text);
    QCOMPARE(sim->commands(), refusedPort ? QStringList() : QStringList{QStringLiteral("ls -v")});
    if (!refusedPort)
        QCOMPARE(relay->requestLines(), QList<QByteArray>{QByteArrayLiteral(
                                            "GET http://setup.zephyl/command/ls%20-v HTTP/1.1")});
}

QTEST_GUILESS_MAIN(TestApiClientWire)
#include "tst_apiclient_wire.moc"
