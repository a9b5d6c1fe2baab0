#pragma once
// The black area of a player control where the picture shows. It fills the
// control and follows its size, goes full screen and back (Escape or a
// double-click), and holds either a native window that a library draws into
// or a widget of the engine's own that draws the frames.
#include <QWidget>

class PictureSurface : public QWidget {
    Q_OBJECT
public:
    explicit PictureSurface(QWidget* control);

    // The window a library draws the picture into (libmpv, libVLC), made on
    // the first call. The surface is native too, so that going full screen and
    // back moves that window instead of destroying it under the library.
    WId nativeWindow();
    // A widget that draws the frames itself; it fills the surface.
    void hold(QWidget* picture);

    void setFullScreen(bool on);
    bool isFullScreen() const { return fullScreen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void fill(QWidget* child);
    void fitControl();

    QWidget* native_ = nullptr;
    bool fullScreen_ = false;
};
