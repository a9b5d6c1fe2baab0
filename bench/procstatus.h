#pragma once
// One figure of a process's /proc/PID/status ("VmRSS:", "VmHWM:", "Threads:"...),
// in the kernel's unit (kB for memory); 0 when it cannot be read.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>

inline qint64 procStatusValue(const char* key, int pid = 0)
{
    QFile f(pid > 0 ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}
