#pragma once

#include <QString>
#include <QStringList>

// How the charger's replies and netsh's messages are read for words. Every judgement of the
// system that looks for a positive word goes through here.
namespace common {

// A positive word counts only where no ASCII letter or digit stands right before it, where a word
// ending in "ok" has none right after it ("token", "broken" and "okay" are not "ok"), and where
// the word before it is not a negation ("not ok", "no success", "cannot reboot").
// `lowered` must already be lower-case.
bool containsPositiveWord(const QString &lowered, const QString &word);
bool containsAnyPositiveWord(const QString &lowered, const QStringList &words);

// Negative words are plain substrings of the lowered text.
bool containsAnyWord(const QString &lowered, const QStringList &words);

} // namespace common
