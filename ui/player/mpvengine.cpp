#include "ui/player/mpvengine.h"

#include "base/errors.h"
#include "ui/player/metafilereader.h"
#include "ui/player/picturesurface.h"
#include "ui/player/playererror.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <mpv/client.h>

// Hands mpv's wake-ups (from its own thread) to the user-interface thread. One
// wake-up is queued at a time; the drain then reads every waiting event.
struct MpvEngine::Wakeup {
    MpvEngine* engine;
    std::atomic<bool> queued{false};

    static void callback(void* data)
    {
        auto* self = static_cast<Wakeup*>(data);
        if (self->queued.exchange(true))
            return;
        MpvEngine* engine = self->engine;
        // Queued to the engine: Qt drops the call if the engine is gone by then.
        QMetaObject::invokeMethod(
            engine,
            [engine] {
                engine->wakeup_->queued = false;
                engine->drainEvents();
            },
            Qt::QueuedConnection);
    }
};

namespace {

QString mpvError(int code)
{
    return QString::fromUtf8(mpv_error_string(code));
}

// How many of mpv's last warnings are kept to explain a failure.
constexpr int kKeptLogLines = 6;

// The sound and picture outputs report their own trials and fall-backs; they
// say nothing about why a stream fails.
bool outputMessage(const QByteArray& prefix)
{
    return prefix == "ao" || prefix.startsWith("ao/") || prefix == "vo" || prefix.startsWith("vo/");
}

} // namespace

MpvEngine::MpvEngine(QWidget* parent)
    : PlayerEngine(EngineKind::RealPlayer, parent)
{
    mpv_ = mpv_create();
    if (!mpv_)
        throw zv::Error(QStringLiteral("la bibliothèque de lecture mpv n'a pas pu être créée."));
    try {
        setOption("config", "no");
        setOption("terminal", "no");
        setOption("idle", "yes");
        setOption("ytdl", "no");
        setOption("hwdec", "no");
        setOption("network-timeout", "20");
        // AutoStart := false: nothing plays before Play.
        setOption("pause", "no");
        // Controls := "ImageWindow": the picture alone.
        setOption("osc", "no");
        setOption("osd-level", "0");
        // MaintainAspect := true.
        setOption("keepaspect", "yes");
        // EnableContextMenu := false: keys and clicks stay with the program.
        setOption("input-default-bindings", "no");
        setOption("input-vo-keyboard", "no");
        setOption("input-cursor", "no");
        setOption("cursor-autohide", "no");
        // NoLogo := true.
        setOption("force-window", "no");
        setOption("background", "#000000");

        headless_ = HeadlessMedia();
        if (headless_) {
            setOption("vo", "null");
            setOption("ao", "null");
        } else {
            // No sound device (a remote desktop, a kiosk): the picture plays on.
            setOption("audio-fallback-to-null", "yes");
            setOption("wid", QByteArray::number(static_cast<qint64>(surface()->nativeWindow())));
            setOption("vo", "gpu,x11,");
            // The picture goes into an X11 window: the X11 OpenGL context only.
            // Left to itself, mpv (0.35) goes on to its DRM and Vulkan display
            // contexts where no graphics chip suits (Xvfb, a virtual machine),
            // and their failure closes file descriptor 0, which belongs to
            // whoever holds it then: stdin, the X connection, Chromium...
            setOption("gpu-context", "x11egl");
        }
        const QByteArray extra = qgetenv("ZV_MPV_OPTIONS");
        for (const QByteArray& item : extra.split(',')) {
            const int eq = item.indexOf('=');
            if (eq > 0)
                setOption(item.left(eq).trimmed().constData(), item.mid(eq + 1).trimmed());
        }

        const int rc = mpv_initialize(mpv_);
        if (rc < 0)
            throw zv::Error(QStringLiteral("mpv n'a pas pu démarrer (%1).").arg(mpvError(rc)));
        mpv_request_log_messages(mpv_, "warn");
        mpv_observe_property(mpv_, 1, "paused-for-cache", MPV_FORMAT_FLAG);
        mpv_observe_property(mpv_, 2, "cache-buffering-state", MPV_FORMAT_INT64);
        mpv_observe_property(mpv_, 3, "pause", MPV_FORMAT_FLAG);
        // mpv does not read RealPlayer's metafiles: the engine follows them.
        metafile_ = new MetafileReader({QStringLiteral(".ram"), QStringLiteral(".rpm")}, this);
        connect(metafile_, &MetafileReader::resolved, this, [this](const QUrl& entry) {
            loadFile(entry.isLocalFile() ? entry.toLocalFile() : entry.toString(QUrl::FullyEncoded));
        });
        connect(metafile_, &MetafileReader::failed, this, [this](const QString& text) { fail(text); });
        wakeup_ = std::make_unique<Wakeup>();
        wakeup_->engine = this;
        mpv_set_wakeup_callback(mpv_, &Wakeup::callback, wakeup_.get());
    } catch (...) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw;
    }
}

