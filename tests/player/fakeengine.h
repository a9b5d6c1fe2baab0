#pragma once
// A player control that only records what the frame asks of it, and answers
// the state the test sets.
#include "ui/player/engine.h"

#include <QStringList>

class FakeEngine : public PlayerEngine {
    Q_OBJECT
public:
    FakeEngine(EngineKind kind, QWidget* parent, QStringList* log)
        : PlayerEngine(parent)
        , kind_(kind)
        , log_(log)
    {
    }
    ~FakeEngine() override { record(QStringLiteral("destroyed")); }

    EngineKind kind() const override { return kind_; }
    void setSource(const QString& url) override
    {
        source = url;
        record(QStringLiteral("source ") + url);
    }
    void play() override { record(QStringLiteral("play")); }
    void pause() override { record(QStringLiteral("pause")); }
    void stop() override
    {
        record(QStringLiteral("stop"));
        if (failStop)
            throw std::runtime_error("stop failed");
    }
    bool isMuted() const override { return muted; }
    void setMuted(bool on) override
    {
        muted = on;
        record(on ? QStringLiteral("mute on") : QStringLiteral("mute off"));
    }
    void toggleMute() override { record(QStringLiteral("toggle mute")); }
    void setVolume(int value) override { record(QStringLiteral("volume %1").arg(value)); }
    double position() const override { return pos; }
    double length() const override { return len; }
    void setPosition(double value) override { record(QStringLiteral("seek %1").arg(value)); }
    int playState() const override { return state; }
    bool isPlaying() const override { return playing; }
    void setFullScreen(bool on) override
    {
        fullScreen = on;
        record(QStringLiteral("full screen"));
    }
    bool isFullScreen() const override { return fullScreen; }

    void sendStatus(const QString& text) { emit statusChanged(text); }

    QString source;
    bool muted = false;
    double pos = 0;
    double len = 0;
    int state = 0;
    bool playing = false;
    bool fullScreen = false;
    bool failStop = false;

private:
    void record(const QString& what)
    {
        if (log_)
            log_->append(what);
    }

    EngineKind kind_;
    QStringList* log_;
};
