#include "ui/player/vlcengine.h"

#include "portal/errors.h"
#include "ui/player/fullscreen.h"
#include "ui/player/playererror.h"

#include <QByteArrayList>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>
#include <vlc/vlc.h>

namespace {

// The events the control reports; libVLC sends them from its own threads.
constexpr libvlc_event_e kEvents[]
    = {libvlc_MediaPlayerPlaying, libvlc_MediaPlayerPaused, libvlc_MediaPlayerStopped,
        libvlc_MediaPlayerEndReached, libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerPositionChanged};

// How many of libVLC's last warnings are kept to explain a failure.
constexpr int kKeptLogLines = 6;
// Playlists inside playlists, at most.
constexpr int kMaxEntryDepth = 4;
// libVLC waits for ever on a server that takes the connection and never
// answers; a stream that has not moved by then is given up.
constexpr int kStartTimeoutMs = 30000;

QString vlcError()
{
    const char* message = libvlc_errmsg();
    return message ? QString::fromUtf8(message) : QString();
}

// A local path has no scheme; everything else is handed over as a location.
libvlc_media_t* newMedia(libvlc_instance_t* instance, const QString& url)
{
    const QByteArray bytes = url.toUtf8();
    if (url.contains(QLatin1String("://")))
        return libvlc_media_new_location(instance, bytes.constData());
    return libvlc_media_new_path(instance, bytes.constData());
}

} // namespace

void VlcEngine::InstanceRelease::operator()(libvlc_instance_t* instance) const
{
    libvlc_release(instance);
}

void VlcEngine::PlayerRelease::operator()(libvlc_media_player_t* player) const
{
    libvlc_media_player_release(player);
}

VlcEngine::VlcEngine(QWidget* parent)
    : PlayerEngine(parent)
{
    QByteArrayList args{"--quiet", "--no-video-title-show", "--no-osd", "--no-snapshot-preview", "--no-stats",
        "--no-media-library", "--ignore-config"};
    const bool headless = HeadlessMedia();
    if (headless)
        args << "--aout=dummy"
             << "--vout=dummy";
    for (const QByteArray& extra : qgetenv("ZV_VLC_OPTIONS").split(' '))
        if (!extra.trimmed().isEmpty())
            args << extra.trimmed();
    std::vector<const char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());

    instance_.reset(libvlc_new(static_cast<int>(argv.size()), argv.data()));
    if (!instance_) {
        const QString reason = vlcError();
        throw zv::Error(reason.isEmpty()
                ? QStringLiteral("la bibliothèque VLC n'a pas pu démarrer.")
                : QStringLiteral("la bibliothèque VLC n'a pas pu démarrer (%1).").arg(reason));
    }
    libvlc_log_set(instance_.get(), &VlcEngine::onVlcLog, this);
    player_.reset(libvlc_media_player_new(instance_.get()));
    if (!player_)
        throw zv::Error(QStringLiteral("le lecteur VLC n'a pas pu être créé."));

    surface_ = new QWidget(this);
    surface_->setAutoFillBackground(true);
    QPalette pal = surface_->palette();
    pal.setColor(QPalette::Window, Qt::black);
    surface_->setPalette(pal);
    surface_->setGeometry(rect());
    fullScreen_ = new FullScreenSurface(surface_);
    if (!headless) {
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
        libvlc_media_player_set_xwindow(player_.get(), static_cast<uint32_t>(video_->winId()));
    }
    startTimer_ = new QTimer(this);
    startTimer_->setSingleShot(true);
    startTimer_->setInterval(kStartTimeoutMs);
    connect(startTimer_, &QTimer::timeout, this, [this] {
        if (positionSeen_)
            return;
        libvlc_media_player_stop(player_.get());
        emit statusChanged(PlayerErrorText(QStringLiteral("timed out")));
    });
    // Keys and clicks go to the program (Escape leaves full screen).
    libvlc_video_set_key_input(player_.get(), 0);
    libvlc_video_set_mouse_input(player_.get(), 0);
    attachEvents(true);
}

