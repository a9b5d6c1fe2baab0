#include "support/scriptedserver.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSslServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zv::test {

namespace {

QByteArray reasonFor(int code)
{
    switch (code) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

QByteArray headFor(int code, const QByteArray& reason, const QList<QByteArray>& lines)
{
    QByteArray head = "HTTP/1.0 " + QByteArray::number(code) + ' '
        + (reason.isEmpty() ? reasonFor(code) : reason) + "\r\n";
    for (const QByteArray& line : lines)
        head += line + "\r\n";
    return head + "\r\n";
}

// One period-aligned buffer of the generated pattern, sliced at any offset.
const QByteArray& patternBuffer()
{
    static const QByteArray buffer = [] {
        QByteArray b(64 * 1024 + 26, Qt::Uninitialized);
        for (qsizetype i = 0; i < b.size(); ++i)
            b[i] = generatedByte(i);
        return b;
    }();
    return buffer;
}

} // namespace

Reply Reply::ok(const QByteArray& body, const QByteArray& contentType)
{
    Reply r;
    r.head = headFor(
        200, {}, {"Content-Type: " + contentType, "Content-Length: " + QByteArray::number(body.size())});
    r.body = body;
    return r;
}

Reply Reply::status(int code, const QByteArray& body, const QByteArray& reason)
{
    Reply r;
    r.head = headFor(
        code, reason, {"Content-Type: text/html", "Content-Length: " + QByteArray::number(body.size())});
    r.body = body;
    return r;
}

Reply Reply::redirect(int code, const QByteArray& location)
{
    Reply r;
    r.body = "<html><body>Moved</body></html>";
    r.head = headFor(
        code, {}, {"Location: " + location, "Content-Length: " + QByteArray::number(r.body.size())});
    return r;
}

Reply Reply::raw(const QByteArray& bytes)
{
    Reply r;
    r.body = bytes;
    return r;
}

Reply Reply::never()
{
    Reply r;
    r.hold = true;
    return r;
}

Reply Reply::generated(qint64 size, bool withContentLength)
{
    Reply r;
    QList<QByteArray> lines{"Content-Type: application/octet-stream"};
    if (withContentLength)
        lines << "Content-Length: " + QByteArray::number(size);
    r.head = headFor(200, {}, lines);
    r.generatedSize = size;
    return r;
}

Reply Reply::file(const QString& root, const Request& request)
{
    const auto bare = [](const QByteArray& status, const QByteArray& lines = {}) {
        return raw("HTTP/1.1 " + status + "\r\n" + lines + "Content-Length: 0\r\nConnection: close\r\n\r\n");
    };
    if (request.method != "GET" && request.method != "HEAD")
        return bare("405 Method Not Allowed");
    const QString path = QUrl::fromPercentEncoding(request.path.split('?').value(0));
    QFile file(QDir(root).filePath(path.mid(1)));
    if (path.contains(QLatin1String("..")) || !file.open(QIODevice::ReadOnly))
        return bare("404 Not Found");
    const qint64 size = file.size();
    qint64 from = 0;
    qint64 to = size - 1;
    static const QRegularExpression rangeSpec(QStringLiteral("^bytes=(\\d*)-(\\d*)"));
    const QByteArray range = request.header("range");
    const auto m = rangeSpec.match(QString::fromLatin1(range));
    const bool partial = m.hasMatch();
    if (partial) {
        if (!m.captured(1).isEmpty())
            from = m.captured(1).toLongLong();
        if (!m.captured(2).isEmpty())
            to = std::min(to, m.captured(2).toLongLong());
        if (from >= size)
            return bare(
                "416 Range Not Satisfiable", "Content-Range: bytes */" + QByteArray::number(size) + "\r\n");
    }
    Reply r;
    r.head = partial ? "HTTP/1.1 206 Partial Content\r\n" : "HTTP/1.1 200 OK\r\n";
    r.head += "Content-Type: " + QMimeDatabase().mimeTypeForFile(file.fileName()).name().toLatin1() + "\r\n";
    r.head += "Accept-Ranges: bytes\r\n";
    if (partial) {
        r.head += "Content-Range: bytes " + QByteArray::number(from) + '-' + QByteArray::number(to) + '/'
            + QByteArray::number(size) + "\r\n";
    }
    r.head += "Content-Length: " + QByteArray::number(to - from + 1) + "\r\nConnection: close\r\n\r\n";
    if (request.method == "GET" && file.seek(from))
        r.body = file.read(to - from + 1);
    return r;
}

Reply& Reply::delayed(int ms)
{
    delayMs = ms;
    return *this;
}

Reply& Reply::inPieces(int size, int gapMs)
{
    pieceSize = std::max(1, size);
    pieceGapMs = gapMs;
    return *this;
}

Reply& Reply::closeAfter(qint64 bytes)
{
    closeAfterBytes = bytes;
    return *this;
}

Reply& Reply::stallAfter(qint64 bytes)
{
    stallAfterBytes = bytes;
    return *this;
}

Reply& Reply::withHeader(const QByteArray& line)
{
    if (head.endsWith("\r\n\r\n"))
        head.insert(head.size() - 2, line + "\r\n");
    else
        head += line + "\r\n";
    return *this;
}

Reply& Reply::withoutContentLength()
{
    QList<QByteArray> lines = head.split('\n');
    QByteArray kept;
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        if (line.toLower().startsWith("content-length:"))
            continue;
        kept += line + '\n';
    }
    head = kept;
    return *this;
}

