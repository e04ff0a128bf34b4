#include "app/setup_log_format.h"

#include <QRegularExpression>

namespace app {

QString logFileName(const QDateTime &startedAt, int sequence)
{
    const QString stem = QStringLiteral("Zephyl_WiFi_Setup_") +
                         startedAt.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    if (sequence <= 1)
        return stem + QStringLiteral(".log");
    return stem + QStringLiteral("_%1.log").arg(sequence);
}

QStringList logHeaderLines(const QDateTime &startedAt)
{
    return {QStringLiteral("Zephyl WiFi Setup Log"),
            QStringLiteral("Started: ") + startedAt.toString(Qt::ISODate),
            QStringLiteral("Password fields are redacted."), QString()};
}

QString formatLogLine(const QDateTime &at, const QString &text)
{
    return QLatin1Char('[') + at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral("] ") + text;
}

QString redactSecrets(const QString &text)
{
    // The key may be followed by a separator, as in "wlan.passkey: x", "wlan.passkey=x" or the
    // JSON member "wlan.passkey":"x". A quoted value may hold blanks, so it is masked up to its
    // closing quote (which stays) or to the end of the line; an unquoted value ends at the first
    // blank or quote. A value of nothing but blanks is left alone.
    static const QRegularExpression passkey(
        QStringLiteral(R"((?i)wlan\.passkey(?:"?\s*[:=])?\s*(?:"\s*[^"\s][^"\r\n]*|[^\s"]+))"));
    QString masked = text;
    masked.replace(passkey, QStringLiteral("wlan.passkey [REDACTED]"));
    return masked;
}

} // namespace app
