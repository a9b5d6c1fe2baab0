#include "ui/tv/ownlistmodel.h"

#include "portal/cp1252.h"
#include "portal/tv/textfold.h"
#include "ui/tv/channelroles.h"
#include "ui/tv/logocache.h"

#include <QPixmap>
#include <span>

namespace {

constexpr std::uint32_t NotLookedUp = 0;
constexpr std::uint32_t NoChannel = UINT32_MAX;
constexpr std::size_t MaxGuides = 250; // the high byte numbers them

QString localTime(qint64 utcSeconds)
{
    return QDateTime::fromSecsSinceEpoch(utcSeconds).toLocalTime().toString(QStringLiteral("HH:mm"));
}

} // namespace

TChannelRowsModel::TChannelRowsModel(QObject* parent)
    : QAbstractListModel(parent)
{
    // What is on moves on: rows with a guide are redrawn each minute.
    minute_.setInterval(60 * 1000);
    connect(&minute_, &QTimer::timeout, this, &TChannelRowsModel::minutePassed);
    // Logos arriving together redraw the rows once.
    logosArrived_.setSingleShot(true);
    logosArrived_.setInterval(50);
    connect(&logosArrived_, &QTimer::timeout, this, [this] {
        if (count() > 0)
            emit dataChanged(index(0), index(count() - 1), {Qt::DecorationRole});
    });
}

int TChannelRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

void TChannelRowsModel::beginRows()
{
    beginResetModel();
}

void TChannelRowsModel::endRows()
{
    matches_.clear();
    endResetModel();
}

void TChannelRowsModel::setLogos(TLogoCache* logos)
{
    if (logos_)
        disconnect(logos_, nullptr, this, nullptr);
    logos_ = logos;
    if (logos_)
        connect(logos_, &TLogoCache::logoReady, &logosArrived_, qOverload<>(&QTimer::start));
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1), {Qt::DecorationRole});
}

void TChannelRowsModel::setGuides(std::vector<std::shared_ptr<const zv::GuideIndex>> guides)
{
    std::erase(guides, nullptr);
    if (guides.size() > MaxGuides)
        guides.resize(MaxGuides);
    const bool had = hasGuides();
    guides_ = std::move(guides);
    matches_.clear();
    if (had != hasGuides())
        emit guidesChanged();
    if (guides_.empty())
        minute_.stop();
    else
        minute_.start();
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1),
            {zv::NowRole, zv::NowTimesRole, zv::ProgressRole, zv::NextRole, Qt::ToolTipRole});
}

void TChannelRowsModel::setClock(std::function<QDateTime()> clock)
{
    clock_ = std::move(clock);
}

TChannelRowsModel::GuideChannel TChannelRowsModel::guideChannel(int row) const
{
    if (guides_.empty() || row < 0 || row >= count())
        return {};
    if (matches_.size() != std::size_t(count()))
        matches_.assign(std::size_t(count()), NotLookedUp);
    std::uint32_t& match = matches_[std::size_t(row)];
    if (match == NotLookedUp) {
        match = NoChannel;
        const zv::OwnListRow c = channel(row);
        for (std::size_t g = 0; g < guides_.size(); ++g) {
            const int channel = guides_[g]->matchRow(c.tvgId, c.tvgName, c.title);
            if (channel >= 0 && channel < 0xFFFFFF) {
                match = std::uint32_t(g + 1) << 24 | std::uint32_t(channel);
                break;
            }
        }
    }
    if (match == NoChannel)
        return {};
    return {guides_[(match >> 24) - 1], int(match & 0xFFFFFF)};
}

zv::NowNext TChannelRowsModel::nowNext(int row) const
{
    const GuideChannel found = guideChannel(row);
    if (!found.guide)
        return {};
    return found.guide->nowNext(found.channel, now());
}

