#pragma once
// Reading config.ini back in tests, independently of TConfig.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>

namespace testini {

inline QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void write(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The key=value lines of one section, in file order (section name compared
// case-insensitively).
inline QList<QPair<QByteArray, QByteArray>> section(const QString& path, const QByteArray& name)
{
    QList<QPair<QByteArray, QByteArray>> entries;
    bool inside = false;
    for (QByteArray line : bytes(path).split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inside = line.mid(1, line.size() - 2).compare(name, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (inside && eq > 0)
            entries.append({line.left(eq), line.mid(eq + 1)});
    }
    return entries;
}

} // namespace testini
