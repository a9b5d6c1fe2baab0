#pragma once
// Reads the tag stream of an uncompressed SWF movie, as a player would walk it.
#include <QByteArray>
#include <QList>

struct SwfSummary {
    bool valid = false;
    QByteArray error;
    int version = 0;
    quint32 declaredLength = 0;
    int frameCount = 0;
    int widthTwips = 0;
    int heightTwips = 0;
    QList<int> tags; // tag codes in order, End included
};

inline SwfSummary readSwf(const QByteArray& data)
{
    SwfSummary s;
    auto fail = [&](const char* why) {
        s.error = why;
        return s;
    };
    if (data.size() < 21 || !data.startsWith("FWS"))
        return fail("not an uncompressed SWF");
    const auto byte = [&](qsizetype i) { return quint32(static_cast<unsigned char>(data[i])); };
    s.version = int(byte(3));
    s.declaredLength = byte(4) | byte(5) << 8 | byte(6) << 16 | byte(7) << 24;
    // Frame rectangle: 5-bit size, then four signed fields.
    const int nbits = int(byte(8) >> 3);
    auto bitAt = [&](qsizetype bit) { return (byte(8 + bit / 8) >> (7 - bit % 8)) & 1u; };
    auto field = [&](qsizetype at) {
        qint32 v = 0;
        for (int i = 0; i < nbits; ++i)
            v = (v << 1) | qint32(bitAt(at + i));
        if (nbits > 0 && (v & (1 << (nbits - 1))))
            v -= (1 << nbits);
        return v;
    };
    const qint32 xmin = field(5), xmax = field(5 + nbits), ymin = field(5 + 2 * nbits),
                 ymax = field(5 + 3 * nbits);
    s.widthTwips = xmax - xmin;
    s.heightTwips = ymax - ymin;
    qsizetype pos = 8 + (5 + 4 * nbits + 7) / 8;
    if (pos + 4 > data.size())
        return fail("truncated header");
    s.frameCount = int(byte(pos + 2) | byte(pos + 3) << 8);
    pos += 4;
    while (pos + 2 <= data.size()) {
        const quint32 head = byte(pos) | byte(pos + 1) << 8;
        pos += 2;
        const int code = int(head >> 6);
        quint32 len = head & 0x3F;
        if (len == 0x3F) {
            if (pos + 4 > data.size())
                return fail("truncated tag length");
            len = byte(pos) | byte(pos + 1) << 8 | byte(pos + 2) << 16 | byte(pos + 3) << 24;
            pos += 4;
        }
        if (pos + qsizetype(len) > data.size())
            return fail("tag runs past the end");
        s.tags.append(code);
        pos += len;
        if (code == 0)
            break;
    }
    if (s.tags.isEmpty() || s.tags.last() != 0)
        return fail("no End tag");
    if (pos != data.size() || s.declaredLength != quint32(data.size()))
        return fail("length does not match");
    s.valid = true;
    return s;
}
