#pragma once
// Makes a folder unwritable, also for root (immutable flag); false if that is
// impossible here.
#include <QFile>
#include <QProcess>
#include <unistd.h>

inline bool lockFolder(const QString& dir, bool lock)
{
    if (::geteuid() != 0)
        return QFile::setPermissions(dir,
            lock ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                 : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QProcess::execute(
               QStringLiteral("chattr"), {lock ? QStringLiteral("+i") : QStringLiteral("-i"), dir})
        == 0;
}
