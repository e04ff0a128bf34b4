// The demo program starts, brings the window to a page against its simulated laptop and chargers,
// closes it (which restores the laptop) and exits cleanly, on the offscreen platform.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString demoPath()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../zephyl-wifi-setup-demo"));
}

QStringList logEntries(const QString &home)
{
    const QDir logs(home + QStringLiteral("/Documents/Zephyl-Logs"));
    const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files);
    if (files.size() != 1)
        return {};
    QFile log(logs.filePath(files.first()));
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression stamp(
        QStringLiteral(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] )"));
    QStringList entries;
    for (const QString &line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = stamp.match(line);
        if (match.hasMatch())
            entries << line.mid(match.capturedLength());
    }
    return entries;
}

} // namespace

class DemoSmoke : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void demoRunsAPageAndClosesCleanly_data();
    void demoRunsAPageAndClosesCleanly();
};

void DemoSmoke::initTestCase()
{
    QVERIFY2(QFileInfo(demoPath()).isExecutable(), qPrintable(demoPath() + " is missing"));
}

void DemoSmoke::demoRunsAPageAndClosesCleanly_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("expectedEntries");
    QTest::addColumn<bool>("identityLogged");

    const QString restored = QStringLiteral("Laptop network restored to DHCP on interface: Wi-Fi");
    const QString reconnect = QStringLiteral("Reconnect requested for original SSID: HomeNet");

    // From the home network no charger answers, so no identity can be read yet.
    QTest::newRow("a plain start stays on the home network until the window closes")
        << QStringList{QStringLiteral("--quit-after-ms"), QStringLiteral("200")}
        << QStringList{QStringLiteral("STATUS: Ready."), restored} << false;
    QTest::newRow("the Connect page lists the three chargers")
        << QStringList{QStringLiteral("--page"), QStringLiteral("connect"),
                       QStringLiteral("--quit-after-ms"), QStringLiteral("200")}
        << QStringList{QStringLiteral("STATUS: Ready."),
                       QStringLiteral("STATUS: Found 3 charger network(s)."), restored}
        << false;
    QTest::newRow("the Wi-Fi page joins the first charger and lists its networks")
        << QStringList{QStringLiteral("--page"), QStringLiteral("wifi"),
                       QStringLiteral("--quit-after-ms"), QStringLiteral("200")}
        << QStringList{QStringLiteral("STATUS: Ready."),
                       QStringLiteral("Captured original laptop Wi-Fi: HomeNet"),
                       QStringLiteral("STATUS: Connected to JuiceNet-1A2B"),
                       QStringLiteral("STATUS: Found 3 Wi-Fi network(s) from charger scan."),
                       QStringLiteral("STATUS: Selected Wi-Fi: HomeNet (enter password)."),
                       restored,
                       reconnect}
        << true;
    QTest::newRow("the Cleanup page previews the first charger's cache and event files")
        << QStringList{QStringLiteral("--page"), QStringLiteral("cleanup"),
                       QStringLiteral("--quit-after-ms"), QStringLiteral("200")}
        << QStringList{QStringLiteral("STATUS: Ready."),
                       QStringLiteral("STATUS: Advanced mode selected."),
                       QStringLiteral("STATUS: Preview found 3 cleanup file(s)."), restored,
                       reconnect}
        << true;
    // The demo controls reach the guided run only by the slot's name.
    QTest::newRow("the guided run invoked by name puts all three chargers on HomeNet")
        << QStringList{QStringLiteral("--page"),          QStringLiteral("wifi"),
                       QStringLiteral("--invoke"),        QStringLiteral("onStartGuidedSetup"),
                       QStringLiteral("--quit-after-ms"), QStringLiteral("200")}
        << QStringList{QStringLiteral("STATUS: Ready."),
                       QStringLiteral("STATUS: Found a charger, connecting... JuiceNet-1A2B"),
                       QStringLiteral("STATUS: WiFi configured for HomeNet."),
                       QStringLiteral("STATUS: Found a charger, connecting... JuiceNet-3C4D"),
                       QStringLiteral("STATUS: WiFi configured for HomeNet."),
                       QStringLiteral("STATUS: Found a charger, connecting... JuiceNet-5E6F"),
                       QStringLiteral("STATUS: WiFi configured for HomeNet."),
                       QStringLiteral("STATUS: Done. Processed 3 charger(s), success: 3."),
                       restored}
        << true;
}

void DemoSmoke::demoRunsAPageAndClosesCleanly()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, expectedEntries);
    QFETCH(bool, identityLogged);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::MergedChannels);
    demo.start(demoPath(), arguments);
    if (!demo.waitForFinished(60000)) {
        demo.kill();
        demo.waitForFinished(5000);
        QFAIL("the demo did not finish within 60 s");
    }
    const QString output = QString::fromLocal8Bit(demo.readAll());
    QCOMPARE(demo.exitStatus(), QProcess::NormalExit);
    QVERIFY2(demo.exitCode() == 0, qPrintable(output));

    const QStringList entries = logEntries(home.path());
    qsizetype from = 0;
    for (const QString &expected : expectedEntries) {
        const qsizetype at = entries.indexOf(expected, from);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("missing, or out of order: ") + expected +
                                     QStringLiteral("\n") + entries.join(QLatin1Char('\n'))));
        from = at + 1;
    }

    const QStringList identity{QStringLiteral("=== Charger Identity ==="),
                               QStringLiteral("Serial: ZP2-0001234"),
                               QStringLiteral("MAC: 70:b3:d5:12:34:56"),
                               QStringLiteral("Device UUID: ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10"),
                               QStringLiteral("========================")};
    const qsizetype block = entries.indexOf(identity.first());
    QCOMPARE(block >= 0, identityLogged);
    if (identityLogged)
        QCOMPARE(entries.mid(block, identity.size()), identity);

    // The Wi-Fi page types the demo password; neither the log nor the output shows it.
    QVERIFY(!entries.join(QLatin1Char('\n')).contains(QStringLiteral("correct horse")));
    QVERIFY(!output.contains(QStringLiteral("correct horse")));
}

QTEST_GUILESS_MAIN(DemoSmoke)
#include "tst_demo_smoke.moc"
