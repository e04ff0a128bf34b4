#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How the charger's reply texts are judged, and how commands travel on the wire.
namespace charger_api {

// The reply text as the rules see it: trimmed and lower-cased.
QString normalizedReply(const QString &reply);

bool runCommandAccepted(bool httpOk, const QString &reply);
bool rebootCommandAccepted(bool httpOk, const QString &reply);
bool setValueAccepted(bool httpOk, const QString &reply);

// A "get" reply as a value: trimmed, and one pair of enclosing double quotes removed.
QString settingValueFromReply(const QString &reply);
bool isSecretKey(const QString &key);

// "set %1 "%2"" with both placeholders filled in one pass.
QString setCommand(const QString &key, const QString &value);

// The command's UTF-8 bytes with every byte outside A-Z a-z 0-9 - . _ ~ written as %XX.
QByteArray percentEncodeCommand(const QString &command);
// {"command":"...","flags":N}, compact.
QByteArray postBody(const QString &command, int flags);
// The reply text for a body: JSON "response" members and documents converted, anything else
// decoded as UTF-8 unchanged. Invalid UTF-8 and lone surrogate escapes become U+FFFD.
QString replyTextFromBody(const QByteArray &body);

QString boolDigit(bool value);

// The charger's file listing command, also what the asynchronous listing reports itself as.
QString fileListCommand();

// What a reply larger than this is cut off at; no real reply comes near it.
constexpr qint64 maxReplyBytes = 1024 * 1024;

} // namespace charger_api
