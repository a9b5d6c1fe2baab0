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
#include <exception>
#include <vector>

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

[[noreturn]] void failWriting(const QByteArray& fileName)
{
    throw zv::Error(QStringLiteral("Impossible d'écrire le fichier ") + QString::fromUtf8(fileName));
}

} // namespace

// One request under way: a state machine stepped by the events of its own
// look-up, socket and timer, so that it moves on whatever handler waits above
// its Get. Every step runs under one catch: an error (or zv::Abort) ends the
// request and is thrown again by Get. It lives in Get's frame, so it outlives
// the component when the component is destroyed during a wait.
class TNMHTTP::Request {
public:
    enum class Phase { Starting, LookingUp, Connecting, Reading, Ended };

    explicit Request(TNMHTTP* component)
        : owner(component)
        , timeOut_(component->TimeOut)
        , fileMode_(component->InputFileMode)
        , fileName_(component->Body)
        , buffer_(ChunkSize, Qt::Uninitialized)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            timedOut_ = true;
            pump();
        });
    }

    ~Request()
    {
        if (socket_)
            socket_->disconnect(); // nothing steps a request that is going
        close();
    }

    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    TNMHTTP* owner; // nullptr once the component is destroyed or given back
    std::exception_ptr error; // how the request failed, thrown again by Get
    bool answering = false; // Get runs the callbacks

    bool ended() const { return phase_ == Phase::Ended; }

    void start(const QByteArray& url)
    {
        pump([&] { startHop(url); });
    }

    // Waits in nested event loops until the request has ended.
    void waitForEnd()
    {
        while (!ended()) {
            QEventLoop nested;
            loop_ = &nested;
            nested.exec();
            loop_ = nullptr;
            if (!ended()) {
                // Someone else ended the loop: the application is quitting.
                end(std::make_exception_ptr(zv::Abort()));
            }
        }
    }

    void abort()
    {
        if (answering)
            return; // its callbacks run: too late to take the answer back
        aborted_ = true;
        if (ended()) {
            // The answer came but its callbacks wait for the loops above: they never run.
            if (!error)
                error = std::make_exception_ptr(zv::Error(abandonText()));
            release();
            return;
        }
        pump();
    }

    // The component is being destroyed: the request ends silently.
    void orphan()
    {
        owner = nullptr;
        pump();
    }

    void close()
    {
        timer_.stop();
        if (socket_)
            socket_->abort();
        file_.reset();
    }

