#include "portal/textutil.h"

#include "portal/entitytable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <new>

namespace zv {

namespace {

// HTML 4 names of the Latin-1 letters and signs, codes 160..255.
const char* const latin1Names[96] = {
    "nbsp",
    "iexcl",
    "cent",
    "pound",
    "curren",
    "yen",
    "brvbar",
    "sect",
    "uml",
    "copy",
    "ordf",
    "laquo",
    "not",
    "shy",
    "reg",
    "macr",
    "deg",
    "plusmn",
    "sup2",
    "sup3",
    "acute",
    "micro",
    "para",
    "middot",
    "cedil",
    "sup1",
    "ordm",
    "raquo",
    "frac14",
    "frac12",
    "frac34",
    "iquest",
    "Agrave",
    "Aacute",
    "Acirc",
    "Atilde",
    "Auml",
    "Aring",
    "AElig",
    "Ccedil",
    "Egrave",
    "Eacute",
    "Ecirc",
    "Euml",
    "Igrave",
    "Iacute",
    "Icirc",
    "Iuml",
    "ETH",
    "Ntilde",
    "Ograve",
    "Oacute",
    "Ocirc",
    "Otilde",
    "Ouml",
    "times",
    "Oslash",
    "Ugrave",
    "Uacute",
    "Ucirc",
    "Uuml",
    "Yacute",
    "THORN",
    "szlig",
    "agrave",
    "aacute",
    "acirc",
    "atilde",
    "auml",
    "aring",
    "aelig",
    "ccedil",
    "egrave",
    "eacute",
    "ecirc",
    "euml",
    "igrave",
    "iacute",
    "icirc",
    "iuml",
    "eth",
    "ntilde",
    "ograve",
    "oacute",
    "ocirc",
    "otilde",
    "ouml",
    "divide",
    "oslash",
    "ugrave",
    "uacute",
    "ucirc",
    "uuml",
    "yacute",
    "thorn",
    "yuml",
};

std::array<EntitySpellings, 256> buildTable()
{
    std::array<EntitySpellings, 256> table;
    for (int code = 0; code < 256; ++code) {
        auto& forms = table[code].forms;
        forms[0] = "&#" + QByteArray::number(code) + ';';
        forms[1] = "&#x" + QByteArray::number(code, 16) + ';';
        const char* name = nullptr;
        switch (code) {
        case 34: name = "quot"; break;
        case 38: name = "amp"; break;
        case 60: name = "lt"; break;
        case 62: name = "gt"; break;
        default:
            if (code >= 160)
                name = latin1Names[code - 160];
        }
        if (name)
            forms[2] = QByteArray("&") + name + ';';
    }
    return table;
}

// Every reference is '&', at most six letters, digits or '#', then ';'.
constexpr int maxSpelling = 8;

std::uint64_t packKey(const char* s, int len)
{
    std::uint64_t key = 0;
    std::memcpy(&key, s, std::min(len, maxSpelling));
    return key;
}

// Reference text -> its place in the replacement order (3 * code + form), or -1.
class RankTable {
public:
    RankTable()
    {
        keys_.fill(0);
        ranks_.fill(-1);
        const auto& table = entityTable();
        for (int code = 0; code < 256; ++code)
            for (int form = 0; form < 3; ++form) {
                const QByteArray& s = table[code].forms[form];
                if (!s.isEmpty())
                    insert(packKey(s.constData(), int(s.size())), std::int16_t(code * 3 + form));
            }
    }

    int find(std::uint64_t key) const
    {
        for (std::size_t i = slot(key);; i = (i + 1) & (size - 1)) {
            if (ranks_[i] < 0)
                return -1;
            if (keys_[i] == key)
                return ranks_[i];
        }
    }

private:
    static constexpr std::size_t size = 2048;
    static std::size_t slot(std::uint64_t key) { return (key * 0x9E3779B97F4A7C15ull) >> 53; }
    void insert(std::uint64_t key, std::int16_t rank)
    {
        std::size_t i = slot(key);
        while (ranks_[i] >= 0)
            i = (i + 1) & (size - 1);
        keys_[i] = key;
        ranks_[i] = rank;
    }
    std::array<std::uint64_t, size> keys_;
    std::array<std::int16_t, size> ranks_;
};

const RankTable& rankTable()
{
    static const RankTable table;
    return table;
}

bool mayBeInReference(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '#';
}

// Copies the bytes before the next `byte` (or all up to end) from p to o and
// moves both past them: the quick way over the stretches nothing changes.
void copyUpTo(const char*& p, const char* end, char*& o, int byte)
{
    const void* hit = std::memchr(p, byte, std::size_t(end - p));
    const char* stop = hit ? static_cast<const char*>(hit) : end;
    std::memcpy(o, p, std::size_t(stop - p));
    o += stop - p;
    p = stop;
}

// One pass over the text that gives the result of the replacement passes in
// ascending order. References never overlap (each is '&', no '&' or ';', then
// ';'), so a replacement only matters to its neighbours: the character it
// produces may complete a reference around it. Such a reference is replaced
// later only if its place in the order comes after every replacement that built
// it. Open '&'s wait on a stack with the highest place among their characters.
class EntityDecoder {
public:
    explicit EntityDecoder(const QByteArray& text)
        : in_(text)
        , out_(text.size(), Qt::Uninitialized)
    {
    }

