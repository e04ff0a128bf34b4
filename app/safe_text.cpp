#include "app/safe_text.h"

namespace app {

QString withoutLoneSurrogates(const QString &text)
{
    QString result = text;
    const qsizetype size = result.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = result.at(i);
        if (c.isHighSurrogate() && i + 1 < size && result.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            result[i] = QChar::ReplacementCharacter;
    }
    return result;
}

} // namespace app
