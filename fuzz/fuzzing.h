#pragma once
// What the fuzz targets share: a failed check stops the run with a trap, and a
// plain reading of a decimal integer to hold the fast readers against.
#include <QByteArray>
#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace fuzz {

inline void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Leading bytes among `blanks`, an optional sign, then digits to the end: the
// value, when it fits between lo and hi; nothing otherwise.
inline std::optional<qint64> plainInteger(QByteArrayView text, QByteArrayView blanks, qint64 lo, qint64 hi)
{
    qsizetype i = 0;
    while (i < text.size() && blanks.contains(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    while (i + 1 < text.size() && text[i] == '0')
        ++i; // leading zeros do not count towards the length
    if (i == text.size() || text.size() - i > 18)
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value < lo || value > hi)
        return std::nullopt;
    return value;
}

} // namespace fuzz
