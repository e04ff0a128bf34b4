#include "maintenance/maintenance_rules.h"

#include <QTest>

class TestMaintenanceRules : public QObject
{
    Q_OBJECT

private slots:
    void uuidToken_data();
    void uuidToken();
    void isUsableIdentityValue_data();
    void isUsableIdentityValue();
    void identityBlockLines_data();
    void identityBlockLines();
    void cleanupFileNames_data();
    void cleanupFileNames();
    void factoryResetCommands_data();
    void factoryResetCommands();
};

void TestMaintenanceRules::uuidToken_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("token");

    QTest::newRow("value that is the token gives it whole")
        << QStringLiteral("ead4f1c2-77aa-4b1e-9c0d-001122334455")
        << QStringLiteral("ead4f1c2-77aa-4b1e-9c0d-001122334455");
    QTest::newRow("token inside a longer value gives only the token")
        << QStringLiteral("euid=\"ead01:02.ab_cd\" (factory)") << QStringLiteral("ead01:02.ab_cd");
    QTest::newRow("token in capitals keeps its capitals")
        << QStringLiteral("ID EAD9F00D-BEEF") << QStringLiteral("EAD9F00D-BEEF");
    QTest::newRow("token inside a word starts at ead")
        << QStringLiteral("xyzead77") << QStringLiteral("ead77");
    QTest::newRow("first of two tokens is taken")
        << QStringLiteral("eadA1 eadB2") << QStringLiteral("eadA1");
    QTest::newRow("slash ends the token") << QStringLiteral("ead12/34") << QStringLiteral("ead12");
    QTest::newRow("ead without anything after it is no token")
        << QStringLiteral("ead") << QString();
    QTest::newRow("value without ead gives nothing")
        << QStringLiteral("4f1c2-77aa-4b1e") << QString();
    QTest::newRow("empty value gives nothing") << QString() << QString();
}

void TestMaintenanceRules::uuidToken()
{
    QFETCH(QString, value);
    QFETCH(QString, token);

    QCOMPARE(maintenance::uuidToken(value), token);
}

void TestMaintenanceRules::isUsableIdentityValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("usable");

    QTest::newRow("serial number is usable") << QStringLiteral("JN1234567") << true;
    QTest::newRow("value with blanks around it is usable") << QStringLiteral("  JN1 \r\n") << true;
    QTest::newRow("empty value is not usable") << QString() << false;
    QTest::newRow("blanks only are not usable") << QStringLiteral(" \t ") << false;
    QTest::newRow("unknown is not usable") << QStringLiteral("unknown") << false;
    QTest::newRow("Unknown key error is not usable")
        << QStringLiteral("ERR: Unknown key system.sn") << false;
    QTest::newRow("UNKNOWN in capitals is not usable") << QStringLiteral("UNKNOWN") << false;
}

void TestMaintenanceRules::isUsableIdentityValue()
{
    QFETCH(QString, value);
    QFETCH(bool, usable);

    QCOMPARE(maintenance::isUsableIdentityValue(value), usable);
}

void TestMaintenanceRules::identityBlockLines_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("uuid");
    QTest::addColumn<QStringList>("lines");

    const QString top = QStringLiteral("=== Charger Identity ===");
    const QString bottom = QStringLiteral("========================");

    QTest::newRow("all three values are shown trimmed")
        << QStringLiteral(" JN1234 ") << QStringLiteral("a4:cf:12:00:00:01\r\n")
        << QStringLiteral("ead0001")
        << QStringList{top, QStringLiteral("Serial: JN1234"),
                       QStringLiteral("MAC: a4:cf:12:00:00:01"),
                       QStringLiteral("Device UUID: ead0001"), bottom};
    QTest::newRow("only a MAC gives N/A for serial and UUID")
        << QString() << QStringLiteral("a4:cf:12:00:00:01") << QStringLiteral("  ")
        << QStringList{top, QStringLiteral("Serial: N/A"), QStringLiteral("MAC: a4:cf:12:00:00:01"),
                       QStringLiteral("Device UUID: N/A"), bottom};
    QTest::newRow("no values give N/A three times")
        << QString() << QString() << QString()
        << QStringList{top, QStringLiteral("Serial: N/A"), QStringLiteral("MAC: N/A"),
                       QStringLiteral("Device UUID: N/A"), bottom};
}

void TestMaintenanceRules::identityBlockLines()
{
    QFETCH(QString, serial);
    QFETCH(QString, mac);
    QFETCH(QString, uuid);
    QFETCH(QStringList, lines);

    const QStringList block = maintenance::identityBlockLines(serial, mac, uuid);
    QCOMPARE(block, lines);
    QCOMPARE(block.first().size(), block.last().size());
}

