#pragma once
// A session manager of the X session protocol (XSMP), as small as a test
// needs: clients connect through the address of SESSION_MANAGER, and
// endSession() asks them to save and shut down, as a desktop does at log-out.
#include <QObject>
#include <QString>
#include <memory>

class SessionManager : public QObject {
    Q_OBJECT
public:
    SessionManager();
    ~SessionManager() override;

    bool listening() const;
    QString address() const; // the value of SESSION_MANAGER
    bool hasClient() const;
    // Sends SaveYourself with shutdown to every client.
    void endSession();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
