#include "provisioning/verify_rules.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using provisioning::VerifyOutcome;

Q_DECLARE_METATYPE(provisioning::VerifyOutcome)

namespace QTest {
template <> char *toString(const VerifyOutcome &outcome)
{
    switch (outcome) {
    case VerifyOutcome::Passed:
        return qstrdup("Passed");
    case VerifyOutcome::BadCredentials:
        return qstrdup("BadCredentials");
    case VerifyOutcome::Unsupported:
        return qstrdup("Unsupported");
    case VerifyOutcome::Inconclusive:
        return qstrdup("Inconclusive");
    }
    return qstrdup("?");
}
} // namespace QTest

class TestProvisioningVerify : public QObject
{
    Q_OBJECT

private slots:
    void securityTypeCode_data();
    void securityTypeCode();
    void deriveWpaPskMatchesPublishedVectors_data();
    void deriveWpaPskMatchesPublishedVectors();
    void deriveWpaPskMatchesWpaPassphrase_data();
    void deriveWpaPskMatchesWpaPassphrase();
    void verifyCommands_data();
    void verifyCommands();
    void loggableCommandHidesTheKey();
    void classifyReplies_data();
    void classifyReplies();
};

void TestProvisioningVerify::securityTypeCode_data()
{
    QTest::addColumn<QString>("securityWord");
    QTest::addColumn<int>("code");

    QTest::newRow("open is 0") << QStringLiteral("open") << 0;
    QTest::newRow("Open with blanks around it is 0") << QStringLiteral(" Open ") << 0;
    QTest::newRow("WEP is 1") << QStringLiteral("WEP") << 1;
    QTest::newRow("wpa-aes is 2") << QStringLiteral("wpa-aes") << 2;
    QTest::newRow("WPA-TKIP is 3") << QStringLiteral("WPA-TKIP") << 3;
    QTest::newRow("WPA2-AES is 4 in any case") << QStringLiteral("WPA2-AES") << 4;
    QTest::newRow("wpa2-aes-mixed is 5") << QStringLiteral("wpa2-aes-mixed") << 5;
    QTest::newRow("any word containing mixed is 5") << QStringLiteral("WPA/WPA2-Mixed") << 5;
    QTest::newRow("wpa2-tkip is 6") << QStringLiteral("wpa2-tkip") << 6;
    QTest::newRow("wpa3-sae is not known") << QStringLiteral("wpa3-sae") << -1;
    QTest::newRow("wpa2 without a cipher is not known") << QStringLiteral("wpa2") << -1;
    QTest::newRow("open with a suffix is not open") << QStringLiteral("open-enhanced") << -1;
    QTest::newRow("empty word is not known") << QString() << -1;
}

void TestProvisioningVerify::securityTypeCode()
{
    QFETCH(QString, securityWord);
    QFETCH(int, code);

    QCOMPARE(provisioning::securityTypeCode(securityWord), code);
}

void TestProvisioningVerify::deriveWpaPskMatchesPublishedVectors_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("key");

    // IEEE 802.11i-2004, annex H.4.
    QTest::newRow("password with SSID IEEE")
        << QStringLiteral("password") << QStringLiteral("IEEE")
        << QStringLiteral("f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e");
    QTest::newRow("ThisIsAPassword with SSID ThisIsASSID")
        << QStringLiteral("ThisIsAPassword") << QStringLiteral("ThisIsASSID")
        << QStringLiteral("0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");
}

void TestProvisioningVerify::deriveWpaPskMatchesPublishedVectors()
{
    QFETCH(QString, password);
    QFETCH(QString, ssid);
    QFETCH(QString, key);

    QCOMPARE(provisioning::deriveWpaPsk(password, ssid), key);
}

void TestProvisioningVerify::deriveWpaPskMatchesWpaPassphrase_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("ssid");

    QTest::newRow("password with blanks")
        << QStringLiteral("correct horse battery") << QStringLiteral("Home Net");
    QTest::newRow("password with quotes")
        << QStringLiteral("say \"cheese\" 'now'") << QStringLiteral("Office");
    QTest::newRow("password with a trailing blank")
        << QStringLiteral("password ") << QStringLiteral("Home");
    QTest::newRow("password with letters outside ASCII")
        << QString::fromUtf8("p\xC3\xA4ssw\xC3\xB6rd \xC3\xBC") << QStringLiteral("Home");
    QTest::newRow("SSID with letters outside ASCII")
        << QStringLiteral("12345678") << QString::fromUtf8("Caf\xC3\xA9 \xE2\x98\x95");
    QTest::newRow("password of 63 characters")
        << QString(63, QLatin1Char('z')) << QStringLiteral("Barn");
}

