#include "simulated_laptop.h"

#include "profile_check.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <optional>

namespace netsh_standin {

namespace {

// Texts as Windows prints them.
const char *const noWirelessInterface = "There is no wireless interface on the system.";
const char *const noSuchWirelessInterface = "There is no such wireless interface on the system.";
const char *const serviceNotRunning = "The Wireless AutoConfig Service (wlansvc) is not running.";
const char *const needsElevation =
    "The requested operation requires elevation (Run as administrator).";
const char *const essentialMissing = "One or more essential parameters were not entered.\r\n"
                                     "Verify the required parameters, and reenter them.";
const char *const parameterIncorrect = "The parameter is incorrect.";
const char *const badIpInterface =
    "The filename, directory name, or volume label syntax is incorrect.";

// What netsh prints while Windows withholds WLAN information (location access off).
const char *const locationNotice =
    "Network shell commands need location permission to access WLAN information. Turn on "
    "Location services on the Location page in Privacy & security settings.\r\n"
    "\r\n"
    "Here is the URI for the Location page in the Settings app:\r\n"
    "ms-settings:privacy-location\r\n"
    "To open the Location page in the Settings app, hold down the Ctrl key and select the link, "
    "or run the following command:\r\n"
    "start ms-settings:privacy-location\r\n";
const char *const queryDenied = "Function WlanQueryInterface returns error 5:\r\n"
                                "The requested operation requires elevation (Run as "
                                "administrator).\r\n";

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// netsh writes CR LF line ends.
QString lines(const QStringList &list)
{
    QString text;
    for (const QString &line : list)
        text += line + QStringLiteral("\r\n");
    return text;
}

Reply succeed(const QString &out)
{
    return Reply{out, QString(), 0};
}

Reply fail(const QString &out)
{
    return Reply{out, QString(), 1};
}

Reply failLine(const QString &line)
{
    return fail(lines({line, QString()}));
}

Reply commandNotFound(const QStringList &all)
{
    return failLine(QStringLiteral("The following command was not found: ") +
                    all.join(QLatin1Char(' ')) + QLatin1Char('.'));
}

// "    Label<padding>: value"; a label with no value ends at its colon, as netsh prints it.
QString labelLine(int indent, const QString &label, int width, const QString &value)
{
    QString line =
        QString(indent, QLatin1Char(' ')) + label.leftJustified(width) + QLatin1Char(':');
    if (!value.isEmpty())
        line += QLatin1Char(' ') + value;
    return line;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Parameters of a wlan command: every element is key=value with a known key.
bool keyedParams(const QStringList &params, const QStringList &keys, QHash<QString, QString> &out)
{
    for (const QString &param : params) {
        const qsizetype eq = param.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return false;
        const QString key = param.left(eq).toLower();
        if (!keys.contains(key))
            return false;
        out.insert(key, param.mid(eq + 1));
    }
    return true;
}

// Parameters of an "interface ip" command: tagged (key=value) or in their positional order.
bool positionalParams(const QStringList &params, const QList<QStringList> &names,
                      QHash<QString, QString> &out)
{
    int next = 0;
    for (const QString &param : params) {
        const qsizetype eq = param.indexOf(QLatin1Char('='));
        bool tagged = false;
        if (eq > 0) {
            const QString key = param.left(eq).toLower();
            for (const QStringList &aliases : names) {
                if (aliases.contains(key)) {
                    out.insert(aliases.first(), param.mid(eq + 1));
                    tagged = true;
                    break;
                }
            }
        }
        if (tagged)
            continue;
        while (next < names.size() && out.contains(names.at(next).first()))
            ++next;
        if (next >= names.size())
            return false;
        out.insert(names.at(next).first(), param);
    }
    return true;
}

bool isDottedQuad(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    for (int i = 1; i <= 4; ++i) {
        if (m.captured(i).toInt() > 255)
            return false;
    }
    return true;
}

quint32 ipv4Value(const QString &text)
{
    quint32 value = 0;
    for (const QString &part : text.split(QLatin1Char('.')))
        value = (value << 8) | (part.toUInt() & 0xff);
    return value;
}

QString ipv4Text(quint32 value)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(value >> 24)
        .arg((value >> 16) & 0xff)
        .arg((value >> 8) & 0xff)
        .arg(value & 0xff);
}

int prefixLength(quint32 mask)
{
    int bits = 0;
    for (; mask & 0x80000000u; mask <<= 1)
        ++bits;
    return bits;
}

int signalOf(const QJsonObject &bssid)
{
    const QJsonValue v = bssid.value(QStringLiteral("signal"));
    if (v.isDouble())
        return v.toInt();
    if (v.isString())
        return v.toString().remove(QLatin1Char('%')).trimmed().toInt();
    return 80;
}

int channelOf(const QJsonObject &bssid)
{
    const QJsonValue v = bssid.value(QStringLiteral("channel"));
    return v.isString() ? v.toString().toInt() : v.toInt(6);
}

QString bandOf(const QJsonObject &bssid)
{
    const QString band = bssid.value(QStringLiteral("band")).toString();
    if (!band.isEmpty())
        return band;
    return channelOf(bssid) > 14 ? QStringLiteral("5 GHz") : QStringLiteral("2.4 GHz");
}

QString radioTypeOf(const QJsonObject &bssid)
{
    return bssid.value(QStringLiteral("radioType")).toString(QStringLiteral("802.11n"));
}

QString linkRate(const QString &radioType)
{
    if (radioType == QStringLiteral("802.11ax"))
        return QStringLiteral("1201");
    if (radioType == QStringLiteral("802.11ac"))
        return QStringLiteral("866.7");
    if (radioType == QStringLiteral("802.11n"))
        return QStringLiteral("144.4");
    return QStringLiteral("54");
}

QJsonObject strongestBssid(const QJsonObject &network)
{
    QJsonObject best;
    int bestSignal = -1;
    for (const QJsonValue &v : network.value(QStringLiteral("bssids")).toArray()) {
        const QJsonObject b = v.toObject();
        if (signalOf(b) > bestSignal) {
            best = b;
            bestSignal = signalOf(b);
        }
    }
    return best;
}

QString str(const QJsonObject &o, const char *key, const QString &fallback = QString())
{
    return o.value(QString::fromLatin1(key)).toString(fallback);
}

// A network without an "interfaces" list is in range of every adapter.
bool visibleOn(const QJsonObject &network, const QString &interfaceName)
{
    // Opened a moment ago: missing from Windows' cached list until a scan (the wlanapi.dll
    // stand-in's) clears the key.
    if (network.value(QStringLiteral("awaitsScan")).toBool())
        return false;
    const QJsonValue seenBy = network.value(QStringLiteral("interfaces"));
    if (!seenBy.isArray())
        return true;
    for (const QJsonValue &v : seenBy.toArray()) {
        if (sameName(v.toString(), interfaceName))
            return true;
    }
    return false;
}

} // namespace

SimulatedLaptop::SimulatedLaptop(QJsonObject state) : root(std::move(state)) {}

QJsonObject SimulatedLaptop::defaultState()
{
    const auto bssid = [](const char *mac, int signal, int channel) {
        return QJsonObject{{QStringLiteral("bssid"), QString::fromLatin1(mac)},
                           {QStringLiteral("signal"), signal},
                           {QStringLiteral("channel"), channel},
                           {QStringLiteral("radioType"), QStringLiteral("802.11n")}};
    };
    const QJsonObject wifi{
        {QStringLiteral("name"), QStringLiteral("Wi-Fi")},
        {QStringLiteral("description"), QStringLiteral("Intel(R) Wi-Fi 6 AX201 160MHz")},
        {QStringLiteral("guid"), QStringLiteral("6947e285-cbb3-4da9-a1f8-1e37ec485c3e")},
        {QStringLiteral("mac"), QStringLiteral("2c:0d:a7:c8:53:2f")},
        {QStringLiteral("connectedSsid"), QStringLiteral("HomeNet")},
        {QStringLiteral("connectedProfile"), QStringLiteral("HomeNet")},
        {QStringLiteral("state"), QStringLiteral("connected")},
        {QStringLiteral("dhcp"), true},
        {QStringLiteral("address"), QStringLiteral("192.168.1.23")},
        {QStringLiteral("mask"), QStringLiteral("255.255.255.0")},
        {QStringLiteral("gateway"), QStringLiteral("192.168.1.1")},
        {QStringLiteral("dnsDhcp"), true},
        {QStringLiteral("dns"), QJsonArray{QStringLiteral("192.168.1.1")}}};
    const QJsonObject home{
        {QStringLiteral("ssid"), QStringLiteral("HomeNet")},
        {QStringLiteral("authentication"), QStringLiteral("WPA2-Personal")},
        {QStringLiteral("encryption"), QStringLiteral("CCMP")},
        {QStringLiteral("dhcpAddress"), QStringLiteral("192.168.1.23")},
        {QStringLiteral("dhcpGateway"), QStringLiteral("192.168.1.1")},
        {QStringLiteral("bssids"), QJsonArray{bssid("d8:15:0d:72:8c:18", 92, 1)}}};
    const QJsonObject charger{
        {QStringLiteral("ssid"), QStringLiteral("JuiceNet-7F2A")},
        {QStringLiteral("authentication"), QStringLiteral("Open")},
        {QStringLiteral("encryption"), QStringLiteral("None")},
        {QStringLiteral("dhcpAddress"), QStringLiteral("10.10.10.3")},
        {QStringLiteral("bssids"), QJsonArray{bssid("5e:4c:9b:8e:46:d2", 71, 6)}}};
    const QJsonObject homeProfile{{QStringLiteral("name"), QStringLiteral("HomeNet")},
                                  {QStringLiteral("interface"), QStringLiteral("Wi-Fi")},
                                  {QStringLiteral("ssid"), QStringLiteral("HomeNet")}};
    return QJsonObject{{QStringLiteral("elevated"), true},
                       {QStringLiteral("wlanServiceRunning"), true},
                       {QStringLiteral("interfaces"), QJsonArray{wifi}},
                       {QStringLiteral("networks"), QJsonArray{home, charger}},
                       {QStringLiteral("profiles"), QJsonArray{homeProfile}},
                       {QStringLiteral("faults"), QJsonObject()}};
}

Reply SimulatedLaptop::run(const QStringList &arguments)
{
    completeAssociations();
    if (arguments.isEmpty())
        return commandNotFound(arguments);
    const QString context = arguments.first().toLower();
    if (context == QStringLiteral("wlan"))
        return wlan(arguments.mid(1));
    if ((context == QStringLiteral("interface") || context == QStringLiteral("int")) &&
        arguments.size() > 1) {
        const QString family = arguments.at(1).toLower();
        if (family == QStringLiteral("ip") || family == QStringLiteral("ipv4"))
            return interfaceIp(arguments.mid(2), arguments);
    }
    return commandNotFound(arguments);
}

Reply SimulatedLaptop::wlan(const QStringList &args)
{
    const QStringList all = QStringList{QStringLiteral("wlan")} + args;
    const QString verb = args.value(0).toLower();
    const QString object = args.value(1).toLower();
    const bool known = (verb == QStringLiteral("show") && (object == QStringLiteral("interfaces") ||
                                                           object == QStringLiteral("networks"))) ||
                       verb == QStringLiteral("disconnect") || verb == QStringLiteral("connect") ||
                       ((verb == QStringLiteral("add") || verb == QStringLiteral("delete")) &&
                        object == QStringLiteral("profile"));
    if (!known)
        return commandNotFound(all);
    if (!root.value(QStringLiteral("wlanServiceRunning")).toBool(true))
        return failLine(s(serviceNotRunning));
    if (root.value(QStringLiteral("locationGate")).toBool() &&
        (verb == QStringLiteral("show") || verb == QStringLiteral("connect")))
        return withheld(object);

    if (verb == QStringLiteral("show"))
        return object == QStringLiteral("interfaces") ? showInterfaces()
                                                      : showNetworks(args.mid(2));
    if (verb == QStringLiteral("disconnect"))
        return disconnect(args.mid(1));
    if (verb == QStringLiteral("connect"))
        return connect(args.mid(1));
    if (verb == QStringLiteral("add"))
        return addProfile(args.mid(2));
    return deleteProfile(args.mid(2));
}

Reply SimulatedLaptop::interfaceIp(const QStringList &args, const QStringList &all)
{
    const QString verb = args.value(0).toLower();
    const QString object = args.value(1).toLower();
    const bool isSet = verb == QStringLiteral("set");
    const bool setAddress = isSet && object == QStringLiteral("address");
    const bool setDns =
        isSet && (object == QStringLiteral("dns") || object == QStringLiteral("dnsserver") ||
                  object == QStringLiteral("dnsservers"));
    const bool showAddresses =
        verb == QStringLiteral("show") &&
        (object == QStringLiteral("addresses") || object == QStringLiteral("address") ||
         object == QStringLiteral("config"));
    if (!setAddress && !setDns && !showAddresses)
        return commandNotFound(all);
    if (isSet && !root.value(QStringLiteral("elevated")).toBool(true))
        return failLine(s(needsElevation));
    if (setAddress)
        return this->setAddress(args.mid(2));
    if (setDns)
        return this->setDns(args.mid(2));
    return this->showAddresses(args.mid(2));
}

int SimulatedLaptop::interfaceIndex(const QString &name) const
{
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    for (int i = 0; i < interfaces.size(); ++i) {
        if (sameName(str(interfaces.at(i).toObject(), "name"), name))
            return i;
    }
    return -1;
}

int SimulatedLaptop::networkIndex(const QString &ssid, const QString &interfaceName) const
{
    const QJsonArray networks = root.value(QStringLiteral("networks")).toArray();
    for (int i = 0; i < networks.size(); ++i) {
        const QJsonObject network = networks.at(i).toObject();
        if (str(network, "ssid") == ssid &&
            (interfaceName.isEmpty() || visibleOn(network, interfaceName)))
            return i;
    }
    return -1;
}

QJsonObject SimulatedLaptop::interfaceAt(int index) const
{
    return root.value(QStringLiteral("interfaces")).toArray().at(index).toObject();
}

void SimulatedLaptop::setInterfaceAt(int index, const QJsonObject &iface)
{
    QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    interfaces.replace(index, iface);
    root.insert(QStringLiteral("interfaces"), interfaces);
    dirty = true;
}

void SimulatedLaptop::applyDhcpLease(QJsonObject &iface) const
{
    QJsonObject network;
    const QString ssid = str(iface, "connectedSsid");
    const int at = ssid.isEmpty() ? -1 : networkIndex(ssid, QString());
    if (at >= 0)
        network = root.value(QStringLiteral("networks")).toArray().at(at).toObject();
    const QString lease = str(network, "dhcpAddress");
    const QString gateway = str(network, "dhcpGateway");

    if (iface.value(QStringLiteral("dhcp")).toBool(true)) {
        iface.insert(QStringLiteral("address"), lease);
        iface.insert(QStringLiteral("mask"),
                     lease.isEmpty() ? QString()
                                     : str(network, "dhcpMask", QStringLiteral("255.255.255.0")));
        iface.insert(QStringLiteral("gateway"), lease.isEmpty() ? QString() : gateway);
    }
    if (iface.value(QStringLiteral("dnsDhcp")).toBool(true)) {
        QJsonArray dns = network.value(QStringLiteral("dhcpDns")).toArray();
        if (dns.isEmpty() && !lease.isEmpty() && !gateway.isEmpty())
            dns.append(gateway);
        iface.insert(QStringLiteral("dns"), dns);
    }
}

void SimulatedLaptop::joinNetwork(int ifaceIndex, const QString &ssid, const QString &profile)
{
    QJsonObject iface = interfaceAt(ifaceIndex);
    // Joined once: a move from the tray later is not undone by the finished association.
    iface.remove(QStringLiteral("associating"));
    iface.insert(QStringLiteral("connectedSsid"), ssid);
    iface.insert(QStringLiteral("connectedProfile"), profile);
    iface.insert(QStringLiteral("connectionMode"), QStringLiteral("Profile"));
    iface.insert(QStringLiteral("state"), QStringLiteral("connected"));
    applyDhcpLease(iface);
    setInterfaceAt(ifaceIndex, iface);
}

// The adapter joins only after the association delay, seen by the first command after it.
void SimulatedLaptop::startAssociation(int ifaceIndex, const QString &ssid, const QString &profile)
{
    leaveNetwork(ifaceIndex);
    if (root.value(QStringLiteral("neverAssociate")).toBool())
        return;
    QJsonObject iface = interfaceAt(ifaceIndex);
    const qint64 delay = root.value(QStringLiteral("associationDelayMs")).toInteger(300);
    iface.insert(QStringLiteral("associating"),
                 QJsonObject{{QStringLiteral("ssid"), ssid},
                             {QStringLiteral("profile"), profile},
                             {QStringLiteral("at"), QDateTime::currentMSecsSinceEpoch() + delay}});
    iface.insert(QStringLiteral("state"), QStringLiteral("associating"));
    setInterfaceAt(ifaceIndex, iface);
}

void SimulatedLaptop::completeAssociations()
{
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    for (int at = 0; at < interfaces.size(); ++at) {
        const QJsonObject pending =
            interfaces.at(at).toObject().value(QStringLiteral("associating")).toObject();
        if (!pending.isEmpty() &&
            pending.value(QStringLiteral("at")).toInteger() <= QDateTime::currentMSecsSinceEpoch())
            joinNetwork(at, str(pending, "ssid"), str(pending, "profile"));
    }
}

Reply SimulatedLaptop::withheld(const QString &object) const
{
    const int count = int(root.value(QStringLiteral("interfaces")).toArray().size());
    if (object == QStringLiteral("interfaces")) {
        const QString header =
            count == 1 ? QStringLiteral("There is 1 interface on the system:")
                       : QStringLiteral("There are %1 interfaces on the system:").arg(count);
        return fail(lines({QString(), header, QString()}) + s(locationNotice) + s(queryDenied) +
                    lines({QString()}));
    }
    const QString name = str(interfaceAt(0), "name");
    return fail(lines({QString(), QStringLiteral("Interface name : ") + name, QString()}) +
                s(locationNotice) + lines({QStringLiteral("Access is denied."), QString()}));
}

void SimulatedLaptop::leaveNetwork(int ifaceIndex)
{
    QJsonObject iface = interfaceAt(ifaceIndex);
    iface.remove(QStringLiteral("associating"));
    iface.insert(QStringLiteral("connectedSsid"), QString());
    iface.remove(QStringLiteral("connectedProfile"));
    iface.insert(QStringLiteral("state"), QStringLiteral("disconnected"));
    applyDhcpLease(iface);
    setInterfaceAt(ifaceIndex, iface);
}

Reply SimulatedLaptop::showInterfaces()
{
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    if (interfaces.isEmpty())
        return failLine(s(noWirelessInterface));

    QStringList out{
        QString(),
        interfaces.size() == 1
            ? QStringLiteral("There is 1 interface on the system:")
            : QStringLiteral("There are %1 interfaces on the system:").arg(interfaces.size()),
        QString()};
    const auto field = [&out](const QString &label, const QString &value) {
        out << labelLine(4, label, 23, value);
    };
    for (const QJsonValue &v : interfaces) {
        const QJsonObject iface = v.toObject();
        const QString ssid = str(iface, "connectedSsid");
        field(QStringLiteral("Name"), str(iface, "name"));
        field(QStringLiteral("Description"),
              str(iface, "description", QStringLiteral("Wireless Network Adapter")));
        field(QStringLiteral("GUID"),
              str(iface, "guid", QStringLiteral("00000000-0000-0000-0000-000000000000")));
        field(QStringLiteral("Physical address"),
              str(iface, "mac", QStringLiteral("00:00:00:00:00:00")));
        field(QStringLiteral("Interface type"),
              str(iface, "interfaceType", QStringLiteral("Primary")));
        if (ssid.isEmpty()) {
            field(QStringLiteral("State"), iface.contains(QStringLiteral("associating"))
                                               ? QStringLiteral("associating")
                                               : QStringLiteral("disconnected"));
            field(QStringLiteral("Radio status"), QStringLiteral("Hardware On"));
            out << QString(29, QLatin1Char(' ')) + QStringLiteral("Software On");
        } else {
            const int at = networkIndex(ssid, QString());
            const QJsonObject network =
                at >= 0 ? root.value(QStringLiteral("networks")).toArray().at(at).toObject()
                        : QJsonObject();
            const QJsonObject bssid = strongestBssid(network);
            const QString radioType = radioTypeOf(bssid);
            field(QStringLiteral("State"), QStringLiteral("connected"));
            field(QStringLiteral("SSID"), ssid);
            field(QStringLiteral("BSSID"),
                  str(bssid, "bssid", QStringLiteral("00:00:00:00:00:00")));
            field(QStringLiteral("Network type"), QStringLiteral("Infrastructure"));
            field(QStringLiteral("Radio type"), radioType);
            field(QStringLiteral("Authentication"),
                  str(network, "authentication", QStringLiteral("Open")));
            field(QStringLiteral("Cipher"), str(network, "encryption", QStringLiteral("None")));
            field(QStringLiteral("Connection mode"),
                  str(iface, "connectionMode", QStringLiteral("Auto Connect")));
            field(QStringLiteral("Band"), bandOf(bssid));
            field(QStringLiteral("Channel"), QString::number(channelOf(bssid)));
            field(QStringLiteral("Receive rate (Mbps)"), linkRate(radioType));
            field(QStringLiteral("Transmit rate (Mbps)"), linkRate(radioType));
            field(QStringLiteral("Signal"), QString::number(signalOf(bssid)) + QLatin1Char('%'));
            field(QStringLiteral("Profile"), str(iface, "connectedProfile", ssid));
        }
        out << QString();
    }
    field(QStringLiteral("Hosted network status"), QStringLiteral("Not available"));
    out << QString();
    return succeed(lines(out));
}

std::optional<Reply> SimulatedLaptop::namedInterfaces(const QHash<QString, QString> &params,
                                                      QList<int> &indexes) const
{
    // "interface=X" names one adapter; without it a command acts on every adapter.
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    if (interfaces.isEmpty())
        return failLine(s(noWirelessInterface));
    if (params.contains(QStringLiteral("interface"))) {
        const int at = interfaceIndex(params.value(QStringLiteral("interface")));
        if (at < 0)
            return failLine(s(noSuchWirelessInterface));
        indexes << at;
        return std::nullopt;
    }
    for (int i = 0; i < interfaces.size(); ++i)
        indexes << i;
    return std::nullopt;
}

Reply SimulatedLaptop::showNetworks(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!keyedParams(params, {QStringLiteral("interface"), QStringLiteral("mode")}, p))
        return failLine(s(parameterIncorrect));
    const QString mode = p.value(QStringLiteral("mode"), QStringLiteral("ssid")).toLower();
    if (mode != QStringLiteral("ssid") && mode != QStringLiteral("bssid"))
        return failLine(s(parameterIncorrect));

