#include "ui/player/qtmultimediaengine.h"

#include "base/errors.h"
#include "ui/player/framepicture.h"
#include "ui/player/metafilereader.h"
#include "ui/player/picturesurface.h"
#include "ui/player/playererror.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMediaDevices>
#include <QPainter>
#include <QPluginLoader>
#include <QTcpSocket>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
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

// Draws the sink's last frame, fitted to the surface with its proportions kept.
//
// The frames come through a sink of our own rather than Qt's video widget: that
// widget hands its GL context to the sink only once it is first drawn, and Qt
// then swaps GStreamer's sink in the running pipeline, which stalls the picture
// of a stream started before its frame was on screen (an ASF one mostly). A
// sink that never gets a GL context keeps one GStreamer sink for the stream's
// whole life.
class FrameView : public QWidget {
public:
    FrameView(QVideoSink* sink, QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
            frame_ = frame;
            update();
        });
    }

    void clear()
    {
        frame_ = QVideoFrame();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        if (!frame_.isValid())
            return;
        QRect target(QPoint(), frame_.size().scaled(size(), Qt::KeepAspectRatio));
        target.moveCenter(rect().center());
        const QImage picture = FramePicture(frame_, target.size());
        // Only a picture smaller than the screen's is scaled, up.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, picture);
    }

private:
    QVideoFrame frame_;
};

QtMultimediaEngine::QtMultimediaEngine(QWidget* parent)
    : PlayerEngine(EngineKind::WindowsMedia, parent)
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
    sink_ = new QVideoSink(this);
    view_ = new FrameView(sink_, surface());
    surface()->hold(view_);

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
    connect(metafile_, &MetafileReader::failed, this, [this](const QString& text) { fail(text); });
}

void QtMultimediaEngine::renewPlayer()
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
    player_->setVideoOutput(sink_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this, &QtMultimediaEngine::onMediaStatus);
    connect(player_, &QMediaPlayer::playbackStateChanged, this, &QtMultimediaEngine::onPlaybackState);
    connect(player_, &QMediaPlayer::bufferProgressChanged, this, &QtMultimediaEngine::onBufferProgress);
    connect(player_, &QMediaPlayer::errorOccurred, this, &QtMultimediaEngine::onError);
}

QtMultimediaEngine::~QtMultimediaEngine()
{
    // No status texts while the control goes away.
    player_->disconnect(this);
    player_->stop();
}

bool QtMultimediaEngine::spent() const
{
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    return state() == State::Ended || state() == State::Failed || player_->error() != QMediaPlayer::NoError
        || status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia;
}

void QtMultimediaEngine::setSource(const QString& url)
{
    const bool same = url == url_;
    if (same && !spent() && (metafile_->busy() || !player_->source().isEmpty()))
        return;
    url_ = url;
    playWanted_ = false;
    stopProbe();
    metafile_->cancel();
    if (player_->error() != QMediaPlayer::NoError || state() == State::Failed)
        renewPlayer();
    else if (same)
        player_->setSource(QUrl()); // Qt takes the same address again as no change
    view_->clear();
    setState(State::Empty);
    if (metafile_->follows(url)) {
        player_->setSource(QUrl());
        sendStatus(QStringLiteral("Connexion..."));
        metafile_->read(url);
    } else {
        player_->setSource(MetafileReader::toUrl(url));
    }
}

void QtMultimediaEngine::play()
{
    if (metafile_->busy()) {
        playWanted_ = true;
        setState(State::Opening);
        return;
    }
    startPlayer();
}

void QtMultimediaEngine::startPlayer()
{
    stopProbe();
    playClock_.start();
    player_->play();
}

void QtMultimediaEngine::pause()
{
    player_->pause();
}

void QtMultimediaEngine::stop()
{
    if (metafile_->busy()) {
        // Play reads the metafile again.
        metafile_->cancel();
        url_.clear();
    }
    playWanted_ = false;
    const State was = state();
    player_->stop();
    view_->clear();
    if (was == State::Opening || was == State::Playing || was == State::Paused)
        sendStopped();
}

void QtMultimediaEngine::applyMute(bool muted)
{
    audio_->setMuted(muted);
}

void QtMultimediaEngine::setVolume(int volume)
{
    audio_->setVolume(std::clamp(volume, 0, 100) / 100.0f);
}

