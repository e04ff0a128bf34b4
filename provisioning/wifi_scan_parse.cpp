#include "provisioning/wifi_scan_parse.h"

#include "common/safe_text.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringView>

#include <algorithm>
#include <array>
#include <vector>

// The stages are written out by hand rather than as regular expressions: QRegularExpression
// refuses text that holds half of a surrogate pair, and lazy patterns followed by white space
// take quadratic time on long lines. White space below means ASCII white space (blank, tab, LF,
// VT, FF, CR); letters compared without regard to case are ASCII letters.
namespace provisioning {

namespace {

bool isAsciiSpace(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// White space that does not end a line (a CR before the LF counts as trailing space).
bool isLineSpace(QChar c)
{
    return c != u'\n' && isAsciiSpace(c);
}

bool isNotLineSpace(QChar c)
{
    return !isLineSpace(c);
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isAsciiLetterOrDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isWordChar(QChar c)
{
    return isAsciiLetterOrDigit(c) || c == u'_';
}

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isAsciiDigit);
}

bool isSignedDigits(QStringView text)
{
    return isDigits(text.startsWith(u'-') ? text.mid(1) : text);
}

enum class MacSeparators { Colon, ColonOrDash };

// Six two-digit hexadecimal groups joined by separators, starting at `at`.
bool isMacAt(QStringView text, qsizetype at, MacSeparators separators)
{
    if (at < 0 || at + 17 > text.size())
        return false;
    for (qsizetype i = 0; i < 17; ++i) {
        const QChar c = text[at + i];
        const bool separatorFits =
            c == u':' || (c == u'-' && separators == MacSeparators::ColonOrDash);
        if (i % 3 == 2 ? !separatorFits : !isHexDigit(c))
            return false;
    }
    return true;
}

bool isMac(QStringView text, MacSeparators separators)
{
    return text.size() == 17 && isMacAt(text, 0, separators);
}

// Where the line that starts at `start` ends: at its LF, or at a CR that no LF follows (a name
// must never hold a line end). A CR right before the LF stays in the line as trailing space.
qsizetype lineEnd(QStringView text, qsizetype start)
{
    for (qsizetype at = start; at < text.size(); ++at) {
        if (text[at] == u'\n' ||
            (text[at] == u'\r' && (at + 1 == text.size() || text[at + 1] != u'\n')))
            return at;
    }
    return text.size();
}

// Calls visit(line) for every line.
template <typename Visit> void forEachLine(QStringView text, Visit visit)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        const qsizetype end = lineEnd(text, start);
        visit(text.mid(start, end - start));
        start = end + 1;
    }
}

struct Token
{
    qsizetype start = 0;
    qsizetype end = 0;
};

// The last N runs of characters that are not white space in a line, read from left to right.
template <size_t N, bool (*isSpace)(QChar)> class TokenWindow
{
public:
    explicit TokenWindow(QStringView line) : line(line) {}

    // Reads the next run, dropping the oldest when N are kept; false at the line end.
    bool advance()
    {
        while (at < line.size() && isSpace(line[at]))
            ++at;
        const qsizetype start = at;
        while (at < line.size() && !isSpace(line[at]))
            ++at;
        if (at == start)
            return false;
        if (count == N)
            dropOldest();
        kept[count++] = {start, at};
        return true;
    }

    void fill()
    {
        while (count < N && advance()) {
        }
    }

    void dropOldest()
    {
        std::move(kept.begin() + 1, kept.begin() + count, kept.begin());
        --count;
    }

    size_t size() const { return count; }
    qsizetype start(size_t i) const { return kept[i].start; }
    qsizetype end(size_t i) const { return kept[i].end; }
    QStringView text(size_t i) const { return line.mid(start(i), end(i) - start(i)); }

private:
    QStringView line;
    qsizetype at = 0;
    std::array<Token, N> kept;
    size_t count = 0;
};

// Reads non-blank tokens of one line from left to right.
class LineReader
{
public:
    explicit LineReader(QStringView line) : line(line) {}