MpvEngine::~MpvEngine()
{
    // No wake-up runs once this returns; mpv's threads end in terminate.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void MpvEngine::setOption(const char* name, const QByteArray& value)
{
    const int rc = mpv_set_option_string(mpv_, name, value.constData());
    if (rc < 0)
        throw zv::Error(QStringLiteral("l'option « %1 » de mpv est refusée (%2).")
                            .arg(QString::fromUtf8(name), mpvError(rc)));
}

bool MpvEngine::flag(const char* name) const
{
    int value = 0;
    return mpv_get_property(mpv_, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

double MpvEngine::number(const char* name) const
{
    double value = 0;
    if (mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0 || !std::isfinite(value))
        return 0;
    return value;
}

QString MpvEngine::playingText() const
{
    if (headless_)
        return QStringLiteral("Lecture en cours...");
    char* ao = mpv_get_property_string(mpv_, "current-ao");
    char* vid = mpv_get_property_string(mpv_, "vid");
    const bool silent = ao && qstrcmp(ao, "null") == 0 && (!vid || qstrcmp(vid, "no") == 0);
    mpv_free(ao);
    mpv_free(vid);
    return silent ? PlayerNoSoundText() : QStringLiteral("Lecture en cours...");
}

void MpvEngine::setSource(const QString& url)
{
    source_ = url;
}

void MpvEngine::play()
{
    int no = 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &no);
    if (source_.isEmpty())
        return;
    if (source_ == loaded_) {
        if (state() == State::Paused) {
            setState(State::Playing);
            sendStatus(playingText());
        }
        if (state() == State::Opening || state() == State::Playing)
            return;
    }
    // Another file, or one that ended, failed or was stopped: from its start.
    loaded_ = source_;
    setState(State::Opening);
    if (metafile_->follows(source_)) {
        sendStatus(QStringLiteral("Connexion..."));
        metafile_->read(source_);
        return;
    }
    loadFile(source_);
}

void MpvEngine::loadFile(const QString& address)
{
    const QByteArray url = address.toUtf8();
    const char* args[] = {"loadfile", url.constData(), "replace", nullptr};
    if (mpv_command(mpv_, args) >= 0)
        sendStatus(QStringLiteral("Connexion..."));
    else
        fail(QStringLiteral("Impossible d'ouvrir le média."));
}

void MpvEngine::pause()
{
    int yes = 1;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &yes);
    if (state() == State::Playing) {
        setState(State::Paused);
        sendStatus(QStringLiteral("En pause"));
    }
}

void MpvEngine::stop()
{
    metafile_->cancel();
    const char* args[] = {"stop", nullptr};
    mpv_command(mpv_, args);
    int no = 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &no);
    // mpv tells of the stop later, maybe after the control is gone.
    if (state() == State::Opening || state() == State::Playing || state() == State::Paused)
        sendStopped();
}

void MpvEngine::applyMute(bool muted)
{
    int value = muted ? 1 : 0;
    mpv_set_property(mpv_, "mute", MPV_FORMAT_FLAG, &value);
}

