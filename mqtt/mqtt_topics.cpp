// Base topic default and the node id derived from it.
#include "mqtt/mqtt_topics.h"

std::string MqttTopics::nodeId() const
{
    std::string id = base;
    for (char& c : id) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
            || c == '-';
        if (!allowed)
            c = '_';
    }
    return id;
}

MqttTopics mqttTopics(std::string_view configuredBase, int comPort)
{
    if (configuredBase.empty())
        return {"kvo7730/com" + std::to_string(comPort)};
    return {std::string(configuredBase)};
}
