#pragma once
// The RealPlayer control, played by libmpv. libmpv counts in seconds and
// tells of a file's start, first frame and end as events: the engine turns
// them into milliseconds and its state.
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
class MetafileReader;

class MpvEngine : public PlayerEngine {
    Q_OBJECT
public:
    // Throws zv::Error when libmpv cannot be created or initialised.
    explicit MpvEngine(QWidget* parent);
    ~MpvEngine() override;

    void setSource(const QString& url) override;
    void play() override;
    void pause() override;
    void stop() override;
    // RealPlayer's set-volume takes a 16-bit integer.
    void setVolume(int volume) override;
    qint64 position() const override;
    qint64 length() const override;
    void seek(qint64 position) override;

private:
    struct Wakeup;
    void applyMute(bool muted) override;
    void loadFile(const QString& address);
    void drainEvents();
    void handleEvent(const struct mpv_event& event);
    void endFile();
    bool showing() const; // playing or paused: a file is open
    QString playingText() const;
    bool flag(const char* name) const;
    double number(const char* name) const;
    void setOption(const char* name, const QByteArray& value);

    mpv_handle* mpv_ = nullptr;
    std::unique_ptr<Wakeup> wakeup_;
    MetafileReader* metafile_ = nullptr;
    QString source_;
    QString loaded_; // the address last handed to mpv
    bool played_ = false; // the current file showed its first frame
    bool endPending_ = false; // the end of a file, told once its log is in
    int endReason_ = 0; // mpv_end_file_reason of that end
    int endError_ = 0; // and its mpv error code
    bool headless_ = false; // null outputs chosen: silence is no news
    QStringList log_; // mpv's last warnings for the current file
};
