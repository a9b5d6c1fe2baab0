#include "server/swfwriter.h"

#include <QtMath>
#include <cmath>
#include <cstdint>
#include <set>

namespace zvs {

namespace {

class Bits {
public:
    void ub(uint32_t value, int count)
    {
        for (int i = count - 1; i >= 0; --i)
            bit((value >> i) & 1u);
    }
    void sb(int32_t value, int count)
    {
        ub(uint32_t(value) & (count >= 32 ? 0xFFFFFFFFu : ((1u << count) - 1)), count);
    }
    void align()
    {
        if (used_ != 0) {
            bytes_.append(char(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    QByteArray take()
    {
        align();
        return bytes_;
    }

private:
    void bit(uint32_t b)
    {
        current_ = uint8_t((current_ << 1) | b);
        if (++used_ == 8) {
            bytes_.append(char(current_));
            current_ = 0;
            used_ = 0;
        }
    }
    QByteArray bytes_;
    uint8_t current_ = 0;
    int used_ = 0;
};

// Bits needed to hold each value as a signed field.
int signedBits(std::initializer_list<int32_t> values)
{
    int bits = 1;
    for (int32_t v : values) {
        uint32_t magnitude = v < 0 ? uint32_t(~v) : uint32_t(v);
        int n = 1;
        while (magnitude) {
            ++n;
            magnitude >>= 1;
        }
        bits = std::max(bits, n);
    }
    return bits;
}

void u16(QByteArray& out, unsigned v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void u32(QByteArray& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

QByteArray rect(int32_t xmin, int32_t xmax, int32_t ymin, int32_t ymax)
{
    Bits b;
    const int n = signedBits({xmin, xmax, ymin, ymax});
    b.ub(uint32_t(n), 5);
    b.sb(xmin, n);
    b.sb(xmax, n);
    b.sb(ymin, n);
    b.sb(ymax, n);
    return b.take();
}

void tag(QByteArray& out, int code, const QByteArray& body)
{
    if (body.size() < 63) {
        u16(out, unsigned(code << 6) | unsigned(body.size()));
    } else {
        u16(out, unsigned(code << 6) | 0x3F);
        u32(out, uint32_t(body.size()));
    }
    out += body;
}

int32_t twips(double pixels)
{
    return int32_t(std::lround(pixels * 20));
}

QByteArray defineShape(int id, const SwfShape& shape)
{
    QVector<QPoint> pts;
    for (const QPointF& p : shape.points)
        pts.append(QPoint(twips(p.x()), twips(p.y())));
    int xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    if (!pts.isEmpty()) {
        xmin = xmax = pts[0].x();
        ymin = ymax = pts[0].y();
    }
    for (const QPoint& p : pts) {
        xmin = std::min(xmin, p.x());
        xmax = std::max(xmax, p.x());
        ymin = std::min(ymin, p.y());
        ymax = std::max(ymax, p.y());
    }
    QByteArray body;
    u16(body, unsigned(id));
    body += rect(xmin, xmax, ymin, ymax);
    body.append(char(1)); // one fill style
    body.append(char(0x00)); // solid
    body.append(char(shape.colour.r));
    body.append(char(shape.colour.g));
    body.append(char(shape.colour.b));
    body.append(char(0)); // no line styles

    Bits b;
    b.ub(1, 4); // fill index bits
    b.ub(0, 4); // line index bits
    if (!pts.isEmpty()) {
        // Style change: move to the first corner, fill style 1 on the right.
        const int n = signedBits({pts[0].x(), pts[0].y()});
        b.ub(0, 1);
        b.ub(0, 1); // new styles
        b.ub(0, 1); // line style
        b.ub(1, 1); // fill style 1
        b.ub(0, 1); // fill style 0
        b.ub(1, 1); // move to
        b.ub(uint32_t(n), 5);
        b.sb(pts[0].x(), n);
        b.sb(pts[0].y(), n);
        b.ub(1, 1); // fill style 1 index
        for (int i = 1; i <= pts.size(); ++i) {
            const QPoint from = pts[i - 1];
            const QPoint to = pts[i % pts.size()];
            const int dx = to.x() - from.x();
            const int dy = to.y() - from.y();
            const int bits = std::max(2, signedBits({dx, dy}));
            b.ub(1, 1); // edge
            b.ub(1, 1); // straight
            b.ub(uint32_t(bits - 2), 4);
            b.ub(1, 1); // general line
            b.sb(dx, bits);
            b.sb(dy, bits);
        }
    }
    b.ub(0, 6); // end of shape
    body += b.take();
    return body;
}

QByteArray matrix(const SwfPlacement& p)
{
    Bits b;
    const double rad = qDegreesToRadians(p.rotation);
    const auto fixed = [](double v) { return int32_t(std::lround(v * 65536.0)); };
    const int32_t sx = fixed(std::cos(rad) * p.scale);
    const int32_t r0 = fixed(std::sin(rad) * p.scale);
    const int32_t r1 = -r0;
    b.ub(1, 1); // scale
    int n = signedBits({sx});
    b.ub(uint32_t(n), 5);
    b.sb(sx, n);
    b.sb(sx, n);
    b.ub(1, 1); // rotate
    n = signedBits({r0, r1});
    b.ub(uint32_t(n), 5);
    b.sb(r0, n);
    b.sb(r1, n);
    const int32_t tx = twips(p.position.x());
    const int32_t ty = twips(p.position.y());
    n = signedBits({tx, ty});
    b.ub(uint32_t(n), 5);
    b.sb(tx, n);
    b.sb(ty, n);
    return b.take();
}

} // namespace

SwfColour SwfColour::fromHex(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('#')))
        t.remove(0, 1);
    bool ok = false;
    const uint v = t.toUInt(&ok, 16);
    if (!ok || t.size() != 6)
        return {};
    return {int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)};
}

SwfColour SwfColour::scaled(double factor) const
{
    auto f = [factor](int c) {
        return std::clamp(int(std::lround(factor >= 1 ? c + (255 - c) * (factor - 1) : c * factor)), 0, 255);
    };
    return {f(r), f(g), f(b)};
}

QVector<QPointF> regularPolygon(int sides, double radius, double startDegrees)
{
    QVector<QPointF> out;
    for (int i = 0; i < sides; ++i) {
        const double a = qDegreesToRadians(startDegrees + 360.0 * i / sides);
        out.append(QPointF(radius * std::cos(a), radius * std::sin(a)));
    }
    return out;
}

QByteArray writeSwf(const SwfMovie& movie)
{
    QByteArray tags;
    QByteArray attributes;
    u32(attributes, 0);
    tag(tags, 69, attributes); // FileAttributes
    QByteArray bg;
    bg.append(char(movie.background.r));
    bg.append(char(movie.background.g));
    bg.append(char(movie.background.b));
    tag(tags, 9, bg); // SetBackgroundColor
    for (int i = 0; i < movie.shapes.size(); ++i)
        tag(tags, 2, defineShape(i + 1, movie.shapes[i])); // DefineShape

    std::set<int> placedDepths;
    const int frameCount = std::max<int>(1, int(movie.frames.size()));
    for (int f = 0; f < frameCount; ++f) {
        if (f < movie.frames.size()) {
            for (const SwfPlacement& p : movie.frames[f]) {
                QByteArray body;
                const bool first = placedDepths.insert(p.depth).second;
                body.append(char(first ? 0x06 : 0x05)); // matrix + character, or matrix + move
                u16(body, unsigned(p.depth));
                if (first)
                    u16(body, unsigned(p.shape + 1));
                body += matrix(p);
                tag(tags, 26, body); // PlaceObject2
            }
        }
        tag(tags, 1, {}); // ShowFrame
    }
    tag(tags, 0, {}); // End

    QByteArray header = "FWS";
    header.append(char(10)); // version
    const QByteArray frame = rect(0, movie.width * 20, 0, movie.height * 20);
    QByteArray rest = frame;
    rest.append(char(0)); // frame rate, 8.8 fixed
    rest.append(char(std::clamp(movie.fps, 1, 120)));
    u16(rest, unsigned(frameCount));
    rest += tags;
    u32(header, uint32_t(header.size() + 4 + rest.size()));
    return header + rest;
}

} // namespace zvs
