// One listening port or one connected client on QTcpServer and QTcpSocket.
#include "platform/qt_server_socket.h"

#include <QTcpSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

constexpr int kHighestPort = 65535;

// The client's end has reached this computer, though Qt may not have read it yet: a
// peek finds nothing more to come (the socket does not block).
bool endHasArrived(const QTcpSocket& socket)
{
    char byte = 0;
#ifdef Q_OS_WIN
    const auto descriptor = static_cast<SOCKET>(socket.socketDescriptor());
#else
    const auto descriptor = static_cast<int>(socket.socketDescriptor());
#endif
    return ::recv(descriptor, &byte, 1, MSG_PEEK) == 0;
}

} // namespace

QtServerSocket::QtServerSocket()
{
    QObject::connect(&server_, &QTcpServer::newConnection, &clientSignals_, [this] { takeConnectionRequests(); });
}

QtServerSocket::~QtServerSocket()
{
    close();
}

int QtServerSocket::state() const
{
    if (failed_)
        return socket_state::Error;
    if (client_)
        return peerClosed_ ? socket_state::PeerClosed : socket_state::Connected;
    return server_.isListening() ? socket_state::Listening : socket_state::Closed;
}

void QtServerSocket::close()
{
    server_.close();
    if (client_)
        drop(client_);
    client_ = nullptr;
    peerClosed_ = false;
    failed_ = false;
}

void QtServerSocket::listen(int port, ListenOn where)
{
    close();
    if (port < 1 || port > kHighestPort) {
        fail(QStringLiteral("%1 is not a port number").arg(port));
        return;
    }
    const QHostAddress address = where == ListenOn::ThisComputer ? QHostAddress(QHostAddress::LocalHost)
                                                                 : QHostAddress(QHostAddress::Any);
    if (!server_.listen(address, static_cast<quint16>(port)))
        fail(server_.errorString());
}

void QtServerSocket::fail(const QString& reason)
{
    failed_ = true;
    errorText_ = reason.toStdString();
}

void QtServerSocket::takeConnectionRequests()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        // A client that left just before the newcomer came is not taken for one in use.
        if (client_ && !peerClosed_ && endHasArrived(*client_))
            peerClosed_ = true;
        // The port stays open while a client is served, so the handler hears of every
        // newcomer and decides; one it does not accept is dropped.
        if (connectionRequestHandler_) {
            request_ = socket;
            connectionRequestHandler_(++requestId_);
        }
        request_ = nullptr;
        if (socket != client_)
            drop(socket);
    }
}

void QtServerSocket::accept(int requestId)
{
    if (!request_ || requestId != requestId_)
        return;
    if (client_)
        drop(client_);
    peerClosed_ = false;
    failed_ = false;
    client_ = request_;
    request_ = nullptr;
    watchClient();
}

void QtServerSocket::watchClient()
{
    // Replies are short lines that the client waits for.
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    QTcpSocket* socket = client_;
    // channelReadyRead, unlike readyRead, is emitted again for bytes that arrive while
    // the handler of earlier ones yields.
    QObject::connect(socket, &QTcpSocket::channelReadyRead, &clientSignals_,
                     [this, socket](int) { onDataArrived(socket); });
    QObject::connect(socket, &QTcpSocket::disconnected, &clientSignals_, [this, socket] {
        if (socket == client_)
            peerClosed_ = true;
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, &clientSignals_,
                     [this, socket](QAbstractSocket::SocketError error) {
                         if (socket == client_)
                             onClientError(error);
                     });
}

void QtServerSocket::onClientError(QAbstractSocket::SocketError error)
{
    // A client that closes or resets its end has simply gone.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        peerClosed_ = true;
        return;
    }
    fail(client_->errorString());
}

void QtServerSocket::onDataArrived(QTcpSocket* socket)
{
    if (socket == client_ && dataArrivalHandler_)
        dataArrivalHandler_();
}

void QtServerSocket::drop(QTcpSocket* socket)
{
    QObject::disconnect(socket, nullptr, &clientSignals_, nullptr);
    socket->abort();
    // Later: a handler may be running inside this socket's own signal.
    socket->deleteLater();
}

std::string QtServerSocket::peekData()
{
    return client_ ? client_->peek(client_->bytesAvailable()).toStdString() : std::string();
}

std::string QtServerSocket::getData()
{
    return client_ ? client_->readAll().toStdString() : std::string();
}

bool QtServerSocket::sendData(std::string_view text)
{
    if (state() != socket_state::Connected || client_->state() != QAbstractSocket::ConnectedState)
        return false;
    const qint64 queued = client_->write(text.data(), static_cast<qint64>(text.size()));
    // Out now rather than on the next pass of the event loop.
    client_->flush();
    return queued == static_cast<qint64>(text.size());
}

std::size_t QtServerSocket::unsentBytes() const
{
    return client_ ? static_cast<std::size_t>(client_->bytesToWrite()) : 0;
}

std::string QtServerSocket::errorText() const
{
    return errorText_;
}

void QtServerSocket::setConnectionRequestHandler(std::function<void(int requestId)> handler)
{
    connectionRequestHandler_ = std::move(handler);
}

void QtServerSocket::setDataArrivalHandler(std::function<void()> handler)
{
    dataArrivalHandler_ = std::move(handler);
}
