#include "charger_api/reply_rules.h"

#include <QTest>

class TestChargerApiReplyRules : public QObject
{
    Q_OBJECT

private slots:
    void containsPositiveWord_data();
    void containsPositiveWord();
    void repliesAreAccepted_data();
    void repliesAreAccepted();
    void settingValueFromReply_data();
    void settingValueFromReply();
    void setCommandFillsBothPlaceholdersInOnePass();
    void isSecretKey_data();
    void isSecretKey();
};

void TestChargerApiReplyRules::containsPositiveWord_data()
{
    QTest::addColumn<QString>("lowered");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("found");

    const QString ok = QStringLiteral("ok");
    const QString success = QStringLiteral("success");

    QTest::newRow("ok alone is ok") << QStringLiteral("ok") << ok << true;
    QTest::newRow("ok followed by a full stop is ok") << QStringLiteral("ok.") << ok << true;
    QTest::newRow("command ok is ok") << QStringLiteral("command ok") << ok << true;
    QTest::newRow("ok in brackets is ok") << QStringLiteral("status (ok)") << ok << true;
    QTest::newRow("ok after an underscore is ok") << QStringLiteral("reboot_ok") << ok << true;
    QTest::newRow("token is not ok") << QStringLiteral("token") << ok << false;
    QTest::newRow("broken is not ok") << QStringLiteral("broken") << ok << false;
    QTest::newRow("okay is not ok") << QStringLiteral("okay") << ok << false;
    QTest::newRow("ok followed by a digit is not ok") << QStringLiteral("ok2") << ok << false;
    QTest::newRow("ok after a digit is not ok") << QStringLiteral("0ok") << ok << false;
    QTest::newRow("broken first and ok later is ok") << QStringLiteral("broken, ok") << ok << true;
    QTest::newRow("successfully contains success")
        << QStringLiteral("successfully") << success << true;
    QTest::newRow("success! contains success") << QStringLiteral("success!") << success << true;
    QTest::newRow("unsuccessful does not contain success")
        << QStringLiteral("unsuccessful") << success << false;
    QTest::newRow("unverified does not contain verified")
        << QStringLiteral("unverified") << QStringLiteral("verified") << false;
    QTest::newRow("rebooting contains reboot")
        << QStringLiteral("rebooting") << QStringLiteral("reboot") << true;
    QTest::newRow("set ok, stored contains set ok")
        << QStringLiteral("set ok, stored") << QStringLiteral("set ok") << true;
    QTest::newRow("reset ok does not contain set ok")
        << QStringLiteral("reset ok") << QStringLiteral("set ok") << false;
    QTest::newRow("set okay does not contain set ok")
        << QStringLiteral("set okay") << QStringLiteral("set ok") << false;
    QTest::newRow("empty text contains nothing") << QString() << ok << false;
}

void TestChargerApiReplyRules::containsPositiveWord()
{
    QFETCH(QString, lowered);
    QFETCH(QString, word);
    QFETCH(bool, found);

    QCOMPARE(charger_api::containsPositiveWord(lowered, word), found);
}

