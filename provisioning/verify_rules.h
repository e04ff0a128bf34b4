#pragma once

#include <QString>
#include <QStringList>

// Credential verification through the charger: security codes, the pre-shared key, the verify
// commands and how their replies are judged.
namespace provisioning {

enum class VerifyOutcome { Passed, BadCredentials, Unsupported, Inconclusive };

// The charger's code for a scan row's security word; -1 when the word is not known.
int securityTypeCode(const QString &securityWord);

// WPA pre-shared key: PBKDF2-HMAC-SHA1 over the password (as typed) salted with the SSID,
// 4096 iterations, 32 bytes, as 64 lower-case hex digits.
QString deriveWpaPsk(const QString &password, const QString &ssid);

// "network_verify wifi <ssid> <bssid> <channel> <code> <key>".
QString verifyCommand(const QString &ssid, const QString &bssid, const QString &channel, int code,
                      const QString &key);
// "network_verify wifi <ssid> <bssid> <channel>".
QString shortVerifyCommand(const QString &ssid, const QString &bssid, const QString &channel);

// The command as it may be logged: the derived key replaced by "[REDACTED]".
QString loggableCommand(const QString &command, const QString &key);

// Reply classes before the write ("failed" counts as bad credentials) ...
VerifyOutcome classifyVerifyReply(bool httpOk, const QString &reply);
// ... and at the gate before the reboot ("authentication failed" does, "failed" alone does not).
VerifyOutcome classifyGateReply(bool httpOk, const QString &reply);

// The reboot command words, in the order they are tried.
QStringList rebootWords();

} // namespace provisioning
