#include "support/testtls.h"

#include <QFile>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QSslSocket>
#include <cstring>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

namespace zv::test {

namespace {

struct KeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
    void operator()(X509* c) const { X509_free(c); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

void check(bool ok, const char* what)
{
    if (!ok)
        qFatal("TestAuthority: %s failed", what);
}

Key newKey()
{
    Key key(EVP_EC_gen("P-256")); // quick to make, unlike RSA
    check(key != nullptr, "key generation");
    return key;
}

void addExtension(X509* cert, X509* issuer, int nid, const QByteArray& value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.constData());
    check(ext != nullptr, "certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// issuer null: self-signed.
Cert makeCertificate(
    EVP_PKEY* key, const QByteArray& commonName, X509* issuer, EVP_PKEY* issuerKey, int fromDays, int toDays)
{
    Cert cert(X509_new());
    X509* c = cert.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), long(QRandomGenerator::global()->bounded(1, 1 << 30)));
    X509_gmtime_adj(X509_getm_notBefore(c), long(fromDays) * 86400);
    X509_gmtime_adj(X509_getm_notAfter(c), long(toDays) * 86400);
    X509_set_pubkey(c, key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(
        name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Zevalo tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(
        name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName.constData()), -1, -1, 0);
    X509_set_issuer_name(c, issuer ? X509_get_subject_name(issuer) : name);
    return cert;
}

void sign(X509* cert, EVP_PKEY* key)
{
    check(X509_sign(cert, key, EVP_sha256()) > 0, "signature");
}

QByteArray pemOf(X509* cert)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

QByteArray pemOf(EVP_PKEY* key)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray pem(data, size);
    BIO_free(bio);
    return pem;
}

} // namespace

struct TestAuthority::Keys {
    Key key;
    Cert cert;
};

TestAuthority::TestAuthority(const QString& name)
    : keys_(std::make_unique<Keys>())
{
    keys_->key = newKey();
    keys_->cert = makeCertificate(keys_->key.get(), name.toUtf8(), nullptr, nullptr, -1, 3650);
    addExtension(keys_->cert.get(), keys_->cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(keys_->cert.get(), keys_->cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(keys_->cert.get(), keys_->cert.get(), NID_subject_key_identifier, "hash");
    sign(keys_->cert.get(), keys_->key.get());
}

TestAuthority::~TestAuthority() = default;

QSslCertificate TestAuthority::certificate() const
{
    return QSslCertificate(pemOf(keys_->cert.get()));
}

TlsIdentity TestAuthority::issue(const QStringList& names, int fromDays, int toDays) const
{
    Key key = newKey();
    Cert cert = makeCertificate(
        key.get(), names.value(0).toUtf8(), keys_->cert.get(), keys_->key.get(), fromDays, toDays);
    QStringList alt;
    for (const QString& n : names)
        alt << (QHostAddress(n).isNull() ? QStringLiteral("DNS:") : QStringLiteral("IP:")) + n;
    addExtension(cert.get(), keys_->cert.get(), NID_subject_alt_name, alt.join(QLatin1Char(',')).toUtf8());
    addExtension(cert.get(), keys_->cert.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), keys_->cert.get(), NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), keys_->cert.get(), NID_authority_key_identifier, "keyid");
    sign(cert.get(), keys_->key.get());
    return {pemOf(cert.get()) + pemOf(keys_->cert.get()), pemOf(key.get())};
}

namespace {

void trust(const QList<QSslCertificate>& authorities)
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.addCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(conf);
}

} // namespace

void TestAuthority::trustInThisProcess() const
{
    trust({certificate()});
}

bool trustAuthorityFile(const QString& pemFile)
{
    QFile file(pemFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    trust(QSslCertificate::fromData(file.readAll()));
    return true;
}

QSslConfiguration TlsIdentity::serverConfiguration() const
{
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setLocalCertificateChain(QSslCertificate::fromData(certificatePem));
    conf.setPrivateKey(QSslKey(keyPem, QSsl::Ec));
    conf.setPeerVerifyMode(QSslSocket::VerifyNone); // clients show no certificate
    return conf;
}

bool TlsIdentity::writeTo(const QString& certificateFile, const QString& keyFile) const
{
    QFile cert(certificateFile);
    QFile key(keyFile);
    return cert.open(QIODevice::WriteOnly) && cert.write(certificatePem) == certificatePem.size()
        && key.open(QIODevice::WriteOnly) && key.write(keyPem) == keyPem.size();
}

} // namespace zv::test
