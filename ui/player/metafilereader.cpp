#include "ui/player/metafilereader.h"

#include "portal/metafile.h"
#include "ui/player/playererror.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

// A metafile is a few lines; what lies past this is not looked at.
constexpr qint64 kMaxBytes = 256 * 1024;
// For the whole chain of metafiles.
constexpr int kTimeoutMs = 10000;
// Metafiles naming metafiles, at most (one may name itself).
constexpr int kMaxDepth = 4;

// The network's failures in the words the status texts know.
QString networkDetail(QNetworkReply::NetworkError error, const QString& text)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError: return QStringLiteral("could not connect");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError: return QStringLiteral("timed out");
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError: return QStringLiteral("not found");
    case QNetworkReply::ContentAccessDenied:
    case QNetworkReply::AuthenticationRequiredError: return QStringLiteral("forbidden");
    default: return text;
    }
}

} // namespace

MetafileReader::MetafileReader(QStringList suffixes, QObject* parent)
    : QObject(parent)
    , suffixes_(std::move(suffixes))
{
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(kTimeoutMs);
    connect(timer_, &QTimer::timeout, this, [this] { fail(QStringLiteral("timed out")); });
}

MetafileReader::~MetafileReader()
{
    dropReply();
}

QUrl MetafileReader::toUrl(const QString& address)
{
    return QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
}

bool MetafileReader::follows(const QString& address) const
{
    return followsUrl(toUrl(address));
}

bool MetafileReader::followsUrl(const QUrl& url) const
{
    // Only what can be fetched here; the engine makes what it can of the rest.
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")
        && scheme != QLatin1String("file"))
        return false;
    const QString path = url.path().toLower();
    for (const QString& suffix : suffixes_) {
        if (path.endsWith(suffix))
            return true;
    }
    return false;
}

void MetafileReader::read(const QString& address)
{
    cancel();
    busy_ = true;
    depth_ = 0;
    timer_->start();
    readUrl(toUrl(address));
}

void MetafileReader::cancel()
{
    dropReply();
    timer_->stop();
    busy_ = false;
}

void MetafileReader::readUrl(const QUrl& url)
{
    dropReply();
    received_.clear();
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    // Qt reads local files through the same replies, always after this returns.
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        received_ += reply->read(kMaxBytes - received_.size());
        if (received_.size() < kMaxBytes)
            return;
        const QUrl base = reply->url();
        dropReply();
        parse(received_, base);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishNetworkRead(reply); });
}

void MetafileReader::finishNetworkRead(QNetworkReply* reply)
{
    if (reply != reply_)
        return;
    received_ += reply->read(kMaxBytes - received_.size());
    const QNetworkReply::NetworkError error = reply->error();
    const QString text = reply->errorString();
    const QUrl base = reply->url();
    dropReply();
    if (error != QNetworkReply::NoError)
        fail(networkDetail(error, text));
    else
        parse(received_, base);
}

void MetafileReader::parse(const QByteArray& bytes, const QUrl& base)
{
    const QUrl entry = zv::FirstPlayableEntry(bytes, base);
    if (!entry.isEmpty() && followsUrl(entry) && ++depth_ <= kMaxDepth) {
        readUrl(entry);
        return;
    }
    if (entry.isEmpty() || followsUrl(entry)) {
        fail(QStringLiteral("no streams in the playlist"));
        return;
    }
    timer_->stop();
    busy_ = false;
    emit resolved(entry);
}

void MetafileReader::fail(const QString& detail)
{
    cancel();
    emit failed(PlayerErrorText(detail));
}

void MetafileReader::dropReply()
{
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}
