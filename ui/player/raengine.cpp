#include "ui/player/raengine.h"

#include "portal/errors.h"
#include "ui/player/fullscreen.h"
#include "ui/player/metafilereader.h"
#include "ui/player/playererror.h"

#include <QPointer>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <mpv/client.h>

// Hands mpv's wake-ups (from its own thread) to the user-interface thread. One
// wake-up is queued at a time; the drain then reads every waiting event.
struct RaEngine::Wakeup {
    RaEngine* engine;
    std::atomic<bool> queued{false};

    static void callback(void* data)
    {
        auto* self = static_cast<Wakeup*>(data);
        if (self->queued.exchange(true))
            return;
        RaEngine* engine = self->engine;
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

// mpv's replies for the end of a file, in French; `log` holds its last
// warnings, which usually name the cause.
QString endText(int reason, int error, bool played, const QStringList& log)
{
    switch (reason) {
    case MPV_END_FILE_REASON_EOF:
        // Nothing was ever shown: an empty or cut file, a header alone.
        return played ? QStringLiteral("Fin du média.") : QStringLiteral("Le média ne contient rien à lire.");
    case MPV_END_FILE_REASON_STOP:
    case MPV_END_FILE_REASON_QUIT: return QStringLiteral("Arrêté.");
    case MPV_END_FILE_REASON_ERROR: {
        QStringList details = log;
        if (error == MPV_ERROR_UNKNOWN_FORMAT)
            details << QStringLiteral("unknown format");
        details << mpvError(error);
        return PlayerErrorText(details.join(QLatin1Char('\n')));
    }
    default: return QStringLiteral("Arrêté.");
    }
}

// The sound and picture outputs report their own trials and fall-backs; they
// say nothing about why a stream fails.
bool outputMessage(const QByteArray& prefix)
{
    return prefix == "ao" || prefix.startsWith("ao/") || prefix == "vo" || prefix.startsWith("vo/");
}

} // namespace

RaEngine::RaEngine(QWidget* parent)
    : PlayerEngine(parent)
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

        surface_ = new QWidget(this);
        surface_->setAutoFillBackground(true);
        QPalette pal = surface_->palette();
        pal.setColor(QPalette::Window, Qt::black);
        surface_->setPalette(pal);
        surface_->setGeometry(rect());
        fullScreen_ = new FullScreenSurface(surface_);
        headless_ = HeadlessMedia();
        if (headless_) {
            setOption("vo", "null");
            setOption("ao", "null");
        } else {
            // No sound device (a remote desktop, a kiosk): the picture plays on.
            setOption("audio-fallback-to-null", "yes");
            // Native too, so that going full screen and back moves the picture's
            // window instead of destroying it under the library.
            surface_->setAttribute(Qt::WA_NativeWindow);
            surface_->setAttribute(Qt::WA_DontCreateNativeAncestors);
            video_ = new QWidget(surface_);
            video_->setAttribute(Qt::WA_NativeWindow);
            video_->setAttribute(Qt::WA_DontCreateNativeAncestors);
            video_->setAttribute(Qt::WA_TransparentForMouseEvents);
            auto* layout = new QVBoxLayout(surface_);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(video_);
            setOption("wid", QByteArray::number(static_cast<qint64>(video_->winId())));
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
        connect(metafile_, &MetafileReader::failed, this, [this](const QString& text) {
            starting_ = false;
            sendStatus(text);
        });
        wakeup_ = std::make_unique<Wakeup>();
        wakeup_->engine = this;
        mpv_set_wakeup_callback(mpv_, &Wakeup::callback, wakeup_.get());
    } catch (...) {
        mpv_terminate_destroy(mpv_);
        mpv_ = nullptr;
        throw;
    }
}

RaEngine::~RaEngine()
{
    // No wake-up runs once this returns; mpv's threads end in terminate.
    mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
    mpv_terminate_destroy(mpv_);
}

void RaEngine::setOption(const char* name, const QByteArray& value)
{
    const int rc = mpv_set_option_string(mpv_, name, value.constData());
    if (rc < 0)
        throw zv::Error(QStringLiteral("l'option « %1 » de mpv est refusée (%2).")
                            .arg(QString::fromUtf8(name), mpvError(rc)));
}

