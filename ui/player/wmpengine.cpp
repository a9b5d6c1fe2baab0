#include "ui/player/wmpengine.h"

#include "portal/errors.h"
#include "ui/player/fullscreen.h"
#include "ui/player/metafilereader.h"
#include "ui/player/playererror.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMediaDevices>
#include <QPluginLoader>
#include <QTcpSocket>
#include <QTimer>
#include <QVideoWidget>
#include <algorithm>
#include <cmath>
#include <dlfcn.h>

namespace {

// Qt 6.4 ends the whole process when a QMediaPlayer is created without a
// loadable backend, so the backend is looked for before that.
bool mediaBackendPresent(const QString& name)
{
    for (const QString& path : QCoreApplication::libraryPaths()) {
        const QDir dir(path + QStringLiteral("/multimedia"));
        for (const QString& file : dir.entryList(QDir::Files)) {
            const QJsonObject meta = QPluginLoader(dir.filePath(file)).metaData();
            if (meta.value(QStringLiteral("IID")).toString()
                != QLatin1String("org.qt-project.Qt.QPlatformMediaPlugin"))
                continue;
            const QJsonArray keys
                = meta.value(QStringLiteral("MetaData")).toObject().value(QStringLiteral("Keys")).toArray();
            if (name.isEmpty() ? !keys.isEmpty() : keys.contains(name))
                return true;
        }
    }
    return false;
}

// GStreamer tells of a server that cannot be reached, or that stops answering,
// only as a failed data stream.
constexpr int kProbeTimeoutMs = 5000;
constexpr int kWatchdogMs = 1000;
constexpr int kStuckTicks = 2;
constexpr int kMaxReloads = 5;
constexpr qint64 kSlowFailureMs = 12000;

int defaultPort(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return url.port(443);
    if (scheme == QLatin1String("mms") || scheme == QLatin1String("mmsh"))
        return url.port(1755);
    if (scheme.startsWith(QLatin1String("rtsp")))
        return url.port(554);
    return url.port(80);
}

bool generic(const QString& text)
{
    return text.startsWith(QStringLiteral("Impossible de lire le média"));
}

// GStreamer's HTTP source takes the libsoup already in the process, libsoup 3
// otherwise. With libsoup 3 (3.2) a player torn down or given a new address
// while its HTTP source reads may crash in libsoup's own thread, as it closes
// the cancelled answer's stream; libsoup 2.4 has no such fault. So libsoup 2.4
// is loaded first when the system has it (GStreamer's package can use either).
void preferSoup2()
{
    static const bool loaded = [] {
        if (::dlopen("libsoup-3.0.so.0", RTLD_NOW | RTLD_NOLOAD))
            return false; // too late: the two cannot share a process
        return ::dlopen("libsoup-2.4.so.1", RTLD_NOW | RTLD_GLOBAL) != nullptr;
    }();
    Q_UNUSED(loaded);
}

} // namespace

WmpEngine::WmpEngine(QWidget* parent)
    : PlayerEngine(parent)
{
    // The FFmpeg backend of Qt 6.4 stalls on streams; GStreamer plays them.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    preferSoup2();
    const QString backend = qEnvironmentVariable("QT_MEDIA_BACKEND");
    if (!mediaBackendPresent(backend))
        throw zv::Error(
            QStringLiteral("le module de lecture multimédia « %1 » est introuvable.").arg(backend));

    // Without an audio output the backend never reaches the end of the media.
    audio_ = new QAudioOutput(this);
    video_ = new QVideoWidget(this);
    video_->setAspectRatioMode(Qt::IgnoreAspectRatio); // stretch to fit
    video_->setGeometry(rect());
    fullScreen_ = new FullScreenSurface(video_);
    // Qt's GStreamer pipeline now and then freezes on a network stream (an ASF
    // one mostly) although GStreamer itself plays it: loaded afresh, it plays.
    watchdog_ = new QTimer(this);
    watchdog_->setInterval(kWatchdogMs);
    connect(watchdog_, &QTimer::timeout, this, &WmpEngine::checkProgress);

    renewPlayer();
    if (!player_->isAvailable())
        throw zv::Error(QStringLiteral("le lecteur multimédia n'est pas disponible."));

    // Qt Multimedia does not read playlist metafiles: the engine follows them.
    metafile_ = new MetafileReader(
        {QStringLiteral(".asx"), QStringLiteral(".wax"), QStringLiteral(".wvx"), QStringLiteral(".m3u")},
        this);
    connect(metafile_, &MetafileReader::resolved, this, [this](const QUrl& entry) {
        player_->setSource(entry);
        if (playWanted_)
            startPlayer();
    });
    connect(metafile_, &MetafileReader::failed, this, [this](const QString& text) {
        failed_ = true;
        sendStatus(text);
    });
}

