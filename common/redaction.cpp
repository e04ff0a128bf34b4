#include "common/redaction.h"

#include "common/safe_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <algorithm>

namespace common {

QString redactedMark()
{
    return QStringLiteral("[REDACTED]");
}

namespace {

// The ways a secret can be written into a reply or a command: as typed, JSON-escaped, and with
// backslashes before quotes and backslashes.
QStringList writtenForms(const QString &secret)
{
    QString json =
        QString::fromUtf8(QJsonDocument(QJsonArray{secret}).toJson(QJsonDocument::Compact));
    json = json.mid(2, json.size() - 4);
    QString escaped = secret;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    QStringList forms = {secret, json, escaped};
    forms.removeDuplicates();
    return forms;
}

// Every form of every secret, written from its units as they are and from its cleaned text: a
// secret that ends in half a surrogate pair is found where the text completes that pair too.
QStringList allForms(const QStringList &secrets)
{
    QStringList forms;
    for (const QString &secret : secrets) {
        if (!secret.isEmpty())
            forms << writtenForms(secret) << writtenForms(withoutLoneSurrogates(secret));
    }
    forms.removeDuplicates();
    return forms;
}

// Marks every unit of `text` that belongs to an occurrence of a form.
void markForms(const QString &text, const QStringList &forms, QList<bool> &secret)
{
    for (const QString &form : forms) {
        for (qsizetype at = text.indexOf(form); at >= 0; at = text.indexOf(form, at + 1))
            std::fill(secret.begin() + at, secret.begin() + at + form.size(), true);
    }
}

// Looks for the forms both in the raw units and in the cleaned text (which has the same length),
// then writes the cleaned text with one mark for each run of marked units. A unit left behind
// by a pair that masking cut in two is cleaned again.
QString maskValues(const QString &text, const QStringList &forms)
{
    const QString cleaned = withoutLoneSurrogates(text);
    QList<bool> secret(text.size(), false);
    markForms(text, forms, secret);
    markForms(cleaned, forms, secret);
    if (!secret.contains(true))
        return cleaned;
    QString masked;
    for (qsizetype i = 0; i < cleaned.size(); ++i) {
        if (!secret.at(i))
            masked += cleaned.at(i);
        else if (i == 0 || !secret.at(i - 1))
            masked += redactedMark();
    }
    return withoutLoneSurrogates(masked);
}

} // namespace

QString redactSecrets(const QString &text, const QStringList &secrets)
{
    // "\s" would run across line ends; only blanks and tabs may stand between the key, a
    // separator and the value. A quoted value may hold blanks, so it runs to its closing quote
    // (which stays) or the end of the line.
    static const QRegularExpression passkey(QStringLiteral(
        R"((?i)wlan\.passkey(?:"?[^\S\r\n]*[:=])?[^\S\r\n]*(?:"[^\S\r\n]*[^"\s][^"\r\n]*|[^\s"]+))"));
    const QStringList forms = allForms(secrets);
    QString masked = maskValues(text, forms);
    masked.replace(passkey, QStringLiteral("wlan.passkey ") + redactedMark());
    for (const QString &form : forms) {
        if (masked.contains(form))
            return redactedMark();
    }
    return masked;
}

} // namespace common
