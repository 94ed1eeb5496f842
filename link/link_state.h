// The monitor link's own flags and values. The link alone writes them; everyone
// else reads them through the monitor's const access.
#pragma once

#include <array>
#include <cstdint>

struct LinkState {
    // A command exchange owns the serial input; the packet receiver stays away.
    bool CmdInProgress = false;
    bool RealTimeOn = false;
    bool RTwasOn = false;
    // Watchdog ticks since the last packet byte.
    std::int16_t NoDataSeconds = 0;
    // The ZigBee node has been found, or the connection method needs none.
    bool ZigbeeFound = false;
    // The result of the port search.
    std::int16_t PortCount = 0;
    std::array<std::int16_t, 35> PortList{};
};