void TestChargerApiReplyRules::repliesAreAccepted_data()
{
    QTest::addColumn<QString>("judge");
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    // One judge per kind of command: "run" for a plain command, "reboot" and "set".
    const auto row = [](const char *judge, const char *name, bool httpOk, const QString &reply,
                        bool accepted) {
        QTest::addRow("%s: %s", judge, name)
            << QString::fromLatin1(judge) << httpOk << reply << accepted;
    };
    row("run", "OK in capitals is accepted", true, QStringLiteral("OK"), true);
    row("run", "ok. is accepted", true, QStringLiteral("ok."), true);
    row("run", "Command OK is accepted", true, QStringLiteral("Command OK\r\n"), true);
    row("run", "Success! is accepted", true, QStringLiteral("Success!"), true);
    row("run", "successfully is accepted", true, QStringLiteral("reset successfully"), true);
    row("run", "OK after a transport failure is not accepted", false, QStringLiteral("OK"), false);
    row("run", "token is not ok", true, QStringLiteral("token expired"), false);
    row("run", "broken is not ok", true, QStringLiteral("broken pipe"), false);
    row("run", "unsuccessful is not success", true, QStringLiteral("unsuccessful"), false);
    row("run", "okay is not ok", true, QStringLiteral("okay"), false);
    row("run", "ok with usage is not accepted", true, QStringLiteral("ok\nusage: fac <mac>"),
        false);
    row("run", "ok with unknown is not accepted", true, QStringLiteral("ok: unknown argument"),
        false);
    row("run", "success with too few args is not accepted", true,
        QStringLiteral("success? too few args"), false);
    row("run", "usage text without a positive word is not accepted", true,
        QStringLiteral("Usage: factory_reset"), false);
    row("run", "empty reply is not accepted", true, QString(), false);

    row("reboot", "rebooting now is accepted", true, QStringLiteral("rebooting now"), true);
    row("reboot", "Rebooting... is accepted", true, QStringLiteral("Rebooting..."), true);
    row("reboot", "OK is accepted", true, QStringLiteral("OK"), true);
    row("reboot", "SUCCESS is accepted", true, QStringLiteral("SUCCESS"), true);
    row("reboot", "usage naming reboot is not accepted", true,
        QStringLiteral("usage: reboot [delay]"), false);
    row("reboot", "an unknown command echoing reboot is not accepted", true,
        QStringLiteral("Unknown command: reboot"), false);
    row("reboot", "too few args for reboot is not accepted", true,
        QStringLiteral("reboot: too few args"), false);
    row("reboot", "empty reply is not accepted", true, QString(), false);
    row("reboot", "unknown command is not accepted", true, QStringLiteral("Unknown command"),
        false);
    row("reboot", "broken is not ok", true, QStringLiteral("broken"), false);
    row("reboot", "rebooting after a transport failure is not accepted", false,
        QStringLiteral("rebooting"), false);

    row("set", "OK with blanks around it is accepted", true, QStringLiteral(" OK "), true);
    row("set", "ok with a line end is accepted", true, QStringLiteral("ok\r\n"), true);
    row("set", "set ok followed by more text is accepted", true, QStringLiteral("set ok, stored"),
        true);
    row("set", "Set OK. in capitals is accepted", true, QStringLiteral("Set OK."), true);
    row("set", "SUCCESS in capitals is accepted", true, QStringLiteral("SUCCESS"), true);
    row("set", "okay is not accepted", true, QStringLiteral("okay"), false);
    row("set", "not ok is neither set ok nor exactly ok", true, QStringLiteral("not ok"), false);
    row("set", "reset ok does not hold set ok", true, QStringLiteral("reset ok"), false);
    row("set", "unsuccessful is not accepted", true, QStringLiteral("unsuccessful"), false);
    row("set", "ok after a transport failure is not accepted", false, QStringLiteral("ok"), false);
    row("set", "empty reply is not accepted", true, QString(), false);
}

void TestChargerApiReplyRules::repliesAreAccepted()
{
    QFETCH(QString, judge);
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

    if (judge == QLatin1String("run"))
        QCOMPARE(charger_api::runCommandAccepted(httpOk, reply), accepted);
    else if (judge == QLatin1String("reboot"))
        QCOMPARE(charger_api::rebootCommandAccepted(httpOk, reply), accepted);
    else
        QCOMPARE(charger_api::setValueAccepted(httpOk, reply), accepted);
}

void TestChargerApiReplyRules::settingValueFromReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("value");

    QTest::newRow("quoted word loses its quotes")
        << QStringLiteral("\"Home Net\"") << QStringLiteral("Home Net");
    QTest::newRow("white space around a quoted word goes first")
        << QStringLiteral("  \"Home\"\r\n") << QStringLiteral("Home");
    QTest::newRow("blanks inside the quotes stay")
        << QStringLiteral("\" Home \"") << QStringLiteral(" Home ");
    QTest::newRow("one double quote alone stays") << QStringLiteral("\"") << QStringLiteral("\"");
    QTest::newRow("two double quotes give the empty text") << QStringLiteral("\"\"") << QString();
    QTest::newRow("only one pair of quotes goes")
        << QStringLiteral("\"\"x\"\"") << QStringLiteral("\"x\"");
    QTest::newRow("an opening quote alone stays")
        << QStringLiteral("\"Home") << QStringLiteral("\"Home");
    QTest::newRow("unquoted value is trimmed")
        << QStringLiteral("\tHome \r\n") << QStringLiteral("Home");
}

void TestChargerApiReplyRules::settingValueFromReply()
{
    QFETCH(QString, reply);
    QFETCH(QString, value);

    QCOMPARE(charger_api::settingValueFromReply(reply), value);
}

void TestChargerApiReplyRules::setCommandFillsBothPlaceholdersInOnePass()
{
    QCOMPARE(charger_api::setCommand(QStringLiteral("wlan.ssid"), QStringLiteral("My Net")),
             QStringLiteral("set wlan.ssid \"My Net\""));
    QCOMPARE(charger_api::setCommand(QStringLiteral("wlan.%2"), QStringLiteral("100%1 \"x\"")),
             QStringLiteral("set wlan.%2 \"100%1 \"x\"\""));
}

void TestChargerApiReplyRules::isSecretKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("secret");

    QTest::newRow("wlan.passkey is secret") << QStringLiteral("wlan.passkey") << true;
    QTest::newRow("WLAN.PASSKEY in capitals is secret") << QStringLiteral("WLAN.PASSKEY") << true;
    QTest::newRow("wlan.ssid is not secret") << QStringLiteral("wlan.ssid") << false;
}

void TestChargerApiReplyRules::isSecretKey()
{
    QFETCH(QString, key);
    QFETCH(bool, secret);

    QCOMPARE(charger_api::isSecretKey(key), secret);
}

QTEST_APPLESS_MAIN(TestChargerApiReplyRules)
#include "tst_charger_api_reply_rules.moc"
