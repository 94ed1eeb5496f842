// One request per connection to the web service; the answer is read and dropped.
#include "web/web_client.h"

#include "common/web_host.h"

WebClient::WebClient(RequestText requestText)
    : requestText_(std::move(requestText))
{
    Winsock.setParent(this);
    Winsock.setObjectName(QStringLiteral("Winsock"));
    connect(&Winsock, &QTcpSocket::connected, this, &WebClient::Winsock_Connect);
    // The service's answer is never used; reading it keeps it from piling up.
    connect(&Winsock, &QTcpSocket::readyRead, this, [this] { Winsock.readAll(); });
}

void WebClient::connectTo(const std::string& webHost)
{
    Winsock.abort();
    const auto address = parseWebHost(webHost);
    if (!address)
        return;
    webHost_ = webHost;
    Winsock.connectToHost(QString::fromStdString(address->host), address->port);
}

void WebClient::Winsock_Connect()
{
    const std::string request = requestText_(webHost_);
    Winsock.write(request.data(), static_cast<qint64>(request.size()));
    emit requestSent(request);
}
