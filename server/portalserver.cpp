#include "server/portalserver.h"

#include "server/answers.h"
#include "server/charset.h"
#include "server/pages.h"
#include "server/query.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <httplib.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zvs {

namespace {

constexpr size_t kMaxRequestLine = 8000; // the parser takes header lines up to 8192
constexpr size_t kMaxHeaderBytes = 32 * 1024;
constexpr const char* kOriginalTarget = "X-Zevalo-Target";
constexpr qint64 kMaxServedFile = 256ll * 1024 * 1024;
constexpr size_t kMaxPostBody = 64 * 1024;

const char* kText = "text/plain; charset=windows-1252";
const char* kHtml = "text/html; charset=windows-1252";

} // namespace

// Declared in the header: the fuzz target calls it.
std::string repairRequestLine(std::string line, std::string* original)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    const size_t first = line.find(' ');
    if (first == std::string::npos)
        return line + "\r\n"; // the parser refuses it
    std::string method = line.substr(0, first);
    std::string rest = line.substr(first + 1);
    std::string version = "HTTP/1.0";
    const size_t last = rest.rfind(' ');
    if (last != std::string::npos && rest.compare(last + 1, 5, "HTTP/") == 0) {
        version = rest.substr(last + 1);
        rest.resize(last);
    }
    while (!rest.empty() && rest.back() == ' ')
        rest.pop_back();
    while (!rest.empty() && rest.front() == ' ')
        rest.erase(rest.begin());
    std::string target;
    original->clear();
    bool query = false;
    for (unsigned char c : rest) {
        if (c <= 0x20 || c == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            target += hex;
            *original += hex;
            continue;
        }
        *original += char(c);
        if (c == '?' && query) {
            target += "%3F";
            continue;
        }
        query = query || c == '?';
        target += char(c);
    }
    return method + ' ' + target + ' ' + version + "\r\n";
}

namespace {

bool waitFor(int sock, short events, time_t seconds)
{
    pollfd p{sock, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, int(seconds * 1000));
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 && (p.revents & (events | POLLHUP | POLLERR));
    }
}

void addressOf(const sockaddr_storage& addr, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        const auto* a = reinterpret_cast<const sockaddr_in*>(&addr);
        ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        port = ntohs(a->sin_port);
    } else if (addr.ss_family == AF_INET6) {
        const auto* a = reinterpret_cast<const sockaddr_in6*>(&addr);
        ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        port = ntohs(a->sin6_port);
    }
    ip = text;
}

// A socket stream that hands the HTTP parser a repaired request line first.
// With ssl, the bytes go through that TLS session.
class RequestStream : public httplib::Stream {
public:
    RequestStream(int sock, SSL* ssl, time_t readSec, time_t writeSec)
        : sock_(sock)
        , ssl_(ssl)
        , readSec_(readSec)
        , writeSec_(writeSec)
    {
    }

    enum class Line { Ready, Closed, TooLong, HeadersTooLong };

    // Reads the request line and the header lines, repaired (see
    // repairRequestLine; bare LF line ends become CR LF), and queues them for
    // the parser. The body, if any, is read from the socket as it comes.
    Line takeRequestHead(time_t waitSec)
    {
        std::string line;
        bool first = true;
        size_t headerBytes = 0;
        pending_.clear();
        pos_ = 0;
        for (;;) {
            if (!readable(first && line.empty() ? waitSec : readSec_))
                return Line::Closed;
            char c;
            const ssize_t n = receive(&c, 1);
            if (n <= 0)
                return Line::Closed;
            line += c;
            if (c != '\n') {
                if (line.size() > kMaxRequestLine)
                    return first ? Line::TooLong : Line::HeadersTooLong;
                continue;
            }
            if (first) {
                if (line == "\r\n" || line == "\n") { // stray blank lines between requests
                    line.clear();
                    continue;
                }
                std::string original;
                pending_ = repairRequestLine(line, &original);
                http10_ = pending_.size() >= 10 && pending_.compare(pending_.size() - 10, 8, "HTTP/1.0") == 0;
                // Ahead of the client's own header lines, so that it wins. The
                // parser percent-decodes header values: '%' goes as "%25".
                std::string escaped;
                for (char ch : original)
                    escaped += ch == '%' ? std::string("%25") : std::string(1, ch);
                pending_ += std::string(kOriginalTarget) + ": " + escaped + "\r\n";
                first = false;
            } else {
                while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                    line.pop_back();
                pending_ += line + "\r\n";
                headerBytes += line.size();
                if (line.empty())
                    return Line::Ready;
                if (headerBytes > kMaxHeaderBytes)
                    return Line::HeadersTooLong;
            }
            line.clear();
        }
    }

