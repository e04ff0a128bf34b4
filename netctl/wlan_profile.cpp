#include "netctl/wlan_profile.h"

#include <QDir>

namespace netctl {

QString xmlEscape(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\'':
            escaped += QStringLiteral("&apos;");
            break;
        case u'\r':
            escaped += QStringLiteral("&#13;");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString profileSsidRefusal(const QString &ssid)
{
    for (qsizetype i = 0; i < ssid.size(); ++i) {
        const QChar c = ssid.at(i);
        if (c.isHighSurrogate() && i + 1 < ssid.size() && ssid.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        // XML 1.0 characters: tab, LF, CR, U+0020 to U+FFFD without the surrogates, and the
        // astral planes (whole surrogate pairs, taken above).
        const char16_t unit = c.unicode();
        const bool xmlCharacter = unit == u'\t' || unit == u'\n' || unit == u'\r' ||
                                  (unit >= 0x20 && unit <= 0xFFFD && !c.isSurrogate());
        if (!xmlCharacter) {
            return QStringLiteral("the SSID holds U+%1, which a WLAN profile cannot carry")
                .arg(QString::number(unit, 16).toUpper().rightJustified(4, QLatin1Char('0')));
        }
    }
    return QString();
}

QString openNetworkProfileXml(const QString &ssid)
{
    const QString name = xmlEscape(ssid);
    return QStringLiteral(
               "<?xml version=\"1.0\"?>"
               "<WLANProfile xmlns=\"http://www.microsoft.com/networking/WLAN/profile/v1\">"
               "<name>%1</name>"
               "<SSIDConfig><SSID><name>%1</name></SSID>"
               "<nonBroadcast>false</nonBroadcast></SSIDConfig>"
               "<connectionType>ESS</connectionType>"
               "<connectionMode>manual</connectionMode>"
               "<MSM><security><authEncryption>"
               "<authentication>open</authentication>"
               "<encryption>none</encryption>"
               "<useOneX>false</useOneX>"
               "</authEncryption></security></MSM>"
               "</WLANProfile>")
        .arg(name);
}

QString profileFileTemplate()
{
    return QDir::tempPath() + QStringLiteral("/zephyl_XXXXXX.xml");
}

} // namespace netctl
