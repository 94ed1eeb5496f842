// libmosquitto's non-blocking calls under Qt's socket notifiers. The library's own
// callbacks only note what happened; it is acted on once the library has returned,
// so a slot may close or reopen the connection without pulling the client from
// under the library.
#include "mqtt/mosquitto_client.h"

#include <QHostAddress>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>
#include <optional>
#include <sys/socket.h>

namespace {

constexpr int kKeepAliveSeconds = 30;
// The library's keep-alive and its time-outs are checked this often.
constexpr int kHousekeepingMs = 1000;

void initialiseLibrary()
{
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)initialised;
}

std::string reasonOf(int code, int error)
{
    if (code == MOSQ_ERR_ERRNO)
        return std::strerror(error);
    // The library's own text would only repeat that the connection was lost.
    if (code == MOSQ_ERR_CONN_LOST)
        return "ended by the broker or the network";
    return mosquitto_strerror(code);
}

// Why a connection that has not been answered yet has failed; nothing while it may
// still come about. The library does not always see it: a refusal that comes while it
// starts TLS leaves a socket it would keep trying, so the socket is asked here.
std::optional<std::string> failedConnect(int socket, int errorAtConnect)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
        return std::strerror(error != 0 ? error : errno);
    char byte = 0;
    const auto peeked = recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked > 0 || (peeked < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)))
        return std::nullopt;
    const int readError = errno;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    // Never connected: the connect's own error tells why.
    if (getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0 && errorAtConnect != 0)
        return std::strerror(errorAtConnect);
    return peeked == 0 ? std::string("the broker closed the connection") : std::strerror(readError);
}

} // namespace

MosquittoClient::MosquittoClient(int connectTimeoutMs, QObject* parent)
    : QObject(parent)
{
    initialiseLibrary();
    housekeeping_.setInterval(kHousekeepingMs);
    connect(&housekeeping_, &QTimer::timeout, this, &MosquittoClient::service);
    connectDeadline_.setSingleShot(true);
    connectDeadline_.setInterval(connectTimeoutMs);
    connect(&connectDeadline_, &QTimer::timeout, this, [this, connectTimeoutMs] {
        fail("no answer within " + std::to_string(connectTimeoutMs / 1000) + " s");
    });
}

MosquittoClient::~MosquittoClient()
{
    drop();
}

void MosquittoClient::open(const BrokerEndpoint& endpoint)
{
    drop();
    endpoint_ = endpoint;
    connectDeadline_.start();
    // The library looks a name up as it connects, which would hold the event loop while
    // a name server is slow or away; so the name is looked up first, off the loop.
    const QString host = QString::fromStdString(endpoint.host);
    if (!QHostAddress(host).isNull())
        connectTo(endpoint.host);
    else
        lookupId_ = QHostInfo::lookupHost(host, this, &MosquittoClient::takeLookup);
}

void MosquittoClient::takeLookup(const QHostInfo& info)
{
    lookupId_ = -1;
    const QList<QHostAddress> addresses = info.addresses();
    if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
        fail(info.errorString().toStdString());
        return;
    }
    // A certificate names its host, so TLS needs the name (which the resolver has just
    // answered); otherwise an IPv4 address first, the one most brokers listen on.
    const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& address) {
        return address.protocol() == QAbstractSocket::IPv4Protocol;
    });
    connectTo(endpoint_.tls ? endpoint_.host
                            : (ipv4 != addresses.end() ? *ipv4 : addresses.first()).toString().toStdString());
}

