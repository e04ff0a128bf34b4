#include "netctl/netsh_parse.h"

#include "common/word_rules.h"

#include <QSet>
#include <QStringView>

namespace netctl {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipWhile(QStringView text, qsizetype at, bool (*accept)(QChar))
{
    while (at < text.size() && accept(text[at]))
        ++at;
    return at;
}

// The value of a "<label> : value" line ("<label> <number> : value" when numbered), trimmed and
// ending at a CR. Blanks and tabs only around the colon, so a label with nothing after its colon
// has an empty value rather than the next line.
bool readLabelValue(QStringView line, QLatin1String label, bool numbered, QString &value)
{
    qsizetype at = skipWhile(line, 0, isBlank);
    if (!line.mid(at).startsWith(label))
        return false;
    at += label.size();
    if (numbered) {
        const qsizetype digits = skipWhile(line, at, isBlank);
        const qsizetype digitsEnd = skipWhile(line, digits, isAsciiDigit);
        if (digits == at || digitsEnd == digits)
            return false;
        at = digitsEnd;
    }
    at = skipWhile(line, at, isBlank);
    if (at >= line.size() || line[at] != u':')
        return false;
    const QStringView rest = line.mid(at + 1);
    const qsizetype cr = rest.indexOf(u'\r');
    value = (cr < 0 ? rest : rest.left(cr)).trimmed().toString();
    return true;
}

// Calls visit(line) for every LF-separated line until visit returns true.
template <typename Visit> void forEachLine(QStringView text, Visit visit)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        if (visit(text.mid(start, end - start)))
            return;
        start = end + 1;
    }
}

// Length of one to three ASCII digits at `at` followed by `next` (any character when null).
qsizetype shortNumberAt(QStringView text, qsizetype at, QChar next)
{
    qsizetype end = at;
    while (end < text.size() && end - at < 3 && isAsciiDigit(text[end]))
        ++end;
    if (end == at)
        return 0;
    if (next.isNull())
        return end - at;
    return end < text.size() && text[end] == next ? end - at : 0;
}

} // namespace

QString parseInterfaceName(const QString &showInterfaces)
{
    QString name;
    forEachLine(showInterfaces, [&](QStringView line) {
        QString value;
        if (!readLabelValue(line, QLatin1String("Name"), false, value) || value.isEmpty())
            return false;
        name = value;
        return true;
    });
    return name;
}

QString parseInterfaceGuid(const QString &showInterfaces, const QString &interfaceName)
{
    QString nameLabel;
    QString guid;
    if (interfaceName.isEmpty())
        return guid;
    forEachLine(showInterfaces, [&](QStringView line) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            return false;
        const QStringView label = line.left(colon).trimmed();
        if (nameLabel.isEmpty()) {
            if (line.mid(colon + 1).trimmed() == interfaceName)
                nameLabel = label.toString();
            return false;
        }
        if (label == nameLabel)
            return true;
        return readLabelValue(line, QLatin1String("GUID"), false, guid);
    });
    return guid;
}

QString parseCurrentSsid(const QString &showInterfaces)
{
    QString ssid;
    forEachLine(showInterfaces, [&](QStringView line) {
        QString value;
        if (!readLabelValue(line, QLatin1String("SSID"), false, value) || value.isEmpty() ||
            value.startsWith(QLatin1String("BSSID"), Qt::CaseInsensitive))
            return false;
        ssid = value;
        return true;
    });
    return ssid;
}

void parseChargerSsids(const QString &showNetworks, QStringList &found)
{
    QSet<QString> seen;
    for (const QString &ssid : std::as_const(found))
        seen.insert(ssid.toCaseFolded());
    forEachLine(showNetworks, [&](QStringView line) {
        QString ssid;
        if (!readLabelValue(line, QLatin1String("SSID"), true, ssid) || !isChargerSsid(ssid))
            return false;
        const qsizetype seenBefore = seen.size();
        seen.insert(ssid.toCaseFolded());
        if (seen.size() > seenBefore)
            found.append(ssid);
        return false;
    });
}

QString parseFirstDottedQuad(const QString &text)
{
    // The leftmost start of four groups of one to three digits joined by dots; the last group
    // takes up to three digits.
    for (qsizetype start = 0; start < text.size(); ++start) {
        qsizetype at = start;
        bool dotted = true;
        for (int group = 0; group < 3 && dotted; ++group) {
            const qsizetype digits = shortNumberAt(text, at, u'.');
            dotted = digits > 0;
            at += digits + 1;
        }
        const qsizetype last = dotted ? shortNumberAt(text, at, QChar()) : 0;
        if (last > 0)
            return text.mid(start, at + last - start);
    }
    return QString();
}

bool connectSucceeded(const QString &connectOutput)
{
    return common::containsPositiveWord(connectOutput.toLower(), QStringLiteral("success"));
}

bool isChargerSsid(const QString &ssid)
{
    return ssid.toLower().startsWith(QStringLiteral("juicenet"));
}

} // namespace netctl
