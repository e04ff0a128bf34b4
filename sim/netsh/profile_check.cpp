#include "profile_check.h"

#include <QHash>
#include <QStringList>
#include <QXmlStreamReader>

namespace netsh_standin {

namespace {

const QString &profileNamespace()
{
    static const QString ns = QStringLiteral("http://www.microsoft.com/networking/WLAN/profile/v1");
    return ns;
}

QString decodeHexSsid(const QString &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    return QString::fromUtf8(bytes);
}

} // namespace

bool readWlanProfile(const QByteArray &xml, WlanProfileInfo &info, QString &problem)
{
    QXmlStreamReader reader(xml);
    QStringList path;
    QHash<QString, QString> texts;
    int foreignDepth = 0;
    bool sawRoot = false;

    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            // Elements of other namespaces are extension points; their contents do not matter.
            if (foreignDepth > 0 || reader.namespaceUri() != profileNamespace()) {
                if (!sawRoot) {
                    problem = QStringLiteral("root element is not WLANProfile in the v1 namespace");
                    return false;
                }
                ++foreignDepth;
                continue;
            }
            if (!sawRoot) {
                if (reader.name() != QStringLiteral("WLANProfile")) {
                    problem = QStringLiteral("root element is not WLANProfile");
                    return false;
                }
                sawRoot = true;
            }
            path.append(reader.name().toString());
        } else if (reader.isEndElement()) {
            if (foreignDepth > 0)
                --foreignDepth;
            else
                path.removeLast();
        } else if (reader.isCharacters() && foreignDepth == 0 && !path.isEmpty()) {
            texts[path.join(QLatin1Char('/'))] += reader.text();
        }
    }
    if (reader.hasError()) {
        problem = QStringLiteral("not well-formed: ") + reader.errorString();
        return false;
    }
    if (!sawRoot) {
        problem = QStringLiteral("no WLANProfile element");
        return false;
    }

    const auto text = [&texts](const char *key) {
        return texts.value(QString::fromLatin1(key)).trimmed();
    };
    info.name = text("WLANProfile/name");
    info.ssid = text("WLANProfile/SSIDConfig/SSID/name");
    if (info.ssid.isEmpty() && !text("WLANProfile/SSIDConfig/SSID/hex").isEmpty())
        info.ssid = decodeHexSsid(text("WLANProfile/SSIDConfig/SSID/hex"));
    info.connectionType = text("WLANProfile/connectionType");
    info.authentication = text("WLANProfile/MSM/security/authEncryption/authentication");
    info.encryption = text("WLANProfile/MSM/security/authEncryption/encryption");

    static const QStringList connectionTypes = {QStringLiteral("ESS"), QStringLiteral("IBSS")};
    static const QStringList authentications = {
        QStringLiteral("open"),    QStringLiteral("shared"),  QStringLiteral("WPA"),
        QStringLiteral("WPAPSK"),  QStringLiteral("WPA2"),    QStringLiteral("WPA2PSK"),
        QStringLiteral("WPA3SAE"), QStringLiteral("WPA3ENT"), QStringLiteral("OWE")};
    static const QStringList encryptions = {QStringLiteral("none"), QStringLiteral("WEP"),
                                            QStringLiteral("TKIP"), QStringLiteral("AES"),
                                            QStringLiteral("GCMP"), QStringLiteral("GCMP256")};

    if (info.name.isEmpty() || info.name.size() > 255)
        problem = QStringLiteral("profile name missing or too long");
    else if (info.ssid.isEmpty() || info.ssid.toUtf8().size() > 32)
        problem = QStringLiteral("SSID name missing or longer than 32 bytes");
    else if (!connectionTypes.contains(info.connectionType))
        problem = QStringLiteral("connectionType missing or invalid");
    else if (!authentications.contains(info.authentication))
        problem = QStringLiteral("authentication missing or invalid");
    else if (!encryptions.contains(info.encryption))
        problem = QStringLiteral("encryption missing or invalid");
    else
        return true;
    return false;
}

} // namespace netsh_standin
