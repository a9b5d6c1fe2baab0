#include "canvas.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <cmath>

namespace gen {

namespace {

QString outDir;
QStringList names;

void write(const QString& name, QSize size, const Draw& draw, bool opaque)
{
    const QFileInfo info(name);
    const QString dense = (info.path() == QLatin1String(".") ? QString() : info.path() + QLatin1Char('/'))
        + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
    for (int scale : {1, 2}) {
        QImage image(size * scale, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        image.fill(opaque ? Qt::black : Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.scale(scale, scale);
            draw(p);
        }
        const QString file = scale == 1 ? name : dense;
        const QString path = outDir + QLatin1Char('/') + file;
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!image.save(path, opaque ? "JPG" : "PNG", opaque ? 92 : -1))
            qFatal("cannot write %s", qPrintable(path));
        names << file;
    }
}

} // namespace

void setOutput(const QString& folder)
{
    outDir = folder;
    QDir().mkpath(outDir);
}

QStringList written()
{
    return names;
}

void picture(const QString& name, QSize size, const Draw& draw)
{
    write(name, size, draw, false);
}

void photo(const QString& name, QSize size, const Draw& draw)
{
    write(name, size, draw, true);
}

const char* stateName(State s)
{
    switch (s) {
    case State::Actif: return "actif";
    case State::Survol: return "survol";
    case State::Enfonce: return "enfonce";
    case State::EnfonceSurvol: return "enfoncesurvol";
    case State::Inactif: return "inactif";
    }
    return "";
}

bool pressed(State s)
{
    return s == State::Enfonce || s == State::EnfonceSurvol;
}

const Shade& Shades::operator[](State s) const
{
    switch (s) {
    case State::Survol: return hover;
    case State::Enfonce: return pressed;
    case State::EnfonceSurvol: return pressedHover;
    case State::Inactif: return disabled;
    case State::Actif: break;
    }
    return rest;
}

void gloss(QPainter& p, const QRectF& cap, int topAlpha, int bottomAlpha)
{
    QLinearGradient shine(cap.topLeft(), cap.bottomLeft());
    shine.setColorAt(0, QColor(255, 255, 255, topAlpha));
    shine.setColorAt(1, QColor(255, 255, 255, bottomAlpha));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(cap, cap.height() / 2, cap.height() / 2);
}

void fillDown(QPainter& p, const QRectF& r, const QGradientStops& stops)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setStops(stops);
    p.fillRect(r, g);
}

void outline(QPainter& p, const QRectF& r, const QColor& ink, qreal width)
{
    const qreal in = width / 2;
    p.setPen(QPen(ink, width));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(in, in, -in, -in));
}

void shadeWith(QPainter& p, const Shade& shade, QPointF start, QPointF end, qreal rimWidth)
{
    QLinearGradient g(start, end);
    g.setColorAt(0, shade.from);
    g.setColorAt(1, shade.to);
    p.setPen(QPen(shade.rim, rimWidth));
    p.setBrush(g);
}

QFont font(const char* family, qreal pixels, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(qRound(pixels));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QColor rgb(unsigned v)
{
    return QColor::fromRgb(v);
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
        float(a.greenF() + (b.greenF() - a.greenF()) * t), float(a.blueF() + (b.blueF() - a.blueF()) * t),
        float(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor alpha(QColor c, int a)
{
    c.setAlpha(a);
    return c;
}

double Rng::next()
{
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) / double(1u << 24);
}

QPainterPath corners(const QRectF& r, qreal tl, qreal tr, qreal br, qreal bl)
{
    QPainterPath path;
    path.moveTo(r.left() + tl, r.top());
    path.lineTo(r.right() - tr, r.top());
    path.arcTo(QRectF(r.right() - 2 * tr, r.top(), 2 * tr, 2 * tr), 90, -90);
    path.lineTo(r.right(), r.bottom() - br);
    path.arcTo(QRectF(r.right() - 2 * br, r.bottom() - 2 * br, 2 * br, 2 * br), 0, -90);
    path.lineTo(r.left() + bl, r.bottom());
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * bl, 2 * bl, 2 * bl), 270, -90);
    path.lineTo(r.left(), r.top() + tl);
    path.arcTo(QRectF(r.left(), r.top(), 2 * tl, 2 * tl), 180, -90);
    path.closeSubpath();
    return path;
}

QPainterPath chamfered(const QRectF& r, qreal cut)
{
    QPainterPath path;
    path.moveTo(r.left() + cut, r.top());
    path.lineTo(r.right() - cut, r.top());
    path.lineTo(r.right(), r.top() + cut);
    path.lineTo(r.right(), r.bottom() - cut);
    path.lineTo(r.right() - cut, r.bottom());
    path.lineTo(r.left() + cut, r.bottom());
    path.lineTo(r.left(), r.bottom() - cut);
    path.lineTo(r.left(), r.top() + cut);
    path.closeSubpath();
    return path;
}

