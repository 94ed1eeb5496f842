// The monitor's configuration as its 33-byte settings block carries it, and the texts
// in which it is shown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace settings_block {
// What the monitor sends after "SET" "RCV"; the program reads the first 32 bytes.
constexpr int kLength = 33;
constexpr int kReadLength = 32;
} // namespace settings_block

struct MonitorSettings {
    std::uint8_t ct1Type = 100;
    std::uint8_t ct1Range = 5;
    std::uint8_t ct2Type = 167;
    std::uint8_t ct2Range = 4;
    std::uint8_t ptType = 1;
    std::uint8_t ptRange = 2;
    std::uint16_t interval = 15;   // data logger storage interval, minutes
    std::uint16_t firmware = 1234; // firmware version times 1000
    std::uint8_t deviceId = 33;

    bool operator==(const MonitorSettings&) const = default;
};

// Reads bytes 1-11 of the block (big-endian 16-bit fields); bytes 12 on are not used.
// Fewer than 11 bytes leave the missing fields at 0.
MonitorSettings decodeSettingsBlock(std::string_view block);

// The whole block as the monitor sends it: the fields, then zeros up to 33 bytes.
std::string encodeSettingsBlock(const MonitorSettings& settings);

// The setup window's boxes, by their names.
struct SettingsTexts {
    std::string Text1; // CH1 CT type
    std::string Text2; // CH1 CT range
    std::string Text3; // CH2 CT type
    std::string Text4; // CH2 CT range
    std::string Text6; // PT type
    std::string Text7; // PT range
    std::string Text5; // storage interval
    std::string Text8; // firmware version
    std::string Text9; // device ID

    bool operator==(const SettingsTexts&) const = default;
};

// Each number with the blank that reserves its sign position; the firmware "#.###".
SettingsTexts settingsTexts(const MonitorSettings& settings, char decimalSymbol);

// " 15": a number as text with its sign position, a blank for positive numbers.
std::string signPositionText(int value);

// The firmware version (times 1000) by the pattern "#.###": no zero before the point,
// trailing zeros dropped, the point always there (1234 "1.234", 2000 "2.", 500 ".5").
std::string firmwareVersionText(std::uint16_t thousandths, char decimalSymbol);

// The block as "name=value" lines in the fixed order ct1_type ... device_id, plain
// numbers, the firmware with '.' and three decimals.
std::string settingsListing(const MonitorSettings& settings);
