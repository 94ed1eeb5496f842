// The table of persisted settings and the orders in which they are loaded and saved.
#include "settings/setting_keys.h"

#include "common/number_text.h"
#include "common/web_host.h"
#include "settings/influx_option_fields.h"
#include "settings/mqtt_option_fields.h"
#include "settings/option_fields.h"
#include "settings/settings_values.h"

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

// Each maker takes a generic accessor, [](auto& s) -> auto& { return s.Field; },
// so the same lambda reads a const state and writes a mutable one.

// Counters and their offsets are never negative: a negative one would serve falling
// totals, so a stored one is taken as damaged.
constexpr double kNotNegative = 0;

template <typename Field>
SettingKey numberKey(Setting id, std::string_view name, std::string_view defaultText, Field field,
                     double minimum = kNotNegative)
{
    return {id, name, defaultText,
            [field, minimum](SettingsValues& s, std::string_view text) {
                const auto value = parseNumber(text);
                const bool usable = value && *value >= minimum;
                if (usable)
                    field(s) = *value;
                return usable;
            },
            [field](const SettingsValues& s) { return generalNumberText(field(s)); }};
}

template <typename Whole, typename Field>
SettingKey wholeKey(Setting id, std::string_view name, std::string_view defaultText, Field field,
                    std::int64_t minimum = std::numeric_limits<Whole>::min(),
                    std::int64_t maximum = std::numeric_limits<Whole>::max())
{
    return {id, name, defaultText,
            [field, minimum, maximum](SettingsValues& s, std::string_view text) {
                const auto value = parseWholeNumber(text, minimum, maximum);
                if (value)
                    field(s) = static_cast<Whole>(*value);
                return value.has_value();
            },
            [field](const SettingsValues& s) { return std::to_string(field(s)); }};
}

template <typename Field>
SettingKey booleanKey(Setting id, std::string_view name, Field field, std::string_view defaultText = "False")
{
    return {id, name, defaultText,
            [field](SettingsValues& s, std::string_view text) {
                const auto value = parseBoolean(text);
                if (value)
                    field(s) = *value;
                return value.has_value();
            },
            [field](const SettingsValues& s) { return booleanText(field(s)); }};
}

bool anyText(std::string_view)
{
    return true;
}

bool webHostText(std::string_view text)
{
    return parseWebHost(text).has_value();
}

bool mqttTopicText(std::string_view text)
{
    return usableBaseTopic(text);
}

bool influxUrlText(std::string_view text)
{
    return !influxUrlProblem(text);
}

template <typename Field>
SettingKey textKey(Setting id, std::string_view name, std::string_view defaultText, Field field,
                   bool (*accepts)(std::string_view) = anyText)
{
    return {id, name, defaultText,
            [field, accepts](SettingsValues& s, std::string_view text) {
                if (!accepts(text))
                    return false;
                field(s) = std::string(text);
                return true;
            },
            [field](const SettingsValues& s) { return field(s); }};
}

// The counters the energy totals have counted up to, "absolute;polarised", or empty
// before the first packet.
template <typename Field>
SettingKey energyBaseKey(Setting id, std::string_view name, Field field)
{
    return {id, name, "",
            [field](SettingsValues& s, std::string_view text) {
                if (text.empty()) {
                    field(s).reset();
                    return true;
                }
                const auto separator = text.find(';');
                if (separator == std::string_view::npos)
                    return false;
                const auto absolute = parseNumber(text.substr(0, separator));
                const auto polarised = parseNumber(text.substr(separator + 1));
                if (!absolute || !polarised || *absolute < 0 || *polarised < 0)
                    return false;
                field(s) = ChannelCounters{*absolute, *polarised};
                return true;
            },
            [field](const SettingsValues& s) {
                const auto& base = field(s);
                return base ? generalNumberText(base->absWs) + ";" + generalNumberText(base->polWs) : std::string();
            }};
}

SettingKey resolutionKey()
{
    return {Setting::InfluxResolution, "InfluxResolution", "packet",
            [](SettingsValues& s, std::string_view text) {
                const auto value = parseResolution(text);
                if (value)
                    s.InfluxResolution = *value;
                return value.has_value();
            },
            [](const SettingsValues& s) { return std::string(resolutionText(s.InfluxResolution)); }};
}

