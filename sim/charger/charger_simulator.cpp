#include "charger_simulator.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

// Qt HTTP Server parses every request; the simulator answers on the socket itself because some
// answers are late or never come.
class ChargerHttpFrontEnd : public QAbstractHttpServer
{
public:
    explicit ChargerHttpFrontEnd(ChargerSimulator *owner) : owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        owner->handleRequest(request, socket);
        return true;
    }

    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override {}

private:
    ChargerSimulator *owner;
};

namespace {

const QByteArray kPlainText = QByteArrayLiteral("text/plain; charset=utf-8");
const QByteArray kJson = QByteArrayLiteral("application/json");
const QByteArray kCommandPath = QByteArrayLiteral("/command");

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return QByteArrayLiteral("GET");
    case QHttpServerRequest::Method::Put:
        return QByteArrayLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QByteArrayLiteral("DELETE");
    case QHttpServerRequest::Method::Post:
        return QByteArrayLiteral("POST");
    case QHttpServerRequest::Method::Head:
        return QByteArrayLiteral("HEAD");
    case QHttpServerRequest::Method::Options:
        return QByteArrayLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch:
        return QByteArrayLiteral("PATCH");
    case QHttpServerRequest::Method::Connect:
        return QByteArrayLiteral("CONNECT");
    case QHttpServerRequest::Method::Trace:
        return QByteArrayLiteral("TRACE");
    default:
        return QByteArrayLiteral("UNKNOWN");
    }
}

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return QByteArrayLiteral("OK");
    case 400:
        return QByteArrayLiteral("Bad Request");
    case 403:
        return QByteArrayLiteral("Forbidden");
    case 404:
        return QByteArrayLiteral("Not Found");
    case 405:
        return QByteArrayLiteral("Method Not Allowed");
    case 500:
        return QByteArrayLiteral("Internal Server Error");
    case 503:
        return QByteArrayLiteral("Service Unavailable");
    default:
        return status < 400 ? QByteArrayLiteral("OK") : QByteArrayLiteral("Error");
    }
}

QString firstWord(const QString &command)
{
    const QString trimmed = command.trimmed();
    const qsizetype blank = trimmed.indexOf(QLatin1Char(' '));
    return blank < 0 ? trimmed : trimmed.left(blank);
}

QByteArray responseJson(const QJsonValue &response)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("response"), response}})
        .toJson(QJsonDocument::Compact);
}

SimFault faultOf(const QString &command, SimFault::Kind kind, int times)
{
    SimFault fault;
    fault.command = command;
    fault.kind = kind;
    fault.times = times;
    return fault;
}

} // namespace

SimFault SimFault::delay(const QString &command, int delayMs, int times)
{
    SimFault fault = faultOf(command, Kind::Answer, times);
    fault.delayMs = delayMs;
    return fault;
}

SimFault SimFault::hang(const QString &command, int times)
{
    return faultOf(command, Kind::Hang, times);
}

SimFault SimFault::drop(const QString &command, int times)
{
    return faultOf(command, Kind::Drop, times);
}

SimFault SimFault::httpStatus(const QString &command, int status, const QByteArray &body, int times)
{
    SimFault fault = faultOf(command, Kind::Status, times);
    fault.status = status;
    fault.body = body;
    return fault;
}

SimFault SimFault::redirect(const QString &command, int status, const QByteArray &location,
                            const QByteArray &body, int times)
{
    SimFault fault = httpStatus(command, status, body, times);
    fault.location = location;
    return fault;
}

SimFault SimFault::flood(const QString &command, qint64 bytes, int times)
{
    SimFault fault = faultOf(command, Kind::Flood, times);
    fault.floodBytes = bytes;
    return fault;
}

SimFault SimFault::replyText(const QString &command, const QString &text, int times)
{
    return replyBody(command, text.toUtf8(), kPlainText, times);
}

SimFault SimFault::replyJson(const QString &command, const QJsonValue &response, int times)
{
    return replyBody(command, responseJson(response), kJson, times);
}

SimFault SimFault::replyBody(const QString &command, const QByteArray &body,
                             const QByteArray &contentType, int times)
{
    SimFault fault = faultOf(command, Kind::Reply, times);
    fault.body = body;
    fault.contentType = contentType;
    return fault;
}

SimFault SimFault::byFirstWord() const
{
    SimFault fault = *this;
    fault.match = Match::FirstWord;
    return fault;
}

SimFault SimFault::forCharger(const QString &setupSsid) const
{
    SimFault fault = *this;
    fault.charger = setupSsid;
    return fault;
}

SimFault SimFault::after(int delay) const
{
    SimFault fault = *this;
    fault.delayMs = delay;
    return fault;
}

