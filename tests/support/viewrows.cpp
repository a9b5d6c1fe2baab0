#include "support/viewrows.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEnterEvent>
#include <QItemSelectionModel>
#include <QTest>

namespace zv::test {

QModelIndex at(const QAbstractItemView* view, int row, const QModelIndex& parent)
{
    return view && view->model() ? view->model()->index(row, 0, parent) : QModelIndex();
}

QModelIndex at(const QAbstractItemView* view, std::initializer_list<int> path)
{
    QModelIndex index;
    for (int row : path) {
        index = at(view, row, index);
        if (!index.isValid())
            break;
    }
    return index;
}

int rowCount(const QAbstractItemView* view, const QModelIndex& parent)
{
    return view && view->model() ? view->model()->rowCount(parent) : 0;
}

QStringList texts(const QAbstractItemView* view, std::initializer_list<int> roles, const QModelIndex& parent)
{
    QStringList out;
    for (int i = 0; i < rowCount(view, parent); ++i) {
        const QModelIndex row = at(view, i, parent);
        QStringList cells;
        for (int role : roles)
            cells << row.data(role).toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

namespace {

QString dumpUnder(const QAbstractItemView* view, const QModelIndex& parent)
{
    QStringList nodes;
    for (int i = 0; i < rowCount(view, parent); ++i) {
        const QModelIndex node = at(view, i, parent);
        const QString children = dumpUnder(view, node);
        nodes << node.data().toString() + (children.isEmpty() ? QString() : u'{' + children + u'}');
    }
    return nodes.join(parent.isValid() ? QLatin1Char(',') : QLatin1Char(';'));
}

QModelIndex findUnder(const QAbstractItemView* view, const QString& text, const QModelIndex& parent)
{
    for (int i = 0; i < rowCount(view, parent); ++i) {
        const QModelIndex node = at(view, i, parent);
        if (node.data().toString() == text)
            return node;
        if (const QModelIndex found = findUnder(view, text, node); found.isValid())
            return found;
    }
    return {};
}

} // namespace

QString dump(const QAbstractItemView* view)
{
    return dumpUnder(view, {});
}

QModelIndex find(const QAbstractItemView* view, const QString& text)
{
    return findUnder(view, text, {});
}

QModelIndex selected(const QAbstractItemView* view)
{
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void select(QAbstractItemView* view, const QModelIndex& index)
{
    if (!index.isValid()) {
        view->clearSelection();
        return;
    }
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void activate(QAbstractItemView* view, const QModelIndex& index)
{
    select(view, index);
    emit view->doubleClicked(index);
}

void doubleClick(QAbstractItemView* view, const QModelIndex& index)
{
    view->scrollTo(index);
    const QPoint centre = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
}

void hover(QWidget* widget, bool over, QPointF at)
{
    if (over) {
        QEnterEvent enter(at, at, at);
        QApplication::sendEvent(widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
}

} // namespace zv::test
