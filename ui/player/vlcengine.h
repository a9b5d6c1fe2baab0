#pragma once
// The VLC plugin, played by libVLC. Position as a 0..1 fraction, length in
// milliseconds; the play state is libVLC's own (3 = playing).
// Extra libVLC arguments may be given as ZV_VLC_OPTIONS="--a --b=c".
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
class FullScreenSurface;
class QTimer;

class VlcEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when libVLC cannot start.
    explicit VlcEngine(QWidget* parent);
    ~VlcEngine() override;

    EngineKind kind() const override { return EngineKind::Vlc; }
    void setSource(const QString& url) override; // add-target: replace and go
    void play() override;
    void pause() override;
    void stop() override;
    bool isMuted() const override;
    void setMuted(bool muted) override;
    void toggleMute() override;
    void setVolume(int volume) override;
    double position() const override;
    double length() const override;
    void setPosition(double fraction) override;
    int playState() const override;
    bool isPlaying() const override;
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct InstanceRelease {
        void operator()(libvlc_instance_t* instance) const;
    };
    struct PlayerRelease {
        void operator()(libvlc_media_player_t* player) const;
    };
    static void onVlcEvent(const libvlc_event_t* event, void* data);
    static void onVlcLog(void* data, int level, const vlc_log_t* context, const char* format, va_list args);
    void onPlayingForSure();
    void startMedia(libvlc_media_t* media); // takes the reference
    bool playFirstEntry();
    bool hadTracks() const; // the stream showed a sound or a picture
    void attachEvents(bool attach);

    std::unique_ptr<libvlc_instance_t, InstanceRelease> instance_;
    std::unique_ptr<libvlc_media_player_t, PlayerRelease> player_;
    QWidget* surface_ = nullptr;
    QWidget* video_ = nullptr;
    FullScreenSurface* fullScreen_ = nullptr;
    // libVLC's threads write these; the window's thread reads them.
    std::mutex logMutex_;
    QStringList log_; // the last warnings and errors of the current stream
    bool noSound_ = false; // no sound output could be opened
    std::atomic<bool> positionSeen_{false}; // the stream really moves
    int entryDepth_ = 0; // playlists followed since the address was given
    QTimer* startTimer_ = nullptr; // gives up a stream that never starts
};