VlcEngine::~VlcEngine()
{
    // Detaching waits for a callback in progress; queued calls die with us.
    attachEvents(false);
    libvlc_media_player_stop(player_.get());
    player_.reset();
    libvlc_log_unset(instance_.get());
}

void VlcEngine::attachEvents(bool attach)
{
    libvlc_event_manager_t* manager = libvlc_media_player_event_manager(player_.get());
    for (libvlc_event_e type : kEvents) {
        if (attach)
            libvlc_event_attach(manager, type, &VlcEngine::onVlcEvent, this);
        else
            libvlc_event_detach(manager, type, &VlcEngine::onVlcEvent, this);
    }
}

void VlcEngine::onVlcLog(void* data, int level, const libvlc_log_t* context, const char* format, va_list args)
{
    if (level < LIBVLC_WARNING)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    const char* module = nullptr;
    libvlc_log_get_context(context, &module, nullptr, nullptr);
    const QByteArray name(module ? module : "");
    auto* self = static_cast<VlcEngine*>(data);
    const QString line = QString::fromUtf8(text).trimmed();
    std::lock_guard lock(self->logMutex_);
    // The sound output's trials say nothing of the stream; their failure means
    // no sound device.
    if (name.startsWith("vlcpulse") || name.startsWith("pulse") || name.startsWith("alsa")
        || line.contains(QLatin1String("audio"), Qt::CaseInsensitive)
        || line == QLatin1String("module not functional")) {
        if (level == LIBVLC_ERROR && line == QLatin1String("failed to create audio output"))
            self->noSound_ = true;
        return;
    }
    self->log_ << line;
    if (self->log_.size() > kKeptLogLines)
        self->log_.removeFirst();
}

void VlcEngine::onVlcEvent(const libvlc_event_t* event, void* data)
{
    auto* self = static_cast<VlcEngine*>(data);
    const int type = event->type;
    if (type == libvlc_MediaPlayerPositionChanged && self->positionSeen_.exchange(true))
        return;
    // The frame shows its own texts for VLC; only what went wrong is told here.
    QMetaObject::invokeMethod(
        self,
        [self, type] {
            switch (type) {
            case libvlc_MediaPlayerPositionChanged:
                self->startTimer_->stop();
                self->onPlayingForSure();
                break;
            case libvlc_MediaPlayerEndReached:
                self->startTimer_->stop();
                // What is not a stream may still move the position: libVLC
                // reads it to the end as MPEG, finding no sound or picture.
                if ((!self->positionSeen_ || !self->hadTracks()) && !self->playFirstEntry())
                    emit self->statusChanged(QStringLiteral("Le média ne contient rien à lire."));
                break;
            case libvlc_MediaPlayerEncounteredError: {
                self->startTimer_->stop();
                QStringList details;
                {
                    std::lock_guard lock(self->logMutex_);
                    details = self->log_;
                }
                emit self->statusChanged(PlayerErrorText(details.join(QLatin1Char('\n'))));
                break;
            }
            default: break;
            }
        },
        Qt::QueuedConnection);
}

bool VlcEngine::playFirstEntry()
{
    // A playlist (.m3u, .asx, .ram...) ends at once, its entries read: the
    // first one plays in its place. Bounded, as a playlist may name itself.
    if (++entryDepth_ > kMaxEntryDepth)
        return false;
    libvlc_media_t* media = libvlc_media_player_get_media(player_.get());
    if (!media)
        return false;
    libvlc_media_list_t* entries = libvlc_media_subitems(media);
    libvlc_media_release(media);
    if (!entries)
        return false;
    libvlc_media_list_lock(entries);
    libvlc_media_t* first
        = libvlc_media_list_count(entries) > 0 ? libvlc_media_list_item_at_index(entries, 0) : nullptr;
    libvlc_media_list_unlock(entries);
    libvlc_media_list_release(entries);
    if (!first)
        return false;
    startMedia(first);
    return true;
}

