// The monitor link's own state. The link alone writes it; everyone else reads it
// through the monitor's const access.
#pragma once

#include <cstdint>

struct LinkState {
    // Real-time data is arriving (set by a start and by the watchdog).
    bool RealTimeOn = false;
    // Watchdog ticks since the last packet byte.
    std::int16_t NoDataSeconds = 0;
    // The ZigBee node has been found, or the connection method needs none.
    bool ZigbeeFound = false;
};