std::vector<SettingKey> makeTable()
{
    return {
        wholeKey<std::int16_t>(Setting::ComPort, "ComPort", "1", [](auto& s) -> auto& { return s.ComPortNum; }),
        wholeKey<std::int32_t>(Setting::TCPport, "TCPport", "1234", [](auto& s) -> auto& { return s.TCPportNum; }, 1, 65535),
        wholeKey<std::uint8_t>(Setting::ZigbeeVersion, "ZigbeeVersion", "0", [](auto& s) -> auto& { return s.CommMethod; }),
        numberKey(Setting::Rate, "Rate", "0.126", [](auto& s) -> auto& { return s.Rate; }, kLowestRate),
        booleanKey(Setting::StartupComIsOn, "StartupComIsOn", [](auto& s) -> auto& { return s.StartupComIsOn; }),
        booleanKey(Setting::StartupRTLisOn, "StartupRTLisOn", [](auto& s) -> auto& { return s.StartupRTLisOn; }),
        booleanKey(Setting::StartupServerIsOn, "StartupServerIsOn", [](auto& s) -> auto& { return s.StartupServerIsOn; }),
        booleanKey(Setting::StartupListen, "StartupListen", [](auto& s) -> auto& { return s.StartupListen; }),
        numberKey(Setting::PreResetVal1, "PreResetVal1", "0", [](auto& s) -> auto& { return s.counters.PreResetVal1; }),
        numberKey(Setting::PreResetVal2, "PreResetVal2", "0", [](auto& s) -> auto& { return s.counters.PreResetVal2; }),
        numberKey(Setting::PreResetValP1, "PreResetValP1", "0", [](auto& s) -> auto& { return s.counters.PreResetValP1; }),
        numberKey(Setting::PreResetValP2, "PreResetValP2", "0", [](auto& s) -> auto& { return s.counters.PreResetValP2; }),
        numberKey(Setting::E1B, "E1B", "0", [](auto& s) -> auto& { return s.counters.PrevAbsWs1; }),
        numberKey(Setting::E2B, "E2B", "0", [](auto& s) -> auto& { return s.counters.PrevAbsWs2; }),
        numberKey(Setting::E1BP, "E1BP", "0", [](auto& s) -> auto& { return s.PrevPolWs1; }),
        numberKey(Setting::E2BP, "E2BP", "0", [](auto& s) -> auto& { return s.PrevPolWs2; }),
        wholeKey<int>(Setting::KVOresetCount, "KVOresetCount", "0", [](auto& s) -> auto& { return s.counters.KVOresetCount; }, 0, 7),
        wholeKey<std::int32_t>(Setting::KVOCounter, "KVOCounter", "0", [](auto& s) -> auto& { return s.counters.SecondsCounter; }, 0),
        wholeKey<std::int16_t>(Setting::VexThresT, "VexThresT", "60", [](auto& s) -> auto& { return s.VexThresT; }, kWriteIntervalField.minimum),
        wholeKey<std::int16_t>(Setting::VexThres1, "VexThres1", "60", [](auto& s) -> auto& { return s.VexThres1; }, kPowerChangeField.minimum),
        wholeKey<std::int16_t>(Setting::VexThres2, "VexThres2", "60", [](auto& s) -> auto& { return s.VexThres2; }, kPowerChangeField.minimum),
        textKey(Setting::VexUser, "VexUser", "****", [](auto& s) -> auto& { return s.VexUser; }),
        booleanKey(Setting::VexWriteEnable, "VexWriteEnable", [](auto& s) -> auto& { return s.VexWriteEnable; }),
        wholeKey<std::uint8_t>(Setting::AutoWriteLocal, "AutoWriteLocal", "0", [](auto& s) -> auto& { return s.AutoWriteLocal; }, 0, kGreyTriggerPush),
        textKey(Setting::WebHost, "WebHost", "www.kvo7730.com", [](auto& s) -> auto& { return s.WebHost; }, webHostText),
        booleanKey(Setting::TCPlocalOnly, "TCPlocalOnly", [](auto& s) -> auto& { return s.TCPlocalOnly; }),
        booleanKey(Setting::MqttEnable, "MqttEnable", [](auto& s) -> auto& { return s.MqttEnable; }),
        textKey(Setting::MqttHost, "MqttHost", "", [](auto& s) -> auto& { return s.MqttHost; }),
        wholeKey<std::int32_t>(Setting::MqttPort, "MqttPort", "1883", [](auto& s) -> auto& { return s.MqttPort; }, 1, 65535),
        booleanKey(Setting::MqttTLS, "MqttTLS", [](auto& s) -> auto& { return s.MqttTLS; }),
        textKey(Setting::MqttCAFile, "MqttCAFile", "", [](auto& s) -> auto& { return s.MqttCAFile; }),
        textKey(Setting::MqttUser, "MqttUser", "", [](auto& s) -> auto& { return s.MqttUser; }),
        textKey(Setting::MqttPassword, "MqttPassword", "", [](auto& s) -> auto& { return s.MqttPassword; }),
        textKey(Setting::MqttTopic, "MqttTopic", "", [](auto& s) -> auto& { return s.MqttTopic; }, mqttTopicText),
        booleanKey(Setting::MqttDiscovery, "MqttDiscovery", [](auto& s) -> auto& { return s.MqttDiscovery; }, "True"),
        booleanKey(Setting::ShowReadingsAtStart, "ShowReadingsAtStart", [](auto& s) -> auto& { return s.ShowReadingsAtStart; }),
        numberKey(Setting::ImportWs1, "ImportWs1", "0", [](auto& s) -> auto& { return s.counters.Energy1.importedWs; }),
        numberKey(Setting::ExportWs1, "ExportWs1", "0", [](auto& s) -> auto& { return s.counters.Energy1.exportedWs; }),
        numberKey(Setting::ImportWs2, "ImportWs2", "0", [](auto& s) -> auto& { return s.counters.Energy2.importedWs; }),
        numberKey(Setting::ExportWs2, "ExportWs2", "0", [](auto& s) -> auto& { return s.counters.Energy2.exportedWs; }),
        energyBaseKey(Setting::EnergyBase1, "EnergyBase1", [](auto& s) -> auto& { return s.counters.Energy1.last; }),
        energyBaseKey(Setting::EnergyBase2, "EnergyBase2", [](auto& s) -> auto& { return s.counters.Energy2.last; }),
        booleanKey(Setting::HttpEnable, "HttpEnable", [](auto& s) -> auto& { return s.HttpEnable; }, "True"),
        wholeKey<std::int32_t>(Setting::HttpPort, "HttpPort", "7730", [](auto& s) -> auto& { return s.HttpPort; }, 1, 65535),
        booleanKey(Setting::HttpLocalOnly, "HttpLocalOnly", [](auto& s) -> auto& { return s.HttpLocalOnly; }, "True"),
        booleanKey(Setting::InfluxEnable, "InfluxEnable", [](auto& s) -> auto& { return s.InfluxEnable; }),
        textKey(Setting::InfluxUrl, "InfluxUrl", "", [](auto& s) -> auto& { return s.InfluxUrl; }, influxUrlText),
        wholeKey<std::int32_t>(Setting::InfluxApi, "InfluxApi", "1", [](auto& s) -> auto& { return s.InfluxApi; }, 1, 2),
        textKey(Setting::InfluxDatabase, "InfluxDatabase", "kvo7730", [](auto& s) -> auto& { return s.InfluxDatabase; }),
        textKey(Setting::InfluxUser, "InfluxUser", "", [](auto& s) -> auto& { return s.InfluxUser; }),
        textKey(Setting::InfluxPassword, "InfluxPassword", "", [](auto& s) -> auto& { return s.InfluxPassword; }),
        textKey(Setting::InfluxOrg, "InfluxOrg", "", [](auto& s) -> auto& { return s.InfluxOrg; }),
        textKey(Setting::InfluxBucket, "InfluxBucket", "", [](auto& s) -> auto& { return s.InfluxBucket; }),
        textKey(Setting::InfluxToken, "InfluxToken", "", [](auto& s) -> auto& { return s.InfluxToken; }),
        resolutionKey(),
    };
}