void MosquittoClient::connectTo(const std::string& host)
{
    const BrokerEndpoint& endpoint = endpoint_;
    client_ = mosquitto_new(endpoint.clientId.c_str(), true, this);
    if (client_ == nullptr) {
        fail(std::strerror(errno));
        return;
    }
    mosquitto_connect_callback_set(client_, &MosquittoClient::onConnect);
    mosquitto_disconnect_callback_set(client_, &MosquittoClient::onDisconnect);
    mosquitto_message_callback_set(client_, &MosquittoClient::onMessage);
    // A state message goes out at once, not held back until the last one is acknowledged.
    int code = mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
    if (code == MOSQ_ERR_SUCCESS && !endpoint.user.empty())
        code = mosquitto_username_pw_set(client_, endpoint.user.c_str(),
                                         endpoint.password.empty() ? nullptr : endpoint.password.c_str());
    if (code == MOSQ_ERR_SUCCESS)
        code = mosquitto_will_set(client_, endpoint.will.topic.c_str(), static_cast<int>(endpoint.will.payload.size()),
                                  endpoint.will.payload.data(), 1, endpoint.will.retain);
    if (code == MOSQ_ERR_SUCCESS && endpoint.tls)
        code = endpoint.caFile.empty()
            ? mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
            : mosquitto_tls_set(client_, endpoint.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    if (code == MOSQ_ERR_SUCCESS) {
        errno = 0;
        code = mosquitto_connect_async(client_, host.c_str(), endpoint.port, kKeepAliveSeconds);
        errorAtConnect_ = errno;
    }
    if (code != MOSQ_ERR_SUCCESS) {
        fail(reasonOf(code, errno));
        return;
    }
    watchSocket();
    housekeeping_.start();
}

void MosquittoClient::watchSocket()
{
    const int socket = mosquitto_socket(client_);
    reader_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    writer_ = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
    connect(reader_.get(), &QSocketNotifier::activated, this, &MosquittoClient::service);
    connect(writer_.get(), &QSocketNotifier::activated, this, &MosquittoClient::service);
    writer_->setEnabled(mosquitto_want_write(client_));
}

bool MosquittoClient::publish(const MqttMessage& message)
{
    if (!connected_)
        return false;
    const int code = mosquitto_publish(client_, nullptr, message.topic.c_str(), static_cast<int>(message.payload.size()),
                                       message.payload.data(), 0, message.retain);
    writer_->setEnabled(mosquitto_want_write(client_));
    return code == MOSQ_ERR_SUCCESS;
}

bool MosquittoClient::subscribe(const std::string& topic)
{
    if (!connected_)
        return false;
    const int code = mosquitto_subscribe(client_, nullptr, topic.c_str(), 0);
    writer_->setEnabled(mosquitto_want_write(client_));
    return code == MOSQ_ERR_SUCCESS;
}

void MosquittoClient::close()
{
    if (connected_)
        mosquitto_disconnect(client_);
    drop();
}

void MosquittoClient::onConnect(mosquitto*, void* self, int code)
{
    static_cast<MosquittoClient*>(self)->connack_ = code;
}

void MosquittoClient::onDisconnect(mosquitto*, void* self, int code)
{
    const int error = errno;
    static_cast<MosquittoClient*>(self)->lost_ = reasonOf(code, error);
}

void MosquittoClient::onMessage(mosquitto*, void* self, const struct mosquitto_message* message)
{
    const auto* payload = static_cast<const char*>(message->payload);
    static_cast<MosquittoClient*>(self)->arrived_.push_back(
        {message->topic, std::string(payload, payload + message->payloadlen), message->retain});
}

void MosquittoClient::service()
{
    if (client_ == nullptr)
        return;
    if (!connected_) {
        if (const auto reason = failedConnect(mosquitto_socket(client_), errorAtConnect_)) {
            fail(*reason);
            return;
        }
    }
    const int code = mosquitto_loop(client_, 0, 1);
    const int error = errno;
    if (connack_) {
        const int answer = *connack_;
        connack_.reset();
        if (answer != 0) {
            drop();
            emit refused(mosquitto_connack_string(answer));
            return;
        }
        connected_ = true;
        connectDeadline_.stop();
        emit connected();
        if (writer_)
            writer_->setEnabled(mosquitto_want_write(client_));
        return;
    }
    if (lost_ || code != MOSQ_ERR_SUCCESS) {
        fail(lost_.value_or(reasonOf(code, error)));
        return;
    }
    writer_->setEnabled(mosquitto_want_write(client_));
    // Handed on after the library's loop, whose callbacks must not see this client change.
    const std::vector<MqttMessage> arrived = std::exchange(arrived_, {});
    for (const MqttMessage& message : arrived)
        emit messageArrived(message);
}

void MosquittoClient::drop()
{
    if (lookupId_ != -1)
        QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
    reader_.reset();
    writer_.reset();
    housekeeping_.stop();
    connectDeadline_.stop();
    if (client_ != nullptr)
        mosquitto_destroy(client_);
    client_ = nullptr;
    connected_ = false;
    connack_.reset();
    lost_.reset();
    arrived_.clear();
}

void MosquittoClient::fail(const std::string& reason)
{
    drop();
    emit failed(reason);
}
