#include "portal/nmhttp.h"

#include "portal/errors.h"
#include "portal/httpanswer.h"

#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace {

constexpr qint64 ChunkSize = 64 * 1024;
// What the socket may hold unread; past it the kernel's flow control holds the sender.
constexpr qint64 SocketBufferSize = 1024 * 1024;

TNMHTTP::HostLookup& hostLookupSlot()
{
    static TNMHTTP::HostLookup lookup;
    return lookup;
}

void systemLookup(const QString& host, QObject* context, std::function<void(const QList<QHostAddress>&)> done)
{
    QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo& info) {
        done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>{});
    });
}

bool followsRedirect(int status)
{
    return (status >= 300 && status <= 303) || status == 307 || status == 308;
}

bool validHost(const QByteArray& host)
{
    if (host.isEmpty())
        return false;
    return std::none_of(
        host.begin(), host.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; });
}

[[noreturn]] void fail(const char* utf8)
{
    throw zv::Error(QString::fromUtf8(utf8));
}

} // namespace

// One request under way. It lives in Get's frame, so it outlives the component
// when the component is destroyed during a wait.
struct TNMHTTP::Request {
    QTcpSocket socket;
    QTimer timer;
    std::unique_ptr<QObject> lookupContext;
    QEventLoop* loop = nullptr;
    std::shared_ptr<bool> alive;
    int timeOut = 0;
    bool fileMode = false;

    bool pending = false;
    bool aborted = false;
    bool timedOut = false;
    bool lookupDone = false;
    QList<QHostAddress> addresses;

    std::unique_ptr<QFile> file;
    zv::HttpAnswerHead head;
    QByteArray location;

    explicit Request(std::shared_ptr<bool> aliveFlag)
        : alive(std::move(aliveFlag))
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            timedOut = true;
            wake();
        });
        QObject::connect(&socket, &QTcpSocket::connected, &socket, [this] { wake(); });
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] { wake(); });
        QObject::connect(&socket, &QTcpSocket::disconnected, &socket, [this] { wake(); });
        QObject::connect(&socket, &QTcpSocket::errorOccurred, &socket, [this] { wake(); });
        socket.setReadBufferSize(SocketBufferSize);
    }

    ~Request() { close(); }

    void wake()
    {
        pending = true;
        if (loop)
            loop->quit();
    }

    // Waits in a nested event loop until something happens to this request.
    void wait()
    {
        if (!pending) {
            QEventLoop nested;
            loop = &nested;
            nested.exec();
            loop = nullptr;
            if (!pending) {
                // Someone else ended the loop: the application is quitting.
                aborted = true;
                close();
                throw zv::Abort();
            }
        }
        pending = false;
    }

    // A component destroyed during the wait ends the request silently.
    void checkAlive() const
    {
        if (!*alive)
            throw zv::Abort();
    }

    void startTimer()
    {
        timedOut = false;
        if (timeOut > 0)
            timer.start(timeOut);
        else
            timer.stop();
    }

    void stopLookup() { lookupContext.reset(); }

    void close()
    {
        timer.stop();
        stopLookup();
        socket.abort();
        file.reset();
    }
};

TNMHTTP::TNMHTTP(QObject* parent)
    : QObject(parent)
{
}

TNMHTTP::~TNMHTTP()
{
    *alive_ = false;
    if (current_) {
        current_->aborted = true;
        current_->close();
        current_->wake();
    }
}

void TNMHTTP::setHostLookup(HostLookup lookup)
{
    hostLookupSlot() = std::move(lookup);
}

void TNMHTTP::Abort()
{
    if (current_) {
        current_->aborted = true;
        current_->wake();
    }
}

void TNMHTTP::Get(const QByteArray& url)
{
    if (url.isEmpty())
        fail("URL vide");
    if (zv::isHttpsUrl(url))
        fail("HTTP Secure Socket is not supported");
    if (busy_)
        fail("Déjà connecté");
    run(url);
}

