// A connection to an MQTT broker on libmosquitto, driven by the Qt event loop: the
// client's socket is watched by socket notifiers and its keep-alive runs on a timer,
// so the program never waits for the broker.
#pragma once

#include "mqtt/mqtt_message.h"

#include <QHostInfo>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;

struct BrokerEndpoint {
    std::string host;
    int port = 1883;
    bool tls = false;
    // Empty with TLS: the system's certificate authorities.
    std::string caFile;
    std::string user;
    std::string password;
    std::string clientId;
    // Published by the broker when the connection breaks without a goodbye.
    MqttMessage will;
};

class MosquittoClient : public QObject {
    Q_OBJECT

public:
    explicit MosquittoClient(int connectTimeoutMs, QObject* parent = nullptr);
    ~MosquittoClient() override;
    MosquittoClient(const MosquittoClient&) = delete;
    MosquittoClient& operator=(const MosquittoClient&) = delete;

    // Starts a connection, dropping any before; its outcome comes as a signal.
    void open(const BrokerEndpoint& endpoint);
    // Hands a message over; the socket takes it at once when it can. False while
    // there is no connection.
    bool publish(const MqttMessage& message);
    // Asks the broker for the messages of a topic; false while there is no connection.
    bool subscribe(const std::string& topic);
    // Says goodbye to the broker (which then keeps the last will to itself) and drops the connection.
    void close();
    bool isConnected() const { return connected_; }

signals:
    void connected();
    void refused(const std::string& reason);
    // The connection could not be made, or it was lost.
    void failed(const std::string& reason);
    // A message of a subscribed topic.
    void messageArrived(const MqttMessage& message);

private:
    static void onConnect(mosquitto* client, void* self, int code);
    static void onDisconnect(mosquitto* client, void* self, int code);
    static void onMessage(mosquitto* client, void* self, const struct mosquitto_message* message);

    void takeLookup(const QHostInfo& info);
    // Connects to the host, a name or an address, as the library takes it.
    void connectTo(const std::string& host);
    void watchSocket();
    // Runs the library's loop once, without waiting, then acts on what it reported.
    void service();
    void drop();
    void fail(const std::string& reason);

    BrokerEndpoint endpoint_;
    int lookupId_ = -1;
    mosquitto* client_ = nullptr;
    std::unique_ptr<QSocketNotifier> reader_;
    std::unique_ptr<QSocketNotifier> writer_;
    QTimer housekeeping_;
    QTimer connectDeadline_;
    bool connected_ = false;
    // errno as the connect call left it: the reason when the socket turns out dead.
    int errorAtConnect_ = 0;
    // What the library's callbacks said during a loop run, acted on after it.
    std::optional<int> connack_;
    std::optional<std::string> lost_;
    std::vector<MqttMessage> arrived_;
};