void WmpEngine::renewPlayer()
{
    // After an error Qt's GStreamer player stays in it and plays nothing more:
    // each stream that follows a failure gets a new one.
    if (player_) {
        player_->disconnect(this);
        player_->stop();
        player_->setVideoOutput(nullptr);
        player_->setAudioOutput(nullptr);
        delete player_;
    }
    player_ = new QMediaPlayer(this);
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(video_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &WmpEngine::onMediaStatus);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &WmpEngine::onPlaybackState);
    connect(player_, &QMediaPlayer::bufferProgressChanged, this, &WmpEngine::onBufferProgress);
    connect(player_, &QMediaPlayer::errorOccurred, this, &WmpEngine::onError);
}

WmpEngine::~WmpEngine()
{
    // No status texts while the control goes away.
    player_->disconnect(this);
    player_->stop();
}

void WmpEngine::setSource(const QString& url)
{
    // The same address again does not restart the stream, unless it failed.
    if (url == url_ && !failed_ && (metafile_->busy() || !player_->source().isEmpty()))
        return;
    url_ = url;
    lastBufferPercent_ = -1;
    reloads_ = 0;
    playWanted_ = false;
    stopProbe();
    metafile_->cancel();
    if (failed_ || player_->error() != QMediaPlayer::NoError)
        renewPlayer();
    failed_ = false;
    if (metafile_->follows(url)) {
        player_->setSource(QUrl());
        sendStatus(QStringLiteral("Connexion..."));
        metafile_->read(url);
    } else {
        player_->setSource(MetafileReader::toUrl(url));
    }
}

void WmpEngine::play()
{
    if (metafile_->busy()) {
        playWanted_ = true;
        return;
    }
    startPlayer();
}

void WmpEngine::startPlayer()
{
    failed_ = false;
    stopProbe();
    playClock_.start();
    player_->play();
}

void WmpEngine::pause()
{
    player_->pause();
}

void WmpEngine::stop()
{
    if (metafile_->busy()) {
        // Play reads the metafile again.
        metafile_->cancel();
        url_.clear();
    }
    playWanted_ = false;
    player_->stop();
}

bool WmpEngine::isMuted() const
{
    return audio_->isMuted();
}

void WmpEngine::setMuted(bool muted)
{
    audio_->setMuted(muted);
}

void WmpEngine::setVolume(int volume)
{
    audio_->setVolume(std::clamp(volume, 0, 100) / 100.0f);
}

double WmpEngine::position() const
{
    return player_->position() / 1000.0;
}

double WmpEngine::length() const
{
    return player_->duration() / 1000.0;
}

void WmpEngine::setPosition(double seconds)
{
    if (std::isfinite(seconds))
        player_->setPosition(static_cast<qint64>(std::max(0.0, seconds) * 1000));
}

int WmpEngine::playState() const
{
    switch (player_->playbackState()) {
    case QMediaPlayer::PlayingState: return 3;
    case QMediaPlayer::PausedState: return 2;
    case QMediaPlayer::StoppedState: break;
    }
    if (player_->mediaStatus() == QMediaPlayer::EndOfMedia)
        return 8;
    return player_->mediaStatus() == QMediaPlayer::NoMedia ? 0 : 1;
}

void WmpEngine::setFullScreen(bool on)
{
    fullScreen_->setFullScreen(on);
}

bool WmpEngine::isFullScreen() const
{
    return fullScreen_->isFullScreen();
}

void WmpEngine::resizeEvent(QResizeEvent* event)
{
    PlayerEngine::resizeEvent(event);
    if (!fullScreen_->isFullScreen())
        video_->setGeometry(rect());
}

QString WmpEngine::playingText() const
{
    // Without a sound output GStreamer plays into a fake sink: a picture still
    // shows, a sound alone would go unheard without a word.
    if (!player_->hasVideo() && player_->hasAudio() && !HeadlessMedia()
        && QMediaDevices::audioOutputs().isEmpty())
        return PlayerNoSoundText();
    return QStringLiteral("Lecture en cours...");
}

void WmpEngine::sendStatus(const QString& text)
{
    if (text == lastStatus_)
        return;
    lastStatus_ = text;
    emit statusChanged(text);
}

void WmpEngine::onMediaStatus(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::LoadingMedia: sendStatus(QStringLiteral("Connexion...")); break;
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::StalledMedia: onBufferProgress(player_->bufferProgress()); break;
    case QMediaPlayer::BufferedMedia:
        if (player_->playbackState() == QMediaPlayer::PlayingState && !failed_)
            sendStatus(playingText());
        break;
    case QMediaPlayer::EndOfMedia: sendStatus(QStringLiteral("Fin du média.")); break;
    case QMediaPlayer::InvalidMedia:
        // The error that made it so has its own, more precise text.
        if (!failed_)
            sendStatus(QStringLiteral("Média non valide."));
        failed_ = true;
        player_->stop();
        break;
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadedMedia: break;
    }
}