    QStringView token()
    {
        while (at < line.size() && isLineSpace(line[at]))
            ++at;
        const qsizetype start = at;
        while (at < line.size() && isNotLineSpace(line[at]))
            ++at;
        return line.mid(start, at - start);
    }

    QStringView rest() const { return line.mid(at); }

private:
    QStringView line;
    qsizetype at = 0;
};

struct TableRow
{
    QStringView channel;
    QStringView rssi;
    QStringView bssid;
    QStringView security;
    QStringView ssid;
};

// One "wlan_scan -v" row: "#", index, channel, RSSI, BSSID, rate, security, mode, age, then the
// SSID up to the end of the same line. A row without an SSID is no row, so it cannot take the
// next line as its name.
bool readTableRow(QStringView line, TableRow &row)
{
    LineReader reader(line);
    QStringView index = reader.token();
    if (!index.startsWith(u'#'))
        return false;
    index = index.size() > 1 ? index.mid(1) : reader.token();
    row.channel = reader.token();
    row.rssi = reader.token();
    row.bssid = reader.token();
    const QStringView rate = reader.token();
    row.security = reader.token();
    const QStringView mode = reader.token();
    const QStringView age = reader.token();
    row.ssid = reader.rest().trimmed();
    const bool rateIsNumber = !rate.isEmpty() && std::all_of(rate.begin(), rate.end(), [](QChar c) {
        return isAsciiDigit(c) || c == u'.';
    });
    return isDigits(index) && isDigits(row.channel) && isSignedDigits(row.rssi) &&
           isMac(row.bssid, MacSeparators::Colon) && rateIsNumber && !row.security.isEmpty() &&
           !mode.isEmpty() && isDigits(age) && !row.ssid.isEmpty();
}

// Words that chargers print around their scan results and that are never network names.
const QSet<QString> &nonSsidWords()
{
    static const QSet<QString> words = {
        QStringLiteral("response"),  QStringLiteral("command"),  QStringLiteral("code"),
        QStringLiteral("ok"),        QStringLiteral("true"),     QStringLiteral("false"),
        QStringLiteral("ssid"),      QStringLiteral("bssid"),    QStringLiteral("channel"),
        QStringLiteral("ch"),        QStringLiteral("security"), QStringLiteral("rssi"),
        QStringLiteral("rate"),      QStringLiteral("networks"), QStringLiteral("found"),
        QStringLiteral("open"),      QStringLiteral("guest"),    QStringLiteral("wpa"),
        QStringLiteral("wpa2"),      QStringLiteral("wpa3"),     QStringLiteral("wifiscan"),
        QStringLiteral("wlan.scan"), QStringLiteral("scan"),     QStringLiteral("wifi"),
        QStringLiteral("wlan"),      QStringLiteral("unknown"),  QStringLiteral("null"),
        QStringLiteral("mac"),       QStringLiteral("snr"),      QStringLiteral("dbm"),
        QStringLiteral("mhz"),
    };
    return words;
}

// Every test of isPlausibleSsid but the word list, on trimmed text.
bool hasPlausibleShape(QStringView name)
{
    return !name.isEmpty() && name.size() <= 32 && !isSignedDigits(name) &&
           std::any_of(name.begin(), name.end(), isAsciiLetterOrDigit);
}

bool isListNumberEnd(QChar c)
{
    return c == u']' || c == u')' || c == u'.' || c == u':' || c == u'-';
}

// Anchored, so at most one list number such as "1.", "(2)", "[3]", "12:" or "4-" goes.
QStringView withoutListNumber(QStringView name)
{
    qsizetype at = name.startsWith(u'[') || name.startsWith(u'(') ? 1 : 0;
    const qsizetype digitsStart = at;
    while (at < name.size() && isAsciiDigit(name[at]) && at - digitsStart <= 3)
        ++at;
    const qsizetype digits = at - digitsStart;
    if (digits < 1 || digits > 3 || at >= name.size() || !isListNumberEnd(name[at]))
        return name;
    ++at;
    while (at < name.size() && isAsciiSpace(name[at]))
        ++at;
    return name.mid(at);
}

