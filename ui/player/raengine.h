#pragma once
// The RealPlayer control, played by libmpv. Positions in milliseconds; play
// state 0 stopped, 1 connecting, 3 playing, 4 paused.
//
// The control's settings applied at creation, in this order:
//   AutoStart := false        nothing plays before Play;
//   Controls := "ImageWindow" the picture only: no on-screen controller or texts;
//   MaintainAspect := true    the picture keeps its proportions;
//   EnableContextMenu := false the picture takes no keys or clicks of its own;
//   NoLogo := true            a black window while nothing plays.
// Extra mpv options may be given as ZV_MPV_OPTIONS="name=value,name=value".
#include "ui/player/engine.h"

#include <QStringList>
#include <memory>

struct mpv_handle;
class FullScreenSurface;
class MetafileReader;

class RaEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when libmpv cannot be created or initialised.
    explicit RaEngine(QWidget* parent);
    ~RaEngine() override;

    EngineKind kind() const override { return EngineKind::RealPlayer; }
    void setSource(const QString& url) override;
    void play() override;
    void pause() override;
    void stop() override;
    bool isMuted() const override;
    void setMuted(bool muted) override;
    void setVolume(int volume) override;
    double position() const override;
    double length() const override;
    void setPosition(double milliseconds) override;
    int playState() const override;
    bool isPlaying() const override { return playState() == 3; }
    void setFullScreen(bool on) override;
    bool isFullScreen() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Wakeup;
    void loadFile(const QString& address);
    void drainEvents();
    void handleEvent(const struct mpv_event& event);
    QString playingText() const;
    void sendStatus(const QString& text);
    bool flag(const char* name) const;
    double number(const char* name) const;
    void setOption(const char* name, const QByteArray& value);

    mpv_handle* mpv_ = nullptr;
    std::unique_ptr<Wakeup> wakeup_;
    QWidget* surface_ = nullptr; // what goes full screen
    QWidget* video_ = nullptr; // mpv draws into this native window
    FullScreenSurface* fullScreen_ = nullptr;
    MetafileReader* metafile_ = nullptr;
    QString source_;
    QString loaded_; // the address last handed to mpv
    bool starting_ = false; // loadfile sent, first frame not yet shown
    bool playing_ = false; // between the first frame and the end of the file
    bool played_ = false; // the current file showed its first frame
    bool endPending_ = false; // the end of a file, told once its log is in
    int endReason_ = 0; // mpv_end_file_reason of that end
    int endError_ = 0; // and its mpv error code
    bool headless_ = false; // null outputs chosen: silence is no news
    QStringList log_; // mpv's last warnings for the current file
    QString lastStatus_;
    int lastBufferPercent_ = -1;
};
