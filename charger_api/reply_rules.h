#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// How the charger's reply texts are judged, and how commands travel on the wire.
namespace charger_api {

// A positive word counts only where no ASCII letter or digit stands right before it; a word that
// ends in "ok" also needs none right after it ("token", "broken" and "okay" are not "ok").
// `lowered` must already be lower-case.
bool containsPositiveWord(const QString &lowered, const QString &word);
bool containsAnyPositiveWord(const QString &lowered, const QStringList &words);
// Negative words are plain substrings of the lowered text.
bool containsAnyWord(const QString &lowered, const QStringList &words);

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
// decoded as UTF-8 unchanged.
QString replyTextFromBody(const QByteArray &body);

QString boolDigit(bool value);

} // namespace charger_api