using S = Setting;

constexpr std::array<Setting, 55> kStartupLoadOrder = {S::ComPort, S::TCPport, S::ZigbeeVersion, S::Rate, S::StartupComIsOn, S::StartupRTLisOn, S::StartupServerIsOn, S::StartupListen, S::PreResetVal1, S::PreResetVal2, S::PreResetValP1, S::PreResetValP2, S::E1B, S::E2B, S::E1BP, S::E2BP, S::KVOresetCount, S::KVOCounter, S::VexThresT, S::VexThres1, S::VexThres2, S::VexUser, S::VexWriteEnable, S::AutoWriteLocal, S::WebHost, S::TCPlocalOnly, S::MqttEnable, S::MqttHost, S::MqttPort, S::MqttTLS, S::MqttCAFile, S::MqttUser, S::MqttPassword, S::MqttTopic, S::MqttDiscovery, S::ShowReadingsAtStart, S::ImportWs1, S::ExportWs1, S::ImportWs2, S::ExportWs2, S::EnergyBase1, S::EnergyBase2, S::HttpEnable, S::HttpPort, S::HttpLocalOnly, S::InfluxEnable, S::InfluxUrl, S::InfluxApi, S::InfluxDatabase, S::InfluxUser, S::InfluxPassword, S::InfluxOrg, S::InfluxBucket, S::InfluxToken, S::InfluxResolution};

