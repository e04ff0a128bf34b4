#include "charger_api/reply_rules.h"

#include <QTest>

class TestChargerApiReplyRules : public QObject
{
    Q_OBJECT

private slots:
    void containsPositiveWord_data();
    void containsPositiveWord();
    void runCommandAccepted_data();
    void runCommandAccepted();
    void rebootCommandAccepted_data();
    void rebootCommandAccepted();
    void setValueAccepted_data();
    void setValueAccepted();
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

void TestChargerApiReplyRules::runCommandAccepted_data()
{
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("OK in capitals is accepted") << true << QStringLiteral("OK") << true;
    QTest::newRow("ok. is accepted") << true << QStringLiteral("ok.") << true;
    QTest::newRow("Command OK is accepted") << true << QStringLiteral("Command OK\r\n") << true;
    QTest::newRow("Success! is accepted") << true << QStringLiteral("Success!") << true;
    QTest::newRow("successfully is accepted")
        << true << QStringLiteral("reset successfully") << true;
    QTest::newRow("OK after a transport failure is not accepted")
        << false << QStringLiteral("OK") << false;
    QTest::newRow("token is not ok") << true << QStringLiteral("token expired") << false;
    QTest::newRow("broken is not ok") << true << QStringLiteral("broken pipe") << false;
    QTest::newRow("unsuccessful is not success") << true << QStringLiteral("unsuccessful") << false;
    QTest::newRow("okay is not ok") << true << QStringLiteral("okay") << false;
    QTest::newRow("ok with usage is not accepted")
        << true << QStringLiteral("ok\nusage: fac <mac>") << false;
    QTest::newRow("ok with unknown is not accepted")
        << true << QStringLiteral("ok: unknown argument") << false;
    QTest::newRow("success with too few args is not accepted")
        << true << QStringLiteral("success? too few args") << false;
    QTest::newRow("usage text without a positive word is not accepted")
        << true << QStringLiteral("Usage: factory_reset") << false;
    QTest::newRow("empty reply is not accepted") << true << QString() << false;
}

void TestChargerApiReplyRules::runCommandAccepted()
{
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

    QCOMPARE(charger_api::runCommandAccepted(httpOk, reply), accepted);
}

void TestChargerApiReplyRules::rebootCommandAccepted_data()
{
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("rebooting now is accepted") << true << QStringLiteral("rebooting now") << true;
    QTest::newRow("Rebooting... is accepted") << true << QStringLiteral("Rebooting...") << true;
    QTest::newRow("OK is accepted") << true << QStringLiteral("OK") << true;
    QTest::newRow("SUCCESS is accepted") << true << QStringLiteral("SUCCESS") << true;
    QTest::newRow("usage naming reboot is not accepted")
        << true << QStringLiteral("usage: reboot [delay]") << false;
    QTest::newRow("an unknown command echoing reboot is not accepted")
        << true << QStringLiteral("Unknown command: reboot") << false;
    QTest::newRow("too few args for reboot is not accepted")
        << true << QStringLiteral("reboot: too few args") << false;
    QTest::newRow("empty reply is not accepted") << true << QString() << false;
    QTest::newRow("unknown command is not accepted")
        << true << QStringLiteral("Unknown command") << false;
    QTest::newRow("broken is not ok") << true << QStringLiteral("broken") << false;
    QTest::newRow("rebooting after a transport failure is not accepted")
        << false << QStringLiteral("rebooting") << false;
}

void TestChargerApiReplyRules::rebootCommandAccepted()
{
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

    QCOMPARE(charger_api::rebootCommandAccepted(httpOk, reply), accepted);
}

void TestChargerApiReplyRules::setValueAccepted_data()
{
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("OK with blanks around it is accepted") << true << QStringLiteral(" OK ") << true;
    QTest::newRow("ok with a line end is accepted") << true << QStringLiteral("ok\r\n") << true;
    QTest::newRow("set ok followed by more text is accepted")
        << true << QStringLiteral("set ok, stored") << true;
    QTest::newRow("Set OK. in capitals is accepted") << true << QStringLiteral("Set OK.") << true;
    QTest::newRow("SUCCESS in capitals is accepted") << true << QStringLiteral("SUCCESS") << true;
    QTest::newRow("okay is not accepted") << true << QStringLiteral("okay") << false;
    QTest::newRow("not ok is neither set ok nor exactly ok")
        << true << QStringLiteral("not ok") << false;
    QTest::newRow("reset ok does not hold set ok") << true << QStringLiteral("reset ok") << false;
    QTest::newRow("unsuccessful is not accepted")
        << true << QStringLiteral("unsuccessful") << false;
    QTest::newRow("ok after a transport failure is not accepted")
        << false << QStringLiteral("ok") << false;
    QTest::newRow("empty reply is not accepted") << true << QString() << false;
}

void TestChargerApiReplyRules::setValueAccepted()
{
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QFETCH(bool, accepted);

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
