#include "app/result_record_format.h"
#include "app/setup_log_format.h"
#include "common/redaction.h"

#include <QTest>
#include <QTimeZone>

class AppLogTest : public QObject
{
    Q_OBJECT

private slots:
    void redaction_data();
    void redaction();
    void lines();
    void recordCell_data();
    void recordCell();
    void recordLine();
};

void AppLogTest::redaction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("secrets");
    QTest::addColumn<QString>("logged");

    const QStringList none;
    QTest::newRow("text without the key is unchanged")
        << "CMD get wlan.ssid -> ok=1" << none << "CMD get wlan.ssid -> ok=1";
    QTest::newRow("key in capitals, value after a blank")
        << "WLAN.PASSKEY hunter22 tail" << none << "wlan.passkey [REDACTED] tail";
    QTest::newRow("quoted value up to its closing quote")
        << "set wlan.passkey \"a b\" ok" << none << "set wlan.passkey [REDACTED]\" ok";
    QTest::newRow("key alone or before quotes only")
        << "wlan.passkey \"\"" << none << "wlan.passkey \"\"";
    QTest::newRow("the arrow after a read is masked")
        << "CMD get wlan.passkey -> ok=1" << none << "CMD get wlan.passkey [REDACTED] ok=1";
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
    QTest::newRow("a password with quote and backslash is masked whole")
        << "set ok wlan.passkey \"a\\ss w0rd\"x\"" << QStringList{"a\\ss w0rd\"x"}
        << "set ok wlan.passkey [REDACTED]\"";
    QTest::newRow("a password anywhere, also as JSON writes it")
        << R"(echo p"w\d and {"v":"p\"w\\d"})" << QStringList{"p\"w\\d"}
        << R"(echo [REDACTED] and {"v":"[REDACTED]"})";
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

void AppLogTest::lines()
{
    const QDateTime at(QDate(2026, 3, 14), QTime(9, 26, 53));
    QCOMPARE(app::logFileName(at, 1), QStringLiteral("Zephyl_WiFi_Setup_20260314_092653.log"));
    QCOMPARE(app::logFileName(at, 3), QStringLiteral("Zephyl_WiFi_Setup_20260314_092653_3.log"));
    QCOMPARE(app::formatLogLine(at, "x"), QStringLiteral("[2026-03-14 09:26:53] x"));
    QCOMPARE(app::logHeaderLines(at).at(1), QStringLiteral("Started: 2026-03-14T09:26:53"));
}

void AppLogTest::recordCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell");

    const auto row = [](const char *name, const char *text, const char *cell) {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(cell);
    };
    row("plain text stays bare", "Home Net", "Home Net");
    row("a comma is quoted", "a,b", "\"a,b\"");
    row("a quote is doubled inside quotes", "say \"hi\"", "\"say \"\"hi\"\"\"");
    row("a line end is quoted", "a\nb", "\"a\nb\"");
    row("= stays text", "=1+2", "'=1+2");
    row("+ stays text", "+1", "'+1");
    row("- stays text", "-2+3", "'-2+3");
    row("@ stays text", "@SUM(A1)", "'@SUM(A1)");
    row("a leading tab stays text", "\tx", "'\tx");
    row("a leading CR stays text, quoted", "\rx", "\"'\rx\"");
    row("a formula with quotes and a comma", "=HYPERLINK(\"x\",\"y\")",
        "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\"");
    row("= later in the text is no formula", "a=b", "a=b");
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
    QCOMPARE(app::recordTime(QDateTime(day, time, QTimeZone(3600))),
             QStringLiteral("2026-12-07T16:42:59+01:00"));
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
                             {app::Outcome::RebootNotConfirmed, "no word"}};
    QCOMPARE(app::resultLine(row),
             QStringLiteral("2026-12-07T16:42:59+01:00,Guided setup,"
                            "JuiceNet-1A2B,ZP2,70:b3,ead0,Caf\u00e9,"
                            "\"configured, reboot not confirmed\",no word\r\n")
                 .toUtf8());
}

QTEST_APPLESS_MAIN(AppLogTest)
#include "tst_app_log.moc"
