// Basic, the default look: a dark slate window, soft azure light, pill
// buttons with a hairline rim.
#include "designs.h"

namespace gen {

namespace {

// The pressed buttons' body.
const QColor Blue(0x28, 0x7F, 0xD2);
const QColor DeepBlue(0x1A, 0x5C, 0xA6);

class Basic : public Designer {
public:
    using Designer::Designer;

protected:
    QColor azure() const { return QColor(0x2F, 0x9C, 0xF0); }
    // A body under the pointer: lighter, with an azure rim.
    Shade lit(const Shade& rest) const { return {rest.from.lighter(125), rest.to.lighter(125), azure()}; }

    void card(QPainter& p, const QRectF& r, qreal radius) const
    {
        QPainterPath path;
        path.addRoundedRect(r, radius, radius);
        softShadow(p, path, 4, 90);
        p.setPen(QPen(rgb(ink_.cardBorder), 1));
        p.setBrush(rgb(ink_.card));
        p.drawPath(path);
    }

    void background(QPainter& p) override
    {
        const qreal w = look_.width, h = zv::themes::Height;
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, QColor(0x1A, 0x20, 0x2D));
        g.setColorAt(1, QColor(0x0A, 0x0D, 0x13));
        p.fillRect(QRectF(0, 0, w, h), g);
        // Soft light from the upper left, and fine diagonal lines.
        QRadialGradient glow(QPointF(w * 0.28, 60), w * 0.6);
        glow.setColorAt(0, alpha(azure(), 46));
        glow.setColorAt(1, Qt::transparent);
        p.fillRect(QRectF(0, 0, w, h), glow);
        p.setPen(QPen(QColor(255, 255, 255, 6), 1));
        for (int x = -int(h); x < int(w); x += 7)
            p.drawLine(QPointF(x, h), QPointF(x + h, 0));

        // Title band with its azure line.
        p.fillRect(QRectF(0, 0, w, 31), rgb(ink_.titleBand));
        QLinearGradient line(0, 0, w, 0);
        line.setColorAt(0, Qt::transparent);
        line.setColorAt(0.25, azure());
        line.setColorAt(0.75, azure());
        line.setColorAt(1, Qt::transparent);
        p.fillRect(QRectF(0, 31, w, 1), line);

        // The ticker strip and its tag.
        const QRectF strip = rectOf(lay_.strip);
        p.setPen(QPen(rgb(ink_.cardBorder), 1));
        p.setBrush(rgb(ink_.strip));
        p.drawRoundedRect(strip.adjusted(0.5, 0.5, -0.5, -0.5), 13, 13);
        const QRectF tag(strip.left() + 3, strip.top() + 3, 76, 20);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1F, 0x6F, 0xC0));
        p.drawRoundedRect(tag, 10, 10);
        label(p, tag, QStringLiteral("INFOS"), font(look_.type.family, 10), Qt::white);

        // A rail under the section buttons.
        const Box& first = lay_.buttons[0];
        const Box& last = lay_.buttons[7];
        p.setPen(QPen(QColor(255, 255, 255, 14), 1));
        p.setBrush(QColor(255, 255, 255, 8));
        p.drawRoundedRect(QRectF(first.left - 5, first.top - 5, last.right() - first.left + 11, 35), 17, 17);

        card(p, rectOf(lay_.pub).adjusted(-3, -3, 3, 3), 6);
        card(p, rectOf(lay_.player).adjusted(-3, -3, 3, 3), 8);
        card(p, rectOf(lay_.list).adjusted(-3, -3, 3, 3), 8);

