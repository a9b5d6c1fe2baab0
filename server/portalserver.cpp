#include "server/portalserver.h"

#include "server/reply.h"
#include "server/routes.h"
#include "server/transport.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <sys/socket.h>

namespace zvs {

namespace {

constexpr size_t kMaxPostBody = 64 * 1024;

} // namespace

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
    explicit Impl(const ServerOptions& options)
        : opt(options)
        , routes(options)
    {
    }

    ServerOptions opt;
    Routes routes;
    TolerantServer http;
    int boundPort = 0;

    std::mutex logMutex;
    FILE* log = stderr;

    void writeLog(const std::string& line)
    {
        const QByteArray stamp = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
        std::lock_guard lock(logMutex);
        std::fprintf(log, "%s %s\n", stamp.constData(), line.c_str());
        std::fflush(log);
    }

    // Time, client, method, target as the client wrote it, status, body bytes.
    void logRequest(const httplib::Request& req, const httplib::Response& res)
    {
        std::string target
            = req.has_header(kOriginalTarget) ? req.get_header_value(kOriginalTarget) : req.target;
        for (char& c : target) {
            if (static_cast<unsigned char>(c) < 0x20)
                c = '?';
        }
        // Files are read as they are sent: their length is in the header.
        const std::string bytes = res.body.empty() && res.has_header("Content-Length")
            ? res.get_header_value("Content-Length")
            : std::to_string(res.body.size());
        writeLog(req.remote_addr + ' ' + req.method + ' ' + target + ' ' + std::to_string(res.status) + ' '
            + bytes);
    }
};

PortalServer::PortalServer(ServerOptions options)
    : d(std::make_unique<Impl>(options))
{
    if (!d->opt.logFile.isEmpty()) {
        d->log = std::fopen(QFile::encodeName(d->opt.logFile).constData(), "a");
        if (!d->log)
            throw std::runtime_error("cannot open log file " + d->opt.logFile.toStdString());
    }

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
            impl->routes.handle(req, res);
        } catch (const std::exception& e) {
            res = httplib::Response();
            send(res, 500, QByteArray("Erreur interne"), kText);
            impl->writeLog(std::string("error: ") + e.what());
        }
    };
    http.Get(R"([\s\S]*)", handler);
    http.Post(R"([\s\S]*)", handler);
    http.set_logger(
        [impl](const httplib::Request& req, const httplib::Response& res) { impl->logRequest(req, res); });
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
    d->routes.setPort(d->boundPort);
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
