// The HTTP client socket of the web posting (`Winsock`): each post closes it and
// connects anew, and the request goes out once the connection is established.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <functional>
#include <string>

class WebClient : public QObject {
    Q_OBJECT

public:
    // Builds the request for the host it is sent to, from the values of that moment.
    using RequestText = std::function<std::string(const std::string& webHost)>;

    explicit WebClient(RequestText requestText);

    // Drops the earlier connection and connects to the web service ("name" or
    // "name:port", port 80 without one). A host text that cannot be read as one
    // connects nowhere, so no request is made.
    void connectTo(const std::string& webHost);

signals:
    void requestSent(const std::string& request);

private:
    void Winsock_Connect();

    QTcpSocket Winsock;
    std::string webHost_;
    RequestText requestText_;
};