    QByteArray run()
    {
        o_ = out_.data();
        const char* p = in_.constData();
        const char* end = p + in_.size();
        while (p < end) {
            if (open_.empty()) {
                copyUpTo(p, end, o_, '&');
                if (p == end)
                    break;
            }
            feed(static_cast<unsigned char>(*p++), -1);
        }
        flush();
        out_.truncate(o_ - out_.constData());
        return out_;
    }

private:
    struct Pending {
        char text[maxSpelling];
        int len;
        int built; // highest place among the replacements that produced its characters
    };

    // Deeper '&'s can only be completed through a chain of replacements of
    // strictly rising places; there are 768 places.
    static constexpr std::size_t maxDepth = 800;

    void feed(unsigned char c, int built)
    {
        for (;;) {
            if (c == '&') {
                if (open_.size() >= maxDepth) {
                    write(open_.front());
                    open_.pop_front();
                }
                open_.push_back(Pending{{'&'}, 1, built});
                return;
            }
            if (open_.empty()) {
                *o_++ = char(c);
                return;
            }
            Pending& top = open_.back();
            if (c == ';') {
                top.text[top.len] = ';';
                const int rank = rankTable().find(packKey(top.text, top.len + 1));
                if (rank > std::max(top.built, built)) {
                    open_.pop_back();
                    c = static_cast<unsigned char>(rank / 3);
                    built = rank;
                    continue;
                }
                // A reference that stays as it is: nothing before it can close any more.
                flush();
                *o_++ = ';';
                return;
            }
            if (!mayBeInReference(c) || top.len + 1 >= maxSpelling) {
                flush();
                *o_++ = char(c);
                return;
            }
            top.text[top.len++] = char(c);
            top.built = std::max(top.built, built);
            return;
        }
    }

    void write(const Pending& pending)
    {
        std::memcpy(o_, pending.text, std::size_t(pending.len));
        o_ += pending.len;
    }

    void flush()
    {
        for (const Pending& pending : open_)
            write(pending);
        open_.clear();
    }

    const QByteArray& in_;
    QByteArray out_;
    char* o_ = nullptr;
    std::deque<Pending> open_;
};

} // namespace

const std::array<EntitySpellings, 256>& entityTable()
{
    static const std::array<EntitySpellings, 256> table = buildTable();
    return table;
}

} // namespace zv

QByteArray ColorToHtml(const QColor& colour)
{
    const QRgb rgb = colour.isValid() ? colour.rgb() : 0;
    static const char digits[] = "0123456789ABCDEF";
    const int parts[3] = {qRed(rgb), qGreen(rgb), qBlue(rgb)};
    char out[6];
    for (int i = 0; i < 3; ++i) {
        out[2 * i] = digits[(parts[i] >> 4) & 15];
        out[2 * i + 1] = digits[parts[i] & 15];
    }
    return QByteArray(out, 6);
}

QByteArray DecodeEntities(const QByteArray& text)
{
    if (!text.contains('&'))
        return text;
    try {
        return zv::EntityDecoder(text).run();
    } catch (const std::bad_alloc&) {
        return text;
    }
}

QByteArray UrlEncode(const QByteArray& text)
{
    try {
        static const char digits[] = "0123456789abcdef";
        QByteArray out(text.size() * 3, Qt::Uninitialized);
        char* o = out.data();
        for (const char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                *o++ = char(c);
            } else if (c == ' ') {
                *o++ = '+';
            } else {
                o[0] = '%';
                o[1] = digits[c >> 4];
                o[2] = digits[c & 15];
                o += 3;
            }
        }
        out.truncate(o - out.constData());
        return out;
    } catch (...) {
        return text;
    }
}

QByteArray FixUtf8Latin1(const QByteArray& text)
{
    const char* p = text.constData();
    const char* end = p + text.size();
    const void* first = std::memchr(p, 0xC3, text.size());
    if (!first)
        return text;
    try {
        QByteArray out(text.size(), Qt::Uninitialized);
        char* o = out.data();
        while (p < end) {
            zv::copyUpTo(p, end, o, 0xC3);
            if (p == end)
                break;
            // The byte made from a C3 pair may be C3 again (from 03, 43, 83 or C3): it
            // pairs with the byte after it. A C3 at the very end pairs with nothing (0).
            unsigned char made = 0xC3;
            ++p;
            while (made == 0xC3) {
                const unsigned char next = p < end ? static_cast<unsigned char>(*p++) : 0;
                made = static_cast<unsigned char>(0xC0 + (next & 0x3F));
            }
            *o++ = char(made);
        }
        out.truncate(o - out.constData());
        return out;
    } catch (const std::bad_alloc&) {
        return text;
    }
}