QString caseFolded(QStringView name)
{
    // Most names are ASCII, which folds without the Unicode tables.
    QString folded(name.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (const QChar c : name) {
        if (c.unicode() >= 0x80)
            return name.toString().toCaseFolded();
        *out++ = c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c;
    }
    return folded;
}

// The names found so far, in order, each once without regard to letter case.
class Candidates
{
public:
    // A name the reply gave exactly: a table row's SSID, a JSON value.
    void addExact(QStringView rawName) { add(rawName.trimmed()); }

    // A name cut out of free text: a leading list number and trailing commas or semicolons go.
    void addFromFreeText(QStringView rawName)
    {
        QStringView name = withoutListNumber(rawName.trimmed());
        while (name.endsWith(u',') || name.endsWith(u';'))
            name.chop(1);
        add(name.trimmed());
    }

    bool isEmpty() const { return names.isEmpty(); }
    QStringList names;

private:
    void add(QStringView name)
    {
        if (!hasPlausibleShape(name))
            return;
        const QString folded = caseFolded(name);
        if (nonSsidWords().contains(folded))
            return;
        const qsizetype seenBefore = seen.size();
        seen.insert(folded);
        if (seen.size() > seenBefore)
            names.append(name.toString());
    }

    QSet<QString> seen;
};

void addScanTableCandidates(QStringView rawScan, Candidates &candidates)
{
    forEachLine(rawScan, [&](QStringView line) {
        TableRow row;
        if (readTableRow(line, row) &&
            row.ssid.compare(QLatin1String("<ssid hidden>"), Qt::CaseInsensitive) != 0)
            candidates.addExact(row.ssid);
    });
}

// Column layouts may quote names that hold blanks.
QStringView withoutEnclosingQuotes(QStringView text)
{
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        return text.mid(1, text.size() - 2).trimmed();
    return text;
}

bool isTwelveHexDigits(QStringView text)
{
    return text.size() == 12 && std::all_of(text.begin(), text.end(), isHexDigit);
}

// Column rows: name, channel (1-2 digits), BSSID (with ':' or '-', or 12 hex digits), two signed
// numbers and at least one more column; the name is the shortest start that fits.
void addColumnRowCandidates(QStringView rawScan, Candidates &candidates)
{
    forEachLine(rawScan, [&](QStringView line) {
        TokenWindow<6, isLineSpace> row(line); // the name's last word, then five columns
        row.fill();
        while (row.size() >= 5) {
            const QStringView channel = row.text(1);
            const QStringView bssid = row.text(2);
            const bool lastColumnFollows = row.size() == 6 || line.size() - row.end(4) >= 2;
            if (channel.size() <= 2 && isDigits(channel) &&
                (isMac(bssid, MacSeparators::ColonOrDash) || isTwelveHexDigits(bssid)) &&
                isSignedDigits(row.text(3)) && isSignedDigits(row.text(4)) && lastColumnFollows) {
                candidates.addFromFreeText(
                    withoutEnclosingQuotes(line.left(row.start(1)).trimmed()));
                return;
            }
            if (!row.advance())
                row.dropOldest();
        }
    });
}

// ASCII letters compared without regard to case; `word` is in lower case.
bool matchesAt(QStringView text, qsizetype at, QLatin1String word)
{
    if (at + word.size() > text.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char16_t c = text[at + i].unicode();
        if ((c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c) != char16_t(word[i].unicode()))
            return false;
    }
    return true;
}

// Finds `word` (any letter case) at a word start, from `from` on; -1 when there is none.
qsizetype findWord(QStringView text, QLatin1String word, qsizetype from)
{
    for (qsizetype at = from; at + word.size() <= text.size(); ++at) {
        if (matchesAt(text, at, word) && (at == 0 || !isWordChar(text[at - 1])))
            return at;
    }
    return -1;
}

qsizetype skipSpace(QStringView text, qsizetype at)
{
    while (at < text.size() && isAsciiSpace(text[at]))
        ++at;
    return at;
}

// Where the value of a `key` label starting at `at` begins: after optional white space, ':' or
// '=' and optional white space; -1 without a ':' or '='.
qsizetype afterLabel(QStringView text, qsizetype at, qsizetype keyLength)
{
    at = skipSpace(text, at + keyLength);
    if (at >= text.size() || (text[at] != u':' && text[at] != u'='))
        return -1;
    return skipSpace(text, at + 1);
}

// "ssid" as a word start, white space, ':' or '=', white space, an optional quote, then the
// value: 1 to 64 characters up to a quote, comma or line end.
struct SsidField
{
    qsizetype separator = -1; // the ':' or '='
    qsizetype spaceEnd = -1;  // end of the white space after the separator
    bool quoted = false;
    qsizetype valueStart = -1;
    qsizetype valueLength = 0; // the longest value
};

bool isValueEnd(QChar c)
{
    return c == u'"' || c == u'\r' || c == u'\n' || c == u',';
}

bool readSsidField(QStringView text, qsizetype key, SsidField &field)
{
    field.spaceEnd = afterLabel(text, key, 4);
    if (field.spaceEnd < 0)
        return false;
    field.separator = skipSpace(text, key + 4);
    field.quoted = field.spaceEnd < text.size() && text[field.spaceEnd] == u'"';
    field.valueStart = field.spaceEnd + (field.quoted ? 1 : 0);
    qsizetype end = field.valueStart;
    while (end < text.size() && end - field.valueStart < 64 && !isValueEnd(text[end]))
        ++end;
    field.valueLength = end - field.valueStart;
    return true;
}

// "ssid: value" pairs; the search goes on after each value.
void addKeyValueCandidates(QStringView text, Candidates &candidates)
{
    qsizetype from = 0;
    for (qsizetype key = findWord(text, QLatin1String("ssid"), from); key >= 0;
         key = findWord(text, QLatin1String("ssid"), from)) {
        SsidField field;
        if (!readSsidField(text, key, field) || field.valueLength == 0) {
            from = key + 1;
            continue;
        }
        candidates.addFromFreeText(text.mid(field.valueStart, field.valueLength));
        from = field.valueStart + field.valueLength;
    }
}

// The "bssid: <MAC>" fields that have a "channel: <digits>" field starting at most 240
// characters after the MAC, in order, each with the end of that channel number.
class RecordTails
{
public:
    explicit RecordTails(QStringView text)
    {
        std::vector<qsizetype> channelStarts;
        std::vector<qsizetype> channelEnds;
        for (qsizetype at = findWord(text, QLatin1String("channel"), 0); at >= 0;
             at = findWord(text, QLatin1String("channel"), at + 1)) {
            const qsizetype digits = afterLabel(text, at, 7);
            if (digits < 0 || digits >= text.size() || !isAsciiDigit(text[digits]))
                continue;
            const bool second = digits + 1 < text.size() && isAsciiDigit(text[digits + 1]);
            channelStarts.push_back(at);
            channelEnds.push_back(digits + (second ? 2 : 1));
        }
        for (qsizetype at = findWord(text, QLatin1String("bssid"), 0); at >= 0;
             at = findWord(text, QLatin1String("bssid"), at + 1)) {
            const qsizetype mac = afterLabel(text, at, 5);
            if (!isMacAt(text, mac, MacSeparators::ColonOrDash))
                continue;
            const auto channel =
                std::lower_bound(channelStarts.begin(), channelStarts.end(), mac + 17);
            if (channel == channelStarts.end() || *channel > mac + 17 + 240)
                continue;
            starts.push_back(at);
            ends.push_back(channelEnds[size_t(channel - channelStarts.begin())]);
        }
    }

    bool isEmpty() const { return starts.empty(); }

    // The end of the record whose BSSID field starts 0 to 240 characters after `at`, or -1.
    qsizetype endFrom(qsizetype at) const
    {
        const auto tail = std::lower_bound(starts.begin(), starts.end(), at);
        if (tail == starts.end() || *tail > at + 240)
            return -1;
        return ends[size_t(tail - starts.begin())];
    }

    // The start of the last BSSID field that starts at or before `at`, or -1.
    qsizetype lastStartUpTo(qsizetype at) const
    {
        const auto after = std::upper_bound(starts.begin(), starts.end(), at);
        return after == starts.begin() ? -1 : *(after - 1);
    }

private:
    std::vector<qsizetype> starts;
    std::vector<qsizetype> ends;
};

// Records "ssid: <name> ... bssid: <MAC> ... channel: <n>", possibly over several lines. The name
// is the longest value after which such a tail follows, so on a one-line record it ends before
// the BSSID field. When no value fits, white space alone may stand for the name (no candidate),
// and the record still ends where its tail does.
void addRecordCandidates(QStringView text, Candidates &candidates)
{
    const RecordTails tails(text);
    if (tails.isEmpty())
        return;
    qsizetype from = 0;
    for (qsizetype key = findWord(text, QLatin1String("ssid"), from); key >= 0;
         key = findWord(text, QLatin1String("ssid"), from)) {
        from = key + 1;
        SsidField field;
        if (!readSsidField(text, key, field))
            continue;
        const qsizetype value = field.valueStart;
        qsizetype length = field.valueLength;
        qsizetype end = -1;
        if (length > 0) {
            qsizetype afterValue = value + length;
            if (afterValue < text.size() && text[afterValue] == u'"')
                ++afterValue;
            end = tails.endFrom(afterValue);
        }
        if (end < 0 && length > 1) {
            // A shorter name: the longest that leaves a BSSID field within reach.
            const qsizetype last = tails.lastStartUpTo(value + length - 1 + 240);
            length = last > value ? std::min(length - 1, last - value) : 0;
            end = length > 0 ? tails.endFrom(value + length) : -1;
        }
        if (end >= 0) {
            candidates.addFromFreeText(text.mid(value, length));
            from = end;
            continue;
        }
        qsizetype blank = field.spaceEnd - 1;
        while (blank > field.separator && (text[blank] == u'\r' || text[blank] == u'\n'))
            --blank;
        if (blank <= field.separator)
            continue;
        qsizetype afterBlank = blank + 1;
        if (afterBlank == field.spaceEnd && field.quoted)
            ++afterBlank;
        end = tails.endFrom(afterBlank);
        if (end >= 0)
            from = end;
    }
}

// A MAC address with ':' or '-', or twelve hexadecimal digits standing as a word of their own.
bool containsMacAddress(QStringView text)
{
    for (qsizetype at = 0; at + 17 <= text.size(); ++at) {
        if (isMacAt(text, at, MacSeparators::ColonOrDash))
            return true;
    }
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && isWordChar(text[end]))
            ++end;
        if (isTwelveHexDigits(text.mid(at, end - at)))
            return true;
        at = end + 1;
    }
    return false;
}

