// The check of the options window's MQTT tab: every box together, since a host, a
// port and a certificate file only make sense as a whole.
#pragma once

#include "settings/mqtt_settings.h"

#include <optional>
#include <string>
#include <string_view>

// The tab's boxes as the user left them.
struct MqttEntries {
    bool enable = false;
    std::string host;
    std::string port;
    bool tls = false;
    std::string caFile;
    std::string user;
    std::string password;
    std::string topic;
    bool discovery = true;
};

// What "Apply" does: the settings to save, or the message to show and the box to
// put the focus in; nothing is saved then.
struct MqttVerdict {
    enum class Box { None, Host, Port, CAFile, User, Topic };
    std::optional<MqttSettings> settings;
    std::string message;
    Box box = Box::None;
};

MqttVerdict checkMqttEntries(const MqttEntries& entries);

// A base topic may not hold the wildcards "+" and "#", nor begin with "/".
bool usableBaseTopic(std::string_view topic);
