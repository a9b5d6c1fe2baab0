#include "app/autostart.h"

#include "app/atomicfile.h"
#include "app/config.h"
#include "base/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QString AutostartFilePath()
{
    return UserConfigFolder() + QStringLiteral("/autostart/Zevalo Multimedia V3.desktop");
}

QByteArray AutostartEntry(const QString& program)
{
    // Exec quoting: inside double quotes " ` $ \ take a backslash; the desktop
    // file's own string escapes then double every backslash; % is written %%.
    QByteArray exec = "\"";
    for (const char c : program.toUtf8()) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            exec += "\\\\";
            exec += c;
            break;
        case '\\': exec += "\\\\\\\\"; break;
        case '%': exec += "%%"; break;
        case '\n': exec += "\\n"; break;
        case '\r': exec += "\\r"; break;
        case '\t': exec += "\\t"; break;
        default: exec += c;
        }
    }
    exec += '"';
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name="
        + QStringLiteral("Zevalo Multimédia").toUtf8()
        + "\n"
          "Exec="
        + exec + "\n";
}

bool IsAutostartOn()
{
    bool on = false;
    zv::swallowed([&] { on = QFileInfo::exists(AutostartFilePath()); });
    return on;
}

void SetAutostart(bool on)
{
    zv::swallowed([&] {
        const QString path = AutostartFilePath();
        if (on) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            zv::writeFileAtomically(path, AutostartEntry(QCoreApplication::applicationFilePath()));
        } else if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            QFile::remove(path);
        }
    });
}
