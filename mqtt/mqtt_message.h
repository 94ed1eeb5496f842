// One message to publish.
#pragma once

#include <string>

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retain = true;

    bool operator==(const MqttMessage&) const = default;
};
