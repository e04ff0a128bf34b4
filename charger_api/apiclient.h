#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

class QNetworkReply;

// The one channel to the charger: text commands over HTTP at its fixed setup host name.
class ApiClient : public QObject
{
    Q_OBJECT

public:
    explicit ApiClient(QObject *parent = nullptr);

    bool sendCommand(const QString &command, QString &response, int timeoutMs);
    bool postCommand(const QString &command, QString &response, int timeoutMs, int flags);
    void requestFileList();
    QString extractResponse(const QByteArray &body);

signals:
    void commandResult(QString command, bool ok, QString response);

private:
    bool waitForReply(QNetworkReply *reply, QString &response, int timeoutMs);

    QString baseUrl;
    QNetworkAccessManager networkManager;
};
