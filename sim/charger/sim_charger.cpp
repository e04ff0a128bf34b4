#include "sim_charger.h"

#include <QMessageAuthenticationCode>
#include <QRegularExpression>

namespace chargersim {

QByteArray pbkdf2HmacSha1(const QByteArray &password, const QByteArray &salt, int iterations,
                          int keyLength)
{
    // RFC 8018, section 5.2: T_i = U_1 ^ U_2 ^ ... ^ U_c with U_1 = PRF(P, S || INT(i)).
    QMessageAuthenticationCode prf(QCryptographicHash::Sha1, password);
    QByteArray key;
    for (quint32 block = 1; key.size() < keyLength; ++block) {
        QByteArray blockIndex(4, '\0');
        blockIndex[0] = char((block >> 24) & 0xff);
        blockIndex[1] = char((block >> 16) & 0xff);
        blockIndex[2] = char((block >> 8) & 0xff);
        blockIndex[3] = char(block & 0xff);

        prf.reset();
        prf.addData(salt);
        prf.addData(blockIndex);
        QByteArray u = prf.result();
        QByteArray t = u;
        for (int round = 1; round < iterations; ++round) {
            prf.reset();
            prf.addData(u);
            u = prf.result();
            for (int i = 0; i < t.size(); ++i)
                t[i] = char(t.at(i) ^ u.at(i));
        }
        key += t;
    }
    return key.left(keyLength);
}

QString wpaPskHex(const QString &passphrase, const QString &ssid)
{
    return QString::fromLatin1(
        pbkdf2HmacSha1(passphrase.toUtf8(), ssid.toUtf8(), 4096, 32).toHex());
}

QString plainMac(const QString &mac)
{
    QString plain = mac.trimmed().toLower();
    plain.remove(QLatin1Char(':'));
    plain.remove(QLatin1Char('-'));
    return plain;
}

} // namespace chargersim

namespace {

const QString kUnknownCommand = QStringLiteral("Unknown command: ");
const QString kOk = QStringLiteral("ok");

// Splits "word rest of line" at the first blank; the rest loses its leading blanks only.
void splitFirstWord(const QString &text, QString &word, QString &rest)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank < 0) {
        word = text;
        rest.clear();
        return;
    }
    word = text.left(blank);
    qsizetype start = blank;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    rest = text.mid(start);
}

// Removes and returns the last blank-separated token; SSIDs before it keep their inner blanks.
QString takeLastToken(QString &text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
    const QString token = text.mid(blank + 1);
    text.truncate(blank < 0 ? 0 : blank);
    return token;
}

QString unquoted(const QString &text)
{
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        return text.mid(1, text.size() - 2);
    return text;
}

bool isReadOnlyKey(const QString &key)
{
    return key.startsWith(QLatin1String("system.")) || key == QLatin1String("wlan.mac");
}

QString cipherFor(const QString &security)
{
    const QString upper = security.toUpper();
    if (upper == QLatin1String("OPEN"))
        return QStringLiteral("NONE");
    if (upper.contains(QLatin1String("WEP")))
        return QStringLiteral("WEP");
    if (upper.contains(QLatin1String("MIXED")))
        return QStringLiteral("CCMP/TKIP");
    if (upper.contains(QLatin1String("TKIP")))
        return QStringLiteral("TKIP");
    return QStringLiteral("CCMP");
}

} // namespace

bool SimNetwork::isOpen() const
{
    return security.compare(QLatin1String("OPEN"), Qt::CaseInsensitive) == 0;
}

SimCharger SimCharger::create(const QString &setupSsid, const QString &serial, const QString &mac,
                              const QString &uuid)
{
    SimCharger charger;
    charger.setupSsid = setupSsid;
    charger.serial = serial;
    charger.mac = mac;
    charger.uuid = uuid;
    charger.factorySettings = {
        {QStringLiteral("wlan.ssid"), QString()},
        {QStringLiteral("wlan.passkey"), QString()},
        {QStringLiteral("wlan.mac"), mac},
        {QStringLiteral("wlan.auto_join.enabled"), QStringLiteral("0")},
        {QStringLiteral("softap.ssid"), setupSsid},
        {QStringLiteral("system.uuid"), uuid},
        {QStringLiteral("system.serial"), serial},
        {QStringLiteral("system.firmware"), QStringLiteral("3.1.7")},
    };
    charger.savedSettings = charger.factorySettings;
    charger.currentSettings = charger.factorySettings;
    return charger;
}