void MpvEngine::setVolume(int volume)
{
    double value = std::clamp<int>(static_cast<std::int16_t>(volume), 0, 100);
    mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &value);
}

bool MpvEngine::showing() const
{
    return state() == State::Playing || state() == State::Paused;
}

qint64 MpvEngine::position() const
{
    return showing() ? std::llround(number("time-pos") * 1000) : 0;
}

qint64 MpvEngine::length() const
{
    return showing() ? std::llround(number("duration") * 1000) : 0;
}

void MpvEngine::seek(qint64 position)
{
    const QByteArray seconds = QByteArray::number(std::max<qint64>(0, position) / 1000.0, 'f', 3);
    const char* args[] = {"seek", seconds.constData(), "absolute", nullptr};
    mpv_command(mpv_, args);
}

void MpvEngine::drainEvents()
{
    // Bounded so that a flood of events cannot hold the window; the rest comes
    // with the next wake-up.
    for (int i = 0; i < 1000; ++i) {
        mpv_event* event = mpv_wait_event(mpv_, 0);
        if (!event || event->event_id == MPV_EVENT_NONE) {
            if (endPending_) {
                endPending_ = false;
                endFile();
            }
            return;
        }
        handleEvent(*event);
    }
    Wakeup::callback(wakeup_.get());
}

void MpvEngine::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        // play() has made the state Opening already (a stop may have come since).
        played_ = false;
        endPending_ = false;
        log_.clear();
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        if (outputMessage(QByteArray(message->prefix)))
            break;
        log_ << QString::fromUtf8(message->text).trimmed();
        if (log_.size() > kKeptLogLines)
            log_.removeFirst();
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        // Also after each seek.
        if (state() == State::Opening || showing()) {
            played_ = true;
            const bool paused = flag("pause");
            setState(paused ? State::Paused : State::Playing);
            if (!paused && !flag("paused-for-cache"))
                sendStatus(playingText());
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // A loadfile replacing the current file ends the old one first.
        if (end->reason == MPV_END_FILE_REASON_REDIRECT)
            break;
        // mpv hands its log lines over only once no other event waits: the
        // cause of a failure is told when the queue is empty.
        endPending_ = true;
        endReason_ = end->reason;
        endError_ = end->error;
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* prop = static_cast<const mpv_event_property*>(event.data);
        const QByteArray name(prop->name);
        if (prop->format == MPV_FORMAT_INT64 && name == "cache-buffering-state") {
            if (flag("paused-for-cache"))
                sendBuffering(
                    static_cast<int>(std::clamp<int64_t>(*static_cast<int64_t*>(prop->data), 0, 100)));
        } else if (prop->format == MPV_FORMAT_FLAG && name == "paused-for-cache") {
            if (*static_cast<int*>(prop->data) == 0 && state() == State::Playing)
                sendStatus(playingText());
        } else if (prop->format == MPV_FORMAT_FLAG && name == "pause" && showing()) {
            const bool paused = *static_cast<int*>(prop->data) != 0;
            setState(paused ? State::Paused : State::Playing);
            sendStatus(paused ? QStringLiteral("En pause") : playingText());
        }
        break;
    }
    default: break;
    }
}

void MpvEngine::endFile()
{
    switch (endReason_) {
    case MPV_END_FILE_REASON_EOF:
        // Nothing was ever shown: an empty or cut file, a header alone.
        if (!played_) {
            fail(QStringLiteral("Le média ne contient rien à lire."));
            return;
        }
        setState(State::Ended);
        sendStatus(QStringLiteral("Fin du média."));
        return;
    case MPV_END_FILE_REASON_ERROR: {
        // mpv's last warnings usually name the cause.
        QStringList details = log_;
        if (endError_ == MPV_ERROR_UNKNOWN_FORMAT)
            details << QStringLiteral("unknown format");
        details << mpvError(endError_);
        fail(PlayerErrorText(details.join(QLatin1Char('\n'))));
        return;
    }
    default:
        // A file replaced by the next one ends stopped too: the next one opens.
        if (state() != State::Opening)
            sendStopped();
        return;
    }
}