    QList<int> shown;
    if (const std::optional<Reply> failure = namedInterfaces(p, shown))
        return *failure;

    const QJsonArray networks = root.value(QStringLiteral("networks")).toArray();
    QStringList out;
    for (const int index : shown) {
        const QString name = str(interfaceAt(index), "name");
        QList<QJsonObject> visible;
        for (const QJsonValue &v : networks) {
            if (visibleOn(v.toObject(), name))
                visible << v.toObject();
        }
        out << QString() << QStringLiteral("Interface name : ") + name
            << QStringLiteral("There are %1 networks currently visible.").arg(visible.size())
            << QString();
        for (int n = 0; n < visible.size(); ++n) {
            const QJsonObject &network = visible.at(n);
            const QString ssid = str(network, "ssid");
            out << QStringLiteral("SSID %1 :").arg(n + 1) +
                       (ssid.isEmpty() ? QString() : QLatin1Char(' ') + ssid);
            out << labelLine(4, QStringLiteral("Network type"), 24,
                             QStringLiteral("Infrastructure"));
            out << labelLine(4, QStringLiteral("Authentication"), 24,
                             str(network, "authentication", QStringLiteral("Open")));
            out << labelLine(4, QStringLiteral("Encryption"), 24,
                             str(network, "encryption", QStringLiteral("None")));
            if (mode == QStringLiteral("bssid")) {
                const QJsonArray bssids = network.value(QStringLiteral("bssids")).toArray();
                for (int b = 0; b < bssids.size(); ++b) {
                    const QJsonObject bssid = bssids.at(b).toObject();
                    const bool fiveGhz = !bandOf(bssid).startsWith(QStringLiteral("2.4"));
                    out << labelLine(4, QStringLiteral("BSSID %1").arg(b + 1), 24,
                                     str(bssid, "bssid"));
                    out << labelLine(9, QStringLiteral("Signal"), 19,
                                     QString::number(signalOf(bssid)) + QLatin1Char('%'));
                    out << labelLine(9, QStringLiteral("Radio type"), 19, radioTypeOf(bssid));
                    out << labelLine(9, QStringLiteral("Band"), 19, bandOf(bssid));
                    out << labelLine(9, QStringLiteral("Channel"), 19,
                                     QString::number(channelOf(bssid)));
                    out << labelLine(9, QStringLiteral("Basic rates (Mbps)"), 19,
                                     fiveGhz ? QStringLiteral("6 12 24")
                                             : QStringLiteral("1 2 5.5 11"));
                    out << labelLine(9, QStringLiteral("Other rates (Mbps)"), 19,
                                     fiveGhz ? QStringLiteral("9 18 36 48 54")
                                             : QStringLiteral("6 9 12 18 24 36 48 54"));
                }
            }
            out << QString();
        }
    }
    return succeed(lines(out));
}

