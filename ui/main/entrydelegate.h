#pragma once
// TEntryDelegate: a row of a media list (episodes, files, MP3s, videos) with
// what the user has made of it (new, heard, where it stopped) and an episode's
// date and length at its right end, in the row's own text colour so that they
// read as well as the caption in every theme.
#include <QStyledItemDelegate>

class TEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TEntryDelegate(QObject* parent = nullptr);

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // What paint writes after the caption, and where (empty when nothing):
    // the mark first, in bold, then the details.
    struct Side {
        QString mark;
        QRect markRect;
        QString detail;
        QRect detailRect;
    };
    Side side(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};
