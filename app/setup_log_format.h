#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Text rules of the setup log: file names, header, entry lines and password masking.
namespace app {

// "Zephyl_WiFi_Setup_yyyyMMdd_HHmmss.log" for sequence 1, "..._<n>.log" for later ones, so that a
// second run started in the same second never overwrites the first run's log.
QString logFileName(const QDateTime &startedAt, int sequence);

// The header lines written once after the log is opened (the last one is empty).
QStringList logHeaderLines(const QDateTime &startedAt);

// "[yyyy-MM-dd HH:mm:ss] text"; the text is taken as it is (mask it first).
QString formatLogLine(const QDateTime &at, const QString &text);

// What stands in the log in place of a secret.
QString redactedMark();

// Masks the secrets of a log text. Every occurrence of a value in `secrets` becomes
// "[REDACTED]": its units as they stand (also where a lone surrogate at its edge pairs with a
// neighbour in the text), its text with lone surrogates cleaned, and either as JSON or a
// backslash escape writes it; then what follows "wlan.passkey" (any letter
// case) is masked: a quoted value up to its closing quote or the end of its line, an unquoted
// value up to the next blank or quote. Masking never runs past a line end, and masking twice
// gives the same text as masking once. Should a secret value still be there afterwards, the
// whole text is masked.
QString redactSecrets(const QString &text, const QStringList &secrets = {});

} // namespace app
