#include "netctl/netsh_parse.h"

#include "charger_api/reply_rules.h"

#include <QRegularExpression>

namespace netctl {

namespace {

// Label lines are matched with blanks and tabs only around the colon: "\s" would also take line
// ends, so a label with nothing after its colon would capture the next line as its value.
// The value stops at CR or LF; netsh ends lines with CR LF.
const QRegularExpression &nameLine()
{
    static const QRegularExpression re(QStringLiteral("^[ \\t]*Name[ \\t]*:[ \\t]*([^\\r\\n]*)"),
                                       QRegularExpression::MultilineOption);
    return re;
}

const QRegularExpression &ssidLine()
{
    static const QRegularExpression re(QStringLiteral("^[ \\t]*SSID[ \\t]*:[ \\t]*([^\\r\\n]*)"),
                                       QRegularExpression::MultilineOption);
    return re;
}

const QRegularExpression &numberedSsidLine()
{
    static const QRegularExpression re(
        QStringLiteral("^[ \\t]*SSID[ \\t]+\\d+[ \\t]*:[ \\t]*([^\\r\\n]*)"),
        QRegularExpression::MultilineOption);
    return re;
}

const QRegularExpression &dottedQuad()
{
    static const QRegularExpression re(QStringLiteral("(\\d{1,3}(?:\\.\\d{1,3}){3})"));
    return re;
}

} // namespace

QString parseInterfaceName(const QString &showInterfaces)
{
    auto it = nameLine().globalMatch(showInterfaces);
    while (it.hasNext()) {
        const QString value = it.next().captured(1).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

QString parseCurrentSsid(const QString &showInterfaces)
{
    auto it = ssidLine().globalMatch(showInterfaces);
    while (it.hasNext()) {
        const QString value = it.next().captured(1).trimmed();
        if (value.isEmpty() || value.startsWith(QStringLiteral("BSSID"), Qt::CaseInsensitive))
            continue;
        return value;
    }
    return QString();
}

void parseChargerSsids(const QString &showNetworks, QStringList &found)
{
    auto it = numberedSsidLine().globalMatch(showNetworks);
    while (it.hasNext()) {
        const QString ssid = it.next().captured(1).trimmed();
        if (ssid.isEmpty() || !isChargerSsid(ssid))
            continue;
        if (!found.contains(ssid, Qt::CaseInsensitive))
            found.append(ssid);
    }
}

QString parseFirstDottedQuad(const QString &text)
{
    const QRegularExpressionMatch match = dottedQuad().match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool connectSucceeded(const QString &connectOutput)
{
    return charger_api::containsPositiveWord(connectOutput.toLower(), QStringLiteral("success"));
}

bool isChargerSsid(const QString &ssid)
{
    return ssid.toLower().startsWith(QStringLiteral("juicenet"));
}

} // namespace netctl
