// The settings block's layout and the texts of its fields.
#include "monitor_setup/settings_block.h"

#include <cstdio>

namespace {

// Byte positions in the block, counted from 0.
enum Field : std::size_t {
    Ct1Type, Ct1Range, Ct2Type, Ct2Range, PtType, PtRange,
    IntervalHigh, IntervalLow, FirmwareHigh, FirmwareLow, DeviceId,
    FieldCount
};

std::uint8_t byteAt(std::string_view block, std::size_t position)
{
    return position < block.size() ? static_cast<std::uint8_t>(block[position]) : 0;
}

std::uint16_t wordAt(std::string_view block, std::size_t high)
{
    return static_cast<std::uint16_t>(byteAt(block, high) * 256 + byteAt(block, high + 1));
}

} // namespace

MonitorSettings decodeSettingsBlock(std::string_view block)
{
    MonitorSettings settings;
    settings.ct1Type = byteAt(block, Ct1Type);
    settings.ct1Range = byteAt(block, Ct1Range);
    settings.ct2Type = byteAt(block, Ct2Type);
    settings.ct2Range = byteAt(block, Ct2Range);
    settings.ptType = byteAt(block, PtType);
    settings.ptRange = byteAt(block, PtRange);
    // Held unsigned: a high byte of 128 or more shows its true value, not a negative one.
    settings.interval = wordAt(block, IntervalHigh);
    settings.firmware = wordAt(block, FirmwareHigh);
    settings.deviceId = byteAt(block, DeviceId);
    return settings;
}

std::string encodeSettingsBlock(const MonitorSettings& settings)
{
    std::string block(settings_block::kLength, '\0');
    const std::uint8_t fields[FieldCount] = {
        settings.ct1Type, settings.ct1Range, settings.ct2Type, settings.ct2Range, settings.ptType,
        settings.ptRange, static_cast<std::uint8_t>(settings.interval >> 8),
        static_cast<std::uint8_t>(settings.interval & 0xFF), static_cast<std::uint8_t>(settings.firmware >> 8),
        static_cast<std::uint8_t>(settings.firmware & 0xFF), settings.deviceId};
    for (std::size_t i = 0; i < FieldCount; ++i)
        block[i] = static_cast<char>(fields[i]);
    return block;
}

std::string signPositionText(int value)
{
    return (value < 0 ? "" : " ") + std::to_string(value);
}

std::string firmwareVersionText(std::uint16_t thousandths, char decimalSymbol)
{
    const int whole = thousandths / 1000;
    std::string fraction = std::to_string(1000 + thousandths % 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    return (whole == 0 ? std::string() : std::to_string(whole)) + decimalSymbol + fraction;
}

SettingsTexts settingsTexts(const MonitorSettings& settings, char decimalSymbol)
{
    return {.Text1 = signPositionText(settings.ct1Type),
            .Text2 = signPositionText(settings.ct1Range),
            .Text3 = signPositionText(settings.ct2Type),
            .Text4 = signPositionText(settings.ct2Range),
            .Text6 = signPositionText(settings.ptType),
            .Text7 = signPositionText(settings.ptRange),
            .Text5 = signPositionText(settings.interval),
            .Text8 = firmwareVersionText(settings.firmware, decimalSymbol),
            .Text9 = signPositionText(settings.deviceId)};
}

std::string settingsListing(const MonitorSettings& settings)
{
    char firmware[16];
    std::snprintf(firmware, sizeof firmware, "%d.%03d", settings.firmware / 1000, settings.firmware % 1000);
    const std::pair<const char*, std::string> lines[] = {
        {"ct1_type", std::to_string(settings.ct1Type)}, {"ct1_range", std::to_string(settings.ct1Range)},
        {"ct2_type", std::to_string(settings.ct2Type)}, {"ct2_range", std::to_string(settings.ct2Range)},
        {"pt_type", std::to_string(settings.ptType)},   {"pt_range", std::to_string(settings.ptRange)},
        {"interval", std::to_string(settings.interval)}, {"firmware", firmware},
        {"device_id", std::to_string(settings.deviceId)}};
    std::string listing;
    for (const auto& [name, value] : lines)
        listing += std::string(name) + '=' + value + '\n';
    return listing;
}
