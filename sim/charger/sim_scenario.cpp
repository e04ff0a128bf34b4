#include "charger_simulator.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString settingText(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

bool readReplyStyle(const QJsonValue &value, SimReplyStyle &style, QString *error)
{
    if (value.isUndefined())
        return true;
    const QString name = value.toString();
    if (name == QLatin1String("text"))
        style = SimReplyStyle::PlainText;
    else if (name == QLatin1String("json"))
        style = SimReplyStyle::Json;
    else
        return fail(error, QStringLiteral("replyStyle must be \"text\" or \"json\""));
    return true;
}

QStringList stringList(const QJsonValue &value)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &item : array)
        list.append(item.toString());
    return list;
}

bool readNetwork(const QJsonObject &json, SimNetwork &network, QString *error)
{
    network.ssid = json.value(QStringLiteral("ssid")).toString();
    network.bssid = json.value(QStringLiteral("bssid")).toString();
    if (network.ssid.isEmpty() || network.bssid.isEmpty())
        return fail(error, QStringLiteral("every network needs \"ssid\" and \"bssid\""));
    network.channel = json.value(QStringLiteral("channel")).toInt(network.channel);
    network.rssi = json.value(QStringLiteral("rssi")).toInt(network.rssi);
    network.security = json.value(QStringLiteral("security")).toString(network.security);
    network.password = json.value(QStringLiteral("password")).toString();
    network.rate = json.value(QStringLiteral("rate")).toString(network.rate);
    network.hidden = json.value(QStringLiteral("hidden")).toBool(false);
    return true;
}

bool readCharger(const QJsonObject &json, SimReplyStyle style, bool quoteGetValues,
                 SimCharger &charger, QString *error)
{
    const QString setupSsid = json.value(QStringLiteral("setupSsid")).toString();
    if (setupSsid.isEmpty())
        return fail(error, QStringLiteral("every charger needs a \"setupSsid\""));
    charger = SimCharger::create(
        setupSsid, json.value(QStringLiteral("serial")).toString(QStringLiteral("ZP2-0001234")),
        json.value(QStringLiteral("mac")).toString(QStringLiteral("70:b3:d5:12:34:56")),
        json.value(QStringLiteral("uuid"))
            .toString(QStringLiteral("ead0c5f2-7a1e-4a8b-9d7e-1f3c5a7b9d10")));

    charger.replyStyle = style;
    if (!readReplyStyle(json.value(QStringLiteral("replyStyle")), charger.replyStyle, error))
        return false;
    charger.quoteGetValues = json.value(QStringLiteral("quoteGetValues")).toBool(quoteGetValues);

    // A scenario's value for a factory key is what the charger holds now; a new key is part of
    // its firmware; null removes a key the firmware does not have.
    const QJsonObject settings = json.value(QStringLiteral("settings")).toObject();
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        if (it.value().isNull()) {
            charger.factorySettings.remove(it.key());
            charger.savedSettings.remove(it.key());
            charger.currentSettings.remove(it.key());
            continue;
        }
        const QString value = settingText(it.value());
        if (!charger.factorySettings.contains(it.key()))
            charger.factorySettings.insert(it.key(), value);
        charger.savedSettings.insert(it.key(), value);
        charger.currentSettings.insert(it.key(), value);
    }

    const QJsonArray files = json.value(QStringLiteral("files")).toArray();
    for (const QJsonValue &item : files) {
        SimFile file;
        if (item.isString()) {
            file.name = item.toString();
            file.size = 4096;
        } else {
            file.name = item.toObject().value(QStringLiteral("name")).toString();
            file.size = item.toObject().value(QStringLiteral("size")).toInteger(4096);
        }
        if (file.name.isEmpty())
            return fail(error, QStringLiteral("every file needs a \"name\""));
        charger.files.append(file);
    }

    const QJsonArray networks = json.value(QStringLiteral("networks")).toArray();
    for (const QJsonValue &item : networks) {
        SimNetwork network;
        if (!readNetwork(item.toObject(), network, error))
            return false;
        charger.networks.append(network);
    }

    if (json.contains(QStringLiteral("unknownCommands")))
        charger.unknownCommands = stringList(json.value(QStringLiteral("unknownCommands")));
    if (json.contains(QStringLiteral("factoryResetForms")))
        charger.factoryResetForms = stringList(json.value(QStringLiteral("factoryResetForms")));
    const QJsonObject aliases = json.value(QStringLiteral("aliases")).toObject();
    for (auto it = aliases.begin(); it != aliases.end(); ++it)
        charger.aliases.insert(it.key(), it.value().toString());
    return true;
}