bool SimCharger::isUnknown(const QString &command, const QString &word) const
{
    return unknownCommands.contains(command) || unknownCommands.contains(word);
}

QString SimCharger::execute(const QString &command)
{
    QString line = command.trimmed();
    if (aliases.contains(line))
        line = aliases.value(line).trimmed();

    QString word;
    QString args;
    splitFirstWord(line, word, args);
    if (word.isEmpty() || isUnknown(line, word))
        return kUnknownCommand + command;

    if (word == QLatin1String("get"))
        return executeGet(args);
    if (word == QLatin1String("set"))
        return executeSet(args);
    if (word == QLatin1String("save")) {
        if (!args.isEmpty())
            return QStringLiteral("usage: save");
        savedSettings = currentSettings;
        ++saveCount;
        return kOk;
    }
    if (word == QLatin1String("ls")) {
        if (args == QLatin1String("-v"))
            return fileListing(true);
        if (args.isEmpty())
            return fileListing(false);
        return QStringLiteral("usage: ls [-v]");
    }
    if (word == QLatin1String("fde"))
        return executeFileDelete(args);
    if (word == QLatin1String("wlan_scan")) {
        if (args == QLatin1String("-v"))
            return scanTable();
        return QStringLiteral("usage: wlan_scan -v");
    }
    if (word == QLatin1String("network_verify"))
        return executeNetworkVerify(args);
    if (word == QLatin1String("reboot") || word == QLatin1String("reset") ||
        word == QLatin1String("restart") || word == QLatin1String("rb")) {
        if (!args.isEmpty())
            return QStringLiteral("usage: ") + word;
        // What was set but not saved does not survive the restart.
        currentSettings = savedSettings;
        ++rebootCount;
        return QStringLiteral("rebooting...");
    }
    if (word == QLatin1String("dfuu")) {
        if (args != QLatin1String("-i wlan --multi") && args != QLatin1String("-i wlan"))
            return QStringLiteral("usage: dfuu -i wlan [--multi]");
        ++firmwareUpdateCount;
        return QStringLiteral("firmware update started");
    }
    if (word == QLatin1String("factory_reset") || word == QLatin1String("fac"))
        return executeFactoryReset(word, args);
    return kUnknownCommand + command;
}

QString SimCharger::executeGet(const QString &args) const
{
    const QString key = args.trimmed();
    if (key.isEmpty() || key.contains(QLatin1Char(' ')))
        return QStringLiteral("usage: get <key>");
    if (!currentSettings.contains(key))
        return QStringLiteral("ERR: unknown key ") + key;
    const QString value = currentSettings.value(key);
    return quoteGetValues ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

QString SimCharger::executeSet(const QString &args)
{
    QString key;
    QString rest;
    splitFirstWord(args, key, rest);
    if (key.isEmpty() || rest.isEmpty())
        return QStringLiteral("usage: set <key> <value>");

    // A quoted value runs from the first to the last double quote; nothing inside is escaped.
    QString value;
    if (rest.startsWith(QLatin1Char('"'))) {
        if (rest.size() < 2 || !rest.endsWith(QLatin1Char('"')))
            return QStringLiteral("ERR: missing closing quote");
        value = rest.mid(1, rest.size() - 2);
    } else {
        value = rest.trimmed();
    }

    if (!currentSettings.contains(key))
        return QStringLiteral("ERR: unknown key ") + key;
    if (isReadOnlyKey(key))
        return QStringLiteral("ERR: key %1 is read-only").arg(key);
    currentSettings.insert(key, value);
    return QStringLiteral("set ok");
}

QString SimCharger::executeFileDelete(const QString &args)
{
    const QString name = unquoted(args.trimmed());
    if (name.isEmpty())
        return QStringLiteral("usage: fde \"<file>\"");
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files.at(i).name == name) {
            files.removeAt(i);
            return kOk;
        }
    }
    return QStringLiteral("ERR: file not found: ") + name;
}

const SimNetwork *SimCharger::findNetwork(const QString &ssid, const QString &bssid) const
{
    const SimNetwork *first = nullptr;
    for (const SimNetwork &network : networks) {
        if (network.ssid.compare(ssid, Qt::CaseInsensitive) != 0)
            continue;
        if (network.bssid.compare(bssid, Qt::CaseInsensitive) == 0)
            return &network;
        if (!first)
            first = &network;
    }
    return first;
}

