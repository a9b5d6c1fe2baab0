#include "ui/controls/scrolllabel.h"

#include "base/errors.h"
#include "ui/controls/accessibility.h"

#include <QAccessible>
#include <QFontMetrics>
#include <QPainter>
#include <climits>

TScrollLabel::TScrollLabel(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    resize(20, 20);
    connect(&timer_, &QTimer::timeout, this, [this] { zv::guarded([this] { timTimer(); }); });
    timer_.start(periodicite_);
    zv::InstallControlsAccessibility();
}

TScrollLabel::~TScrollLabel()
{
    timer_.stop();
    timer_.disconnect();
}

void TScrollLabel::setPeriodicite(int ms)
{
    periodicite_ = ms;
    if (ms > 0)
        timer_.start(ms);
    else
        timer_.stop();
}

void TScrollLabel::setCaption(const QString& text)
{
    if (caption_ == text)
        return;
    caption_ = text;
    update();
    // The whole text is the ticker's name for assistive technology.
    if (QAccessible::isActive() && accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

int TScrollLabel::paintPosition(int position, int textWidth, int width)
{
    if (qint64(position) + textWidth < 0)
        position = width;
    if (position > width)
        position = width;
    return position;
}

void TScrollLabel::timTimer()
{
    update();
    // Saturate: an empty caption lets the position fall for ever.
    position_ = int(qBound(qint64(INT_MIN), qint64(position_) - pas_, qint64(INT_MAX)));
}

// The portal's message may end with a line break; the ticker has one line.
static QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line)
        if (c == u'\r' || c == u'\n' || c == u'\t')
            c = u' ';
    return line;
}

void TScrollLabel::paintEvent(QPaintEvent*)
{
    if (caption_.isEmpty())
        return;
    const QString line = oneLine(caption_);
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(font());
    position_ = paintPosition(position_, fm.horizontalAdvance(line), width());
    painter.drawText(position_, (height() - fm.height()) / 2 + fm.ascent(), line);
}
