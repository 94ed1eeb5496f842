// The Qt and the plain-socket echo servers.
#include "echo_servers.h"

#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

QtEchoServer::QtEchoServer()
{
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->write(socket->readAll());
                socket->flush();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server_.listen(QHostAddress::LocalHost, 0);
}

PlainEchoServer::PlainEchoServer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listenFd_, 1) != 0
        || ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

PlainEchoServer::~PlainEchoServer()
{
    // Wakes the blocked accept, which then ends the thread.
    ::shutdown(listenFd_, SHUT_RDWR);
    if (thread_.joinable())
        thread_.join();
    ::close(listenFd_);
}

void PlainEchoServer::serve()
{
    for (;;) {
        const int client = ::accept(listenFd_, nullptr, nullptr);
        if (client < 0)
            return;
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char buffer[4096];
        for (ssize_t received; (received = ::recv(client, buffer, sizeof buffer, 0)) > 0;) {
            if (::send(client, buffer, static_cast<std::size_t>(received), MSG_NOSIGNAL) != received)
                break;
        }
        ::close(client);
    }
}
