#include "ui/player/picturesurface.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

PictureSurface::PictureSurface(QWidget* control)
    : QWidget(control)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setGeometry(control->rect());
    control->installEventFilter(this);
}

WId PictureSurface::nativeWindow()
{
    if (!native_) {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        native_ = new QWidget(this);
        native_->setAttribute(Qt::WA_NativeWindow);
        native_->setAttribute(Qt::WA_DontCreateNativeAncestors);
        // The surface takes the clicks and keys, not the library's window.
        native_->setAttribute(Qt::WA_TransparentForMouseEvents);
        fill(native_);
    }
    return native_->winId();
}

void PictureSurface::hold(QWidget* picture)
{
    picture->setParent(this);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    fill(picture);
}

void PictureSurface::fill(QWidget* child)
{
    layout()->addWidget(child);
    child->show();
}

void PictureSurface::fitControl()
{
    if (QWidget* control = parentWidget())
        setGeometry(control->rect());
}

void PictureSurface::setFullScreen(bool on)
{
    if (on == fullScreen_)
        return;
    fullScreen_ = on;
    if (on) {
        QScreen* screen = this->screen();
        setWindowFlag(Qt::Window, true);
        // Without a window manager nothing else would cover the screen.
        if (screen)
            setGeometry(screen->geometry());
        // The frame is disabled while a control plays; a window of its own can
        // still take Escape.
        setEnabled(true);
        setFocusPolicy(Qt::StrongFocus);
        showFullScreen();
        activateWindow();
        setFocus(Qt::OtherFocusReason);
    } else {
        setWindowFlag(Qt::Window, false);
        fitControl();
        show();
    }
}

bool PictureSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !fullScreen_)
        fitControl();
    return QWidget::eventFilter(watched, event);
}

void PictureSurface::keyPressEvent(QKeyEvent* event)
{
    if (fullScreen_ && event->key() == Qt::Key_Escape)
        setFullScreen(false);
    else
        QWidget::keyPressEvent(event);
}

void PictureSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (fullScreen_)
        setFullScreen(false);
    else
        QWidget::mouseDoubleClickEvent(event);
}
