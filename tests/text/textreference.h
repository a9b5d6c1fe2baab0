#pragma once
// The text helpers written the slow, literal way, to compare the fast ones with.
#include "portal/entitytable.h"

#include <QByteArray>

namespace reference {

// Every spelling of every code, codes ascending, each replaced everywhere in turn.
inline QByteArray decodeEntities(QByteArray text)
{
    const auto& table = zv::entityTable();
    for (int code = 0; code < 256; ++code)
        for (const QByteArray& spelling : table[code].forms)
            if (!spelling.isEmpty())
                text.replace(spelling, QByteArray(1, char(code)));
    return text;
}

// Repeatedly the first C3 and the byte after it (0 past the end) become one byte.
inline QByteArray fixUtf8Latin1(QByteArray text)
{
    for (qsizetype i; (i = text.indexOf('\xC3')) >= 0;) {
        const bool last = i + 1 >= text.size();
        const unsigned char next = last ? 0 : static_cast<unsigned char>(text[i + 1]);
        text.replace(i, last ? 1 : 2, QByteArray(1, char(0xC0 + (next & 0x3F))));
    }
    return text;
}

} // namespace reference
