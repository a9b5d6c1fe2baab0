#include "ui/main/playbackmemory.h"

#include "portal/resumepoint.h"
#include "portal/userstate.h"
#include "ui/main/entrymodel.h"

#include <functional>

TPlaybackMemory::TPlaybackMemory(QObject* parent)
    : QObject(parent)
    , resumeTimer_(new QTimer(this))
{
    resumeTimer_->setInterval(100);
    connect(resumeTimer_, &QTimer::timeout, this, &TPlaybackMemory::resumeWhenReady);
}

bool TPlaybackMemory::remembers(const QModelIndex& source)
{
    switch (zv::EntryKind(source.data(zv::KindRole).toInt())) {
    case zv::EntryKind::File:
    case zv::EntryKind::Episode:
    case zv::EntryKind::Mp3:
    case zv::EntryKind::Favourite:
    case zv::EntryKind::Video: return true;
    default: return false;
    }
}

void TPlaybackMemory::watch(TEntryModel* model)
{
    models_ << model;
    connect(model, &QAbstractItemModel::rowsInserted, this,
        [this, model](
            const QModelIndex& parent, int first, int last) { showOnRows(model, parent, first, last); });
}

void TPlaybackMemory::started(const TPlayEntry& entry, PlayerEngine* engine)
{
    if (!engine || !entry.source.isValid() || !remembers(entry.source) || entry.address.isEmpty())
        return;
    key_ = keyOf(entry.address);
    engine_ = engine;
    resumeTo_ = 0;
    // The same stream asked again while paused or playing goes on from where
    // it is: no jump back.
    playedOnce_
        = (engine->state() == PlayerEngine::State::Playing || engine->state() == PlayerEngine::State::Paused)
        && engine->position() > 0;
    sinceWrite_.start();
    disconnect(stateConnection_);
    stateConnection_ = connect(engine, &PlayerEngine::stateChanged, this, &TPlaybackMemory::stateChanged);
    if (engine->state() == PlayerEngine::State::Playing)
        stateChanged(PlayerEngine::State::Playing);
}

void TPlaybackMemory::stateChanged(PlayerEngine::State state)
{
    if (key_.isEmpty() || !engine_)
        return;
    if (state == PlayerEngine::State::Playing && !playedOnce_) {
        playedOnce_ = true;
        resumeTo_ = zv::ResumeFrom(zv::UserState::instance().playback(key_));
        resumeWhenReady();
    } else if (state == PlayerEngine::State::Ended) {
        keep(); // heard
    } else if (state == PlayerEngine::State::Failed) {
        // Nothing played worth keeping; what was kept before stays.
        key_.clear();
        disconnect(stateConnection_);
    }
}

void TPlaybackMemory::resumeWhenReady()
{
    if (resumeTo_ <= 0 || key_.isEmpty() || !engine_) {
        resumeTimer_->stop();
        return;
    }
    if (engine_->state() == PlayerEngine::State::Playing && engine_->length() > 0
        && engine_->position() > 0) {
        engine_->seek(resumeTo_);
        resumeTo_ = 0;
        resumeTimer_->stop();
    } else if (!resumeTimer_->isActive()) {
        resumeTimer_->start();
    }
}

void TPlaybackMemory::keep()
{
    // Until the jump back to the kept place, what plays is not worth keeping
    // over it.
    if (!key_.isEmpty() && engine_ && playedOnce_ && resumeTo_ <= 0)
        write(engine_->state() == PlayerEngine::State::Ended);
    key_.clear();
    engine_.clear();
    resumeTo_ = 0;
    resumeTimer_->stop();
    disconnect(stateConnection_);
}

void TPlaybackMemory::tick()
{
    if (key_.isEmpty() || !engine_ || !playedOnce_ || resumeTo_ > 0
        || engine_->state() != PlayerEngine::State::Playing || sinceWrite_.elapsed() < writeEveryMs)
        return;
    write(false);
}

void TPlaybackMemory::write(bool ended)
{
    zv::UserState& state = zv::UserState::instance();
    const auto before = state.playback(key_);
    state.setPlayback(key_, zv::PlaybackToKeep(engine_->position(), engine_->length(), ended, before));
    sinceWrite_.start();
    showOnRows(key_);
}

void TPlaybackMemory::showOnRows(const QByteArray& key) const
{
    for (TEntryModel* model : models_) {
        if (!model)
            continue;
        // The lists kept are short (a search's page, a folder of files, a
        // feed): looking at every row costs nothing worth a map.
        std::function<void(const QModelIndex&)> visit = [&](const QModelIndex& parent) {
            const int rows = model->rowCount(parent);
            for (int row = 0; row < rows; ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                if (keyOf(index.data(zv::AddressRole).toString()) == key)
                    showOnRows(model, parent, row, row);
                if (model->rowCount(index) > 0)
                    visit(index);
            }
        };
        visit(QModelIndex());
    }
}

void TPlaybackMemory::showOnRows(TEntryModel* model, const QModelIndex& parent, int first, int last) const
{
    zv::UserState& state = zv::UserState::instance();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (!remembers(index))
            continue;
        const QString address = index.data(zv::AddressRole).toString();
        if (address.isEmpty())
            continue;
        const auto kept = state.playback(keyOf(address));
        if (!kept)
            continue;
        model->setData(
            index, kept->positionMs > 0 ? QVariant(kept->positionMs) : QVariant(), zv::PositionRole);
        const auto mark = zv::EntryMark(index.data(zv::MarkRole).toInt());
        if (kept->heard)
            model->setData(index, int(zv::EntryMark::Heard), zv::MarkRole);
        else if (mark == zv::EntryMark::Heard)
            model->setData(index, int(zv::EntryMark::None), zv::MarkRole);
    }
}
