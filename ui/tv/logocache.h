#pragma once
// Channel logos as list providers give them: fetched only when a row on
// screen asks, in the background, a few at a time and the latest asked first;
// decoded off the window's thread, made small and kept in the cache folder
// ($XDG_CACHE_HOME/zevalo-multimedia/logos) and in memory within a bound. A
// logo that fails (refused, too large, too slow, not a picture) is not asked
// again while the program runs.
#include "portal/tv/providerfetch.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QStringList>
#include <QThreadPool>
#include <memory>
#include <vector>

class QNetworkAccessManager;

class TLogoCache : public QObject {
    Q_OBJECT
public:
    explicit TLogoCache(QObject* parent = nullptr);
    ~TLogoCache() override;

    // The logo when it is at hand; otherwise a null pixmap, and the logo is
    // asked for (once): logoReady tells when it is there.
    QPixmap logo(const QString& address);
    bool failed(const QString& address) const { return failed_.contains(address); }

    // Bounds of one logo's answer.
    void setLimits(const zv::ProviderFetch::Limits& limits) { limits_ = limits; }
    // Logos are kept at most this large (device pixels).
    static constexpr QSize MaxSize{96, 64};
    // Requests waiting beyond this many: the oldest are forgotten (their rows
    // have long left the screen; they ask again if they come back).
    static constexpr int MaxWaiting = 256;
    static constexpr int Parallel = 4;
    // A kept logo is fetched again after this many days.
    static constexpr int RefreshAfterDays = 30;

signals:
    void logoReady(const QString& address);

private:
    struct Slot;
    void pump();
    void fetched(Slot* slot, const QString& error);
    void decode(const QString& address, const QString& source, bool keep);
    void decoded(const QString& address, const QImage& image);
    void settle(const QString& address, bool found);
    QString keptFile(const QString& address) const;

    zv::ProviderFetch::Limits limits_;
    QNetworkAccessManager* network_;
    std::vector<std::unique_ptr<Slot>> slots_;
    QStringList waiting_; // latest last
    QSet<QString> asked_; // waiting, fetching or decoding
    QSet<QString> failed_;
    QCache<QString, QPixmap> memory_;
    QString folder_;
    QThreadPool decoders_;
};
