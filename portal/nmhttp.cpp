#include "portal/nmhttp.h"

#include "base/errors.h"
#include "portal/httpanswer.h"
#include "portal/userstate.h"

#include <QEventLoop>
#include <QFile>
#include <QHostInfo>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QScopeGuard>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <exception>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 ChunkSize = 64 * 1024;
// What the socket may hold unread; past it the kernel's flow control holds the
// sender. Below the C library's mmap threshold (128 KB), so that the socket's
// buffers are reused from the heap: larger ones were mapped afresh and
// faulted in page by page for every chunk, which cost more than the transfer.
constexpr qint64 SocketBufferSize = 64 * 1024;

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

// The value of the first header line of that name (case-insensitive), trimmed.
QByteArray headerValue(const QList<QByteArray>& lines, const QByteArray& name)
{
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// "bytes FIRST-LAST/TOTAL" (TOTAL may be "*": -1).
struct ContentRange {
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;
};
std::optional<ContentRange> parseContentRange(const QByteArray& value)
{
    if (!value.startsWith("bytes "))
        return std::nullopt;
    const QByteArray spec = value.mid(6).trimmed();
    const qsizetype dash = spec.indexOf('-');
    const qsizetype slash = spec.indexOf('/');
    if (dash <= 0 || slash < dash)
        return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = true;
    ContentRange r;
    r.first = spec.left(dash).toLongLong(&ok1);
    r.last = spec.mid(dash + 1, slash - dash - 1).toLongLong(&ok2);
    const QByteArray total = spec.mid(slash + 1);
    if (total != "*")
        r.total = total.toLongLong(&ok3);
    if (!ok1 || !ok2 || !ok3 || r.first < 0 || r.last < r.first || (r.total >= 0 && r.last >= r.total))
        return std::nullopt;
    return r;
}

// Pushes a written file to the disk, so that what a rename makes visible is whole.
bool syncFile(int fd)
{
    return fd < 0 || ::fsync(fd) == 0;
}

void syncFolderOf(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// An https: address needs a TLS library that can make encrypted sockets.
void checkTlsFor(const QByteArray& url)
{
    if (zv::isHttpsUrl(url)
        && !(QSslSocket::supportsSsl() && QSslSocket::isClassImplemented(QSsl::ImplementedClass::Socket)))
        fail("HTTP Secure Socket is not supported");
}

// Why a server's certificate was refused, in the user's words.
QString certificateRefusal(const QList<QSslError>& errors, const QString& host)
{
    const auto has = [&](std::initializer_list<QSslError::SslError> kinds) {
        return std::any_of(errors.begin(), errors.end(), [&](const QSslError& e) {
            return std::find(kinds.begin(), kinds.end(), e.error()) != kinds.end();
        });
    };
    if (has({QSslError::SelfSignedCertificate, QSslError::SelfSignedCertificateInChain,
            QSslError::UnableToGetLocalIssuerCertificate, QSslError::UnableToGetIssuerCertificate,
            QSslError::UnableToVerifyFirstCertificate, QSslError::CertificateUntrusted}))
        return QStringLiteral("Le certificat de %1 vient d'une autorité inconnue").arg(host);
    if (has({QSslError::HostNameMismatch}))
        return QStringLiteral("Le certificat présenté par %1 est celui d'un autre hôte").arg(host);
    if (has({QSslError::CertificateExpired}))
        return QStringLiteral("Le certificat de %1 a expiré").arg(host);
    if (has({QSslError::CertificateNotYetValid}))
        return QStringLiteral("Le certificat de %1 n'est pas encore valide").arg(host);
    return QStringLiteral("Le certificat de %1 n'a pas pu être vérifié").arg(host);
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
        , partPath_(fileMode_ ? QFileInfo(QString::fromUtf8(fileName_ + ".part")).absoluteFilePath() : QString())
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
        url_ = url;
        if (fileMode_)
            planResume();
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
        secure_ = zv::isHttpsUrl(url);
        target_ = zv::splitHttpUrl(url);
        QList<QByteArray> lines
            = zv::composeRequestLines(target_, owner->HeaderInfo.Referer, cookiesFor(hopUrl()));
        if (auto onAboutToSend = owner->OnAboutToSend) {
            onAboutToSend(lines);
            checkOwner();
        }
        if (resumeFrom_ > 0) {
            lines << "Range: bytes=" + QByteArray::number(resumeFrom_) + "-";
            lines << "If-Range: " + resumeValidator_;
        }
        hopUrl_ = url;
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
        const int defaultPort = secure_ ? 443 : (owner->Port > 0 ? owner->Port : 80);
        port_ = quint16(target_.port > 0 ? target_.port : defaultPort);
        addresses_ = addresses;
        nextAddress_ = 0;
        phase_ = Phase::Connecting;
        startTimer(); // one limit for the whole connection, every address included
        connectNext();
    }

    // The socket of one connection attempt: plain TCP, or TLS for an https:
    // address, verified against the system's certificate store. A TLS socket
    // counts as ready once encrypted; until then the connection time-out runs.
    QTcpSocket* newSocket()
    {
        if (socket_) {
            // Never deleted from inside one of its own signals: kept until the request goes.
            socket_->disconnect();
            socket_->abort();
            retired_.push_back(std::move(socket_));
        }
        const auto event = [this] { pump(); };
        if (secure_) {
            auto tls = std::make_unique<QSslSocket>();
            tls->setPeerVerifyMode(QSslSocket::VerifyPeer);
            tlsErrors_.clear();
            QObject::connect(tls.get(), &QSslSocket::sslErrors, tls.get(),
                [this](const QList<QSslError>& errors) { tlsErrors_ = errors; });
            QObject::connect(tls.get(), &QSslSocket::encrypted, tls.get(), event);
            closeNotified_ = false;
            QObject::connect(tls.get(), &QSslSocket::alertReceived, tls.get(),
                [this](QSsl::AlertLevel, QSsl::AlertType type, const QString&) {
                    closeNotified_ = closeNotified_ || type == QSsl::AlertType::CloseNotify;
                });
            // A TLS socket says readyRead for every 4 KB it decrypts: one step
            // takes all that one pass decrypted, in 64 KB chunks, instead of
            // a write and a packet event for each 4 KB.
            readQueued_ = false;
            QSslSocket* raw = tls.get();
            QObject::connect(raw, &QSslSocket::readyRead, raw, [this, raw] {
                if (readQueued_)
                    return;
                readQueued_ = true;
                QMetaObject::invokeMethod(
                    raw,
                    [this] {
                        readQueued_ = false;
                        pump();
                    },
                    Qt::QueuedConnection);
            });
            socket_ = std::move(tls);
        } else {
            socket_ = std::make_unique<QTcpSocket>();
            QObject::connect(socket_.get(), &QTcpSocket::readyRead, socket_.get(), event);
        }
        QTcpSocket* s = socket_.get();
        s->setReadBufferSize(SocketBufferSize);
        QObject::connect(s, &QTcpSocket::connected, s, event);
        QObject::connect(s, &QTcpSocket::disconnected, s, event);
        QObject::connect(s, &QTcpSocket::errorOccurred, s, event);
        return s;
    }

    bool socketReady() const
    {
        if (socket_->state() != QAbstractSocket::ConnectedState)
            return false;
        return !secure_ || static_cast<QSslSocket*>(socket_.get())->isEncrypted();
    }

    // The TLS handshake failed, or the certificate was refused: no other address is tried.
    void checkHandshake()
    {
        if (!secure_)
            return;
        const QString host = QString::fromLatin1(target_.host);
        if (!tlsErrors_.isEmpty())
            throw zv::Error(certificateRefusal(tlsErrors_, host));
        const QAbstractSocket::SocketError error = socket_->error();
        const bool tlsFailed = error == QAbstractSocket::SslHandshakeFailedError
            || error == QAbstractSocket::SslInternalError
            || error == QAbstractSocket::SslInvalidUserDataError;
        // Connected, then closed before the handshake ended.
        const bool cut = tcpConnected_ && socket_->state() == QAbstractSocket::UnconnectedState;
        if (tlsFailed || cut)
            throw zv::Error(QStringLiteral("La connexion sécurisée avec %1 a échoué").arg(host));
    }

    void connectNext()
    {
        while (nextAddress_ < addresses_.size()) {
            QTcpSocket* s = newSocket();
            tcpConnected_ = false;
            const QHostAddress& address = addresses_[nextAddress_++];
            if (secure_) {
                // The certificate must name the host as written, not the address it resolved to.
                QByteArray peer = target_.host;
                if (peer.startsWith('[') && peer.endsWith(']'))
                    peer = peer.mid(1, peer.size() - 2);
                static_cast<QSslSocket*>(s)->connectToHostEncrypted(
                    address.toString(), port_, QString::fromLatin1(peer));
            } else {
                s->connectToHost(address, port_);
            }
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
        if (socket_->state() == QAbstractSocket::ConnectedState)
            tcpConnected_ = true; // a TLS handshake is under way
        checkHandshake();
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
            if (!take(data, left))
                continue;
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
        bodyReceived_ = 0;
        discarding_ = false;
        if (fileMode_)
            return startFile();
        c->Body.clear();
        if (c->BytesExpected > MaxTextBody)
            fail("Réponse trop volumineuse");
        // Room grows with what arrives, never beyond the announced length: an
        // answer that announces much and sends little costs little.
        c->Body.reserve(qsizetype(std::min<qint64>(c->BytesExpected, ChunkSize)));
        return false;
    }

    // File mode: a .part beside the chosen file holds the body; the chosen
    // file is replaced only once the whole answer is in (finish). True when
    // the request starts again without its range.
    bool startFile()
    {
        TNMHTTP* c = owner;
        const int status = c->status_;
        if (resumeFrom_ > 0) {
            if (status == 206) {
                const auto range = parseContentRange(headerValue(head_.headerLines(), "Content-Range"));
                const bool lengthAgrees = !head_.hasContentLength() || !range
                    || head_.contentLength() == range->last - range->first + 1;
                if (range && range->first == resumeFrom_ && lengthAgrees
                    && (resumeTotal_ < 0 || range->total < 0 || range->total == resumeTotal_)) {
                    // The counts speak of the whole file, so a bar goes on from where it stopped.
                    openPart(QIODevice::Append);
                    c->BytesReceived = resumeFrom_;
                    const qint64 total = range->total >= 0 ? range->total : resumeTotal_;
                    c->BytesExpected = head_.hasContentLength() ? resumeFrom_ + head_.contentLength()
                                                                : std::max<qint64>(total, 0);
                    return false;
                }
            }
            if (status == 206 || status == 416) {
                // Not the rest of what the .part holds: the whole file again.
                restartWhole();
                return true;
            }
            // Any other answer is the whole file (it changed, or ranges are
            // not served), or a refusal that leaves the .part as it is.
        }
        if (status < 1 || status > 299) {
            // A refused answer's body is the server's page, not the file.
            discarding_ = true;
            c->BytesExpected = 0;
            return false;
        }
        resumeFrom_ = 0;
        openPart(QIODevice::Truncate);
        zv::UserState::PartialDownload record;
        record.url = url_;
        const QByteArray etag = headerValue(head_.headerLines(), "ETag");
        if (!etag.startsWith("W/")) // a weak tag cannot check a range
            record.etag = etag;
        record.lastModified = headerValue(head_.headerLines(), "Last-Modified");
        record.total = head_.hasContentLength() ? head_.contentLength() : -1;
        zv::UserState::instance().setPartialDownload(partPath_, record);
        return false;
    }

    void openPart(QIODevice::OpenMode how)
    {
        file_ = std::make_unique<QFile>(partPath_);
        if (!file_->open(QIODevice::WriteOnly | how | QIODevice::Unbuffered))
            failWriting(fileName_);
    }

    // A .part left by an earlier request of the same address continues from
    // its end, checked against the validator of the answer it came from.
    void planResume()
    {
        resumeFrom_ = 0;
        const QFileInfo part(partPath_);
        if (!part.isFile() || part.size() <= 0)
            return;
        const auto record = zv::UserState::instance().partialDownload(partPath_);
        if (!record || record->url != url_)
            return;
        const QByteArray validator = !record->etag.isEmpty() ? record->etag : record->lastModified;
        if (validator.isEmpty() || (record->total >= 0 && part.size() >= record->total))
            return;
        resumeFrom_ = part.size();
        resumeValidator_ = validator;
        resumeTotal_ = record->total;
    }

    void restartWhole()
    {
        socket_->abort();
        if (++redirects_ > MaxRedirects)
            fail("Trop de redirections");
        resumeFrom_ = 0;
        zv::UserState::instance().forgetPartialDownload(partPath_);
        startHop(hopUrl_);
    }

    // False when the bytes are not the caller's (a refused answer in file mode).
    bool take(const char* data, qint64 size)
    {
        TNMHTTP* c = owner;
        bodyReceived_ += size;
        if (discarding_)
            return false;
        if (fileMode_) {
            if (file_->write(data, size) != size)
                failWriting(fileName_);
        } else {
            const qint64 needed = c->Body.size() + size;
            if (needed > MaxTextBody)
                fail("Réponse trop volumineuse");
            if (needed > c->Body.capacity()) {
                qint64 room = std::max<qint64>(needed, 2 * qint64(c->Body.capacity()));
                if (c->BytesExpected >= needed)
                    room = std::min(room, c->BytesExpected);
                c->Body.reserve(qsizetype(room));
            }
            c->Body.append(data, qsizetype(size));
        }
        c->BytesReceived += size;
        return true;
    }

    void redirect()
    {
        // The callbacks wait for the final answer.
        socket_->abort();
        if (++redirects_ > MaxRedirects)
            fail("Trop de redirections");
        keepCookies();
        const QByteArray url
            = zv::redirectTarget(head_.location(), target_.hostPort, secure_ ? "https" : "http");
        checkTlsFor(url);
        startHop(url);
    }

    // The address of the current hop, for the cookies' scope.
    QUrl hopUrl() const
    {
        return QUrl(
            QString::fromLatin1((secure_ ? "https://" : "http://") + target_.hostPort + target_.path));
    }

    // Cookies set along a redirect chain go back only where they belong: the
    // host (or domain) and path they were set for, and over TLS only when
    // marked secure.
    void keepCookies()
    {
        QList<QNetworkCookie> set;
        for (const QByteArray& line : head_.headerLines()) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare("Set-Cookie", Qt::CaseInsensitive) == 0)
                set += QNetworkCookie::parseCookies(line.mid(colon + 1).trimmed());
        }
        if (!set.isEmpty())
            cookies_.setCookiesFromUrl(set, hopUrl());
    }

    QByteArray cookiesFor(const QUrl& url) const
    {
        QByteArray header;
        for (const QNetworkCookie& cookie : cookies_.cookiesForUrl(url)) {
            if (!header.isEmpty())
                header += "; ";
            header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
        }
        return header;
    }

    void finish()
    {
        const QString abandoned = abandonText();
        // Cut short before the end of the head, or before the announced length.
        if (!head_.complete())
            throw zv::Error(abandoned);
        if (head_.hasContentLength() && bodyReceived_ < head_.contentLength())
            throw zv::Error(abandoned);
        // Over TLS an answer of unknown length ends with the server's close
        // notice; a connection cut without it may have lost the end.
        if (secure_ && !head_.hasContentLength() && !closeNotified_)
            throw zv::Error(abandoned);
        if (file_)
            commitFile();
        end(nullptr);
    }

    // The whole answer is in the .part: it takes the chosen name in one step,
    // so the name holds the old file or the new one, never a part of either.
    // A file it replaces is only let go once the new one is on the disk, so
    // that a power cut cannot leave the name empty; a new name costs no wait.
    void commitFile()
    {
        const QString target = QFileInfo(QString::fromUtf8(fileName_)).absoluteFilePath();
        const bool replacing = QFileInfo::exists(target);
        if (!file_->flush() || (replacing && !syncFile(file_->handle())))
            failWriting(fileName_);
        file_.reset();
        if (std::rename(QFile::encodeName(partPath_).constData(), QFile::encodeName(target).constData()) != 0)
            failWriting(fileName_);
        if (replacing)
            syncFolderOf(target);
        zv::UserState::instance().forgetPartialDownload(partPath_);
    }

    Phase phase_ = Phase::Starting;
    const int timeOut_;
    const bool fileMode_;
    const QByteArray fileName_;
    const QString partPath_; // file mode: the chosen file's name + ".part"
    QByteArray url_; // as given to Get: what a partial download is remembered by
    QByteArray hopUrl_;
    qint64 resumeFrom_ = 0; // > 0: asking for the rest of the .part's file
    QByteArray resumeValidator_;
    qint64 resumeTotal_ = -1;
    qint64 bodyReceived_ = 0; // of this answer's body
    bool discarding_ = false;
    bool aborted_ = false;
    bool timedOut_ = false;
    int depth_ = 0;
    bool again_ = false;
    QEventLoop* loop_ = nullptr;
    QTimer timer_;

    zv::HttpTarget target_;
    bool secure_ = false; // this hop goes over TLS
    QByteArray requestBytes_;
    QNetworkCookieJar cookies_;
    int redirects_ = 0;

    std::unique_ptr<QObject> lookupContext_;
    int hop_ = 0;
    bool lookupDone_ = false;
    QList<QHostAddress> addresses_;
    qsizetype nextAddress_ = 0;
    quint16 port_ = 80;

    std::unique_ptr<QTcpSocket> socket_;
    bool tcpConnected_ = false;
    bool closeNotified_ = false; // the TLS server said it was closing
    bool readQueued_ = false; // a step for what the TLS socket decrypted is on its way
    QList<QSslError> tlsErrors_; // the certificate's, as the handshake reported them
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
    checkTlsFor(url);
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