constexpr std::array<Setting, 9> kMqttSettings = {S::MqttEnable, S::MqttHost, S::MqttPort, S::MqttTLS, S::MqttCAFile, S::MqttUser, S::MqttPassword, S::MqttTopic, S::MqttDiscovery};

constexpr std::array<Setting, 3> kHttpSettings = {S::HttpEnable, S::HttpPort, S::HttpLocalOnly};

constexpr std::array<Setting, 10> kInfluxSettings = {S::InfluxEnable, S::InfluxUrl, S::InfluxApi, S::InfluxDatabase, S::InfluxUser, S::InfluxPassword, S::InfluxOrg, S::InfluxBucket, S::InfluxToken, S::InfluxResolution};

constexpr std::array<Setting, 26> kShutdownSaveOrder = {S::PreResetVal1, S::PreResetVal2, S::PreResetValP1, S::PreResetValP2, S::StartupComIsOn, S::StartupRTLisOn, S::ZigbeeVersion, S::E1B, S::E2B, S::E1BP, S::E2BP, S::KVOresetCount, S::KVOCounter, S::Rate, S::VexThresT, S::VexThres1, S::VexThres2, S::VexUser, S::VexWriteEnable, S::WebHost, S::ImportWs1, S::ExportWs1, S::ImportWs2, S::ExportWs2, S::EnergyBase1, S::EnergyBase2};

constexpr std::array<Setting, 21> kPeriodicSaveOrder = {S::PreResetVal1, S::PreResetVal2, S::PreResetValP1, S::PreResetValP2, S::E1BP, S::E2BP, S::E1B, S::E2B, S::KVOresetCount, S::KVOCounter, S::VexThresT, S::VexThres1, S::VexThres2, S::VexUser, S::VexWriteEnable, S::ImportWs1, S::ExportWs1, S::ImportWs2, S::ExportWs2, S::EnergyBase1, S::EnergyBase2};

} // namespace

std::span<const SettingKey> settingKeys()
{
    static const std::vector<SettingKey> table = makeTable();
    return table;
}

const SettingKey& settingKey(Setting id)
{
    // The table lists the settings in their declaration order.
    return settingKeys()[static_cast<std::size_t>(id)];
}

std::span<const Setting> startupLoadOrder()
{
    return kStartupLoadOrder;
}

std::span<const Setting> shutdownSaveOrder()
{
    return kShutdownSaveOrder;
}

std::span<const Setting> periodicSaveOrder()
{
    return kPeriodicSaveOrder;
}

std::span<const Setting> mqttSettings()
{
    return kMqttSettings;
}

std::span<const Setting> httpSettings()
{
    return kHttpSettings;
}

std::span<const Setting> influxSettings()
{
    return kInfluxSettings;
}
