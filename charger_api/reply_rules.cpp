#include "charger_api/reply_rules.h"

#include "common/safe_text.h"
#include "common/word_rules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace charger_api {

QString normalizedReply(const QString &reply)
{
    return reply.trimmed().toLower();
}

namespace {

// A charger that does not know a command often echoes it ("Unknown command: reboot"), so the
// echo must not pass for acceptance.
const QStringList &refusalWords()
{
    static const QStringList words = {QStringLiteral("too few args"), QStringLiteral("usage"),
                                      QStringLiteral("unknown")};
    return words;
}

} // namespace

bool runCommandAccepted(bool httpOk, const QString &reply)
{
    static const QStringList positive = {QStringLiteral("ok"), QStringLiteral("success")};
    const QString lowered = normalizedReply(reply);
    return httpOk && common::containsAnyPositiveWord(lowered, positive) &&
           !common::containsAnyWord(lowered, refusalWords());
}

bool rebootCommandAccepted(bool httpOk, const QString &reply)
{
    static const QStringList positive = {QStringLiteral("ok"), QStringLiteral("success"),
                                         QStringLiteral("reboot")};
    const QString lowered = normalizedReply(reply);
    return httpOk && common::containsAnyPositiveWord(lowered, positive) &&
           !common::containsAnyWord(lowered, refusalWords());
}

bool setValueAccepted(bool httpOk, const QString &reply)
{
    const QString lowered = normalizedReply(reply);
    return httpOk && (common::containsPositiveWord(lowered, QStringLiteral("set ok")) ||
                      lowered == QLatin1String("ok") ||
                      common::containsPositiveWord(lowered, QStringLiteral("success")));
}

QString settingValueFromReply(const QString &reply)
{
    QString value = reply.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool isSecretKey(const QString &key)
{
    return key.contains(QLatin1String("passkey"), Qt::CaseInsensitive);
}

QString setCommand(const QString &key, const QString &value)
{
    return QStringLiteral("set %1 \"%2\"").arg(key, value);
}

QByteArray percentEncodeCommand(const QString &command)
{
    // QByteArray::toPercentEncoding keeps exactly the unreserved set and writes upper-case hex.
    return command.toUtf8().toPercentEncoding();
}

QByteArray postBody(const QString &command, int flags)
{
    QJsonObject body;
    body.insert(QStringLiteral("command"), command);
    body.insert(QStringLiteral("flags"), flags);
    // QJsonObject orders its members by key, which happens to be "command", "flags".
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

namespace {

QString decodedReplyText(const QByteArray &body)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || document.isNull())
        return QString::fromUtf8(body);
    if (document.isArray())
        return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
    const QJsonObject object = document.object();
    if (!object.contains(QLatin1String("response")))
        return QString::fromUtf8(document.toJson(QJsonDocument::Compact));

    const QJsonValue response = object.value(QLatin1String("response"));
    switch (response.type()) {
    case QJsonValue::String:
        return response.toString();
    case QJsonValue::Array:
        return QString::fromUtf8(QJsonDocument(response.toArray()).toJson(QJsonDocument::Compact));
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(response.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Bool:
        return response.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(response.toDouble(), 'g', 6);
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QString();
    }
    return QString();
}

} // namespace

QString replyTextFromBody(const QByteArray &body)
{
    return common::withoutLoneSurrogates(decodedReplyText(body));
}

QString boolDigit(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString fileListCommand()
{
    return QStringLiteral("ls -v");
}

} // namespace charger_api