void TestMaintenanceRules::cleanupFileNames_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("ECache_1 twice and ecache_1 once give one name in the first spelling")
        << QStringLiteral("ECache_1 120\r\necache_1 120\r\nECache_1 120\r\nEEvents_2 88\r\n")
        << QStringList{QStringLiteral("ECache_1"), QStringLiteral("EEvents_2")};
    QTest::newRow("a lower-case first sighting wins over later capitals")
        << QStringLiteral("ecache_1 ECache_1 EEvents_a")
        << QStringList{QStringLiteral("ecache_1"), QStringLiteral("EEvents_a")};
    QTest::newRow("dated names with dots and hyphens are taken whole")
        << QStringLiteral("-rw 4096 EEvents_2024-05-17.log.1\n-rw 512 ECache_v2.3-beta_07.bin\n")
        << QStringList{QStringLiteral("EEvents_2024-05-17.log.1"),
                       QStringLiteral("ECache_v2.3-beta_07.bin")};
    QTest::newRow("slash ends a name")
        << QStringLiteral("ECache_a/old") << QStringList{QStringLiteral("ECache_a")};
    QTest::newRow("space ends a name")
        << QStringLiteral("ECache_b 1024 bytes") << QStringList{QStringLiteral("ECache_b")};
    QTest::newRow("bare prefix followed by a space is no match")
        << QStringLiteral("ECache_ 0\nEEvents_ 0\n") << QStringList{};
    QTest::newRow("prefix at the end of a path is found")
        << QStringLiteral("/data/logs/EEvents_0003 77")
        << QStringList{QStringLiteral("EEvents_0003")};
    QTest::newRow("prefix inside a longer word gives the name from the prefix")
        << QStringLiteral("xECache_9") << QStringList{QStringLiteral("ECache_9")};
    QTest::newRow("ECACHE_7 is found and kept in its case")
        << QStringLiteral("ECACHE_7") << QStringList{QStringLiteral("ECACHE_7")};
    QTest::newRow("JSON listing gives the names between the quotes")
        << QStringLiteral(R"({"files":["ECache_1","config.json","EEvents_9"]})")
        << QStringList{QStringLiteral("ECache_1"), QStringLiteral("EEvents_9")};
    QTest::newRow("other files are not names")
        << QStringLiteral("config.json 300\nECacheX 12\nEvents_1 5\n") << QStringList{};
    QTest::newRow("empty listing gives no names") << QString() << QStringList{};
}

void TestMaintenanceRules::cleanupFileNames()
{
    QFETCH(QString, listing);
    QFETCH(QStringList, names);

    QCOMPARE(maintenance::cleanupFileNames(listing), names);
}

void TestMaintenanceRules::factoryResetCommands_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QStringList>("commands");

    const QString factoryReset = QStringLiteral("factory_reset");
    const QString fac = QStringLiteral("fac");

    QTest::newRow("MAC with colons gives the colon forms, then the plain forms")
        << QStringLiteral(" a4:cf:12:00:00:01 \r\n")
        << QStringList{factoryReset,
                       fac,
                       QStringLiteral("factory_reset a4:cf:12:00:00:01"),
                       QStringLiteral("fac a4:cf:12:00:00:01"),
                       QStringLiteral("fac [a4:cf:12:00:00:01]"),
                       QStringLiteral("fac a4cf12000001"),
                       QStringLiteral("fac [a4cf12000001]")};
    QTest::newRow("MAC with hyphens loses them in the last two forms only")
        << QStringLiteral("A4-CF-12-00-00-01")
        << QStringList{factoryReset,
                       fac,
                       QStringLiteral("factory_reset A4-CF-12-00-00-01"),
                       QStringLiteral("fac A4-CF-12-00-00-01"),
                       QStringLiteral("fac [A4-CF-12-00-00-01]"),
                       QStringLiteral("fac A4CF12000001"),
                       QStringLiteral("fac [A4CF12000001]")};
    QTest::newRow("MAC without separators repeats the fourth and fifth forms")
        << QStringLiteral("a4cf12000001")
        << QStringList{factoryReset,
                       fac,
                       QStringLiteral("factory_reset a4cf12000001"),
                       QStringLiteral("fac a4cf12000001"),
                       QStringLiteral("fac [a4cf12000001]"),
                       QStringLiteral("fac a4cf12000001"),
                       QStringLiteral("fac [a4cf12000001]")};
    QTest::newRow("empty MAC gives the two forms without argument")
        << QString() << QStringList{factoryReset, fac};
    QTest::newRow("blank MAC gives the two forms without argument")
        << QStringLiteral("  \r\n") << QStringList{factoryReset, fac};
    QTest::newRow("MAC of separators only gives no plain forms")
        << QStringLiteral(":-:")
        << QStringList{factoryReset, fac, QStringLiteral("factory_reset :-:"),
                       QStringLiteral("fac :-:"), QStringLiteral("fac [:-:]")};
}

void TestMaintenanceRules::factoryResetCommands()
{
    QFETCH(QString, mac);
    QFETCH(QStringList, commands);

    QCOMPARE(maintenance::factoryResetCommands(mac), commands);
}

QTEST_APPLESS_MAIN(TestMaintenanceRules)
#include "tst_maintenance_rules.moc"
