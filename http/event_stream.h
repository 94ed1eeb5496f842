// The live push of the dashboard: server-sent events to every browser that listens.
#pragma once

#include <QPointer>
#include <QTcpSocket>
#include <string_view>
#include <vector>

class QHttpServerResponder;

class EventStream {
public:
    // A listener that has not taken this much of what was sent to it is dropped, so a
    // stuck browser cannot make the program's memory grow.
    static constexpr qint64 kMaxBacklogBytes = 1 << 20;

    // Answers the request with the stream's head and the first events; the connection
    // then stays open for the events to come.
    void add(QHttpServerResponder&& responder, std::string_view firstEvents);

    // "event: <name>" with one line of data, to every listener.
    void send(std::string_view event, std::string_view data);

    // The event's text as it goes on the wire.
    static std::string eventText(std::string_view event, std::string_view data);

    // Listeners whose connection is still open.
    int listeners();

private:
    std::vector<QPointer<QTcpSocket>> sockets_;
};
