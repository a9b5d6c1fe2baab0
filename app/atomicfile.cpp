#include "app/atomicfile.h"

#include "base/errors.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv {

namespace {

std::atomic<qint64> failAfter{-1};

[[noreturn]] void fail(const QString& path, int error)
{
    throw Error(QStringLiteral("Impossible d'écrire le fichier %1 : %2")
                    .arg(path, QString::fromLocal8Bit(strerror(error))));
}

bool writeAll(int fd, const char* data, qint64 size)
{
    const qint64 limit = failAfter.load();
    qint64 done = 0;
    while (done < size) {
        qint64 chunk = size - done;
        if (limit >= 0 && done + chunk > limit) {
            chunk = limit - done;
            if (chunk <= 0) {
                errno = ENOSPC;
                return false;
            }
        }
        const ssize_t n = ::write(fd, data + done, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

void setWriteFailureAfterForTests(qint64 bytes)
{
    failAfter = bytes;
}

void writeFileAtomically(const QString& path, const QByteArray& contents)
{
    // Through a symbolic link, replace the file it points to, not the link.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink())
        target = info.symLinkTarget();

    const QByteArray native = QFile::encodeName(target);
    const qsizetype slash = native.lastIndexOf('/');
    const QByteArray dir = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash);
    QByteArray temp
        = (slash < 0 ? QByteArray() : native.left(slash + 1)) + '.' + native.mid(slash + 1) + ".XXXXXX";

    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        fail(path, errno);

    // Keep the permissions of the file being replaced; a new file gets the usual ones.
    struct stat old { };
    mode_t mode = 0644;
    if (::stat(native.constData(), &old) == 0)
        mode = old.st_mode & 07777;
    ::fchmod(fd, mode);

    if (!writeAll(fd, contents.constData(), contents.size()) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.constData());
        fail(path, error);
    }
    if (::close(fd) != 0 || ::rename(temp.constData(), native.constData()) != 0) {
        const int error = errno;
        ::unlink(temp.constData());
        fail(path, error);
    }
    // Make the rename itself durable; a failure here leaves a whole file either way.
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace zv
