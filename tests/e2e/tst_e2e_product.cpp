// End to end: the unmodified zephyl-wifi-setup in private network and mount namespaces, where
// "setup.zephyl" resolves to the charger simulator on 127.0.0.1:80 and "netsh" is the stand-in
// (run_in_namespace.sh). No proxy is set, so every request reached the simulator through the
// program's own fixed URL. The laptop's adapter "Wi-Fi 2" is joined to the charger's setup network
// with the static address; the window is closed through a window manager, as a user closes it.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

QStringList logLines(const QString &home)
{
    const QDir logs(home + QStringLiteral("/Documents/Zephyl-Logs"));
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

} // namespace

class E2eProduct : public QObject
{
    Q_OBJECT

private slots:
    void startsOnTheJoinedChargerAndRestoresTheLaptopWhenClosed();
};

void E2eProduct::startsOnTheJoinedChargerAndRestoresTheLaptopWhenClosed()
{
    const QString unavailable = namespacesUnavailable();
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable + QStringLiteral("; the end-to-end test is skipped.")));
    for (const char *tool : {"Xvfb", "matchbox-window-manager", "wmctrl"}) {
        QVERIFY2(!QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty(),
                 qPrintable(QStringLiteral("%1 is missing; scripts/install-deps.sh installs it")
                                .arg(QString::fromLatin1(tool))));
    }

    QTemporaryDir work;
    QVERIFY(work.isValid());
    QProcess run;
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QStringLiteral("unshare"),
              {QStringLiteral("--mount"), QStringLiteral("--net"), QStringLiteral("--propagation"),
               QStringLiteral("private"), QStringLiteral("bash"), QStringLiteral(ZEPHYL_E2E_SCRIPT),
               work.path(), QStringLiteral(ZEPHYL_E2E_DATA), QStringLiteral(ZEPHYL_CHARGER_SIM),
               QStringLiteral(ZEPHYL_NETSH_DIR), QStringLiteral(ZEPHYL_PRODUCT)});
    // The script gives the program 90 s at most; this bound only catches a stuck script.
    const bool finished = run.waitForFinished(150000);
    if (!finished)
        run.kill();
    const QString output = QString::fromLocal8Bit(run.readAll());
    QVERIFY2(finished && run.exitStatus() == QProcess::NormalExit, qPrintable(output));
    QVERIFY2(run.exitCode() == 0,
             qPrintable(QStringLiteral("exit code %1\n%2").arg(run.exitCode()).arg(output)));

    // Start-up: the header cards' SSID, passkey and UUID up to the first "ead" value, then the
    // identity block's UUID, serial and MAC, each at its first key.
    QStringList requests;
    for (const QJsonObject &entry : journal(work.filePath(QStringLiteral("charger-journal.jsonl"))))
        requests << entry.value(QStringLiteral("method")).toString() + QLatin1Char(' ') +
                        entry.value(QStringLiteral("path")).toString() + QStringLiteral(" Host: ") +
                        entry.value(QStringLiteral("host")).toString();
    const QStringList expectedRequests{
        QStringLiteral("GET /command/get%20wlan.ssid Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20wlan.passkey Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20system.euid Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20system.uuid Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20system.uuid Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20system.serial Host: setup.zephyl"),
        QStringLiteral("GET /command/get%20wlan.mac Host: setup.zephyl")};
    QCOMPARE(requests, expectedRequests);

    // Each argument list as a JSON array, so a name split at its blank shows as two elements.
    QStringList netsh;
    for (const QJsonObject &entry : journal(work.filePath(QStringLiteral("netsh-journal.jsonl"))))
        netsh << QString::fromUtf8(QJsonDocument(entry.value(QStringLiteral("argv")).toArray())
                                       .toJson(QJsonDocument::Compact));
    const QStringList expectedNetsh{
        QStringLiteral(R"(["wlan","show","interfaces"])"),
        QStringLiteral(R"(["interface","ip","show","addresses","Wi-Fi 2"])"),
        QStringLiteral(R"(["interface","ip","set","address","name=Wi-Fi 2","source=dhcp"])"),
        QStringLiteral(R"(["interface","ip","set","dns","name=Wi-Fi 2","source=dhcp"])")};
    QCOMPARE(netsh, expectedNetsh);

    const QStringList lines = logLines(work.filePath(QStringLiteral("home")));
    QVERIFY2(lines.size() > 4, qPrintable(output));
    QCOMPARE(lines.at(0), QStringLiteral("Zephyl WiFi Setup Log"));
    QVERIFY2(QRegularExpression(QStringLiteral(R"(^Started: \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d$)"))
                 .match(lines.at(1))
                 .hasMatch(),
             qPrintable(lines.at(1)));
    QCOMPARE(lines.at(2), QStringLiteral("Password fields are redacted."));
    QCOMPARE(lines.at(3), QString());
    // Every entry but the charger exchanges, which the window tests check line by line.
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
    QStringList entries;
    for (const QString &line : lines.mid(4)) {
        const QString entry = QString(line).remove(stamp);
        if (!entry.isEmpty() && !entry.startsWith(QStringLiteral("CMD ")))
            entries << entry;
    }
    const QStringList expectedEntries{
        QStringLiteral("=== Charger Identity ==="),
        QStringLiteral("Serial: ZP2-0001234"),
        QStringLiteral("MAC: 70:b3:d5:12:34:56"),
        QStringLiteral("Device UUID: ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"),
        QStringLiteral("========================"),
        QStringLiteral("STATUS: Ready."),
        QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi 2")};
    QCOMPARE(entries, expectedEntries);
}

QTEST_GUILESS_MAIN(E2eProduct)
#include "tst_e2e_product.moc"