    bool is_readable() const override { return pos_ < pending_.size() || readable(readSec_); }
    bool is_writable() const override { return waitFor(sock_, POLLOUT, writeSec_); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (pos_ < pending_.size()) {
            const size_t n = std::min(size, pending_.size() - pos_);
            std::memcpy(ptr, pending_.data() + pos_, n);
            pos_ += n;
            return ssize_t(n);
        }
        if (!readable(readSec_))
            return -1;
        return receive(ptr, size);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        if (ssl_) {
            const int n = SSL_write(ssl_, ptr, int(std::min<size_t>(size, INT_MAX)));
            return n > 0 ? n : -1;
        }
        for (;;) {
            const ssize_t n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            return n;
        }
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            addressOf(addr, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            addressOf(addr, ip, port);
    }

    ::socket_t socket() const override { return sock_; }
    bool http10() const { return http10_; }

private:
    // Bytes already decrypted wait inside the TLS session, not on the socket.
    bool readable(time_t seconds) const
    {
        return (ssl_ && SSL_pending(ssl_) > 0) || waitFor(sock_, POLLIN, seconds);
    }

    ssize_t receive(char* ptr, size_t size)
    {
        if (ssl_) {
            const int n = SSL_read(ssl_, ptr, int(std::min<size_t>(size, INT_MAX)));
            return n > 0 ? n : (SSL_get_error(ssl_, n) == SSL_ERROR_ZERO_RETURN ? 0 : -1);
        }
        for (;;) {
            const ssize_t n = ::recv(sock_, ptr, size, 0);
            if (n < 0 && errno == EINTR)
                continue;
            return n;
        }
    }

    int sock_;
    SSL* ssl_;
    time_t readSec_;
    time_t writeSec_;
    std::string pending_;
    size_t pos_ = 0;
    bool http10_ = false;
};

} // namespace

// httplib's parser, fed through RequestStream, with its keep-alive loop.
class TolerantServer : public httplib::Server {
public:
    // The library listens with a backlog of 5: a burst of clients would wait
    // for SYN retries (a second each). Listening again widens it.
    void widenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

    std::function<void(const std::string& line)> rawLog;

    ~TolerantServer() override { SSL_CTX_free(tls_); }

    // From then on a connection that opens with a TLS handshake is served over
    // TLS with this certificate chain and key; any other stays plain HTTP.
    void useTls(const QString& certificateFile, const QString& keyFile)
    {
        SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
        const bool ok = ctx && SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION) == 1
            && SSL_CTX_use_certificate_chain_file(ctx, QFile::encodeName(certificateFile).constData()) == 1
            && SSL_CTX_use_PrivateKey_file(ctx, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM) == 1
            && SSL_CTX_check_private_key(ctx) == 1;
        if (!ok) {
            char reason[256] = "unknown error";
            if (const unsigned long e = ERR_get_error())
                ERR_error_string_n(e, reason, sizeof reason);
            SSL_CTX_free(ctx);
            throw std::runtime_error("cannot use the TLS certificate " + certificateFile.toStdString()
                + " and key " + keyFile.toStdString() + ": " + reason);
        }
        SSL_CTX_free(tls_);
        tls_ = ctx;
    }

    // One connection that is already open, served as an accepted one would be.
    bool serveSocket(::socket_t sock) { return process_and_close_socket(sock); }

