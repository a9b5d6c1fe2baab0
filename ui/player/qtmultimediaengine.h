#pragma once
// The Windows Media Player control, played by Qt Multimedia (GStreamer on
// Linux). Qt already counts in milliseconds; its playback state and media
// status make the engine's state.
#include "ui/player/engine.h"

#include <QElapsedTimer>
#include <QMediaPlayer>

class FrameView;
class MetafileReader;
class QAudioOutput;
class QTcpSocket;
class QVideoSink;

class QtMultimediaEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when Qt Multimedia has no usable backend.
    explicit QtMultimediaEngine(QWidget* parent);
    ~QtMultimediaEngine() override;

    void setSource(const QString& url) override;
    void play() override;
    void pause() override;
    void stop() override;
    void setVolume(int volume) override;
    qint64 position() const override;
    qint64 length() const override;
    void seek(qint64 position) override;

private:
    void applyMute(bool muted) override;
    void renewPlayer();
    void startPlayer();
    bool spent() const;
    QString playingText() const;
    void onMediaStatus(QMediaPlayer::MediaStatus status);
    void onPlaybackState(QMediaPlayer::PlaybackState state);
    void onBufferProgress(float progress);
    void onError(QMediaPlayer::Error error, const QString& text);
    // Asks the stream's server for a connection, to tell an unreachable or
    // silent server from a stream that fails.
    void probeServer(const QUrl& url);
    void stopProbe();

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* audio_ = nullptr;
    QVideoSink* sink_ = nullptr;
    FrameView* view_ = nullptr;
    MetafileReader* metafile_ = nullptr;
    bool playWanted_ = false; // Play came while the metafile is read
    QString url_;
    QElapsedTimer playClock_; // since the last play
    QTcpSocket* probe_ = nullptr;
};
