// The readable names of the settings and how their values read.
#include "config_tool/setting_names.h"

#include "common/number_text.h"
#include "link/link_settings.h"
#include "settings/settings_values.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace {

using F = ValueForm;
using R = EntryRule;
using S = Setting;

constexpr std::array kNames = {
    SettingName{"com-port", S::ComPort, F::Number, R::ComPort,
                "The monitor's COM port, 1 to 64 (1-16 /dev/ttyUSB0-15, 17-32 /dev/ttyACM0-15, 33-64 /dev/ttyS0-31, "
                "unless a link ports/com<n> names another device)."},
    SettingName{"connection", S::ZigbeeVersion, F::Connection, R::Connection,
                "How the monitor is reached: usb (its cable), zigbee1 or zigbee2 (a ZigBee dongle, version 1 "
                "before January 2008, version 2 after)."},
    SettingName{"tcp-port", S::TCPport, F::Number, R::TcpPort,
                "The TCP server's port (GETALL and the other commands), 1 to 65535."},
    SettingName{"tcp-local-only", S::TCPlocalOnly, F::YesNo, R::YesNo,
                "The TCP server takes clients from this computer only."},
    SettingName{"start-open-port", S::StartupComIsOn, F::YesNo, R::YesNo, "Open the COM port when the program starts."},
    SettingName{"start-real-time", S::StartupRTLisOn, F::YesNo, R::YesNo,
                "Start real-time data when the program starts."},
    SettingName{"start-listen", S::StartupListen, F::YesNo, R::YesNo,
                "The TCP server listens once real-time data flows."},
    SettingName{"start-web-posting", S::StartupServerIsOn, F::YesNo, R::YesNo,
                "The windowed program opens the web-posting window (\"Write to Web Server\") when it starts."},
    SettingName{"start-show-readings", S::ShowReadingsAtStart, F::YesNo, R::YesNo,
                "The windowed program shows the live readings when it starts."},
    SettingName{"rate", S::Rate, F::Number, R::Rate, "The price of one kWh, not negative."},
    SettingName{"write-interval", S::VexThresT, F::Number, R::WriteInterval,
                "Web posting: the longest time between two posts, in seconds, at least 10."},
    SettingName{"power-change1", S::VexThres1, F::Number, R::PowerChange,
                "Web posting: the change of channel 1's power that posts at once, in watts, at least 40."},
    SettingName{"power-change2", S::VexThres2, F::Number, R::PowerChange,
                "Web posting: the change of channel 2's power that posts at once, in watts, at least 40."},
    SettingName{"push-on-post", S::AutoWriteLocal, F::TriggerPush, R::TriggerPush,
                "Each post also sends the readings to the TCP client."},
    SettingName{"web-posting", S::VexWriteEnable, F::YesNo, R::YesNo,
                "Each post is sent to the web service (\"Enable Web Server\")."},
    SettingName{"web-user", S::VexUser, F::Text, R::WebUser, "The user account on the web service."},
    SettingName{"web-host", S::WebHost, F::Text, R::WebHost,
                "The web service's host name or address, optionally with \":port\"."},
    SettingName{"mqtt-enable", S::MqttEnable, F::YesNo, R::MqttTab, "Publish the readings to an MQTT broker."},
    SettingName{"mqtt-host", S::MqttHost, F::Text, R::MqttTab, "The MQTT broker's host name or address."},
    SettingName{"mqtt-port", S::MqttPort, F::Number, R::MqttTab, "The broker's port: 1883 usually, 8883 with TLS."},
    SettingName{"mqtt-tls", S::MqttTLS, F::YesNo, R::MqttTab,
                "Encrypt the connection and check the broker's certificate."},
    SettingName{"mqtt-ca-file", S::MqttCAFile, F::Text, R::MqttTab,
                "The certificate of the authority that signed the broker's; empty for the system's."},
    SettingName{"mqtt-user", S::MqttUser, F::Text, R::MqttTab, "The user name the broker asks for."},
    SettingName{"mqtt-password", S::MqttPassword, F::Secret, R::MqttTab, "The password the broker asks for."},
    SettingName{"mqtt-topic", S::MqttTopic, F::Text, R::MqttTab,
                "The base topic of every message; empty for kvo7730/com<port>."},
    SettingName{"mqtt-discovery", S::MqttDiscovery, F::YesNo, R::MqttTab,
                "Announce the sensors to Home Assistant (discovery)."},
    SettingName{"dashboard-enable", S::HttpEnable, F::YesNo, R::DashboardTab,
                "Serve the dashboard, the HTTP API and the Prometheus metrics."},
    SettingName{"dashboard-port", S::HttpPort, F::Number, R::DashboardTab,
                "The dashboard's port, 1 to 65535, not the TCP server's."},
    SettingName{"dashboard-local-only", S::HttpLocalOnly, F::YesNo, R::DashboardTab,
                "Only this computer may reach the dashboard; no lets other machines in, without a password."},
    SettingName{"influx-enable", S::InfluxEnable, F::YesNo, R::InfluxTab, "Upload the history to InfluxDB."},
    SettingName{"influx-url", S::InfluxUrl, F::Text, R::InfluxTab,
                "The InfluxDB server's address, such as http://localhost:8086."},
    SettingName{"influx-api", S::InfluxApi, F::Number, R::InfluxTab,
                "The InfluxDB API: 1 (a database, with a user and password) or 2 (an organisation's bucket, with a "
                "token)."},
    SettingName{"influx-database", S::InfluxDatabase, F::Text, R::InfluxTab, "The database (API 1)."},
    SettingName{"influx-user", S::InfluxUser, F::Text, R::InfluxTab, "The user name (API 1)."},
    SettingName{"influx-password", S::InfluxPassword, F::Secret, R::InfluxTab, "The password (API 1)."},
    SettingName{"influx-org", S::InfluxOrg, F::Text, R::InfluxTab, "The organisation (API 2)."},
    SettingName{"influx-bucket", S::InfluxBucket, F::Text, R::InfluxTab, "The bucket (API 2)."},
    SettingName{"influx-token", S::InfluxToken, F::Secret, R::InfluxTab, "An API token that may write to the bucket (API 2)."},
    SettingName{"influx-resolution", S::InfluxResolution, F::Resolution, R::InfluxTab,
                "What is uploaded: packet (every packet) or minute (the minutes alone)."},
};

