#pragma once
// PlayerEngine: one player control inside the player frame. Each engine keeps
// its own units and state codes; the frame maps them onto its operations:
//   Windows Media Player: positions in seconds, play state 1 stopped, 2 paused, 3 playing;
//   RealPlayer:           positions in milliseconds, play state 0 stopped, 3 playing, 4 paused;
//   VLC:                  position as a 0..1 fraction, length in ms, "playing" flag only.
// Engines deliver their events on the user-interface thread only.
#include "ui/player/enginechoice.h"

#include <QWidget>
#include <functional>
#include <memory>

class PlayerEngine : public QWidget {
    Q_OBJECT
public:
    explicit PlayerEngine(QWidget* parent = nullptr)
        : QWidget(parent)
    {
    }

    virtual EngineKind kind() const = 0;

    // Windows Media Player: its URL property; RealPlayer: its Source. Setting the
    // same address again does not restart the stream.
    // VLC: the add-target call, replacing the playlist and starting it.
    virtual void setSource(const QString& url) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;

    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;
    virtual void toggleMute() { setMuted(!isMuted()); }
    // 0..100
    virtual void setVolume(int volume) = 0;

    // In the engine's own units (see above).
    virtual double position() const = 0;
    virtual double length() const = 0;
    virtual void setPosition(double position) = 0;

    virtual int playState() const = 0;
    // VLC's "playing" property; the other engines answer from their play state.
    virtual bool isPlaying() const = 0;

    // The picture's widget goes full screen; Escape or a double-click returns it
    // into the frame.
    virtual void setFullScreen(bool on) = 0;
    virtual bool isFullScreen() const = 0;

signals:
    // A status text of the control, in French.
    void statusChanged(const QString& text);
};

// Creates the control for an engine, parented to `parent`. Throws zv::Error with
// the reason when the engine cannot be started.
using EngineFactory = std::function<std::unique_ptr<PlayerEngine>(EngineKind kind, QWidget* parent)>;

// The engines that really play (Qt Multimedia, libmpv, libVLC).
std::unique_ptr<PlayerEngine> CreateRealEngine(EngineKind kind, QWidget* parent);

// True when the engines must not open a sound device or a video window: no
// display (offscreen platform) or ZV_HEADLESS_MEDIA=1.
bool HeadlessMedia();