Reply& Reply::withReset()
{
    resetAtEnd = true;
    return *this;
}

QByteArray Request::header(const QByteArray& name) const
{
    const QByteArray wanted = name.toLower() + ':';
    for (const QByteArray& line : headerLines) {
        if (line.toLower().startsWith(wanted))
            return line.mid(wanted.size()).trimmed();
    }
    return {};
}

struct ScriptedServer::Conn {
    QTcpSocket* socket = nullptr;
    QByteArray in;
    bool answering = false;
    bool done = false;
    Reply reply;
    qint64 sent = 0; // bytes of head + body written
    qint64 total = 0; // bytes to write before the close
    QTimer* timer = nullptr;
};

ScriptedServer::ScriptedServer(QObject* parent, quint16 port)
    : QObject(parent)
    , server_(std::make_unique<QTcpServer>())
{
    listen(port);
}

ScriptedServer::ScriptedServer(const QSslConfiguration& tls, QObject* parent)
    : QObject(parent)
{
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(tls);
    server_ = std::move(server);
    listen(0);
}

void ScriptedServer::listen(quint16 port)
{
    default_ = Reply::status(404, "<html><body><h1>404 Not Found</h1></body></html>\r\n");
    // Connections come out of the queue once ready: over TLS, after the handshake.
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, &ScriptedServer::accept);
    if (!server_->listen(QHostAddress::LocalHost, port))
        qFatal("ScriptedServer: cannot listen: %s", qPrintable(server_->errorString()));
}

ScriptedServer::~ScriptedServer()
{
    for (auto& c : conns_) {
        if (c->socket) {
            c->socket->disconnect(this);
            c->socket->abort();
            delete c->socket;
        }
    }
}

void ScriptedServer::on(const QByteArray& path, const Reply& reply)
{
    replies_.insert(path, reply);
}

void ScriptedServer::setDefault(const Reply& reply)
{
    default_ = reply;
}

quint16 ScriptedServer::port() const
{
    return server_->serverPort();
}

QByteArray ScriptedServer::hostPort() const
{
    return "127.0.0.1:" + QByteArray::number(port());
}

int ScriptedServer::openConnections() const
{
    return int(std::count_if(conns_.begin(), conns_.end(),
        [](const auto& c) { return c->socket && c->socket->state() != QAbstractSocket::UnconnectedState; }));
}

void ScriptedServer::dropAll()
{
    for (auto& c : conns_) {
        if (c->socket)
            c->socket->abort();
    }
}

void ScriptedServer::accept()
{
    while (QTcpSocket* s = server_->nextPendingConnection()) {
        ++connections_;
        auto conn = std::make_unique<Conn>();
        Conn* c = conn.get();
        c->socket = s;
        s->setParent(nullptr);
        c->timer = new QTimer(s);
        c->timer->setSingleShot(true);
        connect(c->timer, &QTimer::timeout, this, [this, c] { pump(c); });
        connect(s, &QTcpSocket::readyRead, this, [this, c] { readRequest(c); });
        connect(s, &QTcpSocket::bytesWritten, this, [this, c] {
            if (c->answering && !c->timer->isActive())
                pump(c);
        });
        connect(s, &QTcpSocket::disconnected, this, [c] { c->done = true; });
        conns_.push_back(std::move(conn));
        if (s->bytesAvailable())
            readRequest(c);
    }
}

