#include "app/result_record_format.h"

#include <QStringList>

namespace app {

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::ConfiguredAndRebooted:
        return QStringLiteral("configured and rebooted");
    case Outcome::RebootNotConfirmed:
        return QStringLiteral("configured, reboot not confirmed");
    case Outcome::ConfiguredAndSaved:
        return QStringLiteral("configured and saved, not rebooted");
    case Outcome::JoinedNotConfigured:
        return QStringLiteral("joined, Wi-Fi not configured");
    case Outcome::PasswordRefused:
        return QStringLiteral("password refused by the verification");
    case Outcome::NotVerified:
        return QStringLiteral("not verified, nothing written");
    case Outcome::AuthFailedBeforeReboot:
        return QStringLiteral("authentication failed before reboot");
    case Outcome::RebootBlocked:
        return QStringLiteral("configured, reboot blocked");
    case Outcome::WriteFailed:
        return QStringLiteral("write failed");
    case Outcome::NotJoined:
        return QStringLiteral("not joined");
    case Outcome::FirmwareUpdateRequested:
        return QStringLiteral("firmware update requested");
    case Outcome::FirmwareUpdateNotAnswered:
        return QStringLiteral("firmware update not answered");
    case Outcome::FactoryResetSent:
        return QStringLiteral("factory reset sent");
    case Outcome::FactoryResetRefused:
        return QStringLiteral("factory reset refused");
    case Outcome::StoppedByClose:
        return QStringLiteral("stopped by closing the window");
    }
    return QString();
}

ChargerResult notFinished()
{
    return {Outcome::StoppedByClose, QStringLiteral("remaining steps not run")};
}

ChargerResult wifiSaved()
{
    return {Outcome::ConfiguredAndSaved,
            QStringLiteral("the charger joins it after its next reboot")};
}

ChargerResult closedAfter(const ChargerResult &settled)
{
    if (settled.outcome == Outcome::StoppedByClose)
        return notFinished();
    return {settled.outcome,
            settled.reason + QStringLiteral("; then ") + outcomeText(Outcome::StoppedByClose)};
}

QString resultFileName()
{
    return QStringLiteral("results.csv");
}

namespace {

QByteArray csvLine(const QStringList &cells)
{
    QStringList written;
    for (const QString &cell : cells)
        written << csvCell(cell);
    return written.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

} // namespace

QByteArray newResultFileHead()
{
    return QByteArray("\xEF\xBB\xBF") +
           csvLine({QStringLiteral("Time"), QStringLiteral("Operation"),
                    QStringLiteral("Setup network"), QStringLiteral("Serial"),
                    QStringLiteral("MAC"), QStringLiteral("UUID"),
                    QStringLiteral("Customer network"), QStringLiteral("Outcome"),
                    QStringLiteral("Reason")});
}

QByteArray resultLine(const ResultRow &row)
{
    return csvLine({recordTime(row.at), row.operation, row.setupNetwork, row.serial, row.mac,
                    row.uuid, row.customerNetwork, outcomeText(row.result.outcome),
                    row.result.reason});
}

QString csvCell(const QString &text)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    QString cell = text;
    if (!cell.isEmpty() && formulaStarts.contains(cell.front()))
        cell.prepend(QLatin1Char('\''));
    cell.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

QString recordTime(const QDateTime &at)
{
    const int offsetMinutes = at.offsetFromUtc() / 60;
    const int magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    return at.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) +
           (offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

} // namespace app