Reply SimulatedLaptop::disconnect(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!keyedParams(params, {QStringLiteral("interface")}, p))
        return failLine(s(parameterIncorrect));
    QList<int> targets;
    if (const std::optional<Reply> failure = namedInterfaces(p, targets))
        return *failure;
    QStringList out;
    for (const int at : targets) {
        leaveNetwork(at);
        out << QStringLiteral("Disconnection request was completed successfully for interface "
                              "\"%1\".")
                   .arg(str(interfaceAt(at), "name"));
    }
    out << QString();
    return succeed(lines(out));
}

Reply SimulatedLaptop::deleteProfile(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!keyedParams(params, {QStringLiteral("name"), QStringLiteral("interface")}, p))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("name")))
        return failLine(s(essentialMissing));
    const QString name = p.value(QStringLiteral("name"));
    const bool oneInterface = p.contains(QStringLiteral("interface"));
    const QString only = p.value(QStringLiteral("interface"));
    if (oneInterface && interfaceIndex(only) < 0)
        return failLine(s(noSuchWirelessInterface));

    QJsonArray profiles = root.value(QStringLiteral("profiles")).toArray();
    QStringList out;
    for (int i = profiles.size() - 1; i >= 0; --i) {
        const QJsonObject profile = profiles.at(i).toObject();
        const QString iface = str(profile, "interface");
        if (!sameName(str(profile, "name"), name) || (oneInterface && !sameName(iface, only)))
            continue;
        profiles.removeAt(i);
        out.prepend(QStringLiteral("Profile \"%1\" is deleted from interface \"%2\".")
                        .arg(str(profile, "name"), iface));
        // Windows drops the connection that uses a profile being deleted.
        const int at = interfaceIndex(iface);
        if (at >= 0 && sameName(str(interfaceAt(at), "connectedProfile"), name))
            leaveNetwork(at);
    }
    if (out.isEmpty()) {
        return failLine(oneInterface ? QStringLiteral("Profile \"%1\" is not found on interface "
                                                      "\"%2\".")
                                           .arg(name, only)
                                     : QStringLiteral("Profile \"%1\" is not found on any "
                                                      "interface.")
                                           .arg(name));
    }
    root.insert(QStringLiteral("profiles"), profiles);
    dirty = true;
    out << QString();
    return succeed(lines(out));
}