private:
    QString abandonText() const
    {
        return fileMode_ ? QStringLiteral("Envoi de Socket abandonné")
                         : QStringLiteral("Capture de Socket abandonnée");
    }

    // Runs one step under the request's catch. Something that happens while a
    // step is running (a callback's own loop lets events through) is not
    // handled inside it: the step is run again once the running one returns.
    template <class F> void pump(F&& first)
    {
        if (depth_ > 0) {
            again_ = true;
            return;
        }
        run(first);
        while (again_ && !ended()) {
            again_ = false;
            run([this] { step(); });
        }
    }
    void pump()
    {
        pump([this] { step(); });
    }

    template <class F> void run(F&& work)
    {
        ++depth_;
        try {
            work();
        } catch (...) {
            end(std::current_exception());
        }
        --depth_;
    }

    void end(std::exception_ptr failure)
    {
        if (ended())
            return;
        phase_ = Phase::Ended;
        error = std::move(failure);
        close();
        if (aborted_)
            release();
        if (loop_)
            loop_->quit();
    }

    // An aborted request gives its component back at once, free for a new
    // request while this one's Get waits for the loops above it to end.
    void release()
    {
        if (!owner)
            return;
        owner->busy_ = false;
        owner->current_ = nullptr;
        owner = nullptr;
    }

    void checkOwner() const
    {
        if (!owner)
            throw zv::Abort();
    }

    void startTimer()
    {
        timedOut_ = false;
        if (timeOut_ > 0)
            timer_.start(timeOut_);
        else
            timer_.stop();
    }

    void step()
    {
        checkOwner();
        switch (phase_) {
        case Phase::Starting: break; // only startHop moves on from here
        case Phase::LookingUp: lookedUp(); break;
        case Phase::Connecting: connecting(); break;
        case Phase::Reading: read(); break;
        case Phase::Ended: break;
        }
    }

    // One URL of the request: the first, then each redirect's.
    void startHop(const QByteArray& url)
    {
        phase_ = Phase::Starting;
        target_ = zv::splitHttpUrl(url);
        QList<QByteArray> lines
            = zv::composeRequestLines(target_, owner->HeaderInfo.Referer, cookies_.header());
        if (auto onAboutToSend = owner->OnAboutToSend) {
            onAboutToSend(lines);
            checkOwner();
        }
        requestBytes_ = zv::requestBytes(lines);

        if (!validHost(target_.host))
            fail("Adresse distante nulle");
        if (aborted_)
            fail("Recherche de l'hôte annulée");
        QByteArray bare = target_.host;
        if (bare.startsWith('[') && bare.endsWith(']'))
            bare = bare.mid(1, bare.size() - 2);
        QHostAddress literal;
        if (literal.setAddress(QString::fromLatin1(bare))) {
            startConnecting({literal});
            return;
        }

        phase_ = Phase::LookingUp;
        lookupDone_ = false;
        // The context stops a look-up whose answer is no longer wanted; it is
        // replaced only from a socket event, never from inside its own answer.
        lookupContext_ = std::make_unique<QObject>();
        const int hop = ++hop_;
        auto done = [this, hop](const QList<QHostAddress>& found) {
            if (hop != hop_ || phase_ != Phase::LookingUp)
                return;
            addresses_ = found;
            lookupDone_ = true;
            pump();
        };
        startTimer();
        if (const HostLookup& lookup = hostLookupSlot())
            lookup(QString::fromLatin1(target_.host), lookupContext_.get(), done);
        else
            systemLookup(QString::fromLatin1(target_.host), lookupContext_.get(), done);
    }

    void lookedUp()
    {
        if (aborted_)
            fail("Recherche de l'hôte annulée");
        if (!lookupDone_) {
            if (timedOut_)
                fail("Temps dépassé pour la recherche de l'hôte");
            return;
        }
        timer_.stop();
        if (addresses_.isEmpty())
            fail("Adresse distante nulle");
        // IPv4 first: servers on this kind of machine mostly listen on 127.0.0.1 only.
        QList<QHostAddress> ordered = addresses_;
        std::stable_partition(ordered.begin(), ordered.end(),
            [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; });
        startConnecting(ordered);
    }

    void startConnecting(const QList<QHostAddress>& addresses)
    {
        if (!target_.portValid)
            fail("La connection a échoué");
        port_ = quint16(target_.port > 0 ? target_.port : (owner->Port > 0 ? owner->Port : 80));
        addresses_ = addresses;
        nextAddress_ = 0;
        phase_ = Phase::Connecting;
        startTimer(); // one limit for the whole connection, every address included
        connectNext();
    }

    // The socket of one connection attempt. Plain TCP; an encrypted
    // connection would make a QSslSocket here, open it with
    // connectToHostEncrypted and count it ready on encrypted() instead of
    // connected(): the steps above and below do not change.
    QTcpSocket* newSocket()
    {
        if (socket_) {
            // Never deleted from inside one of its own signals: kept until the request goes.
            socket_->disconnect();
            socket_->abort();
            retired_.push_back(std::move(socket_));
        }
        socket_ = std::make_unique<QTcpSocket>();
        QTcpSocket* s = socket_.get();
        s->setReadBufferSize(SocketBufferSize);
        const auto event = [this] { pump(); };
        QObject::connect(s, &QTcpSocket::connected, s, event);
        QObject::connect(s, &QTcpSocket::readyRead, s, event);
        QObject::connect(s, &QTcpSocket::disconnected, s, event);
        QObject::connect(s, &QTcpSocket::errorOccurred, s, event);
        return s;
    }

    bool socketReady() const { return socket_->state() == QAbstractSocket::ConnectedState; }

    void connectNext()
    {
        while (nextAddress_ < addresses_.size()) {
            QTcpSocket* s = newSocket();
            s->connectToHost(addresses_[nextAddress_++], port_);
            if (s->state() != QAbstractSocket::UnconnectedState)
                return;
        }
        fail("La connection a échoué");
    }

    void connecting()
    {
        if (aborted_)
            fail("Connexion annulée");
        // The state before the time-out: a connection made counts.
        if (socketReady()) {
            timer_.stop();
            socket_->write(requestBytes_);
            startReading();
            read();
            return;
        }
        if (socket_->state() == QAbstractSocket::UnconnectedState) {
            connectNext(); // refused or failed: the next address
            return;
        }
        if (timedOut_)
            fail("Temps dépassé pour la connexion");
    }

    void startReading()
    {
        phase_ = Phase::Reading;
        head_ = zv::HttpAnswerHead();
        owner->status_ = 0;
        owner->BytesExpected = 0;
        owner->BytesReceived = 0;
        owner->Header.clear();
        startTimer();
    }

    void read()
    {
        const QString abandoned = abandonText();
        if (aborted_)
            throw zv::Error(abandoned);

        // What arrived counts before the time-out does.
        bool progress = false;
        while (socket_->bytesAvailable() > 0) {
            const qint64 n = socket_->read(buffer_.data(), ChunkSize);
            if (n <= 0)
                break;
            progress = true;
            const char* data = buffer_.constData();
            qint64 left = n;
            if (!head_.complete()) {
                const qsizetype used = head_.feed(data, left);
                data += used;
                left -= used;
                if (head_.tooLarge())
                    fail("Réponse trop volumineuse");
                if (!head_.complete())
                    continue;
                if (startBody())
                    return; // redirected
            }
            if (left == 0)
                continue;
            take(data, left);
            if (auto onPacketRecvd = owner->OnPacketRecvd) {
                onPacketRecvd();
                checkOwner();
                if (aborted_)
                    throw zv::Error(abandoned);
            }
        }

        if (socket_->state() == QAbstractSocket::UnconnectedState && socket_->bytesAvailable() == 0) {
            finish(); // the server closed: the answer is complete
            return;
        }
        if (progress)
            startTimer();
        else if (timedOut_)
            throw zv::Error(abandoned);
    }

    // The head is complete. True when it redirects (the next hop has started).
    bool startBody()
    {
        TNMHTTP* c = owner;
        c->status_ = head_.status();
        c->Header = head_.text();
        c->BytesExpected = head_.contentLength();
        if (followsRedirect(c->status_) && !head_.location().isEmpty()) {
            redirect();
            return true;
        }
        c->BytesReceived = 0;
        if (fileMode_) {
            file_ = std::make_unique<QFile>(QString::fromUtf8(fileName_));
            if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                failWriting(fileName_);
        } else {
            c->Body.clear();
            if (c->BytesExpected > MaxTextBody)
                fail("Réponse trop volumineuse");
            c->Body.reserve(qsizetype(std::min<qint64>(c->BytesExpected, 16 * 1024 * 1024)));
        }
        return false;
    }

    void take(const char* data, qint64 size)
    {
        TNMHTTP* c = owner;
        if (fileMode_) {
            if (file_->write(data, size) != size)
                failWriting(fileName_);
        } else {
            if (c->Body.size() + size > MaxTextBody)
                fail("Réponse trop volumineuse");
            c->Body.append(data, qsizetype(size));
        }
        c->BytesReceived += size;
    }

    void redirect()
    {
        // The callbacks wait for the final answer.
        socket_->abort();
        if (++redirects_ > MaxRedirects)
            fail("Trop de redirections");
        cookies_.take(head_.cookies());
        const QByteArray url = zv::redirectTarget(head_.location(), target_.hostPort);
        if (zv::isHttpsUrl(url))
            fail("HTTP Secure Socket is not supported");
        startHop(url);
    }

    void finish()
    {
        const QString abandoned = abandonText();
        // Cut short before the end of the head, or before the announced length.
        if (!head_.complete())
            throw zv::Error(abandoned);
        if (head_.hasContentLength() && owner->BytesReceived < owner->BytesExpected)
            throw zv::Error(abandoned);
        if (file_ && !file_->flush())
            failWriting(fileName_);
        file_.reset();
        end(nullptr);
    }

    Phase phase_ = Phase::Starting;
    const int timeOut_;
    const bool fileMode_;
    const QByteArray fileName_;
    bool aborted_ = false;
    bool timedOut_ = false;
    int depth_ = 0;
    bool again_ = false;
    QEventLoop* loop_ = nullptr;
    QTimer timer_;

    zv::HttpTarget target_;
    QByteArray requestBytes_;
    zv::CookieJar cookies_;
    int redirects_ = 0;

    std::unique_ptr<QObject> lookupContext_;
    int hop_ = 0;
    bool lookupDone_ = false;
    QList<QHostAddress> addresses_;
    qsizetype nextAddress_ = 0;
    quint16 port_ = 80;

    std::unique_ptr<QTcpSocket> socket_;
    std::vector<std::unique_ptr<QTcpSocket>> retired_;
    std::unique_ptr<QFile> file_;
    zv::HttpAnswerHead head_;
    QByteArray buffer_;
};

