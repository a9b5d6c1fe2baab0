#include "ui/tv/logocache.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QUrl>
#include <cstdio>

namespace {

// A picture larger than this is not decoded (a logo is small).
constexpr QSize MaxSourceSize{4096, 4096};
constexpr qint64 MaxSourceBytes = 2 * 1024 * 1024;

// The picture in bytes or a file, made to fit MaxSize; null when it is none.
QImage readLogo(QIODevice& in)
{
    QImageReader reader(&in);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!reader.canRead()
        || (size.isValid()
            && (size.width() > MaxSourceSize.width() || size.height() > MaxSourceSize.height())))
        return {};
    if (size.isValid()
        && (size.width() > TLogoCache::MaxSize.width() || size.height() > TLogoCache::MaxSize.height()))
        reader.setScaledSize(size.scaled(TLogoCache::MaxSize, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > TLogoCache::MaxSize.width() || image.height() > TLogoCache::MaxSize.height())
        image = image.scaled(TLogoCache::MaxSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

struct TLogoCache::Slot {
    zv::ProviderFetch fetch;
    QString address;
};

TLogoCache::TLogoCache(QObject* parent)
    : QObject(parent)
    , network_(new QNetworkAccessManager(this))
    , memory_(16 * 1024 * 1024)
    , folder_(zv::CacheFolder(QStringLiteral("logos")))
{
    limits_.maxBytes = MaxSourceBytes;
    limits_.stallMs = 10000;
    limits_.totalMs = 20000;
    decoders_.setMaxThreadCount(2);
    for (int i = 0; i < Parallel; ++i) {
        auto slot = std::make_unique<Slot>();
        slot->fetch.setNetworkAccess(network_);
        Slot* s = slot.get();
        connect(&slot->fetch, &zv::ProviderFetch::finished, this,
            [this, s](const QString& error) { fetched(s, error); });
        slots_.push_back(std::move(slot));
    }
}

TLogoCache::~TLogoCache()
{
    decoders_.clear();
    decoders_.waitForDone();
}

QString TLogoCache::keptFile(const QString& address) const
{
    return folder_ + u'/' + zv::CacheName(address);
}

QPixmap TLogoCache::logo(const QString& address)
{
    if (address.isEmpty())
        return {};
    if (const QPixmap* kept = memory_.object(address))
        return *kept;
    if (failed_.contains(address))
        return {};
    if (asked_.contains(address)) {
        // Asked again: its row is on screen now, so it goes first.
        if (const qsizetype at = waiting_.indexOf(address); at >= 0)
            waiting_.move(at, waiting_.size() - 1);
        return {};
    }
    asked_.insert(address);
    const QFileInfo kept(keptFile(address) + QStringLiteral(".png"));
    if (kept.isFile()) {
        decode(address, kept.filePath(), false);
        if (kept.lastModified().daysTo(QDateTime::currentDateTime()) < RefreshAfterDays)
            return {};
    }
    if (zv::IsWebAddress(address)) {
        waiting_ << address;
        while (waiting_.size() > MaxWaiting)
            asked_.remove(waiting_.takeFirst());
        pump();
    } else if (!kept.isFile()) {
        // A picture in the list itself, or on the user's disk.
        decode(address, address, true);
    }
    return {};
}

void TLogoCache::pump()
{
    for (const auto& slot : slots_) {
        if (waiting_.isEmpty())
            return;
        if (slot->fetch.isRunning())
            continue;
        slot->address = waiting_.takeLast();
        slot->fetch.setLimits(limits_);
        slot->fetch.get(slot->address, keptFile(slot->address) + QStringLiteral(".src"));
    }
}

void TLogoCache::fetched(Slot* slot, const QString& error)
{
    const QString address = slot->address;
    slot->address.clear();
    if (error.isEmpty())
        decode(address, keptFile(address) + QStringLiteral(".src"), true);
    else
        settle(address, false);
    pump();
}

// A logo's asking ends: with a picture, or failed unless one is at hand.
void TLogoCache::settle(const QString& address, bool found)
{
    bool fetching = waiting_.contains(address);
    for (const auto& slot : slots_)
        fetching = fetching || slot->address == address;
    if (fetching)
        return; // fetched again behind the kept one: that ends it
    asked_.remove(address);
    if (!found && !memory_.contains(address))
        failed_.insert(address);
}

void TLogoCache::decode(const QString& address, const QString& source, bool keep)
{
    const QString kept = keptFile(address) + QStringLiteral(".png");
    decoders_.start([this, address, source, keep, kept] {
        QImage image;
        if (source.startsWith(u"data:")) {
            // data:image/png;base64,....
            const qsizetype comma = source.indexOf(u',');
            if (comma > 0 && source.size() < MaxSourceBytes * 2) {
                QByteArray bytes = source.mid(comma + 1).toLatin1();
                bytes = source.left(comma).endsWith(u";base64") ? QByteArray::fromBase64(bytes)
                                                                : QByteArray::fromPercentEncoding(bytes);
                QBuffer buffer(&bytes);
                if (buffer.open(QIODevice::ReadOnly))
                    image = readLogo(buffer);
            }
        } else {
            QFile file(source.startsWith(u"file:") ? QUrl(source).toLocalFile() : source);
            if (file.open(QIODevice::ReadOnly) && file.size() <= MaxSourceBytes)
                image = readLogo(file);
            if (source.endsWith(u".src"))
                file.remove();
        }
        const QString part = kept + QStringLiteral(".part");
        if (!image.isNull() && keep && image.save(part, "PNG"))
            ::rename(QFile::encodeName(part).constData(), QFile::encodeName(kept).constData());
        // The cache waits for its decoders before it goes: it is there.
        QMetaObject::invokeMethod(
            this, [this, address, image] { decoded(address, image); }, Qt::QueuedConnection);
    });
}

void TLogoCache::decoded(const QString& address, const QImage& image)
{
    settle(address, !image.isNull());
    if (image.isNull())
        return;
    auto* pixmap = new QPixmap(QPixmap::fromImage(image));
    memory_.insert(address, pixmap, int(std::max<qint64>(1, qint64(image.sizeInBytes()))));
    emit logoReady(address);
}
