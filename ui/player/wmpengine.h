#pragma once
// The Windows Media Player control, played by Qt Multimedia (GStreamer).
// Positions in seconds; play state 1 stopped, 2 paused, 3 playing, 8 ended.
#include "ui/player/engine.h"

#include <QElapsedTimer>
#include <QMediaPlayer>

class FullScreenSurface;
class MetafileReader;
class QAudioOutput;
class QTcpSocket;
class QTimer;
class QVideoWidget;

class WmpEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when Qt Multimedia has no usable backend.
    explicit WmpEngine(QWidget* parent);
    ~WmpEngine() override;

    EngineKind kind() const override { return EngineKind::WindowsMedia; }
    void setSource(const QString& url) override;
    void play() override;
    void pause() override;
    void stop() override;
    bool isMuted() const override;
    void setMuted(bool muted) override;
    void setVolume(int volume) override;
    double position() const override;
    double length() const override;
    void setPosition(double seconds) override;
    int playState() const override;
    bool isPlaying() const override { return playState() == 3; }
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void renewPlayer();
    void startPlayer();
    QString playingText() const;
    void sendStatus(const QString& text);
    void onMediaStatus(QMediaPlayer::MediaStatus status);
    void onPlaybackState(QMediaPlayer::PlaybackState state);
    void onBufferProgress(float progress);
    void onError(QMediaPlayer::Error error, const QString& text);
    // Asks the stream's server for a connection, to tell an unreachable or
    // silent server from a stream that fails.
    void probeServer(const QUrl& url);
    void stopProbe();
    void checkProgress();

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
    QVideoWidget* video_ = nullptr;
    FullScreenSurface* fullScreen_ = nullptr;
    MetafileReader* metafile_ = nullptr;
    bool playWanted_ = false; // Play came while the metafile is read
    QString url_;
    QString lastStatus_;
    int lastBufferPercent_ = -1;
    bool failed_ = false; // an error was shown for this stream
    QElapsedTimer playClock_; // since the last play
    QTcpSocket* probe_ = nullptr;
    QTimer* watchdog_ = nullptr; // looks for a picture that stopped moving
    qint64 lastPosition_ = -1;
    int stuckTicks_ = 0;
    int reloads_ = 0; // of the current address
};
