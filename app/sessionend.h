#pragma once
// Ends the event loop when the process gets SIGTERM or SIGHUP (log-off, shutdown,
// kill). The signal handler only writes to a socket; the loop does the rest.
#include <QObject>

class QSocketNotifier;

class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    explicit SessionEndWatcher(QObject* parent = nullptr);
    ~SessionEndWatcher() override;

signals:
    void sessionEnding();

private:
    void readSignal();
    QSocketNotifier* notifier_ = nullptr;
};
