#pragma once
// Certificates made for one test run: an authority of the test's own and the
// server certificates it signs, trusted only by the process that asks.
//
//   zv::test::TestAuthority ca;
//   ca.trustInThisProcess();                           // the default TLS configuration knows it
//   auto flux = ca.issue({"flux.test", "127.0.0.1"});  // valid from yesterday for a year
//   auto old = ca.issue({"flux.test"}, -30, -1);       // expired yesterday
//   ScriptedServer srv(flux.serverConfiguration());   // speaks TLS with it
//   flux.writeTo(certFile, keyFile);                   // PEM files for another program
//   trustAuthorityFile("ca.pem");                      // an authority another program made

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QStringList>
#include <memory>

namespace zv::test {

struct TlsIdentity {
    QByteArray certificatePem; // the server's certificate, then the authority's
    QByteArray keyPem;

    QSslConfiguration serverConfiguration() const;
    bool writeTo(const QString& certificateFile, const QString& keyFile) const;
};

class TestAuthority {
public:
    explicit TestAuthority(const QString& name = QStringLiteral("Autorité de test Zevalo"));
    ~TestAuthority();
    TestAuthority(const TestAuthority&) = delete;
    TestAuthority& operator=(const TestAuthority&) = delete;

    QSslCertificate certificate() const;
    // A server certificate for these host names or IP addresses, valid from
    // fromDays to toDays counted from now.
    TlsIdentity issue(const QStringList& names, int fromDays = -1, int toDays = 365) const;
    // Adds the authority to the default TLS configuration of this process.
    void trustInThisProcess() const;

private:
    struct Keys;
    std::unique_ptr<Keys> keys_;
};

// Adds the authorities of a PEM file to the default TLS configuration of this
// process (a bench or screenshot program given a portal over TLS); false when
// the file cannot be read.
bool trustAuthorityFile(const QString& pemFile);

} // namespace zv::test
