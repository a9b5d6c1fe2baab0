#pragma once
// The VLC plugin, played by libVLC. libVLC gives the position as a 0..1
// fraction of the length and its state through events on its own threads; the
// engine turns them into milliseconds and its state. The plugin reports
// neither pause nor mute: the engine keeps its pause flag itself (the mute
// flag, as every engine's, is PlayerEngine's), as the plugin's host did, and says "Lecture en cours..." on
// each play and "Arrêté." on each stop. Each stream gets a control of its own. Extra libVLC arguments may be
// given as ZV_VLC_OPTIONS="--a --b=c".
#include "ui/player/engine.h"

#include <QStringList>
#include <atomic>
#include <cstdarg>
#include <memory>
#include <mutex>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;
struct libvlc_media_t;
struct vlc_log_t;
class QTimer;

class VlcEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when libVLC cannot start.
    explicit VlcEngine(QWidget* parent);
    ~VlcEngine() override;

    bool reusable() const override { return false; }
    void setSource(const QString& url) override;
    // After setSource, the add-target call: the playlist replaced, and go.
    void play() override;
    void pause() override;
    void stop() override;
    void setVolume(int volume) override;
    qint64 position() const override;
    qint64 length() const override;
    void seek(qint64 position) override;

private:
    struct InstanceRelease {
        void operator()(libvlc_instance_t* instance) const;
    };
    struct PlayerRelease {
        void operator()(libvlc_media_player_t* player) const;
    };
    // The plugin's toggle-mute call: the flag it inverts is the engine's.
    void applyMute(bool muted) override;
    static void onVlcEvent(const libvlc_event_t* event, void* data);
    static void onVlcLog(void* data, int level, const vlc_log_t* context, const char* format, va_list args);
    void onEvent(int type);
    void onPlayingForSure();
    void startMedia(libvlc_media_t* media); // takes the reference
    bool playFirstEntry();
    bool hadTracks() const; // the stream showed a sound or a picture
    void attachEvents(bool attach);

    std::unique_ptr<libvlc_instance_t, InstanceRelease> instance_;
    std::unique_ptr<libvlc_media_player_t, PlayerRelease> player_;
    QString url_;
    bool fresh_ = false; // setSource came since the last start
    bool paused_ = false;
    // Counts the starts and stops: an event queued before the latest one is
    // about a stream that is no more.
    std::atomic<int> generation_{0};
    // libVLC's threads write these; the window's thread reads them.
    std::mutex logMutex_;
    QStringList log_; // the last warnings and errors of the current stream
    bool noSound_ = false; // no sound output could be opened
    std::atomic<bool> positionSeen_{false}; // the stream really moves
    int entryDepth_ = 0; // playlists followed since the address was given
    QTimer* startTimer_ = nullptr; // gives up a stream that never starts
};