QVariant TChannelRowsModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= count() || index.column() != 0)
        return {};
    if (role == Qt::DisplayRole || (role >= zv::AddressRole && role <= zv::OptionsRole)) {
        const zv::OwnListRow c = channel(row);
        switch (role) {
        case Qt::DisplayRole: return c.title;
        case zv::AddressRole: return c.url;
        case zv::ContentIdRole: return 0;
        case zv::KindRole: return int(zv::EntryKind::Channel);
        case zv::GroupRole: return c.group;
        case zv::TvgIdRole: return c.tvgId;
        case zv::TvgNameRole: return c.tvgName;
        case zv::LogoUrlRole: return c.logo;
        case zv::OptionsRole: return c.options;
        default: return {};
        }
    }
    switch (role) {
    case Qt::ToolTipRole: {
        const zv::OwnListRow c = channel(row);
        QStringList lines{c.title};
        if (!c.group.isEmpty())
            lines << c.group;
        const zv::NowNext nn = nowNext(row);
        if (nn.now)
            lines << QStringLiteral("En ce moment : %1 (%2 – %3)")
                         .arg(nn.now->title, localTime(nn.now->start), localTime(nn.now->stop));
        if (nn.next)
            lines << QStringLiteral("Ensuite : %1 %2").arg(localTime(nn.next->start), nn.next->title);
        return lines.join(u'\n');
    }
    case Qt::DecorationRole: {
        if (!logos_)
            return {};
        // Asked only by the rows drawn: those on screen.
        const QPixmap pixmap = logos_->logo(channel(row).logo);
        return pixmap.isNull() ? QVariant() : QVariant(pixmap);
    }
    case zv::NowRole: {
        const zv::NowNext nn = nowNext(row);
        return nn.now ? nn.now->title : QString();
    }
    case zv::NowTimesRole: {
        const zv::NowNext nn = nowNext(row);
        return nn.now ? localTime(nn.now->start) + QStringLiteral(" – ") + localTime(nn.now->stop)
                      : QString();
    }
    case zv::ProgressRole: {
        if (!hasGuides())
            return {};
        const zv::NowNext nn = nowNext(row);
        return nn.now ? nn.progress : -1.0;
    }
    case zv::NextRole: {
        const zv::NowNext nn = nowNext(row);
        return nn.next ? localTime(nn.next->start) + u' ' + nn.next->title : QString();
    }
    default: return {};
    }
}

void TChannelRowsModel::minutePassed()
{
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1),
            {zv::NowRole, zv::NowTimesRole, zv::ProgressRole, zv::NextRole, Qt::ToolTipRole});
}

// Own lists.

void TOwnListModel::setList(std::shared_ptr<const zv::OwnList> list)
{
    beginRows();
    list_ = std::move(list);
    endRows();
}

int TOwnListModel::count() const
{
    return list_ ? int(std::min<std::size_t>(list_->size(), INT_MAX)) : 0;
}

TChannelFilter::IndexMaker TOwnListModel::indexMaker() const
{
    return [this]() -> TChannelFilter::IndexJob {
        if (!list_)
            return {};
        return [list = list_] { return list->searchIndex(); };
    };
}

TChannelFilter::Scope TOwnListModel::groupScope(int group) const
{
    if (!list_ || group < 0 || group >= list_->groupCount())
        return {};
    return [list = list_, group](int row) {
        return row >= 0 && std::size_t(row) < list->size() && list->group(std::size_t(row)) == group;
    };
}

// "Mes chaînes".

void TFavoriteChannelModel::setChannels(std::vector<FavoriteChannel> channels)
{
    beginRows();
    channels_ = std::move(channels);
    endRows();
}

int TFavoriteChannelModel::find(const QString& origin, const QString& url) const
{
    for (std::size_t i = 0; i < channels_.size(); ++i)
        if (channels_[i].url == url && channels_[i].origin == origin)
            return int(i);
    return -1;
}

bool TFavoriteChannelModel::add(const FavoriteChannel& channel)
{
    if (channel.url.isEmpty() || find(channel.origin, channel.url) >= 0)
        return false;
    const int row = count();
    beginInsertRows({}, row, row);
    channels_.push_back(channel);
    endInsertRows();
    return true;
}