        // Bottom bar.
        const QRectF bar = rectOf(lay_.bar);
        QPainterPath barPath = corners(bar, 12, 12, 0, 0);
        p.setPen(QPen(rgb(ink_.cardBorder), 1));
        p.setBrush(rgb(ink_.bar));
        p.drawPath(barPath);
    }

    void sectionButton(QPainter& p, const QRectF& r, State s) override
    {
        const Shade rest{QColor(0x2E, 0x37, 0x49), QColor(0x1E, 0x24, 0x31), QColor(0x3C, 0x47, 0x5D)};
        const Shades shades{rest, lit(rest), {Blue, DeepBlue, QColor(0x4A, 0xA8, 0xF5)},
            {Blue, DeepBlue, QColor(0x8C, 0xCB, 0xFF)}, rest};
        const qreal radius = (r.height() - 1) / 2;
        shadeWith(p, shades[s], r.topLeft(), r.bottomLeft(), 1);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        p.setPen(QPen(QColor(255, 255, 255, pressed(s) ? 70 : 34), 1));
        p.drawLine(QPointF(r.left() + radius, r.top() + 1.5), QPointF(r.right() - radius, r.top() + 1.5));
    }

    void squareButton(QPainter& p, const QRectF& r, State s) override
    {
        const Shade rest{QColor(0x2E, 0x37, 0x49), QColor(0x1C, 0x22, 0x2E), QColor(0x3C, 0x47, 0x5D)};
        const Shade down{Blue, DeepBlue, QColor(0x4A, 0xA8, 0xF5)};
        const Shades shades{rest, lit(rest), down, down,
            {QColor(0x1E, 0x24, 0x30), QColor(0x18, 0x1D, 0x27), QColor(0x2A, 0x31, 0x40)}};
        shadeWith(p, shades[s], r.topLeft(), r.bottomLeft(), 1);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }

    QColor squareInk(State s) const override
    {
        return s == State::Inactif ? QColor(0x6A, 0x74, 0x86) : QColor(0xF2, 0xF5, 0xFA);
    }

    void windowButton(QPainter& p, const QRectF& r, State s, bool close) override
    {
        QColor body = QColor(255, 255, 255, 16);
        if (s != State::Actif)
            body = close ? QColor(0xD9, 0x3A, 0x2E) : QColor(0x1F, 0x6F, 0xC0);
        if (s == State::Enfonce)
            body = body.darker(125);
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
        glyph(
            p, close ? Glyph::Close : Glyph::Minimise, QRectF(7.5, 6.5, 8, 8), QColor(0xF2, 0xF5, 0xFA), 1.8);
    }

    void track(QPainter& p, const QRectF& r) override
    {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 50));
        p.drawRoundedRect(QRectF(r.left(), r.center().y() - 2, r.width(), 4), 2, 2);
    }

    void knob(QPainter& p, const QRectF&, State s) override
    {
        QColor c = s == State::Inactif ? QColor(0x5A, 0x63, 0x74)
                                       : (s == State::Survol ? azure().lighter(125) : azure());
        QLinearGradient g(0, 0, 0, 21);
        g.setColorAt(0, c.lighter(115));
        g.setColorAt(1, c.darker(125));
        p.setPen(QPen(QColor(0, 0, 0, 110), 1));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1.5, 2.5, 8, 16), 4, 4);
    }

    void logo(QPainter& p, const QRectF& r) override
    {
        // The mark: a rounded square with a "Z" stroke, then the name.
        const qreal m = qMin(r.height() - 16, 44.0);
        const QRectF mark(r.left() + 4, r.center().y() - m / 2, m, m);
        QLinearGradient g(mark.topLeft(), mark.bottomRight());
        g.setColorAt(0, azure().lighter(120));
        g.setColorAt(1, QColor(0x12, 0x4E, 0x94));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(mark, m / 4, m / 4);
        const qreal k = m / 4;
        p.setPen(QPen(Qt::white, m / 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({mark.topLeft() + QPointF(k, k), mark.topRight() + QPointF(-k, k),
            mark.bottomLeft() + QPointF(k, -k), mark.bottomRight() + QPointF(-k, -k)}));
        const QRectF text(mark.right() + 8, r.top(), r.right() - mark.right() - 8, r.height());
        p.setPen(QColor(0xF2, 0xF5, 0xFA));
        p.setFont(font("DejaVu Sans", 24));
        const qreal baseline = mark.top() + m * 0.62;
        p.drawText(QPointF(text.left(), baseline), QStringLiteral("zevalo"));
        QFont small = font("DejaVu Sans", 10, false);
        small.setLetterSpacing(QFont::AbsoluteSpacing, 2.2);
        p.setFont(small);
        p.setPen(azure().lighter(130));
        p.drawText(QPointF(text.left() + 1, baseline + 14), QStringLiteral("MULTIMÉDIA"));
    }

    void gameButton(QPainter& p, const QRectF& r, Glyph g, State s) override
    {
        // On the slate title bar (RGB 323D43).
        QColor body(0x45, 0x52, 0x5A);
        if (s == State::Survol)
            body = g == Glyph::Close ? QColor(0xD9, 0x3A, 0x2E) : QColor(0x1F, 0x6F, 0xC0);
        else if (s == State::Enfonce)
            body = g == Glyph::Close ? QColor(0xA8, 0x22, 0x18) : QColor(0x17, 0x55, 0x95);
        p.setPen(Qt::NoPen);
        p.setBrush(body);
        p.drawRoundedRect(r, 2.5, 2.5);
        glyph(p, g, r.adjusted(3.2, 3.2, -3.2, -3.2), Qt::white, 1.3);
    }

    void sponsorBackground(QPainter& p, const QRectF& r) override
    {
        fillDown(p, r, {{0, rgb(0x1A202D)}, {1, rgb(0x0B0E14)}});
        p.fillRect(QRectF(0, 0, r.width(), 32), rgb(ink_.titleBand));
        p.fillRect(QRectF(0, 32, r.width(), 1), azure());
        for (qreal y : {35.0, 105.0}) {
            p.setPen(QPen(rgb(ink_.cardBorder), 1));
            p.setBrush(rgb(ink_.card));
            p.drawRoundedRect(QRectF(5.5, y - 0.5, 472, 62), 3, 3);
        }
        outline(p, r, rgb(ink_.cardBorder), 1);
    }
};

} // namespace

std::unique_ptr<Designer> makeBasic(const Look& look)
{
    return std::make_unique<Basic>(look);
}

} // namespace gen
