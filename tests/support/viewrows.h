#pragma once
// Reading and driving the rows of a list or tree view as the user sees them
// (through whatever model or proxy the view shows):
//
//   texts(w->lvMODRecherche)                        // the captions, top rows
//   texts(w->lvMODPodcast, {Qt::DisplayRole, zv::AddressRole})  // "title|address"
//   dump(w->tvMODPodcast)                           // "Sciences{Espace{A,B}};Culture{…}"
//   select(w->lvVideo, at(w->lvVideo, 2));          // current and only selected row
//   activate(w->lvMODFavoris, at(w->lvMODFavoris, 1)); // selected, then double-clicked
//   doubleClick(w->lvMODFichier, at(w->lvMODFichier, 0)); // with the mouse
//   hover(w->btnFctJeux, true);                     // the pointer comes over a widget
#include <QList>
#include <QModelIndex>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <initializer_list>

class QAbstractItemView;
class QWidget;

namespace zv::test {

// Row `row` under parent, in the view's own model; invalid when there is none.
QModelIndex at(const QAbstractItemView* view, int row, const QModelIndex& parent = {});
// Down a path of rows from the top: at(view, {0, 1, 2}).
QModelIndex at(const QAbstractItemView* view, std::initializer_list<int> path);
int rowCount(const QAbstractItemView* view, const QModelIndex& parent = {});
// The rows under parent: each the given roles of its first column joined by "|".
QStringList texts(const QAbstractItemView* view, std::initializer_list<int> roles = {Qt::DisplayRole},
    const QModelIndex& parent = {});
// Every node, depth first: "Action{Pac,Tetris};Aventure".
QString dump(const QAbstractItemView* view);
// The first node whose caption is text, at any depth.
QModelIndex find(const QAbstractItemView* view, const QString& text);
// The index of the selected row (first column), invalid when none.
QModelIndex selected(const QAbstractItemView* view);

// Makes index the current and only selected row; an invalid one clears the selection.
void select(QAbstractItemView* view, const QModelIndex& index);
// Selects index and emits the view's double-click for it.
void activate(QAbstractItemView* view, const QModelIndex& index);
// Clicks then double-clicks the row with the mouse (the view must be shown).
void doubleClick(QAbstractItemView* view, const QModelIndex& index);

// The pointer comes over the widget, at that point of it, or leaves it.
void hover(QWidget* widget, bool over, QPointF at = QPointF(1, 1));

} // namespace zv::test
