// Moon: a night sky over sleeping hills, the full moon rising right of the ad
// band; panels framed like silver plates with cut corners, brushed silver
// buttons, captions in small capitals.
#include "designs.h"

#include <cmath>

namespace gen {

namespace {

const QColor Navy(0x0A, 0x1A, 0x3F);
const QColor Silver(0xC9, 0xD1, 0xDE);
const QColor Frame(0x7D, 0x89, 0xA3);

class Moon : public Designer {
public:
    using Designer::Designer;

protected:
    qreal glyphWeight() const override { return 2.0; }

    void sky(QPainter& p, const QRectF& r, unsigned seed, int stars) const
    {
        fillDown(p, r, {{0, rgb(0x020820)}, {0.6, rgb(0x081A46)}, {1, rgb(0x102A5E)}});
        // A faint milky way across.
        QLinearGradient band(r.topLeft(), r.bottomRight());
        band.setColorAt(0.3, Qt::transparent);
        band.setColorAt(0.45, QColor(0x8C, 0xA8, 0xE0, 26));
        band.setColorAt(0.6, Qt::transparent);
        p.fillRect(r, band);
        Rng rng(seed);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < stars; ++i) {
            const QPointF at(r.left() + rng.range(0, r.width()), r.top() + rng.range(0, r.height()));
            const qreal size = rng.next() < 0.9 ? rng.range(0.3, 0.9) : rng.range(0.9, 1.6);
            p.setBrush(QColor(0xE8, 0xEE, 0xFF, int(rng.range(80, 255))));
            p.drawEllipse(at, size, size);
            if (size > 1.3) {
                p.setBrush(QColor(0xC8, 0xD8, 0xFF, 60));
                p.drawRect(QRectF(at.x() - 4, at.y() - 0.3, 8, 0.6));
                p.drawRect(QRectF(at.x() - 0.3, at.y() - 4, 0.6, 8));
            }
        }
    }

    void moon(QPainter& p, QPointF c, qreal radius) const
    {
        QRadialGradient halo(c, radius * 2.6);
        halo.setColorAt(0, QColor(0xB8, 0xCC, 0xF0, 90));
        halo.setColorAt(1, Qt::transparent);
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, radius * 2.6, radius * 2.6);
        QRadialGradient disc(c - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
        disc.setColorAt(0, QColor(0xF8, 0xFA, 0xFF));
        disc.setColorAt(1, QColor(0xAE, 0xB8, 0xCC));
        p.setBrush(disc);
        p.drawEllipse(c, radius, radius);
        const struct {
            qreal x, y, r;
        } craters[] = {
            {-0.35, -0.2, 0.22}, {0.25, 0.3, 0.16}, {0.3, -0.35, 0.1}, {-0.1, 0.45, 0.09}, {0.5, 0.0, 0.07}};
        for (const auto& k : craters) {
            const QPointF at = c + QPointF(k.x * radius, k.y * radius);
            QRadialGradient g(at + QPointF(k.r * radius * 0.3, k.r * radius * 0.3), k.r * radius);
            g.setColorAt(0, QColor(0x8C, 0x96, 0xAC, 120));
            g.setColorAt(1, QColor(0x8C, 0x96, 0xAC, 0));
            p.setBrush(g);
            p.drawEllipse(at, k.r * radius, k.r * radius);
        }
    }

