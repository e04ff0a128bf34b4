// End to end: the unmodified zephyl-wifi-setup, built for Linux and for Windows, in private
// network and mount namespaces, where "setup.zephyl" resolves to the charger simulator on
// 127.0.0.1:80 and netsh is the stand-in (run_in_namespace.sh). No proxy is set, so every request
// reached the simulator through the program's own fixed URL. The laptop's adapter is joined to
// the charger's setup network with the static address; start-up reads the charger and the window
// is closed through a window manager, as a user closes it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

namespace {

QList<QJsonObject> journal(const QString &path)
{
    QList<QJsonObject> entries;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                entries << QJsonDocument::fromJson(line).object();
        }
    }
    return entries;
}

// The one setup log in `folder`, line by line.
QStringList logLines(const QString &folder)
{
    const QDir logs(folder);
    const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files);
    QFile log(logs.filePath(files.value(0)));
    if (files.size() != 1 || !log.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
}

QString namespacesUnavailable()
{
    if (::geteuid() != 0)
        return QStringLiteral("private network and mount namespaces need root");
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("-mn"), QStringLiteral("true")});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        probe.kill();
        return QStringLiteral("\"unshare -mn true\" fails here");
    }
    return {};
}

// Runs `program` through run_in_namespace.sh with the run data in `data` and the netsh stand-in
// of `netshDir`; false with the script's output in `output` when the run did not end well.
bool runInNamespace(const QString &work, const QString &data, const QString &netshDir,
                    const QStringList &program, QString &output)
{
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("unshare"),
              QStringList{QStringLiteral("--mount"), QStringLiteral("--net"),
                          QStringLiteral("--propagation"), QStringLiteral("private"),
                          QStringLiteral("bash"), QStringLiteral(ZEPHYL_E2E_SCRIPT), work, data,
                          QStringLiteral(ZEPHYL_CHARGER_SIM), netshDir} +
                  program);
    // The script gives the program 90 s at most; this bound only catches a stuck script.
    const bool finished = run.waitForFinished(150000);
    if (!finished)
        run.kill();
    output = QString::fromLocal8Bit(run.readAll()) +
             QStringLiteral("\nexit code %1").arg(run.exitCode());
    return finished && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

// Start-up: the header cards' SSID, passkey and UUID up to the first "ead" value, then the
// identity block's UUID, serial and MAC, each at its first key.
void checkStartUpRequests(const QString &work)
{
    QStringList requests;
    for (const QJsonObject &entry : journal(work + QStringLiteral("/charger-journal.jsonl")))
        requests << entry.value(QStringLiteral("method")).toString() + QLatin1Char(' ') +
                        entry.value(QStringLiteral("path")).toString() + QStringLiteral(" Host: ") +
                        entry.value(QStringLiteral("host")).toString();
    QStringList expectedRequests;
    for (const char *key : {"wlan.ssid", "wlan.passkey", "system.euid", "system.uuid",
                            "system.uuid", "system.serial", "wlan.mac"})
        expectedRequests << QStringLiteral("GET /command/get%20") + QLatin1String(key) +
                                QStringLiteral(" Host: setup.zephyl");
    QCOMPARE(requests, expectedRequests);
}

// Start-up reads the adapter and its addressing, then come the clicks' calls, and the close
// restores it. Each argument list as a JSON array, so a name split at its blank shows as two
// elements; of the WLAN API calls, the scan requests with their interface.
void checkNetshCommands(const QList<QJsonObject> &entries, const QString &adapter,
                        const QStringList &clicks = {})
{
    QStringList netsh;
    for (const QJsonObject &entry : entries) {
        const QString wlanapi = entry.value(QStringLiteral("wlanapi")).toString();
        if (wlanapi == u"WlanScan")
            netsh << wlanapi + u' ' + entry.value(QStringLiteral("guid")).toString();
        else if (wlanapi.isEmpty())
            netsh << QString::fromUtf8(QJsonDocument(entry.value(QStringLiteral("argv")).toArray())
                                           .toJson(QJsonDocument::Compact));
    }
    QStringList expectedNetsh{
        QStringLiteral(R"(["wlan","show","interfaces"])"),
        QStringLiteral(R"(["interface","ip","show","addresses","%1"])").arg(adapter)};
    expectedNetsh
        << clicks
        << QStringLiteral(R"(["interface","ip","set","address","name=%1","source=dhcp"])")
               .arg(adapter)
        << QStringLiteral(R"(["interface","ip","set","dns","name=%1","source=dhcp"])").arg(adapter);
    QCOMPARE(netsh, expectedNetsh);
}

