#pragma once
// Takes a control's picture widget to full screen and back: Escape or a
// double-click returns it into its place in the frame.
#include <QObject>
#include <QPointer>

class QWidget;

class FullScreenSurface : public QObject {
public:
    // `surface` stays owned by its parent; this object only moves it.
    explicit FullScreenSurface(QWidget* surface);

    void setFullScreen(bool on);
    bool isFullScreen() const { return fullScreen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> surface_;
    bool fullScreen_ = false;
};