    // A silver plate frame: cut corners, a hairline and a second one inside.
    void plate(QPainter& p, const QRectF& r, qreal cut, const QColor& fill) const
    {
        const QPainterPath shape = chamfered(r, cut);
        softShadow(p, shape, 4, 110, {0, 3});
        p.setPen(QPen(Frame, 1));
        p.setBrush(fill);
        p.drawPath(shape);
        p.setPen(QPen(alpha(Frame, 90), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(chamfered(r.adjusted(2.5, 2.5, -2.5, -2.5), cut - 1));
    }

    void background(QPainter& p) override
    {
        const qreal w = look_.width, h = zv::themes::Height;
        sky(p, QRectF(0, 0, w, h), 5, 520);
        const QRectF room = rectOf(lay_.showcase);
        moon(p, QPointF(room.center().x() + 6, room.center().y() - 2), 26);

        p.fillRect(QRectF(0, 0, w, 31), rgb(ink_.titleBand));
        QLinearGradient line(0, 0, w, 0);
        line.setColorAt(0, Qt::transparent);
        line.setColorAt(0.5, Silver);
        line.setColorAt(1, Qt::transparent);
        p.fillRect(QRectF(0, 31, w, 1), line);

        const QRectF strip = rectOf(lay_.strip);
        p.setPen(QPen(Frame, 1));
        p.setBrush(rgb(ink_.strip));
        p.drawPath(chamfered(strip.adjusted(0.5, 0.5, -0.5, -0.5), 7));
        const QRectF tag(strip.left() + 4, strip.top() + 4, 76, 18);
        silver(p, tag, 4, State::Actif);
        QFont caps = font("DejaVu Sans", 9);
        caps.setLetterSpacing(QFont::AbsoluteSpacing, 2);
        label(p, tag, QStringLiteral("INFOS"), caps, Navy);

        plate(p, rectOf(lay_.pub).adjusted(-4, -4, 4, 4), 6, QColor(0x05, 0x0B, 0x1C));
        plate(p, rectOf(lay_.player).adjusted(-5, -5, 5, 5), 10, rgb(ink_.card));
        plate(p, rectOf(lay_.list).adjusted(-5, -5, 5, 5), 10, rgb(ink_.card));

        // The bar: sleeping hills with a few lit windows, then the night.
        const qreal top = lay_.bar.top;
        QPainterPath hills;
        hills.moveTo(0, top + 10);
        for (qreal x = 0; x <= w; x += 20)
            hills.lineTo(x, top + 4 + 6 * std::sin(x / 47.0) + 3 * std::sin(x / 13.0));
        hills.lineTo(w, h);
        hills.lineTo(0, h);
        hills.closeSubpath();
        p.setPen(QPen(alpha(Silver, 70), 1));
        p.setBrush(rgb(ink_.bar));
        p.drawPath(hills);
        Rng rng(21);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 9; ++i) {
            const qreal x = rng.range(10, w - 10);
            p.setBrush(QColor(0xFF, 0xD8, 0x7A, 150));
            p.drawRect(QRectF(x, top + 12 + 6 * std::sin(x / 47.0), 1.5, 1.5));
        }
    }

    void silver(QPainter& p, const QRectF& r, qreal cut, State s) const
    {
        static const Shades shades{{0xEEF1F6, 0xA9B2C4, 0x5B6784}, {0xF8FAFF, 0xC0CADC, 0x9CC3FF},
            {0xE2ECFF, 0xA6BEEA, 0x3A5EA8}, {0xE2ECFF, 0xB4CAF0, 0x3A5EA8}, {0x8A93A6, 0x6C758A, 0x4A546C}};
        const QPainterPath shape = chamfered(r, cut);
        if (s == State::Survol || pressed(s)) {
            p.setPen(QPen(alpha(QColor(0x9C, 0xC3, 0xFF), 90), 3));
            p.setBrush(Qt::NoBrush);
            p.drawPath(shape);
        }
        shadeWith(p, shades[s], r.topLeft(), r.bottomLeft(), 1);
        p.drawPath(shape);
        // The brush marks of the metal.
        p.save();
        p.setClipPath(shape);
        Rng rng(unsigned(r.width() * 7 + r.height()));
        for (qreal y = r.top() + 1; y < r.bottom(); y += 1) {
            p.setPen(QPen(QColor(255, 255, 255, int(rng.range(0, 40))), 0.5));
            p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        }
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.drawLine(QPointF(r.left() + cut, r.top() + 1.5), QPointF(r.right() - cut, r.top() + 1.5));
        p.restore();
    }

    void sectionButton(QPainter& p, const QRectF& r, State s) override
    {
        silver(p, r.adjusted(1.5, 1.5, -1.5, -1.5), 5, s);
    }

    void squareButton(QPainter& p, const QRectF& r, State s) override
    {
        silver(p, r.adjusted(1.5, 1.5, -1.5, -1.5), 9, s);
    }

    QColor squareInk(State s) const override { return s == State::Inactif ? QColor(0x3A, 0x44, 0x5C) : Navy; }

    void windowButton(QPainter& p, const QRectF& r, State s, bool close) override
    {
        const QRectF plateBox = r.adjusted(2.5, 2.5, -2.5, -2.5);
        silver(p, plateBox, 3,
            s == State::Enfonce ? State::Enfonce : (s == State::Survol ? State::Survol : State::Actif));
        const QPointF c = r.center();
        glyph(p, close ? Glyph::Close : Glyph::Minimise, QRectF(c.x() - 3.2, c.y() - 3.2, 6.4, 6.4),
            close && s != State::Actif ? QColor(0xA0, 0x10, 0x20) : Navy, 1.6);
    }

    void track(QPainter& p, const QRectF& r) override
    {
        const qreal y = r.center().y();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x02, 0x06, 0x14));
        p.drawRect(QRectF(r.left(), y - 1.5, r.width(), 3));
        p.setBrush(alpha(Silver, 170));
        p.drawRect(QRectF(r.left(), y + 1.5, r.width(), 0.75));
    }

