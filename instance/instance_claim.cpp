// Claims of running instances: made from settings, written and read as lines, compared.
#include "instance/instance_claim.h"

#include "common/number_text.h"
#include "mqtt/mqtt_topics.h"
#include "platform/instance_name.h"
#include "settings/settings_values.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

namespace {

// One listening port of an instance, with what it serves.
struct Listener {
    std::string_view what;
    int port;
};

std::vector<Listener> listeners(const InstanceClaim& claim)
{
    std::vector<Listener> ports{{"TCP port", claim.tcpPort}};
    if (claim.dashboardPort)
        ports.push_back({"dashboard port", *claim.dashboardPort});
    return ports;
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// What mine shares with other, or nothing.
std::optional<std::string> sharedPart(const InstanceClaim& mine, const InstanceClaim& other)
{
    if (!mine.comDevice.empty() && mine.comDevice == other.comDevice)
        return "COM port " + std::to_string(mine.comPort) + " (" + mine.comDevice + ")";
    for (const Listener& own : listeners(mine)) {
        for (const Listener& theirs : listeners(other)) {
            if (own.port != theirs.port)
                continue;
            std::string part = std::string(own.what) + " " + std::to_string(own.port);
            if (own.what != theirs.what)
                part += " (the " + std::string(theirs.what) + " there)";
            return part;
        }
    }
    if (mine.mqtt && other.mqtt && lowered(mine.mqtt->broker) == lowered(other.mqtt->broker)
        && mine.mqtt->baseTopic == other.mqtt->baseTopic)
        return "MQTT base topic \"" + mine.mqtt->baseTopic + "\" on " + mine.mqtt->broker;
    return std::nullopt;
}

std::optional<int> wholeValue(std::string_view text)
{
    const auto value = parseWholeNumber(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    if (!value)
        return std::nullopt;
    return static_cast<int>(*value);
}

} // namespace

InstanceClaim claimOf(const ClaimHolder& holder, const SettingsValues& values, std::string comDevice)
{
    InstanceClaim claim{.instance = holder.instance,
                        .program = holder.program,
                        .pid = holder.pid,
                        .comPort = values.ComPortNum,
                        .comDevice = std::move(comDevice),
                        .tcpPort = values.TCPportNum};
    if (values.HttpEnable)
        claim.dashboardPort = values.HttpPort;
    if (values.MqttEnable)
        claim.mqtt = MqttClaim{.broker = values.MqttHost + ":" + std::to_string(values.MqttPort),
                               .baseTopic = mqttTopics(values.MqttTopic, values.ComPortNum).base};
    return claim;
}

std::string claimText(const InstanceClaim& claim)
{
    std::string text = "instance=" + claim.instance + "\nprogram=" + claim.program + "\npid=" + std::to_string(claim.pid)
        + "\ncom-port=" + std::to_string(claim.comPort) + "\ncom-device=" + claim.comDevice
        + "\ntcp-port=" + std::to_string(claim.tcpPort) + "\n";
    if (claim.dashboardPort)
        text += "dashboard-port=" + std::to_string(*claim.dashboardPort) + "\n";
    if (claim.mqtt)
        text += "mqtt-broker=" + claim.mqtt->broker + "\nmqtt-topic=" + claim.mqtt->baseTopic + "\n";
    return text;
}

std::optional<InstanceClaim> parseClaim(std::string_view text)
{
    InstanceClaim claim;
    std::optional<std::int64_t> pid;
    std::optional<int> tcpPort;
    MqttClaim mqtt;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "instance")
            claim.instance = value;
        else if (key == "program")
            claim.program = value;
        else if (key == "pid")
            pid = parseWholeNumber(value, 1, std::numeric_limits<std::int64_t>::max());
        else if (key == "com-port")
            claim.comPort = wholeValue(value).value_or(0);
        else if (key == "com-device")
            claim.comDevice = value;
        else if (key == "tcp-port")
            tcpPort = wholeValue(value);
        else if (key == "dashboard-port")
            claim.dashboardPort = wholeValue(value);
        else if (key == "mqtt-broker")
            mqtt.broker = value;
        else if (key == "mqtt-topic")
            mqtt.baseTopic = value;
    }
    if (!pid || !tcpPort || claim.program.empty())
        return std::nullopt;
    claim.pid = *pid;
    claim.tcpPort = *tcpPort;
    if (!mqtt.broker.empty())
        claim.mqtt = mqtt;
    return claim;
}

std::optional<Clash> firstClash(const InstanceClaim& mine, std::span<const InstanceClaim> others)
{
    for (const InstanceClaim& other : others) {
        if (auto part = sharedPart(mine, other))
            return Clash{&other, std::move(*part)};
    }
    return std::nullopt;
}

std::optional<std::string> clashWith(const InstanceClaim& mine, std::span<const InstanceClaim> running)
{
    const auto clash = firstClash(mine, running);
    if (!clash)
        return std::nullopt;
    return instanceLabelFirst(mine.instance) + " cannot start: its " + clash->shared + " is in use by "
        + instanceLabel(clash->other->instance) + " (" + holderText(*clash->other) + ").";
}

std::string holderText(const InstanceClaim& claim)
{
    return claim.program + ", process " + std::to_string(claim.pid);
}
