// Draws the program's icon: the same shapes written as SVG and painted into
// PNG files at each size of the hicolor theme.
//   zv_icongen OUTDIR NAME  ->  OUTDIR/scalable/apps/NAME.svg, OUTDIR/NxN/apps/NAME.png
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <cstdio>
#include <variant>
#include <vector>

namespace {

constexpr int kDesign = 256; // the drawing's own units

struct Gradient {
    QColor top;
    QColor bottom;
};

struct RoundRect {
    QRectF rect;
    double radius;
    std::variant<QColor, Gradient> fill;
};
struct Polygon {
    QPolygonF points;
    QColor fill;
};
struct Line {
    QPointF from;
    QPointF to;
    double width;
    QColor colour;
};
struct Circle {
    QPointF centre;
    double radius;
    QColor fill;
};
using Shape = std::variant<RoundRect, Polygon, Line, Circle>;

// A television with its antenna on a blue to violet tile, a play sign on the screen.
std::vector<Shape> icon()
{
    const QColor white(0xff, 0xff, 0xff);
    return {
        RoundRect{{16, 16, 224, 224}, 48, Gradient{QColor(0x2a, 0x6f, 0xdb), QColor(0x5b, 0x2a, 0x9e)}},
        Line{{128, 86}, {92, 46}, 10, white},
        Line{{128, 86}, {164, 46}, 10, white},
        Circle{{92, 46}, 10, white},
        Circle{{164, 46}, 10, white},
        RoundRect{{40, 84, 176, 124}, 24, white},
        RoundRect{{54, 98, 148, 96}, 14, QColor(0x14, 0x21, 0x3d)},
        Polygon{QPolygonF({{110, 120}, {110, 172}, {154, 146}}), QColor(0xff, 0xb3, 0x00)},
    };
}

QString hex(const QColor& c)
{
    return c.name(QColor::HexRgb);
}

QString number(double v)
{
    return QString::number(v, 'g', 6);
}

QByteArray svg(const std::vector<Shape>& shapes)
{
    QString defs;
    QString body;
    int gradients = 0;
    for (const Shape& shape : shapes) {
        if (const auto* r = std::get_if<RoundRect>(&shape)) {
            QString fill;
            if (const auto* g = std::get_if<Gradient>(&r->fill)) {
                const QString id = QStringLiteral("g%1").arg(++gradients);
                defs += QStringLiteral("    <linearGradient id=\"%1\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
                                       "      <stop offset=\"0\" stop-color=\"%2\"/>\n      <stop "
                                       "offset=\"1\" stop-color=\"%3\"/>\n"
                                       "    </linearGradient>\n")
                            .arg(id, hex(g->top), hex(g->bottom));
                fill = QStringLiteral("url(#%1)").arg(id);
            } else {
                fill = hex(std::get<QColor>(r->fill));
            }
            body += QStringLiteral(
                "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
                        .arg(number(r->rect.x()), number(r->rect.y()), number(r->rect.width()),
                            number(r->rect.height()), number(r->radius), fill);
        } else if (const auto* p = std::get_if<Polygon>(&shape)) {
            QStringList points;
            for (const QPointF& pt : p->points)
                points << number(pt.x()) + u',' + number(pt.y());
            body += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
                        .arg(points.join(u' '), hex(p->fill));
        } else if (const auto* l = std::get_if<Line>(&shape)) {
            body += QStringLiteral(
                "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"%5\" stroke-width=\"%6\" "
                "stroke-linecap=\"round\"/>\n")
                        .arg(number(l->from.x()), number(l->from.y()), number(l->to.x()), number(l->to.y()),
                            hex(l->colour), number(l->width));
        } else if (const auto* c = std::get_if<Circle>(&shape)) {
            body += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                        .arg(number(c->centre.x()), number(c->centre.y()), number(c->radius), hex(c->fill));
        }
    }
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                          "viewBox=\"0 0 %1 %1\">\n  <defs>\n%2  </defs>\n%3</svg>\n")
        .arg(kDesign)
        .arg(defs, body)
        .toUtf8();
}

QImage png(const std::vector<Shape>& shapes, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(double(size) / kDesign, double(size) / kDesign);
    for (const Shape& shape : shapes) {
        p.setPen(Qt::NoPen);
        if (const auto* r = std::get_if<RoundRect>(&shape)) {
            if (const auto* g = std::get_if<Gradient>(&r->fill)) {
                QLinearGradient gradient(r->rect.topLeft(), r->rect.bottomLeft());
                gradient.setColorAt(0, g->top);
                gradient.setColorAt(1, g->bottom);
                p.setBrush(gradient);
            } else {
                p.setBrush(std::get<QColor>(r->fill));
            }
            p.drawRoundedRect(r->rect, r->radius, r->radius);
        } else if (const auto* poly = std::get_if<Polygon>(&shape)) {
            p.setBrush(poly->fill);
            p.drawPolygon(poly->points);
        } else if (const auto* l = std::get_if<Line>(&shape)) {
            p.setPen(QPen(l->colour, l->width, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(l->from, l->to);
        } else if (const auto* c = std::get_if<Circle>(&shape)) {
            p.setBrush(c->fill);
            p.drawEllipse(c->centre, c->radius, c->radius);
        }
    }
    return image;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: zv_icongen OUTDIR NAME\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const std::vector<Shape> shapes = icon();
    bool ok = write(out + QStringLiteral("/scalable/apps/") + name + QStringLiteral(".svg"), svg(shapes));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = out + QStringLiteral("/%1x%1/apps/").arg(size) + name + QStringLiteral(".png");
        QDir().mkpath(QFileInfo(path).absolutePath());
        ok = png(shapes, size).save(path, "PNG") && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "zv_icongen: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
