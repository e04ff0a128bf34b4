#include "provisioning/wifi_scan_parse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace provisioning {

namespace {

// Words that chargers print around their scan results and that are never network names.
const QStringList &nonSsidWords()
{
    static const QStringList words = {
        QStringLiteral("response"),  QStringLiteral("command"),  QStringLiteral("code"),
        QStringLiteral("ok"),        QStringLiteral("true"),     QStringLiteral("false"),
        QStringLiteral("ssid"),      QStringLiteral("bssid"),    QStringLiteral("channel"),
        QStringLiteral("ch"),        QStringLiteral("security"), QStringLiteral("rssi"),
        QStringLiteral("rate"),      QStringLiteral("networks"), QStringLiteral("found"),
        QStringLiteral("open"),      QStringLiteral("guest"),    QStringLiteral("wpa"),
        QStringLiteral("wpa2"),      QStringLiteral("wpa3"),     QStringLiteral("wifiscan"),
        QStringLiteral("wlan.scan"), QStringLiteral("scan"),     QStringLiteral("wifi"),
        QStringLiteral("wlan"),      QStringLiteral("unknown"),  QStringLiteral("null"),
        QStringLiteral("mac"),       QStringLiteral("snr"),      QStringLiteral("dbm"),
        QStringLiteral("mhz"),
    };
    return words;
}

// One row of the "wlan_scan -v" table; capture 1 is the SSID.
const QRegularExpression &scanTableRowPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"((?im)^\s*#\s*\d+\s+\d+\s+-?\d+\s+(?:[0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2}\s+[0-9.]+\s+\S+\s+\S+\s+\d+\s+(.+?)\s*$)"));
    return pattern;
}

// The same row with channel, RSSI, BSSID, security and SSID captured.
const QRegularExpression &targetRowPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"((?im)^\s*#\s*\d+\s+(\d+)\s+(-?\d+)\s+((?:[0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2})\s+[0-9.]+\s+(\S+)\s+\S+\s+\d+\s+(.+?)\s*$)"));
    return pattern;
}

const QRegularExpression &columnRowPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"(^\s*(.+?)\s+(\d{1,2})\s+((?:[0-9A-Fa-f]{2}[:-]){5}[0-9A-Fa-f]{2}|[0-9A-Fa-f]{12})\s+(-?\d+)\s+(-?\d+)\s+(.+?)\s*$)"),
        QRegularExpression::MultilineOption);
    return pattern;
}

const QRegularExpression &keyValuePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"re((?im)\bssid\s*[:=]\s*"?([^"\r\n,]{1,64})"?)re"));
    return pattern;
}

const QRegularExpression &recordPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"re((?is)\bssid\s*[:=]\s*"?([^"\r\n,]{1,64})"?.{0,240}?\bbssid\s*[:=]\s*(?:[0-9A-Fa-f]{2}[:-]){5}[0-9A-Fa-f]{2}.{0,240}?\bchannel\s*[:=]\s*\d{1,2})re"));
    return pattern;
}

void addKeyValueCandidates(const QString &text, QStringList &candidates)
{
    QRegularExpressionMatchIterator it = keyValuePattern().globalMatch(text);
    while (it.hasNext())
        addCandidate(candidates, it.next().captured(1));
}

// Column layouts may quote names that hold blanks.
QString withoutEnclosingQuotes(const QString &text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2).trimmed();
    return text;
}

void addScanTableCandidates(const QString &rawScan, QStringList &candidates)
{
    QRegularExpressionMatchIterator it = scanTableRowPattern().globalMatch(rawScan);
    while (it.hasNext()) {
        const QString name = it.next().captured(1).trimmed();
        if (name.compare(QLatin1String("<ssid hidden>"), Qt::CaseInsensitive) == 0)
            continue;
        addCandidate(candidates, name);
    }
}

void addJsonCandidates(const QString &rawScan, QStringList &candidates)
{
    const QJsonDocument document = QJsonDocument::fromJson(rawScan.toUtf8());
    if (document.isObject())
        walkJson(QJsonValue(document.object()), QString(), candidates);
    else if (document.isArray())
        walkJson(QJsonValue(document.array()), QString(), candidates);
}

void addColumnRowCandidates(const QString &rawScan, QStringList &candidates)
{
    QRegularExpressionMatchIterator it = columnRowPattern().globalMatch(rawScan);
    while (it.hasNext())
        addCandidate(candidates, withoutEnclosingQuotes(it.next().captured(1).trimmed()));
}

void addRecordCandidates(const QString &rawScan, QStringList &candidates)
{
    QRegularExpressionMatchIterator it = recordPattern().globalMatch(rawScan);
    while (it.hasNext())
        addCandidate(candidates, it.next().captured(1));
}

