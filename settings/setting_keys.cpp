// The table of persisted settings and the orders in which they are loaded and saved.
#include "settings/setting_keys.h"

#include "common/number_text.h"
#include "link/program_state.h"
#include "common/web_host.h"

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

// Each maker takes a generic accessor, [](auto& s) -> auto& { return s.Field; },
// so the same lambda reads a const state and writes a mutable one.

template <typename Field>
SettingKey numberKey(std::string_view name, std::string_view defaultText, Field field)
{
    return {name, defaultText,
            [field](ProgramState& s, std::string_view text) {
                const auto value = parseNumber(text);
                if (value)
                    field(s) = *value;
                return value.has_value();
            },
            [field](const ProgramState& s) { return generalNumberText(field(s)); }};
}

template <typename Whole, typename Field>
SettingKey wholeKey(std::string_view name, std::string_view defaultText, Field field,
                    std::int64_t minimum = std::numeric_limits<Whole>::min(),
                    std::int64_t maximum = std::numeric_limits<Whole>::max())
{
    return {name, defaultText,
            [field, minimum, maximum](ProgramState& s, std::string_view text) {
                const auto value = parseWholeNumber(text, minimum, maximum);
                if (value)
                    field(s) = static_cast<Whole>(*value);
                return value.has_value();
            },
            [field](const ProgramState& s) { return std::to_string(field(s)); }};
}

template <typename Field>
SettingKey booleanKey(std::string_view name, Field field)
{
    return {name, "False",
            [field](ProgramState& s, std::string_view text) {
                const auto value = parseBoolean(text);
                if (value)
                    field(s) = *value;
                return value.has_value();
            },
            [field](const ProgramState& s) { return booleanText(field(s)); }};
}

bool anyText(std::string_view)
{
    return true;
}

bool webHostText(std::string_view text)
{
    return parseWebHost(text).has_value();
}

template <typename Field>
SettingKey textKey(std::string_view name, std::string_view defaultText, Field field,
                   bool (*accepts)(std::string_view) = anyText)
{
    return {name, defaultText,
            [field, accepts](ProgramState& s, std::string_view text) {
                if (!accepts(text))
                    return false;
                field(s) = std::string(text);
                return true;
            },
            [field](const ProgramState& s) { return field(s); }};
}

std::vector<SettingKey> makeTable()
{
    return {
        wholeKey<std::int16_t>("ComPort", "1", [](auto& s) -> auto& { return s.ComPortNum; }),
        wholeKey<std::int16_t>("TCPport", "1234", [](auto& s) -> auto& { return s.TCPportNum; }),
        wholeKey<std::uint8_t>("ZigbeeVersion", "0", [](auto& s) -> auto& { return s.CommMethod; }),
        numberKey("Rate", "0.126", [](auto& s) -> auto& { return s.Rate; }),
        booleanKey("StartupComIsOn", [](auto& s) -> auto& { return s.StartupComIsOn; }),
        booleanKey("StartupRTLisOn", [](auto& s) -> auto& { return s.StartupRTLisOn; }),
        booleanKey("StartupServerIsOn", [](auto& s) -> auto& { return s.StartupServerIsOn; }),
        booleanKey("StartupListen", [](auto& s) -> auto& { return s.StartupListen; }),
        numberKey("PreResetVal1", "0", [](auto& s) -> auto& { return s.readings.PreResetVal1; }),
        numberKey("PreResetVal2", "0", [](auto& s) -> auto& { return s.readings.PreResetVal2; }),
        numberKey("PreResetValP1", "0", [](auto& s) -> auto& { return s.readings.PreResetValP1; }),
        numberKey("PreResetValP2", "0", [](auto& s) -> auto& { return s.readings.PreResetValP2; }),
        numberKey("E1B", "0", [](auto& s) -> auto& { return s.readings.PrevAbsWs1; }),
        numberKey("E2B", "0", [](auto& s) -> auto& { return s.readings.PrevAbsWs2; }),
        numberKey("E1BP", "0", [](auto& s) -> auto& { return s.PrevPolWs1; }),
        numberKey("E2BP", "0", [](auto& s) -> auto& { return s.PrevPolWs2; }),
        wholeKey<int>("KVOresetCount", "0", [](auto& s) -> auto& { return s.readings.KVOresetCount; }, 0, 7),
        wholeKey<std::int32_t>("KVOCounter", "0", [](auto& s) -> auto& { return s.readings.SecondsCounter; }),
        wholeKey<std::int16_t>("VexThresT", "60", [](auto& s) -> auto& { return s.VexThresT; }),
        wholeKey<std::int16_t>("VexThres1", "60", [](auto& s) -> auto& { return s.VexThres1; }),
        wholeKey<std::int16_t>("VexThres2", "60", [](auto& s) -> auto& { return s.VexThres2; }),
        textKey("VexUser", "****", [](auto& s) -> auto& { return s.VexUser; }),
        booleanKey("VexWriteEnable", [](auto& s) -> auto& { return s.VexWriteEnable; }),
        wholeKey<std::uint8_t>("AutoWriteLocal", "0", [](auto& s) -> auto& { return s.AutoWriteLocal; }),
        textKey("WebHost", "www.kvo7730.com", [](auto& s) -> auto& { return s.WebHost; }, webHostText),
    };
}

constexpr std::array<std::string_view, 25> kStartupLoadOrder = {
    "ComPort", "TCPport", "ZigbeeVersion", "Rate", "StartupComIsOn", "StartupRTLisOn",
    "StartupServerIsOn", "StartupListen", "PreResetVal1", "PreResetVal2", "PreResetValP1",
    "PreResetValP2", "E1B", "E2B", "E1BP", "E2BP", "KVOresetCount", "KVOCounter", "VexThresT",
    "VexThres1", "VexThres2", "VexUser", "VexWriteEnable", "AutoWriteLocal", "WebHost"};

constexpr std::array<std::string_view, 20> kShutdownSaveOrder = {
    "PreResetVal1", "PreResetVal2", "PreResetValP1", "PreResetValP2", "StartupComIsOn",
    "StartupRTLisOn", "ZigbeeVersion", "E1B", "E2B", "E1BP", "E2BP", "KVOresetCount", "KVOCounter",
    "Rate", "VexThresT", "VexThres1", "VexThres2", "VexUser", "VexWriteEnable", "WebHost"};

constexpr std::array<std::string_view, 15> kPeriodicSaveOrder = {
    "PreResetVal1", "PreResetVal2", "PreResetValP1", "PreResetValP2", "E1BP", "E2BP", "E1B", "E2B",
    "KVOresetCount", "KVOCounter", "VexThresT", "VexThres1", "VexThres2", "VexUser", "VexWriteEnable"};

} // namespace

std::span<const SettingKey> settingKeys()
{
    static const std::vector<SettingKey> table = makeTable();
    return table;
}

const SettingKey& settingKey(std::string_view name)
{
    for (const SettingKey& key : settingKeys()) {
        if (key.name == name)
            return key;
    }
    throw std::invalid_argument("unknown setting key: " + std::string(name));
}

std::span<const std::string_view> startupLoadOrder()
{
    return kStartupLoadOrder;
}

std::span<const std::string_view> shutdownSaveOrder()
{
    return kShutdownSaveOrder;
}

std::span<const std::string_view> periodicSaveOrder()
{
    return kPeriodicSaveOrder;
}
