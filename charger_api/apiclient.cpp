#include "charger_api/apiclient.h"

#include "charger_api/reply_rules.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

ApiClient::ApiClient(QObject *parent)
    : QObject(parent), baseUrl(QStringLiteral("http://setup.zephyl/command"))
{}

bool ApiClient::sendCommand(const QString &command, QString &response, int timeoutMs)
{
    const QString encoded = QString::fromLatin1(charger_api::percentEncodeCommand(command));
    const QUrl url(baseUrl + QLatin1Char('/') + encoded, QUrl::TolerantMode);
    return waitForReply(networkManager.get(QNetworkRequest(url)), response, timeoutMs);
}

bool ApiClient::postCommand(const QString &command, QString &response, int timeoutMs, int flags)
{
    QNetworkRequest request(QUrl(baseUrl, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    return waitForReply(networkManager.post(request, charger_api::postBody(command, flags)),
                        response, timeoutMs);
}

void ApiClient::requestFileList()
{
    const QUrl url(baseUrl + QStringLiteral("/ls%20-v"), QUrl::TolerantMode);
    QNetworkReply *reply = networkManager.get(QNetworkRequest(url));
    connect(reply, &QNetworkReply::finished, this, [this, reply]() {
        const QString text = extractResponse(reply->readAll());
        const bool ok = reply->error() == QNetworkReply::NoError;
        emit commandResult(QStringLiteral("ls -v"), ok, text);
        reply->deleteLater();
    });
}

QString ApiClient::extractResponse(const QByteArray &body)
{
    return charger_api::replyTextFromBody(body);
}

bool ApiClient::waitForReply(QNetworkReply *reply, QString &response, int timeoutMs)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    // The reply may already be finished (a refused connection can fail at once).
    if (!reply->isFinished())
        loop.exec();

    // Not finished means the time-out fired or the loop was ended from outside (the
    // application is quitting); either way the exchange did not succeed.
    if (!reply->isFinished())
        reply->abort();
    const bool ok = reply->isFinished() && reply->error() == QNetworkReply::NoError;
    // An aborted reply is closed and holds nothing more to read.
    response = extractResponse(reply->isOpen() ? reply->readAll() : QByteArray());
    reply->deleteLater();
    return ok;
}