void addAlignedColumnCandidates(const QString &rawScan, QStringList &candidates)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r?\\n"));
    static const QRegularExpression headerLine(
        QStringLiteral(R"((?i)^\s*(ssid|ch|channel|mac|bssid|rate|rssi|security)\b)"));
    static const QRegularExpression alignedRow(
        QStringLiteral(R"(^\s*(.+?)\s{2,}(\d{1,2})\s{2,}(.+)$)"));
    static const QRegularExpression macAddress(
        QStringLiteral(R"((?i)(?:[0-9a-f]{2}[:-]){5}[0-9a-f]{2}|\b[0-9a-f]{12}\b)"));

    const QStringList lines = rawScan.split(lineBreak, Qt::SkipEmptyParts);
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || headerLine.match(line).hasMatch())
            continue;
        if (line.contains(QLatin1String("networks found"), Qt::CaseInsensitive))
            continue;
        const QRegularExpressionMatch row = alignedRow.match(line);
        if (!row.hasMatch() || !macAddress.match(row.captured(3)).hasMatch())
            continue;
        addCandidate(candidates, withoutEnclosingQuotes(row.captured(1).trimmed()));
    }
}

} // namespace

QStringList scanCommands()
{
    return {QStringLiteral("wlan_scan -v"), QStringLiteral("wifiscan"), QStringLiteral("wlan.scan"),
            QStringLiteral("scan wlan"), QStringLiteral("scan wifi")};
}

bool isPlausibleSsid(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral(R"(^-?\d+$)"));
    static const QRegularExpression asciiLetterOrDigit(QStringLiteral("[A-Za-z0-9]"));

    const QString name = text.trimmed();
    if (name.isEmpty() || name.size() > 32)
        return false;
    if (nonSsidWords().contains(name, Qt::CaseInsensitive))
        return false;
    if (integer.match(name).hasMatch())
        return false;
    return asciiLetterOrDigit.match(name).hasMatch();
}

void addCandidate(QStringList &candidates, const QString &rawName)
{
    // Anchored, so at most one list number such as "1.", "(2)", "[3]", "12:" or "4-" goes.
    static const QRegularExpression listNumber(QStringLiteral(R"(^\s*[\[(]?\d{1,3}[\])\.:\-]\s*)"));
    static const QRegularExpression trailingSeparators(QStringLiteral("[,;]+$"));

    QString name = rawName.trimmed();
    name.remove(listNumber);
    name.remove(trailingSeparators);
    name = name.trimmed();
    if (!isPlausibleSsid(name))
        return;
    if (candidates.contains(name, Qt::CaseInsensitive))
        return;
    candidates.append(name);
}

void walkJson(const QJsonValue &value, const QString &key, QStringList &candidates)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            walkJson(it.value(), it.key(), candidates);
        return;
    }
    if (value.isArray()) {
        // Elements of a "ssids": [...] array are names too, so they inherit the array's key.
        const QJsonArray array = value.toArray();
        for (const QJsonValue &element : array)
            walkJson(element, key, candidates);
        return;
    }
    if (!value.isString())
        return;

    const QString text = value.toString().trimmed();
    const QString loweredKey = key.toLower();
    if (loweredKey.contains(QLatin1String("ssid")))
        addCandidate(candidates, text);
    else if (loweredKey == QLatin1String("name"))
        addCandidate(candidates, text);
    else if (loweredKey == QLatin1String("response"))
        addKeyValueCandidates(text, candidates);
}

QStringList parseScanReply(const QString &rawScan)
{
    QStringList candidates;

    addScanTableCandidates(rawScan, candidates);
    if (!candidates.isEmpty())
        return candidates;

    // JSON results are judged together with the column rows that follow.
    addJsonCandidates(rawScan, candidates);
    addColumnRowCandidates(rawScan, candidates);
    if (!candidates.isEmpty())
        return candidates;

    addKeyValueCandidates(rawScan, candidates);
    if (!candidates.isEmpty())
        return candidates;

    addRecordCandidates(rawScan, candidates);
    if (!candidates.isEmpty())
        return candidates;

    addAlignedColumnCandidates(rawScan, candidates);
    return candidates;
}

bool findTargetRow(const QString &scanText, const QString &ssid, WlanScanRow &row)
{
    int bestRssi = -999;
    WlanScanRow best;
    QRegularExpressionMatchIterator it = targetRowPattern().globalMatch(scanText);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QString rowSsid = match.captured(5).trimmed();
        if (rowSsid.compare(ssid, Qt::CaseInsensitive) != 0)
            continue;
        const int rssi = match.captured(2).toInt(nullptr, 10);
        if (rssi <= bestRssi)
            continue;
        bestRssi = rssi;
        best.channel = match.captured(1).trimmed();
        best.rssi = rssi;
        best.bssid = match.captured(3).trimmed();
        best.security = match.captured(4).trimmed();
        best.ssid = rowSsid;
    }
    if (best.bssid.isEmpty())
        return false;
    row = best;
    return true;
}

} // namespace provisioning
