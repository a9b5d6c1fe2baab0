#pragma once
// A zevalo-portal process for one test: its own free port, data folder and
// log, stopped when the object goes.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

struct RawAnswer {
    int status = 0;
    QByteArray head; // status line and header lines
    QByteArray body;
    QByteArray header(const QByteArray& name) const; // first value, case-insensitive name
};

class PortalProcess {
public:
    explicit PortalProcess(const QStringList& extraArgs = {});
    ~PortalProcess();

    bool started() const { return port_ > 0; }
    int port() const { return port_; }
    QByteArray host() const; // "127.0.0.1:port"
    QByteArray base() const; // "http://127.0.0.1:port"
    QString dataDir() const { return data_.path(); }
    QString logFile() const { return data_.path() + QStringLiteral("/requests.log"); }
    bool running() const { return process_.state() == QProcess::Running; }

    // Sends `request` as it stands and reads the answer to the close.
    RawAnswer raw(const QByteArray& request, int timeoutMs = 10000) const;
    // The client's own request: HTTP/1.0 GET, Host line, two Accept lines,
    // then `headers` ("Name: value\r\n" each).
    RawAnswer get(const QByteArray& pathAndQuery, const QByteArray& headers = {}) const;

private:
    QTemporaryDir data_;
    QProcess process_;
    int port_ = 0;
};

RawAnswer parseAnswer(const QByteArray& bytes);

// A portal for the program under test: once it runs, ZEVALO_PORTAL_HOST names
// it, so every window created after talks to it.
std::unique_ptr<PortalProcess> startPortalForClient(const QStringList& extraArgs = {});
