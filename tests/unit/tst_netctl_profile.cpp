#include "netctl/netsh_commands.h"
#include "netctl/wlan_profile.h"
#include "netsh_argv.h"
#include "test_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTest>
#include <QXmlStreamReader>

using testsupport::argv;

namespace {

const QString profileNamespace =
    QStringLiteral("http://www.microsoft.com/networking/WLAN/profile/v1");

// Every element of the document as "path=text", in document order.
QStringList elementsOf(const QString &xml, QString &error)
{
    QXmlStreamReader reader(xml);
    QStringList path;
    QStringList elements;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.namespaceUri() != profileNamespace) {
                error =
                    QStringLiteral("element outside the v1 namespace: ") + reader.name().toString();
                return {};
            }
            path << reader.name().toString();
            elements << path.join(QLatin1Char('/')) + QLatin1Char('=');
        } else if (reader.isCharacters()) {
            elements.last() += reader.text();
        } else if (reader.isEndElement()) {
            path.removeLast();
        }
    }
    if (reader.hasError())
        error = reader.errorString();
    return elements;
}

QStringList expectedElements(const QString &ssid)
{
    return {QStringLiteral("WLANProfile="),
            QStringLiteral("WLANProfile/name=") + ssid,
            QStringLiteral("WLANProfile/SSIDConfig="),
            QStringLiteral("WLANProfile/SSIDConfig/SSID="),
            QStringLiteral("WLANProfile/SSIDConfig/SSID/name=") + ssid,
            QStringLiteral("WLANProfile/SSIDConfig/nonBroadcast=false"),
            QStringLiteral("WLANProfile/connectionType=ESS"),
            QStringLiteral("WLANProfile/connectionMode=manual"),
            QStringLiteral("WLANProfile/MSM="),
            QStringLiteral("WLANProfile/MSM/security="),
            QStringLiteral("WLANProfile/MSM/security/authEncryption="),
            QStringLiteral("WLANProfile/MSM/security/authEncryption/authentication=open"),
            QStringLiteral("WLANProfile/MSM/security/authEncryption/encryption=none"),
            QStringLiteral("WLANProfile/MSM/security/authEncryption/useOneX=false")};
}

// xmllint's verdict on a document against the shipped WLANProfile schema; empty when valid.
QString schemaProblems(const QString &xmllint, const QString &xml)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/tst_profile_XXXXXX.xml"));
    if (!file.open())
        return QStringLiteral("cannot create a temporary file");
    file.write(xml.toUtf8());
    file.flush();

    QProcess lint;
    lint.start(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"),
                         testsupport::dataFilePath(QStringLiteral("netsh/WLAN_profile_v1.xsd")),
                         file.fileName()});
    if (!lint.waitForFinished(10000)) {
        lint.kill();
        lint.waitForFinished(1000);
        return QStringLiteral("xmllint did not finish");
    }
    if (lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(lint.readAllStandardError());
}

} // namespace

class TestNetctlProfile : public QObject
{
    Q_OBJECT

private slots:
    void profileDocument_data();
    void profileDocument();
    void profileValidatesAgainstSchema_data();
    void profileValidatesAgainstSchema();
    void schemaCheckRejectsBrokenProfile();
    void xmlEscape_data();
    void xmlEscape();
    void profileFileIsCreatedFromTemplate();
    void argumentLists_data();
    void argumentLists();
};

static void addSsidRows()
{
    QTest::addColumn<QString>("ssid");
    QTest::newRow("a plain charger SSID") << QStringLiteral("JuiceNet-7F2A");
    QTest::newRow("an SSID that closes the element and opens another")
        << QStringLiteral("JuiceNet</name><x>&\"'");
    QTest::newRow("an SSID with an entity-like text") << QStringLiteral("JuiceNet&amp;&#60;");
    QTest::newRow("an SSID with blanks and a placeholder") << QStringLiteral("JuiceNet %1 %2");
    QTest::newRow("an SSID with letters outside ASCII") << QStringLiteral(u"JuiceNet-Café-Ω");
    QTest::newRow("an SSID of the full 32 bytes")
        << QStringLiteral("JuiceNet-ABCDEFGHIJKLMNOPQRSTUVW");
}

void TestNetctlProfile::profileDocument_data()
{
    addSsidRows();
}

void TestNetctlProfile::profileDocument()
{
    QFETCH(QString, ssid);
    const QString xml = netctl::openNetworkProfileXml(ssid);

    QVERIFY2(!xml.contains(QLatin1Char('\n')) && !xml.contains(QLatin1Char('\r')), qPrintable(xml));
    QVERIFY2(xml.startsWith(QStringLiteral("<?xml version=\"1.0\"?><WLANProfile ")),
             qPrintable(xml));
    QString error;
    const QStringList elements = elementsOf(xml, error);
    QVERIFY2(error.isEmpty(), qPrintable(error + QStringLiteral(": ") + xml));
    QCOMPARE(elements, expectedElements(ssid));
}

void TestNetctlProfile::profileValidatesAgainstSchema_data()
{
    addSsidRows();
}

void TestNetctlProfile::profileValidatesAgainstSchema()
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed (package libxml2-utils); schema validation skipped");
    QFETCH(QString, ssid);
    const QString problems = schemaProblems(xmllint, netctl::openNetworkProfileXml(ssid));
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
}

