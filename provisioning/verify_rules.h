#pragma once

#include <QString>
#include <QStringList>

// Credential verification through the charger: security codes, the pre-shared key, the verify
// commands and how their replies are judged.
namespace provisioning {

enum class VerifyOutcome { Passed, BadCredentials, Unsupported, Inconclusive };

// The check before the credentials are written, and the gate before the charger is rebooted.
enum class VerifyStage { BeforeWrite, BeforeReboot };

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

// The class of a verification reply: passed (only when the transport succeeded), then bad
// credentials, then unsupported, else inconclusive. Before the write any "failed" counts as bad
// credentials; at the gate only "authentication failed" does ("failed to connect" says nothing
// about the password there).
VerifyOutcome classifyVerifyReply(bool httpOk, const QString &reply, VerifyStage stage);

// The reboot command words, in the order they are tried.
QStringList rebootWords();

} // namespace provisioning
