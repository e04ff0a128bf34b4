// End-to-end: the built program in private network and mount namespaces, where "setup.zephyl"
// resolves to a charger simulator on 127.0.0.1:80 and "netsh" is the stand-in. No proxy is set,
// so every request reached the simulator through the product's own fixed URL.
//
// The start-up, the close-time restore and the whole Wi-Fi workflow run the unmodified
// zephyl-wifi-setup binary; for the workflow, zephyl-e2e-x11-driver works its window on a private
// Xvfb display with XTEST clicks and keys, at the places zephyl-e2e-layout-probe finds for each
// control.
#include "standin_laptop.h"
#include "test_paths.h"
#include "window_harness.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPasswordDigestor>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <unistd.h>
#include <utility>

using testsupport::StandInLaptop;

namespace {

struct ChargerRequest
{
    QString method;
    QString path;
    QString host;
    QString command;
    QString charger;
};

struct RunResult
{
    int exitCode = -1;
    bool finished = false;
    QByteArray output;
};

QString buildPath(const QString &relative)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') + relative);
}

QString scriptPath()
{
    return QDir::cleanPath(testsupport::dataFilePath(QStringLiteral("../e2e/run_in_namespace.sh")));
}

QString programPath()
{
    return buildPath(QStringLiteral("../zephyl-wifi-setup"));
}

QString closerPath()
{
    return buildPath(QStringLiteral("e2e/zephyl-e2e-close-window"));
}

QString layoutProbePath()
{
    return buildPath(QStringLiteral("e2e/zephyl-e2e-layout-probe"));
}

QString x11DriverPath()
{
    return buildPath(QStringLiteral("e2e/zephyl-e2e-x11-driver"));
}

QJsonObject customerNetwork(const QString &ssid, const QString &bssid, int channel, int rssi,
                            const QString &security, const QString &password)
{
    QJsonObject network{{QStringLiteral("ssid"), ssid},
                        {QStringLiteral("bssid"), bssid},
                        {QStringLiteral("channel"), channel},
                        {QStringLiteral("rssi"), rssi},
                        {QStringLiteral("security"), security}};
    if (!password.isEmpty())
        network.insert(QStringLiteral("password"), password);
    return network;
}

