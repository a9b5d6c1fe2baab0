#include "ui/player/fullscreen.h"

#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

FullScreenSurface::FullScreenSurface(QWidget* surface)
    : QObject(surface)
    , surface_(surface)
{
    surface->installEventFilter(this);
}

void FullScreenSurface::setFullScreen(bool on)
{
    if (!surface_ || on == fullScreen_)
        return;
    fullScreen_ = on;
    QWidget* surface = surface_;
    if (on) {
        QScreen* screen = surface->screen();
        surface->setWindowFlag(Qt::Window, true);
        // Without a window manager nothing else would cover the screen.
        if (screen)
            surface->setGeometry(screen->geometry());
        // The frame is disabled while a control plays; a window of its own can
        // still take Escape.
        surface->setEnabled(true);
        surface->setFocusPolicy(Qt::StrongFocus);
        surface->showFullScreen();
        surface->activateWindow();
        surface->setFocus(Qt::OtherFocusReason);
    } else {
        surface->setWindowFlag(Qt::Window, false);
        if (QWidget* parent = surface->parentWidget())
            surface->setGeometry(parent->rect());
        surface->show();
    }
}

bool FullScreenSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == surface_ && fullScreen_) {
        const bool escape
            = event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (escape || event->type() == QEvent::MouseButtonDblClick) {
            setFullScreen(false);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
