// The MQTT tab's check: the first box in the tab's order that is wrong is the one told.
#include "settings/mqtt_option_fields.h"

#include "common/number_text.h"
#include "settings/option_fields.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

std::string trimmed(std::string_view text)
{
    return std::string(trimmedEntry(text));
}

// Nothing when the file opens for reading; otherwise the system's reason.
std::optional<std::string> unreadableReason(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (file.is_open())
        return std::nullopt;
    return std::strerror(errno);
}

MqttVerdict refuse(MqttVerdict::Box box, std::string message)
{
    return {.settings = std::nullopt, .message = std::move(message), .box = box};
}

} // namespace

bool usableBaseTopic(std::string_view topic)
{
    return topic.find_first_of("+#") == std::string_view::npos && !topic.starts_with('/');
}

MqttVerdict checkMqttEntries(const MqttEntries& entries)
{
    using Box = MqttVerdict::Box;
    MqttSettings settings{.MqttEnable = entries.enable,
                          .MqttHost = trimmed(entries.host),
                          .MqttTLS = entries.tls,
                          .MqttCAFile = trimmed(entries.caFile),
                          .MqttUser = entries.user,
                          .MqttPassword = entries.password,
                          .MqttTopic = trimmed(entries.topic),
                          .MqttDiscovery = entries.discovery};
    if (settings.MqttEnable && settings.MqttHost.empty())
        return refuse(Box::Host, "Enter the host name or address of the MQTT broker.");
    if (settings.MqttHost.find_first_of(" \t/") != std::string::npos)
        return refuse(Box::Host, "The broker's host is a name or an address, without blanks or \"/\".");
    const auto port = parseWholeNumber(trimmed(entries.port), 1, 65535);
    if (!port || trimmed(entries.port).find_first_of(".,eE") != std::string::npos)
        return refuse(Box::Port, "The broker's port must be a whole number from 1 to 65535.");
    settings.MqttPort = static_cast<std::int32_t>(*port);
    if (!settings.MqttCAFile.empty()) {
        if (const auto reason = unreadableReason(settings.MqttCAFile))
            return refuse(Box::CAFile, "The CA file \"" + settings.MqttCAFile + "\" cannot be read: " + *reason + ".");
    }
    if (settings.MqttUser.empty() && !settings.MqttPassword.empty())
        return refuse(Box::User, "A password needs a user name.");
    while (settings.MqttTopic.ends_with('/'))
        settings.MqttTopic.pop_back();
    if (!usableBaseTopic(settings.MqttTopic))
        return refuse(Box::Topic, "The base topic may not hold \"+\" or \"#\", nor begin with \"/\".");
    return {.settings = settings};
}
