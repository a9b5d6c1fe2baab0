#pragma once
// The program as an MPRIS media player on the session bus
// (org.mpris.MediaPlayer2.zevalo), so that media keys and the desktop's player
// applets drive the main window. Property changes are looked for twice a
// second and after each call, and signalled.
#include "app/mediacontrols.h"

#include <QObject>
#include <QVariantMap>

class QTimer;

class MprisService : public QObject {
    Q_OBJECT
public:
    MprisService(MediaControls& controls, QObject* parent = nullptr);
    ~MprisService() override;

    // False when there is no session bus or no name could be had: the program
    // then runs without desktop controls.
    bool registerOnSessionBus();
    const QString& serviceName() const { return service_; }

    // Sends PropertiesChanged for what differs from the last look.
    void refresh();

    MediaControls& controls() const { return controls_; }
    // The player interface's properties that are signalled, as D-Bus values.
    QVariantMap playerProperties() const;
    QVariantMap metadata() const;

private:
    MediaControls& controls_;
    QTimer* timer_;
    QString service_;
    QVariantMap last_;
    bool registered_ = false;
};