void ScriptedServer::readRequest(Conn* c)
{
    if (c->answering) {
        c->socket->readAll(); // whatever the client sends after its request is ignored
        return;
    }
    c->in += c->socket->readAll();
    qsizetype end = c->in.indexOf("\r\n\r\n");
    qsizetype endLen = 4;
    const qsizetype lf = c->in.indexOf("\n\n");
    if (lf >= 0 && (end < 0 || lf < end)) {
        end = lf;
        endLen = 2;
    }
    if (c->in.startsWith('\x16')) { // a TLS handshake: no request will come
        end = c->in.size();
        endLen = 0;
    }
    if (end < 0) {
        if (c->in.size() > 1024 * 1024)
            c->socket->abort();
        return;
    }
    Request req;
    req.raw = c->in.left(end + endLen);
    QList<QByteArray> lines = c->in.left(end).split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    const QList<QByteArray> words = lines.value(0).split(' ');
    req.method = words.value(0);
    req.path = words.value(1);
    req.version = words.value(2);
    req.headerLines = lines.mid(1);
    requests_.append(req);
    c->answering = true;

    std::optional<Reply> chosen;
    if (responder_)
        chosen = responder_(req);
    if (!chosen)
        chosen = replies_.value(req.path, default_);
    c->reply = *chosen;
    const qint64 bodySize = c->reply.generatedSize >= 0 ? c->reply.generatedSize : c->reply.body.size();
    c->total = c->reply.head.size() + bodySize;
    if (c->reply.closeAfterBytes >= 0)
        c->total = std::min(c->total, c->reply.closeAfterBytes);
    if (c->reply.stallAfterBytes >= 0)
        c->total = std::min(c->total, c->reply.stallAfterBytes);
    emit requestReceived(req);
    if (c->reply.hold)
        return;
    if (c->reply.delayMs > 0)
        c->timer->start(c->reply.delayMs);
    else
        pump(c);
}

void ScriptedServer::pump(Conn* c)
{
    QTcpSocket* s = c->socket;
    if (!s || c->done || s->state() != QAbstractSocket::ConnectedState)
        return;
    const qint64 headSize = c->reply.head.size();
    while (c->sent < c->total && s->bytesToWrite() < 256 * 1024) {
        qint64 n = c->total - c->sent;
        n = std::min<qint64>(n, c->reply.pieceSize > 0 ? c->reply.pieceSize : 64 * 1024);
        QByteArray out;
        out.reserve(n);
        qint64 pos = c->sent;
        qint64 left = n;
        if (pos < headSize) {
            const qint64 k = std::min(left, headSize - pos);
            out.append(c->reply.head.constData() + pos, k);
            pos += k;
            left -= k;
        }
        if (left > 0) {
            const qint64 bodyPos = pos - headSize;
            if (c->reply.generatedSize >= 0)
                out.append(patternBuffer().constData() + bodyPos % 26, left);
            else
                out.append(c->reply.body.constData() + bodyPos, left);
        }
        s->write(out);
        c->sent += n;
        if (c->reply.pieceSize > 0 && c->sent < c->total) {
            c->timer->start(c->reply.pieceGapMs);
            return;
        }
    }
    const bool stalled = c->reply.stallAfterBytes >= 0 && c->sent >= c->reply.stallAfterBytes;
    if (c->sent >= c->total && !stalled)
        finish(c);
}

void ScriptedServer::finish(Conn* c)
{
    c->answering = false;
    c->done = true;
    if (c->reply.resetAtEnd) {
        c->socket->flush();
        c->socket->abort();
    } else {
        c->socket->disconnectFromHost();
    }
}

FileServer::FileServer(const QString& root)
    : root_(root)
{
    QSemaphore ready;
    thread_.reset(QThread::create([this, &ready] {
        ScriptedServer server;
        server.setResponder([this](const Request& request) { return answer(request); });
        QEventLoop loop;
        loop_ = &loop;
        port_ = server.port();
        ready.release();
        loop.exec();
    }));
    thread_->start();
    ready.acquire();
}

FileServer::~FileServer()
{
    QMetaObject::invokeMethod(loop_, &QEventLoop::quit, Qt::QueuedConnection);
    thread_->wait();
}

std::optional<Reply> FileServer::answer(const Request& request) const
{
    Reply r = Reply::file(root_, request);
    const qint64 close = closeAfter_;
    const qint64 stall = stallAfter_;
    if (close >= 0 && r.body.size() > close)
        r.closeAfter(r.head.size() + close);
    else if (stall >= 0 && r.body.size() > stall)
        r.stallAfter(r.head.size() + stall);
    return r;
}

QUrl FileServer::url(const QString& name) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(name));
}

BlackHole::BlackHole()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(listener_, 0) != 0)
        qFatal("BlackHole: cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    // Connections that are never accepted fill the backlog; later attempts then
    // get no answer at all.
    for (int i = 0; i < 4; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        fillers_.push_back(fd);
    }
    ::usleep(50 * 1000); // let the handshakes of the fillers complete
}

BlackHole::~BlackHole()
{
    for (int fd : fillers_)
        ::close(fd);
    if (listener_ >= 0)
        ::close(listener_);
}

QByteArray BlackHole::hostPort() const
{
    return "127.0.0.1:" + QByteArray::number(port_);
}

} // namespace zv::test
