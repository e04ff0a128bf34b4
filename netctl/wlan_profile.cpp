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
        default:
            escaped += c;
        }
    }
    return escaped;
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