// Three chargers, each on its own firmware: plain replies; quoted "get" values, a previous
// customer's credentials and HomeNet on two access points; JSON replies without "reboot".
QJsonObject scenario()
{
    const QString password = QStringLiteral("correct horse");
    const QJsonObject plain{
        {QStringLiteral("setupSsid"), QStringLiteral("JuiceNet-1A2B")},
        {QStringLiteral("serial"), QStringLiteral("ZP2-0001234")},
        {QStringLiteral("mac"), QStringLiteral("70:b3:d5:12:34:56")},
        {QStringLiteral("uuid"), QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10")},
        {QStringLiteral("settings"),
         QJsonObject{{QStringLiteral("wlan.ssid"), QStringLiteral("OldOfficeNet")},
                     {QStringLiteral("wlan.passkey"), QStringLiteral("old secret")}}},
        {QStringLiteral("files"), QJsonArray{QStringLiteral("ECache_0001.bin")}},
        {QStringLiteral("networks"),
         QJsonArray{customerNetwork(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:33"),
                                    6, -48, QStringLiteral("WPA2-AES"), password)}}};
    const QJsonObject quoted{
        {QStringLiteral("setupSsid"), QStringLiteral("JuiceNet-3C4D")},
        {QStringLiteral("serial"), QStringLiteral("ZP2-0005678")},
        {QStringLiteral("mac"), QStringLiteral("70:b3:d5:9a:bc:de")},
        {QStringLiteral("uuid"), QStringLiteral("ead71e3a-4b2c-4d8e-a1f0-6c5b4a392817")},
        {QStringLiteral("quoteGetValues"), true},
        {QStringLiteral("settings"),
         QJsonObject{{QStringLiteral("wlan.ssid"), QStringLiteral("OldOfficeNet")},
                     {QStringLiteral("wlan.passkey"), QStringLiteral("old secret")}}},
        {QStringLiteral("networks"),
         QJsonArray{customerNetwork(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:33"),
                                    6, -63, QStringLiteral("WPA2-AES"), password),
                    customerNetwork(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:34"),
                                    44, -58, QStringLiteral("WPA2-AES"), password),
                    customerNetwork(QStringLiteral("CafeOpen"), QStringLiteral("00:1d:7e:44:55:66"),
                                    11, -71, QStringLiteral("OPEN"), QString())}}};
    const QJsonObject json{
        {QStringLiteral("setupSsid"), QStringLiteral("JuiceNet-5E6F")},
        {QStringLiteral("serial"), QStringLiteral("ZP2-0009012")},
        {QStringLiteral("mac"), QStringLiteral("70:b3:d5:f1:e2:d3")},
        {QStringLiteral("uuid"), QStringLiteral("ead4c3b2-a190-4f8e-9d7c-6b5a49382716")},
        {QStringLiteral("replyStyle"), QStringLiteral("json")},
        {QStringLiteral("unknownCommands"), QJsonArray{QStringLiteral("reboot")}},
        {QStringLiteral("networks"),
         QJsonArray{customerNetwork(QStringLiteral("HomeNet"), QStringLiteral("a4:2b:b0:11:22:33"),
                                    6, -82, QStringLiteral("WPA2-AES"), password),
                    customerNetwork(
                        QStringLiteral("NeighbourWPA3"), QStringLiteral("3c:84:6a:77:88:99"), 36,
                        -67, QStringLiteral("WPA3-SAE"), QStringLiteral("over the fence"))}}};
    return {{QStringLiteral("replyStyle"), QStringLiteral("text")},
            {QStringLiteral("chargers"), QJsonArray{plain, quoted, json}}};
}

QStringList chargerSsids()
{
    return {QStringLiteral("JuiceNet-1A2B"), QStringLiteral("JuiceNet-3C4D"),
            QStringLiteral("JuiceNet-5E6F")};
}

// The laptop on its home network, with the three charger networks in range.
QJsonObject laptopAtHome()
{
    return StandInLaptop::homeLaptop(chargerSsids());
}

// The laptop already joined to a charger's setup network, as the technician may have left it.
QJsonObject laptopOnCharger(const QString &chargerSsid, bool staticAddress)
{
    QJsonObject state = laptopAtHome();
    QJsonObject adapter = StandInLaptop::adapter(QStringLiteral("Wi-Fi"), chargerSsid,
                                                 staticAddress ? QStringLiteral("10.10.10.2")
                                                               : QStringLiteral("10.10.10.3"));
    if (staticAddress) {
        adapter.insert(QStringLiteral("dhcp"), false);
        adapter.insert(QStringLiteral("dnsDhcp"), false);
        adapter.insert(QStringLiteral("dns"), QJsonArray{QStringLiteral("10.10.10.1")});
    }
    state.insert(QStringLiteral("interfaces"), QJsonArray{adapter});
    return state;
}

QList<QJsonObject> jsonLines(const QString &path)
{
    QList<QJsonObject> objects;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return objects;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            objects << QJsonDocument::fromJson(line).object();
    }
    return objects;
}

// One program run inside the namespaces, with its own folder for every file it leaves behind.
class NamespaceRun
{
public:
    explicit NamespaceRun(const QJsonObject &laptop)
    {
        writeJson(dir.filePath(QStringLiteral("netsh-state.json")), laptop);
        writeJson(dir.filePath(QStringLiteral("scenario.json")), scenario());
    }

    RunResult run(const QStringList &options, const QStringList &command)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZEPHYL_NETSH_STATE"), statePath());
        environment.insert(QStringLiteral("ZEPHYL_NETSH_JOURNAL"),
                           dir.filePath(QStringLiteral("netsh-journal.jsonl")));
        environment.remove(QStringLiteral("ZEPHYL_E2E_IN_NAMESPACE"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList arguments{scriptPath(),
                              QStringLiteral("--work"),
                              dir.path(),
                              QStringLiteral("--scenario"),
                              dir.filePath(QStringLiteral("scenario.json")),
                              QStringLiteral("--sim"),
                              buildPath(QStringLiteral("../sim/charger/zephyl-charger-sim")),
                              QStringLiteral("--netsh-dir"),
                              buildPath(QStringLiteral("../sim/netsh"))};
        arguments << options << QStringLiteral("--") << command;
        process.start(QStringLiteral("bash"), arguments);
        RunResult result;
        // The script gives its program 90 s at most and then stops it.
        result.finished = process.waitForFinished(110000);
        if (!result.finished) {
            process.kill();
            process.waitForFinished(5000);
        }
        result.exitCode = process.exitCode();
        result.output = process.readAll();
        return result;
    }

    QString statePath() const { return dir.filePath(QStringLiteral("netsh-state.json")); }

    QString writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        file.write(content);
        return file.fileName();
    }

