// The listening socket of the HTTP server, with the bounds that keep a few bad or
// forgotten clients from holding the program: so many connections at most, a request
// no longer than so many bytes, and no connection that sits silent for long.
#pragma once

#include <QTcpServer>

class QTcpSocket;

class BoundedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    struct Limits {
        int connections = 32;
        // Bytes a client may send before it has an answer.
        qint64 requestBytes = 16 * 1024;
        // A connection that neither completes a request nor takes an answer for this long is dropped.
        int stallMs = 10'000;
    };

    explicit BoundedTcpServer(QObject* parent = nullptr) : BoundedTcpServer(Limits{}, parent) {}
    BoundedTcpServer(const Limits& limits, QObject* parent);

    int connections() const { return connections_; }

    // The connection carries a stream of events from now on: a quiet moment is no stall.
    static void markStreaming(QTcpSocket& socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    Limits limits_;
    int connections_ = 0;
};