// Every handle the WLAN API opened is closed and every list it handed out is freed.
void checkWlanApiBalanced(const QList<QJsonObject> &entries)
{
    QMap<QString, int> calls;
    for (const QJsonObject &entry : entries)
        ++calls[entry.value(QStringLiteral("wlanapi")).toString()];
    QCOMPARE(calls.value(QStringLiteral("WlanCloseHandle")),
             calls.value(QStringLiteral("WlanOpenHandle")));
    QCOMPARE(calls.value(QStringLiteral("WlanFreeMemory")),
             calls.value(QStringLiteral("WlanEnumInterfaces")));
}

// The log's header, and every entry but the charger exchanges, which the window tests check line
// by line; `clicks` are the entries the clicks after "Ready." write.
void checkLog(const QString &folder, const QString &adapter, const QStringList &clicks = {})
{
    const QStringList lines = logLines(folder);
    QVERIFY2(lines.size() > 4, qPrintable(folder));
    QCOMPARE(lines.at(0), QStringLiteral("Zephyl WiFi Setup Log"));
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^Started: \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$)"))
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
    QCOMPARE(lines.at(2), QStringLiteral("Password fields are redacted."));
    QCOMPARE(lines.at(3), QString());
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
    QStringList entries;
    for (const QString &line : lines.mid(4)) {
        const QString entry = QString(line).remove(stamp);
        if (!entry.isEmpty() && !entry.startsWith(QStringLiteral("CMD ")))
            entries << entry;
    }
    QStringList expectedEntries{QStringLiteral("=== Charger Identity ==="),
                                QStringLiteral("Serial: ZP2-0001234"),
                                QStringLiteral("MAC: 70:b3:d5:12:34:56"),
                                QStringLiteral("Device UUID: ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"),
                                QStringLiteral("========================"),
                                QStringLiteral("STATUS: Ready.")};
    expectedEntries << clicks
                    << QStringLiteral("Laptop network restored to DHCP on interface: ") + adapter;
    QCOMPARE(entries, expectedEntries);
}

} // namespace

class E2eProduct : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startsOnTheJoinedChargerAndRestoresTheLaptopWhenClosed();
    void windowsBuildUnderWineScansAndRunsTheSystemNetshWithExactArguments();
};

void E2eProduct::init()
{
    const QString unavailable = namespacesUnavailable();
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable + QStringLiteral("; the end-to-end test is skipped.")));
    for (const char *tool : {"Xvfb", "matchbox-window-manager", "wmctrl", "xdotool"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing; scripts/install-deps.sh installs it")
                                .arg(QString::fromLatin1(tool))));
    }
}

// The laptop's adapter "Wi-Fi 2" is joined to the charger's setup network with the static
// address; the window is closed through a window manager, as a user closes it.
void E2eProduct::startsOnTheJoinedChargerAndRestoresTheLaptopWhenClosed()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    QString output;
    QVERIFY2(runInNamespace(work.path(), QStringLiteral(ZEPHYL_E2E_DATA "/e2e"),
                            QStringLiteral(ZEPHYL_NETSH_DIR), {QStringLiteral(ZEPHYL_PRODUCT)},
                            output),
             qPrintable(output));
    checkStartUpRequests(work.path());
    checkNetshCommands(journal(work.filePath(QStringLiteral("netsh-journal.jsonl"))),
                       QStringLiteral("Wi-Fi 2"));
    checkLog(work.filePath(QStringLiteral("home/Documents/Zephyl-Logs")),
             QStringLiteral("Wi-Fi 2"));
}

