#pragma once
// A loopback HTTP file server on its own thread, so that a player blocking the
// test's thread (a stop, a teardown) never starves its own stream. Answers
// byte ranges; can stall or hang up after a given number of body bytes.
#include <QString>
#include <QUrl>
#include <atomic>
#include <memory>

class QThread;

class MediaServer {
public:
    explicit MediaServer(const QString& root);
    ~MediaServer();

    bool isListening() const { return port_ != 0; }
    QUrl url(const QString& name) const;

    // After this many body bytes of each answer: stop sending but keep the
    // connection open (stall), or close it (hang up). -1: never.
    void setStallAfter(qint64 bytes) { stallAfter_ = bytes; }
    void setCloseAfter(qint64 bytes) { closeAfter_ = bytes; }
    int requests() const { return requests_; }

    struct Worker;

private:
    QString root_;
    QThread* thread_ = nullptr;
    Worker* worker_ = nullptr;
    quint16 port_ = 0;
    std::atomic<qint64> stallAfter_{-1};
    std::atomic<qint64> closeAfter_{-1};
    std::atomic<int> requests_{0};
};
