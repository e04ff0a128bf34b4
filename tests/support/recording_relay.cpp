#include "recording_relay.h"

#include <QPointer>
#include <QTcpSocket>

#include <algorithm>
#include <memory>

namespace testsupport {

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return entry.second;
    }
    return QByteArray();
}

bool RecordedRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &entry : headers) {
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QList<RecordedRequest> parseHttpRequests(const QByteArray &bytes, int connection)
{
    QList<RecordedRequest> parsed;
    qsizetype position = 0;
    while (position < bytes.size()) {
        const qsizetype headEnd = bytes.indexOf("\r\n\r\n", position);
        if (headEnd < 0)
            break;
        const QList<QByteArray> lines = bytes.mid(position, headEnd - position).split('\n');
        RecordedRequest request;
        request.connection = connection;
        request.requestLine = lines.first();
        if (request.requestLine.endsWith('\r'))
            request.requestLine.chop(1);
        const QList<QByteArray> parts = request.requestLine.split(' ');
        request.method = parts.value(0);
        request.target = parts.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            QByteArray line = lines.at(i);
            if (line.endsWith('\r'))
                line.chop(1);
            const qsizetype colon = line.indexOf(':');
            if (colon > 0)
                request.headers.append({line.left(colon), line.mid(colon + 1).trimmed()});
        }
        const qsizetype bodyStart = headEnd + 4;
        const qsizetype length = request.header(QByteArrayLiteral("Content-Length")).toLongLong();
        request.body = bytes.mid(bodyStart, length);
        parsed.append(request);
        position = bodyStart + length;
    }
    return parsed;
}

RecordingRelay::RecordingRelay(QObject *parent) : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &RecordingRelay::onNewConnection);
    server.listen(QHostAddress::LocalHost, 0);
}

RecordingRelay::RecordingRelay(const QHostAddress &host, quint16 port, QObject *parent)
    : RecordingRelay(parent)
{
    setTarget(host, port);
}

RecordingRelay::~RecordingRelay()
{
    // The sockets die with the server member, after this object stopped being a relay.
    const auto sockets = server.findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets)
        socket->disconnect(this);
}

void RecordingRelay::setTarget(const QHostAddress &host, quint16 port)
{
    targetHost = host;
    targetPort = port;
}

bool RecordingRelay::isListening() const
{
    return server.isListening();
}

quint16 RecordingRelay::port() const
{
    return server.serverPort();
}

QNetworkProxy RecordingRelay::proxy() const
{
    return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port());
}

void RecordingRelay::onNewConnection()
{
    while (QTcpSocket *client = server.nextPendingConnection()) {
        const int id = nextConnectionId++;
        auto *upstream = new QTcpSocket(client);
        // What the client sends before the target has accepted waits here.
        auto pending = std::make_shared<QByteArray>();

        connect(client, &QTcpSocket::readyRead, this, [this, id, client, upstream, pending] {
            const QByteArray bytes = client->readAll();
            record(id, bytes);
            if (upstream->state() == QAbstractSocket::ConnectedState)
                upstream->write(bytes);
            else
                pending->append(bytes);
        });
        connect(upstream, &QTcpSocket::connected, this, [upstream, pending] {
            upstream->write(*pending);
            pending->clear();
        });
        // The upstream socket is the client's child, so it may outlive the client only while
        // the client is being destroyed.
        const QPointer<QTcpSocket> guardedClient(client);
        connect(upstream, &QTcpSocket::readyRead, this, [guardedClient, upstream] {
            if (guardedClient)
                guardedClient->write(upstream->readAll());
        });
        // Either side closing closes the other once what it already sent has gone through.
        connect(upstream, &QTcpSocket::disconnected, this, [guardedClient, upstream] {
            if (!guardedClient)
                return;
            guardedClient->write(upstream->readAll());
            guardedClient->disconnectFromHost();
        });
        // A target that refuses the connection closes the client's connection unanswered.
        connect(upstream, &QTcpSocket::errorOccurred, this,
                [guardedClient](QAbstractSocket::SocketError error) {
                    if (guardedClient && error != QAbstractSocket::RemoteHostClosedError)
                        guardedClient->disconnectFromHost();
                });
        connect(client, &QTcpSocket::disconnected, this, [client, upstream] {
            upstream->disconnectFromHost();
            client->deleteLater();
        });

        upstream->connectToHost(targetHost, targetPort);
    }
}

void RecordingRelay::record(int connectionId, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    auto it =
        std::find_if(recordings.begin(), recordings.end(),
                     [connectionId](const Recording &r) { return r.connectionId == connectionId; });
    if (it == recordings.end())
        recordings.append({connectionId, bytes});
    else
        it->bytes += bytes;
    emit clientBytesRecorded();
}

QByteArray RecordingRelay::rawBytes() const
{
    QByteArray all;
    for (const Recording &recording : recordings)
        all += recording.bytes;
    return all;
}

QList<QByteArray> RecordingRelay::connectionBytes() const
{
    QList<QByteArray> list;
    for (const Recording &recording : recordings)
        list.append(recording.bytes);
    return list;
}

int RecordingRelay::connectionCount() const
{
    return int(recordings.size());
}

QList<RecordedRequest> RecordingRelay::requests() const
{
    QList<RecordedRequest> all;
    for (qsizetype i = 0; i < recordings.size(); ++i)
        all += parseHttpRequests(recordings.at(i).bytes, int(i));
    return all;
}

QList<QByteArray> RecordingRelay::requestLines() const
{
    QList<QByteArray> lines;
    const QList<RecordedRequest> all = requests();
    for (const RecordedRequest &request : all)
        lines.append(request.requestLine);
    return lines;
}

void RecordingRelay::clear()
{
    recordings.clear();
}

} // namespace testsupport
