// The checks of the setup window's boxes.
#include "monitor_setup/setup_values.h"

#include "common/number_text.h"

namespace {

double boxValue(std::string_view text)
{
    return roundHalfEven(leadingNumber(text));
}

std::optional<std::uint8_t> boxByte(std::string_view text)
{
    const double value = boxValue(text);
    if (!setting_limits::TransformerType.holds(value))
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

BoxVerdict<TypeAndRange> transformerBoxes(std::string_view typeText, std::string_view rangeText, Refusal notBytes)
{
    const auto type = boxByte(typeText);
    const auto range = boxByte(rangeText);
    if (!type || !range)
        return {std::nullopt, std::move(notBytes)};
    if (!setting_limits::TransformerRange.holds(*range))
        return {std::nullopt, {{}, "Improper Range"}};
    return {TypeAndRange{*type, *range}, {}};
}

BoxVerdict<std::uint8_t> limitedBox(std::string_view text, SettingLimits limits, std::string message)
{
    const double value = boxValue(text);
    if (!limits.holds(value))
        return {std::nullopt, {{}, std::move(message)}};
    return {static_cast<std::uint8_t>(value), {}};
}

} // namespace

BoxVerdict<TypeAndRange> currentTransformerBoxes(int channel, std::string_view typeText, std::string_view rangeText)
{
    return transformerBoxes(typeText, rangeText,
                            {{"PROBLEM Modifying CH" + std::to_string(channel) + " CT Type and Range",
                              "The CT type and range must be whole numbers from 0 to 255."},
                             "Error writing CT setup values"});
}

BoxVerdict<TypeAndRange> potentialTransformerBoxes(std::string_view typeText, std::string_view rangeText)
{
    return transformerBoxes(typeText, rangeText,
                            {{"The PT type and range must be whole numbers from 0 to 255."},
                             "Error writing PT setup values"});
}

BoxVerdict<std::uint8_t> storageIntervalBox(std::string_view text)
{
    return limitedBox(text, setting_limits::StorageInterval, "Invalid Storage Interval Value");
}

BoxVerdict<std::uint8_t> deviceIdBox(std::string_view text)
{
    return limitedBox(text, setting_limits::DeviceId, "Invalid Device ID Value");
}
