// Faults that the emulated monitor puts into its packet stream on purpose.
#pragma once

#include <cstdint>
#include <string>

// Each "every" count N puts its fault on packets N, 2N, 3N, ... of the stream
// (counted from 1 since the emulator was made); 0 switches the fault off.
struct StreamFaults {
    int wrongChecksumEvery = 0;
    int wrongTrailerEvery = 0;
    // The seconds counter jumps back by kSecondsStepBack and carries on from there.
    int secondsBackEvery = 0;
    // A monitor reset: counters back to zero, the reset count moves on by resetStep
    // (a step other than one is a reset the program must not take for a single reset).
    int resetEvery = 0;
    int resetStep = 1;
    // kNoiseLength stray bytes are sent just before the packet.
    int noiseEvery = 0;

    static constexpr std::uint32_t kSecondsStepBack = 100;
    static constexpr int kNoiseLength = 7;

    static bool due(int every, std::int64_t packetNumber) { return every > 0 && packetNumber % every == 0; }
};

// Stray bytes for the gap before a packet. They never hold the first header byte, so
// noise can never swallow the start of the packet that follows it.
std::string noiseBytes(std::int64_t packetNumber);
