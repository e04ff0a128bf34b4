#include "charger_api/reply_rules.h"

#include <QTest>

using namespace charger_api;

class ChargerApiRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void judgement_data();
    void judgement();
    void replyText_data();
    void replyText();
    void commandText();
};

void ChargerApiRulesTest::judgement_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("run: OK in capitals") << "run" << true << "  OK\n" << true;
    QTest::newRow("run: success") << "run" << true << "Success" << true;
    QTest::newRow("run: ok beside unknown") << "run" << true << "ok unknown mac" << false;
    QTest::newRow("run: too few args") << "run" << true << "ok: too few args" << false;
    QTest::newRow("run: token is not ok") << "run" << true << "token" << false;
    QTest::newRow("run: NOK at the start is not ok") << "run" << true << "NOK" << false;
    QTest::newRow("run: 0ok at the start is not ok") << "run" << true << "0ok" << false;
    QTest::newRow("run: not-ok, no success") << "run" << true << "not-ok; no success" << false;
    QTest::newRow("run: a later ok still counts") << "run" << true << "not now. ok" << true;
    QTest::newRow("set: ok with blanks") << "set" << true << "  ok \r\n" << true;
    QTest::newRow("set: okay") << "set" << true << "okay" << false;
    QTest::newRow("set: set okay") << "set" << true << "set okay" << false;
    QTest::newRow("set: SUCCESS") << "set" << true << "SUCCESS" << true;
}

void ChargerApiRulesTest::judgement()
{
    QFETCH(QString, rule);
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    const bool accepted = rule == "run"      ? runCommandAccepted(httpOk, reply)
                          : rule == "reboot" ? rebootCommandAccepted(httpOk, reply)
                                             : setValueAccepted(httpOk, reply);
    QTEST(accepted, "accepted");
}

void ChargerApiRulesTest::replyText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    QTest::newRow("response string") << QByteArray(R"({"response":"ok"})") << "ok";
    QTest::newRow("response true") << QByteArray(R"({"response":true})") << "true";
    QTest::newRow("response null") << QByteArray(R"({"response":null})") << "";
    QTest::newRow("response 7") << QByteArray(R"({"response":7})") << "7";
    QTest::newRow("response pi, six digits")
        << QByteArray(R"({"response":3.14159265})") << "3.14159";
    QTest::newRow("seven-digit number in exponent form")
        << QByteArray(R"({"response":1234567})") << "1.23457e+06";
    QTest::newRow("response object, compact")
        << QByteArray(R"({"response": {"b": [1, "x"]}})") << R"({"b":[1,"x"]})";
    QTest::newRow("object without response, whole")
        << QByteArray(R"({ "code" : 0 })") << R"({"code":0})";
    QTest::newRow("array, compact") << QByteArray(R"([ 1, "a" ])") << R"([1,"a"])";
    QTest::newRow("plain text unchanged") << QByteArray("set ok\n") << "set ok\n";
    QTest::newRow("invalid UTF-8 becomes U+FFFD") << QByteArray("a\xff"
                                                                "b")
                                                  << "a\uFFFDb";
}

void ChargerApiRulesTest::replyText()
{
    QFETCH(QByteArray, body);
    QTEST(replyTextFromBody(body), "text");
}

void ChargerApiRulesTest::commandText()
{
    QCOMPARE(setCommand("k%2", "v%1 \"q\""), QStringLiteral("set k%2 \"v%1 \"q\"\""));
    QCOMPARE(settingValueFromReply(" \"Home Net\" \r\n"), QStringLiteral("Home Net"));
    QCOMPARE(settingValueFromReply("\""), QStringLiteral("\""));
    QCOMPARE(settingValueFromReply("\"\""), QString());
    QCOMPARE(percentEncodeCommand(QStringLiteral(u"fde \"a/b=[é]\"~-._")),
             QByteArray("fde%20%22a%2Fb%3D%5B%C3%A9%5D%22~-._"));
    QVERIFY(isSecretKey("WLAN.PASSKEY") && !isSecretKey("wlan.ssid"));
}

QTEST_APPLESS_MAIN(ChargerApiRulesTest)
#include "tst_charger_api_rules.moc"
