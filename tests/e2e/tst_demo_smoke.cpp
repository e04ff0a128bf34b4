// The README's first command opens the demo: its window must come up "Ready.", its in-process
// charger simulator must answer the window's requests, and it must end cleanly. The demo laptop
// starts on its home network, where no charger answers, so the run joins the first charger
// (--page wifi) and looks for that charger's UUID among the answers.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class DemoSmoke : public QObject
{
    Q_OBJECT

private slots:
    void demoComesUpReadyAndEnds();
};

void DemoSmoke::demoComesUpReadyAndEnds()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    demo.setProcessEnvironment(environment);
    demo.setProcessChannelMode(QProcess::MergedChannels);
    // --quit-after-ms closes the window once the page is ready; the bound only catches a hang.
    demo.start(QStringLiteral(ZEPHYL_DEMO),
               {QStringLiteral("--no-panel"), QStringLiteral("--page"), QStringLiteral("wifi"),
                QStringLiteral("--quit-after-ms"), QStringLiteral("0")});
    const bool finished = demo.waitForFinished(60000);
    if (!finished)
        demo.kill();
    const QString output = QString::fromLocal8Bit(demo.readAll());
    QVERIFY2(finished && demo.exitStatus() == QProcess::NormalExit && demo.exitCode() == 0,
             qPrintable(output));

    const QDir logs(home.filePath(QStringLiteral("Documents/Zephyl-Logs")));
    const QStringList files = logs.entryList({QStringLiteral("*.log")}, QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile log(logs.filePath(files.first()));
    QVERIFY(log.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(log.readAll());
    QVERIFY2(text.contains(QStringLiteral("] STATUS: Ready.\n")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(
                 "] CMD get system.uuid -> ok=1 response=ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10\n")),
             qPrintable(text));
}

QTEST_GUILESS_MAIN(DemoSmoke)
#include "tst_demo_smoke.moc"
