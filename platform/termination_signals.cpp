// The self-pipe that carries termination signals onto the event loop.
#include "platform/termination_signals.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t writeEnd = -1;
volatile std::sig_atomic_t signalPending = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Only async-signal-safe calls here: the event loop does the rest.
void onSignal(int signalNumber)
{
    signalPending = 1;
    const auto byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals()
{
    if (writeEnd != -1)
        throw std::logic_error("TerminationSignals already installed");
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_) != 0)
        throw std::runtime_error("socketpair failed");
    writeEnd = fds_[0];
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (const int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    writeEnd = -1;
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

bool TerminationSignals::pending()
{
    return signalPending != 0;
}

void TerminationSignals::drain()
{
    signalPending = 0;
    char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        emit received(static_cast<unsigned char>(byte));
}
