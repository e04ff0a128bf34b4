#include "charger_api/apiclient.h"

#include "charger_api/reply_rules.h"
#include "common/local_wait.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <memory>

namespace {

// Small enough that a flood is never held whole by the network stack before it is judged.
constexpr qint64 readBufferBytes = 64 * 1024;

} // namespace

ApiClient::ApiClient(QObject *parent)
    : QObject(parent), baseUrl(QStringLiteral("http://setup.zephyl/command"))
{
    // A charger that answers with a redirect must not get a command (a password) re-sent to a
    // host of its choosing.
    networkManager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QNetworkReply *ApiClient::get(const QString &encodedCommand)
{
    const QUrl url(baseUrl + QLatin1Char('/') + encodedCommand, QUrl::TolerantMode);
    QNetworkReply *reply = networkManager.get(QNetworkRequest(url));
    reply->setReadBufferSize(readBufferBytes);
    return reply;
}

void ApiClient::setInterruption(const common::Interruption *stop)
{
    interruption = stop;
}

bool ApiClient::interrupted() const
{
    return interruption && interruption->isRaised();
}

bool ApiClient::sendCommand(const QString &command, QString &response, int timeoutMs)
{
    if (interrupted()) {
        response.clear();
        return false;
    }
    return waitForReply(get(QString::fromLatin1(charger_api::percentEncodeCommand(command))),
                        command, response, timeoutMs);
}

bool ApiClient::postCommand(const QString &command, QString &response, int timeoutMs, int flags)
{
    if (interrupted()) {
        response.clear();
        return false;
    }
    QNetworkRequest request(QUrl(baseUrl, QUrl::TolerantMode));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply *reply = networkManager.post(request, charger_api::postBody(command, flags));
    reply->setReadBufferSize(readBufferBytes);
    return waitForReply(reply, command, response, timeoutMs);
}

void ApiClient::requestFileList()
{
    if (interrupted())
        return;
    const QString command = charger_api::fileListCommand();
    QNetworkReply *reply = get(QString::fromLatin1(charger_api::percentEncodeCommand(command)));
    auto body = std::make_shared<QByteArray>();
    auto tooLarge = std::make_shared<bool>(false);
    collectBody(reply, command, *body, *tooLarge);
    connect(reply, &QNetworkReply::finished, this, [this, reply, command, body, tooLarge]() {
        const bool ok = !*tooLarge && reply->error() == QNetworkReply::NoError;
        if (!*tooLarge)
            body->append(reply->readAll());
        emit commandResult(command, ok, extractResponse(*tooLarge ? QByteArray() : *body));
        reply->deleteLater();
    });
}

QString ApiClient::extractResponse(const QByteArray &body)
{
    return charger_api::replyTextFromBody(body);
}

void ApiClient::collectBody(QNetworkReply *reply, const QString &command, QByteArray &body,
                            bool &tooLarge)
{
    // The references outlive the reply's signals: the synchronous caller waits for the reply,
    // and the listing keeps them in shared pointers held by its finished handler.
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, command, &body, &tooLarge]() {
        if (tooLarge)
            return;
        body.append(reply->readAll());
        if (body.size() > charger_api::maxReplyBytes) {
            tooLarge = true;
            body.clear();
            emit replyTooLarge(command);
            reply->abort();
        }
    });
}

bool ApiClient::waitForReply(QNetworkReply *reply, const QString &command, QString &response,
                             int timeoutMs)
{
    QByteArray body;
    bool tooLarge = false;
    collectBody(reply, command, body, tooLarge);

    // The reply may already be finished (a refused connection can fail at once).
    if (!reply->isFinished()) {
        common::waitLocally(timeoutMs, interruption, [reply](QEventLoop &loop) {
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        });
    }

    // Not finished means the time-out fired or the loop was ended from outside (the
    // application is quitting); either way the exchange did not succeed.
    if (!reply->isFinished())
        reply->abort();
    const bool ok = !tooLarge && reply->isFinished() && reply->error() == QNetworkReply::NoError;
    // An aborted reply is closed and holds nothing more to read.
    if (!tooLarge && reply->isOpen())
        body.append(reply->readAll());
    reply->disconnect(this);
    response = extractResponse(tooLarge ? QByteArray() : body);
    reply->deleteLater();
    return ok;
}
