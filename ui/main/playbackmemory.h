#pragma once
// Where each MP3, file, video and podcast episode stopped, kept in the user
// state: written when playback stops, another entry starts, the section
// changes or the window goes, every little while as it plays, and as heard
// when it runs to its end; read back to start the entry again a few seconds
// before that place, and shown on the rows of the lists it watches.
//
// Keyed by the address the entry plays, so that the same episode found in
// another list (a search, "Mes MP3") is the same episode.
#include "ui/main/playqueue.h"
#include "ui/player/engine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class TEntryModel;

class TPlaybackMemory : public QObject {
    Q_OBJECT
public:
    explicit TPlaybackMemory(QObject* parent = nullptr);

    // Rows added to model show where they stopped and whether they were heard.
    void watch(TEntryModel* model);

    // entry now plays in engine: an entry the memory keeps starts again where
    // it stopped, once the engine plays. Call keep() before the player loads.
    void started(const TPlayEntry& entry, PlayerEngine* engine);
    // Writes where the current entry is and forgets it: before a stop, another
    // load, a section change, the end of the window.
    void keep();
    // From the window's playback timer: writes the place now and then while
    // the entry plays, so that a kill loses little.
    void tick();

    // What the memory keeps: files, episodes, MP3s (found or in "Mes MP3")
    // and videos; not channels, radios or clips, which are live.
    static bool remembers(const QModelIndex& source);
    static QByteArray keyOf(const QString& address) { return address.toUtf8(); }

    // How often the place of an entry that plays is written while it plays.
    static constexpr qint64 DefaultWriteEveryMs = 15000;
    static inline qint64 writeEveryMs = DefaultWriteEveryMs; // tests shorten it

private:
    void stateChanged(PlayerEngine::State state);
    // Jumps to the kept place once the engine can seek: it plays and knows
    // the stream's length (until then some libraries drop a seek).
    void resumeWhenReady();
    void write(bool ended);
    // Shows what is kept for key on every watched row that plays it.
    void showOnRows(const QByteArray& key) const;
    void showOnRows(TEntryModel* model, const QModelIndex& parent, int first, int last) const;

    QList<QPointer<TEntryModel>> models_;
    QPointer<PlayerEngine> engine_;
    QMetaObject::Connection stateConnection_;
    QByteArray key_; // empty: nothing kept now
    bool playedOnce_ = false; // the engine played
    qint64 resumeTo_ = 0; // the kept place still to jump to; 0: none
    QTimer* resumeTimer_ = nullptr;
    QElapsedTimer sinceWrite_;
};
