#pragma once
// TfrmPlayer: the frame that plays one stream at a time through one of three
// player controls (Windows Media Player, RealPlayer, VLC), chosen from the URL.
#include "ui/player/engine.h"

#include <QFrame>
#include <QString>
#include <memory>

class QLabel;

class TfrmPlayer : public QFrame {
    Q_OBJECT
public:
    explicit TfrmPlayer(QWidget* parent = nullptr);
    ~TfrmPlayer() override;

    // Chooses the engine from the URL, keeps or replaces the control. An empty
    // URL releases the control. When the engine cannot be started: message box,
    // error panel, then throws zv::Abort (the caller's guarded() ends silently).
    void Load(const QString& url, AddressLength length = AddressLength::PortalCut);
    void Play();
    void Pause(); // toggles
    void Stop();
    void ToggleMute();
    void FullScreen();
    void SetVolume(int volume); // 0..100
    double GetPosition() const; // fraction of the length, 0 when unknown
    double LengthSeconds() const; // of the stream, 0 when unknown
    void SetPosition(double fraction);
    bool IsPlaying() const;
    bool IsPaused() const;
    bool IsMuted() const;

    // The URL last given to Load, without its engine prefix.
    const QString& url() const { return Url; }
    // The current control, or null.
    PlayerEngine* playerControl() const { return PlayerControl.get(); }

    // Replaces the engines of every frame (tests); an empty factory restores the
    // real engines.
    static void setEngineFactory(EngineFactory factory);

    QFrame* panErreurWMP = nullptr;
    QLabel* lblErrInfoWMP = nullptr;
    QLabel* lblErrLienWMP = nullptr;
    QFrame* panErreurRA = nullptr;
    QLabel* lblErrInfoRA = nullptr;
    QLabel* lblErrLienRA = nullptr;
    QFrame* panErreurVLC = nullptr;
    QLabel* lblErrInfoVLC = nullptr;
    QLabel* lblErrLienVLC = nullptr;

signals:
    // Status texts of the engine (the main window binds PlayerMessage here).
    // `sender` is the control or the frame; receivers must not rely on which.
    void Message(QObject* sender, const QString& text);

public slots:
    void lblErrLienWMPClick();
    void lblErrLienRAClick();
    void lblErrLienVLCClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<PlayerEngine> PlayerControl;
    QString Url;
};