bool containsIgnoringCase(QStringView text, QLatin1String words)
{
    for (qsizetype at = 0; at + words.size() <= text.size(); ++at) {
        if (matchesAt(text, at, words))
            return true;
    }
    return false;
}

bool isHeaderLine(QStringView line)
{
    static const QSet<QString> headers = {
        QStringLiteral("ssid"), QStringLiteral("ch"),       QStringLiteral("channel"),
        QStringLiteral("mac"),  QStringLiteral("bssid"),    QStringLiteral("rate"),
        QStringLiteral("rssi"), QStringLiteral("security"),
    };
    qsizetype end = 0;
    while (end < line.size() && end <= 8 && isWordChar(line[end]))
        ++end;
    return headers.contains(line.left(end).toString().toLower());
}

// Space-aligned columns: name, two or more blanks, a 1-2 digit channel, two or more blanks, and
// the rest of the line, which must hold a MAC address.
void addAlignedColumnCandidates(QStringView rawScan, Candidates &candidates)
{
    forEachLine(rawScan, [&](QStringView rawLine) {
        const QStringView line = rawLine.trimmed();
        if (line.isEmpty() || isHeaderLine(line) ||
            containsIgnoringCase(line, QLatin1String("networks found")))
            return;
        TokenWindow<3, isAsciiSpace> columns(line); // the name's last word, channel, rest
        columns.fill();
        while (columns.size() == 3) {
            const QStringView channel = columns.text(1);
            if (columns.start(1) - columns.end(0) >= 2 && channel.size() <= 2 &&
                isDigits(channel) && columns.start(2) - columns.end(1) >= 2) {
                if (containsMacAddress(line.mid(columns.start(2))))
                    candidates.addFromFreeText(
                        withoutEnclosingQuotes(line.left(columns.start(1)).trimmed()));
                return;
            }
            if (!columns.advance())
                return;
        }
    });
}