bool readFault(const QJsonObject &json, SimFault &fault, QString *error)
{
    fault.command = json.value(QStringLiteral("command")).toString();
    if (fault.command.isEmpty())
        return fail(error, QStringLiteral("every fault needs a \"command\""));

    const QString match = json.value(QStringLiteral("match")).toString(QStringLiteral("exact"));
    if (match == QLatin1String("exact"))
        fault.match = SimFault::Match::Exact;
    else if (match == QLatin1String("firstWord"))
        fault.match = SimFault::Match::FirstWord;
    else
        return fail(error, QStringLiteral("fault match must be \"exact\" or \"firstWord\""));

    const QString kind = json.value(QStringLiteral("kind")).toString();
    if (kind == QLatin1String("delay") || kind == QLatin1String("answer"))
        fault.kind = SimFault::Kind::Answer;
    else if (kind == QLatin1String("hang"))
        fault.kind = SimFault::Kind::Hang;
    else if (kind == QLatin1String("drop"))
        fault.kind = SimFault::Kind::Drop;
    else if (kind == QLatin1String("status"))
        fault.kind = SimFault::Kind::Status;
    else if (kind == QLatin1String("reply"))
        fault.kind = SimFault::Kind::Reply;
    else
        return fail(error, QStringLiteral("unknown fault kind \"%1\"").arg(kind));

    fault.delayMs = json.value(QStringLiteral("delayMs")).toInt(0);
    fault.status = json.value(QStringLiteral("status"))
                       .toInt(fault.kind == SimFault::Kind::Status ? 500 : 200);
    fault.times = json.value(QStringLiteral("times")).toInt(-1);
    fault.charger = json.value(QStringLiteral("charger")).toString();

    if (json.contains(QStringLiteral("response"))) {
        fault.body = QJsonDocument(QJsonObject{{QStringLiteral("response"),
                                                json.value(QStringLiteral("response"))}})
                         .toJson(QJsonDocument::Compact);
        fault.contentType = QByteArrayLiteral("application/json");
    } else if (json.contains(QStringLiteral("text"))) {
        fault.body = json.value(QStringLiteral("text")).toString().toUtf8();
    } else {
        fault.body = json.value(QStringLiteral("body")).toString().toUtf8();
    }
    if (json.contains(QStringLiteral("contentType")))
        fault.contentType = json.value(QStringLiteral("contentType")).toString().toUtf8();
    return true;
}

} // namespace

bool SimScenario::fromJson(const QJsonObject &json, SimScenario &scenario, QString *error)
{
    scenario = SimScenario();
    SimReplyStyle style = SimReplyStyle::PlainText;
    if (!readReplyStyle(json.value(QStringLiteral("replyStyle")), style, error))
        return false;
    const bool quoteGetValues = json.value(QStringLiteral("quoteGetValues")).toBool(false);

    const QJsonArray chargers = json.value(QStringLiteral("chargers")).toArray();
    if (chargers.isEmpty())
        return fail(error, QStringLiteral("a scenario needs at least one charger in \"chargers\""));
    for (const QJsonValue &item : chargers) {
        SimCharger charger;
        if (!readCharger(item.toObject(), style, quoteGetValues, charger, error))
            return false;
        scenario.chargers.append(charger);

        const QJsonArray chargerFaults = item.toObject().value(QStringLiteral("faults")).toArray();
        for (const QJsonValue &faultItem : chargerFaults) {
            SimFault fault;
            if (!readFault(faultItem.toObject(), fault, error))
                return false;
            fault.charger = charger.setupSsid;
            scenario.faults.append(fault);
        }
    }

    const QJsonArray faults = json.value(QStringLiteral("faults")).toArray();
    for (const QJsonValue &item : faults) {
        SimFault fault;
        if (!readFault(item.toObject(), fault, error))
            return false;
        scenario.faults.append(fault);
    }
    return true;
}

bool SimScenario::fromFile(const QString &path, SimScenario &scenario, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject())
        return fail(
            error,
            QStringLiteral("%1 is not a JSON object: %2").arg(path, parseError.errorString()));
    return fromJson(document.object(), scenario, error);
}
