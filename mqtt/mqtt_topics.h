// The topics the publisher writes to, all under one base topic.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kDiscoveryPrefix = "homeassistant";
// Where Home Assistant says "online" when it starts: the discovery configs are sent again.
inline constexpr std::string_view kHomeAssistantStatus = "homeassistant/status";

struct MqttTopics {
    // "kvo7730/com7" unless the user set another.
    std::string base;

    std::string state() const { return base + "/state"; }
    std::string availability() const { return base + "/availability"; }
    // The base topic as Home Assistant accepts it in a discovery topic and an id:
    // every character but letters, digits, "_" and "-" becomes "_".
    std::string nodeId() const;
};

// The configured base topic, or "kvo7730/com<port>" when none is set.
MqttTopics mqttTopics(std::string_view configuredBase, int comPort);