Reply SimulatedLaptop::addProfile(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!keyedParams(
            params,
            {QStringLiteral("filename"), QStringLiteral("interface"), QStringLiteral("user")}, p))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("filename")))
        return failLine(s(essentialMissing));
    QList<int> targets;
    if (const std::optional<Reply> failure = namedInterfaces(p, targets))
        return *failure;

    QFile file(p.value(QStringLiteral("filename")));
    if (!file.open(QIODevice::ReadOnly))
        return failLine(QStringLiteral("The system cannot find the file specified."));
    const QByteArray xml = file.readAll();
    WlanProfileInfo info;
    QString problem;
    if (!readWlanProfile(xml, info, problem)) {
        Reply reply = fail(
            lines({QStringLiteral("Profile format error 0x80420011:"),
                   QStringLiteral("The network connection profile is corrupted."), QString()}));
        reply.err = QStringLiteral("netsh stand-in: ") + problem + QLatin1Char('\n');
        return reply;
    }

    QJsonArray profiles = root.value(QStringLiteral("profiles")).toArray();
    QStringList out;
    for (const int at : targets) {
        const QString iface = str(interfaceAt(at), "name");
        const QJsonObject stored{{QStringLiteral("name"), info.name},
                                 {QStringLiteral("interface"), iface},
                                 {QStringLiteral("ssid"), info.ssid},
                                 {QStringLiteral("xml"), QString::fromUtf8(xml)}};
        bool replaced = false;
        for (int i = 0; i < profiles.size(); ++i) {
            const QJsonObject existing = profiles.at(i).toObject();
            if (sameName(str(existing, "name"), info.name) &&
                sameName(str(existing, "interface"), iface)) {
                profiles.replace(i, stored);
                replaced = true;
                break;
            }
        }
        if (!replaced)
            profiles.append(stored);
        out << QStringLiteral("Profile %1 is %2 on interface %3.")
                   .arg(info.name, replaced ? QStringLiteral("updated") : QStringLiteral("added"),
                        iface);
    }
    root.insert(QStringLiteral("profiles"), profiles);
    dirty = true;
    out << QString();
    return succeed(lines(out));
}

