#pragma once
// PlayerEngine: one player control inside the player frame. Every engine speaks
// the same language: times in milliseconds, one state, status texts and errors
// as signals of their own. What its library counts in (seconds, a 0..1
// fraction, state codes of its own) is converted inside the engine. Signals are
// sent on the user-interface thread only.
#include "ui/player/enginechoice.h"

#include <QWidget>
#include <functional>
#include <memory>

class PictureSurface;

class PlayerEngine : public QWidget {
    Q_OBJECT
public:
    // Empty: nothing plays, nothing is on its way (before the first play, after
    // a stop). Opening: asked to play, no sound or picture yet.
    enum class State { Empty, Opening, Playing, Paused, Ended, Failed };
    Q_ENUM(State)

    PlayerEngine(EngineKind kind, QWidget* parent);
    ~PlayerEngine() override;

    EngineKind kind() const { return kind_; }
    // False for a control that plays one stream only: the next stream, even of
    // the same engine, gets a control of its own.
    virtual bool reusable() const { return true; }
    // Whether this control plays the next stream chosen for `engine`.
    bool takes(EngineKind engine) const { return kind() == engine && reusable(); }

    // The stream the next play() starts. The same address again leaves a stream
    // that opens, plays or is paused as it is; one that ended or failed starts
    // again from its beginning.
    virtual void setSource(const QString& url) = 0;
    // Starts the source, or resumes it when paused.
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;

    // The mute flag lives here for every engine: the VLC plugin does not
    // report its own, and the others answer what they were told.
    bool isMuted() const { return muted_; }
    void setMuted(bool muted);
    // 0..100
    virtual void setVolume(int volume) = 0;

    // Milliseconds, 0 while unknown.
    virtual qint64 position() const = 0;
    virtual qint64 length() const = 0;
    virtual void seek(qint64 position) = 0;

    State state() const { return state_; }

    // The picture goes full screen; Escape or a double-click brings it back.
    void setFullScreen(bool on);
    bool isFullScreen() const;

signals:
    void stateChanged(PlayerEngine::State state);
    // What the stream does, in French ("Connexion...", "Lecture en cours...").
    void statusChanged(const QString& text);
    // Why the stream cannot play, in French.
    void errorOccurred(const QString& text);

protected:
    // Hands a change of the mute flag to the library.
    virtual void applyMute(bool muted) = 0;

    // The black area the picture is drawn in; it fills the control.
    PictureSurface* surface() const { return surface_; }

    void setState(State state);
    // A text equal to the last status or error is not sent again.
    void sendStatus(const QString& text);
    // The state becomes Failed; the text goes out as an error.
    void fail(const QString& text);
    // "Mise en mémoire tampon : N %", only while a stream opens or plays: a
    // library's late buffering news must not outlive its stream.
    void sendBuffering(int percent);
    // After a stop asked by the program: Empty, and "Arrêté." once.
    void sendStopped();
    const QString& lastText() const { return lastText_; }

private:
    EngineKind kind_;
    bool muted_ = false;
    PictureSurface* surface_ = nullptr;
    State state_ = State::Empty;
    QString lastText_;
};

// Creates the control for an engine, parented to `parent`. Throws zv::Error with
// the reason when the engine cannot be started.
using EngineFactory = std::function<std::unique_ptr<PlayerEngine>(EngineKind kind, QWidget* parent)>;

// The engines that really play (Qt Multimedia, libmpv, libVLC).
std::unique_ptr<PlayerEngine> CreateRealEngine(EngineKind kind, QWidget* parent);

// True when the engines must not open a sound device or a video window: no
// display (offscreen platform) or ZV_HEADLESS_MEDIA=1.
bool HeadlessMedia();
