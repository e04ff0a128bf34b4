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
    void lines();
    void recordRow_data();
    void recordRow();
    void recordTimeHeadAndClose();
    void recordCutOff_data();
    void recordCutOff();
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

void AppLogTest::recordRow_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("cells");

    const auto row = [](const char *name, app::Outcome outcome, const char *customer,
                        const char *cells) {
        QTest::newRow(name) << int(outcome) << QString::fromUtf8(customer)
                            << QString::fromUtf8(cells);
    };
    using app::Outcome;
    row("rebooted; plain text is quoted too", Outcome::ConfiguredAndRebooted, "Home Net",
        R"c("Home Net","configured and rebooted")c");
    row("reboot not confirmed; a comma stays inside", Outcome::RebootNotConfirmed, "a,b",
        R"c("a,b","configured, reboot not confirmed")c");
    row("saved; a later formula after a ; separator is never split off",
        Outcome::ConfiguredAndSaved, "x;=HYPERLINK(\"u\")",
        R"c("x;=HYPERLINK(""u"")","configured and saved, not rebooted")c");
    row("joined; an empty cell", Outcome::JoinedNotConfigured, "",
        R"c("","joined, Wi-Fi not configured")c");
    row("refused; = stays text", Outcome::PasswordRefused, "=1+2",
        R"c("'=1+2","password refused by the verification")c");
    row("not verified; + stays text", Outcome::NotVerified, "+1",
        R"c("'+1","not verified, nothing written")c");
    row("auth failed; - stays text", Outcome::AuthFailedBeforeReboot, "-2+3",
        R"c("'-2+3","authentication failed before reboot")c");
    row("reboot blocked; @ stays text", Outcome::RebootBlocked, "@SUM(A1)",
        R"c("'@SUM(A1)","configured, reboot blocked")c");
    row("write failed; a leading tab stays text", Outcome::WriteFailed, "\tx",
        "\"'\tx\",\"write failed\"");
    row("not joined; a leading CR stays text", Outcome::NotJoined, "\rx",
        "\"'\rx\",\"not joined\"");
    row("firmware requested; a line end stays inside", Outcome::FirmwareUpdateRequested, "a\nb",
        "\"a\nb\",\"firmware update requested\"");
    row("firmware not answered; quotes are doubled", Outcome::FirmwareUpdateNotAnswered,
        "say \"hi\"", R"c("say ""hi""","firmware update not answered")c");
    row("reset sent; UTF-8", Outcome::FactoryResetSent, "Caf\u00e9",
        "\"Caf\u00e9\",\"factory reset sent\"");
    row("reset refused; = later in the text is no formula", Outcome::FactoryResetRefused, "a=b",
        R"c("a=b","factory reset refused")c");
    row("stopped; a formula with quotes and a comma", Outcome::StoppedByClose,
        "=HYPERLINK(\"x\",\"y\")",
        R"c("'=HYPERLINK(""x"",""y"")","stopped by closing the window")c");
}

void AppLogTest::recordRow()
{
    QFETCH(int, outcome);
    QFETCH(QString, customer);
    QFETCH(QString, cells);
    const app::ResultRow row{QDateTime(QDate(2026, 12, 7), QTime(16, 42, 59), QTimeZone(3600)),
                             "Guided setup",
                             "JuiceNet-1A2B",
                             "ZP2",
                             "70:b3",
                             "ead0",
                             customer,
                             {app::Outcome(outcome), "why"}};
    QCOMPARE(
        QString::fromUtf8(app::resultLine(row)),
        R"c("2026-12-07T16:42:59+01:00","Guided setup","JuiceNet-1A2B","ZP2","70:b3","ead0",)c" +
            cells + ",\"why\"\r\n");
}

void AppLogTest::recordTimeHeadAndClose()
{
    const QDate day(2026, 12, 7);
    const QTime time(16, 42, 59);
    QCOMPARE(app::recordTime(QDateTime(day, time, QTimeZone(-(5 * 3600 + 1800)))),
             QStringLiteral("2026-12-07T16:42:59-05:30"));
    QCOMPARE(app::recordTime(QDateTime(day, time, QTimeZone::utc())),
             QStringLiteral("2026-12-07T16:42:59+00:00"));
    QCOMPARE(app::closedAfter(app::wifiSaved()).reason,
             QStringLiteral("the charger joins it after its next reboot; then stopped by closing "
                            "the window"));
    QCOMPARE(app::closedAfter(app::notFinished()).reason, app::notFinished().reason);
    QCOMPARE(app::newResultFileHead(),
             QByteArray("\xEF\xBB\xBF\"Time\",\"Operation\",\"Setup network\",\"Serial\",\"MAC\","
                        "\"UUID\",\"Customer network\",\"Outcome\",\"Reason\"\r\n"));
}

namespace {

// Caps the size of the files this process writes; with SIGXFSZ ignored, a write past the cap
// stops short and the next one fails with EFBIG, as on a full disk.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit cap = saved;
        cap.rlim_cur = bytes;
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() { ::setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved{};
};

} // namespace

void AppLogTest::recordCutOff_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("cap");
    const QByteArray none;
    QTest::newRow("a new record cut off in its header is removed again") << none << 40;
    QTest::newRow("a new record cut off in its first row is removed again") << none << 120;
    QTest::newRow("a record cut off in a row ends where it ended")
        << QByteArray("\xEF\xBB\xBF\"Time\"\r\n\"row one\"\r\n") << 40;
}

void AppLogTest::recordCutOff()
{
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    QFile file(dir.filePath("results.csv"));
    if (!before.isNull())
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    file.close();
    QString error;
    bool appended = true;
    {
        QFETCH(int, cap);
        const FileSizeCap capped(cap);
        appended = app::appendResultRows(file.fileName(), QByteArray(200, 'r') + "\r\n", error);
    }
    QVERIFY(!appended);
    QCOMPARE(error, QStringLiteral("File too large"));
    QCOMPARE(file.exists(), !before.isNull());
    if (file.open(QIODevice::ReadOnly))
        QCOMPARE(file.readAll(), before);
}

QTEST_APPLESS_MAIN(AppLogTest)
#include "tst_app_log.moc"
