#include "ui/main/channelmodel.h"

#include "portal/cp1252.h"

namespace {

const QPixmap& blankIcon()
{
    static const QPixmap blank = [] {
        QPixmap p(16, 16);
        p.fill(Qt::transparent);
        return p;
    }();
    return blank;
}

} // namespace

int TChannelListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant TChannelListModel::data(const QModelIndex& index, int role) const
{
    const zv::ChannelRow* r = row(index.row());
    if (!r || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return zv::fromCp1252(r->caption);
    case Qt::DecorationRole:
        if (!images_)
            return {};
        if (r->imageIndex >= 0 && r->imageIndex < images_->size())
            return images_->at(r->imageIndex);
        return blankIcon(); // keeps the captions of a list with icons aligned
    case UrlRole: return zv::fromCp1252(r->url);
    case DataRole: return r->data;
    default: return {};
    }
}

void TChannelListModel::setRows(std::vector<zv::ChannelRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TChannelListModel::clear()
{
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    endResetModel();
}

const zv::ChannelRow* TChannelListModel::row(int i) const
{
    return i >= 0 && size_t(i) < rows_.size() ? &rows_[size_t(i)] : nullptr;
}

QString TChannelListModel::caption(int i) const
{
    const zv::ChannelRow* r = row(i);
    return r ? zv::fromCp1252(r->caption) : QString();
}

void TChannelListModel::setImages(const QVector<QPixmap>* images)
{
    if (images_ == images)
        return;
    images_ = images;
    if (!rows_.empty())
        emit dataChanged(index(0), index(int(rows_.size()) - 1), {Qt::DecorationRole});
}

TChatRadioModel::TChatRadioModel(const TChannelListModel* source, QObject* parent)
    : QAbstractListModel(parent)
    , source_(source)
{
}

int TChatRadioModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count_;
}

QVariant TChatRadioModel::data(const QModelIndex& index, int role) const
{
    if (index.row() < 0 || index.row() >= count_ || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return source_->caption(index.row());
}

void TChatRadioModel::setCount(int count)
{
    beginResetModel();
    count_ = count;
    endResetModel();
}
