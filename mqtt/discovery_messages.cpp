// The sensor table and the config message made from each row.
#include "mqtt/discovery_messages.h"

#include "mqtt/json_text.h"

#include <array>
#include <string>

namespace {

struct Sensor {
    std::string_view key;          // object id, and the unique id's last part
    std::string_view name;
    std::string_view field;        // the state message's member, "chN." for a channel's
    std::string_view deviceClass;  // empty for none
    std::string_view unit;         // empty for none
    std::string_view stateClass;
};

constexpr std::array<Sensor, 9> kChannelSensors = {{
    {"power", "power", "watts", "power", "W", "measurement"},
    // Negative while the channel generates.
    {"power_signed", "power signed", "signed_watts", "power", "W", "measurement"},
    {"current", "current", "amps", "current", "A", "measurement"},
    {"power_factor", "power factor", "power_factor", "power_factor", "", "measurement"},
    {"energy", "energy", "kwh", "energy", "kWh", "total_increasing"},
    {"energy_total", "energy total", "total_kwh", "energy", "kWh", "total_increasing"},
    // What the Energy dashboard needs per grid connection: bought and sold, never falling.
    {"energy_imported", "energy imported", "imported_kwh", "energy", "kWh", "total_increasing"},
    {"energy_exported", "energy exported", "exported_kwh", "energy", "kWh", "total_increasing"},
    // The monitor's own polarised counter starts again at a reset: without an energy class,
    // so that the Energy dashboard does not offer it.
    {"energy_polarised", "energy polarised", "total_pol_kwh", "", "kWh", "total"},
}};

constexpr Sensor kVoltage{"voltage", "Voltage", "volts", "voltage", "V", "measurement"};

class ConfigWriter {
public:
    ConfigWriter(const MqttTopics& topics, std::string_view version)
        : topics_(topics), node_(topics.nodeId()),
          device_(JsonObject()
                      .raw("identifiers", "[" + jsonString(node_) + "]")
                      .text("name", "KVO-7730 " + topics.base)
                      .text("model", "KVO-7730")
                      .text("sw_version", version)
                      .str()),
          origin_(JsonObject()
                      .text("name", "kvo7730")
                      .text("sw_version", version)
                      .text("support_url", KVO_HOME_PAGE)
                      .str())
    {
    }

    MqttMessage config(std::string_view key, std::string_view name, std::string_view valuePath, const Sensor& s) const
    {
        JsonObject payload;
        payload.text("name", name)
            .text("unique_id", node_ + "_" + std::string(key))
            .text("state_topic", topics_.state())
            .text("value_template", "{{ value_json." + std::string(valuePath) + " }}");
        if (!s.deviceClass.empty())
            payload.text("device_class", s.deviceClass);
        if (!s.unit.empty())
            payload.text("unit_of_measurement", s.unit);
        payload.text("state_class", s.stateClass)
            .text("availability_topic", topics_.availability())
            .text("payload_available", "online")
            .text("payload_not_available", "offline")
            .raw("device", device_)
            .raw("origin", origin_);
        return {std::string(kDiscoveryPrefix) + "/sensor/" + node_ + "/" + std::string(key) + "/config", payload.str()};
    }

private:
    const MqttTopics& topics_;
    std::string node_;
    std::string device_;
    std::string origin_;
};

} // namespace

std::vector<MqttMessage> discoveryMessages(const MqttTopics& topics, std::string_view softwareVersion)
{
    const ConfigWriter writer(topics, softwareVersion);
    std::vector<MqttMessage> messages{writer.config(kVoltage.key, kVoltage.name, kVoltage.field, kVoltage)};
    for (const int channel : {1, 2}) {
        const std::string prefix = "ch" + std::to_string(channel);
        for (const Sensor& sensor : kChannelSensors)
            messages.push_back(writer.config(prefix + "_" + std::string(sensor.key),
                                             "Channel " + std::to_string(channel) + " " + std::string(sensor.name),
                                             prefix + "." + std::string(sensor.field), sensor));
    }
    return messages;
}