    QList<QStringList> netshCommands() const
    {
        QList<QStringList> commands;
        for (const QJsonObject &entry :
             jsonLines(dir.filePath(QStringLiteral("netsh-journal.jsonl")))) {
            QStringList argv;
            for (const QJsonValue &argument : entry.value(QStringLiteral("argv")).toArray())
                argv << argument.toString();
            commands << argv;
        }
        return commands;
    }

    QStringList addedProfiles() const
    {
        QStringList profiles;
        for (const QJsonObject &entry :
             jsonLines(dir.filePath(QStringLiteral("netsh-journal.jsonl")))) {
            if (entry.contains(QStringLiteral("profileXml")))
                profiles << entry.value(QStringLiteral("profileXml")).toString();
        }
        return profiles;
    }

    QList<ChargerRequest> chargerRequests() const
    {
        QList<ChargerRequest> requests;
        for (const QJsonObject &entry :
             jsonLines(dir.filePath(QStringLiteral("charger-journal.jsonl")))) {
            requests << ChargerRequest{entry.value(QStringLiteral("method")).toString(),
                                       entry.value(QStringLiteral("path")).toString(),
                                       entry.value(QStringLiteral("host")).toString(),
                                       entry.value(QStringLiteral("command")).toString(),
                                       entry.value(QStringLiteral("charger")).toString()};
        }
        return requests;
    }

    // The commands that reached this charger, in order.
    QStringList commandsTo(const QString &charger) const
    {
        QStringList commands;
        for (const ChargerRequest &request : chargerRequests()) {
            if (request.charger == charger)
                commands << request.command;
        }
        return commands;
    }

    QString logText() const
    {
        const QDir logs(dir.filePath(QStringLiteral("home/Documents/Zephyl-Logs")));
        const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files);
        if (files.size() != 1)
            return QString();
        QFile log(logs.filePath(files.first()));
        if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
            return QString();
        return QString::fromUtf8(log.readAll());
    }

    QStringList logEntries() const { return testsupport::logEntriesOf(logText()); }

    QJsonObject laptopAdapter() const
    {
        QFile file(statePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll())
            .object()
            .value(QStringLiteral("interfaces"))
            .toArray()
            .first()
            .toObject();
    }

private:
    void writeJson(const QString &path, const QJsonObject &object)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(QJsonDocument(object).toJson());
    }

    QTemporaryDir dir;
};

QStringList argv(const QString &line)
{
    return line.split(QLatin1Char(' '));
}

QString pskHex(const QString &password, const QString &ssid)
{
    return QString::fromLatin1(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha1,
                                                                  password.toUtf8(), ssid.toUtf8(),
                                                                  4096, 32)
                                   .toHex());
}

// The key as wpa_supplicant's own tool derives it from the passphrase, an implementation apart
// from the product's; Qt's PBKDF2 stands in only where the tool is not installed.
QString wpaPassphraseKey(const QString &ssid, const QString &password)
{
    QProcess tool;
    tool.start(QStringLiteral("wpa_passphrase"), {ssid, password});
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0) {
        tool.kill();
        tool.waitForFinished(5000);
        qInfo("wpa_passphrase is not available; the key comes from Qt's PBKDF2");
        return pskHex(password, ssid);
    }
    static const QRegularExpression keyLine(QStringLiteral(R"(^\s*psk=([0-9a-f]{64})\s*$)"),
                                            QRegularExpression::MultilineOption);
    return keyLine.match(QString::fromLatin1(tool.readAllStandardOutput())).captured(1);
}

QString runReport(const RunResult &result)
{
    return QStringLiteral("exit %1, output:\n%2")
        .arg(result.exitCode)
        .arg(QString::fromLocal8Bit(result.output));
}

} // namespace