    void knob(QPainter& p, const QRectF& r, State s) override
    {
        if (s == State::Inactif)
            p.setOpacity(0.5);
        const QPointF c = r.center();
        if (s == State::Survol) {
            QRadialGradient halo(c, 6);
            halo.setColorAt(0, QColor(0x9C, 0xC3, 0xFF, 160));
            halo.setColorAt(1, Qt::transparent);
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(c, 6, 6);
        }
        QRadialGradient disc(c - QPointF(1.2, 1.5), 6);
        disc.setColorAt(0, QColor(0xFA, 0xFC, 0xFF));
        disc.setColorAt(1, QColor(0x9A, 0xA4, 0xBA));
        p.setPen(QPen(Navy, 0.8));
        p.setBrush(disc);
        p.drawEllipse(c, 4.6, 4.6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7C, 0x86, 0x9E, 150));
        p.drawEllipse(c + QPointF(1.2, 1.0), 1.2, 1.2);
    }

    void logo(QPainter& p, const QRectF& r) override
    {
        // A crescent, then the name spaced wide in silver.
        const qreal d = qMin(r.height() - 20, 34.0);
        const QPointF c(r.left() + d / 2 + 4, r.top() + 6 + d / 2);
        QPainterPath crescent;
        crescent.addEllipse(c, d / 2, d / 2);
        QPainterPath bite;
        bite.addEllipse(c + QPointF(d * 0.28, -d * 0.16), d * 0.42, d * 0.42);
        QLinearGradient g(c - QPointF(d / 2, d / 2), c + QPointF(d / 2, d / 2));
        g.setColorAt(0, QColor(0xFA, 0xFC, 0xFF));
        g.setColorAt(1, QColor(0x9A, 0xA4, 0xBA));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(crescent.subtracted(bite));
        p.setBrush(QColor(0xE8, 0xEE, 0xFF));
        p.drawEllipse(c + QPointF(d * 0.45, -d * 0.05), 1.3, 1.3);
        QFont name = font("DejaVu Sans", 17, false);
        name.setLetterSpacing(QFont::AbsoluteSpacing, 2.5);
        name.setCapitalization(QFont::AllUppercase);
        QFontMetricsF fm(name);
        if (fm.horizontalAdvance(QStringLiteral("zevalo")) > r.right() - c.x() - d / 2 - 4) {
            name.setPixelSize(14);
            name.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
        }
        p.setFont(name);
        QLinearGradient metal(0, r.top(), 0, r.top() + 40);
        metal.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        metal.setColorAt(1, QColor(0xAE, 0xB8, 0xCC));
        p.setPen(QPen(QBrush(metal), 1));
        p.drawText(QRectF(c.x() + d / 2 + 4, r.top() + 6, r.width(), d), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("zevalo"));
        QFont small = font("DejaVu Sans", 8, false);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 3);
        p.setFont(small);
        p.setPen(Silver);
        p.drawText(
            QRectF(r.left(), r.bottom() - 13, r.width(), 12), Qt::AlignCenter, QStringLiteral("MULTIMÉDIA"));
    }

    void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) override
    {
        silver(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 2.5, s == State::Actif ? State::Actif : s);
        glyph(p, g, r.adjusted(r.width() * 0.3, r.height() * 0.3, -r.width() * 0.3, -r.height() * 0.3),
            g == Glyph::Close && s != State::Actif ? QColor(0xA0, 0x10, 0x20) : Navy, 1.3);
    }

    void sponsorBackground(QPainter& p, const QRectF& r) override
    {
        sky(p, r, 13, 160);
        moon(p, QPointF(r.right() - 30, 190), 14);
        p.fillRect(QRectF(0, 0, r.width(), 32), rgb(ink_.titleBand));
        p.fillRect(QRectF(0, 32, r.width(), 1), alpha(Silver, 160));
        for (qreal y : {36.0, 106.0})
            plate(p, QRectF(3.5, y - 3.5, 476, 67), 5, rgb(ink_.card));
        outline(p, r, Frame, 1);
    }
};

} // namespace

std::unique_ptr<Designer> makeMoon(const Look& look)
{
    return std::make_unique<Moon>(look);
}

} // namespace gen
