#pragma once

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A broken property aborts, so libFuzzer keeps the input and the replay test fails on it.
inline void require(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

// Parsed values are trimmed and end at the end of their line.
inline bool isTrimmedLine(const QString &value)
{
    return value == value.trimmed() && !value.contains(u'\r') && !value.contains(u'\n');
}

// Checks the bytes read as UTF-8 (how captures and replies arrive) and as raw UTF-16 units, so
// that lone surrogates and every control character are reachable too.
inline int checkTexts(const uint8_t *data, size_t size, void (*check)(const QString &))
{
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    if (size >= 2)
        std::memcpy(units.data(), data, size / 2 * 2);
    check(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
    check(units);
    return 0;
}