class E2eProduct : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startupReadsTheJoinedChargerByItsHostName();
    void closingTheWindowReturnsTheLaptopToDhcp();
    void clicksAndKeysOnTheWindowProvisionTheChargerAndRestoreTheLaptop_data();
    void clicksAndKeysOnTheWindowProvisionTheChargerAndRestoreTheLaptop();
};

void E2eProduct::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("Private network and mount namespaces need root; run the end-to-end tests as root.");
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("-mn"), QStringLiteral("true")});
    const bool probeFinished = probe.waitForFinished(10000);
    if (!probeFinished || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        probe.kill();
        QSKIP("\"unshare -mn true\" fails here: private namespaces are unavailable.");
    }
    for (const QString &path : {scriptPath(), programPath(),
                                buildPath(QStringLiteral("../sim/charger/zephyl-charger-sim")),
                                buildPath(QStringLiteral("../sim/netsh/netsh"))})
        QVERIFY2(QFileInfo::exists(path), qPrintable(path + QStringLiteral(" is missing")));
}

void E2eProduct::startupReadsTheJoinedChargerByItsHostName()
{
    NamespaceRun run(laptopOnCharger(QStringLiteral("JuiceNet-1A2B"), false));
    const RunResult result =
        run.run({QStringLiteral("--until-ready"), QStringLiteral("stop")}, {programPath()});
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(runReport(result)));

    // The interface first, then the address for the "PC IP" card.
    const QList<QStringList> expectedNetsh{
        argv(QStringLiteral("wlan show interfaces")),
        argv(QStringLiteral("interface ip show addresses Wi-Fi"))};
    QCOMPARE(run.netshCommands(), expectedNetsh);

    // The header cards read SSID, passkey and the UUID candidates up to the first "ead" value;
    // the identity block then reads the UUID, serial and MAC at their first keys.
    const QStringList expectedCommands{
        QStringLiteral("get wlan.ssid"),   QStringLiteral("get wlan.passkey"),
        QStringLiteral("get system.euid"), QStringLiteral("get system.uuid"),
        QStringLiteral("get system.uuid"), QStringLiteral("get system.serial"),
        QStringLiteral("get wlan.mac")};
    const QList<ChargerRequest> requests = run.chargerRequests();
    QStringList commands;
    for (const ChargerRequest &request : requests) {
        commands << request.command;
        QCOMPARE(request.method, QStringLiteral("GET"));
        QCOMPARE(request.host, QStringLiteral("setup.zephyl"));
        QCOMPARE(request.path, QStringLiteral("/command/") +
                                   QString::fromLatin1(QUrl::toPercentEncoding(request.command)));
        QCOMPARE(request.charger, QStringLiteral("JuiceNet-1A2B"));
    }
    QCOMPARE(commands, expectedCommands);

    const QStringList header = run.logText().split(QLatin1Char('\n')).mid(0, 4);
    QCOMPARE(header.size(), 4);
    QCOMPARE(header.at(0), QStringLiteral("Zephyl WiFi Setup Log"));
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^Started: \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$)"))
                 .match(header.at(1))
                 .hasMatch(),
             qPrintable(header.at(1)));
    QCOMPARE(header.at(2), QStringLiteral("Password fields are redacted."));
    QCOMPARE(header.at(3), QString());

    const QStringList entries = run.logEntries();
    const QStringList identity{QStringLiteral("=== Charger Identity ==="),
                               QStringLiteral("Serial: ZP2-0001234"),
                               QStringLiteral("MAC: 70:b3:d5:12:34:56"),
                               QStringLiteral("Device UUID: ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"),
                               QStringLiteral("========================")};
    const qsizetype block = entries.indexOf(identity.first());
    QVERIFY2(block >= 0, qPrintable(entries.join(QLatin1Char('\n'))));
    QCOMPARE(entries.mid(block, identity.size()), identity);
    QCOMPARE(entries.last(), QStringLiteral("STATUS: Ready."));
    // The charger's stored passkey was read at start-up; the log masks it.
    QVERIFY(!run.logText().contains(QStringLiteral("old secret")));
}

