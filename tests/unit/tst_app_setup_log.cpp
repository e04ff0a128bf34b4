#include "app/setup_log_format.h"

#include <QtTest>

class SetupLogFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void redactsPasskeyValues_data();
    void redactsPasskeyValues();
    void redactionIsIdempotent_data();
    void redactionIsIdempotent();
    void namesLogFilesByStartTimeAndSequence();
    void formatsHeaderAndEntries();
};

void SetupLogFormatTest::redactsPasskeyValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("logged");

    QTest::newRow("text without the key is unchanged")
        << "CMD get wlan.ssid -> ok=1 response=HomeNet"
        << "CMD get wlan.ssid -> ok=1 response=HomeNet";
    QTest::newRow("unquoted value is masked") << "set wlan.passkey hunter2 now"
                                              << "set wlan.passkey [REDACTED] now";
    QTest::newRow("upper-case key is masked and written in lower case")
        << "WLAN.PASSKEY Secret99"
        << "wlan.passkey [REDACTED]";
    QTest::newRow("quoted value keeps its closing quote") << R"(set wlan.passkey "hunter2")"
                                                          << R"(set wlan.passkey [REDACTED]")";
    QTest::newRow("quoted value with blanks is masked up to its closing quote")
        << R"(wlan.passkey "my secret pass" ok)"
        << R"(wlan.passkey [REDACTED]" ok)";
    QTest::newRow("quoted value without closing quote is masked to the end of the line")
        << "wlan.passkey \"my secret pass\nnext line"
        << "wlan.passkey [REDACTED]\nnext line";
    QTest::newRow("blank after the opening quote is masked too")
        << R"(wlan.passkey " leading blank")"
        << R"(wlan.passkey [REDACTED]")";
    QTest::newRow("key at the very end is unchanged") << "reading wlan.passkey"
                                                      << "reading wlan.passkey";
    QTest::newRow("key followed only by blanks and quotes is unchanged") << R"(wlan.passkey   "")"
                                                                         << R"(wlan.passkey   "")";
    QTest::newRow("the get log line masks the arrow")
        << "CMD get wlan.passkey -> ok=1 response=[REDACTED]"
        << "CMD get wlan.passkey [REDACTED] ok=1 response=[REDACTED]";
    QTest::newRow("several occurrences are all masked")
        << R"(wlan.passkey one and Wlan.Passkey "two three" end)"
        << R"(wlan.passkey [REDACTED] and wlan.passkey [REDACTED]" end)";
    QTest::newRow("a JSON member is masked up to its closing quote")
        << R"({"wlan.passkey":"my pass","ok":true})"
        << R"({"wlan.passkey [REDACTED]","ok":true})";
    QTest::newRow("a colon after the key does not shield the value")
        << "wlan.passkey: secret1 saved"
        << "wlan.passkey [REDACTED] saved";
    QTest::newRow("an equals sign and a quoted value with blanks are masked")
        << R"(wlan.passkey = "two words" stored)"
        << R"(wlan.passkey [REDACTED]" stored)";
    QTest::newRow("a quoted value of blanks only is unchanged") << R"(wlan.passkey " " end)"
                                                                << R"(wlan.passkey " " end)";
    QTest::newRow("a look-alike key is not masked") << "wlan_passkey visible"
                                                    << "wlan_passkey visible";
}

void SetupLogFormatTest::redactsPasskeyValues()
{
    QFETCH(QString, text);
    QFETCH(QString, logged);
    QCOMPARE(app::redactSecrets(text), logged);
}

void SetupLogFormatTest::redactionIsIdempotent_data()
{
    redactsPasskeyValues_data();
}

void SetupLogFormatTest::redactionIsIdempotent()
{
    QFETCH(QString, text);
    const QString once = app::redactSecrets(text);
    QCOMPARE(app::redactSecrets(once), once);
}

void SetupLogFormatTest::namesLogFilesByStartTimeAndSequence()
{
    const QDateTime startedAt(QDate(2026, 3, 14), QTime(9, 26, 53));
    QCOMPARE(app::logFileName(startedAt, 1),
             QStringLiteral("Zephyl_WiFi_Setup_20260314_092653.log"));
    QCOMPARE(app::logFileName(startedAt, 2),
             QStringLiteral("Zephyl_WiFi_Setup_20260314_092653_2.log"));
    QCOMPARE(app::logFileName(startedAt, 17),
             QStringLiteral("Zephyl_WiFi_Setup_20260314_092653_17.log"));
}

void SetupLogFormatTest::formatsHeaderAndEntries()
{
    const QDateTime at(QDate(2026, 3, 14), QTime(9, 6, 3));
    QCOMPARE(app::logHeaderLines(at),
             QStringList({"Zephyl WiFi Setup Log", "Started: 2026-03-14T09:06:03",
                          "Password fields are redacted.", ""}));
    QCOMPARE(app::formatLogLine(at, QStringLiteral("STATUS: Ready.")),
             QStringLiteral("[2026-03-14 09:06:03] STATUS: Ready."));
}

QTEST_APPLESS_MAIN(SetupLogFormatTest)
#include "tst_app_setup_log.moc"
