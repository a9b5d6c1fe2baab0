#include "ui/main/entrydelegate.h"

#include "ui/main/entrymodel.h"

#include <QApplication>
#include <QPainter>

namespace {

const QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

zv::Entry entryAt(const QModelIndex& index)
{
    zv::Entry e;
    e.kind = zv::EntryKind(index.data(zv::KindRole).toInt());
    e.mark = zv::EntryMark(index.data(zv::MarkRole).toInt());
    const QVariant position = index.data(zv::PositionRole);
    e.positionMs = position.isValid() ? position.toLongLong() : -1;
    e.published = index.data(zv::PublishedRole).toDateTime();
    e.duration = index.data(zv::DurationRole).toString();
    return e;
}

} // namespace

TEntryDelegate::TEntryDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

TEntryDelegate::Side TEntryDelegate::side(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Side s;
    if (index.column() != 0)
        return s;
    const zv::Entry e = entryAt(index);
    s.mark = zv::MarkText(e);
    s.detail = zv::DetailText(e);
    if (s.mark.isEmpty() && s.detail.isEmpty())
        return s;
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QRect text = styleOf(opt)->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    QFont bold = opt.font;
    bold.setBold(true);
    const QFontMetrics plain(opt.font), strong(bold);
    const int gap = plain.averageCharWidth() * 2;
    // The caption keeps at least a third of the row: the details give way
    // first, then the mark is shortened.
    const int room = text.width() - text.width() / 3;
    int detailWidth = s.detail.isEmpty() ? 0 : plain.horizontalAdvance(s.detail);
    int markWidth = s.mark.isEmpty() ? 0 : strong.horizontalAdvance(s.mark);
    if (markWidth + detailWidth + (markWidth && detailWidth ? gap : 0) > room) {
        s.detail.clear();
        detailWidth = 0;
    }
    if (markWidth > room) {
        s.mark = strong.elidedText(s.mark, Qt::ElideRight, room);
        markWidth = strong.horizontalAdvance(s.mark);
    }
    int right = text.right();
    if (detailWidth) {
        s.detailRect = QRect(right - detailWidth + 1, text.top(), detailWidth, text.height());
        right -= detailWidth + gap;
    }
    if (markWidth)
        s.markRect = QRect(right - markWidth + 1, text.top(), markWidth, text.height());
    return s;
}

void TEntryDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Side s = side(option, index);
    if (s.mark.isEmpty() && s.detail.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QStyle* style = styleOf(opt);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget);
    const int left = s.markRect.isNull() ? s.detailRect.left() : s.markRect.left();
    const int gap = opt.fontMetrics.averageCharWidth() * 2;
    opt.text = opt.fontMetrics.elidedText(opt.text, opt.textElideMode, qMax(0, left - gap - text.left()));
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (opt.state & QStyle::State_Active)                                ? QPalette::Active
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const int flags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
    if (!s.detail.isEmpty()) {
        painter->setFont(opt.font);
        painter->drawText(s.detailRect, flags, s.detail);
    }
    if (!s.mark.isEmpty()) {
        QFont bold = opt.font;
        bold.setBold(true);
        painter->setFont(bold);
        painter->drawText(s.markRect, flags, s.mark);
    }
    painter->restore();
}
