#pragma once
// The main window on the desktop: the player controls of the session (MPRIS,
// media keys), its keyboard shortcuts, and being brought forward by a second
// start.
#include "app/mediacontrols.h"

#include <QObject>

class MprisService;
class QWidget;
class TfmPrinc;

// Restores a minimised window, raises and activates it; a hidden window (the
// popup agent without /test) stays hidden.
void BringToFront(QWidget* window);

// The playback row seen from the desktop, acting on the window's play queue.
// Keys of the window (not of the dialogs it opens): Space play/pause, M mute,
// F full screen, Escape leaves it, Up/Down volume; a focused control keeps
// those it uses (a text field all, a button Space, a list or a slider the
// arrows). Next and Previous move along the list whose row plays, or along
// the favourites in continuous play.
class TDesktopControls : public QObject, public MediaControls {
    Q_OBJECT
public:
    explicit TDesktopControls(TfmPrinc* window);

    Status status() const override;
    Track track() const override;
    qint64 positionUs() const override;
    double volume() const override;
    bool canPlay() const override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;
    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void setVolume(double volume) override;
    void seekTo(qint64 positionUs) override;
    void raise() override;
    void quit() override;

    static constexpr double volumeStep = 0.05;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void playbackStarted();
    bool handleKey(int key);
    qint64 lengthUs() const;

    TfmPrinc* w_;
    QString title_;
    int started_ = 0; // streams started so far: the track id
};

// Binds the shortcuts and, when there is a session bus, the MPRIS player to a
// started main window; the MPRIS service, or nullptr without a bus.
MprisService* AttachDesktopControls(TfmPrinc* window);