void TestProvisioningVerify::deriveWpaPskMatchesWpaPassphrase()
{
    QFETCH(QString, password);
    QFETCH(QString, ssid);

    const QString program = QStandardPaths::findExecutable(QStringLiteral("wpa_passphrase"));
    if (program.isEmpty())
        QSKIP("wpa_passphrase is not installed (Debian package wpasupplicant)");

    QProcess process;
    process.start(program, {ssid, password});
    QVERIFY2(process.waitForFinished(10000), "wpa_passphrase did not finish within 10 s");
    QCOMPARE(process.exitCode(), 0);

    static const QRegularExpression pskLine(QStringLiteral(R"(^\s*psk=([0-9a-f]{64})\s*$)"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match =
        pskLine.match(QString::fromUtf8(process.readAllStandardOutput()));
    QVERIFY2(match.hasMatch(), "wpa_passphrase printed no psk= line");

    QCOMPARE(provisioning::deriveWpaPsk(password, ssid), match.captured(1));
}

void TestProvisioningVerify::verifyCommands_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("fullCommand");
    QTest::addColumn<QString>("shortCommand");

    const QString key(64, QLatin1Char('f'));
    QTest::newRow("plain SSID") << QStringLiteral("Home")
                                << QStringLiteral(
                                       "network_verify wifi Home aa:bb:cc:dd:ee:01 6 4 ") +
                                       key
                                << QStringLiteral("network_verify wifi Home aa:bb:cc:dd:ee:01 6");
    QTest::newRow("SSID with blanks goes in without quotes")
        << QStringLiteral("My Home Net")
        << QStringLiteral("network_verify wifi My Home Net aa:bb:cc:dd:ee:01 6 4 ") + key
        << QStringLiteral("network_verify wifi My Home Net aa:bb:cc:dd:ee:01 6");
    QTest::newRow("SSID holding a placeholder is not filled in again")
        << QStringLiteral("Net %2 %5")
        << QStringLiteral("network_verify wifi Net %2 %5 aa:bb:cc:dd:ee:01 6 4 ") + key
        << QStringLiteral("network_verify wifi Net %2 %5 aa:bb:cc:dd:ee:01 6");
}

void TestProvisioningVerify::verifyCommands()
{
    QFETCH(QString, ssid);
    QFETCH(QString, fullCommand);
    QFETCH(QString, shortCommand);

    const QString bssid = QStringLiteral("aa:bb:cc:dd:ee:01");
    const QString key(64, QLatin1Char('f'));
    QCOMPARE(provisioning::verifyCommand(ssid, bssid, QStringLiteral("6"), 4, key), fullCommand);
    QCOMPARE(provisioning::shortVerifyCommand(ssid, bssid, QStringLiteral("6")), shortCommand);
}

void TestProvisioningVerify::loggableCommandHidesTheKey()
{
    const QString key =
        provisioning::deriveWpaPsk(QStringLiteral("ThisIsAPassword"), QStringLiteral("My Home"));
    const QString command =
        provisioning::verifyCommand(QStringLiteral("My Home"), QStringLiteral("aa:bb:cc:dd:ee:01"),
                                    QStringLiteral("11"), 5, key);

    const QString logged = provisioning::loggableCommand(command, key);
    QCOMPARE(logged,
             QStringLiteral("network_verify wifi My Home aa:bb:cc:dd:ee:01 11 5 [REDACTED]"));
    QVERIFY(!logged.contains(key));
    // Not even a recognisable part of the key may remain.
    QVERIFY(!logged.contains(key.left(16)));

    const QString shortCommand = provisioning::shortVerifyCommand(
        QStringLiteral("My Home"), QStringLiteral("aa:bb:cc:dd:ee:01"), QStringLiteral("11"));
    QCOMPARE(provisioning::loggableCommand(shortCommand, QString()), shortCommand);
}

void TestProvisioningVerify::classifyReplies_data()
{
    QTest::addColumn<bool>("httpOk");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<VerifyOutcome>("beforeWrite");
    QTest::addColumn<VerifyOutcome>("atGate");

    const auto passed = VerifyOutcome::Passed;
    const auto bad = VerifyOutcome::BadCredentials;
    const auto unsupported = VerifyOutcome::Unsupported;
    const auto inconclusive = VerifyOutcome::Inconclusive;

    QTest::newRow("OK with transport success passes")
        << true << QStringLiteral("OK") << passed << passed;
    QTest::newRow("OK after a transport failure is inconclusive")
        << false << QStringLiteral("OK") << inconclusive << inconclusive;
    QTest::newRow("Verified. passes") << true << QStringLiteral("Verified.") << passed << passed;
    QTest::newRow("success passes") << true << QStringLiteral("success") << passed << passed;
    QTest::newRow("ok: with a reason passes")
        << true << QStringLiteral("ok: associated") << passed << passed;
    QTest::newRow("credentials verified successfully passes")
        << true << QStringLiteral("Credentials verified successfully\r\n") << passed << passed;
    QTest::newRow("passed outranks bad credentials")
        << true << QStringLiteral("ok (0 rejected)") << passed << passed;
    QTest::newRow("auth failed: broken key is bad credentials, broken is not ok")
        << true << QStringLiteral("auth failed: broken key") << bad << bad;
    QTest::newRow("auth failed: broken key after a transport failure is bad credentials")
        << false << QStringLiteral("auth failed: broken key") << bad << bad;
    QTest::newRow("unsuccessful never passes")
        << true << QStringLiteral("unsuccessful") << inconclusive << inconclusive;
    QTest::newRow("unverified never passes")
        << true << QStringLiteral("Network unverified") << inconclusive << inconclusive;
    QTest::newRow("token in a reply is not ok")
        << true << QStringLiteral("token expired") << inconclusive << inconclusive;
    QTest::newRow("okay is not ok")
        << true << QStringLiteral("okay") << inconclusive << inconclusive;
    QTest::newRow("wrong password is bad credentials")
        << true << QStringLiteral("Wrong password") << bad << bad;
    QTest::newRow("invalid passphrase is bad credentials")
        << true << QStringLiteral("ERROR: invalid passphrase") << bad << bad;
    QTest::newRow("access denied is bad credentials")
        << true << QStringLiteral("Access denied") << bad << bad;
    QTest::newRow("rejected with usage is bad credentials")
        << true << QStringLiteral("rejected; usage: network_verify wifi <ssid>") << bad << bad;
    QTest::newRow("authentication failed is bad credentials at both points")
        << true << QStringLiteral("authentication failed") << bad << bad;
    QTest::newRow("Failed to connect is bad credentials before the write but not at the gate")
        << true << QStringLiteral("Failed to connect") << bad << inconclusive;
    QTest::newRow("unknown error that failed is unsupported at the gate")
        << true << QStringLiteral("unknown error: failed") << bad << unsupported;
    QTest::newRow("Unknown command is unsupported")
        << true << QStringLiteral("Unknown command") << unsupported << unsupported;
    QTest::newRow("usage text of the command is unsupported")
        << true << QStringLiteral("usage: network_verify wifi <ssid> <bssid> <channel> <sec> <key>")
        << unsupported << unsupported;
    QTest::newRow("too few args is unsupported")
        << true << QStringLiteral("too few args") << unsupported << unsupported;
    QTest::newRow("not supported after a transport failure is unsupported")
        << false << QStringLiteral("Not supported") << unsupported << unsupported;
    QTest::newRow("empty reply is inconclusive")
        << true << QString() << inconclusive << inconclusive;
    QTest::newRow("empty reply after a time-out is inconclusive")
        << false << QString() << inconclusive << inconclusive;
}

void TestProvisioningVerify::classifyReplies()
{
    QFETCH(bool, httpOk);
    QFETCH(QString, reply);
    QFETCH(VerifyOutcome, beforeWrite);
    QFETCH(VerifyOutcome, atGate);

    QCOMPARE(provisioning::classifyVerifyReply(httpOk, reply), beforeWrite);
    QCOMPARE(provisioning::classifyGateReply(httpOk, reply), atGate);
}

QTEST_APPLESS_MAIN(TestProvisioningVerify)
#include "tst_provisioning_verify.moc"
