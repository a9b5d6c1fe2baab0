#include "ui/tv/nownextdelegate.h"

#include "ui/tv/channelroles.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace {

// Whether a row is one of ours (a row with a logo address, even empty, or a
// guide); the portal's rows say neither.
bool ours(const QModelIndex& index)
{
    return index.data(zv::LogoUrlRole).isValid();
}

bool twoLines(const QModelIndex& index)
{
    return index.data(zv::ProgressRole).isValid();
}

QFont smaller(const QFont& font)
{
    QFont f = font;
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(9, f.pixelSize() - 1));
    else
        f.setPointSizeF(std::max(7.0, f.pointSizeF() - 1));
    return f;
}

constexpr int Pad = 3;

} // namespace

struct TNowNextDelegate::Layout {
    QRect logo, line1, line2, progress;
    QFont small;
};

QString TNowNextDelegate::secondLine(const QModelIndex& index)
{
    const QString now = index.data(zv::NowRole).toString();
    if (now.isEmpty())
        return index.data(zv::GroupRole).toString();
    const QString times = index.data(zv::NowTimesRole).toString();
    QString text = times.left(times.indexOf(u' ')) + u' ' + now;
    if (const QString next = index.data(zv::NextRole).toString(); !next.isEmpty())
        text += QStringLiteral("  ·  ensuite ") + next;
    return text;
}

TNowNextDelegate::Layout TNowNextDelegate::layout(
    const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Layout l;
    l.small = smaller(option.font);
    const QRect r = option.rect;
    const int line = option.fontMetrics.height();
    const int logoHeight = r.height() - 2 * Pad;
    l.logo = QRect(r.left() + Pad + 1, r.top() + Pad, logoHeight * 3 / 2, logoHeight);
    const int textLeft = l.logo.right() + 7;
    const int width = std::max(0, r.right() - Pad - textLeft);
    if (!twoLines(index)) {
        l.line1 = QRect(textLeft, r.top(), width, r.height());
        return l;
    }
    l.line1 = QRect(textLeft, r.top() + Pad, width, line);
    l.line2 = QRect(textLeft, l.line1.bottom() + 1, width, QFontMetrics(l.small).height());
    l.progress = QRect(textLeft, l.line2.bottom() + 2, width, 2);
    return l;
}

QSize TNowNextDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!ours(index))
        return QStyledItemDelegate::sizeHint(option, index);
    const int line = option.fontMetrics.height();
    const int height = twoLines(index)
        ? Pad + line + 1 + QFontMetrics(smaller(option.font)).height() + 4 + Pad
        : std::max(line + 2 * Pad, 22);
    return {std::max(option.rect.width(), 100), height};
}

void TNowNextDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!ours(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // The row's ground and marks as the theme draws them, without its text.
    const QString caption = opt.text;
    const QVariant logo = index.data(Qt::DecorationRole);
    opt.text.clear();
    opt.icon = QIcon();
    opt.features &= ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration);
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const Layout l = layout(opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (opt.state & QStyle::State_Active)                                ? QPalette::Active
                                                                            : QPalette::Inactive;
    const QColor ink = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (const QPixmap pixmap = logo.value<QPixmap>(); !pixmap.isNull()) {
        const QSizeF size = pixmap.deviceIndependentSize().scaled(l.logo.size(), Qt::KeepAspectRatio);
        const QRectF target(l.logo.left() + (l.logo.width() - size.width()) / 2,
            l.logo.top() + (l.logo.height() - size.height()) / 2, size.width(), size.height());
        painter->drawPixmap(target, pixmap, pixmap.rect());
    }
    painter->setPen(ink);
    painter->setFont(opt.font);
    painter->drawText(l.line1, Qt::AlignLeft | Qt::AlignVCenter,
        opt.fontMetrics.elidedText(caption, Qt::ElideRight, l.line1.width()));
    if (!l.line2.isNull()) {
        painter->setFont(l.small);
        painter->drawText(l.line2, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(l.small).elidedText(secondLine(index), Qt::ElideRight, l.line2.width()));
        const double progress = index.data(zv::ProgressRole).toDouble();
        if (progress >= 0) {
            QColor track = ink;
            track.setAlphaF(0.3);
            painter->fillRect(l.progress, track);
            painter->fillRect(
                QRect(l.progress.topLeft(),
                    QSize(int(l.progress.width() * std::min(progress, 1.0)), l.progress.height())),
                ink);
        }
    }
    painter->restore();
}