TNMHTTP::TNMHTTP(QObject* parent)
    : QObject(parent)
{
}

TNMHTTP::~TNMHTTP()
{
    if (current_)
        current_->orphan();
}

void TNMHTTP::setHostLookup(HostLookup lookup)
{
    hostLookupSlot() = std::move(lookup);
}

bool TNMHTTP::Connected() const
{
    return current_ && !current_->ended();
}

void TNMHTTP::Abort()
{
    if (current_)
        current_->abort();
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

void TNMHTTP::run(const QByteArray& url)
{
    Request req(this);
    current_ = &req;
    busy_ = true;
    status_ = 0;
    BytesReceived = 0;
    BytesExpected = 0;
    Header.clear();
    if (!InputFileMode)
        Body.clear();
    // However the request ends (callback errors included), the component is idle
    // again before the caller sees it; a destroyed component, or one an abort
    // gave back (it may be running a newer request), is left alone.
    auto idle = qScopeGuard([&] {
        req.close();
        if (req.owner) {
            busy_ = false;
            current_ = nullptr;
        }
    });

    req.start(url);
    req.waitForEnd();
    if (req.error)
        std::rethrow_exception(req.error);
    if (!req.owner)
        throw zv::Abort();

    req.answering = true;
    const int status = status_;
    if (status >= 1 && status <= 299) {
        if (auto onSuccess = OnSuccess)
            onSuccess(CmdGet);
    } else if (status >= 400 || status == 0) {
        // An answer without a status number is not a success either.
        if (auto onFailure = OnFailure)
            onFailure(CmdGet);
    }
    if (!req.owner)
        throw zv::Abort();
}