QString TNMHTTP::abandonText() const
{
    return InputFileMode ? QStringLiteral("Envoi de Socket abandonné")
                         : QStringLiteral("Capture de Socket abandonnée");
}

void TNMHTTP::run(QByteArray url)
{
    Request req(alive_);
    req.timeOut = TimeOut;
    req.fileMode = InputFileMode;
    const std::shared_ptr<bool> alive = alive_;

    current_ = &req;
    busy_ = true;
    status_ = 0;
    BytesReceived = 0;
    BytesExpected = 0;
    Header.clear();
    if (!InputFileMode)
        Body.clear();
    // However the request ends (callback errors included), the component is idle
    // again before the caller sees it; a destroyed component is left alone.
    auto idle = qScopeGuard([&] {
        req.close();
        if (*alive) {
            busy_ = false;
            current_ = nullptr;
        }
    });

    zv::CookieJar cookies;
    int redirects = 0;
    for (;;) {
        const zv::HttpTarget target = zv::splitHttpUrl(url);
        QList<QByteArray> lines = zv::composeRequestLines(target, HeaderInfo.Referer, cookies.header());
        if (auto onAboutToSend = OnAboutToSend) {
            onAboutToSend(lines);
            req.checkAlive();
        }

        const QList<QHostAddress> addresses = resolve(req, target.host);
        if (!target.portValid)
            fail("La connection a échoué");
        const int port = target.port > 0 ? target.port : (Port > 0 ? Port : 80);
        connectTo(req, addresses, quint16(port));

        req.socket.write(zv::requestBytes(lines));
        if (receive(req) == Outcome::Final)
            break;

        // Redirect: the callbacks wait for the final answer.
        req.socket.abort();
        if (++redirects > MaxRedirects)
            fail("Trop de redirections");
        cookies.take(req.head.cookies());
        url = zv::redirectTarget(req.location, target.hostPort);
        if (zv::isHttpsUrl(url))
            fail("HTTP Secure Socket is not supported");
    }

    req.close();
    const int status = status_;
    if (status >= 1 && status <= 299) {
        if (auto onSuccess = OnSuccess)
            onSuccess(CmdGet);
    } else if (status >= 400 || status == 0) {
        // An answer without a status number is not a success either.
        if (auto onFailure = OnFailure)
            onFailure(CmdGet);
    }
    req.checkAlive();
}

