#include "http/bounded_tcp_server.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// Watches one connection: the bytes it sent since its last answer, and its silence.
class ConnectionGuard : public QObject {
    Q_OBJECT

public:
    ConnectionGuard(QTcpSocket& socket, const BoundedTcpServer::Limits& limits)
        : QObject(&socket), socket_(socket), limits_(limits)
    {
        stall_.setSingleShot(true);
        stall_.start(limits_.stallMs);
        // Connected before the HTTP server's own handler, so the bytes are counted before it reads them.
        connect(&socket, &QTcpSocket::readyRead, this, &ConnectionGuard::received);
        connect(&socket, &QTcpSocket::bytesWritten, this, &ConnectionGuard::answered);
        connect(&stall_, &QTimer::timeout, this, [this] { drop(); });
    }

    void streaming()
    {
        streaming_ = true;
        stall_.stop();
    }

private:
    void received()
    {
        unanswered_ += socket_.bytesAvailable();
        if (unanswered_ > limits_.requestBytes)
            drop();
    }

    void answered()
    {
        unanswered_ = 0;
        if (!streaming_)
            stall_.start(limits_.stallMs);
    }

    // After the signal that told of it, so that no handler of it meets a closed socket.
    void drop()
    {
        stall_.stop();
        QMetaObject::invokeMethod(&socket_, &QTcpSocket::abort, Qt::QueuedConnection);
    }

    QTcpSocket& socket_;
    const BoundedTcpServer::Limits limits_;
    QTimer stall_{this};
    qint64 unanswered_ = 0;
    bool streaming_ = false;
};

QByteArray busyAnswer()
{
    const QByteArray body = R"({"error":"Too many open connections; try again shortly."})";
    return "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

BoundedTcpServer::BoundedTcpServer(const Limits& limits, QObject* parent)
    : QTcpServer(parent), limits_(limits)
{
}

void BoundedTcpServer::markStreaming(QTcpSocket& socket)
{
    if (auto* guard = socket.findChild<ConnectionGuard*>(QString(), Qt::FindDirectChildrenOnly))
        guard->streaming();
}

void BoundedTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (connections_ >= limits_.connections) {
        // Told why rather than left waiting for an accept that will not come soon.
        socket->write(busyAnswer());
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        return;
    }
    ++connections_;
    connect(socket, &QObject::destroyed, this, [this] { --connections_; });
    new ConnectionGuard(*socket, limits_);
    addPendingConnection(socket);
}

#include "bounded_tcp_server.moc"
