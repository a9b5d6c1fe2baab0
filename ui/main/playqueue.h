#pragma once
// What the play button starts, and how a list's rows are reached. A view may
// show its rows through proxies (a filter, a sort): a row is always held by
// its index in the model the rows live in (the source), and the view's own
// rows only give the order the user sees.
#include <QAbstractItemView>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>

// The entry to play: where it is listed and what it plays.
struct TPlayEntry {
    QPointer<QAbstractItemView> list; // nullptr: no list
    QPersistentModelIndex source; // its row in the list's source model
    QString title;
    QString address; // empty: nothing to play
    int contentId = 0; // reported to the portal as viewed when not 0
    int favourite = -1; // its row in "Mes MP3" when played there (continuous play)
    bool wholeAddress = false; // an own list's: never cut after its engine prefix

    // The same row of the same list.
    bool sameRow(const TPlayEntry& other) const
    {
        return list && list == other.list && source.isValid() && source == other.source;
    }
};

namespace zv {

// Down the proxies to the model the rows live in, and back up to the view.
QModelIndex sourceIndex(const QModelIndex& index);
QModelIndex viewIndex(const QAbstractItemView* view, const QModelIndex& source);

// The source row (first column) selected in view; invalid when none.
QModelIndex selectedSource(const QAbstractItemView* view);
// Makes source the current and only selected row of view, scrolled into sight.
void selectSource(QAbstractItemView* view, const QModelIndex& source);
// The row step rows away from source in the order the view shows, under the
// same parent (from before the first row when source is not shown); invalid
// when there is none.
QModelIndex neighbourSource(const QAbstractItemView* view, const QModelIndex& source, int step);

// The entry of a source row of view's list (title, address, content id).
TPlayEntry playEntry(QAbstractItemView* view, const QModelIndex& source);

} // namespace zv
