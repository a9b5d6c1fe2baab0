// Chlorophylle: a spring meadow. Sunlit leaves around deep green panels whose
// corners, like every button's, follow the shape of a leaf; grass along the
// bottom bar and a ladybug for the slider knob.
#include "designs.h"

#include <cmath>

namespace gen {

namespace {

const QColor Forest(0x0A, 0x3A, 0x16);
const QColor Deep(0x0B, 0x4F, 0x26);
const QColor Sap(0x7C, 0xC2, 0x5A);
const QColor Lime(0xD8, 0xF5, 0x8A);

QPainterPath leafCorners(const QRectF& r, qreal big, qreal small)
{
    return corners(r, big, small, big, small);
}

// A leaf from base to tip, its width a share of its length.
void leaf(QPainter& p, QPointF base, QPointF tip, qreal width, const QColor& col, bool veins = true)
{
    const QPointF axis = tip - base;
    const qreal len = std::hypot(axis.x(), axis.y());
    const QPointF n(-axis.y() / len * width * len, axis.x() / len * width * len);
    QPainterPath path;
    path.moveTo(base);
    path.cubicTo(base + axis * 0.25 + n, base + axis * 0.7 + n * 0.8, tip);
    path.cubicTo(base + axis * 0.7 - n * 0.8, base + axis * 0.25 - n, base);
    QLinearGradient g(base + n * 0.5, base - n * 0.5);
    g.setColorAt(0, col.lighter(118));
    g.setColorAt(1, col.darker(112));
    p.setPen(QPen(col.darker(135), 0.8));
    p.setBrush(g);
    p.drawPath(path);
    if (!veins)
        return;
    p.setPen(QPen(alpha(col.lighter(160), 170), 1.1));
    p.drawLine(base, base + axis * 0.92);
    p.setPen(QPen(alpha(col.lighter(150), 120), 0.7));
    for (qreal t = 0.22; t < 0.85; t += 0.16) {
        const QPointF on = base + axis * t;
        p.drawLine(on, on + axis * 0.12 + n * 0.55 * (1 - t));
        p.drawLine(on, on + axis * 0.12 - n * 0.55 * (1 - t));
    }
}

class Chlorophylle : public Designer {
public:
    using Designer::Designer;

protected:
    qreal glyphWeight() const override { return 2.3; }

    void meadow(QPainter& p, const QRectF& r, unsigned seed, int leaves) const
    {
        fillDown(p, r, {{0, rgb(0xF0FADE)}, {0.55, rgb(0xC4E898)}, {1, rgb(0x86C85E)}});
        QRadialGradient sun(QPointF(r.right() - r.width() * 0.12, r.top() + 20), r.width() * 0.45);
        sun.setColorAt(0, QColor(0xFF, 0xFB, 0xD0, 200));
        sun.setColorAt(1, Qt::transparent);
        p.fillRect(r, sun);
        Rng rng(seed);
        const QColor greens[] = {QColor(0x4C, 0xA8, 0x3E), QColor(0x6D, 0xBE, 0x45), QColor(0x2F, 0x8A, 0x3A),
            QColor(0x8C, 0xCF, 0x50)};
        for (int i = 0; i < leaves; ++i) {
            const bool leftSide = i % 2 == 0;
            const QPointF base(leftSide ? r.left() - 10 + rng.range(0, r.width() * 0.15)
                                        : r.right() + 10 - rng.range(0, r.width() * 0.15),
                rng.range(r.top() + 20, r.bottom()));
            const qreal angle = rng.range(-2.6, -0.5) + (leftSide ? 0 : -0.0);
            const qreal len = rng.range(40, 110);
            const QPointF tip
                = base + QPointF(std::cos(angle) * len * (leftSide ? -1 : 1), std::sin(angle) * len);
            QColor col = greens[i % 4];
            col.setAlpha(int(rng.range(150, 235)));
            leaf(p, base, tip, rng.range(0.18, 0.28), col);
        }
    }

    void grass(QPainter& p, qreal top, qreal width, const QColor& col, unsigned seed) const
    {
        Rng rng(seed);
        p.setPen(Qt::NoPen);
        p.setBrush(col);
        for (qreal x = -4; x < width + 4; x += rng.range(3, 6)) {
            const qreal hgt = rng.range(4, 11);
            const qreal lean = rng.range(-3, 3);
            QPainterPath blade;
            blade.moveTo(x - 2.2, top + 2);
            blade.quadTo(x + lean * 0.3, top - hgt * 0.5, x + lean, top - hgt);
            blade.quadTo(x + lean * 0.3 + 1, top - hgt * 0.4, x + 2.2, top + 2);
            blade.closeSubpath();
            p.drawPath(blade);
        }
    }

    void card(QPainter& p, const QRectF& r, qreal big) const
    {
        const QPainterPath shape = leafCorners(r, big, 4);
        softShadow(p, shape, 5, 90, {2, 3});
        p.setPen(QPen(Sap, 2));
        p.setBrush(rgb(ink_.card));
        p.drawPath(shape);
    }

