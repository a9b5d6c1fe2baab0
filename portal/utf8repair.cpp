#include "portal/utf8repair.h"

#include "portal/cp1252.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace zv {

namespace {

// The UTF-8 form of each byte 0x80-0xFF read as Windows-1252.
const std::array<QByteArray, 128>& cp1252Utf8()
{
    static const std::array<QByteArray, 128> table = [] {
        std::array<QByteArray, 128> t;
        for (int b = 0x80; b <= 0xFF; ++b)
            t[std::size_t(b - 0x80)] = fromCp1252(QByteArray(1, char(b))).toUtf8();
        return t;
    }();
    return table;
}

// The length of the sequence a lead byte announces, 0 for no lead byte.
int sequenceLength(unsigned char b)
{
    return (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
}

// Length of the valid UTF-8 sequence at i, 0 when there is none.
int sequenceAt(const unsigned char* d, qsizetype i, qsizetype n)
{
    const int length = sequenceLength(d[i]);
    if (length == 0 || i + length > n)
        return 0;
    static constexpr char32_t masks[] = {0, 0, 0x1F, 0x0F, 0x07};
    static constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t cp = d[i] & masks[length];
    for (int k = 1; k < length; ++k) {
        if ((d[i + k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (d[i + k] & 0x3F);
    }
    if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// The first byte from `from` on that is not part of valid UTF-8; n when none.
qsizetype firstInvalid(const unsigned char* d, qsizetype from, qsizetype n)
{
    qsizetype i = from;
    while (i < n) {
        // Eight ASCII bytes at a time: markup and addresses are mostly ASCII.
        if (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, d + i, 8);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        if (d[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = sequenceAt(d, i, n);
        if (length == 0)
            return i;
        i += length;
    }
    return n;
}

QByteArray repaired(QByteArrayView text, qsizetype bad)
{
    const auto* d = reinterpret_cast<const unsigned char*>(text.data());
    const qsizetype n = text.size();
    const std::array<QByteArray, 128>& table = cp1252Utf8();
    QByteArray out;
    out.reserve(n + n / 8);
    qsizetype i = 0;
    for (;;) {
        out.append(reinterpret_cast<const char*>(d + i), bad - i);
        if (bad == n)
            return out;
        out += table[std::size_t(d[bad] - 0x80)];
        i = bad + 1;
        bad = firstInvalid(d, i, n);
    }
}

} // namespace

bool IsUtf8(QByteArrayView text)
{
    return firstInvalid(reinterpret_cast<const unsigned char*>(text.data()), 0, text.size()) == text.size();
}

QByteArray RepairUtf8(const QByteArray& text)
{
    const qsizetype bad
        = firstInvalid(reinterpret_cast<const unsigned char*>(text.constData()), 0, text.size());
    return bad == text.size() ? text : repaired(text, bad);
}

QByteArray Utf8Repairer::take(const QByteArray& piece)
{
    QByteArray text = carry_.isEmpty() ? piece : carry_ + piece;
    carry_.clear();
    // A sequence the piece cuts short waits for the next piece.
    const auto* d = reinterpret_cast<const unsigned char*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char b = d[n - back];
        if ((b & 0xC0) != 0x80) {
            if (sequenceLength(b) > back) {
                carry_ = text.sliced(n - back);
                text.truncate(n - back);
            }
            break;
        }
    }
    return RepairUtf8(text);
}

QByteArray Utf8Repairer::end()
{
    const QByteArray rest = RepairUtf8(carry_);
    carry_.clear();
    return rest;
}

} // namespace zv
