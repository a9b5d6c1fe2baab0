#include "ui/controls/focusmark.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <cmath>

namespace zv {

namespace {

double channel(int v)
{
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QPainterPath outline(const QRectF& r, const FocusMark& mark, qreal radius)
{
    QPainterPath path;
    radius = qMax<qreal>(0, qMin(radius, qMin(r.width(), r.height()) / 2));
    if (mark.shape == FocusMark::Shape::Rounded) {
        path.addRoundedRect(r, radius, radius);
        return path;
    }
    // A leaf: round at the top left and bottom right.
    path.moveTo(r.left() + radius, r.top());
    path.lineTo(r.right(), r.top());
    path.lineTo(r.right(), r.bottom() - radius);
    path.arcTo(r.right() - 2 * radius, r.bottom() - 2 * radius, 2 * radius, 2 * radius, 0, -90);
    path.lineTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + radius);
    path.arcTo(r.left(), r.top(), 2 * radius, 2 * radius, 180, -90);
    path.closeSubpath();
    return path;
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor FocusMark::lineOn(const QColor& fill) const
{
    if (!halo.isValid() || ContrastRatio(ring, fill) >= ContrastRatio(halo, fill))
        return ring;
    return halo;
}

QColor DesktopFocusLine()
{
    return QColor(0x0E, 0x3A, 0x75);
}

void UseDesktopFocusLine(QWidget* window)
{
    QPalette pal = window->palette();
    pal.setColor(QPalette::Highlight, DesktopFocusLine());
    window->setPalette(pal);
}

bool ShowsFocusMark(const QWidget* widget)
{
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void PaintFocusMark(QPainter& painter, const QRectF& area, const FocusMark& mark)
{
    if (area.width() < 2 || area.height() < 2 || !mark.ring.isValid())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, mark.radius > 0);
    painter.setBrush(Qt::NoBrush);
    // Each line is stroked on its own centre line, inside the area, and as
    // wide as whole screen pixels: at 1.25x a line of one point would be
    // smeared over two pixels, too faint to read.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const auto whole = [dpr](qreal points) { return std::ceil(points * dpr - 0.01) / dpr; };
    const qreal w = whole(qMax<qreal>(1, mark.width));
    QRectF ring = area.adjusted(w / 2, w / 2, -w / 2, -w / 2);
    painter.setPen(QPen(mark.ring, w, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawPath(outline(ring, mark, mark.radius - w / 2));
    if (mark.halo.isValid()) {
        const qreal h = whole(1);
        const QRectF inner = area.adjusted(w + h / 2, w + h / 2, -w - h / 2, -w - h / 2);
        painter.setPen(QPen(mark.halo, h, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawPath(outline(inner, mark, mark.radius - w - h / 2));
    }
    painter.restore();
}

FocusMarkOverlay::FocusMarkOverlay(QWidget* owner)
    : QWidget(owner)
{
    setObjectName(QStringLiteral("zvFocusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(owner->rect());
    hide();
    owner->installEventFilter(this);
}

void FocusMarkOverlay::setMark(const FocusMark& mark)
{
    mark_ = mark;
    update();
}

bool FocusMarkOverlay::eventFilter(QObject* watched, QEvent* event)
{
    auto* owner = parentWidget();
    if (watched == owner) {
        switch (event->type()) {
        case QEvent::Resize: setGeometry(owner->rect()); break;
        case QEvent::FocusIn:
            setGeometry(owner->rect());
            raise();
            setVisible(ShowsFocusMark(owner));
            break;
        case QEvent::FocusOut: hide(); break;
        default: break;
        }
    }
    return false;
}

void FocusMarkOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintFocusMark(painter, QRectF(rect()), mark_);
}

} // namespace zv