void E2eProduct::closingTheWindowReturnsTheLaptopToDhcp()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it).");
    if (!QFileInfo::exists(closerPath()))
        QSKIP("zephyl-e2e-close-window was not built (it needs the X11 development files).");

    // Left on the charger network with the static address by an earlier run.
    NamespaceRun run(laptopOnCharger(QStringLiteral("JuiceNet-1A2B"), true));
    const RunResult result =
        run.run({QStringLiteral("--x11"), QStringLiteral("--until-ready"), QStringLiteral("close"),
                 QStringLiteral("--closer"), closerPath()},
                {programPath()});
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(runReport(result)));

    // Nothing was joined in this run, so there is no original network to go back to: the
    // restore switches address and DNS to DHCP and asks for no reconnect.
    const QList<QStringList> expectedNetsh{
        argv(QStringLiteral("wlan show interfaces")),
        argv(QStringLiteral("interface ip show addresses Wi-Fi")),
        argv(QStringLiteral("interface ip set address name=Wi-Fi source=dhcp")),
        argv(QStringLiteral("interface ip set dns name=Wi-Fi source=dhcp"))};
    QCOMPARE(run.netshCommands(), expectedNetsh);

    const QStringList entries = run.logEntries();
    QVERIFY(entries.size() >= 2);
    QCOMPARE(entries.mid(entries.size() - 2),
             QStringList({QStringLiteral("STATUS: Ready."),
                          QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi")}));

    const QJsonObject adapter = run.laptopAdapter();
    QCOMPARE(adapter.value(QStringLiteral("dhcp")).toBool(), true);
    QCOMPARE(adapter.value(QStringLiteral("dnsDhcp")).toBool(), true);
    QCOMPARE(adapter.value(QStringLiteral("address")).toString(), QStringLiteral("10.10.10.3"));
}

void E2eProduct::clicksAndKeysOnTheWindowProvisionTheChargerAndRestoreTheLaptop_data()
{
    QTest::addColumn<int>("chargerRow");
    QTest::addColumn<QString>("charger");
    QTest::addColumn<int>("customerNetworks");
    QTest::addColumn<QString>("verifiedAccessPoint");
    QTest::addColumn<QStringList>("rebootCommands");

    QTest::newRow("first charger, plain replies, HomeNet at its one access point")
        << 0 << QStringLiteral("JuiceNet-1A2B") << 1 << QStringLiteral("a4:2b:b0:11:22:33 6")
        << QStringList{QStringLiteral("reboot")};
    QTest::newRow("second charger, quoted values, HomeNet verified at its stronger access point")
        << 1 << QStringLiteral("JuiceNet-3C4D") << 2 << QStringLiteral("a4:2b:b0:11:22:34 44")
        << QStringList{QStringLiteral("reboot")};
    QTest::newRow("third charger, JSON replies, a firmware without reboot is reset instead")
        << 2 << QStringLiteral("JuiceNet-5E6F") << 2 << QStringLiteral("a4:2b:b0:11:22:33 6")
        << QStringList{QStringLiteral("reboot"), QStringLiteral("reset")};
}

void E2eProduct::clicksAndKeysOnTheWindowProvisionTheChargerAndRestoreTheLaptop()
{
    QFETCH(int, chargerRow);
    QFETCH(QString, charger);
    QFETCH(int, customerNetworks);
    QFETCH(QString, verifiedAccessPoint);
    QFETCH(QStringList, rebootCommands);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it).");
    for (const QString &helper : {closerPath(), x11DriverPath()}) {
        if (!QFileInfo::exists(helper))
            QSKIP(qPrintable(helper + QStringLiteral(" was not built (it needs the X11 and XTest "
                                                     "development files).")));
    }
    QVERIFY2(QFileInfo::exists(layoutProbePath()), qPrintable(layoutProbePath()));

    const QString password = QStringLiteral("correct horse");

    // What a technician does, control by control; each click waits for the log entries that
    // show its slot has finished before the next one goes out, since the window runs nested
    // slots for input that arrives while it waits for the charger.
    const QStringList steps{
        QStringLiteral("await\tSTATUS: Ready."),
        QStringLiteral("click\tFind Charger Wi-Fi\tSTATUS: Found 3 charger network(s)."),
        QStringLiteral("click\tNearby Charger Wi-Fi/%1").arg(chargerRow),
        QStringLiteral("click\tConnect to Selected\tSTATUS: Connected to %1\t"
                       "========================")
            .arg(charger),
        QStringLiteral("click\tSet Static IP\tSTATUS: Static IP applied (10.10.10.2).\t"
                       "CMD get system.uuid*"),
        QStringLiteral("click\t2  Wi-Fi Setup"),
        QStringLiteral("click\tScan Available Wi-Fi (from charger)\t"
                       "STATUS: Found %1 Wi-Fi network(s) from charger scan.")
            .arg(customerNetworks),
        QStringLiteral(
            "click\tCustomer Wi-Fi/0\tSTATUS: Selected Wi-Fi: HomeNet (enter password)."),
        QStringLiteral("click\tPassword"),
        QStringLiteral("type\t") + password,
        QStringLiteral("click\tSet Wi-Fi + Reboot Charger\t"
                       "STATUS: Wi-Fi saved. Reboot command sent (%1).\t"
                       "Reconnect requested for original SSID: HomeNet")
            .arg(rebootCommands.last()),
        QStringLiteral("close")};

    NamespaceRun run(laptopAtHome());
    const QString stepsFile =
        run.writeFile(QStringLiteral("steps.txt"), steps.join(QLatin1Char('\n')).toUtf8());
    const RunResult result = run.run(
        {QStringLiteral("--x11")},
        {x11DriverPath(), QStringLiteral("--probe"), layoutProbePath(), QStringLiteral("--steps"),
         stepsFile, QStringLiteral("--closer"), closerPath(), QStringLiteral("--"), programPath()});
    if (!result.finished || result.exitCode != 0) {
        // Line by line: the driver's account of every step and the log can be long.
        for (const QByteArray &line : result.output.split('\n'))
            qInfo("%s", line.constData());
        QFAIL(qPrintable(QStringLiteral("the run ended with exit code %1%2")
                             .arg(result.exitCode)
                             .arg(result.finished ? QString() : QStringLiteral(", stopped"))));
    }

    // The laptop: found the chargers, joined the chosen one by a temporary open profile, took the
    // static address, and was restored twice: after the reboot and when the window closed.
    const QStringList restore{QStringLiteral("interface ip set address name=Wi-Fi source=dhcp"),
                              QStringLiteral("interface ip set dns name=Wi-Fi source=dhcp"),
                              QStringLiteral("wlan disconnect interface=Wi-Fi"),
                              QStringLiteral("wlan connect name=HomeNet interface=Wi-Fi")};
    QStringList expectedNetsh{
        QStringLiteral("wlan show interfaces"),
        QStringLiteral("interface ip show addresses Wi-Fi"),
        QStringLiteral("wlan show networks mode=bssid"),
        QStringLiteral("wlan show interfaces"),
        QStringLiteral("wlan disconnect"),
        QStringLiteral("wlan delete profile name=") + charger,
        QStringLiteral("wlan add profile filename=<profile> interface=Wi-Fi"),
        QStringLiteral("wlan connect name=%1 ssid=%1 interface=Wi-Fi").arg(charger),
        QStringLiteral("interface ip show addresses Wi-Fi"),
        QStringLiteral("interface ip set address Wi-Fi static 10.10.10.2 255.255.255.0"),
        QStringLiteral("interface ip set dns name=Wi-Fi static 10.10.10.1 primary"),
        QStringLiteral("interface ip show addresses Wi-Fi")};
    expectedNetsh << restore << restore;
    QList<QStringList> expectedArguments;
    for (const QString &line : std::as_const(expectedNetsh))
        expectedArguments << argv(line);
    QList<QStringList> netsh = run.netshCommands();
    for (QStringList &command : netsh) {
        if (command.size() == 5 && command.at(2) == QLatin1String("profile") &&
            command.at(3).startsWith(QStringLiteral("filename=") + QDir::tempPath() +
                                     QStringLiteral("/zephyl_")))
            command[3] = QStringLiteral("filename=<profile>");
    }
    QCOMPARE(netsh, expectedArguments);
    const QStringList profiles = run.addedProfiles();
    QCOMPARE(profiles.size(), 1);
    QCOMPARE(profiles.first().count(QStringLiteral("<name>") + charger + QStringLiteral("</name>")),
             2);
    const QJsonObject adapter = run.laptopAdapter();
    QCOMPARE(adapter.value(QStringLiteral("connectedSsid")).toString(), QStringLiteral("HomeNet"));
    QCOMPARE(adapter.value(QStringLiteral("dhcp")).toBool(), true);
    QCOMPARE(adapter.value(QStringLiteral("dnsDhcp")).toBool(), true);

    // The charger: every request a GET of the fixed URL; the header cards read after the join
    // and after the static address, the customer scan, then scan, verify, write, save, verify
    // again and reboot.
    // Until the join no charger was on the laptop's network, so the start-up reads went
    // unanswered; from the join on, only the chosen charger answered.
    const QList<ChargerRequest> requests = run.chargerRequests();
    bool joined = false;
    for (const ChargerRequest &request : requests) {
        QCOMPARE(request.method, QStringLiteral("GET"));
        QCOMPARE(request.host, QStringLiteral("setup.zephyl"));
        QCOMPARE(request.path, QStringLiteral("/command/") +
                                   QString::fromLatin1(QUrl::toPercentEncoding(request.command)));
        joined = joined || !request.charger.isEmpty();
        QCOMPARE(request.charger, joined ? charger : QString());
    }
    const QString key = wpaPassphraseKey(QStringLiteral("HomeNet"), password);
    QCOMPARE(key.size(), 64);
    const QString verify =
        QStringLiteral("network_verify wifi HomeNet %1 4 %2").arg(verifiedAccessPoint, key);
    const QStringList headerCards{
        QStringLiteral("get wlan.ssid"), QStringLiteral("get wlan.passkey"),
        QStringLiteral("get system.euid"), QStringLiteral("get system.uuid")};
    QStringList expectedCommands = headerCards;
    expectedCommands << QStringLiteral("get system.uuid") << QStringLiteral("get system.serial")
                     << QStringLiteral("get wlan.mac");
    expectedCommands << headerCards;
    expectedCommands << QStringLiteral("wlan_scan -v") << QStringLiteral("wlan_scan -v") << verify
                     << QStringLiteral("set wlan.ssid \"HomeNet\"")
                     << QStringLiteral("set wlan.passkey \"correct horse\"")
                     << QStringLiteral("set wlan.auto_join.enabled 1") << QStringLiteral("save")
                     << QStringLiteral("wlan_scan -v") << verify << rebootCommands;
    QCOMPARE(run.commandsTo(charger), expectedCommands);

    const QStringList expectedStatus{
        QStringLiteral("STATUS: Ready."),
        QStringLiteral("STATUS: Found 3 charger network(s)."),
        QStringLiteral("STATUS: Connecting to %1...").arg(charger),
        QStringLiteral("STATUS: Connected to %1").arg(charger),
        QStringLiteral("STATUS: Static IP applied (10.10.10.2)."),
        QStringLiteral("STATUS: Scanning Wi-Fi from charger..."),
        QStringLiteral("STATUS: Found %1 Wi-Fi network(s) from charger scan.")
            .arg(customerNetworks),
        QStringLiteral("STATUS: Selected Wi-Fi: HomeNet (enter password)."),
        QStringLiteral("STATUS: Verifying network before applying credentials..."),
        QStringLiteral("STATUS: Running network verify before applying Wi-Fi credentials..."),
        QStringLiteral("STATUS: Network verify passed: credentials are valid."),
        QStringLiteral("STATUS: Applying customer Wi-Fi credentials (set + save)..."),
        QStringLiteral("STATUS: Verifying Wi-Fi authentication before reboot..."),
        QStringLiteral("STATUS: Wi-Fi auth verified."),
        QStringLiteral("STATUS: Wi-Fi saved. Reboot command sent (%1).")
            .arg(rebootCommands.last())};
    const QStringList entries = run.logEntries();
    QStringList status;
    for (const QString &entry : entries) {
        if (entry.startsWith(QStringLiteral("STATUS: ")))
            status << entry;
    }
    QCOMPARE(status, expectedStatus);
    QVERIFY2(entries.contains(QStringLiteral("Captured original laptop Wi-Fi: HomeNet")),
             qPrintable(entries.join(QLatin1Char('\n'))));
    const QStringList restoreLines{
        QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi"),
        QStringLiteral("Reconnect requested for original SSID: HomeNet")};
    QCOMPARE(entries.mid(entries.size() - 4), restoreLines + restoreLines);

    const QString logText = run.logText();
    QVERIFY(!logText.contains(password));
    QVERIFY(!logText.contains(key));
}

QTEST_GUILESS_MAIN(E2eProduct)
#include "tst_e2e_product.moc"