qint64 QtMultimediaEngine::position() const
{
    // Qt keeps a stopped stream's place; a stop goes back to the start, as the
    // control it stands for did (and the position slider with it).
    return state() == State::Empty ? 0 : player_->position();
}

qint64 QtMultimediaEngine::length() const
{
    return player_->duration();
}

void QtMultimediaEngine::seek(qint64 position)
{
    // Before the stream has started, GStreamer cannot seek it.
    const qint64 length = this->length();
    if (this->position() > 0 && length > 0)
        player_->setPosition(std::clamp<qint64>(position, 0, length));
}

QString QtMultimediaEngine::playingText() const
{
    // Without a sound output GStreamer plays into a fake sink: a picture still
    // shows, a sound alone would go unheard without a word.
    if (!player_->hasVideo() && player_->hasAudio() && !HeadlessMedia()
        && QMediaDevices::audioOutputs().isEmpty())
        return PlayerNoSoundText();
    return QStringLiteral("Lecture en cours...");
}

void QtMultimediaEngine::onMediaStatus(QMediaPlayer::MediaStatus status)
{
    switch (status) {
    case QMediaPlayer::LoadingMedia: sendStatus(QStringLiteral("Connexion...")); break;
    case QMediaPlayer::BufferingMedia:
    case QMediaPlayer::StalledMedia: onBufferProgress(player_->bufferProgress()); break;
    case QMediaPlayer::BufferedMedia:
        if (state() == State::Playing)
            sendStatus(playingText());
        break;
    case QMediaPlayer::EndOfMedia:
        if (state() != State::Failed) {
            setState(State::Ended);
            sendStatus(QStringLiteral("Fin du média."));
        }
        break;
    case QMediaPlayer::InvalidMedia:
        // The error that made it so has its own, more precise text.
        if (state() != State::Failed)
            fail(QStringLiteral("Média non valide."));
        player_->stop();
        break;
    case QMediaPlayer::NoMedia:
    case QMediaPlayer::LoadedMedia: break;
    }
}

void QtMultimediaEngine::onPlaybackState(QMediaPlayer::PlaybackState state)
{
    switch (state) {
    case QMediaPlayer::PlayingState:
        if (this->state() != State::Failed) {
            setState(State::Playing);
            sendStatus(playingText());
        }
        break;
    case QMediaPlayer::PausedState:
        if (this->state() != State::Failed) {
            setState(State::Paused);
            sendStatus(QStringLiteral("En pause"));
        }
        break;
    case QMediaPlayer::StoppedState:
        // An end or a failure says so itself, a stop of ours too.
        if (this->state() == State::Opening || this->state() == State::Playing
            || this->state() == State::Paused)
            setState(State::Empty);
        break;
    }
}

void QtMultimediaEngine::onBufferProgress(float progress)
{
    // Qt reports how full its buffer is all along, also while stopping.
    const QMediaPlayer::MediaStatus status = player_->mediaStatus();
    if (player_->playbackState() != QMediaPlayer::PlayingState
        || (status != QMediaPlayer::BufferingMedia && status != QMediaPlayer::StalledMedia))
        return;
    sendBuffering(static_cast<int>(std::lround(progress * 100)));
}

void QtMultimediaEngine::onError(QMediaPlayer::Error error, const QString& text)
{
    // GStreamer often follows a vague error with a precise one, or the reverse.
    if (error == QMediaPlayer::NoError || (state() == State::Failed && !generic(lastText())))
        return;
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
    fail(message);
    // GStreamer may stay in its playing state after an error.
    player_->stop();
}

void QtMultimediaEngine::probeServer(const QUrl& url)
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
        if (!detail.isEmpty() && state() == State::Failed && generic(lastText()))
            fail(PlayerErrorText(detail));
        stopProbe();
    };
    connect(probe_, &QTcpSocket::connected, this, [conclude] { conclude(QString()); });
    connect(probe_, &QTcpSocket::errorOccurred, this,
        [conclude, probe](QAbstractSocket::SocketError) { conclude(probe->errorString()); });
    connect(timer, &QTimer::timeout, this, [conclude] { conclude(QStringLiteral("timed out")); });
    timer->start(kProbeTimeoutMs);
    probe_->connectToHost(url.host(), quint16(defaultPort(url)));
}

void QtMultimediaEngine::stopProbe()
{
    if (!probe_)
        return;
    probe_->disconnect(this);
    probe_->abort();
    probe_->deleteLater();
    probe_ = nullptr;
}