void walkJson(const QJsonValue &value, const QString &key, Candidates &candidates)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            walkJson(it.value(), it.key(), candidates);
        return;
    }
    if (value.isArray()) {
        // Elements of a "ssids": [...] array are names too, so they inherit the array's key.
        const QJsonArray array = value.toArray();
        for (const QJsonValue &element : array)
            walkJson(element, key, candidates);
        return;
    }
    if (!value.isString())
        return;
    // A BSSID is an access point's address, never a network name.
    if ((containsIgnoringCase(key, QLatin1String("ssid")) &&
         !containsIgnoringCase(key, QLatin1String("bssid"))) ||
        (key.size() == 4 && matchesAt(key, 0, QLatin1String("name"))))
        candidates.addExact(value.toString());
    else if (key.size() == 8 && matchesAt(key, 0, QLatin1String("response")))
        addKeyValueCandidates(value.toString(), candidates);
}

void addJsonCandidates(const QString &rawScan, Candidates &candidates)
{
    const QJsonDocument document = QJsonDocument::fromJson(rawScan.toUtf8());
    if (document.isObject())
        walkJson(QJsonValue(document.object()), QString(), candidates);
    else if (document.isArray())
        walkJson(QJsonValue(document.array()), QString(), candidates);
}

} // namespace

