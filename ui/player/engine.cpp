#include "ui/player/engine.h"

#include "ui/player/mpvengine.h"
#include "ui/player/picturesurface.h"
#include "ui/player/qtmultimediaengine.h"
#include "ui/player/vlcengine.h"

#include <QGuiApplication>
#include <algorithm>

PlayerEngine::PlayerEngine(EngineKind kind, QWidget* parent)
    : QWidget(parent)
    , kind_(kind)
    , surface_(new PictureSurface(this))
{
}

PlayerEngine::~PlayerEngine() = default;

void PlayerEngine::setMuted(bool muted)
{
    if (muted == muted_)
        return;
    applyMute(muted);
    muted_ = muted;
}

void PlayerEngine::setFullScreen(bool on)
{
    surface_->setFullScreen(on);
}

bool PlayerEngine::isFullScreen() const
{
    return surface_->isFullScreen();
}

void PlayerEngine::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void PlayerEngine::sendStatus(const QString& text)
{
    if (text == lastText_)
        return;
    lastText_ = text;
    emit statusChanged(text);
}

void PlayerEngine::fail(const QString& text)
{
    setState(State::Failed);
    if (text == lastText_)
        return;
    lastText_ = text;
    emit errorOccurred(text);
}

void PlayerEngine::sendBuffering(int percent)
{
    if (state_ == State::Opening || state_ == State::Playing)
        sendStatus(QStringLiteral("Mise en mémoire tampon : %1 %").arg(std::clamp(percent, 0, 100)));
}

void PlayerEngine::sendStopped()
{
    setState(State::Empty);
    sendStatus(QStringLiteral("Arrêté."));
}

std::unique_ptr<PlayerEngine> CreateRealEngine(EngineKind kind, QWidget* parent)
{
    switch (kind) {
    case EngineKind::WindowsMedia: return std::make_unique<QtMultimediaEngine>(parent);
    case EngineKind::RealPlayer: return std::make_unique<MpvEngine>(parent);
    case EngineKind::Vlc: return std::make_unique<VlcEngine>(parent);
    }
    return nullptr;
}

bool HeadlessMedia()
{
    if (qEnvironmentVariableIntValue("ZV_HEADLESS_MEDIA") == 1)
        return true;
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}