Reply SimulatedLaptop::connect(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!keyedParams(params,
                     {QStringLiteral("name"), QStringLiteral("ssid"), QStringLiteral("interface")},
                     p))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("name")))
        return failLine(s(essentialMissing));
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    if (interfaces.isEmpty())
        return failLine(s(noWirelessInterface));
    int at = 0;
    if (p.contains(QStringLiteral("interface"))) {
        at = interfaceIndex(p.value(QStringLiteral("interface")));
        if (at < 0)
            return failLine(s(noSuchWirelessInterface));
    } else if (interfaces.size() > 1) {
        return failLine(QStringLiteral("There are multiple wireless interfaces on the system. "
                                       "Please specify the interface name."));
    }
    const QString ifaceName = str(interfaceAt(at), "name");
    const QString profileName = p.value(QStringLiteral("name"));

    QJsonObject profile;
    for (const QJsonValue &v : root.value(QStringLiteral("profiles")).toArray()) {
        const QJsonObject candidate = v.toObject();
        if (sameName(str(candidate, "name"), profileName) &&
            sameName(str(candidate, "interface"), ifaceName)) {
            profile = candidate;
            break;
        }
    }
    if (profile.isEmpty()) {
        return failLine(
            QStringLiteral("There is no profile \"%1\" assigned to the specified interface.")
                .arg(profileName));
    }
    const QString profileSsid = str(profile, "ssid", str(profile, "name"));
    const QString ssid = p.value(QStringLiteral("ssid"), profileSsid);
    if (ssid != profileSsid || networkIndex(ssid, ifaceName) < 0) {
        return failLine(
            QStringLiteral("The network specified by profile \"%1\" is not available to connect.")
                .arg(profileName));
    }
    startAssociation(at, ssid, str(profile, "name"));
    return succeed(
        lines({QStringLiteral("Connection request was completed successfully."), QString()}));
}

