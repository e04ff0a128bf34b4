#include "app/setup_log_format.h"

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

} // namespace app