private:
    // A TLS client speaks first, with a handshake record (type 22).
    bool opensWithTls(::socket_t sock) const
    {
        if (!waitFor(sock, POLLIN, read_timeout_sec_))
            return false;
        unsigned char first = 0;
        return ::recv(sock, &first, 1, MSG_PEEK) == 1 && first == 0x16;
    }

    // The handshake, bounded by the read and write time-outs; null when it fails.
    SSL* acceptTls(::socket_t sock) const
    {
        const timeval readLimit{read_timeout_sec_, 0};
        const timeval writeLimit{write_timeout_sec_, 0};
        ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &readLimit, sizeof readLimit);
        ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &writeLimit, sizeof writeLimit);
        SSL* ssl = SSL_new(tls_);
        if (ssl && SSL_set_fd(ssl, int(sock)) == 1 && SSL_accept(ssl) == 1)
            return ssl;
        SSL_free(ssl);
        ERR_clear_error();
        if (rawLog)
            rawLog("- (TLS handshake failed) - 0");
        return nullptr;
    }

    bool process_and_close_socket(::socket_t sock) override
    {
        SSL* ssl = nullptr;
        if (tls_ && opensWithTls(sock)) {
            ssl = acceptTls(sock);
            if (!ssl) {
                ::close(sock);
                return false;
            }
        }
        RequestStream stream(sock, ssl, read_timeout_sec_, write_timeout_sec_);
        bool ok = false;
        size_t remaining = keep_alive_max_count_;
        time_t wait = read_timeout_sec_;
        while (remaining > 0 && is_running()) {
            const auto line = stream.takeRequestHead(wait);
            if (line == RequestStream::Line::TooLong || line == RequestStream::Line::HeadersTooLong) {
                const bool uri = line == RequestStream::Line::TooLong;
                const std::string answer = std::string("HTTP/1.1 ")
                    + (uri ? "414 URI Too Long" : "431 Request Header Fields Too Large")
                    + "\r\nConnection: close\r\nContent-Type: text/plain\r\nContent-Length: 0\r\n\r\n";
                stream.write(answer.data(), answer.size());
                if (rawLog)
                    rawLog(uri ? "- (request line too long) 414 0" : "- (header too long) 431 0");
                break;
            }
            if (line != RequestStream::Line::Ready)
                break;
            bool closed = false;
            // An HTTP/1.0 client reads to the close: say so in the answer.
            ok = process_request(stream, remaining == 1 || stream.http10(), closed, nullptr);
            if (!ok || closed)
                break;
            --remaining;
            wait = keep_alive_timeout_sec_;
        }
        if (ssl) {
            SSL_shutdown(ssl); // the close notice: the client knows the answer is whole
            SSL_free(ssl);
            ERR_clear_error();
        }
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
        return ok;
    }

    SSL_CTX* tls_ = nullptr;
};

