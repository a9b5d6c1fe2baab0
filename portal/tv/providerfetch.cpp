#include "portal/tv/providerfetch.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QUrl>
#include <cstdio>

namespace zv {

QString CacheFolder(const QString& sub)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/zevalo-multimedia/") + sub;
    QDir().mkpath(folder);
    return folder;
}

QString CacheName(const QString& address)
{
    return QString::fromLatin1(QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool IsWebAddress(const QString& text)
{
    const QUrl url(text.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

namespace {

QString networkError(QNetworkReply* reply)
{
    switch (reply->error()) {
    case QNetworkReply::HostNotFoundError: return QStringLiteral("serveur introuvable");
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("connexion refusée");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("connexion fermée par le serveur");
    case QNetworkReply::TimeoutError: return QStringLiteral("le serveur ne répond pas");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("la connexion sécurisée a échoué (certificat refusé)");
    case QNetworkReply::TooManyRedirectsError: return QStringLiteral("trop de redirections");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("redirection vers une adresse non sécurisée");
    case QNetworkReply::ProtocolUnknownError: return QStringLiteral("adresse non prise en charge");
    default: break;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return QStringLiteral("le serveur a répondu %1").arg(status);
    return QStringLiteral("erreur réseau (%1)").arg(reply->errorString());
}

QString megabytes(qint64 bytes)
{
    return QLocale(QLocale::French).toString(double(bytes) / (1024 * 1024), 'f', 0) + QStringLiteral(" Mo");
}

} // namespace

ProviderFetch::ProviderFetch(QObject* parent)
    : QObject(parent)
{
    stall_.setSingleShot(true);
    stall_.setTimerType(Qt::PreciseTimer); // a coarse timer may fire before the whole time is out
    connect(&stall_, &QTimer::timeout, this, [this] {
        if (started_.isValid() && started_.elapsed() >= limits_.totalMs)
            fail(QStringLiteral("le délai de %1 s est dépassé").arg(limits_.totalMs / 1000));
        else
            fail(QStringLiteral("le serveur ne répond plus"));
    });
}

ProviderFetch::~ProviderFetch()
{
    drop();
}

void ProviderFetch::setNetworkAccess(QNetworkAccessManager* network)
{
    network_ = network;
}

void ProviderFetch::get(const QString& address, const QString& fileName)
{
    drop();
    if (!network_) {
        own_ = new QNetworkAccessManager(this);
        network_ = own_;
    }
    fileName_ = fileName;
    received_ = 0;
    QNetworkRequest request{QUrl(address.trimmed())};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Zevalo Multimedia"));
    part_ = std::make_unique<QFile>(fileName + QStringLiteral(".part"));
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    if (!part_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString error = QStringLiteral("impossible d'écrire %1").arg(part_->fileName());
        part_.reset();
        QMetaObject::invokeMethod(
            this, [this, error] { emit finished(error); }, Qt::QueuedConnection);
        return;
    }
    reply_ = network_->get(request);
    // Never more than this in memory: the rest waits in the socket.
    reply_->setReadBufferSize(1024 * 1024);
    connect(reply_, &QNetworkReply::readyRead, this, &ProviderFetch::received);
    connect(reply_, &QNetworkReply::finished, this, &ProviderFetch::ended);
    running_ = true;
    started_.start();
    stall_.start(std::min(limits_.stallMs, limits_.totalMs));
}

void ProviderFetch::abort()
{
    drop();
}

void ProviderFetch::received()
{
    if (!reply_ || !part_)
        return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300)
        return; // an error page or a redirect: not written, ended() tells
    const qint64 announced = reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    if (announced > limits_.maxBytes)
        return fail(QStringLiteral("la réponse dépasse %1").arg(megabytes(limits_.maxBytes)));
    const QByteArray bytes = reply_->readAll();
    received_ += bytes.size();
    if (received_ > limits_.maxBytes)
        return fail(QStringLiteral("la réponse dépasse %1").arg(megabytes(limits_.maxBytes)));
    if (part_->write(bytes) != bytes.size())
        return fail(QStringLiteral("impossible d'écrire %1").arg(part_->fileName()));
    emit progress(received_, announced > 0 ? announced : -1);
    const qint64 left = limits_.totalMs - started_.elapsed();
    stall_.start(int(std::max<qint64>(0, std::min<qint64>(limits_.stallMs, left))));
}

void ProviderFetch::ended()
{
    if (!reply_)
        return;
    received();
    if (!reply_)
        return; // failed while reading the end
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply_->error() != QNetworkReply::NoError || status >= 300)
        return fail(networkError(reply_));
    // The whole answer is in: it takes the file's name in one rename.
    if (!part_->flush())
        return fail(QStringLiteral("impossible d'écrire %1").arg(part_->fileName()));
    part_->close();
    if (::rename(QFile::encodeName(part_->fileName()).constData(), QFile::encodeName(fileName_).constData())
        != 0)
        return fail(QStringLiteral("impossible d'écrire %1").arg(fileName_));
    part_.reset();
    drop();
    emit finished(QString());
}

void ProviderFetch::fail(const QString& error)
{
    drop();
    emit finished(error);
}

void ProviderFetch::drop()
{
    running_ = false;
    stall_.stop();
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (part_) {
        part_->remove();
        part_.reset();
    }
}

} // namespace zv
