// The monitor link's own state. The link alone writes it; everyone else reads it
// through the monitor's const access.
#pragma once

#include <cstdint>

// What the monitor was last told of its real-time mode.
enum class RealTimeRequest {
    None,    // nothing yet, or a stop whose hold on the input has been released
    Started, // a start was acknowledged and no stop since
    Stopped, // a stop was acknowledged; the packet receiver stays away until the next job ends
};

struct LinkState {
    // Real-time data is arriving (set by a start and by the watchdog).
    bool RealTimeOn = false;
    // Watchdog ticks since the last packet byte.
    std::int16_t NoDataSeconds = 0;
    // The ZigBee node has been found, or the connection method needs none.
    bool ZigbeeFound = false;
    RealTimeRequest lastRequest = RealTimeRequest::None;

    // A job has ended: the hold a stop put on the packet receiver is over.
    void releaseInputHold()
    {
        if (lastRequest == RealTimeRequest::Stopped)
            lastRequest = RealTimeRequest::None;
    }
};
