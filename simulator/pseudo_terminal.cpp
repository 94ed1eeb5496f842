// Opening a raw pseudo-terminal pair and moving bytes through its master side.
#include "simulator/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

[[noreturn]] void throwSystemError(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void makeRaw(int fd)
{
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        throwSystemError("tcgetattr");
    // No echo and no line editing: echoed bytes would come back to us as commands.
    cfmakeraw(&settings);
    cfsetispeed(&settings, B19200);
    cfsetospeed(&settings, B19200);
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        throwSystemError("tcsetattr");
}

} // namespace

PseudoTerminal::PseudoTerminal()
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        throwSystemError("posix_openpt");
    try {
        if (grantpt(master_) != 0 || unlockpt(master_) != 0)
            throwSystemError("grantpt/unlockpt");
        const char* name = ptsname(master_);
        if (!name)
            throwSystemError("ptsname");
        slavePath_ = name;
        slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave_ < 0)
            throwSystemError("open slave");
        makeRaw(slave_);
        const int flags = fcntl(master_, F_GETFL);
        if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0
            || fcntl(master_, F_SETFD, FD_CLOEXEC) != 0)
            throwSystemError("fcntl");
    } catch (...) {
        if (slave_ >= 0)
            ::close(slave_);
        ::close(master_);
        throw;
    }
}

PseudoTerminal::~PseudoTerminal()
{
    ::close(slave_);
    ::close(master_);
}

std::string PseudoTerminal::readAvailable()
{
    std::string received;
    char buffer[256];
    while (true) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        return received;
    }
}

std::size_t PseudoTerminal::write(std::string_view bytes)
{
    if (bytes.empty() || unreadBySlave() + bytes.size() > kSlaveInputLimit)
        return 0;
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(master_, bytes.data() + sent, bytes.size() - sent);
        if (count > 0)
            sent += static_cast<std::size_t>(count);
        else if (count < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return sent;
}

std::size_t PseudoTerminal::unreadBySlave() const
{
    int waiting = 0;
    if (ioctl(slave_, FIONREAD, &waiting) != 0 || waiting < 0)
        return 0;
    return static_cast<std::size_t>(waiting);
}
