// When the readings are posted: a channel's power settling after a step larger than
// its threshold, or the end of a reporting interval while no step is in progress.
#pragma once

#include "link/live_readings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Everything the decision remembers between packets; all zero or empty at start.
struct TriggerState {
    // Recent whole-watt readings of a channel; index 0 is the previous packet's, 0 to 4 are used.
    std::array<std::int32_t, 6> Ch1History{};
    std::array<std::int32_t, 6> Ch2History{};
    // Previous minus present reading.
    std::int32_t DeltaP1 = 0;
    std::int32_t DeltaP2 = 0;
    // A step larger than the threshold is in progress.
    bool Ch1Pending = false;
    bool Ch2Pending = false;
    // The channel has settled after a step.
    bool Ch1Trigger = false;
    bool Ch2Trigger = false;
    std::string TriggerSource;
    // Interval clock ticks since the last interval end.
    std::int16_t IntervalTicks = 0;
    bool IntervalElapsed = false;
    // kWh including the reset offsets.
    double LogKWh1 = 0;
    double LogKWh2 = 0;
};

struct TriggerThresholds {
    std::int16_t VexThres1 = 60;
    std::int16_t VexThres2 = 60;
};

// One post: what caused it, each channel's swing (0 for a channel that did not
// trigger) and the readings its log row shows.
struct PostRow {
    std::string TriggerSource;
    std::int32_t swing1 = 0;
    std::int32_t swing2 = 0;
    double Watts1 = 0;
    double Watts2 = 0;
    double Volts = 0;
    double LogKWh1 = 0;
    double LogKWh2 = 0;
    float Amps1 = 0;
    float Amps2 = 0;
};

class PostingTriggers {
public:
    // Runs once for every decoded packet; the post's row when one is due.
    std::optional<PostRow> Vex(const LiveReadings& readings, TriggerThresholds thresholds);

    // One second of the interval clock. False when the clock is to stop because real
    // time has stopped; the tick counts all the same.
    bool Timer1_Timer(bool RealTimeOn, std::int16_t VexThresT);

    const TriggerState& state() const { return state_; }

private:
    TriggerState state_;
};

// A reading as whole watts: nearest, ties to even, kept within the 32-bit range.
std::int32_t wholeWatts(double watts);
