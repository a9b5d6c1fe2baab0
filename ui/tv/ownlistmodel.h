#pragma once
// Rows of channels with what a TV player shows of them: logo, group, and what
// is on now and next from the list's guides. TOwnListModel shows an own list
// (a million rows cost little: they stay the list's own slices);
// TFavoriteChannelModel shows "Mes chaînes". Both answer the roles of
// channelroles.h, the address whole as the list wrote it.
#include "app/config.h"
#include "portal/tv/guide.h"
#include "portal/tv/ownlist.h"
#include "ui/tv/channelfilter.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class TLogoCache;

class TChannelRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TChannelRowsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // Beyond Qt's roles, those of channelroles.h; ProgressRole is null when
    // the rows have no guide, -1 for a row its guide does not know.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The logos of the rows; none: no logos.
    void setLogos(TLogoCache* logos);
    // The guides the rows are looked up in, first match first.
    void setGuides(std::vector<std::shared_ptr<const zv::GuideIndex>> guides);
    bool hasGuides() const { return !guides_.empty(); }
    // The guide channel a row stands for; a null guide when none has it.
    struct GuideChannel {
        std::shared_ptr<const zv::GuideIndex> guide;
        int channel = -1;
    };
    GuideChannel guideChannel(int row) const;
    // What is on now and next for a row (nothing without a guide).
    zv::NowNext nowNext(int row) const;

    // The time now/next is read at (the clock, unless a test says otherwise).
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const { return clock_ ? clock_() : QDateTime::currentDateTime(); }

    // A row's fields; row is one of the rows.
    virtual zv::OwnListRow channel(int row) const = 0;
    // What folds the rows for the search field; none: their captions.
    virtual TChannelFilter::IndexMaker indexMaker() const { return {}; }

signals:
    // The rows gained or lost their guide (and their second line).
    void guidesChanged();

protected:
    virtual int count() const = 0;
    // Subclasses reset their rows within these.
    void beginRows();
    void endRows();

private:
    void minutePassed();

    QPointer<TLogoCache> logos_;
    std::vector<std::shared_ptr<const zv::GuideIndex>> guides_;
    // Per row: 0 not looked up yet, NoChannel, or the guide (high byte, + 1)
    // and its channel. Made on first use; only rows on screen are looked up.
    mutable std::vector<std::uint32_t> matches_;
    std::function<QDateTime()> clock_;
    QTimer minute_;
    QTimer logosArrived_;
};

class TOwnListModel : public TChannelRowsModel {
    Q_OBJECT
public:
    using TChannelRowsModel::TChannelRowsModel;

    void setList(std::shared_ptr<const zv::OwnList> list);
    void clear() { setList(nullptr); }
    const std::shared_ptr<const zv::OwnList>& list() const { return list_; }

    // The rows of a group (the group chooser's scope), empty for every row.
    TChannelFilter::Scope groupScope(int group) const;

    zv::OwnListRow channel(int row) const override { return (*list_)[std::size_t(row)]; }
    TChannelFilter::IndexMaker indexMaker() const override;

protected:
    int count() const override;

private:
    std::shared_ptr<const zv::OwnList> list_;
};

class TFavoriteChannelModel : public TChannelRowsModel {
    Q_OBJECT
public:
    using TChannelRowsModel::TChannelRowsModel;

    void setChannels(std::vector<FavoriteChannel> channels);
    const std::vector<FavoriteChannel>& channels() const { return channels_; }
    // Where a channel of a list is among them (same address from the same
    // list), -1 when it is not.
    int find(const QString& origin, const QString& url) const;
    // Added at the end; false when it is there already.
    bool add(const FavoriteChannel& channel);
    bool remove(int row);

    zv::OwnListRow channel(int row) const override;

protected:
    int count() const override;

private:
    std::vector<FavoriteChannel> channels_;
};

// Finds the favourites that came from a list in that list as it reads now (a
// refresh, a provider that renamed or reordered its channels): by address,
// then tvg-id, then name. Each found one takes the row's address, title and
// logo; the others stay as they were. True when anything changed.
bool RelocateFavorites(
    std::vector<FavoriteChannel>& favorites, const QString& origin, const zv::OwnList& list);
bool RelocateFavorites(
    std::vector<FavoriteChannel>& favorites, const QString& origin, const zv::ChannelTable& rows);
