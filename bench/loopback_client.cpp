// The blocking loopback client.
#include "loopback_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackClient::LoopbackClient(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fd_ = fd;
}

LoopbackClient::~LoopbackClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool LoopbackClient::send(std::string_view request)
{
    return ::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
}

std::size_t LoopbackClient::drain()
{
    std::size_t total = 0;
    char buffer[4096];
    ssize_t received = 0;
    while ((received = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
        total += static_cast<std::size_t>(received);
    return total;
}

bool LoopbackClient::roundTrip(std::string_view request, std::string_view replyEnd)
{
    if (!send(request))
        return false;
    reply_.clear();
    char buffer[4096];
    while (!reply_.ends_with(replyEnd)) {
        const ssize_t received = ::recv(fd_, buffer, sizeof buffer, 0);
        if (received <= 0)
            return false;
        reply_.append(buffer, static_cast<std::size_t>(received));
    }
    return true;
}
