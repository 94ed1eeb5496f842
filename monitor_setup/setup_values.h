// The monitor's limits for the values it is given, and what the setup window's boxes
// hold as those values: each check returns the value, or the refusal to show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A transformer's type and range, in this order.
using TypeAndRange = std::pair<std::uint8_t, std::uint8_t>;

// Inclusive limits.
struct SettingLimits {
    int lowest;
    int highest;

    bool holds(double value) const { return value >= lowest && value <= highest; }
};

namespace setting_limits {
constexpr SettingLimits TransformerType{0, 255};
constexpr SettingLimits TransformerRange{1, 10};
constexpr SettingLimits StorageInterval{1, 255}; // minutes
constexpr SettingLimits DeviceId{0, 127};
} // namespace setting_limits

// Why a box was refused: the lines for the setup window's status list (which is cleared
// first), and the message box.
struct Refusal {
    std::vector<std::string> lines;
    std::string message;

    bool operator==(const Refusal&) const = default;
};

template <typename T>
struct BoxVerdict {
    std::optional<T> value;
    Refusal refusal; // when there is no value
};

// A box is read by its leading number, rounded; a text that is no number is 0. Values
// that do not fit a byte are refused first, then a range outside 1-10.
BoxVerdict<TypeAndRange> currentTransformerBoxes(int channel, std::string_view typeText, std::string_view rangeText);
BoxVerdict<TypeAndRange> potentialTransformerBoxes(std::string_view typeText, std::string_view rangeText);
BoxVerdict<std::uint8_t> storageIntervalBox(std::string_view text);
BoxVerdict<std::uint8_t> deviceIdBox(std::string_view text);
