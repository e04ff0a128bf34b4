#include "provisioning/verify_rules.h"

#include "charger_api/reply_rules.h"
#include "common/word_rules.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>

namespace provisioning {

namespace {

const QStringList &passedWords()
{
    static const QStringList words = {QStringLiteral("success"), QStringLiteral("ok"),
                                      QStringLiteral("verified")};
    return words;
}

const QStringList &unsupportedWords()
{
    static const QStringList words = {QStringLiteral("unknown"), QStringLiteral("usage"),
                                      QStringLiteral("too few args"),
                                      QStringLiteral("not supported")};
    return words;
}

QStringList badCredentialWords(VerifyStage stage)
{
    return {QStringLiteral("wrong password"),
            QStringLiteral("invalid password"),
            QStringLiteral("invalid passphrase"),
            stage == VerifyStage::BeforeWrite ? QStringLiteral("failed")
                                              : QStringLiteral("authentication failed"),
            QStringLiteral("auth fail"),
            QStringLiteral("access denied"),
            QStringLiteral("rejected")};
}

} // namespace

int securityTypeCode(const QString &securityWord)
{
    const QString word = securityWord.trimmed().toLower();
    if (word == QLatin1String("open"))
        return 0;
    if (word == QLatin1String("wep"))
        return 1;
    if (word == QLatin1String("wpa-aes"))
        return 2;
    if (word == QLatin1String("wpa-tkip"))
        return 3;
    if (word == QLatin1String("wpa2-aes"))
        return 4;
    if (word.contains(QLatin1String("mixed")))
        return 5;
    if (word == QLatin1String("wpa2-tkip"))
        return 6;
    return -1;
}

QString deriveWpaPsk(const QString &password, const QString &ssid)
{
    const QByteArray key = QPasswordDigestor::deriveKeyPbkdf2(
        QCryptographicHash::Sha1, password.toUtf8(), ssid.toUtf8(), 4096, 32);
    return QString::fromLatin1(key.toHex());
}

QString verifyCommand(const QString &ssid, const QString &bssid, const QString &channel, int code,
                      const QString &key)
{
    return QStringLiteral("network_verify wifi %1 %2 %3 %4 %5")
        .arg(ssid, bssid, channel, QString::number(code), key);
}

QString shortVerifyCommand(const QString &ssid, const QString &bssid, const QString &channel)
{
    return QStringLiteral("network_verify wifi %1 %2 %3").arg(ssid, bssid, channel);
}

VerifyOutcome classifyVerifyReply(bool httpOk, const QString &reply, VerifyStage stage)
{
    const QString lowered = charger_api::normalizedReply(reply);
    if (httpOk && common::containsAnyPositiveWord(lowered, passedWords()))
        return VerifyOutcome::Passed;
    if (common::containsAnyWord(lowered, badCredentialWords(stage)))
        return VerifyOutcome::BadCredentials;
    if (common::containsAnyWord(lowered, unsupportedWords()))
        return VerifyOutcome::Unsupported;
    return VerifyOutcome::Inconclusive;
}

QStringList rebootWords()
{
    return {QStringLiteral("reboot"), QStringLiteral("reset"), QStringLiteral("restart"),
            QStringLiteral("rb")};
}

} // namespace provisioning
