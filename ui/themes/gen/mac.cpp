// Mac fashion: light brushed metal, glossy aqua capsules, traffic-light window
// buttons and an LCD strip for the ticker.
#include "designs.h"

namespace gen {

namespace {

const QColor Graphite(0x2B, 0x2B, 0x2B);

class Mac : public Designer {
public:
    using Designer::Designer;

protected:
    void brushed(QPainter& p, const QRectF& r, unsigned seed) const
    {
        fillDown(p, r, {{0, rgb(0xEAEAEA)}, {1, rgb(0xC6C6C6)}});
        // A broad sheen across, then the fine streaks of the brush.
        QLinearGradient sheen(r.topLeft(), r.topRight());
        sheen.setColorAt(0, QColor(255, 255, 255, 0));
        sheen.setColorAt(0.35, QColor(255, 255, 255, 60));
        sheen.setColorAt(0.6, QColor(255, 255, 255, 0));
        sheen.setColorAt(0.85, QColor(255, 255, 255, 35));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(r, sheen);
        Rng rng(seed);
        for (qreal y = r.top(); y < r.bottom(); y += 0.5) {
            const bool light = rng.next() < 0.5;
            const int a = int(rng.range(4, 22));
            const qreal x0 = r.left() + rng.range(-200, r.width() * 0.6);
            const qreal len = rng.range(r.width() * 0.3, r.width());
            p.setPen(QPen(light ? QColor(255, 255, 255, a) : QColor(0, 0, 0, a / 2), 0.5));
            p.drawLine(QPointF(x0, y), QPointF(x0 + len, y));
        }
    }