Reply SimulatedLaptop::setAddress(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!positionalParams(params,
                          {{QStringLiteral("name")},
                           {QStringLiteral("source")},
                           {QStringLiteral("address"), QStringLiteral("addr")},
                           {QStringLiteral("mask")},
                           {QStringLiteral("gateway")},
                           {QStringLiteral("gwmetric")}},
                          p))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("name")) || !p.contains(QStringLiteral("source")))
        return failLine(s(essentialMissing));
    const int at = interfaceIndex(p.value(QStringLiteral("name")));
    if (at < 0)
        return failLine(s(badIpInterface));
    QJsonObject iface = interfaceAt(at);
    const QString source = p.value(QStringLiteral("source")).toLower();

    if (source == QStringLiteral("dhcp")) {
        if (iface.value(QStringLiteral("dhcp")).toBool(true))
            return failLine(QStringLiteral("DHCP is already enabled on this interface."));
        iface.insert(QStringLiteral("dhcp"), true);
        applyDhcpLease(iface);
        setInterfaceAt(at, iface);
        return succeed(QString());
    }
    if (source != QStringLiteral("static"))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("address")) || !p.contains(QStringLiteral("mask")))
        return failLine(s(essentialMissing));
    for (const char *key : {"address", "mask"}) {
        const QString value = p.value(QString::fromLatin1(key));
        if (!isDottedQuad(value)) {
            return failLine(QStringLiteral("Invalid %1 parameter (%2). It should be a valid IPv4 "
                                           "address.")
                                .arg(QString::fromLatin1(key), value));
        }
    }
    QString gateway = p.value(QStringLiteral("gateway"));
    if (gateway.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0)
        gateway.clear();
    if (!gateway.isEmpty() && !isDottedQuad(gateway)) {
        return failLine(
            QStringLiteral("Invalid gateway parameter (%1). It should be a valid IPv4 address.")
                .arg(gateway));
    }
    iface.insert(QStringLiteral("dhcp"), false);
    iface.insert(QStringLiteral("address"), p.value(QStringLiteral("address")));
    iface.insert(QStringLiteral("mask"), p.value(QStringLiteral("mask")));
    iface.insert(QStringLiteral("gateway"), gateway);
    setInterfaceAt(at, iface);
    return succeed(QString());
}

