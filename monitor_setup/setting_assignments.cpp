// Reading "name=value" words into setting changes.
#include "monitor_setup/setting_assignments.h"

#include "common/number_text.h"

#include <cmath>
#include <tuple>

namespace {

std::optional<std::int64_t> wholeIn(std::string_view text, std::int64_t maximum)
{
    // Whole numbers only: "4.5" for a range is a typing error, not a value to round.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return parseWholeNumber(text, 0, maximum);
}

std::optional<TypeAndRange> typeAndRange(std::string_view text)
{
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const auto type = wholeIn(text.substr(0, comma), 255);
    const auto range = wholeIn(text.substr(comma + 1), 255);
    if (!type || !range)
        return std::nullopt;
    return TypeAndRange{static_cast<std::uint8_t>(*type), static_cast<std::uint8_t>(*range)};
}

std::optional<std::uint16_t> firmwareThousandths(std::string_view text)
{
    const auto version = parseNumber(text);
    if (!version || *version < 0 || *version * 1000 > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(std::lround(*version * 1000));
}

} // namespace

ParsedAssignments parseSettingAssignments(const std::vector<std::string>& words, bool firmwareAllowed)
{
    SettingChanges changes;
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string_view value =
            equals == std::string::npos ? std::string_view() : std::string_view(word).substr(equals + 1);
        bool understood = false;
        if (name == "ct1" || name == "ct2" || name == "pt") {
            const auto pair = typeAndRange(value);
            (name == "ct1" ? changes.ct1 : name == "ct2" ? changes.ct2 : changes.pt) = pair;
            understood = pair.has_value();
        } else if (name == "interval") {
            const auto minutes = wholeIn(value, 65535);
            if (minutes)
                changes.interval = static_cast<std::uint16_t>(*minutes);
            understood = minutes.has_value();
        } else if (name == "id") {
            const auto id = wholeIn(value, 255);
            if (id)
                changes.deviceId = static_cast<std::uint8_t>(*id);
            understood = id.has_value();
        } else if (name == "firmware" && firmwareAllowed) {
            changes.firmware = firmwareThousandths(value);
            understood = changes.firmware.has_value();
        }
        if (!understood || equals == std::string::npos)
            return {std::nullopt, "Not a setting: \"" + word + "\""};
    }
    return {changes, {}};
}

std::optional<std::string> outsideMonitorLimits(const SettingChanges& changes)
{
    const std::pair<const char*, const std::optional<TypeAndRange>*> transformers[] = {
        {"ct1", &changes.ct1}, {"ct2", &changes.ct2}, {"pt", &changes.pt}};
    for (const auto& [name, change] : transformers) {
        if (*change && !setting_limits::TransformerRange.holds((*change)->second))
            return std::string(name) + "=" + std::to_string((*change)->first) + "," + std::to_string((*change)->second)
                + ": the range must be from 1 to 10.";
    }
    if (changes.interval && !setting_limits::StorageInterval.holds(*changes.interval))
        return "interval=" + std::to_string(*changes.interval) + ": the storage interval must be from 1 to 255 minutes.";
    if (changes.deviceId && !setting_limits::DeviceId.holds(*changes.deviceId))
        return "id=" + std::to_string(*changes.deviceId) + ": the device ID must be from 0 to 127.";
    return std::nullopt;
}

MonitorSettings withChanges(MonitorSettings settings, const SettingChanges& changes)
{
    if (changes.ct1)
        std::tie(settings.ct1Type, settings.ct1Range) = *changes.ct1;
    if (changes.ct2)
        std::tie(settings.ct2Type, settings.ct2Range) = *changes.ct2;
    if (changes.pt)
        std::tie(settings.ptType, settings.ptRange) = *changes.pt;
    if (changes.interval)
        settings.interval = *changes.interval;
    if (changes.firmware)
        settings.firmware = *changes.firmware;
    if (changes.deviceId)
        settings.deviceId = *changes.deviceId;
    return settings;
}
