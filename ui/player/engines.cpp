#include "ui/player/engine.h"
#include "ui/player/raengine.h"
#include "ui/player/vlcengine.h"
#include "ui/player/wmpengine.h"

#include <QGuiApplication>

std::unique_ptr<PlayerEngine> CreateRealEngine(EngineKind kind, QWidget* parent)
{
    switch (kind) {
    case EngineKind::WindowsMedia: return std::make_unique<WmpEngine>(parent);
    case EngineKind::RealPlayer: return std::make_unique<RaEngine>(parent);
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
