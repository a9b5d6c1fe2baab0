#pragma once
// Follows a playlist metafile for an engine that cannot read it itself: reads
// the small file (local, or over HTTP, bounded in size and time) and tells its
// first playable entry. Metafiles naming metafiles are followed a few levels.
#include <QObject>
#include <QStringList>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;

class MetafileReader : public QObject {
    Q_OBJECT
public:
    // `suffixes`: the metafile names this engine follows (".asx", ".ram"...).
    MetafileReader(QStringList suffixes, QObject* parent);
    ~MetafileReader() override;

    // True when the address names one of those metafiles.
    bool follows(const QString& address) const;
    // Starts reading; a read in progress is dropped. resolved() or failed()
    // follows once, never from within this call.
    void read(const QString& address);
    void cancel();
    bool busy() const { return busy_; }

    // What an engine is given for a file or an address.
    static QUrl toUrl(const QString& address);

signals:
    void resolved(const QUrl& entry);
    void failed(const QString& text); // French status text

private:
    bool followsUrl(const QUrl& url) const;
    void readUrl(const QUrl& url);
    void parse(const QByteArray& bytes, const QUrl& base);
    void finishNetworkRead(QNetworkReply* reply);
    void fail(const QString& detail);
    void dropReply();

    QStringList suffixes_;
    QNetworkAccessManager* network_ = nullptr;
    QNetworkReply* reply_ = nullptr;
    QByteArray received_;
    QTimer* timer_ = nullptr;
    int depth_ = 0;
    bool busy_ = false;
};
