#include "maintenance/maintenance_rules.h"

#include <QSet>

#include <algorithm>
#include <initializer_list>

namespace maintenance {

namespace {

// Names and tokens are read by hand, so half of a surrogate pair in a reply is a character like
// any other (QRegularExpression refuses such text) and a long listing takes linear time.

bool isTokenChar(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'_' || c == u'-' || c == u':' || c == u'.';
}

bool isFileNameChar(QChar c)
{
    return c != u':' && isTokenChar(c);
}

char16_t asciiLower(QChar c)
{
    return c >= u'A' && c <= u'Z' ? c.unicode() + (u'a' - u'A') : c.unicode();
}

// The end of a name at `at`: one of `prefixes` (lower case; ASCII letters match in any case),
// then at least one character `isNameChar` accepts, as far as they go. `at` when none starts
// there; no anchors or word boundaries, so a name inside a path or a longer word counts.
qsizetype nameEndAt(QStringView text, qsizetype at, std::initializer_list<QLatin1String> prefixes,
                    bool (*isNameChar)(QChar))
{
    for (const QLatin1String prefix : prefixes) {
        qsizetype end = at;
        while (end < text.size() && end - at < prefix.size() &&
               asciiLower(text[end]) == prefix[end - at].unicode())
            ++end;
        if (end - at < prefix.size())
            continue;
        const qsizetype nameStart = end;
        while (end < text.size() && isNameChar(text[end]))
            ++end;
        return end > nameStart ? end : at;
    }
    return at;
}

// Names are ASCII, so this is their case-folded form.
QString asciiLowered(QStringView name)
{
    QString lowered(name.size(), Qt::Uninitialized);
    std::transform(name.begin(), name.end(), lowered.begin(),
                   [](QChar c) { return QChar(asciiLower(c)); });
    return lowered;
}

} // namespace

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
    for (qsizetype at = 0; at < value.size(); ++at) {
        const qsizetype end = nameEndAt(value, at, {QLatin1String("ead")}, isTokenChar);
        if (end > at)
            return value.mid(at, end - at);
    }
    return QString();
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
    QStringList names;
    QSet<QString> seen;
    qsizetype at = 0;
    while (at < listing.size()) {
        const qsizetype end = nameEndAt(
            listing, at, {QLatin1String("ecache_"), QLatin1String("eevents_")}, isFileNameChar);
        if (end == at) {
            ++at;
            continue;
        }
        const QString name = listing.mid(at, end - at);
        const qsizetype seenBefore = seen.size();
        seen.insert(asciiLowered(name));
        if (seen.size() > seenBefore)
            names.append(name);
        at = end;
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