bool parseListen(const QString& text, QString* host, int* port)
{
    static const QRegularExpression re(
        QStringLiteral("^([A-Za-z0-9.\\-]*|\\[[0-9A-Fa-f:.]+\\])(?::([0-9]{1,5}))?$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    QString h = m.captured(1);
    if (h.startsWith(QLatin1Char('[')))
        h = h.mid(1, h.size() - 2);
    if (!h.isEmpty())
        *host = h;
    if (m.hasCaptured(2) && !m.captured(2).isEmpty()) {
        const int p = m.captured(2).toInt();
        if (p > 65535)
            return false;
        *port = p;
    }
    return true;
}

struct PortalServer::Impl {
    ServerOptions opt;
    Catalogue cat;
    TolerantServer http;
    QString contentRoot; // canonical
    QString mediaRoot; // canonical, may be empty while nothing is generated
    QStringList messages;
    int boundPort = 0;

    std::mutex logMutex;
    FILE* log = stderr;
    std::mutex viewsMutex;
    std::map<int, long> views;
    std::mutex contactMutex;
    std::atomic<unsigned> adTurn{0};

    void writeLog(const std::string& line)
    {
        const QByteArray stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
        std::lock_guard lock(logMutex);
        std::fprintf(log, "%s %s\n", stamp.constData(), line.c_str());
        std::fflush(log);
    }

    QString baseUrl(const httplib::Request& req) const
    {
        static const QRegularExpression safeHost(
            QStringLiteral("^([A-Za-z0-9.\\-]{1,253}|\\[[0-9A-Fa-f:.]{2,45}\\])(:[0-9]{1,5})?$"));
        const QString host = QString::fromLatin1(req.get_header_value("Host"));
        if (safeHost.match(host).hasMatch())
            return QStringLiteral("http://") + host;
        QString h
            = opt.host.contains(QLatin1Char(':')) ? QLatin1Char('[') + opt.host + QLatin1Char(']') : opt.host;
        if (h == QLatin1String("0.0.0.0") || h.isEmpty())
            h = QStringLiteral("127.0.0.1");
        return QStringLiteral("http://%1:%2").arg(h).arg(boundPort);
    }

    // With TLS on, the catalogue sends the client to its feeds over TLS; the
    // media they list stay on plain HTTP, which every player can open.
    QString feedBase(const httplib::Request& req) const
    {
        const QString base = baseUrl(req);
        return opt.tlsCertificate.isEmpty() ? base : QStringLiteral("https") + base.mid(4);
    }

    static void send(httplib::Response& res, int status, const QByteArray& body, const char* type)
    {
        res.status = status;
        res.set_content(body.constData(), size_t(body.size()), type);
    }

    static void sendPage(httplib::Response& res, int status, const QString& html)
    {
        send(res, status, toCp1252(html), kHtml);
    }

    static void notFound(httplib::Response& res, const QString& what)
    {
        sendPage(res, 404, notFoundPage(what));
    }

    static void badRequest(httplib::Response& res) { send(res, 400, "Requete invalide", kText); }

    // A path below root, from the raw (still encoded) path of the request;
    // empty when it would leave root or names no regular file.
    static QString resolveBelow(const QString& root, const QByteArray& rawRelative)
    {
        if (root.isEmpty())
            return {};
        const QByteArray rel = percentDecode(rawRelative, false);
        if (rel.contains('\0') || rel.contains('\\'))
            return {};
        QStringList parts;
        for (const QByteArray& seg : rel.split('/')) {
            if (seg.isEmpty())
                continue;
            if (seg == "." || seg == "..")
                return {};
            parts.append(QString::fromUtf8(seg));
        }
        QString path = root;
        if (!parts.isEmpty())
            path += QLatin1Char('/') + parts.join(QLatin1Char('/'));
        QFileInfo info(path);
        if (info.isDir())
            info.setFile(path + QStringLiteral("/index.htm"));
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty() || !canonical.startsWith(root + QLatin1Char('/')))
            return {};
        if (!QFileInfo(canonical).isFile())
            return {};
        return canonical;
    }

    static const char* contentType(const QString& path)
    {
        static const std::map<QString, const char*> types = {
            {"htm", kHtml},
            {"html", kHtml},
            {"txt", kText},
            {"css", "text/css; charset=windows-1252"},
            {"js", "application/javascript; charset=windows-1252"},
            {"json", "application/json"},
            {"xml", "application/xml"},
            {"mp4", "video/mp4"},
            {"flv", "video/x-flv"},
            {"wmv", "video/x-ms-wmv"},
            {"asf", "video/x-ms-asf"},
            {"rm", "application/vnd.rn-realmedia"},
            {"mp3", "audio/mpeg"},
            {"wav", "audio/wav"},
            {"ogg", "audio/ogg"},
            {"m3u", "audio/x-mpegurl"},
            {"jpg", "image/jpeg"},
            {"jpeg", "image/jpeg"},
            {"png", "image/png"},
            {"gif", "image/gif"},
            {"svg", "image/svg+xml"},
            {"ico", "image/x-icon"},
            {"swf", "application/x-shockwave-flash"},
        };
        const auto it = types.find(QFileInfo(path).suffix().toLower());
        return it == types.end() ? "application/octet-stream" : it->second;
    }

    static bool isTextPage(const QString& path)
    {
        const QString s = QFileInfo(path).suffix().toLower();
        return s == QLatin1String("htm") || s == QLatin1String("html") || s == QLatin1String("css")
            || s == QLatin1String("js") || s == QLatin1String("txt");
    }

    // Pages of the content folder are UTF-8 files with {{BASE}} for the
    // server's own address; they are sent as Windows-1252.
    QByteArray templated(const QString& path, const httplib::Request& req) const
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromUtf8(f.readAll());
        text.replace(QStringLiteral("{{BASE}}"), baseUrl(req));
        return toCp1252(text);
    }

    bool serveFile(const QString& path, const httplib::Request& req, httplib::Response& res) const
    {
        if (path.isEmpty())
            return false;
        if (isTextPage(path)) {
            const QByteArray body = templated(path, req);
            send(res, 200, body, contentType(path));
            return true;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxServedFile)
            return false;
        const QByteArray body = f.readAll();
        send(res, 200, body, contentType(path));
        res.status = -1; // 200, or 206 for a range request
        res.set_header("Accept-Ranges", "bytes");
        return true;
    }

    void servePage(const QString& relative, const httplib::Request& req, httplib::Response& res) const
    {
        if (!serveFile(resolveBelow(contentRoot, relative.toUtf8()), req, res))
            notFound(res, QStringLiteral("Cette page n'existe pas."));
    }

    // --- /exe/cont.php ---
    void cont(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        const QByteArray c = q.value("c").value_or(QByteArray()).trimmed().toLower();
        const QString base = baseUrl(req);
        static const std::map<QByteArray, const char*> pages = {
            {"urlaccg", "/pages/accueil_g.htm"},
            {"ieacc2", "/pages/accueil_d.htm"},
            {"urlchat", "/pages/chat.htm"},
            {"urlsexo", "/pages/adultes.htm"},
            {"urlspons1", "/pages/sponsor1.htm"},
            {"urlspons2", "/pages/sponsor2.htm"},
        };
        if (const auto it = pages.find(c); it != pages.end()) {
            send(res, 200, toCp1252(base + QString::fromLatin1(it->second)), kText);
        } else if (c == "version") {
            send(res, 200, toCp1252(opt.announceVersion), kText);
        } else if (c == "message") {
            const QString m = messages.isEmpty()
                ? QStringLiteral(
                    "Bienvenue sur Zevalo Multimédia, le portail de la télé, de la radio et des jeux !")
                : messages[QDate::currentDate().dayOfYear() % messages.size()];
            send(res, 200, toCp1252(m), kText);
        } else if (c == "spons") {
            send(res, 200, opt.sponsor ? "OUI" : "NON", kText);
        } else if (c == "pub") {
            const unsigned turn = adTurn++ % 3;
            servePage(QStringLiteral("pages/pub%1.htm").arg(turn + 1), req, res);
        } else if (c == "info_temps") {
            send(res, 200, popupSchedule(base), kText);
        } else {
            notFound(res, QStringLiteral("Contenu inconnu."));
        }
    }

    // --- /exe/medias.php ---
    void medias(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        const QString base = baseUrl(req);
        const QByteArray t = q.value("t").value_or(QByteArray()).trimmed();
        if (t == "3")
            return send(res, 200, channelRecords(cat.tv, base, "\r\n"), kText);
        if (t == "4")
            return send(res, 200, channelRecords(cat.radios, base, "\r\n"), kText);
        if (t == "1")
            return send(res, 200, channelRecords(cat.clips, base, "||"), kText);
        if (t != "2")
            return badRequest(res);
        const QByteArray k = q.value("k").value_or(QByteArray()).trimmed();
        if (k == "1")
            return send(res, 200, gameCategories(cat), kText);
        if (k == "2") {
            const auto raw = q.rawValue("cat");
            if (!raw)
                return badRequest(res);
            return send(res, 200, gamesOfCategory(cat, clientName(*raw)), kText);
        }
        if (k == "3") {
            const auto raw = q.rawValue("jeu");
            if (!raw)
                return badRequest(res);
            const Game* g = cat.findGame(clientName(*raw));
            if (!g)
                return notFound(res, QStringLiteral("Jeu inconnu."));
            return send(res, 200, gameLaunch(*g, base), kText);
        }
        badRequest(res);
    }

    void contentViewed(const Query& q, httplib::Response& res)
    {
        const auto id = parseCount(q.value("id").value_or(QByteArray()), INT_MAX);
        if (!id)
            return badRequest(res);
        if (!cat.knownContentId(int(*id)))
            return notFound(res, QStringLiteral("Contenu inconnu."));
        long count = 0;
        {
            std::lock_guard lock(viewsMutex);
            count = ++views[int(*id)];
            saveViews();
        }
        send(res, 200, QByteArray::number(qlonglong(count)), kText);
    }

    QString viewsPath() const { return opt.dataDir + QStringLiteral("/vues.txt"); }

    void loadViews()
    {
        QFile f(viewsPath());
        if (!f.open(QIODevice::ReadOnly))
            return;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> fields = line.trimmed().split('\t');
            if (fields.size() != 2)
                continue;
            const auto id = parseCount(fields[0], INT_MAX);
            const auto n = parseCount(fields[1], LONG_MAX / 2);
            if (id && n)
                views[int(*id)] = *n;
        }
    }

    // Called with viewsMutex held; a failed write keeps the counts in memory.
    void saveViews() const
    {
        QSaveFile f(viewsPath());
        if (!f.open(QIODevice::WriteOnly))
            return;
        for (const auto& [id, n] : views)
            f.write(QByteArray::number(id) + '\t' + QByteArray::number(qlonglong(n)) + '\n');
        f.commit();
    }

    QByteArray viewsText()
    {
        std::lock_guard lock(viewsMutex);
        QByteArray out;
        for (const auto& [id, n] : views) {
            if (!out.isEmpty())
                out += "\r\n";
            out += QByteArray::number(id) + '\t' + QByteArray::number(qlonglong(n));
        }
        return out;
    }

    // --- games pages ---
    void gameDescription(const Query& q, httplib::Response& res)
    {
        const auto raw = q.rawValue("jeu");
        const Game* g = raw ? cat.findGame(clientName(*raw)) : nullptr;
        if (!g)
            return notFound(res, QStringLiteral("Ce jeu n'existe pas ou n'est plus proposé."));
        sendPage(res, 200, gameDescriptionPage(*g));
    }

    void gameHolder(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        // The name comes last and unencoded: it may hold spaces, raw accents
        // and even '&'.
        const auto raw = q.rest("jeu");
        const Game* g = raw ? cat.findGame(clientName(*raw)) : nullptr;
        const QString colour = safeColour(fromClientBytes(q.value("bgcolor").value_or(QByteArray())));
        const QString w = safeLength(fromClientBytes(q.value("w").value_or(QByteArray())));
        const QString h = safeLength(fromClientBytes(q.value("h").value_or(QByteArray())));
        const QString url = g ? gameAddress(*g, baseUrl(req)) : QString();
        sendPage(res, g ? 200 : 404, gameHolderPage(g, url, w, h, colour));
    }

    // --- podcasts ---
    void podcastPicture(const Query& q, httplib::Response& res)
    {
        const QString colour = safeColour(fromClientBytes(q.value("couleur").value_or(QByteArray())));
        // The address is sent unencoded and may carry its own query.
        const auto raw = q.rest("url");
        const QString url = raw ? safeHttpUrl(fromClientBytes(*raw)) : QString();
        sendPage(res, 200, podcastPicturePage(colour, url));
    }

    void podcastFeedFile(const QString& slug, const httplib::Request& req, httplib::Response& res)
    {
        for (const Podcast& p : cat.podcasts) {
            if (p.slug == slug)
                return send(res, 200, podcastFeed(p, baseUrl(req)), "application/rss+xml; charset=utf-8");
        }
        notFound(res, QStringLiteral("Ce podcast n'existe pas."));
    }

    // --- searches ---
    void searchMp3(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        long position = 0;
        if (const auto v = q.value("num_page"); v && !v->trimmed().isEmpty()) {
            const auto n = parseCount(*v, 1000000000L);
            if (!n)
                return badRequest(res);
            position = *n;
        }
        const QString words = fromClientBytes(q.value("recherche").value_or(QByteArray()));
        send(res, 200, mp3Search(cat, baseUrl(req), words, position), kText);
    }

    void searchVideos(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        long page = 1;
        if (const auto v = q.value("num_page"); v && !v->trimmed().isEmpty()) {
            const auto n = parseCount(*v, 100000000L);
            if (!n)
                return badRequest(res);
            page = std::max(1L, *n);
        }
        // Sent encoded twice: a space arrives as %2520.
        const QString words = clientName(q.rawValue("recherche").value_or(QByteArray()));
        send(res, 200, videoSearch(cat, baseUrl(req), words, page), kText);
    }

    // --- contact ---
    void contact(const Query& q, const httplib::Request& req, httplib::Response& res)
    {
        const bool posted = req.method == "POST";
        if (!posted && !q.has("message"))
            return servePage(QStringLiteral("pages/contact.htm"), req, res);
        const Query form = posted ? Query(QByteArray::fromStdString(req.body)) : q;
        auto field = [&](const char* key, int max) {
            QString v = fromClientBytes(form.value(key).value_or(QByteArray())).trimmed();
            return v.left(max);
        };
        QString name = field("nom", 200).simplified();
        QString mail = field("email", 200).simplified();
        QString subject = field("sujet", 300).simplified();
        QString message = field("message", 20000);
        if (message.isEmpty())
            return sendPage(
                res, 400, contactResultPage(false, QStringLiteral("Veuillez écrire un message.")));
        message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QString record = QStringLiteral("--- %1 depuis %2\n")
                             .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
                                 QString::fromStdString(req.remote_addr));
        record += QStringLiteral("Nom : %1\nCourriel : %2\nSujet : %3\nMessage :\n").arg(name, mail, subject);
        // Indented so that no line of a message can pass for a record's start.
        for (const QString& line : message.split(QLatin1Char('\n')))
            record += QStringLiteral("  ") + line + QLatin1Char('\n');
        record += QLatin1Char('\n');
        if (!appendContact(record.toUtf8()))
            return sendPage(res, 500,
                contactResultPage(false,
                    QStringLiteral("Le message n'a pas pu être "
                                   "enregistré, veuillez réessayer plus tard.")));
        sendPage(res, 200, contactResultPage(true, {}));
    }

    // One write of the whole record, under a lock, then fsync: records of
    // concurrent submissions (even from several servers) never interleave.
    bool appendContact(const QByteArray& record)
    {
        std::lock_guard lock(contactMutex);
        const QByteArray path = QFile::encodeName(opt.dataDir + QStringLiteral("/contact.txt"));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0640);
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

    // --- dispatch ---
    void handle(const httplib::Request& req, httplib::Response& res)
    {
        // The target as the client wrote it, before the line was repaired.
        const QByteArray target = QByteArray::fromStdString(
            req.has_header(kOriginalTarget) ? req.get_header_value(kOriginalTarget) : req.target);
        const qsizetype qm = target.indexOf('?');
        const QByteArray rawPath = qm < 0 ? target : target.left(qm);
        const Query q(qm < 0 ? QByteArray() : target.mid(qm + 1));
        const QByteArray path = percentDecode(rawPath, false);
        const bool post = req.method == "POST";

        if (path == "/exe/contact.php")
            return contact(q, req, res);
        if (post)
            return send(res, 405, "Methode non permise", kText);

        if (path == "/exe/test_connexion.php")
            return send(res, 200, "ok", kText);
        if (path == "/exe/cont.php")
            return cont(q, req, res);
        if (path == "/exe/medias.php")
            return medias(q, req, res);
        if (path == "/exe/vu.php")
            return contentViewed(q, res);
        if (path == "/exe/vues.php")
            return send(res, 200, viewsText(), kText);
        if (path == "/exe/desc_fla.php")
            return gameDescription(q, res);
        if (path == "/exe/dir.php")
            return gameHolder(q, req, res);
        if (path == "/exe/podcast.php")
            return send(res, 200, podcastCatalogue(cat, feedBase(req)), kText);
        if (path == "/exe/podcast_image.php")
            return podcastPicture(q, res);
        if (path == "/exe/rech_rbc.php")
            return searchMp3(q, req, res);
        if (path == "/exe/rech_dm.php")
            return searchVideos(q, req, res);
        if (path.startsWith("/exe/"))
            return notFound(res, QStringLiteral("Cette page n'existe pas."));

        if (path.startsWith("/bouquet/") && path.endsWith(".m3u")) {
            const QString name = QString::fromUtf8(path.mid(9, path.size() - 9 - 4));
            for (const Bouquet& b : cat.bouquets) {
                if (b.name == name)
                    return send(res, 200, bouquetPlaylist(b, baseUrl(req)),
                        b.utf8 ? "audio/x-mpegurl; charset=utf-8" : "audio/x-mpegurl; charset=windows-1252");
            }
            return notFound(res, QStringLiteral("Ce bouquet n'existe pas."));
        }
        if (path.startsWith("/podcasts/") && path.endsWith(".xml"))
            return podcastFeedFile(QString::fromUtf8(path.mid(10, path.size() - 10 - 4)), req, res);
        if (rawPath.startsWith("/media/")) {
            if (!serveFile(resolveBelow(mediaRoot, rawPath.mid(7)), req, res))
                notFound(res, QStringLiteral("Ce fichier n'existe pas."));
            return;
        }
        if (rawPath.startsWith("/generated")) // only through /media/
            return notFound(res, QStringLiteral("Cette page n'existe pas."));
        if (!serveFile(resolveBelow(contentRoot, rawPath), req, res))
            notFound(res, QStringLiteral("Cette page n'existe pas."));
    }
};