    // A recessed well cut into the metal.
    void well(QPainter& p, const QRectF& r, qreal radius, const QColor& fill) const
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 2), radius + 1, radius + 1);
        p.setPen(QPen(QColor(0x8E, 0x8E, 0x8E), 1));
        p.setBrush(fill);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        QLinearGradient in(r.topLeft(), QPointF(r.left(), r.top() + 5));
        in.setColorAt(0, QColor(0, 0, 0, 45));
        in.setColorAt(1, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(in);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius, radius);
    }

    void background(QPainter& p) override
    {
        const qreal w = look_.width, h = zv::themes::Height;
        brushed(p, QRectF(0, 0, w, h), 3);

        // The title band, a little darker, with its hairlines.
        p.fillRect(QRectF(0, 0, w, 30), alpha(rgb(ink_.titleBand), 150));
        p.fillRect(QRectF(0, 30, w, 1), QColor(0x9A, 0x9A, 0x9A));
        p.fillRect(QRectF(0, 31, w, 1), QColor(255, 255, 255, 190));

        // The LCD of the ticker.
        const QRectF strip = rectOf(lay_.strip);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawRoundedRect(strip.adjusted(-1, -1, 1, 2), 7, 7);
        QLinearGradient bezel(strip.topLeft(), strip.bottomLeft());
        bezel.setColorAt(0, QColor(0x6E, 0x6E, 0x6E));
        bezel.setColorAt(1, QColor(0xA8, 0xA8, 0xA8));
        p.setBrush(bezel);
        p.drawRoundedRect(strip, 6, 6);
        const QRectF lcd = strip.adjusted(2, 2, -2, -2);
        QLinearGradient glass(lcd.topLeft(), lcd.bottomLeft());
        glass.setColorAt(0, QColor(0xEC, 0xEF, 0xDB));
        glass.setColorAt(1, rgb(ink_.strip));
        p.setBrush(glass);
        p.drawRoundedRect(lcd, 4.5, 4.5);
        const QColor olive = rgb(look_.tickerText);
        QPainterPath play;
        const QPointF pc(lcd.left() + 14, lcd.center().y());
        play.moveTo(pc + QPointF(-4, -5));
        play.lineTo(pc + QPointF(5, 0));
        play.lineTo(pc + QPointF(-4, 5));
        play.closeSubpath();
        p.setBrush(olive);
        p.drawPath(play);
        QFont tag = font("DejaVu Sans", 10);
        tag.setLetterSpacing(QFont::AbsoluteSpacing, 1);
        p.setFont(tag);
        p.setPen(olive);
        p.drawText(QRectF(lcd.left() + 24, lcd.top(), 56, lcd.height()), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("INFOS"));
        p.fillRect(QRectF(lay_.tickerText.left - 4, lcd.top() + 4, 1, lcd.height() - 8), alpha(olive, 90));

        well(p, rectOf(lay_.pub).adjusted(-3, -3, 3, 3), 5, QColor(0xB8, 0xB8, 0xB8));
        well(p, rectOf(lay_.player).adjusted(-4, -4, 4, 4), 7, rgb(ink_.card));
        well(p, rectOf(lay_.list).adjusted(-4, -4, 4, 4), 7, rgb(ink_.card));

        // The bottom toolbar.
        const QRectF bar(0, lay_.bar.top, w, h - lay_.bar.top);
        fillDown(p, bar, {{0, rgb(0xD2D2D2)}, {1, rgb(ink_.bar)}});
        p.fillRect(QRectF(0, bar.top(), w, 1), QColor(0x8E, 0x8E, 0x8E));
        p.fillRect(QRectF(0, bar.top() + 1, w, 1), QColor(255, 255, 255, 200));
    }

    // A glossy capsule: graphite white when up, aqua blue when pressed.
    void aqua(QPainter& p, const QRectF& r, qreal radius, State s) const
    {
        // The body's colour, then the glow it shades to at the bottom.
        static const Shades shades{{0xD6D6D6, 0xF7F7F7, 0x8A8A8A}, {0xC8E0F8, 0xEEF6FF, 0x5A8CC8},
            {0x4C9AEA, 0xA8DAFF, 0x2A5FA8}, {0x5CA8F2, 0xA8DAFF, 0x2A5FA8}, {0xDADADA, 0xEAEAEA, 0xA8A8A8}};
        const QColor& base = shades[s].from;
        const QColor& glow = shades[s].to;
        const QColor& rim = shades[s].rim;
        QPainterPath shape;
        shape.addRoundedRect(r, radius, radius);
        softShadow(p, shape, 2, 50, {0, 1});
        QLinearGradient body(r.topLeft(), r.bottomLeft());
        body.setColorAt(0, base.lighter(108));
        body.setColorAt(0.5, base);
        body.setColorAt(1, glow);
        p.setPen(QPen(rim, 1));
        p.setBrush(body);
        p.drawPath(shape);
        if (s != State::Inactif) {
            // The gloss on the upper half.
            const QRectF cap(r.left() + radius * 0.5, r.top() + 1.5, r.width() - radius, r.height() * 0.45);
            gloss(p, cap, 235, 70);
        }
    }

    void sectionButton(QPainter& p, const QRectF& r, State s) override
    {
        const QRectF body = r.adjusted(0.5, 0.5, -0.5, -1.5);
        aqua(p, body, body.height() / 2, s);
    }

    void squareButton(QPainter& p, const QRectF& r, State s) override
    {
        aqua(p, r.adjusted(1, 1, -1, -2), 11, s);
    }

    QColor squareInk(State s) const override
    {
        return s == State::Inactif ? QColor(0x90, 0x90, 0x90)
                                   : (pressed(s) ? QColor(0x0A, 0x1E, 0x3C) : Graphite);
    }

    void light(QPainter& p, QPointF c, qreal radius, const QColor& col, const QColor& rim) const
    {
        QRadialGradient g(c + QPointF(0, radius * 0.5), radius * 1.2);
        g.setColorAt(0, col.lighter(125));
        g.setColorAt(1, col);
        p.setPen(QPen(rim, 1));
        p.setBrush(g);
        p.drawEllipse(c, radius, radius);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 150));
        p.drawEllipse(QRectF(c.x() - radius * 0.55, c.y() - radius * 0.85, radius * 1.1, radius * 0.75));
    }

    void windowButton(QPainter& p, const QRectF& r, State s, bool close) override
    {
        const QColor col = close ? QColor(0xFF, 0x5F, 0x57) : QColor(0xFE, 0xBC, 0x2E);
        const QColor rim = close ? QColor(0xC8, 0x3A, 0x32) : QColor(0xC8, 0x8C, 0x12);
        light(p, r.center(), 6.5, s == State::Enfonce ? col.darker(120) : col, rim);
        if (s != State::Actif) {
            const QPointF c = r.center();
            glyph(p, close ? Glyph::Close : Glyph::Minimise, QRectF(c.x() - 2.8, c.y() - 2.8, 5.6, 5.6),
                close ? QColor(0x6A, 0x0A, 0x05) : QColor(0x6A, 0x42, 0x00), 1.4);
        }
    }

    void track(QPainter& p, const QRectF& r) override
    {
        const QRectF groove(r.left(), r.center().y() - 2, r.width(), 4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 180));
        p.drawRoundedRect(groove.translated(0, 1), 2, 2);
        QLinearGradient g(groove.topLeft(), groove.bottomLeft());
        g.setColorAt(0, QColor(0x70, 0x70, 0x70));
        g.setColorAt(1, QColor(0xA0, 0xA0, 0xA0));
        p.setBrush(g);
        p.drawRoundedRect(groove, 2, 2);
    }

    void knob(QPainter& p, const QRectF&, State s) override
    {
        const QRectF bead(1, 2, 9, 17);
        aqua(p, bead, 4.5, s == State::Inactif ? State::Inactif : State::Enfonce);
        if (s == State::Survol) {
            p.setPen(QPen(QColor(0x2A, 0x5F, 0xA8), 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(bead, 4.5, 4.5);
        }
    }

    void logo(QPainter& p, const QRectF& r) override
    {
        // An aqua orb holding the "Z", then the name engraved in the metal.
        const qreal d = qMin(r.height() - 14, 40.0);
        const QPointF c(r.left() + d / 2 + 2, r.center().y() - 4);
        QRadialGradient g(c + QPointF(0, d * 0.3), d * 0.7);
        g.setColorAt(0, QColor(0x9C, 0xD4, 0xFF));
        g.setColorAt(1, QColor(0x1E, 0x6C, 0xD0));
        p.setPen(QPen(QColor(0x1A, 0x4E, 0x96), 1));
        p.setBrush(g);
        p.drawEllipse(c, d / 2, d / 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 190));
        p.drawEllipse(QRectF(c.x() - d * 0.32, c.y() - d * 0.46, d * 0.64, d * 0.36));
        label(p, QRectF(c.x() - d / 2, c.y() - d / 2 + 1, d, d), QStringLiteral("Z"),
            font("DejaVu Sans", d * 0.55), Qt::white);
        QFont name = font("DejaVu Sans", 15);
        const QRectF text(c.x() + d / 2 + 5, r.top(), r.right() - c.x() - d / 2 - 5, r.height() - 8);
        p.setFont(name);
        p.setPen(QColor(255, 255, 255, 210));
        p.drawText(text.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("zevalo"));
        p.setPen(QColor(0x3A, 0x3A, 0x3A));
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("zevalo"));
        QFont small = font("DejaVu Sans", 8, false);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
        p.setFont(small);
        p.setPen(QColor(0x4A, 0x4A, 0x4A));
        p.drawText(
            QRectF(r.left(), r.bottom() - 12, r.width(), 12), Qt::AlignCenter, QStringLiteral("MULTIMÉDIA"));
    }

    void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) override
    {
        // Traffic lights on the silver title bar.
        const QColor col = g == Glyph::Close ? QColor(0xFF, 0x5F, 0x57) : QColor(0x28, 0xC8, 0x40);
        const QColor rim = g == Glyph::Close ? QColor(0xC8, 0x3A, 0x32) : QColor(0x14, 0x8A, 0x26);
        const qreal radius = qMin(r.width(), r.height()) / 2 - 1;
        light(p, r.center(), radius, s == State::Enfonce ? col.darker(120) : col, rim);
        if (s != State::Actif) {
            const qreal k = radius * 0.45;
            glyph(p, g, QRectF(r.center().x() - k, r.center().y() - k, 2 * k, 2 * k),
                QColor(0x30, 0x10, 0x08), 1.3);
        }
    }

    void sponsorBackground(QPainter& p, const QRectF& r) override
    {
        brushed(p, r, 7);
        p.fillRect(QRectF(0, 0, r.width(), 32), alpha(rgb(ink_.titleBand), 150));
        p.fillRect(QRectF(0, 32, r.width(), 1), QColor(0x9A, 0x9A, 0x9A));
        p.fillRect(QRectF(0, 33, r.width(), 1), QColor(255, 255, 255, 190));
        for (qreal y : {36.0, 106.0})
            well(p, QRectF(5, y - 2, 473, 64), 4, QColor(0xB8, 0xB8, 0xB8));
        outline(p, r, QColor(0x8E, 0x8E, 0x8E), 1);
    }
};

} // namespace

std::unique_ptr<Designer> makeMac(const Look& look)
{
    return std::make_unique<Mac>(look);
}

} // namespace gen
