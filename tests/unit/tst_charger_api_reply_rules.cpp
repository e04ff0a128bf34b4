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
    void percentEncodeCommand_data();
    void percentEncodeCommand();
    void postBody_data();
    void postBody();
    void replyTextFromBody_data();
    void replyTextFromBody();
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

void TestChargerApiReplyRules::percentEncodeCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("encoded");

    QTest::newRow("blank becomes %20")
        << QStringLiteral("get wlan.ssid") << QByteArray("get%20wlan.ssid");
    QTest::newRow("double quotes become %22") << QStringLiteral("set wlan.ssid \"My Net\"")
                                              << QByteArray("set%20wlan.ssid%20%22My%20Net%22");
    QTest::newRow("slash, equals sign and brackets are encoded")
        << QStringLiteral("a/b=c [d]") << QByteArray("a%2Fb%3Dc%20%5Bd%5D");
    QTest::newRow("tilde, hyphen, dot and underscore stay")
        << QStringLiteral("~-._AZaz09") << QByteArray("~-._AZaz09");
    QTest::newRow("percent sign is encoded") << QStringLiteral("100%") << QByteArray("100%25");
    QTest::newRow("u with umlaut is its UTF-8 bytes in upper-case hex")
        << QString::fromUtf8("\xC3\xBC") << QByteArray("%C3%BC");
    QTest::newRow("colon, plus, comma and semicolon are encoded")
        << QStringLiteral("a:b+c,d;e") << QByteArray("a%3Ab%2Bc%2Cd%3Be");
}

void TestChargerApiReplyRules::percentEncodeCommand()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, encoded);

    QCOMPARE(charger_api::percentEncodeCommand(command), encoded);
}

void TestChargerApiReplyRules::postBody_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("quoted file name with a blank")
        << QStringLiteral("fde \"a b\"") << 0
        << QByteArray(R"({"command":"fde \"a b\"","flags":0})");
    QTest::newRow("backslash is escaped and slash is not")
        << QStringLiteral("fde \"dir\\x/y\"") << 0
        << QByteArray(R"({"command":"fde \"dir\\x/y\"","flags":0})");
    QTest::newRow("letters outside ASCII travel as UTF-8")
        << QString::fromUtf8("fde \"\xC3\xBC\"") << 0
        << QByteArray("{\"command\":\"fde \\\"\xC3\xBC\\\"\",\"flags\":0}");
    QTest::newRow("flags other than zero are written as an integer")
        << QStringLiteral("fde \"x\"") << 3 << QByteArray(R"({"command":"fde \"x\"","flags":3})");
}

void TestChargerApiReplyRules::postBody()
{
    QFETCH(QString, command);
    QFETCH(int, flags);
    QFETCH(QByteArray, body);

    QCOMPARE(charger_api::postBody(command, flags), body);
}

void TestChargerApiReplyRules::replyTextFromBody_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("string response is the string")
        << QByteArray(R"({"response":"ok"})") << QStringLiteral("ok");
    QTest::newRow("string response keeps its line ends")
        << QByteArray(R"({"response":"set ok\r\n"})") << QStringLiteral("set ok\r\n");
    QTest::newRow("string response outside ASCII is decoded")
        << QByteArray("{\"response\":\"Caf\xC3\xA9\"}") << QString::fromUtf8("Caf\xC3\xA9");
    QTest::newRow("array response is compact JSON")
        << QByteArray(R"({"response": [ "a", 1, true ]})") << QStringLiteral(R"(["a",1,true])");
    QTest::newRow("object response is compact JSON")
        << QByteArray(R"({"response": { "k" : "v" }})") << QStringLiteral(R"({"k":"v"})");
    QTest::newRow("true response is true")
        << QByteArray(R"({"response":true})") << QStringLiteral("true");
    QTest::newRow("false response is false")
        << QByteArray(R"({"response":false})") << QStringLiteral("false");
    QTest::newRow("number 42 is 42") << QByteArray(R"({"response":42})") << QStringLiteral("42");
    QTest::newRow("number 7 is 7") << QByteArray(R"({"response":7})") << QStringLiteral("7");
    QTest::newRow("number 3.14159265 has six significant digits")
        << QByteArray(R"({"response":3.14159265})") << QStringLiteral("3.14159");
    QTest::newRow("number of six digits stays whole")
        << QByteArray(R"({"response":123456})") << QStringLiteral("123456");
    QTest::newRow("number 1234567 is in exponent form")
        << QByteArray(R"({"response":1234567})") << QStringLiteral("1.23457e+06");
    QTest::newRow("negative number keeps its sign")
        << QByteArray(R"({"response":-0.5})") << QStringLiteral("-0.5");
    QTest::newRow("null response is the empty text")
        << QByteArray(R"({"response":null})") << QString();
    QTest::newRow("object without response is re-serialised compactly")
        << QByteArray("{ \"code\" : 7,\n  \"msg\" : \"x\" }")
        << QStringLiteral(R"({"code":7,"msg":"x"})");
    QTest::newRow("top-level array is re-serialised compactly")
        << QByteArray("[ 1, \"a\", {\"b\": null} ]\n") << QStringLiteral(R"([1,"a",{"b":null}])");
    QTest::newRow("plain text keeps its trailing line end")
        << QByteArray("set ok\n") << QStringLiteral("set ok\n");
    QTest::newRow("invalid JSON is returned unchanged")
        << QByteArray("{\"response\": ") << QStringLiteral("{\"response\": ");
    QTest::newRow("top-level number is returned unchanged")
        << QByteArray("42\n") << QStringLiteral("42\n");
    QTest::newRow("top-level string is returned unchanged")
        << QByteArray("\"ok\"") << QStringLiteral("\"ok\"");
    QTest::newRow("empty body is the empty text") << QByteArray() << QString();
}

void TestChargerApiReplyRules::replyTextFromBody()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);

    QCOMPARE(charger_api::replyTextFromBody(body), text);
}

QTEST_APPLESS_MAIN(TestChargerApiReplyRules)
#include "tst_charger_api_reply_rules.moc"
