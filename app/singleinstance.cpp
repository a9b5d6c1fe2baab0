#include "app/singleinstance.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <unistd.h>

namespace {

// The hand-over: a first line naming the program, one line per argument
// (percent-encoded, so any text fits on a line), an empty line. Answer: "ok".
const QByteArray greeting = "zevalo-start";
const QByteArray answer = "ok\n";
constexpr qint64 maxRequest = 64 * 1024;
constexpr int idleMs = 10000; // a peer that says nothing is dropped

QByteArray request(const QStringList& arguments)
{
    QByteArray out = greeting + '\n';
    for (const QString& a : arguments)
        out += QUrl::toPercentEncoding(a) + '\n';
    return out + '\n';
}

// The arguments of a whole request; false while it is incomplete or when it is
// not one.
bool parseRequest(const QByteArray& bytes, QStringList* arguments, bool* complete)
{
    *complete = bytes.endsWith("\n\n");
    const QByteArray first = bytes.left(greeting.size() + 1);
    if (!(greeting + '\n').startsWith(first))
        return false;
    if (!*complete)
        return true;
    QByteArrayList lines = bytes.split('\n');
    lines.removeFirst();
    arguments->clear();
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            *arguments << QUrl::fromPercentEncoding(line);
    }
    return true;
}

QString defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

} // namespace

SingleInstance::SingleInstance(const QString& mode, const QString& folder, QObject* parent)
    : QObject(parent)
    // The user's id is in the name: the temporary folder is shared by everyone.
    , base_((folder.isEmpty() ? defaultFolder() : folder)
          + QStringLiteral("/zevalo-%1-%2").arg(::getuid()).arg(mode))
{
}

SingleInstance::~SingleInstance()
{
    if (server_)
        server_->close();
}

SingleInstance::Role SingleInstance::claim(const QStringList& arguments, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Only a dead holder makes a lock stale, never its age: a copy may run for days.
    lock_->setStaleLockTime(0);
    for (;;) {
        if (lock_->tryLock(0)) {
            listen();
            return Role::First;
        }
        if (lock_->error() != QLockFile::LockFailedError) {
            lock_.reset();
            return Role::Alone;
        }
        if (handOver(arguments, int(qMax<qint64>(deadline.remainingTime(), 1000))))
            return Role::HandedOver;
        // A lock file that names no holder (cut short while being written) would
        // stand for ever. Nobody answered for it: once it is older than a start
        // takes to write one, it goes.
        qint64 pid = 0;
        QString host, app;
        if (!lock_->getLockInfo(&pid, &host, &app)
            && QFileInfo(lockPath()).lastModified().msecsTo(QDateTime::currentDateTime()) > 2000) {
            lock_->removeStaleLockFile();
            continue;
        }
        if (deadline.hasExpired())
            return Role::NoAnswer;
        // The holder may be starting and not listening yet.
        QThread::msleep(100);
    }
}

bool SingleInstance::handOver(const QStringList& arguments, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(request(arguments));
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 1))))
        reply += socket.readAll();
    reply += socket.readAll();
    return reply == answer;
}

void SingleInstance::listen()
{
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is ours: a socket file left there belongs to a dead copy.
    QLocalServer::removeServer(socketPath());
    if (!server_->listen(socketPath()))
        return; // later starts will find no answer and say so
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
}

void SingleInstance::serve(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(idleMs, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        // The request stays in the socket's buffer until it is whole.
        const QByteArray received = socket->peek(qMin(socket->bytesAvailable(), maxRequest + 1));
        QStringList arguments;
        bool complete = false;
        if (received.size() > maxRequest || !parseRequest(received, &arguments, &complete)) {
            socket->abort();
            return;
        }
        if (!complete)
            return;
        socket->readAll();
        socket->write(answer);
        socket->flush();
        socket->disconnectFromServer();
        emit activated(arguments);
    });
}
