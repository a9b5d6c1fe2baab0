#pragma once
// A player engine that plays nothing: it records what the frame asks and
// reports the state a test gives it. Installed with TfrmPlayer::setEngineFactory.
#include "portal/errors.h"
#include "ui/player/cadplayer.h"
#include "ui/player/engine.h"

#include <QStringList>

namespace zv::test {

class FakeEngine;

struct FakeEngineLog {
    QStringList
        calls; // "source URL", "play URL", "resume", "pause", "stop", "volume N", "seek X", "fullscreen"
    FakeEngine* current = nullptr;
    bool failStart = false; // the next engines cannot start
    int created = 0;

    // What was played, in order.
    QStringList sources() const
    {
        QStringList out;
        for (const QString& c : calls) {
            if (c.startsWith(QLatin1String("play ")))
                out << c.mid(5);
        }
        return out;
    }
};

class FakeEngine : public PlayerEngine {
public:
    enum class State { Stopped, Paused, Playing };

    FakeEngine(EngineKind kind, QWidget* parent, FakeEngineLog* log)
        : PlayerEngine(parent)
        , kind_(kind)
        , log_(log)
    {
        ++log_->created;
        log_->current = this;
    }
    ~FakeEngine() override
    {
        if (log_->current == this)
            log_->current = nullptr;
    }

    EngineKind kind() const override { return kind_; }
    void setSource(const QString& url) override
    {
        log_->calls << QStringLiteral("source ") + url;
        source_ = url;
    }
    void play() override
    {
        // From a pause it only resumes.
        log_->calls << (state == State::Paused ? QStringLiteral("resume")
                                               : QStringLiteral("play ") + source_);
        state = State::Playing;
    }
    void pause() override
    {
        log_->calls << QStringLiteral("pause");
        state = State::Paused;
    }
    void stop() override
    {
        log_->calls << QStringLiteral("stop");
        state = State::Stopped;
    }
    bool isMuted() const override { return muted; }
    void setMuted(bool m) override { muted = m; }
    void setVolume(int v) override { log_->calls << QStringLiteral("volume %1").arg(v); }
    double position() const override { return pos; }
    double length() const override { return len; }
    void setPosition(double p) override
    {
        log_->calls << QStringLiteral("seek %1").arg(p);
        pos = p;
    }
    int playState() const override
    {
        const bool real = kind_ == EngineKind::RealPlayer;
        switch (state) {
        case State::Playing: return 3;
        case State::Paused: return real ? 4 : 2;
        case State::Stopped: return real ? 0 : 1;
        }
        return 0;
    }
    bool isPlaying() const override { return state == State::Playing; }
    void setFullScreen(bool on) override
    {
        log_->calls << QStringLiteral("fullscreen");
        full = on;
    }
    bool isFullScreen() const override { return full; }

    State state = State::Stopped;
    bool muted = false;
    bool full = false;
    double pos = 0;
    double len = 0;

private:
    EngineKind kind_;
    FakeEngineLog* log_;
    QString source_;
};

inline void installFakeEngines(FakeEngineLog* log)
{
    TfrmPlayer::setEngineFactory([log](EngineKind kind, QWidget* parent) -> std::unique_ptr<PlayerEngine> {
        if (log->failStart)
            throw zv::Error(QStringLiteral("moteur absent"));
        return std::make_unique<FakeEngine>(kind, parent, log);
    });
}

} // namespace zv::test
