#include "ui/player/vlcengine.h"

#include "base/errors.h"
#include "ui/player/picturesurface.h"
#include "ui/player/playererror.h"

#include <QByteArrayList>
#include <QTimer>
#include <QUrl>
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
    : PlayerEngine(EngineKind::Vlc, parent)
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

    if (!headless)
        libvlc_media_player_set_xwindow(player_.get(), static_cast<uint32_t>(surface()->nativeWindow()));
    startTimer_ = new QTimer(this);
    startTimer_->setSingleShot(true);
    startTimer_->setInterval(kStartTimeoutMs);
    connect(startTimer_, &QTimer::timeout, this, [this] {
        if (positionSeen_)
            return;
        libvlc_media_player_stop(player_.get());
        fail(PlayerErrorText(QStringLiteral("timed out")));
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
    const int generation = self->generation_;
    QMetaObject::invokeMethod(
        self,
        [self, type, generation] {
            if (generation == self->generation_)
                self->onEvent(type);
        },
        Qt::QueuedConnection);
}

void VlcEngine::onEvent(int type)
{
    // The plugin's host showed only its own two texts: what went wrong is
    // all that is told here.
    switch (type) {
    case libvlc_MediaPlayerPlaying:
        if (!paused_)
            setState(State::Playing);
        break;
    case libvlc_MediaPlayerStopped:
        if (state() == State::Opening || state() == State::Playing || state() == State::Paused)
            setState(State::Empty);
        break;
    case libvlc_MediaPlayerPositionChanged:
        startTimer_->stop();
        onPlayingForSure();
        break;
    case libvlc_MediaPlayerEndReached:
        startTimer_->stop();
        // What is not a stream may still move the position: libVLC reads it to
        // the end as MPEG, finding no sound or picture.
        if (positionSeen_ && hadTracks())
            setState(State::Ended);
        else if (!playFirstEntry())
            fail(QStringLiteral("Le média ne contient rien à lire."));
        break;
    case libvlc_MediaPlayerEncounteredError: {
        startTimer_->stop();
        QStringList details;
        {
            std::lock_guard lock(logMutex_);
            details = log_;
        }
        fail(PlayerErrorText(details.join(QLatin1Char('\n'))));
        break;
    }
    default: break;
    }
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
        sendStatus(PlayerNoSoundText());
}

void VlcEngine::setSource(const QString& url)
{
    url_ = url;
    fresh_ = true;
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
    ++generation_;
    setState(State::Opening);
    libvlc_media_player_play(player_.get());
    startTimer_->start();
}

void VlcEngine::play()
{
    paused_ = false;
    if (!fresh_) {
        // Resumes after a pause.
        libvlc_media_player_set_pause(player_.get(), 0);
        if (libvlc_media_player_get_state(player_.get()) != libvlc_Playing)
            libvlc_media_player_play(player_.get());
        if (!positionSeen_)
            startTimer_->start();
        setState(libvlc_media_player_is_playing(player_.get()) ? State::Playing : State::Opening);
        return;
    }
    fresh_ = false;
    entryDepth_ = 0;
    if (libvlc_media_t* media = newMedia(instance_.get(), url_))
        startMedia(media);
    else
        fail(PlayerErrorText(vlcError()));
    sendStatus(QStringLiteral("Lecture en cours..."));
}

void VlcEngine::pause()
{
    startTimer_->stop();
    libvlc_media_player_set_pause(player_.get(), 1);
    paused_ = true;
    setState(State::Paused);
}

void VlcEngine::stop()
{
    startTimer_->stop();
    libvlc_media_player_stop(player_.get());
    ++generation_;
    paused_ = false;
    sendStopped();
}

void VlcEngine::applyMute(bool)
{
    libvlc_audio_toggle_mute(player_.get());
}

void VlcEngine::setVolume(int volume)
{
    libvlc_audio_set_volume(player_.get(), std::clamp(volume, 0, 100));
}

qint64 VlcEngine::position() const
{
    const qint64 length = this->length();
    const float fraction = libvlc_media_player_get_position(player_.get());
    if (length <= 0 || !std::isfinite(fraction))
        return 0;
    return std::llround(std::clamp(static_cast<double>(fraction), 0.0, 1.0) * double(length));
}

qint64 VlcEngine::length() const
{
    return std::max<libvlc_time_t>(0, libvlc_media_player_get_length(player_.get()));
}

void VlcEngine::seek(qint64 position)
{
    const qint64 length = this->length();
    if (length > 0)
        libvlc_media_player_set_position(
            player_.get(), static_cast<float>(std::clamp(double(position) / double(length), 0.0, 1.0)));
}
