#include "main/SignalRelay.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

int g_signalFds[2] = {-1, -1};
constexpr int kRelayedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1};

void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Async-signal-safe: one write; a full pipe only loses a repeated signal.
    [[maybe_unused]] const ssize_t written = ::write(g_signalFds[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalRelay::SignalRelay(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
        return;
    }
    ::fcntl(g_signalFds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(g_signalFds[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalRelay::ReadSignals);

    struct sigaction action
    {
    };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kRelayedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

SignalRelay::~SignalRelay()
{
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kRelayedSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    if (g_signalFds[0] >= 0) {
        ::close(g_signalFds[0]);
        ::close(g_signalFds[1]);
        g_signalFds[0] = g_signalFds[1] = -1;
    }
}

void SignalRelay::ReadSignals()
{
    unsigned char byte = 0;
    while (::read(g_signalFds[1], &byte, 1) == 1) {
        emit signalReceived(byte);
    }
}
