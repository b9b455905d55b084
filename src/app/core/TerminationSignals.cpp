#include "app/core/TerminationSignals.h"

#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {
int g_sockets[2] = {-1, -1};
}

TerminationSignals::TerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_sockets) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_sockets[1], &byte, 1) == 1) {
            Q_EMIT terminationRequested();
        }
    });
    struct sigaction action = {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(sig, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::signal(sig, SIG_DFL);
    }
    delete m_notifier;
    for (int& socket : g_sockets) {
        if (socket >= 0) {
            ::close(socket);
            socket = -1;
        }
    }
}

void TerminationSignals::handle(int /*signal*/)
{
    // Only async-signal-safe work here: wake the event loop.
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_sockets[0], &byte, 1);
}
