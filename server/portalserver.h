#pragma once
// zevalo-portal: answers every request of the client from the catalogue and
// the content folder, over HTTP/1.0 (read to the close) and HTTP/1.1, and over
// TLS on the same port when given a certificate.
#include <QString>
#include <memory>

namespace zvs {

struct ServerOptions {
    QString host = QStringLiteral("127.0.0.1");
    int port = 8631; // 0: any free port
    QString contentDir; // pages, catalogue.json
    QString mediaDir; // generated media, served under /media/
    QString dataDir; // contact messages, view counts
    QString logFile; // empty: standard error
    QString announceVersion = QStringLiteral("3.1.0.0");
    bool sponsor = false;
    // Both set: the port also speaks TLS (PEM certificate chain, PEM key), and
    // the podcast catalogue gives its feeds as https: addresses.
    QString tlsCertificate;
    QString tlsKey;
};

// "host:port", "host" or ":port" into the options; false when malformed.
bool parseListen(const QString& text, QString* host, int* port);

class PortalServer {
public:
    explicit PortalServer(ServerOptions options); // throws std::runtime_error
    ~PortalServer();

    bool bind(QString* error); // listen socket; port() is known afterwards
    int port() const;
    void run(); // serves until stop()
    void stop(); // from any thread
    // Serves one connection already open (a socket pair, for fuzzing) on the
    // calling thread, then closes it; only while run() serves.
    bool serveConnection(int socket);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zvs
