// The TCP server socket on Qt's QTcpServer and QTcpSocket.
#pragma once

#include "platform/server_socket.h"

#include <QAbstractSocket>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

class QtServerSocket : public ServerSocket {
public:
    QtServerSocket();
    ~QtServerSocket() override;

    QtServerSocket(const QtServerSocket&) = delete;
    QtServerSocket& operator=(const QtServerSocket&) = delete;

    int state() const override;
    void close() override;
    void listen(int port, ListenOn where) override;
    void accept(int requestId) override;
    std::string peekData() override;
    std::string getData() override;
    bool sendData(std::string_view text) override;
    std::size_t unsentBytes() const override;
    std::string errorText() const override;
    void setConnectionRequestHandler(std::function<void(int requestId)> handler) override;
    void setDataArrivalHandler(std::function<void()> handler) override;

private:
    void takeConnectionRequests();
    void watchClient();
    void onDataArrived(QTcpSocket* socket);
    void onClientError(QAbstractSocket::SocketError error);
    void fail(const QString& reason);
    void drop(QTcpSocket* socket);

    QTcpServer server_;
    // Receives the clients' signals, so that a dropped client is cut off in one call.
    QObject clientSignals_;
    QTcpSocket* client_ = nullptr;
    // The connection request whose handler is running.
    QTcpSocket* request_ = nullptr;
    int requestId_ = 0;
    bool peerClosed_ = false;
    bool failed_ = false;
    std::string errorText_;
    std::function<void(int)> connectionRequestHandler_;
    std::function<void()> dataArrivalHandler_;
};
