// One request per connection to the web service; the answer is read and dropped.
#include "web/web_client.h"

#include "common/web_host.h"

WebClient::WebClient(RequestText requestText)
    : requestText_(std::move(requestText))
{
    Winsock.setParent(this);
    Winsock.setObjectName(QStringLiteral("Winsock"));
    connect(&Winsock, &QTcpSocket::connected, this, &WebClient::Winsock_Connect);
    // The service's answer is never used; reading it keeps it from piling up, and a
    // service that answers without end or never closes is cut off.
    connect(&Winsock, &QTcpSocket::readyRead, this, &WebClient::takeAnswer);
    answerTimeout_.setParent(this);
    answerTimeout_.setObjectName(QStringLiteral("AnswerTimeout"));
    answerTimeout_.setSingleShot(true);
    answerTimeout_.setInterval(kAnswerTimeoutMs);
    connect(&answerTimeout_, &QTimer::timeout, &Winsock, &QTcpSocket::abort);
    connect(&Winsock, &QTcpSocket::disconnected, &answerTimeout_, &QTimer::stop);
}

void WebClient::takeAnswer()
{
    answerBytes_ += Winsock.skip(Winsock.bytesAvailable());
    if (answerBytes_ > kAnswerLimitBytes)
        Winsock.abort();
}

void WebClient::connectTo(const std::string& webHost)
{
    Winsock.abort();
    answerTimeout_.stop();
    answerBytes_ = 0;
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
    answerTimeout_.start();
    emit requestSent(request);
}