    void background(QPainter& p) override
    {
        const qreal w = look_.width, h = zv::themes::Height;
        meadow(p, QRectF(0, 0, w, h), 4, 34);
        // A ladybug on a leaf, high on the right.
        ladybug(p, QPointF(w - 36, 150), 1.4, -0.6);

        // The title band, its edge a row of leaf tips.
        p.fillRect(QRectF(0, 0, w, 30), rgb(ink_.titleBand));
        for (qreal x = 0; x < w; x += 14)
            leaf(p, QPointF(x, 28), QPointF(x + 9, 37), 0.3, rgb(ink_.titleBand), false);

        const QRectF strip = rectOf(lay_.strip);
        const QPainterPath stripShape = leafCorners(strip, 13, 3);
        softShadow(p, stripShape, 3, 70);
        p.setPen(QPen(Sap, 1.5));
        p.setBrush(rgb(ink_.strip));
        p.drawPath(stripShape);
        const QRectF tag(strip.left() + 4, strip.top() + 4, 76, 18);
        p.setPen(Qt::NoPen);
        p.setBrush(Lime);
        p.drawPath(leafCorners(tag, 9, 2));
        QFont serif = font("DejaVu Serif", 10);
        serif.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        label(p, tag, QStringLiteral("INFOS"), serif, Forest);

        card(p, rectOf(lay_.pub).adjusted(-3, -3, 3, 3), 12);
        card(p, rectOf(lay_.player).adjusted(-4, -4, 4, 4), 20);
        card(p, rectOf(lay_.list).adjusted(-4, -4, 4, 4), 20);

        // The bottom bar under a fringe of grass.
        const qreal top = lay_.bar.top + 6;
        grass(p, top, w, QColor(0x3E, 0x96, 0x3C), 9);
        grass(p, top + 2, w, rgb(ink_.bar), 10);
        p.fillRect(QRectF(0, top + 2, w, h - top), rgb(ink_.bar));
    }

