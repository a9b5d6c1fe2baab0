// The text helpers and the Windows-1252 codec on any bytes: the fast helpers
// give what the literal algorithms give, and the codec round-trips.
#include "portal/textutil.h"

#include "portal/cp1252.h"
#include "tests/text/textreference.h"

#include <cstdint>
#include <cstdlib>

static void check(bool ok)
{
    if (!ok)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));

    const QByteArray decoded = DecodeEntities(text);
    check(decoded.size() <= text.size());
    if (size <= 512)
        check(decoded == reference::decodeEntities(text));

    const QByteArray fixed = FixUtf8Latin1(text);
    check(fixed.size() <= text.size() && !fixed.contains('\xC3'));
    if (size <= 4096)
        check(fixed == reference::fixUtf8Latin1(text));

    const QByteArray encoded = UrlEncode(text);
    check(QByteArray::fromPercentEncoding(QByteArray(encoded).replace('+', ' ')) == text);
    for (const char c : encoded)
        check((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '%'
            || c == '+');

    const QString unicode = zv::fromCp1252(text);
    check(unicode.size() == text.size() && zv::toCp1252(unicode) == text);

    // UTF-8 to Windows-1252 never grows, and on valid UTF-8 it is the codec's
    // answer, C1 controls taken as their byte.
    const QByteArray narrowed = zv::utf8ToCp1252(text);
    check(narrowed.size() <= text.size());
    if (QByteArrayView(text).isValidUtf8()) {
        QString wide = QString::fromUtf8(text);
        for (QChar& c : wide) {
            if (c.unicode() >= 0x80 && c.unicode() < 0xA0)
                c = zv::fromCp1252(QByteArray(1, char(c.unicode())))[0];
        }
        check(narrowed == zv::toCp1252(wide));
    }

    // The bytes read as UTF-16: every character gives one byte.
    const QString any(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    const QByteArray back = zv::toCp1252(any);
    check(back.size() == any.toUcs4().size());

    if (size >= 3) {
        const QByteArray html = ColorToHtml(QColor(data[0], data[1], data[2]));
        check(html == QByteArray(reinterpret_cast<const char*>(data), 3).toHex().toUpper());
    }
    return 0;
}
