#include "maintenance/maintenance_rules.h"

#include <QRegularExpression>

namespace maintenance {

QStringList uuidKeyCandidates()
{
    return {QStringLiteral("system.euid"),
            QStringLiteral("system.uuid"),
            QStringLiteral("system.device_id"),
            QStringLiteral("system.id"),
            QStringLiteral("device.uuid"),
            QStringLiteral("device.id"),
            QStringLiteral("jns.euid"),
            QStringLiteral("jns.uuid"),
            QStringLiteral("euid"),
            QStringLiteral("uuid")};
}

QStringList serialKeys()
{
    return {QStringLiteral("system.serial"), QStringLiteral("device.serial"),
            QStringLiteral("serial"), QStringLiteral("system.sn"), QStringLiteral("device.sn")};
}

QStringList macKeys()
{
    return {QStringLiteral("wlan.mac"), QStringLiteral("softap.mac"),
            QStringLiteral("ethernet.mac"), QStringLiteral("mac")};
}

QString uuidToken(const QString &value)
{
    static const QRegularExpression token(QStringLiteral(R"((?i)(ead[\w\-:\.]+))"));
    const QRegularExpressionMatch match = token.match(value);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString valueOrNotAvailable(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("N/A") : value;
}

bool isUsableIdentityValue(const QString &value)
{
    const QString trimmed = value.trimmed();
    return !trimmed.isEmpty() && !trimmed.contains(QLatin1String("unknown"), Qt::CaseInsensitive);
}

QStringList identityBlockLines(const QString &serial, const QString &mac, const QString &uuid)
{
    return {QStringLiteral("=== Charger Identity ==="),
            QStringLiteral("Serial: ") + valueOrNotAvailable(serial.trimmed()),
            QStringLiteral("MAC: ") + valueOrNotAvailable(mac.trimmed()),
            QStringLiteral("Device UUID: ") + valueOrNotAvailable(uuid.trimmed()),
            QStringLiteral("========================")};
}

QStringList cleanupFileNames(const QString &listing)
{
    // No anchors or word boundaries: a name inside a path or a longer word still counts.
    static const QRegularExpression fileName(
        QStringLiteral(R"((ECache_[A-Za-z0-9_\-.]+|EEvents_[A-Za-z0-9_\-.]+))"),
        QRegularExpression::CaseInsensitiveOption);

    QStringList names;
    QRegularExpressionMatchIterator it = fileName.globalMatch(listing);
    while (it.hasNext()) {
        const QString name = it.next().captured(0);
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

QString deleteFileCommand(const QString &fileName)
{
    return QStringLiteral("fde \"") + fileName + QLatin1Char('"');
}

QStringList factoryResetCommands(const QString &mac)
{
    const QString trimmedMac = mac.trimmed();
    QString plainMac = trimmedMac;
    plainMac.remove(QLatin1Char(':'));
    plainMac.remove(QLatin1Char('-'));

    QStringList commands = {QStringLiteral("factory_reset"), QStringLiteral("fac")};
    if (!trimmedMac.isEmpty()) {
        commands << QStringLiteral("factory_reset ") + trimmedMac
                 << QStringLiteral("fac ") + trimmedMac
                 << QStringLiteral("fac [") + trimmedMac + QLatin1Char(']');
    }
    // Firmware that rejects separators gets the bare digits; a MAC read without separators
    // therefore repeats the two forms above.
    if (!plainMac.isEmpty()) {
        commands << QStringLiteral("fac ") + plainMac
                 << QStringLiteral("fac [") + plainMac + QLatin1Char(']');
    }
    return commands;
}

} // namespace maintenance