bool VlcEngine::hadTracks() const
{
    libvlc_media_t* media = libvlc_media_player_get_media(player_.get());
    if (!media)
        return false;
    libvlc_media_track_t** tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(media, &tracks);
    bool any = false;
    for (unsigned i = 0; i < count; ++i)
        any = any || tracks[i]->i_type == libvlc_track_audio || tracks[i]->i_type == libvlc_track_video;
    libvlc_media_tracks_release(tracks, count);
    libvlc_media_release(media);
    return any;
}

void VlcEngine::onPlayingForSure()
{
    // By the first move of the position every track has its decoder.
    bool noSound = false;
    {
        std::lock_guard lock(logMutex_);
        noSound = noSound_;
    }
    if (noSound && !HeadlessMedia() && libvlc_video_get_track_count(player_.get()) <= 0)
        emit statusChanged(PlayerNoSoundText());
}

void VlcEngine::setSource(const QString& url)
{
    libvlc_media_t* media = newMedia(instance_.get(), url);
    if (!media)
        return;
    entryDepth_ = 0;
    startMedia(media);
}

void VlcEngine::startMedia(libvlc_media_t* media)
{
    {
        std::lock_guard lock(logMutex_);
        log_.clear();
        noSound_ = false;
    }
    positionSeen_ = false;
    libvlc_media_player_set_media(player_.get(), media);
    libvlc_media_release(media);
    libvlc_media_player_play(player_.get());
    startTimer_->start();
}

void VlcEngine::play()
{
    libvlc_media_player_set_pause(player_.get(), 0);
    if (libvlc_media_player_get_state(player_.get()) != libvlc_Playing)
        libvlc_media_player_play(player_.get());
    if (!positionSeen_)
        startTimer_->start();
}

void VlcEngine::pause()
{
    startTimer_->stop();
    libvlc_media_player_set_pause(player_.get(), 1);
}

void VlcEngine::stop()
{
    startTimer_->stop();
    libvlc_media_player_stop(player_.get());
}

bool VlcEngine::isMuted() const
{
    return libvlc_audio_get_mute(player_.get()) == 1;
}

void VlcEngine::setMuted(bool muted)
{
    libvlc_audio_set_mute(player_.get(), muted ? 1 : 0);
}

void VlcEngine::toggleMute()
{
    libvlc_audio_toggle_mute(player_.get());
}

void VlcEngine::setVolume(int volume)
{
    libvlc_audio_set_volume(player_.get(), std::clamp(volume, 0, 100));
}

double VlcEngine::position() const
{
    const float position = libvlc_media_player_get_position(player_.get());
    return std::isfinite(position) ? std::clamp(static_cast<double>(position), 0.0, 1.0) : 0.0;
}

double VlcEngine::length() const
{
    return std::max<libvlc_time_t>(0, libvlc_media_player_get_length(player_.get()));
}

void VlcEngine::setPosition(double fraction)
{
    if (std::isfinite(fraction))
        libvlc_media_player_set_position(player_.get(), static_cast<float>(std::clamp(fraction, 0.0, 1.0)));
}

int VlcEngine::playState() const
{
    return libvlc_media_player_get_state(player_.get());
}

bool VlcEngine::isPlaying() const
{
    return libvlc_media_player_is_playing(player_.get()) != 0;
}

void VlcEngine::setFullScreen(bool on)
{
    fullScreen_->setFullScreen(on);
}

bool VlcEngine::isFullScreen() const
{
    return fullScreen_->isFullScreen();
}

void VlcEngine::resizeEvent(QResizeEvent* event)
{
    PlayerEngine::resizeEvent(event);
    if (!fullScreen_->isFullScreen())
        surface_->setGeometry(rect());
}
