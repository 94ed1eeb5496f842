#include "http/event_stream.h"

#include "http/bounded_tcp_server.h"

#include <QHttpServerResponder>
#include <algorithm>
#include <string>

void EventStream::add(QHttpServerResponder&& responder, std::string_view firstEvents)
{
    QTcpSocket* socket = responder.socket();
    responder.writeStatusLine();
    responder.writeHeaders({{"Content-Type", "text/event-stream"}, {"Cache-Control", "no-cache"}});
    // The responder ends the head with the body's first bytes; later events go to the socket.
    responder.writeBody(firstEvents.data(), static_cast<qint64>(firstEvents.size()));
    BoundedTcpServer::markStreaming(*socket);
    sockets_.emplace_back(socket);
}

std::string EventStream::eventText(std::string_view event, std::string_view data)
{
    std::string text = "event: ";
    text += event;
    text += "\ndata: ";
    text += data;
    text += "\n\n";
    return text;
}

void EventStream::send(std::string_view event, std::string_view data)
{
    // Drops the listeners that left, so that every one below has its socket.
    if (listeners() == 0)
        return;
    const std::string text = eventText(event, data);
    for (const QPointer<QTcpSocket>& socket : sockets_) {
        if (socket->bytesToWrite() > kMaxBacklogBytes)
            socket->abort();
        else
            socket->write(text.data(), static_cast<qint64>(text.size()));
    }
}

int EventStream::listeners()
{
    std::erase_if(sockets_, [](const QPointer<QTcpSocket>& socket) {
        return !socket || socket->state() != QAbstractSocket::ConnectedState;
    });
    return static_cast<int>(sockets_.size());
}
