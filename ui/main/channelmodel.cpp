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
    const int i = index.row();
    if (!has(i) || index.column() != 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return caption(i);
    case Qt::DecorationRole: {
        if (!images_)
            return {};
        const int image = rows_.imageIndex(size_t(i));
        if (image >= 0 && image < images_->size())
            return images_->at(image);
        return blankIcon(); // keeps the captions of a list with icons aligned
    }
    case zv::AddressRole: return zv::fromCp1252(rows_.url(size_t(i)));
    case zv::ContentIdRole: return rows_.data(size_t(i));
    case zv::KindRole: return int(zv::EntryKind::Channel);
    default: return {};
    }
}

void TChannelListModel::setRows(zv::ChannelTable rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TChannelListModel::appendRows(zv::ChannelTable rows)
{
    if (rows.empty())
        return;
    if (rows_.empty()) {
        setRows(std::move(rows));
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    rows_.append(std::move(rows));
    endInsertRows();
}

void TChannelListModel::clear()
{
    if (rows_.empty())
        return;
    beginResetModel();
    rows_ = zv::ChannelTable();
    endResetModel();
}

std::optional<zv::ChannelRow> TChannelListModel::row(int i) const
{
    if (!has(i))
        return std::nullopt;
    return rows_[size_t(i)];
}

QString TChannelListModel::caption(int i) const
{
    return has(i) ? zv::fromCp1252(rows_.caption(size_t(i))) : QString();
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
