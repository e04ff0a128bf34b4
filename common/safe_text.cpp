#include "common/safe_text.h"

namespace common {

QString withoutLoneSurrogates(const QString &text)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    qsizetype at = 0;
    while (at < size && !QChar::isSurrogate(units[at]))
        ++at;
    if (at == size)
        return text; // the common case: no copy
    QString result = text;
    for (; at < size; ++at) {
        if (QChar::isHighSurrogate(units[at]) && at + 1 < size &&
            QChar::isLowSurrogate(units[at + 1]))
            ++at;
        else if (QChar::isSurrogate(units[at]))
            result[at] = QChar(QChar::ReplacementCharacter);
    }
    return result;
}

} // namespace common
