#pragma once
// The portal's HTTP transport: httplib's parser and keep-alive loop, fed
// through a stream that takes requests as old clients write them (raw spaces
// and a second '?' in the target, bare LF line ends, HTTP/0.9 lines), and
// TLS on the same port when given a certificate.
#include <QString>
#include <functional>
#include <httplib.h>
#include <openssl/types.h>
#include <string>

namespace zvs {

// The request line as the client wrote it may hold raw spaces in the target
// (game names are sent unencoded), a second '?' (picture addresses are sent
// unencoded too) or end with a bare LF: rewrite it into a line that the HTTP
// parser accepts. Control bytes, spaces and any '?' after the first become %XX;
// other bytes stay as they are. The target as it came, with only spaces and
// control bytes encoded, is kept in `original`.
std::string repairRequestLine(std::string line, std::string* original);

// Header of each request that holds its target as the client wrote it.
inline constexpr const char* kOriginalTarget = "X-Zevalo-Target";
// Range and If-Range reach the handlers under these names: the library would
// otherwise cut every answer, text ones included, by its own rules.
inline constexpr const char* kRangeHeader = "X-Zevalo-Range";
inline constexpr const char* kIfRangeHeader = "X-Zevalo-If-Range";

class TolerantServer : public httplib::Server {
public:
    ~TolerantServer() override;

    // The library listens with a backlog of 5: a burst of clients would wait
    // for SYN retries (a second each). Listening again widens it.
    void widenBacklog();

    // From then on a connection that opens with a TLS handshake is served over
    // TLS with this certificate chain and key; any other stays plain HTTP.
    // Throws std::runtime_error when the files cannot be used.
    void useTls(const QString& certificateFile, const QString& keyFile);

    // One connection that is already open, served as an accepted one would be.
    bool serveSocket(::socket_t sock) { return process_and_close_socket(sock); }

    // Requests the parser never sees (too long, failed handshake): one log line.
    std::function<void(const std::string& line)> rawLog;

private:
    bool opensWithTls(::socket_t sock) const;
    SSL* acceptTls(::socket_t sock) const;
    bool process_and_close_socket(::socket_t sock) override;

    SSL_CTX* tls_ = nullptr;
};

} // namespace zvs
