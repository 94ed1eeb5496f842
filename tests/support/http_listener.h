// An HTTP listener of a test's own on 127.0.0.1 at a free port: it accepts every
// connection and collects what each one sends.
//
// Header-only; a test that includes it links Qt6::Network and Qt6::Test.
#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <string>
#include <vector>

class HttpListener {
public:
    HttpListener()
    {
        listening_ = server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connections_.push_back(socket);
                requests_.emplace_back();
                const std::size_t index = requests_.size() - 1;
                QObject::connect(socket, &QTcpSocket::readyRead,
                                 [this, socket, index] { requests_[index] += socket->readAll(); });
            }
        });
    }

    bool listening() const { return listening_; }
    // The "WebHost" setting that reaches this listener.
    std::string webHost() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }
    // What each connection sent, in the order of the connections.
    const std::vector<QByteArray>& requests() const { return requests_; }
    QTcpSocket& connection(std::size_t index) { return *connections_.at(index); }

    // Waits until the count-th connection has sent a whole request head.
    bool waitForRequests(std::size_t count, int timeoutMs = 5000)
    {
        return QTest::qWaitFor(
            [&] { return requests_.size() >= count && requests_[count - 1].endsWith("\r\n\r\n"); }, timeoutMs);
    }

private:
    QTcpServer server_;
    bool listening_ = false;
    std::vector<QTcpSocket*> connections_;
    std::vector<QByteArray> requests_;
};
