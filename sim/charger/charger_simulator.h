#pragma once

#include "sim_charger.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QHttpServerRequest;
class QTcpSocket;
class ChargerHttpFrontEnd;

// A scripted misbehaviour for the commands it matches.
struct SimFault
{
    enum class Kind {
        Answer, // the normal answer, after delayMs
        Hang,   // never answer; the connection stays open
        Drop,   // close the connection without a reply, after delayMs
        Status, // answer `status` with `body`, after delayMs
        Reply,  // answer 200 with `body` in place of the normal answer, after delayMs
        Flood,  // answer 200 with `floodBytes` bytes of "x", written as the client reads them
    };
    enum class Match {
        Exact,     // the whole decoded command equals `command`
        FirstWord, // the first word of the command equals `command`
    };

    // "*" matches every command.
    QString command;
    Match match = Match::Exact;
    Kind kind = Kind::Answer;
    int delayMs = 0;
    int status = 200;
    QByteArray body;
    QByteArray contentType = QByteArrayLiteral("text/plain; charset=utf-8");
    // A Location header for Status answers (a redirect); empty for none.
    QByteArray location;
    qint64 floodBytes = 0;
    // How many more matching requests the fault takes; -1 is every one.
    int times = -1;
    // Setup SSID of the charger it applies to; empty is every charger.
    QString charger;

    static SimFault delay(const QString &command, int delayMs, int times = -1);
    static SimFault hang(const QString &command, int times = -1);
    static SimFault drop(const QString &command, int times = -1);
    static SimFault httpStatus(const QString &command, int status, const QByteArray &body,
                               int times = -1);
    // 200 with a plain-text body.
    static SimFault replyText(const QString &command, const QString &text, int times = -1);
    // 200 with the body {"response": <response>}.
    static SimFault replyJson(const QString &command, const QJsonValue &response, int times = -1);
    // 200 with exactly these body bytes.
    static SimFault replyBody(const QString &command, const QByteArray &body,
                              const QByteArray &contentType, int times = -1);

    // `status` (301, 302, 307, 308 ...) with a Location header and `body`.
    static SimFault redirect(const QString &command, int status, const QByteArray &location,
                             const QByteArray &body, int times = -1);
    static SimFault flood(const QString &command, qint64 bytes, int times = -1);

    SimFault byFirstWord() const;
    SimFault forCharger(const QString &setupSsid) const;
    SimFault after(int delayMs) const;

    bool matches(const QString &command, const QString &chargerSsid) const;
};

// One request as the simulator received it. The exact request line is a relay's business (Qt
// HTTP Server hands over a parsed URL); here the path is as Qt kept it, fully encoded.
struct SimRequest
{
    QByteArray method; // "GET", "POST", ...
    QByteArray path;   // "/command/ls%20-v", also for an absolute-form (proxied) request
    QByteArray host;   // the Host header: "setup.zephyl" when proxied, "127.0.0.1:<port>" when not
    QString command;   // the decoded command ("ls -v"); empty when none could be read
    QByteArray body;   // the request body bytes
    QString charger;   // setup SSID of the charger that took it; empty when none was reachable
};

// A charger scenario: the chargers and the faults, as loaded from a scenario JSON file.
struct SimScenario
{
    QList<SimCharger> chargers;
    QList<SimFault> faults;

    static bool fromJson(const QJsonObject &json, SimScenario &scenario, QString *error = nullptr);
    static bool fromFile(const QString &path, SimScenario &scenario, QString *error = nullptr);
};

// A stand-in for the charger's HTTP command interface at http://setup.zephyl/command. It takes
// "GET /command/<percent-encoded command>", "POST /command" with {"command":"...","flags":0},
// and the absolute-form requests that arrive when it is the application's HTTP proxy.
class ChargerSimulator : public QObject
{
    Q_OBJECT

public:
    // Starts with one charger, "JuiceNet-1A2B", that sees no networks and holds no files.
    explicit ChargerSimulator(QObject *parent = nullptr);
    ~ChargerSimulator() override;

    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    bool isListening() const;
    quint16 port() const;
    QHostAddress address() const;

    bool loadScenario(const QJsonObject &json, QString *error = nullptr);
    bool loadScenarioFile(const QString &path, QString *error = nullptr);
    void setScenario(const SimScenario &scenario);
    void setChargers(const QList<SimCharger> &chargers);
    QList<SimCharger> chargers() const;
    // The charger with this setup SSID; an empty SSID names the first charger. Null when absent.
    SimCharger *charger(const QString &setupSsid = QString());
    const SimCharger *charger(const QString &setupSsid = QString()) const;

    // Returns the setup SSID the laptop is joined to; only the charger with that SSID answers,
    // and with no such charger the connection is closed unanswered. Unset: the first charger.
    void setActiveChargerSelector(std::function<QString()> selector);

    void addFault(const SimFault &fault);
    void clearFaults();
    QList<SimFault> faults() const;

    QList<SimRequest> journal() const;
    void clearJournal();
    // The decoded commands of the journal, in order.
    QStringList commands() const;

    // Closes every open client connection, hanging ones included.
    void closeConnections();

signals:
    void requestReceived(const SimRequest &request);

private:
    friend class ChargerHttpFrontEnd;

    void handleRequest(const QHttpServerRequest &request, QTcpSocket *socket);
    SimCharger *activeCharger();
    bool takeFault(const QString &command, const QString &chargerSsid, SimFault &fault);
    void reply(QTcpSocket *socket, int status, const QByteArray &contentType,
               const QByteArray &body, int delayMs, const QByteArray &location = QByteArray());
    void flood(QTcpSocket *socket, qint64 bytes);
    void dropConnection(QTcpSocket *socket, int delayMs);

    std::unique_ptr<ChargerHttpFrontEnd> server;
    QList<SimCharger> chargerList;
    QList<SimFault> faultList;
    QList<SimRequest> requests;
    std::function<QString()> selector;
};

namespace chargersim {

// The setup SSID the netsh stand-in's laptop is joined to, read from its state file: the
// "connectedSsid" of the first interface that has one; empty when none has or the file is
// unreadable. A selector for setActiveChargerSelector.
QString connectedSsidFromNetshState(const QString &statePath);

} // namespace chargersim

Q_DECLARE_METATYPE(SimRequest)
Q_DECLARE_METATYPE(SimFault)
