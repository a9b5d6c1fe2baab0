// Tagada: strawberry candy. A pink window with sugar dots, liquorice-black
// panels in a candy rim, jelly buttons with a glossy cap, round shapes
// everywhere.
#include "designs.h"

#include <cmath>

namespace gen {

namespace {

const QColor Plum(0x3A, 0x00, 0x29);
const QColor Raspberry(0xB8, 0x00, 0x7A);
const QColor Candy(0xFF, 0xB3, 0xE6);
const QColor Cream(0xFF, 0xF0, 0xFA);

void heart(QPainter& p, QPointF c, qreal size, const QColor& col)
{
    QPainterPath path;
    const qreal s = size / 2;
    path.moveTo(c.x(), c.y() + s);
    path.cubicTo(c.x() - s * 1.6, c.y() - s * 0.2, c.x() - s * 0.6, c.y() - s * 1.3, c.x(), c.y() - s * 0.4);
    path.cubicTo(c.x() + s * 0.6, c.y() - s * 1.3, c.x() + s * 1.6, c.y() - s * 0.2, c.x(), c.y() + s);
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(path);
}

// A scalloped edge: half discs along a line, hanging down (or up).
void scallops(QPainter& p, qreal y, qreal width, qreal radius, const QColor& col, bool down)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    for (qreal x = radius; x < width + radius; x += 2 * radius) {
        const QRectF disc(x - radius, y - radius, 2 * radius, 2 * radius);
        p.drawPie(disc, down ? 180 * 16 : 0, 180 * 16);
    }
}

class Tagada : public Designer {
public:
    using Designer::Designer;

protected:
    qreal glyphWeight() const override { return 2.8; }