bool RaEngine::flag(const char* name) const
{
    int value = 0;
    return mpv_get_property(mpv_, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

double RaEngine::number(const char* name) const
{
    double value = 0;
    if (mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0 || !std::isfinite(value))
        return 0;
    return value;
}

QString RaEngine::playingText() const
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

void RaEngine::setSource(const QString& url)
{
    source_ = url;
}

void RaEngine::play()
{
    int no = 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &no);
    if (source_.isEmpty() || (source_ == loaded_ && (starting_ || playing_)))
        return;
    loaded_ = source_;
    lastBufferPercent_ = -1;
    if (metafile_->follows(source_)) {
        starting_ = true;
        sendStatus(QStringLiteral("Connexion..."));
        metafile_->read(source_);
        return;
    }
    loadFile(source_);
}

void RaEngine::loadFile(const QString& address)
{
    const QByteArray url = address.toUtf8();
    const char* args[] = {"loadfile", url.constData(), "replace", nullptr};
    if (mpv_command(mpv_, args) >= 0) {
        starting_ = true;
        sendStatus(QStringLiteral("Connexion..."));
    } else {
        starting_ = false;
        sendStatus(QStringLiteral("Impossible d'ouvrir le média."));
    }
}

void RaEngine::pause()
{
    int yes = 1;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &yes);
}

void RaEngine::stop()
{
    metafile_->cancel();
    const char* args[] = {"stop", nullptr};
    mpv_command(mpv_, args);
    starting_ = false;
    playing_ = false;
    int no = 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &no);
}

bool RaEngine::isMuted() const
{
    return flag("mute");
}

void RaEngine::setMuted(bool muted)
{
    int value = muted ? 1 : 0;
    mpv_set_property(mpv_, "mute", MPV_FORMAT_FLAG, &value);
}

void RaEngine::setVolume(int volume)
{
    double value = std::clamp(volume, 0, 100);
    mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &value);
}

double RaEngine::position() const
{
    return playing_ ? std::round(number("time-pos") * 1000) : 0;
}

double RaEngine::length() const
{
    return playing_ ? std::round(number("duration") * 1000) : 0;
}

void RaEngine::setPosition(double milliseconds)
{
    if (!std::isfinite(milliseconds))
        return;
    const QByteArray seconds = QByteArray::number(std::max(0.0, milliseconds) / 1000.0, 'f', 3);
    const char* args[] = {"seek", seconds.constData(), "absolute", nullptr};
    mpv_command(mpv_, args);
}

int RaEngine::playState() const
{
    if (playing_)
        return flag("pause") ? 4 : 3;
    return starting_ ? 1 : 0;
}

void RaEngine::setFullScreen(bool on)
{
    fullScreen_->setFullScreen(on);
}

bool RaEngine::isFullScreen() const
{
    return fullScreen_->isFullScreen();
}

void RaEngine::resizeEvent(QResizeEvent* event)
{
    PlayerEngine::resizeEvent(event);
    if (!fullScreen_->isFullScreen())
        surface_->setGeometry(rect());
}

void RaEngine::drainEvents()
{
    // Bounded so that a flood of events cannot hold the window; the rest comes
    // with the next wake-up.
    for (int i = 0; i < 1000; ++i) {
        mpv_event* event = mpv_wait_event(mpv_, 0);
        if (!event || event->event_id == MPV_EVENT_NONE) {
            if (endPending_) {
                endPending_ = false;
                sendStatus(endText(endReason_, endError_, played_, log_));
            }
            return;
        }
        handleEvent(*event);
    }
    Wakeup::callback(wakeup_.get());
}

void RaEngine::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        starting_ = true;
        playing_ = false;
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
        if (starting_ || playing_) {
            starting_ = false;
            playing_ = true;
            played_ = true;
            if (!flag("pause") && !flag("paused-for-cache"))
                sendStatus(playingText());
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // A loadfile replacing the current file ends the old one first.
        if (end->reason == MPV_END_FILE_REASON_REDIRECT)
            break;
        starting_ = false;
        playing_ = false;
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
            if (flag("paused-for-cache")) {
                const int percent
                    = static_cast<int>(std::clamp<int64_t>(*static_cast<int64_t*>(prop->data), 0, 100));
                if (percent != lastBufferPercent_) {
                    lastBufferPercent_ = percent;
                    sendStatus(QStringLiteral("Mise en mémoire tampon : %1 %").arg(percent));
                }
            }
        } else if (prop->format == MPV_FORMAT_FLAG && name == "paused-for-cache") {
            if (*static_cast<int*>(prop->data) == 0 && playing_ && !flag("pause"))
                sendStatus(playingText());
        } else if (prop->format == MPV_FORMAT_FLAG && name == "pause" && playing_) {
            sendStatus(*static_cast<int*>(prop->data) ? QStringLiteral("En pause") : playingText());
        }
        break;
    }
    default: break;
    }
}

void RaEngine::sendStatus(const QString& text)
{
    if (text == lastStatus_)
        return;
    lastStatus_ = text;
    emit statusChanged(text);
}
