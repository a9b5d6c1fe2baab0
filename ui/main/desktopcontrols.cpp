#include "ui/main/desktopcontrols.h"

#include "app/mpris.h"
#include "base/errors.h"
#include "ui/browser/webbrowser.h"
#include "ui/controls/btngraph.h"
#include "ui/main/fenprinc.h"
#include "ui/player/cadcurseur.h"
#include "ui/player/cadplayer.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

namespace {

// Keys typed there are text (a web page may hold a form).
bool typingIn(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w)
            || qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
            || qobject_cast<const TWebBrowser*>(w))
            return true;
        if (const auto* box = qobject_cast<const QComboBox*>(w); box && box->isEditable())
            return true;
    }
    return false;
}

// Lists and trees keep their arrow keys: a user moves through the channels with them.
bool browsingIn(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QComboBox*>(w))
            return true;
    return false;
}

// What assistive technology can press, Space presses too.
bool pressable(const QWidget* widget)
{
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
    const QAccessibleActionInterface* a = i ? i->actionInterface() : nullptr;
    if (!a)
        return false;
    const QStringList actions = a->actionNames();
    return actions.contains(QAccessibleActionInterface::pressAction())
        || actions.contains(QAccessibleActionInterface::toggleAction());
}

// A slider moves with the arrows.
bool hasValue(const QWidget* widget)
{
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
    return i && i->valueInterface();
}

// A focused control keeps the keys it uses: a text field every key, what can
// be pressed Space, a list or a slider its arrows.
bool keepsKey(const QWidget* focused, int key)
{
    if (!focused)
        return false;
    if (typingIn(focused))
        return true;
    if (key == Qt::Key_Space)
        return pressable(focused);
    if (key == Qt::Key_Up || key == Qt::Key_Down)
        return browsingIn(focused) || hasValue(focused);
    return false;
}

// The window itself or anything in it, its full-screen picture included (a
// window of its own whose parent stays in the frame); not the dialogs, menus
// and tool windows it opens, which keep their keys.
bool inside(const QWidget* widget, const QWidget* window)
{
    const QWidget* top = widget->window();
    if (top != window && top->windowType() != Qt::Window)
        return false;
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w == window)
            return true;
    }
    return false;
}

} // namespace

void BringToFront(QWidget* window)
{
    if (!window || window->isHidden())
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

TDesktopControls::TDesktopControls(TfmPrinc* window)
    : QObject(window)
    , w_(window)
{
    connect(w_, &TfmPrinc::PlaybackStarted, this, &TDesktopControls::playbackStarted);
    qApp->installEventFilter(this);
}

void TDesktopControls::playbackStarted()
{
    ++started_;
    title_ = w_->NowPlaying().title;
}

MediaControls::Status TDesktopControls::status() const
{
    if (w_->frmPlayer->IsPaused())
        return Status::Paused;
    return w_->frmPlayer->IsPlaying() ? Status::Playing : Status::Stopped;
}

qint64 TDesktopControls::lengthUs() const
{
    const PlayerEngine* engine = w_->frmPlayer->playerControl();
    if (!engine)
        return 0;
    return std::max<qint64>(0, engine->length()) * 1000;
}

MediaControls::Track TDesktopControls::track() const
{
    const QString url = w_->frmPlayer->url();
    if (url.isEmpty() || started_ == 0)
        return {};
    return {QString::number(started_), title_, url, lengthUs()};
}

qint64 TDesktopControls::positionUs() const
{
    return qint64(std::llround(w_->frmPlayer->GetPosition() * double(lengthUs())));
}

double TDesktopControls::volume() const
{
    return w_->frmCurseurSon->GetFraction();
}

bool TDesktopControls::canPlay() const
{
    return w_->btnLecture->Actif();
}

bool TDesktopControls::canGoNext() const
{
    return w_->Neighbour(1).source.isValid();
}

bool TDesktopControls::canGoPrevious() const
{
    return w_->Neighbour(-1).source.isValid();
}

void TDesktopControls::play()
{
    const Status now = status();
    if (now == Status::Paused)
        pause();
    if (now != Status::Stopped || !canPlay())
        return;
    // The entry the play button would start, even when the status loop has
    // not seen the last stream end yet.
    zv::guarded([&] { w_->Play(w_->EntryToPlay(w_->btnLecture)); });
}

void TDesktopControls::pause()
{
    // The player's pause toggles: it resumes a paused stream.
    if (status() != Status::Stopped)
        zv::guarded([&] { w_->btnPauseClick(); });
}

void TDesktopControls::playPause()
{
    if (status() == Status::Stopped)
        play();
    else
        pause();
}

void TDesktopControls::stop()
{
    zv::guarded([&] { w_->StopPlaying(); });
}

void TDesktopControls::next()
{
    zv::guarded([&] { w_->Skip(1); });
}

void TDesktopControls::previous()
{
    zv::guarded([&] { w_->Skip(-1); });
}

void TDesktopControls::setVolume(double volume)
{
    // The knob moves by whole pixels: the player takes where it stands, as
    // when the play button starts a stream.
    w_->frmCurseurSon->SetFraction(std::clamp(volume, 0.0, 1.0));
    zv::guarded(
        [&] { w_->frmPlayer->SetVolume(int(std::lround(w_->frmCurseurSon->GetFraction() * 100.0))); });
}

void TDesktopControls::seekTo(qint64 positionUs)
{
    const qint64 length = lengthUs();
    if (length > 0)
        zv::guarded([&] { w_->frmPlayer->SetPosition(double(positionUs) / double(length)); });
}

void TDesktopControls::raise()
{
    BringToFront(w_);
}

void TDesktopControls::quit()
{
    w_->close();
}

bool TDesktopControls::handleKey(int key)
{
    PlayerEngine* engine = w_->frmPlayer->playerControl();
    const bool fullScreen = engine && engine->isFullScreen();
    // The buttons catch up with the player only at the next status tick.
    const bool playing = w_->frmPlayer->IsPlaying() || w_->frmPlayer->IsPaused();
    switch (key) {
    case Qt::Key_Space: playPause(); return true;
    case Qt::Key_M:
        if (playing || w_->btnMuet->Actif())
            zv::guarded([&] { w_->btnMuetClick(); });
        return true;
    case Qt::Key_F:
        if (fullScreen)
            engine->setFullScreen(false);
        else if (playing || w_->btnPleinEcran->Actif())
            zv::guarded([&] { w_->btnPleinEcranClick(); });
        return true;
    case Qt::Key_Escape:
        if (!fullScreen)
            return false;
        engine->setFullScreen(false);
        return true;
    case Qt::Key_Up: setVolume(volume() + volumeStep); return true;
    case Qt::Key_Down: setVolume(volume() - volumeStep); return true;
    default: return false;
    }
}

bool TDesktopControls::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget || (key->modifiers() & ~Qt::KeypadModifier) || !inside(widget, w_))
        return false;
    // A key a field or a list leaves unused climbs to its parents: the widget
    // with the focus decides.
    const QWidget* focused[] = {widget, widget->window()->focusWidget(), QApplication::focusWidget()};
    for (const QWidget* f : focused)
        if (keepsKey(f, key->key()))
            return false;
    return handleKey(key->key());
}

MprisService* AttachDesktopControls(TfmPrinc* window)
{
    auto* controls = new TDesktopControls(window);
    auto* mpris = new MprisService(*controls, controls);
    if (mpris->registerOnSessionBus())
        return mpris;
    delete mpris;
    return nullptr;
}
