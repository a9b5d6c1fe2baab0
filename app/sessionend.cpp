#include "app/sessionend.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalSockets[0], &byte, 1);
}

} // namespace

SessionEndWatcher::SessionEndWatcher(QObject* parent)
    : QObject(parent)
{
    if (signalSockets[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return;
    notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SessionEndWatcher::readSignal);

    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

SessionEndWatcher::~SessionEndWatcher()
{
    if (!notifier_)
        return;
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

void SessionEndWatcher::readSignal()
{
    char byte;
    [[maybe_unused]] const ssize_t n = ::read(signalSockets[1], &byte, 1);
    emit sessionEnding();
}
