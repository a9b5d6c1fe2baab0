#pragma once
// The channel list as the user narrows it: a proxy over a flat list model
// (a bouquet, the radios, an own list) showing the rows whose caption (and,
// for own lists, group) holds what the user types, case and accents aside,
// within a scope (an own list's group). A million rows never stall the window:
// their texts are folded once, off the window's thread, and each search looks
// at a slice of rows per turn of the event loop, showing what it finds as it
// goes. sourceRow() maps a shown row back to the entry it stands for.
#include "base/background.h"
#include "portal/canaux.h"
#include "portal/tv/rowfilter.h"

#include <QAbstractProxyModel>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QItemSelectionModel;

class TChannelFilter : public QAbstractProxyModel {
    Q_OBJECT
public:
    // Folds the source's rows as they were when it was made; runs on any thread.
    using IndexJob = std::function<std::shared_ptr<const zv::SearchIndex>()>;
    // Makes that job for the source's rows as they are now.
    using IndexMaker = std::function<IndexJob()>;
    // The source rows the user may see, the text aside; empty: every row.
    using Scope = std::function<bool(int sourceRow)>;

    // Rows looked at per turn of the event loop.
    static constexpr std::size_t SliceRows = 16384;

    explicit TChannelFilter(QObject* parent = nullptr);
    ~TChannelFilter() override;

    // A source whose rows' texts maker folds; without one, the rows'
    // captions (and GroupRole) are read here and folded off the thread.
    void setSource(QAbstractItemModel* source, IndexMaker maker);
    void setSourceModel(QAbstractItemModel* source) override;

    void setFilterText(const QString& text);
    QString filterText() const { return text_; }
    void setScope(Scope scope);
    // Whether some rows may be hidden (a text or a scope).
    bool isFiltering() const { return !folded_.isEmpty() || bool(scope_); }
    // A search (or the folding it waits for) is under way.
    bool isBusy() const { return busy_; }

    // The view whose current row the filter keeps: a row the user had chosen
    // is chosen again once a new search shows it.
    void followSelection(QItemSelectionModel* selection);

    // The source row a shown row stands for, -1 for none; and back (-1: hidden).
    int sourceRow(int row) const;
    int rowOf(int sourceRow) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    // Every matching row is shown.
    void searchFinished();

private:
    void sourceAboutToReset();
    void sourceReset();
    void sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last);
    void sourceRowsInserted(const QModelIndex& parent, int first, int last);
    void sourceDataChanged(
        const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles);
    void dropIndex();
    bool needIndex();
    void restart();
    std::vector<std::uint32_t> slice();
    void turn();
    void rememberCurrent();
    void restoreCurrent(std::size_t from);
    bool identity() const { return !isFiltering(); }

    QPointer<QAbstractItemModel> source_;
    std::vector<QMetaObject::Connection> connections_;
    IndexMaker maker_;
    std::shared_ptr<const zv::SearchIndex> index_;
    std::optional<zv::RowFilter> filter_;
    zv::BackgroundWork folding_;

    QString text_;
    QByteArray folded_;
    Scope scope_;
    bool all_ = true; // every source row shown, as they are
    std::vector<std::uint32_t> shown_; // the source rows shown, increasing
    std::size_t taken_ = 0; // matches of filter_ looked at
    std::size_t scanned_ = 0; // source rows looked at, with a scope alone
    bool busy_ = false;
    bool identityInsert_ = false;
    QTimer next_;

    QPointer<QItemSelectionModel> selection_;
    int wanted_ = -1; // the source row to choose again when it shows
};

// The job folding a portal bouquet's captions.
TChannelFilter::IndexJob ChannelTableIndexJob(zv::ChannelTable rows);
