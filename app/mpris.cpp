#include "app/mpris.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <algorithm>

namespace {

const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString noTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString statusText(MediaControls::Status status)
{
    switch (status) {
    case MediaControls::Status::Playing: return QStringLiteral("Playing");
    case MediaControls::Status::Paused: return QStringLiteral("Paused");
    case MediaControls::Status::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QString trackPath(const MediaControls::Track& track)
{
    return track.id.isEmpty() ? noTrack : QStringLiteral("/fr/zevalo/Multimedia/Piste/") + track.id;
}

} // namespace

// org.mpris.MediaPlayer2: the program itself.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

public:
    explicit MprisRoot(MprisService* service)
        : QDBusAbstractAdaptor(service)
        , service_(service)
    {
    }
    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Zevalo Multimédia"); }
    QString desktopEntry() const { return QStringLiteral("fr.zevalo.Multimedia"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { service_->controls().raise(); }
    void Quit() { service_->controls().quit(); }

private:
    MprisService* service_;
};

// org.mpris.MediaPlayer2.Player: the playback row of the main window.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    explicit MprisPlayer(MprisService* service)
        : QDBusAbstractAdaptor(service)
        , service_(service)
    {
    }
    QString playbackStatus() const { return statusText(controls().status()); }
    double rate() const { return 1.0; }
    void setRate(double) { } // one speed only
    QVariantMap metadata() const { return service_->metadata(); }
    double volume() const { return controls().volume(); }
    void setVolume(double volume)
    {
        act([&] { controls().setVolume(std::clamp(volume, 0.0, 1.0)); });
    }
    qlonglong position() const { return controls().positionUs(); }
    bool canGoNext() const { return controls().canGoNext(); }
    bool canGoPrevious() const { return controls().canGoPrevious(); }
    bool canPlay() const { return controls().canPlay(); }
    bool canPause() const { return controls().status() != MediaControls::Status::Stopped; }
    bool canSeek() const { return controls().track().lengthUs > 0; }
    bool canControl() const { return true; }

public slots:
    void Next()
    {
        act([&] { controls().next(); });
    }
    void Previous()
    {
        act([&] { controls().previous(); });
    }
    void Pause()
    {
        act([&] { controls().pause(); });
    }
    void PlayPause()
    {
        act([&] { controls().playPause(); });
    }
    void Stop()
    {
        act([&] { controls().stop(); });
    }
    void Play()
    {
        act([&] { controls().play(); });
    }
    void Seek(qlonglong offset) { seekTo(controls().positionUs() + offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position)
    {
        // A position for a stream that is no longer the one loaded is ignored.
        if (track.path() == trackPath(controls().track()))
            seekTo(position);
    }
    void OpenUri(const QString&) { } // no address schemes are offered

signals:
    void Seeked(qlonglong position);

private:
    MediaControls& controls() const { return service_->controls(); }
    template <typename F> void act(F&& f)
    {
        f();
        service_->refresh();
    }
    void seekTo(qlonglong position)
    {
        const qint64 length = controls().track().lengthUs;
        if (length <= 0)
            return;
        act([&] { controls().seekTo(std::clamp<qint64>(position, 0, length)); });
        emit Seeked(controls().positionUs());
    }

    MprisService* service_;
};

MprisService::MprisService(MediaControls& controls, QObject* parent)
    : QObject(parent)
    , controls_(controls)
    , timer_(new QTimer(this))
{
    new MprisRoot(this);
    new MprisPlayer(this);
    timer_->setInterval(500);
    connect(timer_, &QTimer::timeout, this, &MprisService::refresh);
}

MprisService::~MprisService()
{
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(service_);
    bus.unregisterObject(objectPath);
}

bool MprisService::registerOnSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (registered_ || !bus.isConnected()
        || !bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    // A second copy on the same bus (one that found no instance lock) takes a
    // name of its own.
    const QString base = QStringLiteral("org.mpris.MediaPlayer2.zevalo");
    for (const QString& name :
        {base, base + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid())}) {
        if (bus.registerService(name)) {
            service_ = name;
            break;
        }
    }
    if (service_.isEmpty()) {
        bus.unregisterObject(objectPath);
        return false;
    }
    registered_ = true;
    last_ = playerProperties();
    timer_->start();
    return true;
}

QVariantMap MprisService::metadata() const
{
    const MediaControls::Track track = controls_.track();
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackPath(track))));
    if (track.id.isEmpty())
        return map;
    map.insert(QStringLiteral("xesam:title"), track.title);
    map.insert(QStringLiteral("xesam:url"), track.url);
    if (track.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), qlonglong(track.lengthUs));
    return map;
}

QVariantMap MprisService::playerProperties() const
{
    const MediaControls::Status status = controls_.status();
    return {
        {QStringLiteral("PlaybackStatus"), statusText(status)},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), controls_.volume()},
        {QStringLiteral("CanGoNext"), controls_.canGoNext()},
        {QStringLiteral("CanGoPrevious"), controls_.canGoPrevious()},
        {QStringLiteral("CanPlay"), controls_.canPlay()},
        {QStringLiteral("CanPause"), status != MediaControls::Status::Stopped},
        {QStringLiteral("CanSeek"), controls_.track().lengthUs > 0},
    };
}

void MprisService::refresh()
{
    if (!registered_)
        return;
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (last_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    last_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        objectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

#include "mpris.moc"
