#include "app/result_record_file.h"
#include "app/result_record_format.h"
#include "app/setup_log_format.h"
#include "common/redaction.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <csignal>
#include <sys/resource.h>

class AppLogTest : public QObject
{
    Q_OBJECT

private slots:
    void redaction_data();
    void redaction();
    void logFileName();
    void recordCell_data();
    void recordCell();
    void recordLine();
    void recordCutOff_data();
    void recordCutOff();
};

void AppLogTest::redaction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("logged");

    const QStringList none;
    QTest::newRow("key in capitals, value after a blank")
        << "WLAN.PASSKEY hunter22 tail" << none << "wlan.passkey [REDACTED] tail";
    QTest::newRow("quoted value up to its closing quote")
        << "set wlan.passkey \"a b\" ok" << none << "set wlan.passkey [REDACTED]\" ok";
    QTest::newRow("key alone or before quotes only")
        << "wlan.passkey \"\"" << none << "wlan.passkey \"\"";
    QTest::newRow("every occurrence, and masking twice changes nothing")
        << "wlan.passkey [REDACTED] wlan.passkey=b" << none
        << "wlan.passkey [REDACTED] wlan.passkey [REDACTED]";
    QTest::newRow("JSON member") << R"({"wlan.passkey":"x y","ssid":"H"})" << none
                                 << R"({"wlan.passkey [REDACTED]","ssid":"H"})";
    QTest::newRow("masking stops at a line end")
        << "get wlan.passkey\nwlan.passkey \"hunter22\"" << none
        << "get wlan.passkey\nwlan.passkey [REDACTED]\"";
    QTest::newRow("a lone surrogate does not switch masking off")
        << QString("wlan.passkey hunter22 ") + QChar(0xD800) << none
        << QString("wlan.passkey [REDACTED] ") + QChar(0xFFFD);
    QTest::newRow("a derived key in a command")
        << "network_verify wifi H b 6 4 00ff" << QStringList{"00ff", ""}
        << "network_verify wifi H b 6 4 [REDACTED]";
}

void AppLogTest::redaction()
{
    QFETCH(QString, text);
    QFETCH(QStringList, secrets);
    QTEST(common::redactSecrets(text, secrets), "logged");
}

void AppLogTest::logFileName()
{
    const QDateTime at(QDate(2026, 3, 14), QTime(9, 26, 53));
    QCOMPARE(app::logFileName(at, 1), QStringLiteral("Zephyl_WiFi_Setup_20260314_092653.log"));
    QCOMPARE(app::logFileName(at, 3), QStringLiteral("Zephyl_WiFi_Setup_20260314_092653_3.log"));
}

void AppLogTest::recordCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");

    const auto row = [](const char *name, const char *text, const char *cell) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(cell);
    };
    row("a comma stays inside", "a,b", R"c("a,b")c");
    row("a quote is doubled", "say \"hi\"", R"c("say ""hi""")c");
    row("a line end stays inside", "a\nb", "\"a\nb\"");
    row("a ; separator splits off no formula", "x;=1+2", R"c("x;=1+2")c");
    row("= stays text", "=1+2", R"c("'=1+2")c");
    row("+ stays text", "+1", R"c("'+1")c");
    row("- stays text", "-2+3", R"c("'-2+3")c");
    row("@ stays text", "@SUM(A1)", R"c("'@SUM(A1)")c");
    row("a leading tab stays text", "\tx", "\"'\tx\"");
    row("a leading CR stays text", "\rx", "\"'\rx\"");
    row("a formula with quotes and a comma", "=HYPERLINK(\"x\",\"y\")",
        R"c("'=HYPERLINK(""x"",""y"")")c");
    row("= later in the text is no formula", "a=b", R"c("a=b")c");
}

void AppLogTest::recordCell()
{
    QFETCH(QString, text);
    QTEST(app::csvCell(text), "cell");
}

void AppLogTest::recordLine()
{
    const QDate day(2026, 12, 7);
    const QTime time(16, 42, 59);
    QCOMPARE(app::recordTime(QDateTime(day, time, QTimeZone(-(5 * 3600 + 1800)))),
             QStringLiteral("2026-12-07T16:42:59-05:30"));
    QCOMPARE(app::recordTime(QDateTime(day, time, QTimeZone::utc())),
             QStringLiteral("2026-12-07T16:42:59+00:00"));
    const app::ResultRow row{QDateTime(day, time, QTimeZone(3600)),
                             "Guided setup",
                             "JuiceNet-1A2B",
                             "ZP2",
                             "70:b3",
                             "ead0",
                             "Caf\u00e9",
                             app::closedAfter(app::wifiSaved())};
    QCOMPARE(app::newResultFileHead() + app::resultLine(row),
             QStringLiteral("\uFEFF\"Time\",\"Operation\",\"Setup network\",\"Serial\",\"MAC\","
                            "\"UUID\",\"Customer network\",\"Outcome\",\"Reason\"\r\n"
                            "\"2026-12-07T16:42:59+01:00\",\"Guided setup\",\"JuiceNet-1A2B\","
                            "\"ZP2\",\"70:b3\",\"ead0\",\"Caf\u00e9\",\"configured and saved, not "
                            "rebooted\",\"the charger joins it after its next reboot; then "
                            "stopped by closing the window\"\r\n")
                 .toUtf8());
}

// Whole rows or none: the process's file size cap (SIGXFSZ ignored) cuts the write short as a
// full disk would; the next write names the reason.
void AppLogTest::recordCutOff_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("cap");
    QTest::newRow("a new record cut off in its header is removed again") << QByteArray() << 40;
    QTest::newRow("a record cut off in a row ends where it ended")
        << QByteArray("\xEF\xBB\xBF\"Time\"\r\n\"row one\"\r\n") << 40;
}

void AppLogTest::recordCutOff()
{
    QFETCH(QByteArray, before);
    QFETCH(int, cap);
    QTemporaryDir dir;
    QFile file(dir.filePath("results.csv"));
    QVERIFY(before.isNull() || (file.open(QIODevice::WriteOnly) && file.write(before) > 0));
    file.close();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit capped = saved;
    capped.rlim_cur = rlim_t(cap);
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &capped);
    QString error;
    const bool appended =
        app::appendResultRows(file.fileName(), QByteArray(200, 'r') + "\r\n", error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY(!appended);
    QCOMPARE(error, QStringLiteral("File too large"));
    QCOMPARE(file.exists(), !before.isNull());
    if (file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), before);
}

QTEST_APPLESS_MAIN(AppLogTest)
#include "tst_app_log.moc"
