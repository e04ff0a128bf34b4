#include "maintenance/maintenance_rules.h"

#include <QTest>

namespace {

// One maintenance rule applied to `input`; lists are joined with '|', the identity block's
// input is "serial|mac|uuid".
QString applied(const QString &rule, const QString &input)
{
    if (rule == u"uuid")
        return maintenance::uuidToken(input);
    if (rule == u"usable")
        return maintenance::isUsableIdentityValue(input) ? "usable" : "not usable";
    if (rule == u"block") {
        const QStringList values = input.split(u'|');
        return maintenance::identityBlockLines(values[0], values[1], values[2]).join(u'|');
    }
    if (rule == u"cleanup")
        return maintenance::cleanupFileNames(input).join(u'|');
    return maintenance::factoryResetCommands(input).join(u'|');
}

void row(const char *rule, const char *name, const QString &input, const QString &expected)
{
    QTest::newRow(name) << QString::fromLatin1(rule) << input << expected;
}

} // namespace

class TestMaintenanceRules : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        row("uuid", "the token inside a value, capitals kept; a lone surrogate hides nothing",
            QString(QChar(0xDC00)) + "euid=\"EAD01:02.ab_cd-9\" (x)", "EAD01:02.ab_cd-9");
        row("uuid", "inside a word it starts at ead; the first of two", "xyzead77/1 eadB2",
            "ead77");
        row("uuid", "ead alone is no token", "ead", "");
        row("usable", "a serial with blanks around it", "  JN1 \r\n", "usable");
        row("usable", "blanks only", " \t ", "not usable");
        row("usable", "an Unknown key error", "ERR: UNKNOWN key system.sn", "not usable");
        row("block", "values trimmed, empty ones N/A", " JN1 |a4:cf:12:00:00:01\r\n|  ",
            "=== Charger Identity ===|Serial: JN1|MAC: a4:cf:12:00:00:01|Device UUID: "
            "N/A|========================");
        row("cleanup", "ECache_1 twice and ecache_1 once: one name, first spelling",
            "ecache_1 120\r\nECache_1 120\r\nEEvents_2 88\r\nECACHE_1", "ecache_1|EEvents_2");
        row("cleanup", "slash, space or quote ends a name",
            "ECache_a/old ECache_b 1 {\"f\":[\"EEvents_9\"]}", "ECache_a|ECache_b|EEvents_9");
        row("cleanup", "a bare prefix is no name", "ECache_ 0\nEEvents_\n", "");
        row("cleanup", "half a surrogate pair hides no name", "ECache_1 " + QString(QChar(0xD800)),
            "ECache_1");
        row("cleanup", "a prefix inside a word or path counts",
            "xECache_9 /logs/EEvents_3 ECacheX Events_1 ECACHE_7", "ECache_9|EEvents_3|ECACHE_7");
        row("reset", "colons: both forms, then bare digits", " a4:cf:12:00:00:01 \r\n",
            "factory_reset|fac|factory_reset a4:cf:12:00:00:01|fac a4:cf:12:00:00:01|fac "
            "[a4:cf:12:00:00:01]|fac a4cf12000001|fac [a4cf12000001]");
        row("reset", "hyphens go in the last two forms only", "A4-CF-12-00-00-01",
            "factory_reset|fac|factory_reset A4-CF-12-00-00-01|fac A4-CF-12-00-00-01|fac "
            "[A4-CF-12-00-00-01]|fac A4CF12000001|fac [A4CF12000001]");
        row("reset", "no separators: the digit forms repeat", "a4cf12000001",
            "factory_reset|fac|factory_reset a4cf12000001|fac a4cf12000001|fac [a4cf12000001]|fac "
            "a4cf12000001|fac [a4cf12000001]");
        row("reset", "a blank MAC: the two bare forms", "  \r\n", "factory_reset|fac");
        row("reset", "separators only: no digit forms",
            ":-:", "factory_reset|fac|factory_reset :-:|fac :-:|fac [:-:]");
    }

    void rules()
    {
        QFETCH(QString, rule);
        QFETCH(QString, input);
        QTEST(applied(rule, input), "expected");
    }
};

QTEST_APPLESS_MAIN(TestMaintenanceRules)
#include "tst_maintenance_rules.moc"