    void dots(QPainter& p, const QRectF& area, qreal step, qreal radius, int strength) const
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, strength));
        int row = 0;
        for (qreal y = area.top(); y < area.bottom() + step; y += step * 0.866, ++row) {
            for (qreal x = area.left() + (row % 2 ? step / 2 : 0); x < area.right() + step; x += step)
                p.drawEllipse(QPointF(x, y), radius, radius);
        }
    }

    // A panel in its candy rim: liquorice inside.
    void card(QPainter& p, const QRectF& r, qreal radius) const
    {
        QPainterPath rim;
        rim.addRoundedRect(r.adjusted(-4, -4, 4, 4), radius + 4, radius + 4);
        softShadow(p, rim, 4, 110, {0, 3});
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(Candy);
        p.drawPath(rim);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 120));
        p.drawRoundedRect(r.adjusted(-3, -3, 3, -r.height() + 6), radius + 3, radius + 3);
        p.setBrush(rgb(ink_.card));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius, radius);
    }

    void background(QPainter& p) override
    {
        const qreal w = look_.width, h = zv::themes::Height;
        QLinearGradient g(0, 0, w * 0.3, h);
        g.setColorAt(0, QColor(0xFF, 0x9C, 0xDB));
        g.setColorAt(1, QColor(0xFF, 0x52, 0xBA));
        p.fillRect(QRectF(0, 0, w, h), g);
        dots(p, QRectF(0, 0, w, h), 30, 7, 46);
        // Hearts and sugar in the margins.
        Rng rng(11);
        for (int i = 0; i < 26; ++i) {
            const QPointF at(rng.range(0, w), rng.range(30, h));
            const QRectF keep = rectOf(lay_.player).united(rectOf(lay_.list)).adjusted(-10, -10, 10, 10);
            if (keep.contains(at) || rectOf(lay_.pub).adjusted(-10, -10, 10, 10).contains(at))
                continue;
            heart(p, at, rng.range(6, 12), QColor(255, 255, 255, int(rng.range(70, 140))));
        }

        // The title band, iced.
        p.fillRect(QRectF(0, 0, w, 31), rgb(ink_.titleBand));
        scallops(p, 31, w, 5, rgb(ink_.titleBand), true);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 60));
        for (qreal x = 10; x < w; x += 10)
            p.drawEllipse(QPointF(x, 33), 1.2, 1.2);

        // The ticker: a liquorice stick in a candy rim.
        const QRectF strip = rectOf(lay_.strip);
        QPainterPath stick;
        stick.addRoundedRect(strip, 13, 13);
        softShadow(p, stick, 3, 80);
        p.setPen(QPen(Candy, 2.5));
        p.setBrush(rgb(ink_.strip));
        p.drawPath(stick);
        const QRectF tag(strip.left() + 4, strip.top() + 4, 76, 18);
        p.setPen(QPen(Raspberry, 1));
        p.setBrush(Cream);
        p.drawRoundedRect(tag, 9, 9);
        label(p, tag, QStringLiteral("INFOS"), font("DejaVu Sans", 10), Plum);

        card(p, rectOf(lay_.pub), 8);
        card(p, rectOf(lay_.player), 12);
        card(p, rectOf(lay_.list), 12);

        // The bottom bar: raspberry, iced at its top.
        const QRectF bar = rectOf(lay_.bar).adjusted(-lay_.bar.left, 0, w, 0);
        p.fillRect(bar.adjusted(0, 5, 0, 0), rgb(ink_.bar));
        scallops(p, bar.top() + 5, w, 5, rgb(ink_.bar), false);
    }

    void jelly(QPainter& p, const QPainterPath& shape, const QRectF& r, State s, bool gloss = true) const
    {
        static const Shades shades{{0xFFE0F4, 0xFFA3DD, 0xC2007F}, {0xFFF4FB, 0xFFC2EA, 0xE0009A},
            {0xFF8ED9, 0xFF5AC9, 0x9C0066}, {0xFF9EE0, 0xFF5AC9, 0x9C0066}, {0xF6DDEC, 0xE8C4DA, 0xC890B2}};
        shadeWith(p, shades[s], r.topLeft(), r.bottomLeft(), 1.5);
        p.drawPath(shape);
        if (pressed(s)) {
            // Pressed in: a shadow under the top edge instead of the gloss.
            QLinearGradient in(r.topLeft(), QPointF(r.left(), r.top() + 6));
            in.setColorAt(0, QColor(0x9C, 0x00, 0x66, 90));
            in.setColorAt(1, Qt::transparent);
            p.setPen(Qt::NoPen);
            p.setBrush(in);
            p.drawPath(shape);
        } else if (gloss && s != State::Inactif) {
            const QRectF cap = r.adjusted(r.height() * 0.22, 2, -r.height() * 0.22, -r.height() * 0.52);
            gen::gloss(p, cap, 200, 40);
        }
    }

    void sectionButton(QPainter& p, const QRectF& r, State s) override
    {
        const QRectF body = r.adjusted(0.75, 0.75, -0.75, -0.75);
        QPainterPath shape;
        shape.addRoundedRect(body, body.height() / 2, body.height() / 2);
        jelly(p, shape, body, s);
        // A sugar sparkle on each end.
        if (!pressed(s)) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 230));
            p.drawEllipse(
                QPointF(body.left() + body.height() * 0.42, body.top() + body.height() * 0.3), 1.3, 1.3);
        }
    }

    void squareButton(QPainter& p, const QRectF& r, State s) override
    {
        const QRectF body = r.adjusted(1, 1, -1, -1);
        QPainterPath shape;
        shape.addRoundedRect(body, 17, 17);
        jelly(p, shape, body, s);
    }

    QColor squareInk(State s) const override { return s == State::Inactif ? QColor(0xA8, 0x74, 0x96) : Plum; }

    void windowButton(QPainter& p, const QRectF& r, State s, bool close) override
    {
        const QPointF c = r.center();
        QColor body = close ? QColor(0xFF, 0x3B, 0x6B) : Cream;
        if (s == State::Survol)
            body = body.lighter(112);
        else if (s == State::Enfonce)
            body = body.darker(118);
        QRadialGradient g(c - QPointF(2, 3), 11);
        g.setColorAt(0, body.lighter(125));
        g.setColorAt(1, body);
        p.setPen(QPen(close ? QColor(0x9C, 0x00, 0x33) : QColor(0x9C, 0x00, 0x66), 1.2));
        p.setBrush(g);
        p.drawEllipse(c, 8.5, 8.5);
        glyph(p, close ? Glyph::Close : Glyph::Minimise, QRectF(c.x() - 3.5, c.y() - 3.5, 7, 7),
            close ? Qt::white : Plum, 2.2);
    }

    void track(QPainter& p, const QRectF& r) override
    {
        // A candy-cane rope.
        const QRectF rope(r.left(), r.center().y() - 2.5, r.width(), 5);
        QPainterPath path;
        path.addRoundedRect(rope, 2.5, 2.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(path);
        p.save();
        p.setClipPath(path);
        p.setPen(QPen(QColor(0xE0, 0x00, 0x9A), 2.5));
        for (qreal x = rope.left() - 6; x < rope.right() + 6; x += 6)
            p.drawLine(QPointF(x, rope.bottom()), QPointF(x + 5, rope.top()));
        p.restore();
    }

    void knob(QPainter& p, const QRectF&, State s) override
    {
        QColor c = s == State::Inactif
            ? QColor(0xD8, 0xB0, 0xC8)
            : (s == State::Survol ? QColor(0xFF, 0x7A, 0xD0) : QColor(0xE0, 0x00, 0x9A));
        const QRectF bean(1, 2, 9, 17);
        QLinearGradient g(bean.topLeft(), bean.topRight());
        g.setColorAt(0, c.lighter(130));
        g.setColorAt(1, c);
        p.setPen(QPen(Plum, 1));
        p.setBrush(g);
        p.drawRoundedRect(bean, 4.5, 4.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawRoundedRect(QRectF(3, 4, 3, 7), 1.5, 1.5);
    }

    // Bubble letters: a thick round outline under a white fill.
    void bubble(QPainter& p, const QPointF& at, const QString& text, const QFont& f, qreal outline) const
    {
        QPainterPath path;
        path.addText(at, f, text);
        p.setPen(QPen(Plum, outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Plum);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        QLinearGradient g(0, at.y() - f.pixelSize(), 0, at.y());
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, QColor(0xFF, 0xD6, 0xF1));
        p.setBrush(g);
        p.drawPath(path);
    }

    void logo(QPainter& p, const QRectF& r) override
    {
        QFont f = font("DejaVu Sans", 25);
        f.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
        const QFontMetricsF fm(f);
        const qreal tw = fm.horizontalAdvance(QStringLiteral("zevalo"));
        const qreal x = r.left() + (r.width() - tw) / 2;
        bubble(p, QPointF(x, r.top() + 32), QStringLiteral("zevalo"), f, 5);
        heart(p, QPointF(x + tw + 1, r.top() + 12), 9, QColor(0xE0, 0x00, 0x9A));
        QFont small = font("DejaVu Sans", 9);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
        label(p, QRectF(r.left(), r.top() + 37, r.width(), 14), QStringLiteral("MULTIMÉDIA"), small, Plum);
    }

    void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) override
    {
        // Round candies on the magenta title bar.
        QColor body = Cream;
        if (s == State::Survol)
            body = g == Glyph::Close ? QColor(0xFF, 0xE1, 0x4D) : Qt::white;
        else if (s == State::Enfonce)
            body = QColor(0xFF, 0xC2, 0xEA);
        const qreal d = qMin(r.width(), r.height()) - 2;
        const QRectF disc(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
        p.setPen(QPen(QColor(0x9C, 0x00, 0x66), 1.2));
        p.setBrush(body);
        p.drawEllipse(disc);
        glyph(p, g, disc.adjusted(d * 0.3, d * 0.3, -d * 0.3, -d * 0.3), Plum, 1.9);
    }

    void sponsorBackground(QPainter& p, const QRectF& r) override
    {
        QLinearGradient g(r.topLeft(), r.bottomRight());
        g.setColorAt(0, QColor(0xFF, 0x9C, 0xDB));
        g.setColorAt(1, QColor(0xFF, 0x5C, 0xBF));
        p.fillRect(r, g);
        dots(p, r, 26, 6, 50);
        p.fillRect(QRectF(0, 0, r.width(), 32), rgb(ink_.titleBand));
        scallops(p, 32, r.width(), 4, rgb(ink_.titleBand), true);
        for (qreal y : {36.0, 106.0}) {
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(Candy);
            p.drawRoundedRect(QRectF(3.5, y - 3.5, 476, 67), 8, 8);
        }
        p.setPen(QPen(Raspberry, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(1, 1, -1, -1));
    }

    // ---- the highlight pictures, shown right of the ad band -------------------

    void pictogram(QPainter& p, const QString& what, const QRectF& b, const QColor& ink) const
    {
        p.save();
        const QPen line(ink, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const QPointF c = b.center();
        if (what == QLatin1String("tele")) {
            p.drawRoundedRect(QRectF(b.left() + 2, b.top() + 9, b.width() - 4, b.height() - 13), 5, 5);
            p.drawLine(c + QPointF(-7, -b.height() / 2 + 1), c + QPointF(0, -b.height() / 2 + 8));
            p.drawLine(c + QPointF(7, -b.height() / 2 + 1), c + QPointF(0, -b.height() / 2 + 8));
        } else if (what == QLatin1String("video")) {
            p.setBrush(ink);
            p.drawEllipse(QPointF(b.left() + 9, b.bottom() - 7), 5.5, 4.5);
            p.drawEllipse(QPointF(b.right() - 6, b.bottom() - 11), 5.5, 4.5);
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(
                QPolygonF({QPointF(b.left() + 14, b.bottom() - 7), QPointF(b.left() + 14, b.top() + 6),
                    QPointF(b.right() - 1, b.top() + 2), QPointF(b.right() - 1, b.bottom() - 11)}));
        } else if (what == QLatin1String("radio")) {
            p.drawRoundedRect(QRectF(b.left() + 1, b.top() + 11, b.width() - 2, b.height() - 13), 5, 5);
            p.drawLine(QPointF(b.left() + 8, b.top() + 11), QPointF(b.right() - 6, b.top() + 1));
            p.setBrush(ink);
            p.drawEllipse(QPointF(b.left() + 10, b.bottom() - 8), 4, 4);
            p.drawLine(QPointF(c.x() + 2, b.bottom() - 12), QPointF(b.right() - 5, b.bottom() - 12));
            p.drawLine(QPointF(c.x() + 2, b.bottom() - 6), QPointF(b.right() - 5, b.bottom() - 6));
        } else if (what == QLatin1String("jeux")) {
            QRectF pad(b.left(), b.top() + 8, b.width(), b.height() - 14);
            p.drawRoundedRect(pad, pad.height() / 2, pad.height() / 2);
            p.drawLine(QPointF(pad.left() + 8, pad.center().y()), QPointF(pad.left() + 16, pad.center().y()));
            p.drawLine(QPointF(pad.left() + 12, pad.center().y() - 4),
                QPointF(pad.left() + 12, pad.center().y() + 4));
            p.setBrush(ink);
            p.drawEllipse(QPointF(pad.right() - 12, pad.center().y() - 2), 1.8, 1.8);
            p.drawEllipse(QPointF(pad.right() - 7, pad.center().y() + 2), 1.8, 1.8);
        } else if (what == QLatin1String("chat")) {
            p.drawRoundedRect(QRectF(b.left(), b.top() + 2, b.width() * 0.7, b.height() * 0.55), 8, 8);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(b.left() + b.width() * 0.35, b.top() + b.height() * 0.45,
                                  b.width() * 0.65, b.height() * 0.5),
                8, 8);
        } else if (what == QLatin1String("sexo")) {
            // A film strip with a play mark: the adult section and the videos.
            const QRectF film(b.left(), b.top() + 5, b.width(), b.height() - 10);
            p.drawRoundedRect(film, 4, 4);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            for (qreal x = film.left() + 4; x < film.right() - 3; x += 7) {
                p.drawRect(QRectF(x, film.top() + 3, 3, 3));
                p.drawRect(QRectF(x, film.bottom() - 6, 3, 3));
            }
            QPainterPath play;
            play.moveTo(c.x() - 4, c.y() - 6);
            play.lineTo(c.x() + 6, c.y());
            play.lineTo(c.x() - 4, c.y() + 6);
            play.closeSubpath();
            p.drawPath(play);
        } else if (what == QLatin1String("mod")) {
            p.drawArc(QRectF(b.left() + 3, b.top() + 2, b.width() - 6, b.height() - 4), 20 * 16, 140 * 16);
            p.setBrush(ink);
            p.drawRoundedRect(QRectF(b.left() + 1, c.y(), 8, b.height() / 2 - 2), 3, 3);
            p.drawRoundedRect(QRectF(b.right() - 9, c.y(), 8, b.height() / 2 - 2), 3, 3);
        } else { // accueil
            QPainterPath house;
            house.moveTo(b.left() + 2, c.y() - 1);
            house.lineTo(c.x(), b.top() + 2);
            house.lineTo(b.right() - 2, c.y() - 1);
            p.drawPath(house);
            p.drawRect(QRectF(b.left() + 7, c.y() - 3, b.width() - 14, b.height() / 2));
            heart(p, QPointF(c.x(), c.y() + 6), 9, ink);
        }
        p.restore();
    }

    void extras() override
    {
        struct Item {
            const char* name;
            QColor sweet; // the candy of the sticker
        };
        const Item items[] = {{"tele", QColor(0xFF, 0x6F, 0xA8)}, {"video", QColor(0xB9, 0x6B, 0xFF)},
            {"radio", QColor(0xFF, 0x9E, 0x3D)}, {"jeux", QColor(0x4F, 0xC8, 0x7A)},
            {"chat", QColor(0x3F, 0xB5, 0xF0)}, {"sexo", QColor(0xE8, 0x1E, 0x5A)},
            {"mod", QColor(0x8E, 0x5C, 0xE8)}, {"accueil", QColor(0xFF, 0x4F, 0xB8)}};
        const QSize size(lay_.showcase.width, lay_.showcase.height);
        for (const Item& item : items) {
            picture(dir_ + QStringLiteral("surligne_%1.png").arg(QLatin1String(item.name)), size,
                [&](QPainter& p) {
                    const QRectF r(3, 3, size.width() - 6, size.height() - 6);
                    // A sticker: white rim, a glossy candy in the middle, sugar around.
                    p.setPen(QPen(Raspberry, 1.5));
                    p.setBrush(Cream);
                    p.drawRoundedRect(r, 14, 14);
                    const QPointF c = r.center();
                    const qreal d = r.height() - 10;
                    QRadialGradient g(c + QPointF(-d * 0.2, -d * 0.25), d * 0.7);
                    g.setColorAt(0, item.sweet.lighter(150));
                    g.setColorAt(1, item.sweet);
                    p.setPen(QPen(item.sweet.darker(150), 1.5));
                    p.setBrush(g);
                    p.drawEllipse(c, d / 2 + 18, d / 2);
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(255, 255, 255, 120));
                    p.drawEllipse(QRectF(c.x() - d / 2 - 6, c.y() - d / 2 + 3, d * 0.9, d * 0.28));
                    pictogram(p, QLatin1String(item.name), QRectF(c.x() - 15, c.y() - 14, 30, 28), Qt::white);
                    Rng rng(qHash(QLatin1String(item.name)));
                    for (int i = 0; i < 7; ++i) {
                        const bool left = i % 2;
                        const QPointF at(left ? rng.range(r.left() + 8, c.x() - d / 2 - 22)
                                              : rng.range(c.x() + d / 2 + 22, r.right() - 8),
                            rng.range(r.top() + 8, r.bottom() - 8));
                        heart(p, at, rng.range(5, 9), alpha(item.sweet, 200));
                    }
                });
        }
    }
};

} // namespace

std::unique_ptr<Designer> makeTagada(const Look& look)
{
    return std::make_unique<Tagada>(look);
}

} // namespace gen
