#pragma once
// A player engine that plays nothing: it writes down what the frame asks of it
// and answers the state, times and mute a test gives it. installFakeEngines
// makes every frame's engines such fakes, all writing to one log.
#include "base/errors.h"
#include "ui/player/cadplayer.h"
#include "ui/player/engine.h"

#include <QStringList>
#include <stdexcept>

namespace zv::test {

class FakeEngine;

struct FakeEngineLog {
    // "create NAME", "source URL", "play URL", "resume", "pause", "stop",
    // "mute on|off", "volume N", "seek MS", "destroyed"
    QStringList calls;
    FakeEngine* current = nullptr;
    bool failStart = false; // the next engines cannot start, and say this:
    QString failText = QStringLiteral("moteur absent");
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
    FakeEngine(EngineKind kind, QWidget* parent, FakeEngineLog* log)
        : PlayerEngine(kind, parent)
        , log_(log)
    {
        ++log_->created;
        log_->current = this;
    }
    ~FakeEngine() override
    {
        log_->calls << QStringLiteral("destroyed");
        if (log_->current == this)
            log_->current = nullptr;
    }

    // As the VLC plugin's, a fake VLC control plays one stream only.
    bool reusable() const override { return kind() != EngineKind::Vlc; }
    void setSource(const QString& url) override
    {
        log_->calls << QStringLiteral("source ") + url;
        source = url;
    }
    void play() override
    {
        // From a pause it only resumes.
        log_->calls << (state() == State::Paused ? QStringLiteral("resume")
                                                 : QStringLiteral("play ") + source);
        setState(State::Playing);
    }
    void pause() override
    {
        log_->calls << QStringLiteral("pause");
        setState(State::Paused);
    }
    void stop() override
    {
        log_->calls << QStringLiteral("stop");
        if (failStop)
            throw std::runtime_error("stop failed");
        setState(State::Empty);
    }
    void applyMute(bool on) override
    {
        log_->calls << (on ? QStringLiteral("mute on") : QStringLiteral("mute off"));
    }
    void setVolume(int value) override { log_->calls << QStringLiteral("volume %1").arg(value); }
    qint64 position() const override { return pos; }
    qint64 length() const override { return len; }
    void seek(qint64 value) override
    {
        log_->calls << QStringLiteral("seek %1").arg(value);
        pos = value;
    }

    // The test moves the stream on: its end, a failure, its texts.
    using PlayerEngine::fail;
    using PlayerEngine::sendBuffering;
    using PlayerEngine::sendStatus;
    using PlayerEngine::setState;

    QString source;
    qint64 pos = 0;
    qint64 len = 0;
    bool failStop = false;

private:
    FakeEngineLog* log_;
};

// Every frame's engines become fakes writing to `log`.
inline void installFakeEngines(FakeEngineLog* log)
{
    TfrmPlayer::setEngineFactory([log](EngineKind kind, QWidget* parent) -> std::unique_ptr<PlayerEngine> {
        log->calls << QStringLiteral("create ") + EngineName(kind);
        if (log->failStart)
            throw zv::Error(log->failText);
        return std::make_unique<FakeEngine>(kind, parent, log);
    });
}

} // namespace zv::test
