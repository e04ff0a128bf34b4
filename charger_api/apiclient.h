#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

class QNetworkReply;

namespace common {
class Interruption;
}

// The one channel to the charger: text commands over HTTP at its fixed setup host name. It never
// follows a redirect (a 3xx answer is the answer) and reads at most maxReplyBytes of a reply.
class ApiClient : public QObject
{
    Q_OBJECT

public:
    explicit ApiClient(QObject *parent = nullptr);

    bool sendCommand(const QString &command, QString &response, int timeoutMs);
    bool postCommand(const QString &command, QString &response, int timeoutMs, int flags);
    void requestFileList();
    QString extractResponse(const QByteArray &body);
    // While `stop` is raised nothing is sent (the exchange fails at once), and raising it ends
    // the exchange in flight as a time-out does.
    void setInterruption(const common::Interruption *stop);

signals:
    void commandResult(QString command, bool ok, QString response);
    // A reply grew past the size limit; its exchange was aborted and counts as failed.
    void replyTooLarge(QString command);

private:
    QNetworkReply *get(const QString &encodedCommand);
    // Reads the body as it arrives into `body`; past the limit the reply is aborted, `tooLarge`
    // is set and replyTooLarge is emitted.
    void collectBody(QNetworkReply *reply, const QString &command, QByteArray &body,
                     bool &tooLarge);
    bool waitForReply(QNetworkReply *reply, const QString &command, QString &response,
                      int timeoutMs);

    bool interrupted() const;

    QString baseUrl;
    QNetworkAccessManager networkManager;
    const common::Interruption *interruption = nullptr;
};
