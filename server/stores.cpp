#include "server/stores.h"

#include "server/query.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zvs {

ViewCounts::ViewCounts(const QString& dataDir)
    : path_(dataDir + QStringLiteral("/vues.txt"))
{
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split('\t');
        if (fields.size() != 2)
            continue;
        const auto id = parseCount(fields[0], INT_MAX);
        const auto n = parseCount(fields[1], LONG_MAX / 2);
        if (id && n)
            views_[int(*id)] = *n;
    }
}

long ViewCounts::count(int id)
{
    std::lock_guard lock(mutex_);
    const long n = ++views_[id];
    save();
    return n;
}

void ViewCounts::save() const
{
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly))
        return;
    for (const auto& [id, n] : views_)
        f.write(QByteArray::number(id) + '\t' + QByteArray::number(qlonglong(n)) + '\n');
    f.commit();
}

QByteArray ViewCounts::text()
{
    std::lock_guard lock(mutex_);
    QByteArray out;
    for (const auto& [id, n] : views_) {
        if (!out.isEmpty())
            out += "\r\n";
        out += QByteArray::number(id) + '\t' + QByteArray::number(qlonglong(n));
    }
    return out;
}

ContactBox::ContactBox(const QString& dataDir)
    : path_(QFile::encodeName(dataDir + QStringLiteral("/contact.txt")))
{
}

// One write of the whole record, under a lock, then fsync: records of
// concurrent submissions (even from several servers) never interleave.
bool ContactBox::append(const QByteArray& record)
{
    std::lock_guard lock(mutex_);
    const int fd = ::open(path_.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
    if (fd < 0)
        return false;
    bool ok = ::flock(fd, LOCK_EX) == 0;
    qsizetype done = 0;
    while (ok && done < record.size()) {
        const ssize_t n = ::write(fd, record.constData() + done, size_t(record.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += n;
    }
    if (ok && ::fsync(fd) != 0)
        ok = false;
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok;
}

} // namespace zvs
