#include "ui/main/playqueue.h"

#include "ui/main/entrymodel.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QItemSelectionModel>

namespace zv {

QModelIndex sourceIndex(const QModelIndex& index)
{
    QModelIndex i = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(i.model()))
        i = proxy->mapToSource(i);
    return i.isValid() ? i.siblingAtColumn(0) : QModelIndex();
}

namespace {

// Up from source through the chain of proxies that ends at model.
QModelIndex mapUp(const QAbstractItemModel* model, const QModelIndex& source)
{
    if (!source.isValid() || !model)
        return {};
    if (model == source.model())
        return source;
    const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model);
    if (!proxy)
        return {};
    return proxy->mapFromSource(mapUp(proxy->sourceModel(), source));
}

} // namespace

QModelIndex viewIndex(const QAbstractItemView* view, const QModelIndex& source)
{
    return view ? mapUp(view->model(), source) : QModelIndex();
}

QModelIndex selectedSource(const QAbstractItemView* view)
{
    if (!view || !view->selectionModel())
        return {};
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : sourceIndex(rows.first());
}

void selectSource(QAbstractItemView* view, const QModelIndex& source)
{
    const QModelIndex index = viewIndex(view, source);
    if (!index.isValid() || !view->selectionModel())
        return;
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

QModelIndex neighbourSource(const QAbstractItemView* view, const QModelIndex& source, int step)
{
    if (!view || !view->model())
        return {};
    const QModelIndex from = viewIndex(view, source);
    const QModelIndex parent = from.isValid() ? from.parent() : view->rootIndex();
    const int to = (from.isValid() ? from.row() : -1) + step;
    if (to < 0 || to >= view->model()->rowCount(parent))
        return {};
    return sourceIndex(view->model()->index(to, 0, parent));
}

TPlayEntry playEntry(QAbstractItemView* view, const QModelIndex& source)
{
    TPlayEntry entry;
    entry.list = view;
    if (!source.isValid())
        return entry;
    entry.source = source;
    entry.title = source.data(Qt::DisplayRole).toString();
    entry.address = source.data(AddressRole).toString();
    entry.contentId = source.data(ContentIdRole).toInt();
    return entry;
}

} // namespace zv
