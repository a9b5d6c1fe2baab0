#pragma once
// One running copy per mode and user. The first start holds a lock file and
// listens on a local socket beside it; a later start of the same mode hands its
// arguments over there and ends, and the first copy brings its window forward.
// A lock left by a killed copy is taken over.
#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First, // this process runs the mode
        HandedOver, // the running copy took this start: end now
        Alone, // no lock can be made here: run unguarded
        NoAnswer, // a live copy holds the lock but never answered
    };

    // mode names the files ("portal", "agent"). folder: where they go; empty:
    // $XDG_RUNTIME_DIR, or the temporary folder when that is unset.
    explicit SingleInstance(const QString& mode, const QString& folder = {}, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or hands the arguments to the copy that holds it, trying
    // for at most waitMs while that copy is still starting.
    Role claim(const QStringList& arguments, int waitMs = 10000);

    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString socketPath() const { return base_ + QStringLiteral(".sock"); }

signals:
    // A later start of the same mode, with its arguments (program name left out).
    void activated(const QStringList& arguments);

private:
    bool handOver(const QStringList& arguments, int waitMs);
    void listen();
    void serve(QLocalSocket* socket);

    QString base_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
