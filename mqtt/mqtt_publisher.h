// Publishes the monitor's readings to an MQTT broker: the availability, Home
// Assistant's discovery messages and one state message per decoded packet. After a
// failure it reconnects with growing waits, and says each change of state once.
#pragma once

#include "mqtt/mosquitto_client.h"
#include "mqtt/mqtt_topics.h"
#include "common/reconnect_backoff.h"
#include "platform/observable_status.h"

#include <QObject>
#include <QTimer>
#include <optional>
#include <string>

struct LiveReadings;
struct SettingsValues;

struct MqttTiming {
    int firstRetryMs = 1000;
    int retryLimitMs = 60000;
    int connectTimeoutMs = 10000;
};

class MqttPublisher : public QObject {
    Q_OBJECT

public:
    MqttPublisher(const SettingsValues& settings, MqttTiming timing, QObject* parent = nullptr);

    // Connects with the settings of this moment when publishing is on; called again
    // after the settings changed, it leaves the broker and starts anew.
    void start();
    // The end of a run: "offline" published and the connection closed.
    void stop();

    // The state message of a decoded packet. Without a connection only the last one
    // is kept, and published once the connection is back.
    void publishReadings(const LiveReadings& readings);

    const ObservableStatusList& statusList() const { return statusList_; }
    const MqttTopics& topics() const { return topics_; }

private:
    void connectToBroker();
    void takeConnection();
    void takeMessage(const MqttMessage& message);
    void publishDiscovery();
    void takeRefusal(const std::string& reason);
    void takeFailure(const std::string& reason);
    void retryLater(const std::string& line);
    void say(const std::string& line);

    const SettingsValues& settings_;
    MosquittoClient client_;
    ReconnectBackoff backoff_;
    QTimer retry_;
    ObservableStatusList statusList_;
    MqttTopics topics_;
    std::string broker_;
    std::optional<std::string> heldState_;
    std::string lastLine_;
    bool running_ = false;
    bool wasConnected_ = false;
};
