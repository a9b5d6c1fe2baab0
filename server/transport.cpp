#include "server/transport.h"

#include <QFile>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <stdexcept>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zvs {

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

constexpr size_t kMaxRequestLine = 8000; // the parser takes header lines up to 8192
constexpr size_t kMaxHeaderBytes = 32 * 1024;

bool startsWithName(const std::string& line, const char* name)
{
    const size_t n = std::strlen(name);
    return line.size() > n && line[n] == ':' && ::strncasecmp(line.c_str(), name, n) == 0;
}

// Range and If-Range under names of their own (see kRangeHeader).
std::string hiddenFromParser(const std::string& line)
{
    if (startsWithName(line, "Range"))
        return kRangeHeader + line.substr(5);
    if (startsWithName(line, "If-Range"))
        return kIfRangeHeader + line.substr(8);
    return line;
}

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
                pending_ += hiddenFromParser(line) + "\r\n";
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

TolerantServer::~TolerantServer()
{
    SSL_CTX_free(tls_);
}

void TolerantServer::widenBacklog()
{
    ::listen(svr_sock_, SOMAXCONN);
}

void TolerantServer::useTls(const QString& certificateFile, const QString& keyFile)
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

// A TLS client speaks first, with a handshake record (type 22).
bool TolerantServer::opensWithTls(::socket_t sock) const
{
    if (!waitFor(sock, POLLIN, read_timeout_sec_))
        return false;
    unsigned char first = 0;
    return ::recv(sock, &first, 1, MSG_PEEK) == 1 && first == 0x16;
}

// The handshake, bounded by the read and write time-outs; null when it fails.
SSL* TolerantServer::acceptTls(::socket_t sock) const
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

// httplib's parser, fed through RequestStream, with its keep-alive loop.
bool TolerantServer::process_and_close_socket(::socket_t sock)
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

} // namespace zvs
