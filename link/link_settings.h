// The settings that the monitor link reads. The settings owner writes them.
#pragma once

#include <cstdint>

// How the monitor is reached (stored as "ZigbeeVersion").
namespace comm_method {
constexpr std::uint8_t None = 0;
constexpr std::uint8_t ZigbeeVersion1 = 1;
constexpr std::uint8_t ZigbeeVersion2 = 2;
constexpr std::uint8_t UsbCable = 8;
} // namespace comm_method

struct LinkSettings {
    std::uint8_t CommMethod = comm_method::None;
    std::int16_t ComPortNum = 1;
    // Start the TCP server together with real time.
    bool StartupListen = false;
};