void WmpEngine::checkProgress()
{
    const qint64 position = player_->position();
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    const bool flowing = player_->playbackState() == QMediaPlayer::PlayingState
        && (status == QMediaPlayer::BufferedMedia || status == QMediaPlayer::LoadedMedia);
    if (!flowing || position != lastPosition_ || player_->source().isLocalFile()) {
        lastPosition_ = position;
        stuckTicks_ = 0;
        return;
    }
    if (++stuckTicks_ < kStuckTicks || reloads_ >= kMaxReloads)
        return;
    ++reloads_;
    stuckTicks_ = 0;
    const QUrl source = player_->source();
    player_->setSource(QUrl());
    player_->setSource(source);
    player_->play();
}

void WmpEngine::onPlaybackState(QMediaPlayer::PlaybackState state)
{
    if (state == QMediaPlayer::PlayingState)
        watchdog_->start();
    else
        watchdog_->stop();
    switch (state) {
    case QMediaPlayer::PlayingState:
        if (!failed_)
            sendStatus(playingText());
        break;
    case QMediaPlayer::PausedState: sendStatus(QStringLiteral("En pause")); break;
    case QMediaPlayer::StoppedState:
        if (player_->mediaStatus() != QMediaPlayer::EndOfMedia && player_->error() == QMediaPlayer::NoError)
            sendStatus(QStringLiteral("Arrêté."));
        break;
    }
}

void WmpEngine::onBufferProgress(float progress)
{
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    if (status != QMediaPlayer::BufferingMedia && status != QMediaPlayer::StalledMedia)
        return;
    const int percent = std::clamp(static_cast<int>(std::lround(progress * 100)), 0, 100);
    if (percent == lastBufferPercent_)
        return;
    lastBufferPercent_ = percent;
    sendStatus(QStringLiteral("Mise en mémoire tampon : %1 %").arg(percent));
}

void WmpEngine::onError(QMediaPlayer::Error error, const QString& text)
{
    // GStreamer often follows a vague error with a precise one, or the reverse.
    if (error == QMediaPlayer::NoError || (failed_ && !generic(lastStatus_)))
        return;
    failed_ = true;
    QString detail = text;
    if (detail.trimmed().isEmpty()) {
        switch (error) {
        case QMediaPlayer::NoError:
        case QMediaPlayer::ResourceError: detail = QStringLiteral("could not open resource"); break;
        case QMediaPlayer::FormatError: detail = QStringLiteral("unsupported format"); break;
        case QMediaPlayer::NetworkError: detail = QStringLiteral("network error"); break;
        case QMediaPlayer::AccessDeniedError: detail = QStringLiteral("access denied"); break;
        }
    }
    QString message = PlayerErrorText(detail);
    const QUrl url = player_->source();
    if (generic(message) && !url.isLocalFile() && !url.host().isEmpty()) {
        if (playClock_.isValid() && playClock_.elapsed() >= kSlowFailureMs)
            message = PlayerErrorText(detail + QStringLiteral("\ntimed out"));
        else
            probeServer(url);
    }
    sendStatus(message);
    // GStreamer may stay in its playing state after an error.
    player_->stop();
}

void WmpEngine::probeServer(const QUrl& url)
{
    if (probe_)
        return;
    probe_ = new QTcpSocket(this);
    auto* timer = new QTimer(probe_);
    timer->setSingleShot(true);
    QTcpSocket* probe = probe_;
    const auto conclude = [this, probe](const QString& detail) {
        if (probe_ != probe)
            return;
        if (!detail.isEmpty() && failed_ && generic(lastStatus_))
            sendStatus(PlayerErrorText(detail));
        stopProbe();
    };
    connect(probe_, &QTcpSocket::connected, this, [conclude] { conclude(QString()); });
    connect(probe_, &QTcpSocket::errorOccurred, this,
        [conclude, probe](QAbstractSocket::SocketError) { conclude(probe->errorString()); });
    connect(timer, &QTimer::timeout, this, [conclude] { conclude(QStringLiteral("timed out")); });
    timer->start(kProbeTimeoutMs);
    probe_->connectToHost(url.host(), quint16(defaultPort(url)));
}

void WmpEngine::stopProbe()
{
    if (!probe_)
        return;
    probe_->disconnect(this);
    probe_->abort();
    probe_->deleteLater();
    probe_ = nullptr;
}
