// An emulated KVO-7730: its measurement state, and the real-time packets it sends.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct MonitorState {
    double volts = 120.0;
    // Per channel: average power (negative runs the polarised counter down) and power factor.
    std::array<double, 2> watts{0, 0};
    std::array<double, 2> powerFactor{1, 1};
    // Watt-second counters: absolute (counts every watt-second) and polarised (signed).
    std::array<double, 2> absWs{0, 0};
    std::array<double, 2> polWs{0, 0};
    std::uint32_t secondsCounter = 0;  // 24-bit on the wire
    int resetCount = 0;                // 0-7 on the wire
};

// Deliberate faults for one packet.
struct PacketFaults {
    bool wrongChecksum = false;
    bool wrongTrailer = false;
};

class MonitorEmulator {
public:
    MonitorState& state() { return state_; }
    const MonitorState& state() const { return state_; }

    // Lets time pass: counters advance by the channel powers, the seconds counter by
    // the seconds (wrapping at 24 bits).
    void advance(int seconds);

    // What a monitor reset does: counters back to zero, the reset count moves on by one.
    void reset();

    // The 43 wire bytes of a packet built from the current state.
    std::string packet(PacketFaults faults = {}) const;

private:
    MonitorState state_;
};

// The checksum the receiver expects for positions 1 to 39 (starting from the header's 510,
// reduced by 256 whenever the running value exceeds 255).
int packetChecksum(const std::string& packetWithoutChecksum);
