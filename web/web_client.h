// The HTTP client socket of the web posting (`Winsock`): each post closes it and
// connects anew, and the request goes out once the connection is established.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <string>

class WebClient : public QObject {
    Q_OBJECT

public:
    // Builds the request for the host it is sent to, from the values of that moment.
    using RequestText = std::function<std::string(const std::string& webHost)>;

    explicit WebClient(RequestText requestText);

    // The answer is read up to this much, then the connection is dropped.
    static constexpr qint64 kAnswerLimitBytes = 16 * 1024;
    // A connection still open this long after the request is dropped.
    static constexpr int kAnswerTimeoutMs = 10000;

    // Drops the earlier connection and connects to the web service ("name" or
    // "name:port", port 80 without one). A host text that cannot be read as one
    // connects nowhere, so no request is made.
    void connectTo(const std::string& webHost);

signals:
    void requestSent(const std::string& request);

private:
    void Winsock_Connect();
    void takeAnswer();

    QTcpSocket Winsock;
    QTimer answerTimeout_;
    qint64 answerBytes_ = 0;
    std::string webHost_;
    RequestText requestText_;
};