PortalServer::PortalServer(ServerOptions options)
    : d(std::make_unique<Impl>())
{
    d->opt = std::move(options);
    d->contentRoot = QFileInfo(d->opt.contentDir).canonicalFilePath();
    if (d->contentRoot.isEmpty())
        throw std::runtime_error("content folder not found: " + d->opt.contentDir.toStdString());
    if (d->opt.mediaDir.isEmpty())
        d->opt.mediaDir = d->contentRoot + QStringLiteral("/generated");
    d->mediaRoot = QFileInfo(d->opt.mediaDir).canonicalFilePath();
    d->cat = loadCatalogue(d->contentRoot + QStringLiteral("/catalogue.json"));
    if (!QDir().mkpath(d->opt.dataDir))
        throw std::runtime_error("cannot create data folder " + d->opt.dataDir.toStdString());
    if (!d->opt.logFile.isEmpty()) {
        d->log = std::fopen(QFile::encodeName(d->opt.logFile).constData(), "a");
        if (!d->log)
            throw std::runtime_error("cannot open log file " + d->opt.logFile.toStdString());
    }
    QFile messages(d->contentRoot + QStringLiteral("/messages.txt"));
    if (messages.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(messages.readAll()).split(QLatin1Char('\n'))) {
            const QString m = line.trimmed();
            if (!m.isEmpty() && !m.startsWith(QLatin1Char('#')))
                d->messages.append(m);
        }
    }
    d->loadViews();

    auto& http = d->http;
    if (!d->opt.tlsCertificate.isEmpty() || !d->opt.tlsKey.isEmpty())
        http.useTls(d->opt.tlsCertificate, d->opt.tlsKey);
    http.new_task_queue = [] { return new httplib::ThreadPool(48); };
    http.set_payload_max_length(kMaxPostBody);
    http.set_read_timeout(5, 0);
    http.set_write_timeout(10, 0);
    http.set_keep_alive_timeout(5);
    // No SO_REUSEPORT (the library's default): a second portal on the same
    // port must fail to start rather than share the port with the first.
    http.set_socket_options([](::socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    Impl* impl = d.get();
    auto handler = [impl](const httplib::Request& req, httplib::Response& res) {
        try {
            impl->handle(req, res);
        } catch (const std::exception& e) {
            Impl::send(res, 500, QByteArray("Erreur interne"), kText);
            impl->writeLog(std::string("error: ") + e.what());
        }
    };
    http.Get(R"([\s\S]*)", handler);
    http.Post(R"([\s\S]*)", handler);
    http.set_logger([impl](const httplib::Request& req, const httplib::Response& res) {
        std::string target
            = req.has_header(kOriginalTarget) ? req.get_header_value(kOriginalTarget) : req.target;
        for (char& c : target) {
            if (static_cast<unsigned char>(c) < 0x20)
                c = '?';
        }
        impl->writeLog(req.remote_addr + ' ' + req.method + ' ' + target + ' ' + std::to_string(res.status)
            + ' ' + std::to_string(res.body.size()));
    });
    http.rawLog = [impl](const std::string& line) { impl->writeLog(line); };
}

PortalServer::~PortalServer()
{
    if (d->log && d->log != stderr)
        std::fclose(d->log);
}

bool PortalServer::bind(QString* error)
{
    const std::string host = d->opt.host.toStdString();
    if (d->opt.port == 0) {
        d->boundPort = d->http.bind_to_any_port(host);
        if (d->boundPort <= 0) {
            *error = QStringLiteral("cannot listen on %1").arg(d->opt.host);
            return false;
        }
    } else {
        if (!d->http.bind_to_port(host, d->opt.port)) {
            *error = QStringLiteral("cannot listen on %1:%2").arg(d->opt.host).arg(d->opt.port);
            return false;
        }
        d->boundPort = d->opt.port;
    }
    d->http.widenBacklog();
    return true;
}

int PortalServer::port() const
{
    return d->boundPort;
}

void PortalServer::run()
{
    d->http.listen_after_bind();
}

void PortalServer::stop()
{
    d->http.stop();
}

bool PortalServer::serveConnection(int socket)
{
    return d->http.serveSocket(socket);
}

} // namespace zvs
