#pragma once

#include <QString>
#include <QStringList>

// Masking of secrets in any text the program writes out: log lines and result record cells.
namespace common {

// What stands in the log in place of a secret.
QString redactedMark();

// Masks the secrets of a text. Every occurrence of a value in `secrets` becomes
// "[REDACTED]": its units as they stand (also where a lone surrogate at its edge pairs with a
// neighbour in the text), its text with lone surrogates cleaned, and either as JSON or a
// backslash escape writes it; then what follows "wlan.passkey" (any letter
// case) is masked: a quoted value up to its closing quote or the end of its line, an unquoted
// value up to the next blank or quote. Masking never runs past a line end, and masking twice
// gives the same text as masking once. Should a secret value still be there afterwards, the
// whole text is masked.
QString redactSecrets(const QString &text, const QStringList &secrets = {});

} // namespace common
