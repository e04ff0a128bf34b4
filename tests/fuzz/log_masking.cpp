#include "common/redaction.h"
#include "fuzz_input.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

// The masked text, which holds no more line ends than the text and which masking leaves alone.
static QString masked(const QString &text, const QStringList &secrets)
{
    const QString result = common::redactSecrets(text, secrets);
    require(result.count(u'\n') <= text.count(u'\n') && result.count(u'\r') <= text.count(u'\r'),
            "masking adds no line end");
    require(common::redactSecrets(result, secrets) == result, "masking twice equals masking once");
    return result;
}

// How a secret reaches the log: as typed, JSON-escaped, with backslash escapes, after the
// passkey key and inside quotes.
static QStringList writtenForms(const QString &secret)
{
    const QString json =
        QString::fromUtf8(QJsonDocument(QJsonArray{secret}).toJson(QJsonDocument::Compact));
    QString escaped = secret;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return {secret, json.mid(2, json.size() - 4), escaped, QStringLiteral("wlan.passkey ") + secret,
            u'"' + secret + u'"'};
}

// A secret, U+0000, the text before it, U+0000, the text after it.
static void checkMasking(const QString &input)
{
    const QString secret = input.section(QChar(0), 0, 0);
    const QString before = input.section(QChar(0), 1, 1);
    const QString after = input.section(QChar(0), 2);
    // The mark that stands for a secret is the one text masking cannot take out.
    if (!secret.isEmpty() && !common::redactedMark().contains(secret)) {
        for (const QString &form : writtenForms(secret)) {
            const QString result = masked(before + form + after, {secret});
            // No one types half a surrogate pair, so only its plain form must go.
            require(!result.contains(secret) && (!secret.isValidUtf16() || !result.contains(form)),
                    "a secret survives masking");
        }
    }
    const QString passkey = QStringLiteral("wlan.passkey ") + secret;
    if (!secret.isEmpty() && !secret.contains(u'"') && !common::redactedMark().startsWith(secret) &&
        std::none_of(secret.begin(), secret.end(), [](QChar c) { return c.isSpace(); }))
        require(!masked(before + passkey + after, {}).contains(passkey),
                "a passkey value survives masking");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return checkTexts(data, size, checkMasking);
}
