#pragma once
// Fetches what a list provider serves (an own list, a programme guide, a
// logo) into a file of the cache folder, in the background: bounded in size
// and time, and written to NAME.part first, renamed only once the whole
// answer is in, so a failed refresh keeps the last good copy. Providers are
// not the portal: their addresses are whole web addresses, their answers
// need no nested wait, so this goes through Qt's network access rather than
// TNMHTTP. No widgets here.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

namespace zv {

// $XDG_CACHE_HOME/zevalo-multimedia/sub, made when missing.
QString CacheFolder(const QString& sub);
// A file name standing for an address (its SHA-1 in hexadecimal).
QString CacheName(const QString& address);
// Whether text is an address ProviderFetch takes (http or https).
bool IsWebAddress(const QString& text);

class ProviderFetch : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 maxBytes = 1024LL * 1024 * 1024;
        int stallMs = 30000; // nothing received for this long
        int totalMs = 20 * 60 * 1000;
    };

    explicit ProviderFetch(QObject* parent = nullptr);
    ~ProviderFetch() override;

    void setLimits(const Limits& limits) { limits_ = limits; }
    const Limits& limits() const { return limits_; }
    // Shares one access manager among several fetches (it is not owned).
    void setNetworkAccess(QNetworkAccessManager* network);

    // Fetches address into fileName (replaced only by a whole answer). A
    // fetch under way is dropped.
    void get(const QString& address, const QString& fileName);
    // Drops the fetch under way: finished is not emitted for it.
    void abort();
    bool isRunning() const { return running_; }

signals:
    // error: empty when fileName holds the whole answer, else what went wrong
    // in French, starting in lower case ("le serveur a répondu 404").
    void finished(const QString& error);
    void progress(qint64 received, qint64 total);

private:
    void received();
    void ended();
    void fail(const QString& error);
    void drop();

    Limits limits_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkAccessManager* own_ = nullptr;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QFile> part_;
    QString fileName_;
    qint64 received_ = 0;
    bool running_ = false;
    QTimer stall_;
    QElapsedTimer started_;
};

} // namespace zv