bool SimFault::matches(const QString &text, const QString &chargerSsid) const
{
    if (times == 0)
        return false;
    if (!charger.isEmpty() && charger != chargerSsid)
        return false;
    if (command == QLatin1String("*"))
        return true;
    return match == Match::Exact ? text == command : firstWord(text) == command;
}

ChargerSimulator::ChargerSimulator(QObject *parent)
    : QObject(parent), server(std::make_unique<ChargerHttpFrontEnd>(this))
{
    qRegisterMetaType<SimRequest>();
    chargerList.append(SimCharger::create(QStringLiteral("JuiceNet-1A2B"),
                                          QStringLiteral("ZP2-0001234"),
                                          QStringLiteral("70:b3:d5:12:34:56"),
                                          QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10")));
}

ChargerSimulator::~ChargerSimulator()
{
    // The sockets (and the timers of late answers bound to them) go with the server.
    server.reset();
}

bool ChargerSimulator::listen(const QHostAddress &address, quint16 port)
{
    return server->listen(address, port) != 0;
}

bool ChargerSimulator::isListening() const
{
    const auto servers = server->servers();
    for (const QTcpServer *tcpServer : servers) {
        if (tcpServer->isListening())
            return true;
    }
    return false;
}

quint16 ChargerSimulator::port() const
{
    const auto servers = server->servers();
    return servers.isEmpty() ? 0 : servers.first()->serverPort();
}

QHostAddress ChargerSimulator::address() const
{
    const auto servers = server->servers();
    return servers.isEmpty() ? QHostAddress() : servers.first()->serverAddress();
}

bool ChargerSimulator::loadScenario(const QJsonObject &json, QString *error)
{
    SimScenario scenario;
    if (!SimScenario::fromJson(json, scenario, error))
        return false;
    setScenario(scenario);
    return true;
}

bool ChargerSimulator::loadScenarioFile(const QString &path, QString *error)
{
    SimScenario scenario;
    if (!SimScenario::fromFile(path, scenario, error))
        return false;
    setScenario(scenario);
    return true;
}

void ChargerSimulator::setScenario(const SimScenario &scenario)
{
    chargerList = scenario.chargers;
    faultList = scenario.faults;
}

void ChargerSimulator::setChargers(const QList<SimCharger> &chargers)
{
    chargerList = chargers;
}

QList<SimCharger> ChargerSimulator::chargers() const
{
    return chargerList;
}

SimCharger *ChargerSimulator::charger(const QString &setupSsid)
{
    return const_cast<SimCharger *>(std::as_const(*this).charger(setupSsid));
}

const SimCharger *ChargerSimulator::charger(const QString &setupSsid) const
{
    if (chargerList.isEmpty())
        return nullptr;
    if (setupSsid.isEmpty())
        return &chargerList.first();
    for (const SimCharger &candidate : chargerList) {
        if (candidate.setupSsid == setupSsid)
            return &candidate;
    }
    for (const SimCharger &candidate : chargerList) {
        if (candidate.setupSsid.compare(setupSsid, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

void ChargerSimulator::setActiveChargerSelector(std::function<QString()> chargerSelector)
{
    selector = std::move(chargerSelector);
}

void ChargerSimulator::addFault(const SimFault &fault)
{
    faultList.append(fault);
}

void ChargerSimulator::clearFaults()
{
    faultList.clear();
}

QList<SimFault> ChargerSimulator::faults() const
{
    return faultList;
}

QList<SimRequest> ChargerSimulator::journal() const
{
    return requests;
}

void ChargerSimulator::clearJournal()
{
    requests.clear();
}

QStringList ChargerSimulator::commands() const
{
    QStringList list;
    for (const SimRequest &request : requests)
        list.append(request.command);
    return list;
}

void ChargerSimulator::closeConnections()
{
    const auto servers = server->servers();
    for (QTcpServer *tcpServer : servers) {
        const auto sockets = tcpServer->findChildren<QTcpSocket *>();
        for (QTcpSocket *socket : sockets)
            socket->abort();
    }
}

SimCharger *ChargerSimulator::activeCharger()
{
    if (!selector)
        return charger();
    const QString ssid = selector();
    return ssid.isEmpty() ? nullptr : charger(ssid);
}

bool ChargerSimulator::takeFault(const QString &command, const QString &chargerSsid,
                                 SimFault &fault)
{
    for (qsizetype i = 0; i < faultList.size(); ++i) {
        SimFault &candidate = faultList[i];
        if (!candidate.matches(command, chargerSsid))
            continue;
        fault = candidate;
        if (candidate.times > 0 && --candidate.times == 0)
            faultList.removeAt(i);
        return true;
    }
    return false;
}

void ChargerSimulator::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    const QUrl url = request.url();
    SimRequest entry;
    entry.method = methodName(request.method());
    entry.host = request.value(QByteArrayLiteral("host"));
    entry.path = url.path(QUrl::FullyEncoded).toLatin1();
    entry.body = request.body();

    // Find the command: in the path for GET, in the JSON body for POST.
    int badStatus = 0;
    QString badText;
    const QByteArray commandPrefix = kCommandPath + '/';
    if (entry.method == "GET" && entry.path.startsWith(commandPrefix)) {
        entry.command = QString::fromUtf8(
            QByteArray::fromPercentEncoding(entry.path.mid(commandPrefix.size())));
        if (entry.command.isEmpty()) {
            badStatus = 400;
            badText = QStringLiteral("ERR: missing command");
        }
    } else if (entry.method == "POST" &&
               (entry.path == kCommandPath || entry.path == commandPrefix)) {
        const QJsonDocument document = QJsonDocument::fromJson(entry.body);
        const QJsonValue command = document.object().value(QStringLiteral("command"));
        if (!document.isObject() || !command.isString() || command.toString().isEmpty()) {
            badStatus = 400;
            badText = QStringLiteral("ERR: body must be {\"command\":\"...\",\"flags\":0}");
        } else {
            entry.command = command.toString();
        }
    } else {
        badStatus = 404;
        badText = QStringLiteral("ERR: no such resource");
    }

    SimCharger *target = activeCharger();
    if (target)
        entry.charger = target->setupSsid;
    requests.append(entry);
    emit requestReceived(entry);

    // No charger on the network the laptop is joined to: nobody answers.
    if (!target) {
        dropConnection(socket, 0);
        return;
    }
    if (badStatus != 0) {
        reply(socket, badStatus, kPlainText, badText.toUtf8(), 0);
        return;
    }

    SimFault fault;
    if (!takeFault(entry.command, target->setupSsid, fault))
        fault.kind = SimFault::Kind::Answer;

    switch (fault.kind) {
    case SimFault::Kind::Hang:
        return;
    case SimFault::Kind::Drop:
        dropConnection(socket, fault.delayMs);
        return;
    case SimFault::Kind::Status:
        reply(socket, fault.status, fault.contentType, fault.body, fault.delayMs, fault.location);
        return;
    case SimFault::Kind::Flood:
        flood(socket, fault.floodBytes);
        return;
    case SimFault::Kind::Reply:
        reply(socket, 200, fault.contentType, fault.body, fault.delayMs);
        return;
    case SimFault::Kind::Answer:
        break;
    }

    // The charger acts at once, even when its answer is late.
    const QString text = target->execute(entry.command);
    if (target->replyStyle == SimReplyStyle::Json)
        reply(socket, 200, kJson, responseJson(text), fault.delayMs);
    else
        reply(socket, 200, kPlainText, text.toUtf8(), fault.delayMs);
}

void ChargerSimulator::reply(QTcpSocket *socket, int status, const QByteArray &contentType,
                             const QByteArray &body, int delayMs, const QByteArray &location)
{
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                          (location.isEmpty() ? QByteArray() : "\r\nLocation: " + location) +
                          "\r\nContent-Type: " + contentType +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
                          body;
    auto send = [socket, response] {
        if (socket->state() == QAbstractSocket::ConnectedState)
            socket->write(response);
    };
    if (delayMs > 0)
        QTimer::singleShot(delayMs, socket, send);
    else
        send();
}

void ChargerSimulator::flood(QTcpSocket *socket, qint64 bytes)
{
    // Written a chunk at a time as the client takes them, so the simulator never holds the body.
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                  QByteArray::number(bytes) + "\r\n\r\n");
    auto left = std::make_shared<qint64>(bytes);
    auto more = [socket, left]() {
        const QByteArray chunk(qMin<qint64>(*left, 64 * 1024), 'x');
        if (socket->bytesToWrite() > 0 || chunk.isEmpty())
            return;
        *left -= chunk.size();
        socket->write(chunk);
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, more);
    more();
}

void ChargerSimulator::dropConnection(QTcpSocket *socket, int delayMs)
{
    // Never close the socket inside the server's read handler: it still uses the request.
    QTimer::singleShot(qMax(delayMs, 0), socket, [socket] { socket->disconnectFromHost(); });
}

namespace chargersim {

QString connectedSsidFromNetshState(const QString &statePath)
{
    QFile file(statePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QJsonArray interfaces = QJsonDocument::fromJson(file.readAll())
                                      .object()
                                      .value(QStringLiteral("interfaces"))
                                      .toArray();
    for (const QJsonValue &item : interfaces) {
        const QString ssid = item.toObject().value(QStringLiteral("connectedSsid")).toString();
        if (!ssid.isEmpty())
            return ssid;
    }
    return QString();
}

} // namespace chargersim
