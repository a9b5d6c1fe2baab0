#include "portal/cp1252.h"

#include <algorithm>
#include <array>

namespace zv {

namespace {

// 0x80..0x9F. The five bytes Windows leaves undefined (81 8D 8F 90 9D) map to the
// C1 control of the same value, so that every byte survives a round trip.
constexpr char16_t high[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

int toByte(char32_t code)
{
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return int(code);
    for (int i = 0; i < 32; ++i)
        if (high[i] == code)
            return 0x80 + i;
    return '?';
}

} // namespace

QString fromCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        *o++ = QChar(c >= 0x80 && c < 0xA0 ? high[c - 0x80] : char16_t(c));
    }
    return out;
}

QByteArray toCp1252(QStringView text)
{
    const qsizetype n = text.size();
    QByteArray out(n, Qt::Uninitialized);
    char* o = out.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            *o++ = char(u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i; // one character outside the set
            *o++ = '?';
        } else {
            *o++ = char(toByte(u));
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QByteArray utf8ToCp1252(QByteArrayView bytes)
{
    QByteArray out(bytes.size(), Qt::Uninitialized); // never longer than the input
    char* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    // A byte order mark that opens the text says it is UTF-8; it is no character.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        p += 3;
    while (p < end) {
        const unsigned char c = *p;
        int len = 0;
        char32_t code = 0;
        char32_t least = 0; // shorter forms of the same character are not UTF-8
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            code = c & 0x1F;
            least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            code = c & 0x0F;
            least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            code = c & 0x07;
            least = 0x10000;
        }
        int i = 1;
        if (len > 0 && end - p >= len) {
            for (; i < len && (p[i] & 0xC0) == 0x80; ++i)
                code = (code << 6) | (p[i] & 0x3F);
        }
        if (len == 0 || i < len || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            *o++ = char(c);
            ++p;
            continue;
        }
        // C1 controls come from Windows-1252 text encoded as if it were
        // Latin-1: their byte is the character meant.
        *o++ = char(code >= 0x80 && code < 0xA0 ? int(code) : toByte(code));
        p += len;
    }
    out.truncate(o - out.constData());
    return out;
}

namespace {

struct NamedReference {
    QByteArrayView name;
    char32_t code;
};

// Named references real feeds use beyond the HTML 4 Latin-1 set.
constexpr NamedReference kNamed[]
    = {{"apos", 0x27}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C},
        {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"hellip", 0x2026}, {"ndash", 0x2013}, {"mdash", 0x2014},
        {"euro", 0x20AC}, {"oelig", 0x0153}, {"OElig", 0x0152}, {"trade", 0x2122}, {"bull", 0x2022},
        {"dagger", 0x2020}, {"permil", 0x2030}, {"Scaron", 0x0160}, {"scaron", 0x0161}, {"Yuml", 0x0178}};

// The code of the reference between '&' and ';', or -1.
long long referenceCode(QByteArrayView ref)
{
    if (ref.size() >= 2 && ref[0] == '#') {
        const bool hex = ref[1] == 'x' || ref[1] == 'X';
        const QByteArrayView digits = ref.sliced(hex ? 2 : 1);
        if (digits.isEmpty())
            return -1;
        long long code = 0;
        for (const char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return -1;
            code = code * (hex ? 16 : 10) + d;
        }
        return code;
    }
    for (const NamedReference& n : kNamed)
        if (n.name == ref)
            return n.code;
    return -1;
}

} // namespace

QByteArray decodeWideReferences(QByteArrayView text)
{
    constexpr qsizetype longest = 10; // "&#x10FFFF;" and the longest name
    QByteArray out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype amp = text.indexOf('&', i);
        if (amp < 0)
            break;
        out.append(text.sliced(i, amp - i));
        const qsizetype semi = text.sliced(amp + 1, std::min(longest, text.size() - amp - 1)).indexOf(';');
        const long long code = semi < 0 ? -1 : referenceCode(text.sliced(amp + 1, semi));
        if (code < 0) {
            out.append('&');
            i = amp + 1;
            continue;
        }
        const bool valid = code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
        out.append(char(valid ? toByte(char32_t(code)) : '?'));
        i = amp + 1 + semi + 1;
    }
    out.append(text.sliced(i));
    return out;
}

} // namespace zv