bool TFavoriteChannelModel::remove(int row)
{
    if (row < 0 || row >= count())
        return false;
    beginRemoveRows({}, row, row);
    channels_.erase(channels_.begin() + row);
    endRemoveRows();
    return true;
}

int TFavoriteChannelModel::count() const
{
    return int(channels_.size());
}

zv::OwnListRow TFavoriteChannelModel::channel(int row) const
{
    const FavoriteChannel& c = channels_[std::size_t(row)];
    return {c.title, c.url, {}, c.tvgId, c.title, c.logo, {}};
}

// Relocating favourites.

namespace {

// The favourites of a list as the identities its rows are found by.
std::vector<std::size_t> fromOrigin(const std::vector<FavoriteChannel>& favorites, const QString& origin)
{
    std::vector<std::size_t> mine;
    for (std::size_t i = 0; i < favorites.size(); ++i)
        if (favorites[i].origin == origin)
            mine.push_back(i);
    return mine;
}

bool take(
    FavoriteChannel& f, const QString& url, const QString& title, const QString& tvgId, const QString& logo)
{
    const FavoriteChannel before = f;
    f.url = url;
    if (!title.isEmpty())
        f.title = title;
    if (!tvgId.isEmpty())
        f.tvgId = tvgId;
    if (!logo.isEmpty())
        f.logo = logo;
    return !(before == f);
}

} // namespace

bool RelocateFavorites(
    std::vector<FavoriteChannel>& favorites, const QString& origin, const zv::OwnList& list)
{
    const std::vector<std::size_t> mine = fromOrigin(favorites, origin);
    std::vector<zv::RowIdentity> identities;
    for (const std::size_t i : mine)
        identities.push_back({favorites[i].url, favorites[i].tvgId, favorites[i].title});
    const auto rows = list.locate(identities);
    bool changed = false;
    for (std::size_t k = 0; k < mine.size(); ++k)
        if (const auto row = rows[k])
            changed |= take(
                favorites[mine[k]], list.url(*row), list.title(*row), list.tvgId(*row), list.logo(*row));
    return changed;
}

bool RelocateFavorites(
    std::vector<FavoriteChannel>& favorites, const QString& origin, const zv::ChannelTable& rows)
{
    const std::vector<std::size_t> mine = fromOrigin(favorites, origin);
    if (mine.empty())
        return false;
    // One pass per rule, as for own lists: address, then caption, then the
    // caption's channel key.
    std::vector<std::optional<std::size_t>> found(mine.size());
    const auto pass = [&](auto key, auto rowKey) {
        QHash<QByteArray, std::vector<std::size_t>> waiting;
        for (std::size_t k = 0; k < mine.size(); ++k)
            if (!found[k])
                if (const QByteArray wanted = key(favorites[mine[k]]); !wanted.isEmpty())
                    waiting[wanted].push_back(k);
        for (std::size_t r = 0; r < rows.size() && !waiting.isEmpty(); ++r) {
            const auto it = waiting.find(rowKey(r));
            if (it == waiting.end())
                continue;
            for (const std::size_t k : *it)
                found[k] = r;
            waiting.erase(it);
        }
    };
    pass([](const FavoriteChannel& f) { return zv::toCp1252(f.url); },
        [&](std::size_t r) { return rows.url(r); });
    pass([](const FavoriteChannel& f) { return zv::toCp1252(f.title); },
        [&](std::size_t r) { return rows.caption(r); });
    pass([](const FavoriteChannel& f) { return zv::ChannelNameKey(f.title); },
        [&](std::size_t r) { return zv::ChannelNameKey(zv::fromCp1252(rows.caption(r))); });
    bool changed = false;
    for (std::size_t k = 0; k < mine.size(); ++k)
        if (const auto r = found[k])
            changed |= take(
                favorites[mine[k]], zv::fromCp1252(rows.url(*r)), zv::fromCp1252(rows.caption(*r)), {}, {});
    return changed;
}
