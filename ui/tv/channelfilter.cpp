#include "ui/tv/channelfilter.h"

#include "portal/cp1252.h"
#include "portal/tv/textfold.h"
#include "ui/tv/channelroles.h"

#include <QItemSelectionModel>
#include <QStringList>
#include <algorithm>

namespace {

// Rows looked at per turn when only a scope narrows (a cheap test).
constexpr std::size_t ScopeSliceRows = 16 * TChannelFilter::SliceRows;

} // namespace

TChannelFilter::IndexJob ChannelTableIndexJob(zv::ChannelTable rows)
{
    return [rows = std::move(rows)] {
        auto index = std::make_shared<zv::SearchIndex>();
        index->reserve(rows.size(), rows.size() * 24);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QString caption = zv::fromCp1252(rows.caption(i));
            index->addRow({caption});
        }
        return std::shared_ptr<const zv::SearchIndex>(std::move(index));
    };
}

TChannelFilter::TChannelFilter(QObject* parent)
    : QAbstractProxyModel(parent)
    , folding_(this)
{
    next_.setSingleShot(true);
    next_.setInterval(0);
    connect(&next_, &QTimer::timeout, this, &TChannelFilter::turn);
}

TChannelFilter::~TChannelFilter() = default;

void TChannelFilter::setSourceModel(QAbstractItemModel* source)
{
    setSource(source, {});
}

void TChannelFilter::setSource(QAbstractItemModel* source, IndexMaker maker)
{
    beginResetModel();
    for (const auto& c : connections_)
        disconnect(c);
    connections_.clear();
    source_ = source;
    maker_ = std::move(maker);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        connections_ = {
            connect(
                source, &QAbstractItemModel::modelAboutToBeReset, this, &TChannelFilter::sourceAboutToReset),
            connect(source, &QAbstractItemModel::modelReset, this, &TChannelFilter::sourceReset),
            connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this,
                &TChannelFilter::sourceAboutToReset),
            connect(source, &QAbstractItemModel::layoutChanged, this, &TChannelFilter::sourceReset),
            connect(
                source, &QAbstractItemModel::rowsAboutToBeRemoved, this, &TChannelFilter::sourceAboutToReset),
            connect(source, &QAbstractItemModel::rowsRemoved, this, &TChannelFilter::sourceReset),
            connect(
                source, &QAbstractItemModel::rowsAboutToBeMoved, this, &TChannelFilter::sourceAboutToReset),
            connect(source, &QAbstractItemModel::rowsMoved, this, &TChannelFilter::sourceReset),
            connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                &TChannelFilter::sourceRowsAboutToBeInserted),
            connect(source, &QAbstractItemModel::rowsInserted, this, &TChannelFilter::sourceRowsInserted),
            connect(source, &QAbstractItemModel::dataChanged, this, &TChannelFilter::sourceDataChanged),
        };
    }
    dropIndex();
    all_ = true;
    shown_.clear();
    endResetModel();
    needIndex();
    restart();
}

void TChannelFilter::followSelection(QItemSelectionModel* selection)
{
    selection_ = selection;
}

void TChannelFilter::setFilterText(const QString& text)
{
    text_ = text;
    const QByteArray folded = zv::FoldForSearch(text);
    if (folded == folded_)
        return;
    folded_ = folded;
    restart();
}

void TChannelFilter::setScope(Scope scope)
{
    scope_ = std::move(scope);
    restart();
}

int TChannelFilter::sourceRow(int row) const
{
    if (row < 0 || row >= rowCount())
        return -1;
    return all_ ? row : int(shown_[std::size_t(row)]);
}

int TChannelFilter::rowOf(int sourceRow) const
{
    if (!source_ || sourceRow < 0 || sourceRow >= source_->rowCount())
        return -1;
    if (all_)
        return sourceRow;
    const auto it = std::lower_bound(shown_.begin(), shown_.end(), std::uint32_t(sourceRow));
    return it != shown_.end() && *it == std::uint32_t(sourceRow) ? int(it - shown_.begin()) : -1;
}

