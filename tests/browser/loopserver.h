#pragma once
// A small HTTP server on 127.0.0.1 for the browser tests: answers each path
// from a table and closes the connection.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

class LoopServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray type = "text/html; charset=windows-1252";
        QByteArray body;
    };

    LoopServer()
    {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection())
                serve(s);
        });
    }

    void set(const QByteArray& path, Answer a) { routes_[path] = std::move(a); }
    void set(const QByteArray& path, const QByteArray& html)
    {
        routes_[path] = Answer{200, "text/html", html};
    }
    QByteArray host() const { return "127.0.0.1:" + QByteArray::number(server_.serverPort()); }
    QString url(const QByteArray& path) const { return QString::fromLatin1("http://" + host() + path); }
    QList<QByteArray> requested;

private:
    void serve(QTcpSocket* s)
    {
        auto* buffer = new QByteArray;
        connect(s, &QTcpSocket::disconnected, s, [s, buffer] {
            delete buffer;
            s->deleteLater();
        });
        connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
            buffer->append(s->readAll());
            if (!buffer->contains("\r\n\r\n"))
                return;
            const QList<QByteArray> line = buffer->left(buffer->indexOf("\r\n")).split(' ');
            QByteArray path = line.value(1);
            requested.append(path);
            const int q = path.indexOf('?');
            const QByteArray route = q < 0 ? path : path.left(q);
            Answer a
                = routes_.value(path, routes_.value(route, Answer{404, "text/html", "<html>absent</html>"}));
            QByteArray out = "HTTP/1.0 " + QByteArray::number(a.status) + " X\r\nContent-Type: " + a.type
                + "\r\nContent-Length: " + QByteArray::number(a.body.size()) + "\r\nConnection: close\r\n\r\n"
                + a.body;
            buffer->clear();
            s->write(out);
            s->disconnectFromHost();
        });
    }

    QTcpServer server_;
    QHash<QByteArray, Answer> routes_;
};
