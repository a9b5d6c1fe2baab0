#include "app/runmode.h"

#include "app/config.h"
#include "base/errors.h"

#include <unistd.h>

bool HasSwitch(const QStringList& arguments, QStringView word)
{
    for (const QString& argument : arguments)
        if (argument.startsWith(u'/') && QStringView(argument).mid(1).compare(word, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

RunMode RunModeFor(const QStringList& arguments)
{
    return HasSwitch(arguments, u"info") ? RunMode::Agent : RunMode::Portal;
}

int ThemeToOpen(TConfig& config)
{
    const int theme = config.GetTheme();
    if (theme >= 1 && theme <= 5)
        return theme;
    // A folder that cannot be written only means the message comes again next time.
    zv::swallowed([&] { config.SetTheme(2); });
    return 0;
}

QString ThemeRepairMessage()
{
    return QStringLiteral("Le thème selectionné n'était plus disponible, celui par défaut a été selectionné "
                          "pour le remplacer.\r\nVous devez redemmarer le programme pour utiliser le "
                          "nouveau thème.");
}

void PrepareEnvironment()
{
    // Chromium refuses to run as root with its sandbox on.
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The FFmpeg backend of Qt Multimedia stalls.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    // Video goes into native X11 child windows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        && (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
            || qEnvironmentVariable("XDG_SESSION_TYPE").compare(u"wayland", Qt::CaseInsensitive) == 0))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
