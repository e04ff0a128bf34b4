#include "netctl/netsh_parse.h"

#include <QSet>
#include <QStringView>

#include <algorithm>
#include <utility>

namespace netctl {

namespace {

// A blank is any Unicode space separator (U+0020, U+00A0 before French and Spanish colons,
// U+202F, ...) or a tab.
bool isBlank(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
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

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// The line up to its first CR: netsh ends lines with CR LF, and a lone CR ends a value too.
QStringView beforeCr(QStringView line)
{
    const qsizetype cr = line.indexOf(u'\r');
    return cr < 0 ? line : line.left(cr);
}

// A "label : value" line: the label is the text before the first colon, without blanks around
// it. A colon that ends the line with no blank before it ends a heading ("There is 1 interface
// on the system:"), not a label.
bool readLabelLine(QStringView line, QStringView &label, QString &value)
{
    line = beforeCr(line);
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return false;
    label = trimBlanks(line.left(colon));
    const QStringView rest = line.mid(colon + 1).trimmed();
    if (label.isEmpty() || (rest.isEmpty() && !isBlank(line[colon - 1])))
        return false;
    value = rest.toString();
    return true;
}

// "SSID", blanks and a number: the same in every display language.
bool isNumberedSsidLabel(QStringView label)
{
    if (!label.startsWith(u"SSID"))
        return false;
    qsizetype at = 4;
    const qsizetype digits = skipWhile(label, at, isBlank);
    at = skipWhile(label, digits, isAsciiDigit);
    return digits > 4 && at > digits && at == label.size();
}

bool isOneOf(QStringView label, std::initializer_list<const char16_t *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [label](const char16_t *word) { return label == QStringView(word); });
}

// The labels of the languages read so far; a language not listed still gives its adapter's name
// through the first label line of the block.
bool isNameLabel(QStringView label)
{
    return isOneOf(label, {u"Name", u"Nom", u"Nombre", u"Nome", u"\u540d\u79f0"});
}

bool isStateLabel(QStringView label)
{
    return isOneOf(label,
                   {u"State", u"Status", u"\u00c9tat", u"Estado", u"Stato", u"\u72b6\u6001"});
}

bool isCurrentSsid(QStringView label, const QString &value)
{
    return label == u"SSID" && !value.isEmpty() &&
           !value.startsWith(QLatin1String("BSSID"), Qt::CaseInsensitive);
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

QList<InterfaceReport> parseInterfaces(const QString &showInterfaces)
{
    QList<InterfaceReport> reports;
    InterfaceReport block;
    QString firstValue;
    bool labelled = false;
    bool named = false;
    bool hasGuid = false;
    const auto endBlock = [&]() {
        if (named || hasGuid) {
            if (!named)
                block.name = firstValue;
            reports.append(block);
        }
        block = InterfaceReport();
        labelled = named = hasGuid = false;
    };
    forEachLine(showInterfaces, [&](QStringView line) {
        if (trimBlanks(beforeCr(line)).isEmpty()) {
            endBlock();
            return false;
        }
        QStringView label;
        QString value;
        if (!readLabelLine(line, label, value))
            return false;
        // A second name line begins the next adapter even where no empty line stands between.
        if (named && isNameLabel(label))
            endBlock();
        if (!std::exchange(labelled, true))
            firstValue = value;
        if (!named && isNameLabel(label)) {
            block.name = value;
            named = true;
        }
        if (!hasGuid && label == u"GUID") {
            block.guid = value;
            hasGuid = true;
        }
        if (block.state.isEmpty() && isStateLabel(label))
            block.state = value;
        if (block.ssid.isEmpty() && isCurrentSsid(label, value))
            block.ssid = value;
        return false;
    });
    endBlock();
    return reports;
}

QString parseInterfaceName(const QString &showInterfaces)
{
    for (const InterfaceReport &report : parseInterfaces(showInterfaces)) {
        if (!report.name.isEmpty())
            return report.name;
    }
    return QString();
}

QString parseInterfaceGuid(const QString &showInterfaces, const QString &interfaceName)
{
    if (interfaceName.isEmpty())
        return QString();
    for (const InterfaceReport &report : parseInterfaces(showInterfaces)) {
        if (report.name == interfaceName)
            return report.guid;
    }
    return QString();
}

QString parseCurrentSsid(const QString &showInterfaces)
{
    QString ssid;
    forEachLine(showInterfaces, [&](QStringView line) {
        QStringView label;
        QString value;
        if (!readLabelLine(line, label, value) || !isCurrentSsid(label, value))
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
        QStringView label;
        QString ssid;
        if (!readLabelLine(line, label, ssid) || !isNumberedSsidLabel(label) ||
            !isChargerSsid(ssid))
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

QString netshTextForLog(const QString &output)
{
    constexpr qsizetype maxLogged = 4000;
    QStringList lines;
    forEachLine(QStringView(output).left(maxLogged), [&lines](QStringView line) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed().toString();
        return false;
    });
    QString text = lines.join(QLatin1Char(' '));
    if (output.size() > maxLogged)
        text += QStringLiteral(" [cut off]");
    return text;
}

bool isChargerSsid(const QString &ssid)
{
    return ssid.toLower().startsWith(QStringLiteral("juicenet"));
}

} // namespace netctl
