#include "common/word_rules.h"

namespace common {

namespace {

bool isAsciiLetterOrDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9');
}

// Blanks, tabs, hyphens and underscores join a negation to the word after it ("not ok",
// "not-ok", "not_ok"); a line end or a sentence mark does not.
bool isJoiner(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('-') ||
           c == QLatin1Char('_');
}

bool followsNegation(const QString &text, qsizetype at)
{
    static const QStringList negations = {QStringLiteral("not"), QStringLiteral("no"),
                                          QStringLiteral("never"), QStringLiteral("cannot")};
    qsizetype end = at;
    while (end > 0 && isJoiner(text.at(end - 1)))
        --end;
    if (end == at)
        return false;
    qsizetype start = end;
    while (start > 0 && isAsciiLetterOrDigit(text.at(start - 1)))
        --start;
    return negations.contains(text.mid(start, end - start));
}

bool standsAlone(const QString &text, qsizetype at, const QString &word)
{
    if (at > 0 && isAsciiLetterOrDigit(text.at(at - 1)))
        return false;
    const qsizetype after = at + word.size();
    if (word.endsWith(QLatin1String("ok")) && after < text.size() &&
        isAsciiLetterOrDigit(text.at(after)))
        return false;
    return !followsNegation(text, at);
}

} // namespace

bool containsPositiveWord(const QString &lowered, const QString &word)
{
    for (qsizetype at = lowered.indexOf(word); at >= 0; at = lowered.indexOf(word, at + 1)) {
        if (standsAlone(lowered, at, word))
            return true;
    }
    return false;
}

bool containsAnyPositiveWord(const QString &lowered, const QStringList &words)
{
    for (const QString &word : words) {
        if (containsPositiveWord(lowered, word))
            return true;
    }
    return false;
}

bool containsAnyWord(const QString &lowered, const QStringList &words)
{
    for (const QString &word : words) {
        if (lowered.contains(word))
            return true;
    }
    return false;
}

} // namespace common
