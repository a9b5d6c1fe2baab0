#include "mediaserver.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>

struct MediaServer::Worker : QObject {
    MediaServer* owner;
    QTcpServer server;

    explicit Worker(MediaServer* o)
        : owner(o)
    {
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                serve(socket);
        });
    }

    void serve(QTcpSocket* socket)
    {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (socket->property("answered").toBool()) {
                socket->readAll();
                return;
            }
            const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            if (!request.contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            answer(socket, request);
        });
    }

    void answer(QTcpSocket* socket, const QByteArray& request)
    {
        ++owner->requests_;
        const QList<QByteArray> lines = request.split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        const QString path = QUrl::fromPercentEncoding(first.value(1).split('?').value(0));
        QFile file(QDir(owner->root_).filePath(path.mid(1)));
        if (first.value(0) != "GET" && first.value(0) != "HEAD") {
            socket->write(
                "HTTP/1.1 405 Method Not Allowed\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        if (path.contains(QLatin1String("..")) || !file.open(QIODevice::ReadOnly)) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        const qint64 size = file.size();
        qint64 from = 0;
        qint64 to = size - 1;
        bool partial = false;
        static const QRegularExpression range(
            QStringLiteral("^range:\\s*bytes=(\\d*)-(\\d*)"), QRegularExpression::CaseInsensitiveOption);
        for (const QByteArray& line : lines) {
            const auto m = range.match(QString::fromLatin1(line.trimmed()));
            if (m.hasMatch()) {
                partial = true;
                if (!m.captured(1).isEmpty())
                    from = m.captured(1).toLongLong();
                if (!m.captured(2).isEmpty())
                    to = std::min(to, m.captured(2).toLongLong());
            }
        }
        if (partial && from >= size) {
            socket->write(QStringLiteral("HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */%1\r\n"
                                         "Content-Length: 0\r\nConnection: close\r\n\r\n")
                              .arg(size)
                              .toLatin1());
            socket->disconnectFromHost();
            return;
        }
        const QString mime = QMimeDatabase().mimeTypeForFile(file.fileName()).name();
        QByteArray head = partial ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
        head += "Content-Type: " + mime.toLatin1() + "\r\n";
        head += "Accept-Ranges: bytes\r\n";
        if (partial)
            head
                += QStringLiteral("Content-Range: bytes %1-%2/%3\r\n").arg(from).arg(to).arg(size).toLatin1();
        head += "Content-Length: " + QByteArray::number(to - from + 1) + "\r\nConnection: close\r\n\r\n";
        socket->write(head);
        if (first.value(0) == "HEAD") {
            socket->disconnectFromHost();
            return;
        }
        file.seek(from);
        QByteArray body = file.read(to - from + 1);
        const qint64 stall = owner->stallAfter_;
        const qint64 close = owner->closeAfter_;
        if (close >= 0 && body.size() > close) {
            socket->write(body.left(close));
            socket->disconnectFromHost();
            return;
        }
        if (stall >= 0 && body.size() > stall) {
            socket->write(body.left(stall)); // and nothing more, ever
            return;
        }
        socket->write(body);
        socket->disconnectFromHost();
    }
};

MediaServer::MediaServer(const QString& root)
    : root_(root)
{
    thread_ = new QThread;
    worker_ = new Worker(this);
    worker_->moveToThread(thread_);
    worker_->server.moveToThread(thread_);
    thread_->start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        worker_,
        [this, &port] {
            if (worker_->server.listen(QHostAddress::LocalHost))
                port = worker_->server.serverPort();
        },
        Qt::BlockingQueuedConnection);
    port_ = port;
}

MediaServer::~MediaServer()
{
    QMetaObject::invokeMethod(
        worker_,
        [this] {
            worker_->server.close();
            delete worker_;
        },
        Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete thread_;
}

QUrl MediaServer::url(const QString& name) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(name));
}
