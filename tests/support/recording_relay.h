#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QObject>
#include <QPair>
#include <QTcpServer>

namespace testsupport {

// One HTTP request as the client put it on the wire, cut out of a connection's bytes.
struct RecordedRequest
{
    int connection = 0;     // index into RecordingRelay::connectionBytes()
    QByteArray requestLine; // "GET http://setup.zephyl/command/ls%20-v HTTP/1.1"
    QByteArray method;      // "GET"
    QByteArray target;      // "http://setup.zephyl/command/ls%20-v"
    QList<QPair<QByteArray, QByteArray>> headers; // in order, names as sent
    QByteArray body; // Content-Length bytes (fewer when the connection ended early)

    // The first header of that name, compared without regard to case; empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
};

// A TCP relay on 127.0.0.1 that passes every connection byte for byte to a target and records
// what the client sent. Set as the application's HTTP proxy in front of the charger simulator it
// shows the exact request lines the product sends to the charger's real host name.
class RecordingRelay : public QObject
{
    Q_OBJECT

public:
    // Listens at once on 127.0.0.1 with a free port.
    explicit RecordingRelay(QObject *parent = nullptr);
    RecordingRelay(const QHostAddress &targetHost, quint16 targetPort, QObject *parent = nullptr);
    ~RecordingRelay() override;

    // Where new connections go; connections that are already open keep their target.
    void setTarget(const QHostAddress &host, quint16 port);

    bool isListening() const;
    quint16 port() const;
    // QNetworkProxy(HttpProxy, "127.0.0.1", port()), for QNetworkProxy::setApplicationProxy.
    QNetworkProxy proxy() const;

    // Everything the clients sent, connection after connection, in the order they were opened.
    QByteArray rawBytes() const;
    QList<QByteArray> connectionBytes() const;
    int connectionCount() const;

    QList<RecordedRequest> requests() const;
    QList<QByteArray> requestLines() const;

    // Forgets what was recorded; open connections go on relaying and recording.
    void clear();

signals:
    // The client of some connection sent more bytes (already recorded when this is emitted).
    void clientBytesRecorded();

private:
    void onNewConnection();
    void record(int connectionId, const QByteArray &bytes);

    struct Recording
    {
        int connectionId = 0;
        QByteArray bytes;
    };

    QTcpServer server;
    QHostAddress targetHost;
    quint16 targetPort = 0;
    int nextConnectionId = 0;
    QList<Recording> recordings;
};

// Splits one connection's client bytes into HTTP requests (head up to the blank line, then a body
// of Content-Length bytes).
QList<RecordedRequest> parseHttpRequests(const QByteArray &bytes, int connection = 0);

} // namespace testsupport