QModelIndex TChannelFilter::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || column < 0 || column >= columnCount() || row < 0 || row >= rowCount())
        return {};
    return createIndex(row, column);
}

QModelIndex TChannelFilter::parent(const QModelIndex&) const
{
    return {};
}

int TChannelFilter::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !source_)
        return 0;
    return all_ ? source_->rowCount() : int(shown_.size());
}

int TChannelFilter::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !source_ ? 0 : source_->columnCount();
}

bool TChannelFilter::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && rowCount() > 0;
}

QModelIndex TChannelFilter::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || !source_ || proxyIndex.model() != this)
        return {};
    const int row = sourceRow(proxyIndex.row());
    return row < 0 ? QModelIndex() : source_->index(row, proxyIndex.column());
}

QModelIndex TChannelFilter::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != source_)
        return {};
    const int row = rowOf(sourceIndex.row());
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QVariant TChannelFilter::data(const QModelIndex& index, int role) const
{
    const QModelIndex source = mapToSource(index);
    return source.isValid() ? source_->data(source, role) : QVariant();
}

void TChannelFilter::sourceAboutToReset()
{
    // Other rows: the one chosen before means nothing among them.
    wanted_ = -1;
    beginResetModel();
}

void TChannelFilter::sourceReset()
{
    // New rows: their texts are folded again when a search needs them.
    dropIndex();
    all_ = identity();
    shown_.clear();
    endResetModel();
    // Folded now, off the thread, so that the first letter typed finds them.
    needIndex();
    if (!all_)
        restart();
}

void TChannelFilter::sourceRowsAboutToBeInserted(const QModelIndex& parent, int first, int last)
{
    dropIndex();
    identityInsert_ = !parent.isValid() && all_;
    if (identityInsert_)
        beginInsertRows({}, first, last);
}

void TChannelFilter::sourceRowsInserted(const QModelIndex&, int, int)
{
    if (identityInsert_) {
        identityInsert_ = false;
        endInsertRows();
        needIndex();
        return;
    }
    rememberCurrent();
    restart();
}

void TChannelFilter::sourceDataChanged(
    const QModelIndex& topLeft, const QModelIndex& bottomRight, const QList<int>& roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    const int lastColumn = columnCount() - 1;
    if (all_) {
        emit dataChanged(index(topLeft.row(), 0), index(bottomRight.row(), lastColumn), roles);
        return;
    }
    // The rows shown are in increasing order: those in the range are together.
    const auto first = std::lower_bound(shown_.begin(), shown_.end(), std::uint32_t(topLeft.row()));
    const auto last = std::upper_bound(first, shown_.end(), std::uint32_t(bottomRight.row()));
    if (first == last)
        return;
    emit dataChanged(
        index(int(first - shown_.begin()), 0), index(int(last - shown_.begin()) - 1, lastColumn), roles);
}

void TChannelFilter::dropIndex()
{
    folding_.cancel();
    index_.reset();
    filter_.reset();
}

// Starts folding the source's texts unless they are folded or being folded;
// true when they are there.
bool TChannelFilter::needIndex()
{
    if (filter_)
        return true;
    if (folding_.isRunning() || !source_ || source_->rowCount() == 0)
        return false;
    IndexJob job = maker_ ? maker_() : IndexJob();
    if (!job) {
        // Captions and groups read here; only their folding leaves the thread.
        const int rows = source_->rowCount();
        QStringList captions, groups;
        captions.reserve(rows);
        groups.reserve(rows);
        for (int i = 0; i < rows; ++i) {
            const QModelIndex at = source_->index(i, 0);
            captions << at.data(Qt::DisplayRole).toString();
            groups << at.data(zv::GroupRole).toString();
        }
        job = [captions, groups] {
            auto index = std::make_shared<zv::SearchIndex>();
            for (qsizetype i = 0; i < captions.size(); ++i)
                index->addRow({captions[i], groups[i]});
            return std::shared_ptr<const zv::SearchIndex>(std::move(index));
        };
    }
    const auto take = [this](std::shared_ptr<const zv::SearchIndex> index) {
        index_ = std::move(index);
        filter_.emplace(index_);
    };
    if (std::size_t(source_->rowCount()) <= SliceRows) {
        take(job()); // a short list costs less than a turn of the loop
        return true;
    }
    folding_.start<std::shared_ptr<const zv::SearchIndex>>([job](const std::atomic<bool>&) { return job(); },
        [this, take](std::shared_ptr<const zv::SearchIndex> index) {
            take(std::move(index));
            if (!folded_.isEmpty())
                restart(); // a search waited for them
        });
    return false;
}

