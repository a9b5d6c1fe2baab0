#pragma once
// Draws a row of the channel list as a TV player does: the channel's logo,
// its name, and under it what is on now (with its progress) and what is next.
// Rows that know none of that (the portal's lists) are drawn as before. Every
// text is drawn in the list's own text colour, so it reads in every theme as
// the names do.
#include <QStyledItemDelegate>

class TNowNextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The text of the second line: "20:00 Journal · ensuite 20:45 Météo",
    // else the row's group.
    static QString secondLine(const QModelIndex& index);
    // Rows are made taller when the list gains or loses its guide.
    void rowsChanged() { emit sizeHintChanged({}); }

private:
    struct Layout;
    Layout layout(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
