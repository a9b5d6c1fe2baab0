#pragma once
// What the desktop's player controls (media keys, the panel's player applet)
// act on. The main window provides it; no widgets here.
#include <QString>

class MediaControls {
public:
    enum class Status { Stopped, Playing, Paused };
    struct Track {
        QString id; // changes with each stream started; empty: nothing loaded
        QString title;
        QString url;
        qint64 lengthUs = 0; // 0: unknown
    };

    virtual ~MediaControls() = default;

    virtual Status status() const = 0;
    virtual Track track() const = 0;
    virtual qint64 positionUs() const = 0;
    virtual double volume() const = 0; // 0..1
    virtual bool canPlay() const = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void setVolume(double volume) = 0;
    virtual void seekTo(qint64 positionUs) = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
};