Reply SimulatedLaptop::setDns(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!positionalParams(params,
                          {{QStringLiteral("name")},
                           {QStringLiteral("source")},
                           {QStringLiteral("address")},
                           {QStringLiteral("register")},
                           {QStringLiteral("validate")}},
                          p))
        return failLine(s(parameterIncorrect));
    if (!p.contains(QStringLiteral("name")) || !p.contains(QStringLiteral("source")))
        return failLine(s(essentialMissing));
    const int at = interfaceIndex(p.value(QStringLiteral("name")));
    if (at < 0)
        return failLine(s(badIpInterface));
    QJsonObject iface = interfaceAt(at);
    const QString source = p.value(QStringLiteral("source")).toLower();

    if (source == QStringLiteral("dhcp")) {
        iface.insert(QStringLiteral("dnsDhcp"), true);
        applyDhcpLease(iface);
        setInterfaceAt(at, iface);
        return succeed(QString());
    }
    if (source != QStringLiteral("static") || !p.contains(QStringLiteral("address")))
        return failLine(s(essentialMissing));
    const QString server = p.value(QStringLiteral("address"));
    const bool none = server.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0;
    if (!none && !isDottedQuad(server)) {
        return failLine(
            QStringLiteral("Invalid address parameter (%1). It should be a valid IPv4 address.")
                .arg(server));
    }
    iface.insert(QStringLiteral("dnsDhcp"), false);
    iface.insert(QStringLiteral("dns"), none ? QJsonArray() : QJsonArray{server});
    setInterfaceAt(at, iface);
    // The server is probed after the setting is stored; a charger answers no DNS queries.
    const bool validate = p.value(QStringLiteral("validate"), QStringLiteral("yes")).toLower() !=
                          QStringLiteral("no");
    if (none || !validate)
        return succeed(QString());
    return succeed(lines(
        {QStringLiteral("The configured DNS server is incorrect or does not exist."), QString()}));
}