void TChannelFilter::restart()
{
    next_.stop();
    if (!source_)
        return;
    if (identity()) {
        busy_ = false;
        if (!all_) {
            rememberCurrent();
            beginResetModel();
            all_ = true;
            shown_.clear();
            endResetModel();
            restoreCurrent(0);
        }
        emit searchFinished();
        return;
    }
    if (all_ || !shown_.empty())
        rememberCurrent();
    busy_ = true;
    taken_ = 0;
    scanned_ = 0;
    if (!folded_.isEmpty()) {
        if (source_->rowCount() == 0) {
            busy_ = false;
            beginResetModel();
            all_ = false;
            shown_.clear();
            endResetModel();
            emit searchFinished();
            return;
        }
        if (!needIndex()) {
            // Nothing shown until the texts are folded: never rows that do
            // not match what the user typed.
            beginResetModel();
            all_ = false;
            shown_.clear();
            endResetModel();
            return;
        }
        filter_->setQuery(text_);
    }
    std::vector<std::uint32_t> found = slice();
    beginResetModel();
    all_ = false;
    shown_ = std::move(found);
    endResetModel();
    restoreCurrent(0);
    if (busy_)
        next_.start();
    else
        emit searchFinished();
}

// The rows of the next slice that the search and the scope let through.
std::vector<std::uint32_t> TChannelFilter::slice()
{
    std::vector<std::uint32_t> found;
    if (!folded_.isEmpty()) {
        const bool done = filter_->step(SliceRows);
        const auto& matches = filter_->rows();
        for (; taken_ < matches.size(); ++taken_)
            if (!scope_ || scope_(int(matches[taken_])))
                found.push_back(matches[taken_]);
        busy_ = !done;
    } else {
        const std::size_t rows = std::size_t(source_->rowCount());
        const std::size_t end = std::min(rows, scanned_ + ScopeSliceRows);
        for (; scanned_ < end; ++scanned_)
            if (scope_(int(scanned_)))
                found.push_back(std::uint32_t(scanned_));
        busy_ = scanned_ < rows;
    }
    return found;
}

void TChannelFilter::turn()
{
    if (!busy_ || !source_)
        return;
    std::vector<std::uint32_t> found = slice();
    if (!found.empty()) {
        const std::size_t from = shown_.size();
        beginInsertRows({}, int(from), int(from + found.size() - 1));
        shown_.insert(shown_.end(), found.begin(), found.end());
        endInsertRows();
        restoreCurrent(from);
    }
    if (busy_)
        next_.start();
    else
        emit searchFinished();
}

void TChannelFilter::rememberCurrent()
{
    if (!selection_ || selection_->model() != this)
        return;
    const QModelIndex current = selection_->currentIndex();
    if (current.isValid())
        wanted_ = sourceRow(current.row());
}

// Chooses the remembered row again if it is among the rows shown from `from` on.
void TChannelFilter::restoreCurrent(std::size_t from)
{
    if (wanted_ < 0 || !selection_ || selection_->model() != this)
        return;
    int row = -1;
    if (all_) {
        row = wanted_ < rowCount() ? wanted_ : -1;
    } else {
        const auto it
            = std::lower_bound(shown_.begin() + qsizetype(from), shown_.end(), std::uint32_t(wanted_));
        if (it != shown_.end() && *it == std::uint32_t(wanted_))
            row = int(it - shown_.begin());
    }
    if (row < 0)
        return;
    selection_->setCurrentIndex(
        index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    wanted_ = -1;
}
