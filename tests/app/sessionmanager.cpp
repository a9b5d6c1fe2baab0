#include "sessionmanager.h"

#include <QList>
#include <QSocketNotifier>
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

struct SessionManager::Private {
    IceListenObj* listeners = nullptr;
    int listenerCount = 0;
    QString address;
    QList<SmsConn> clients;
};

namespace {

Bool anyHost(char*)
{
    return True;
}

Status registerClient(SmsConn conn, SmPointer, char*)
{
    char* id = SmsGenerateClientID(conn);
    const Status ok = SmsRegisterClientReply(conn, id);
    free(id);
    return ok;
}

void interactRequest(SmsConn conn, SmPointer, int)
{
    SmsInteract(conn);
}

void interactDone(SmsConn, SmPointer, Bool) { }

void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) { }

void phase2(SmsConn conn, SmPointer)
{
    SmsSaveYourselfPhase2(conn);
}

void saveYourselfDone(SmsConn, SmPointer, Bool) { }

void closeConnection(SmsConn conn, SmPointer data, int count, char** reasons)
{
    static_cast<SessionManager::Private*>(data)->clients.removeAll(conn);
    SmFreeReasons(count, reasons);
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
}

void setProperties(SmsConn, SmPointer, int count, SmProp** props)
{
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    free(props);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names)
{
    for (int i = 0; i < count; ++i)
        free(names[i]);
    free(names);
}

void getProperties(SmsConn conn, SmPointer)
{
    SmsReturnProperties(conn, 0, nullptr);
}

Status newClient(SmsConn conn, SmPointer data, unsigned long* mask, SmsCallbacks* cb, char**)
{
    auto* d = static_cast<SessionManager::Private*>(data);
    d->clients << conn;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask
        | SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask
        | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask
        | SmsGetPropertiesProcMask;
    cb->register_client = {registerClient, data};
    cb->interact_request = {interactRequest, data};
    cb->interact_done = {interactDone, data};
    cb->save_yourself_request = {saveYourselfRequest, data};
    cb->save_yourself_phase2_request = {phase2, data};
    cb->save_yourself_done = {saveYourselfDone, data};
    cb->close_connection = {closeConnection, data};
    cb->set_properties = {setProperties, data};
    cb->delete_properties = {deleteProperties, data};
    cb->get_properties = {getProperties, data};
    return 1;
}

// Messages of one connection, as they come; it goes at its end.
void watch(SessionManager* owner, IceConn ice)
{
    auto* notifier = new QSocketNotifier(IceConnectionNumber(ice), QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [ice, notifier] {
        if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError) {
            notifier->setEnabled(false);
            notifier->deleteLater();
            IceSetShutdownNegotiation(ice, False);
            IceCloseConnection(ice);
        }
    });
}

} // namespace

SessionManager::SessionManager()
    : d(std::make_unique<Private>())
{
    char error[256] = {};
    if (!SmsInitialize("zevalo-tests", "1.0", newClient, d.get(), anyHost, sizeof error, error)
        || !IceListenForConnections(&d->listenerCount, &d->listeners, sizeof error, error))
        return;
    char* ids = IceComposeNetworkIdList(d->listenerCount, d->listeners);
    d->address = QString::fromLocal8Bit(ids);
    free(ids);
    for (int i = 0; i < d->listenerCount; ++i) {
        IceListenObj listener = d->listeners[i];
        IceSetHostBasedAuthProc(listener, anyHost);
        auto* notifier
            = new QSocketNotifier(IceGetListenConnectionNumber(listener), QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, listener] {
            IceAcceptStatus status;
            IceConn ice = IceAcceptConnection(listener, &status);
            if (!ice)
                return;
            // The handshake first, then the messages as they come.
            while (IceConnectionStatus(ice) == IceConnectPending)
                if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError)
                    break;
            if (IceConnectionStatus(ice) == IceConnectAccepted)
                watch(this, ice);
            else
                IceCloseConnection(ice);
        });
    }
}

SessionManager::~SessionManager()
{
    if (d->listeners)
        IceFreeListenObjs(d->listenerCount, d->listeners);
}

bool SessionManager::listening() const
{
    return !d->address.isEmpty();
}

QString SessionManager::address() const
{
    return d->address;
}

bool SessionManager::hasClient() const
{
    return !d->clients.isEmpty();
}

void SessionManager::endSession()
{
    for (SmsConn conn : d->clients) {
        SmsSaveYourself(conn, SmSaveBoth, True, SmInteractStyleAny, False);
        IceFlush(SmsGetIceConnection(conn));
    }
}
