// The settings of the MQTT publisher, as the program uses them.
#pragma once

#include <cstdint>
#include <string>

struct MqttSettings {
    bool MqttEnable = false;
    std::string MqttHost;
    std::int32_t MqttPort = 1883;
    bool MqttTLS = false;
    // Empty: the system's certificate authorities.
    std::string MqttCAFile;
    std::string MqttUser;
    std::string MqttPassword;
    // The base topic; empty for "kvo7730/com<port number>".
    std::string MqttTopic;
    // Home Assistant discovery messages.
    bool MqttDiscovery = true;

    bool operator==(const MqttSettings&) const = default;
};