Reply SimulatedLaptop::showAddresses(const QStringList &params)
{
    QHash<QString, QString> p;
    if (!positionalParams(params, {{QStringLiteral("name")}}, p))
        return failLine(s(parameterIncorrect));
    const QJsonArray interfaces = root.value(QStringLiteral("interfaces")).toArray();
    QList<int> shown;
    if (p.contains(QStringLiteral("name"))) {
        const int at = interfaceIndex(p.value(QStringLiteral("name")));
        if (at < 0)
            return failLine(s(badIpInterface));
        shown << at;
    } else {
        for (int i = 0; i < interfaces.size(); ++i)
            shown << i;
    }

    QStringList out;
    // Here the colon belongs to the label and the value column starts after the padding.
    const auto field = [&out](const QString &label, const QString &value) {
        out << QString(4, QLatin1Char(' ')) + (label + QLatin1Char(':')).leftJustified(38) + value;
    };
    for (const int at : shown) {
        const QJsonObject iface = interfaces.at(at).toObject();
        const bool dhcp = iface.value(QStringLiteral("dhcp")).toBool(true);
        const QString address = str(iface, "address");
        const QString mask = str(iface, "mask", QStringLiteral("255.255.255.0"));
        const QString gateway = str(iface, "gateway");
        const QString metric = QString::number(iface.value(QStringLiteral("metric")).toInt(25));
        out << QString()
            << QStringLiteral("Configuration for interface \"%1\"").arg(str(iface, "name"));
        field(QStringLiteral("DHCP enabled"), dhcp ? QStringLiteral("Yes") : QStringLiteral("No"));
        if (!address.isEmpty()) {
            const quint32 maskValue = isDottedQuad(mask) ? ipv4Value(mask) : 0xffffff00u;
            field(QStringLiteral("IP Address"), address);
            field(QStringLiteral("Subnet Prefix"),
                  QStringLiteral("%1/%2 (mask %3)")
                      .arg(ipv4Text(ipv4Value(address) & maskValue))
                      .arg(prefixLength(maskValue))
                      .arg(ipv4Text(maskValue)));
            if (!gateway.isEmpty()) {
                field(QStringLiteral("Default Gateway"), gateway);
                field(QStringLiteral("Gateway Metric"),
                      dhcp ? QStringLiteral("0") : QStringLiteral("256"));
            }
        }
        field(QStringLiteral("InterfaceMetric"), metric);
        out << QString();
    }
    return succeed(lines(out));
}

} // namespace netsh_standin