QStringList scanCommands()
{
    return {QStringLiteral("wlan_scan -v"), QStringLiteral("wifiscan"), QStringLiteral("wlan.scan"),
            QStringLiteral("scan wlan"), QStringLiteral("scan wifi")};
}

bool isPlausibleSsid(const QString &text)
{
    const QString name = text.trimmed();
    return hasPlausibleShape(name) && !nonSsidWords().contains(name.toCaseFolded());
}

QStringList parseScanReply(const QString &rawScan)
{
    const QString text = common::withoutLoneSurrogates(rawScan);
    Candidates candidates;

    addScanTableCandidates(text, candidates);
    if (!candidates.isEmpty())
        return candidates.names;

    // JSON results are judged together with the column rows that follow.
    addJsonCandidates(text, candidates);
    addColumnRowCandidates(text, candidates);
    if (!candidates.isEmpty())
        return candidates.names;

    addKeyValueCandidates(text, candidates);
    if (!candidates.isEmpty())
        return candidates.names;

    addRecordCandidates(text, candidates);
    if (!candidates.isEmpty())
        return candidates.names;

    addAlignedColumnCandidates(text, candidates);
    return candidates.names;
}

bool findTargetRow(const QString &scanText, const QString &ssid, WlanScanRow &row)
{
    const WlanScanRow best = strongestRows(scanText, {ssid}).constFirst();
    if (best.bssid.isEmpty())
        return false;
    row = best;
    return true;
}

QList<WlanScanRow> strongestRows(const QString &scanText, const QStringList &ssids)
{
    const QString text = common::withoutLoneSurrogates(scanText);
    // Each asked name starts at -999 dBm, so a row at -999 or below is never taken.
    QHash<QString, WlanScanRow> strongest;
    for (const QString &ssid : ssids)
        strongest.insert(caseFolded(ssid), WlanScanRow());
    forEachLine(text, [&](QStringView line) {
        TableRow candidate;
        if (!readTableRow(line, candidate))
            return;
        const auto kept = strongest.find(caseFolded(candidate.ssid));
        const int rssi = candidate.rssi.toInt(nullptr, 10);
        if (kept == strongest.end() || rssi <= kept->rssi)
            return;
        *kept = {candidate.channel.toString(), rssi, candidate.bssid.toString(),
                 candidate.security.toString(), candidate.ssid.toString()};
    });
    QList<WlanScanRow> rows;
    for (const QString &ssid : ssids)
        rows << strongest.value(caseFolded(ssid));
    return rows;
}

} // namespace provisioning