void TestNetctlProfile::schemaCheckRejectsBrokenProfile()
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        QSKIP("xmllint is not installed (package libxml2-utils); schema validation skipped");
    // The same document with one fixed value the schema does not allow: the check must see it.
    const QString broken =
        netctl::openNetworkProfileXml(QStringLiteral("JuiceNet-7F2A"))
            .replace(QStringLiteral("<connectionType>ESS"), QStringLiteral("<connectionType>BSS"));
    QVERIFY(!schemaProblems(xmllint, broken).isEmpty());
}

void TestNetctlProfile::xmlEscape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("each special character becomes its entity")
        << QStringLiteral("&<>\"'") << QStringLiteral("&amp;&lt;&gt;&quot;&apos;");
    QTest::newRow("an existing entity is escaped again, not kept")
        << QStringLiteral("a&amp;b") << QStringLiteral("a&amp;amp;b");
    QTest::newRow("ordinary text stays as it is")
        << QStringLiteral(u"JuiceNet-7F2A Café") << QStringLiteral(u"JuiceNet-7F2A Café");
}

void TestNetctlProfile::xmlEscape()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(netctl::xmlEscape(text), expected);
}

void TestNetctlProfile::profileFileIsCreatedFromTemplate()
{
    QTemporaryFile file(netctl::profileFileTemplate());
    QVERIFY(file.open());
    const QFileInfo info(file.fileName());
    QCOMPARE(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    // The six X are replaced by a random part (which may itself hold an X by chance).
    QVERIFY2(QRegularExpression(QStringLiteral("^zephyl_[^/]{6}\\.xml$"))
                 .match(info.fileName())
                 .hasMatch(),
             qPrintable(info.fileName()));
    QVERIFY(info.fileName() != QLatin1String("zephyl_XXXXXX.xml"));
}

void TestNetctlProfile::argumentLists_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expected");

    const QString iface = QStringLiteral("Wi-Fi 2");
    const QString ssid = QStringLiteral("JuiceNet 7F2A");

    QTest::newRow("show interfaces")
        << netctl::showInterfacesArgs() << argv("wlan|show|interfaces");
    QTest::newRow("show networks on every adapter")
        << netctl::showNetworksArgs() << argv("wlan|show|networks|mode=bssid");
    QTest::newRow("show networks names the adapter before the mode")
        << netctl::showNetworksOnInterfaceArgs(iface)
        << argv("wlan|show|networks|interface=Wi-Fi 2|mode=bssid");
    QTest::newRow("disconnect every adapter")
        << netctl::disconnectAllArgs() << argv("wlan|disconnect");
    QTest::newRow("delete the profile by name on every adapter")
        << netctl::deleteProfileArgs(ssid) << argv("wlan|delete|profile|name=JuiceNet 7F2A");
    QTest::newRow("add the profile file on the adapter")
        << netctl::addProfileArgs(QStringLiteral("/tmp/zephyl_a1B2c3.xml"), iface)
        << argv("wlan|add|profile|filename=/tmp/zephyl_a1B2c3.xml|interface=Wi-Fi 2");
    QTest::newRow("connect names the profile and the SSID")
        << netctl::connectArgs(ssid, iface)
        << argv("wlan|connect|name=JuiceNet 7F2A|ssid=JuiceNet 7F2A|interface=Wi-Fi 2");
    QTest::newRow("the static address takes the adapter as a bare element")
        << netctl::setStaticAddressArgs(iface)
        << argv("interface|ip|set|address|Wi-Fi 2|static|10.10.10.2|255.255.255.0");
    QTest::newRow("the static DNS server is keyed and primary")
        << netctl::setStaticDnsArgs(iface)
        << argv("interface|ip|set|dns|name=Wi-Fi 2|static|10.10.10.1|primary");
    QTest::newRow("the address returns to DHCP")
        << netctl::setDhcpAddressArgs(iface)
        << argv("interface|ip|set|address|name=Wi-Fi 2|source=dhcp");
    QTest::newRow("the DNS server returns to DHCP")
        << netctl::setDhcpDnsArgs(iface) << argv("interface|ip|set|dns|name=Wi-Fi 2|source=dhcp");
    QTest::newRow("disconnect one adapter")
        << netctl::disconnectInterfaceArgs(iface) << argv("wlan|disconnect|interface=Wi-Fi 2");
    QTest::newRow("reconnect by the stored profile names no SSID")
        << netctl::reconnectArgs(QStringLiteral("Home Net"), iface)
        << argv("wlan|connect|name=Home Net|interface=Wi-Fi 2");
    QTest::newRow("the address query takes the adapter as a bare element")
        << netctl::showAddressesArgs(iface) << argv("interface|ip|show|addresses|Wi-Fi 2");
    QTest::newRow("quotes in a name are passed on untouched, not added or stripped")
        << netctl::connectArgs(QStringLiteral("JuiceNet \"A\""), QStringLiteral("Wi-Fi"))
        << argv("wlan|connect|name=JuiceNet \"A\"|ssid=JuiceNet \"A\"|interface=Wi-Fi");
}

void TestNetctlProfile::argumentLists()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expected);
    QCOMPARE(arguments, expected);
}

QTEST_GUILESS_MAIN(TestNetctlProfile)
#include "tst_netctl_profile.moc"
