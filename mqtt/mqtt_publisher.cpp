// The publisher's connection states and what it sends on each.
#include "mqtt/mqtt_publisher.h"

#include "link/live_readings.h"
#include "mqtt/discovery_messages.h"
#include "mqtt/state_payload.h"
#include "settings/settings_values.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {

const std::string kOnline = "online";
const std::string kOffline = "offline";

std::string isoTimeNow()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
}

// The library's reasons end with a full stop, the system's do not.
std::string bare(std::string reason)
{
    while (!reason.empty() && reason.back() == '.')
        reason.pop_back();
    return reason;
}

} // namespace

MqttPublisher::MqttPublisher(const SettingsValues& settings, MqttTiming timing, QObject* parent)
    : QObject(parent), settings_(settings), client_(timing.connectTimeoutMs, this),
      backoff_(timing.firstRetryMs, timing.retryLimitMs)
{
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &MqttPublisher::connectToBroker);
    connect(&client_, &MosquittoClient::connected, this, &MqttPublisher::takeConnection);
    connect(&client_, &MosquittoClient::refused, this, &MqttPublisher::takeRefusal);
    connect(&client_, &MosquittoClient::failed, this, &MqttPublisher::takeFailure);
    connect(&client_, &MosquittoClient::messageArrived, this, &MqttPublisher::takeMessage);
}

void MqttPublisher::start()
{
    const bool wasRunning = running_;
    stop();
    running_ = settings_.MqttEnable;
    if (!running_) {
        if (wasRunning)
            say("MQTT publishing is off.");
        return;
    }
    topics_ = mqttTopics(settings_.MqttTopic, settings_.ComPortNum);
    broker_ = settings_.MqttHost + ":" + std::to_string(settings_.MqttPort);
    backoff_.reset();
    lastLine_.clear();
    connectToBroker();
}

void MqttPublisher::stop()
{
    retry_.stop();
    if (client_.isConnected())
        client_.publish({topics_.availability(), kOffline});
    client_.close();
    heldState_.reset();
    wasConnected_ = false;
    running_ = false;
}

void MqttPublisher::connectToBroker()
{
    client_.open({.host = settings_.MqttHost,
                  .port = settings_.MqttPort,
                  .tls = settings_.MqttTLS,
                  .caFile = settings_.MqttCAFile,
                  .user = settings_.MqttUser,
                  .password = settings_.MqttPassword,
                  .clientId = "kvo7730-" + topics_.nodeId() + "-" + std::to_string(QCoreApplication::applicationPid()),
                  .will = {topics_.availability(), kOffline}});
}

void MqttPublisher::takeConnection()
{
    backoff_.reset();
    wasConnected_ = true;
    say("MQTT: connected to the broker " + broker_ + "; publishing under \"" + topics_.base + "\".");
    client_.publish({topics_.availability(), kOnline});
    if (settings_.MqttDiscovery) {
        client_.subscribe(std::string(kHomeAssistantStatus));
        publishDiscovery();
    }
    if (heldState_ && client_.publish({topics_.state(), *heldState_}))
        heldState_.reset();
}

void MqttPublisher::publishDiscovery()
{
    for (const MqttMessage& message : discoveryMessages(topics_, KVO_VERSION))
        client_.publish(message);
}

void MqttPublisher::takeMessage(const MqttMessage& message)
{
    // Home Assistant has started again and may have lost configs that were not kept.
    if (message.topic == kHomeAssistantStatus && message.payload == "online" && settings_.MqttDiscovery)
        publishDiscovery();
}

void MqttPublisher::takeRefusal(const std::string& reason)
{
    retryLater("MQTT: the broker " + broker_ + " refused the login (" + bare(reason)
               + "); trying again after growing waits of up to a minute.");
}

void MqttPublisher::takeFailure(const std::string& reason)
{
    if (wasConnected_) {
        wasConnected_ = false;
        retryLater("MQTT: the connection to the broker " + broker_ + " was lost (" + bare(reason) + "); reconnecting.");
        return;
    }
    retryLater("MQTT: the broker " + broker_ + " cannot be reached (" + bare(reason)
               + "); trying again after growing waits of up to a minute.");
}

void MqttPublisher::retryLater(const std::string& line)
{
    say(line);
    retry_.start(backoff_.next());
}

void MqttPublisher::publishReadings(const LiveReadings& readings)
{
    if (!running_)
        return;
    std::string payload = statePayload(readings, isoTimeNow());
    if (client_.isConnected() && client_.publish({topics_.state(), payload}))
        return;
    heldState_ = std::move(payload);
}

void MqttPublisher::say(const std::string& line)
{
    if (line == lastLine_)
        return;
    lastLine_ = line;
    statusList_.addLine(line);
}