QList<QHostAddress> TNMHTTP::resolve(Request& req, const QByteArray& host)
{
    if (!validHost(host))
        fail("Adresse distante nulle");
    if (req.aborted)
        fail("Recherche de l'hôte annulée");

    QByteArray bare = host;
    if (bare.startsWith('[') && bare.endsWith(']'))
        bare = bare.mid(1, bare.size() - 2);
    QHostAddress literal;
    if (literal.setAddress(QString::fromLatin1(bare)))
        return {literal};

    req.lookupDone = false;
    req.lookupContext = std::make_unique<QObject>();
    const HostLookup& lookup = hostLookupSlot();
    auto done = [&req](const QList<QHostAddress>& found) {
        req.addresses = found;
        req.lookupDone = true;
        req.wake();
    };
    if (lookup)
        lookup(QString::fromLatin1(host), req.lookupContext.get(), done);
    else
        systemLookup(QString::fromLatin1(host), req.lookupContext.get(), done);
    req.startTimer();
    while (!req.lookupDone) {
        req.wait();
        req.checkAlive();
        if (req.aborted)
            fail("Recherche de l'hôte annulée");
        if (req.timedOut && !req.lookupDone)
            fail("Temps dépassé pour la recherche de l'hôte");
    }
    req.stopLookup();
    req.timer.stop();
    if (req.addresses.isEmpty())
        fail("Adresse distante nulle");
    // IPv4 first: servers on this kind of machine mostly listen on 127.0.0.1 only.
    QList<QHostAddress> ordered = req.addresses;
    std::stable_partition(ordered.begin(), ordered.end(),
        [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
    return ordered;
}

void TNMHTTP::connectTo(Request& req, const QList<QHostAddress>& addresses, quint16 port)
{
    req.startTimer(); // one limit for the whole connection, every address included
    for (const QHostAddress& address : addresses) {
        req.socket.abort();
        req.pending = false;
        req.socket.connectToHost(address, port);
        for (;;) {
            req.checkAlive();
            if (req.aborted)
                fail("Connexion annulée");
            // The state first: the time-out may have run out while another
            // request's wait ran above this one, after the connection was made.
            const auto state = req.socket.state();
            if (state == QAbstractSocket::ConnectedState) {
                req.timer.stop();
                return;
            }
            if (state == QAbstractSocket::UnconnectedState)
                break; // refused or failed: the next address
            if (req.timedOut)
                fail("Temps dépassé pour la connexion");
            req.wait();
        }
    }
    fail("La connection a échoué");
}

TNMHTTP::Outcome TNMHTTP::receive(Request& req)
{
    req.head = zv::HttpAnswerHead();
    req.location.clear();
    status_ = 0;
    BytesExpected = 0;
    BytesReceived = 0;
    Header.clear();
    const QString abandoned = abandonText();
    QByteArray buffer(ChunkSize, Qt::Uninitialized);

    req.startTimer();
    for (;;) {
        req.checkAlive();
        if (req.aborted)
            throw zv::Error(abandoned);

        // What arrived counts before the time-out does: the timer may have run
        // out while another request's wait ran above this one.
        bool progress = false;
        while (req.socket.bytesAvailable() > 0) {
            const qint64 n = req.socket.read(buffer.data(), ChunkSize);
            if (n <= 0)
                break;
            progress = true;
            const char* data = buffer.constData();
            qint64 left = n;
            if (!req.head.complete()) {
                const qsizetype used = req.head.feed(data, left);
                data += used;
                left -= used;
                if (req.head.tooLarge())
                    fail("Réponse trop volumineuse");
                if (!req.head.complete())
                    continue;

                status_ = req.head.status();
                Header = req.head.text();
                BytesExpected = req.head.contentLength();
                if (followsRedirect(status_) && !req.head.location().isEmpty()) {
                    req.location = req.head.location();
                    return Outcome::Redirect;
                }
                // The body starts.
                BytesReceived = 0;
                if (req.fileMode) {
                    req.file = std::make_unique<QFile>(QString::fromUtf8(Body));
                    if (!req.file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                        throw zv::Error(
                            QStringLiteral("Impossible d'écrire le fichier ") + QString::fromUtf8(Body));
                } else {
                    Body.clear();
                    if (BytesExpected > MaxTextBody)
                        fail("Réponse trop volumineuse");
                    Body.reserve(qsizetype(std::min<qint64>(BytesExpected, 16 * 1024 * 1024)));
                }
            }
            if (left == 0)
                continue;

            if (req.fileMode) {
                if (req.file->write(data, left) != left)
                    throw zv::Error(
                        QStringLiteral("Impossible d'écrire le fichier ") + QString::fromUtf8(Body));
            } else {
                if (Body.size() + left > MaxTextBody)
                    fail("Réponse trop volumineuse");
                Body.append(data, qsizetype(left));
            }
            BytesReceived += left;
            if (auto onPacketRecvd = OnPacketRecvd) {
                onPacketRecvd();
                req.checkAlive();
                if (req.aborted)
                    throw zv::Error(abandoned);
            }
        }

        if (req.socket.state() == QAbstractSocket::UnconnectedState && req.socket.bytesAvailable() == 0)
            break; // the server closed: the answer is complete
        if (progress)
            req.startTimer();
        else if (req.timedOut)
            throw zv::Error(abandoned);
        req.wait();
    }

    // Cut short before the end of the head, or before the announced length.
    if (!req.head.complete())
        throw zv::Error(abandoned);
    if (req.head.hasContentLength() && BytesReceived < BytesExpected)
        throw zv::Error(abandoned);
    if (req.file && !req.file->flush())
        throw zv::Error(QStringLiteral("Impossible d'écrire le fichier ") + QString::fromUtf8(Body));
    return Outcome::Final;
}
