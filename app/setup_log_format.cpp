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
    // A quoted value may hold blanks, so it is masked up to its closing quote (which stays) or to
    // the end of the line; an unquoted value ends at the first blank or quote.
    static const QRegularExpression passkey(
        QStringLiteral(R"((?i)wlan\.passkey(?:\s*"[^"\r\n]+|\s*[^\s"]+))"));
    QString masked = text;
    masked.replace(passkey, QStringLiteral("wlan.passkey [REDACTED]"));
    return masked;
}

} // namespace app