void label(QPainter& p, const QRectF& box, const QString& text, const QFont& f, const QColor& ink)
{
    p.save();
    p.setFont(f);
    p.setPen(ink);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

namespace {

void speaker(QPainter& p, const QRectF& r, const QColor& ink)
{
    const qreal cy = r.center().y();
    const qreal u = r.height() / 25.0;
    QPainterPath path;
    path.moveTo(r.left() + 3 * u, cy - 4 * u);
    path.lineTo(r.left() + 8 * u, cy - 4 * u);
    path.lineTo(r.left() + 14 * u, cy - 9 * u);
    path.lineTo(r.left() + 14 * u, cy + 9 * u);
    path.lineTo(r.left() + 8 * u, cy + 4 * u);
    path.lineTo(r.left() + 3 * u, cy + 4 * u);
    path.closeSubpath();
    p.setPen(QPen(ink, 1.2 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink);
    p.drawPath(path);
}

} // namespace

void glyph(QPainter& p, Glyph g, const QRectF& r, const QColor& ink, qreal weight)
{
    p.save();
    const qreal u = r.height() / 25.0; // the glyphs are designed on a 25-pixel box
    const QPointF c = r.center();
    const QPen line(ink, weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (g) {
    case Glyph::Play: {
        QPainterPath path;
        path.moveTo(r.left() + 7 * u, r.top() + 4 * u);
        path.lineTo(r.right() - 4 * u, c.y());
        path.lineTo(r.left() + 7 * u, r.bottom() - 4 * u);
        path.closeSubpath();
        p.setPen(QPen(ink, 1.5 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(ink);
        p.drawPath(path);
        break;
    }
    case Glyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(r.adjusted(6 * u, 6 * u, -6 * u, -6 * u), 2 * u, 2 * u);
        break;
    case Glyph::Pause:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(
            QRectF(r.left() + 6 * u, r.top() + 5 * u, 5 * u, r.height() - 10 * u), 1.5 * u, 1.5 * u);
        p.drawRoundedRect(
            QRectF(r.right() - 11 * u, r.top() + 5 * u, 5 * u, r.height() - 10 * u), 1.5 * u, 1.5 * u);
        break;
    case Glyph::Sound:
    case Glyph::Mute:
        speaker(p, r, ink);
        p.setBrush(Qt::NoBrush);
        p.setPen(line);
        if (g == Glyph::Mute) {
            p.drawLine(QPointF(r.left() + 17 * u, c.y() - 4 * u), QPointF(r.left() + 23 * u, c.y() + 4 * u));
            p.drawLine(QPointF(r.left() + 23 * u, c.y() - 4 * u), QPointF(r.left() + 17 * u, c.y() + 4 * u));
        } else {
            p.drawArc(QRectF(r.left() + 8 * u, c.y() - 6 * u, 12 * u, 12 * u), -50 * 16, 100 * 16);
            p.drawArc(QRectF(r.left() + 6 * u, c.y() - 10 * u, 20 * u, 20 * u), -50 * 16, 100 * 16);
        }
        break;
    case Glyph::FullScreen: {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const QRectF b = r.adjusted(4 * u, 5 * u, -4 * u, -5 * u);
        const qreal k = 6 * u;
        const auto corner = [&](QPointF a, QPointF m, QPointF z) { p.drawPolyline(QPolygonF({a, m, z})); };
        corner({b.left(), b.top() + k}, b.topLeft(), {b.left() + k, b.top()});
        corner({b.right() - k, b.top()}, b.topRight(), {b.right(), b.top() + k});
        corner({b.right(), b.bottom() - k}, b.bottomRight(), {b.right() - k, b.bottom()});
        corner({b.left() + k, b.bottom()}, b.bottomLeft(), {b.left(), b.bottom() - k});
        break;
    }
    case Glyph::Mail: {
        const QRectF b = r.adjusted(2 * u, 6 * u, -2 * u, -5 * u);
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(b, 2 * u, 2 * u);
        p.drawPolyline(QPolygonF({b.topLeft() + QPointF(u, u), QPointF(c.x(), b.center().y() + u),
            b.topRight() + QPointF(-u, u)}));
        break;
    }
    case Glyph::Gear: {
        QPainterPath gear;
        const int teeth = 8;
        for (int i = 0; i < teeth * 4; ++i) {
            const double a = M_PI * 2 * (i + 0.5) / (teeth * 4);
            const double rad = ((i / 2) % 2 == 0 ? 11.0 : 8.0) * u;
            const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
            i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
        }
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(c, 3.8 * u, 3.8 * u);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(gear.subtracted(hole));
        break;
    }
    case Glyph::Close:
        p.setPen(line);
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
        break;
    case Glyph::Minimise:
        p.setPen(line);
        p.drawLine(QPointF(r.left(), r.bottom()), r.bottomRight());
        break;
    case Glyph::Maximise:
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.drawLine(r.topLeft() + QPointF(0, weight * 0.8), r.topRight() + QPointF(0, weight * 0.8));
        break;
    case Glyph::Restore: {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const qreal d = r.width() / 3.0;
        p.drawRect(QRectF(r.left(), r.top() + d, r.width() - d, r.height() - d));
        p.drawPolyline(QPolygonF({QPointF(r.left() + d, r.top() + d), QPointF(r.left() + d, r.top()),
            r.topRight(), QPointF(r.right(), r.bottom() - d), QPointF(r.right() - d, r.bottom() - d)}));
        break;
    }
    }
    p.restore();
}

} // namespace gen