// The zip's program under Wine, in a prefix whose system32\netsh.exe is the stand-in built for
// Windows, with decoy netsh.exe files beside the program and in the current folder. The adapter
// "WLAN Café 2" is written in the OEM code page (437), which differs from the ANSI one (1252).
// Each stand-in splits its raw command line with CommandLineToArgvW, as netsh does. Once ready,
// "Find Charger Wi-Fi" is clicked four times (find_charger_under_wine.sh): the wlanapi.dll
// stand-in reports the scan's end, reports nothing, is gone, and refuses. JuiceNet-5E6F opened a
// moment ago: it is listed only after a scan.
void E2eProduct::windowsBuildUnderWineScansAndRunsTheSystemNetshWithExactArguments()
{
    for (const char *file : {ZEPHYL_WINE, ZEPHYL_WINDOWS_ZIP, ZEPHYL_WINDOWS_NETSH_DIR}) {
        QVERIFY2(QFileInfo::exists(QString::fromUtf8(file)),
                 qPrintable(QStringLiteral("%1 is missing; scripts/build-windows.sh builds the "
                                           "Windows program and installs wine64")
                                .arg(QString::fromUtf8(file))));
    }
    QTemporaryDir work;
    QVERIFY(work.isValid());
    // run_under_wine.sh gives Wine the account's name as its user.
    const QString user = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    const QString logs =
        work.filePath(QStringLiteral("prefix/drive_c/users/%1/Documents/Zephyl-Logs")).arg(user);
    qputenv("ZEPHYL_E2E_LOGS", logs.toUtf8());
    qputenv("ZEPHYL_E2E_ACTIONS", ZEPHYL_WINE_ACTIONS);
    QString output;
    QVERIFY2(runInNamespace(work.path(), QStringLiteral(ZEPHYL_E2E_DATA "/windows"),
                            QStringLiteral(ZEPHYL_WINDOWS_NETSH_DIR),
                            {QStringLiteral(ZEPHYL_WINE_SCRIPT), work.path(),
                             QStringLiteral(ZEPHYL_WINDOWS_ZIP),
                             QStringLiteral(ZEPHYL_WINDOWS_NETSH_DIR), QStringLiteral("-platform"),
                             QStringLiteral("windows")},
                            output),
             qPrintable(output));
    checkStartUpRequests(work.path());
    const QList<QJsonObject> entries =
        journal(work.filePath(QStringLiteral("netsh-journal.jsonl")));
    // The GUID netsh prints; no listing and no second attempt after the refusal.
    const QString scan = QStringLiteral("WlanScan 3f2a9c1e-5b7d-4e8f-a6c2-9d0b1e4f7a35");
    const QString listing = QStringLiteral(R"(["wlan","show","networks","mode=bssid"])");
    checkNetshCommands(entries, QStringLiteral("WLAN Café 2"),
                       {scan, listing, scan, listing, listing, scan});
    checkWlanApiBalanced(entries);
    for (const QJsonObject &entry : entries) {
        if (!entry.contains(QStringLiteral("wlanapi")))
            QCOMPARE(entry.value(QStringLiteral("program")).toString().toLower(),
                     QStringLiteral("c:\\windows\\system32\\netsh.exe"));
    }
    const QString asking = QStringLiteral("STATUS: Asking Windows for a fresh Wi-Fi scan...");
    const QString found = QStringLiteral("STATUS: Found 2 charger network(s).");
    checkLog(logs, QStringLiteral("WLAN Café 2"),
             {asking, QStringLiteral("Fresh Wi-Fi scan finished."), found, asking,
              QStringLiteral("No end of the fresh Wi-Fi scan reported within 4000 ms."), found,
              QStringLiteral("No fresh Wi-Fi scan on this laptop (wlanapi.dll not loaded from the "
                             "system folder); discovery reads the networks Windows has cached."),
              found,
              QStringLiteral("Fresh Wi-Fi scan refused (access denied): Windows withholds Wi-Fi "
                             "information while Location access is off."),
              QStringLiteral("Find Charger Wi-Fi met the location gate: Windows withholds Wi-Fi "
                             "information while location access is off."),
              QStringLiteral("STATUS: Windows is withholding Wi-Fi information from this "
                             "program: turn on Location access, then try again.")});
}

QTEST_GUILESS_MAIN(E2eProduct)
#include "tst_e2e_product.moc"
