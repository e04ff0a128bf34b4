#pragma once

#include <QString>

namespace common {

// The text with every half of a UTF-16 surrogate pair that has lost its other half replaced by
// U+FFFD. Text from outside (a JSON "\ud800" escape) can hold such halves, and regular
// expressions refuse to look at text that does.
QString withoutLoneSurrogates(const QString &text);

} // namespace common
