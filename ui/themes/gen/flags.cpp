// The flags of the channel lists and the "new" badge of the clips: the same
// pictures in every theme.
#include "canvas.h"

#include <QList>
#include <cmath>

namespace gen {

namespace {

void stripesH(QPainter& p, const QList<QColor>& cols, const QRect& r = QRect(0, 2, 16, 12))
{
    const int n = cols.size();
    for (int i = 0; i < n; ++i) {
        const int y0 = r.top() + r.height() * i / n;
        const int y1 = r.top() + r.height() * (i + 1) / n;
        p.fillRect(QRect(r.left(), y0, r.width(), y1 - y0), cols[i]);
    }
}

void stripesV(QPainter& p, const QList<QColor>& cols, const QRect& r = QRect(0, 2, 16, 12))
{
    const int n = cols.size();
    for (int i = 0; i < n; ++i) {
        const int x0 = r.left() + r.width() * i / n;
        const int x1 = r.left() + r.width() * (i + 1) / n;
        p.fillRect(QRect(x0, r.top(), x1 - x0, r.height()), cols[i]);
    }
}

void nordic(QPainter& p, QColor field, QColor cross, QColor inner = QColor())
{
    p.fillRect(QRect(0, 2, 16, 12), field);
    p.fillRect(QRect(4, 2, 4, 12), cross);
    p.fillRect(QRect(0, 6, 16, 4), cross);
    if (inner.isValid()) {
        p.fillRect(QRect(5, 2, 2, 12), inner);
        p.fillRect(QRect(0, 7, 16, 2), inner);
    }
}

// A star of that many tips around c, the first at angle rot, its notches at inner.
QPainterPath spikes(QPointF c, int tips, qreal outer, qreal inner, qreal rot)
{
    QPainterPath path;
    for (int i = 0; i < 2 * tips; ++i) {
        const qreal r = (i % 2 == 0) ? outer : inner;
        const qreal a = rot + M_PI * i / tips;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

// The closed outline through the corners, in order.
QPainterPath polygon(std::initializer_list<QPointF> corners)
{
    QPainterPath path;
    path.moveTo(*corners.begin());
    for (auto it = corners.begin() + 1; it != corners.end(); ++it)
        path.lineTo(*it);
    path.closeSubpath();
    return path;
}

void star(QPainter& p, QPointF c, qreal outer, QColor col, qreal rot = -M_PI / 2)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(spikes(c, 5, outer, outer * 0.42, rot));
}

void unionJack(QPainter& p, const QRect& r)
{
    const QColor blue(0x01, 0x21, 0x69), red(0xC8, 0x10, 0x2E);
    p.fillRect(r, blue);
    p.save();
    p.setClipRect(r);
    p.setPen(QPen(Qt::white, r.height() / 4.0));
    p.drawLine(r.topLeft(), r.bottomRight() + QPoint(1, 1));
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.topRight() + QPoint(1, 0));
    p.setPen(QPen(red, r.height() / 10.0));
    p.drawLine(r.topLeft(), r.bottomRight() + QPoint(1, 1));
    p.drawLine(r.bottomLeft() + QPoint(0, 1), r.topRight() + QPoint(1, 0));
    const int cw = qMax(2, r.height() / 3), rw = qMax(1, r.height() / 5);
    p.fillRect(QRect(r.center().x() - cw / 2, r.top(), cw, r.height()), Qt::white);
    p.fillRect(QRect(r.left(), r.center().y() - cw / 2, r.width(), cw), Qt::white);
    p.fillRect(QRect(r.center().x() - rw / 2, r.top(), rw, r.height()), red);
    p.fillRect(QRect(r.left(), r.center().y() - rw / 2, r.width(), rw), red);
    p.restore();
}

void flag(const char* code, const std::function<void(QPainter&)>& draw)
{
    picture(QStringLiteral("icons/flag_%1.png").arg(QLatin1String(code)), QSize(16, 16), [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        draw(p);
        // A fine dark rim so light flags stand out on a black list.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 0, 0, 70), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 2.5, 15, 11));
    });
}

} // namespace

void flags()
{
    const QColor red(0xD5, 0x2B, 0x1E), white(Qt::white), blue(0x00, 0x38, 0xA8), green(0x00, 0x8C, 0x45),
        yellow(0xFF, 0xCE, 0x00), black(Qt::black), orange(0xFF, 0x88, 0x3E);
    const auto aa = [](QPainter& p) { p.setRenderHint(QPainter::Antialiasing); };
    flag("za", [&](QPainter& p) {
        stripesH(p, {QColor(0xE0, 0x3C, 0x31), QColor(0x00, 0x23, 0x95)});
        aa(p);
        QPainterPath y;
        y.moveTo(0, 2);
        y.lineTo(7, 8);
        y.lineTo(0, 14);
        p.setPen(QPen(white, 5));
        p.drawPath(y);
        p.drawLine(QPointF(7, 8), QPointF(16, 8));
        p.setPen(QPen(QColor(0x00, 0x77, 0x49), 3));
        p.drawPath(y);
        p.drawLine(QPointF(7, 8), QPointF(16, 8));
        p.setPen(QPen(QColor(0xFF, 0xB6, 0x12), 1));
        p.setBrush(black);
        p.drawPath(polygon({{0, 4.5}, {4.2, 8}, {0, 11.5}}));
    });
    flag("de", [&](QPainter& p) { stripesH(p, {black, QColor(0xDD, 0x00, 0x00), yellow}); });
    flag("uk", [&](QPainter& p) { unionJack(p, QRect(0, 2, 16, 12)); });
    flag("ar", [&](QPainter& p) {
        const QColor sky(0x74, 0xAC, 0xDF);
        stripesH(p, {sky, white, sky});
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF6, 0xB4, 0x0E));
        p.drawEllipse(QPointF(8, 8), 1.6, 1.6);
    });
    flag("au", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x01, 0x21, 0x69));
        unionJack(p, QRect(0, 2, 8, 6));
        aa(p);
        star(p, {4, 11.5}, 1.8, white);
        star(p, {12, 5}, 1.2, white);
        star(p, {13.5, 9.5}, 1.2, white);
        star(p, {11, 12}, 1.2, white);
    });
    flag("at", [&](QPainter& p) {
        stripesH(p, {QColor(0xED, 0x29, 0x39), white, QColor(0xED, 0x29, 0x39)});
    });
    flag("be", [&](QPainter& p) {
        stripesV(p, {black, QColor(0xFD, 0xDA, 0x24), QColor(0xEF, 0x33, 0x40)});
    });
    flag("br", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x00, 0x9C, 0x3B));
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xDF, 0x00));
        p.drawPath(polygon({{8, 3}, {15, 8}, {8, 13}, {1, 8}}));
        p.setBrush(QColor(0x00, 0x27, 0x76));
        p.drawEllipse(QPointF(8, 8), 2.8, 2.8);
    });
    flag("ca", [&](QPainter& p) {
        stripesV(p, {red, white, white, red});
        aa(p);
        star(p, {8, 8.2}, 3.2, red);
    });
    flag("cn", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xDE, 0x29, 0x10));
        aa(p);
        star(p, {4, 6}, 2.6, QColor(0xFF, 0xDE, 0x00));
        star(p, {7.5, 3.8}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {8.8, 5.6}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {8.8, 7.8}, 0.9, QColor(0xFF, 0xDE, 0x00));
        star(p, {7.5, 9.4}, 0.9, QColor(0xFF, 0xDE, 0x00));
    });
    flag("es", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xAA, 0x15, 0x1B));
        p.fillRect(QRect(0, 5, 16, 6), QColor(0xF1, 0xBF, 0x00));
    });
    flag("fi", [&](QPainter& p) { nordic(p, white, QColor(0x00, 0x2F, 0x6C)); });
    flag("fr", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x23, 0x95), white, QColor(0xED, 0x29, 0x39)});
    });
    flag("gr", [&](QPainter& p) {
        const QColor gb(0x0D, 0x5E, 0xAF);
        for (int i = 0; i < 9; ++i) {
            const int y0 = 2 + 12 * i / 9, y1 = 2 + 12 * (i + 1) / 9;
            p.fillRect(QRect(0, y0, 16, y1 - y0), i % 2 ? white : gb);
        }
        p.fillRect(QRect(0, 2, 7, 7), gb);
        p.fillRect(QRect(3, 2, 1, 7), white);
        p.fillRect(QRect(0, 5, 7, 1), white);
    });
    flag("nl", [&](QPainter& p) {
        stripesH(p, {QColor(0xAE, 0x1C, 0x28), white, QColor(0x21, 0x46, 0x8B)});
    });
    flag("hu", [&](QPainter& p) {
        stripesH(p, {QColor(0xCE, 0x29, 0x39), white, QColor(0x47, 0x70, 0x50)});
    });
    flag("in", [&](QPainter& p) {
        stripesH(p, {QColor(0xFF, 0x99, 0x33), white, QColor(0x13, 0x88, 0x08)});
        aa(p);
        p.setPen(QPen(QColor(0x00, 0x00, 0x80), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 1.7, 1.7);
    });
    flag("ie", [&](QPainter& p) { stripesV(p, {QColor(0x16, 0x9B, 0x62), white, orange}); });
    flag("il", [&](QPainter& p) {
        const QColor ib(0x00, 0x38, 0xB8);
        p.fillRect(QRect(0, 2, 16, 12), white);
        p.fillRect(QRect(0, 3, 16, 2), ib);
        p.fillRect(QRect(0, 11, 16, 2), ib);
        aa(p);
        p.setPen(QPen(ib, 0.9));
        p.setBrush(Qt::NoBrush);
        QPolygonF up, down;
        for (int i = 0; i < 3; ++i) {
            const qreal a = -M_PI / 2 + 2 * M_PI * i / 3;
            up << QPointF(8 + 2.6 * std::cos(a), 8 + 2.6 * std::sin(a));
            down << QPointF(8 - 2.6 * std::cos(a), 8 - 2.6 * std::sin(a));
        }
        p.drawPolygon(up);
        p.drawPolygon(down);
    });
    flag("it", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x92, 0x46), white, QColor(0xCE, 0x2B, 0x37)});
    });
    flag("jp", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), white);
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xBC, 0x00, 0x2D));
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    });
    flag("mx", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x68, 0x47), white, QColor(0xCE, 0x11, 0x26)});
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x8C, 0x5A, 0x2B));
        p.drawEllipse(QPointF(8, 8), 1.6, 1.6);
    });
    flag("no", [&](QPainter& p) { nordic(p, QColor(0xBA, 0x0C, 0x2F), white, QColor(0x00, 0x20, 0x5B)); });
    flag("nz", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0x01, 0x21, 0x69));
        unionJack(p, QRect(0, 2, 8, 6));
        aa(p);
        for (QPointF s : {QPointF(12, 5), QPointF(14, 8), QPointF(10.5, 9), QPointF(12, 12)}) {
            star(p, s, 1.5, white);
            star(p, s, 1.0, QColor(0xC8, 0x10, 0x2E));
        }
    });
    flag("pl", [&](QPainter& p) { stripesH(p, {white, QColor(0xDC, 0x14, 0x3C)}); });
    flag("pt", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xFF, 0x00, 0x00));
        p.fillRect(QRect(0, 2, 6, 12), QColor(0x00, 0x66, 0x00));
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xCC, 0x00));
        p.drawEllipse(QPointF(6, 8), 2.3, 2.3);
    });
    flag("cz", [&](QPainter& p) {
        stripesH(p, {white, QColor(0xD7, 0x14, 0x1A)});
        aa(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x11, 0x45, 0x7E));
        p.drawPath(polygon({{0, 2}, {7.5, 8}, {0, 14}}));
    });
    flag("ro", [&](QPainter& p) {
        stripesV(p, {QColor(0x00, 0x2B, 0x7F), QColor(0xFC, 0xD1, 0x16), QColor(0xCE, 0x11, 0x26)});
    });
    flag("sk", [&](QPainter& p) {
        stripesH(p, {white, QColor(0x0B, 0x4E, 0xA2), QColor(0xEE, 0x1C, 0x25)});
        aa(p);
        QPainterPath s;
        s.moveTo(3, 5);
        s.lineTo(8, 5);
        s.lineTo(8, 9);
        s.quadTo(8, 11.5, 5.5, 12.5);
        s.quadTo(3, 11.5, 3, 9);
        s.closeSubpath();
        p.setPen(QPen(white, 0.8));
        p.setBrush(QColor(0xEE, 0x1C, 0x25));
        p.drawPath(s);
        p.fillRect(QRectF(5, 6, 1, 4.5), white);
        p.fillRect(QRectF(4, 7, 3, 0.9), white);
    });
    flag("se", [&](QPainter& p) { nordic(p, QColor(0x00, 0x6A, 0xA7), QColor(0xFE, 0xCC, 0x00)); });
    flag("ch", [&](QPainter& p) {
        p.fillRect(QRect(2, 1, 12, 14), QColor(0xDA, 0x29, 0x1C));
        p.fillRect(QRect(7, 4, 2, 8), white);
        p.fillRect(QRect(4, 7, 8, 2), white);
    });
    flag("tr", [&](QPainter& p) {
        p.fillRect(QRect(0, 2, 16, 12), QColor(0xE3, 0x0A, 0x17));
        aa(p);
        QPainterPath moon;
        moon.addEllipse(QPointF(6, 8), 3.6, 3.6);
        QPainterPath bite;
        bite.addEllipse(QPointF(7, 8), 2.9, 2.9);
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawPath(moon.subtracted(bite));
        star(p, {10.8, 8}, 1.6, white, M_PI);
    });
    flag("us", [&](QPainter& p) {
        const QColor ur(0xB2, 0x22, 0x34);
        for (int i = 0; i < 7; ++i) {
            const int y0 = 2 + 12 * i / 7, y1 = 2 + 12 * (i + 1) / 7;
            p.fillRect(QRect(0, y0, 16, y1 - y0), i % 2 ? white : ur);
        }
        p.fillRect(QRect(0, 2, 7, 7), QColor(0x3C, 0x3B, 0x6E));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                p.fillRect(QRect(1 + 2 * x, 3 + 2 * y, 1, 1), white);
    });

    // The "new" badge of the clip list.
    picture(QStringLiteral("icons/badge_new.png"), QSize(16, 16), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0x4D, 0x2E));
        p.drawPath(spikes(QPointF(8, 8), 12, 7.8, 6.2, 0));
        QFont f = font("DejaVu Sans", 6, true);
        f.setStretch(QFont::Condensed);
        label(p, QRectF(0, 0, 16, 16), QStringLiteral("NEW"), f, Qt::white);
    });
}

} // namespace gen