QString SimCharger::executeNetworkVerify(const QString &args) const
{
    static const QRegularExpression keyPattern(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    static const QRegularExpression integerPattern(QStringLiteral("^-?\\d+$"));
    static const QRegularExpression bssidPattern(
        QStringLiteral("^(?:[0-9A-Fa-f]{2}[:-]){5}[0-9A-Fa-f]{2}$"));
    const QString usage = QStringLiteral(
        "usage: network_verify wifi <ssid> <bssid> <channel> [<security code> <psk>]");

    QString word;
    QString rest;
    splitFirstWord(args, word, rest);
    if (word != QLatin1String("wifi"))
        return usage;

    // The SSID may hold blanks, so the fixed fields are taken from the right.
    QString key;
    QString last = takeLastToken(rest);
    if (keyPattern.match(last).hasMatch()) {
        key = last;
        if (!integerPattern.match(takeLastToken(rest)).hasMatch())
            return usage;
        last = takeLastToken(rest);
    }
    const QString channel = last;
    const QString bssid = takeLastToken(rest);
    const QString ssid = rest;
    if (ssid.isEmpty() || !integerPattern.match(channel).hasMatch() ||
        !bssidPattern.match(bssid).hasMatch())
        return usage;

    const SimNetwork *network = findNetwork(ssid, bssid);
    if (!network)
        return QStringLiteral("ERR: network not found");
    if (network->isOpen())
        return QStringLiteral("verified ok");

    bool authenticated = false;
    if (!key.isEmpty()) {
        // The station's key is salted with the SSID exactly as the laptop sent it.
        authenticated =
            chargersim::wpaPskHex(network->password, ssid).compare(key, Qt::CaseInsensitive) == 0;
    } else {
        // Without a key the charger tries the passphrase it has been given.
        authenticated = currentSettings.value(QStringLiteral("wlan.passkey")) == network->password;
    }
    return authenticated ? QStringLiteral("verified ok") : QStringLiteral("authentication failed");
}

QString SimCharger::executeFactoryReset(const QString &word, const QString &args)
{
    const QString argument = args.trimmed();
    QString form = word;
    QString macArgument;
    if (argument.startsWith(QLatin1Char('[')) && argument.endsWith(QLatin1Char(']'))) {
        form += QStringLiteral(" [<mac>]");
        macArgument = argument.mid(1, argument.size() - 2);
    } else if (!argument.isEmpty()) {
        form += QStringLiteral(" <mac>");
        macArgument = argument;
    }
    if (!factoryResetForms.contains(form))
        return QStringLiteral("usage: fac <mac>");
    if (form != word && chargersim::plainMac(macArgument) != chargersim::plainMac(mac))
        return QStringLiteral("ERR: mac address mismatch");

    ++factoryResetCount;
    savedSettings = factorySettings;
    currentSettings = factorySettings;
    return kOk;
}

QString SimCharger::fileListing(bool verbose) const
{
    QString text;
    if (!verbose) {
        for (const SimFile &file : files)
            text += file.name + QLatin1Char('\n');
        return text;
    }
    qint64 total = 0;
    text += QStringLiteral("Directory of /data\n");
    text += QStringLiteral("%1  %2\n").arg(QStringLiteral("size"), 10).arg(QStringLiteral("name"));
    for (const SimFile &file : files) {
        text += QStringLiteral("%1  %2\n").arg(file.size, 10).arg(file.name);
        total += file.size;
    }
    text += QStringLiteral("%1 file(s), %2 bytes\n").arg(files.size()).arg(total);
    return text;
}

QString SimCharger::scanTable() const
{
    QString text = QStringLiteral("wlan_scan: %1 networks found\n").arg(networks.size());
    text += QStringLiteral("  idx  ch  rssi  bssid              rate    security        cipher     "
                           "ghz  ssid\n");
    int index = 0;
    for (const SimNetwork &network : networks) {
        text += QStringLiteral("# %1  %2  %3  %4  %5  %6  %7  %8  %9\n")
                    .arg(index++, 2)
                    .arg(network.channel, 2)
                    .arg(network.rssi, 4)
                    .arg(network.bssid.toLower(), -17)
                    .arg(network.rate, -6)
                    .arg(network.security, -14)
                    .arg(cipherFor(network.security), -9)
                    .arg(network.channel > 14 ? 5 : 2, 3)
                    .arg(network.hidden ? QStringLiteral("<ssid hidden>") : network.ssid);
    }
    return text;
}
