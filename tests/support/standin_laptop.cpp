#include "standin_laptop.h"

#include <QFile>
#include <QJsonDocument>

namespace testsupport {

namespace {

QString journalPathIn(const QTemporaryDir &dir)
{
    return dir.filePath(QStringLiteral("netsh-journal.jsonl"));
}

QList<QJsonObject> journalObjects(const QString &path)
{
    QList<QJsonObject> objects;
    QFile journal(path);
    if (!journal.open(QIODevice::ReadOnly))
        return objects;
    for (const QByteArray &line : journal.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            objects << QJsonDocument::fromJson(line).object();
    }
    return objects;
}

} // namespace

StandInLaptop::StandInLaptop()
    : savedState(qgetenv("ZEPHYL_NETSH_STATE")), savedJournal(qgetenv("ZEPHYL_NETSH_JOURNAL"))
{
    qputenv("ZEPHYL_NETSH_STATE", statePath().toLocal8Bit());
    qputenv("ZEPHYL_NETSH_JOURNAL", journalPathIn(dir).toLocal8Bit());
}

StandInLaptop::~StandInLaptop()
{
    qputenv("ZEPHYL_NETSH_STATE", savedState);
    qputenv("ZEPHYL_NETSH_JOURNAL", savedJournal);
}

QString StandInLaptop::statePath() const
{
    return dir.filePath(QStringLiteral("netsh-state.json"));
}

QString StandInLaptop::journalPath() const
{
    return journalPathIn(dir);
}

QJsonObject StandInLaptop::adapter(const QString &name, const QString &connectedSsid,
                                   const QString &address)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("connectedSsid"), connectedSsid},
            {QStringLiteral("dhcp"), true},
            {QStringLiteral("address"), address},
            {QStringLiteral("mask"), QStringLiteral("255.255.255.0")},
            {QStringLiteral("dnsDhcp"), true}};
}

QJsonObject StandInLaptop::network(const QString &ssid, const QString &authentication,
                                   const QString &dhcpAddress, const QString &bssid, int signal,
                                   int channel)
{
    const bool open = authentication == QLatin1String("Open");
    return {
        {QStringLiteral("ssid"), ssid},
        {QStringLiteral("authentication"), authentication},
        {QStringLiteral("encryption"), open ? QStringLiteral("None") : QStringLiteral("CCMP")},
        {QStringLiteral("dhcpAddress"), dhcpAddress},
        {QStringLiteral("bssids"), QJsonArray{QJsonObject{{QStringLiteral("bssid"), bssid},
                                                          {QStringLiteral("signal"), signal},
                                                          {QStringLiteral("channel"), channel}}}}};
}

QJsonObject StandInLaptop::profile(const QString &name, const QString &interfaceName)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("interface"), interfaceName},
            {QStringLiteral("ssid"), name}};
}

QJsonObject StandInLaptop::homeLaptop(const QStringList &chargerSsids, const QString &adapterName)
{
    QJsonArray networks{network(QStringLiteral("HomeNet"), QStringLiteral("WPA2-Personal"),
                                QStringLiteral("192.168.1.23"), QStringLiteral("d8:15:0d:72:8c:18"),
                                92, 1)};
    int index = 0;
    for (const QString &ssid : chargerSsids) {
        ++index;
        networks.append(
            network(ssid, QStringLiteral("Open"), QStringLiteral("10.10.10.3"),
                    QStringLiteral("5e:4c:9b:8e:46:%1").arg(index, 2, 10, QLatin1Char('0')),
                    70 - index, 6));
    }
    return {
        {QStringLiteral("elevated"), true},
        {QStringLiteral("interfaces"), QJsonArray{adapter(adapterName, QStringLiteral("HomeNet"),
                                                          QStringLiteral("192.168.1.23"))}},
        {QStringLiteral("networks"), networks},
        {QStringLiteral("profiles"), QJsonArray{profile(QStringLiteral("HomeNet"), adapterName)}}};
}

void StandInLaptop::append(QJsonObject &state, const QString &key, const QJsonObject &item)
{
    QJsonArray items = state.value(key).toArray();
    items.append(item);
    state.insert(key, items);
}

void StandInLaptop::writeState(const QJsonObject &state)
{
    QFile file(statePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write the netsh stand-in state");
    file.write(QJsonDocument(state).toJson());
}

QJsonObject StandInLaptop::readState() const
{
    QFile file(statePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

void StandInLaptop::addFault(const QString &prefix, const QJsonObject &fault)
{
    QJsonObject state = readState();
    QJsonObject faults = state.value(QLatin1String("faults")).toObject();
    faults.insert(prefix, fault);
    state.insert(QStringLiteral("faults"), faults);
    writeState(state);
}

QList<QStringList> StandInLaptop::invocations() const
{
    QList<QStringList> result;
    for (const QJsonObject &entry : journalObjects(journalPathIn(dir))) {
        QStringList argv;
        for (const QJsonValue &argument : entry.value(QLatin1String("argv")).toArray())
            argv << argument.toString();
        result << argv;
    }
    return result;
}

QStringList StandInLaptop::addedProfiles() const
{
    QStringList profiles;
    for (const QJsonObject &entry : journalObjects(journalPathIn(dir))) {
        if (entry.contains(QLatin1String("profileXml")))
            profiles << entry.value(QLatin1String("profileXml")).toString();
    }
    return profiles;
}

void StandInLaptop::clearJournal()
{
    QFile::remove(journalPathIn(dir));
}

QString StandInLaptop::connectedSsid() const
{
    return firstAdapter().value(QLatin1String("connectedSsid")).toString();
}

void StandInLaptop::setConnectedSsid(const QString &ssid)
{
    QJsonObject state = readState();
    QJsonArray adapters = state.value(QLatin1String("interfaces")).toArray();
    QJsonObject first = adapters.first().toObject();
    first.insert(QStringLiteral("connectedSsid"), ssid);
    first.insert(QStringLiteral("state"),
                 ssid.isEmpty() ? QStringLiteral("disconnected") : QStringLiteral("connected"));
    adapters.replace(0, first);
    state.insert(QStringLiteral("interfaces"), adapters);
    writeState(state);
}

QJsonObject StandInLaptop::firstAdapter() const
{
    const QJsonArray interfaces = readState().value(QLatin1String("interfaces")).toArray();
    return interfaces.isEmpty() ? QJsonObject() : interfaces.first().toObject();
}

QStringList StandInLaptop::profileNames() const
{
    QStringList names;
    for (const QJsonValue &profile : readState().value(QLatin1String("profiles")).toArray())
        names << profile.toObject().value(QLatin1String("name")).toString();
    return names;
}

} // namespace testsupport