    void ladybug(QPainter& p, QPointF c, qreal scale, qreal angle) const
    {
        p.save();
        p.translate(c);
        p.rotate(angle * 180 / M_PI);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1A, 0x1A, 0x1A));
        p.drawEllipse(QPointF(0, -6.5), 3.2, 2.6);
        QRadialGradient shell(QPointF(-1.5, -2), 8);
        shell.setColorAt(0, QColor(0xFF, 0x5A, 0x40));
        shell.setColorAt(1, QColor(0xC8, 0x1E, 0x12));
        p.setBrush(shell);
        p.setPen(QPen(QColor(0x5A, 0x08, 0x04), 0.6));
        p.drawEllipse(QPointF(0, 0), 5, 6.5);
        p.setPen(QPen(QColor(0x1A, 0x1A, 0x1A), 0.7));
        p.drawLine(QPointF(0, -6.3), QPointF(0, 6.3));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1A, 0x1A, 0x1A));
        for (QPointF d : {QPointF(-2.6, -2), QPointF(2.6, -2), QPointF(-2.8, 2.4), QPointF(2.8, 2.4),
                 QPointF(-1.2, 4.6), QPointF(1.2, 4.6)})
            p.drawEllipse(d, 1.05, 1.05);
        p.setBrush(QColor(255, 255, 255, 150));
        p.drawEllipse(QPointF(-2, -3.6), 1.2, 0.7);
        p.restore();
    }

    void leafButton(QPainter& p, const QRectF& r, qreal big, State s) const
    {
        static const Shades shades{{0xECFAD6, 0xB4E286, 0x3F8F3A}, {0xF6FFE6, 0xCBF09C, 0x2A782A},
            {0xF4FB9A, 0xC2E652, 0x2A782A}, {0xFAFFB8, 0xC2E652, 0x2A782A}, {0xD8E6CC, 0xBCD2AC, 0x8CA880}};
        const QPainterPath shape = leafCorners(r, big, 2.5);
        shadeWith(p, shades[s], r.topLeft(), r.bottomRight(), 1.4);
        p.drawPath(shape);
        // A fine midrib along the leaf, from one rounded corner to the other,
        // kept to the ends so the caption stays clear.
        p.save();
        p.setClipPath(shape);
        p.setPen(QPen(alpha(shades[s].rim, pressed(s) ? 70 : 55), 1));
        const qreal k = qMin(r.width(), r.height()) * 0.55;
        p.drawLine(r.topLeft() + QPointF(2, 2), r.topLeft() + QPointF(k, k * 0.55));
        p.drawLine(r.bottomRight() - QPointF(2, 2), r.bottomRight() - QPointF(k, k * 0.55));
        p.restore();
    }

    void sectionButton(QPainter& p, const QRectF& r, State s) override
    {
        leafButton(p, r.adjusted(0.75, 0.75, -0.75, -0.75), 12, s);
    }

    void squareButton(QPainter& p, const QRectF& r, State s) override
    {
        leafButton(p, r.adjusted(1, 1, -1, -1), 22, s);
    }

    QColor squareInk(State s) const override
    {
        return s == State::Inactif ? QColor(0x7A, 0x90, 0x70) : Forest;
    }

    void windowButton(QPainter& p, const QRectF& r, State s, bool close) override
    {
        QColor body = close ? QColor(0xD8, 0x5A, 0x2A) : QColor(0xB4, 0xE2, 0x86);
        if (s == State::Survol)
            body = body.lighter(112);
        else if (s == State::Enfonce)
            body = body.darker(118);
        const QRectF leafBox = r.adjusted(2.5, 2, -2.5, -2);
        p.setPen(QPen(close ? QColor(0x7A, 0x24, 0x0C) : Forest, 1));
        p.setBrush(body);
        p.drawPath(leafCorners(leafBox, 8, 1.5));
        const QPointF c = r.center();
        glyph(p, close ? Glyph::Close : Glyph::Minimise, QRectF(c.x() - 3.5, c.y() - 3.5, 7, 7),
            close ? QColor(Qt::white) : Forest, 1.8);
    }

    void track(QPainter& p, const QRectF& r) override
    {
        // A stem.
        const QRectF stem(r.left(), r.center().y() - 2, r.width(), 4);
        QLinearGradient g(stem.topLeft(), stem.bottomLeft());
        g.setColorAt(0, QColor(0x6D, 0xBE, 0x45));
        g.setColorAt(1, QColor(0x2A, 0x78, 0x2A));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(stem, 2, 2);
    }

    void knob(QPainter& p, const QRectF& r, State s) override
    {
        if (s == State::Inactif) {
            p.setOpacity(0.45);
        }
        ladybug(p, r.center() + QPointF(0, 1), s == State::Survol ? 0.98 : 0.9, 0);
    }

    void logo(QPainter& p, const QRectF& r) override
    {
        // A sprout growing out of the name.
        const QFont f = font("DejaVu Serif", 22);
        const QFontMetricsF fm(f);
        const qreal tw = fm.horizontalAdvance(QStringLiteral("zevalo"));
        const qreal x = r.left() + (r.width() - tw) / 2;
        const qreal base = r.top() + 38;
        leaf(p, QPointF(x + tw - 8, base - 17), QPointF(x + tw + 6, base - 34), 0.35,
            QColor(0x4C, 0xA8, 0x3E));
        leaf(p, QPointF(x + tw - 9, base - 17), QPointF(x + tw - 24, base - 31), 0.35,
            QColor(0x6D, 0xBE, 0x45));
        p.setPen(QPen(QColor(255, 255, 255, 150), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath text;
        text.addText(QPointF(x, base), f, QStringLiteral("zevalo"));
        p.setBrush(Qt::NoBrush);
        p.drawPath(text);
        p.setPen(Qt::NoPen);
        p.setBrush(Forest);
        p.drawPath(text);
        QFont small = font("DejaVu Serif", 9, false);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        label(p, QRectF(r.left(), base + 3, r.width(), 13), QStringLiteral("multimédia"), small, Deep);
    }

    void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) override
    {
        // Small leaves on the dark green title bar.
        QColor body(0xB4, 0xE2, 0x86);
        if (s == State::Survol)
            body = g == Glyph::Close ? QColor(0xD8, 0x5A, 0x2A) : Lime;
        else if (s == State::Enfonce)
            body = g == Glyph::Close ? QColor(0xA8, 0x3A, 0x14) : QColor(0x8C, 0xCF, 0x50);
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawPath(leafCorners(r.adjusted(0.5, 0.5, -0.5, -0.5), r.height() * 0.45, 1));
        const QColor ink = g == Glyph::Close && s != State::Actif ? QColor(Qt::white) : Forest;
        glyph(p, g, r.adjusted(r.width() * 0.28, r.height() * 0.28, -r.width() * 0.28, -r.height() * 0.28),
            ink, 1.4);
    }

    void sponsorBackground(QPainter& p, const QRectF& r) override
    {
        meadow(p, r, 12, 16);
        p.fillRect(QRectF(0, 0, r.width(), 32), rgb(ink_.titleBand));
        for (qreal x = 0; x < r.width(); x += 14)
            leaf(p, QPointF(x, 30), QPointF(x + 8, 38), 0.3, rgb(ink_.titleBand), false);
        for (qreal y : {36.0, 106.0}) {
            p.setPen(QPen(Sap, 2));
            p.setBrush(rgb(ink_.card));
            p.drawPath(leafCorners(QRectF(4, y - 3, 475, 66), 12, 3));
        }
        outline(p, r, Deep, 2);
    }
};

} // namespace

std::unique_ptr<Designer> makeChlorophylle(const Look& look)
{
    return std::make_unique<Chlorophylle>(look);
}

} // namespace gen