constexpr std::array kProgramState = {S::PreResetVal1, S::PreResetVal2, S::PreResetValP1, S::PreResetValP2,
                                      S::E1B,          S::E2B,          S::E1BP,          S::E2BP,
                                      S::KVOresetCount, S::KVOCounter,  S::ImportWs1,     S::ExportWs1,
                                      S::ImportWs2,    S::ExportWs2,    S::EnergyBase1,   S::EnergyBase2};

struct Choice {
    std::string_view shown;
    std::string_view stored;
};

constexpr std::array<Choice, 4> kConnections = {{{"usb", "8"}, {"zigbee1", "1"}, {"zigbee2", "2"}, {"none", "0"}}};

std::string lowered(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

} // namespace

std::span<const SettingName> settingNames()
{
    return kNames;
}

const SettingName* findSettingName(std::string_view word)
{
    const auto found = std::find_if(kNames.begin(), kNames.end(), [word](const SettingName& name) {
        return name.name == word || settingKey(name.key).name == word;
    });
    return found == kNames.end() ? nullptr : &*found;
}

const SettingName& settingNameOf(Setting key)
{
    const auto found = std::find_if(kNames.begin(), kNames.end(), [key](const SettingName& name) { return name.key == key; });
    if (found == kNames.end())
        throw std::invalid_argument("no readable name for the setting " + std::string(settingKey(key).name));
    return *found;
}

std::span<const Setting> programStateKeys()
{
    return kProgramState;
}

bool isProgramState(Setting key)
{
    return std::find(kProgramState.begin(), kProgramState.end(), key) != kProgramState.end();
}

std::string shownText(ValueForm form, std::string_view stored)
{
    switch (form) {
    case F::YesNo:
        return parseBoolean(stored).value_or(false) ? "yes" : "no";
    case F::Connection: {
        const auto found = std::find_if(kConnections.begin(), kConnections.end(),
                                        [stored](const Choice& choice) { return choice.stored == stored; });
        return std::string(found == kConnections.end() ? std::string_view("none") : found->shown);
    }
    case F::TriggerPush:
        return stored == "2" ? "grey" : stored == "1" ? "yes" : "no";
    case F::Text:
    case F::Secret:
    case F::Number:
    case F::Resolution:
        break;
    }
    return std::string(stored);
}

std::string shownValue(const SettingName& name, const SettingsValues& values)
{
    return shownText(name.form, settingKey(name.key).save(values));
}

std::string shownDefault(const SettingName& name)
{
    return shownText(name.form, settingKey(name.key).defaultText);
}

std::vector<std::string_view> valueChoices(ValueForm form)
{
    switch (form) {
    case F::YesNo:
    case F::TriggerPush:
        return {"yes", "no"};
    case F::Connection:
        return {"usb", "zigbee1", "zigbee2"};
    case F::Resolution:
        return {"packet", "minute"};
    case F::Text:
    case F::Secret:
    case F::Number:
        break;
    }
    return {};
}

std::optional<bool> typedYesNo(std::string_view text)
{
    const std::string word = lowered(text);
    if (word == "yes" || word == "true" || word == "on" || word == "1")
        return true;
    if (word == "no" || word == "false" || word == "off" || word == "0")
        return false;
    return std::nullopt;
}

std::optional<std::string_view> typedConnection(std::string_view text)
{
    const std::string word = lowered(text);
    const auto chosen = valueChoices(F::Connection);
    if (std::find(chosen.begin(), chosen.end(), word) == chosen.end())
        return std::nullopt;
    const auto found = std::find_if(kConnections.begin(), kConnections.end(),
                                    [&word](const Choice& choice) { return choice.shown == word; });
    return found->stored;
}
