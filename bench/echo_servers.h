// Two echo servers on the loopback interface that the TCP server's round trips are
// measured against: one on Qt's sockets and event loop, one on plain blocking sockets.
#pragma once

#include <QTcpServer>
#include <thread>

// Echoes every byte on the Qt event loop of the thread that creates it, writing the
// way the resident server writes its replies (queue, then flush).
class QtEchoServer {
public:
    QtEchoServer();
    int port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
};

// Echoes every byte from a thread of its own: blocking accept, recv and send.
class PlainEchoServer {
public:
    PlainEchoServer();
    ~PlainEchoServer();

    PlainEchoServer(const PlainEchoServer&) = delete;
    PlainEchoServer& operator=(const PlainEchoServer&) = delete;

    int port() const { return port_; }

private:
    void serve();

    int listenFd_ = -1;
    int port_ = 0;
    std::thread thread_;
};
