// Turns a complete, checked packet into the current readings.
#pragma once

#include "link/live_readings.h"
#include "link/packet_layout.h"

#include <string>

class Clock;
class StatusList;

// The diagnostic copies of the power factors: both factors and both raw numbers.
struct PowerFactorTexts {
    std::string Text3;
    std::string Text4;
    std::string Text5;
    std::string Text6;
};

class PacketDecoder {
public:
    enum class Outcome {
        Finished,          // readings updated and ready to post; back to hunting
        CounterUnchanged,  // same seconds counter as the packet before: ignored
        CounterError,      // seconds counter went backwards: ignored, resynchronise
        Failed,            // a field out of range ended the decode part way
    };

    PacketDecoder(StatusList& statusList, const Clock& clock);

    Outcome decode(const PacketBytes& bytes);

    const LiveReadings& readings() const { return readings_; }
    // The diagnostic texts of the last packet that got as far as its power factors.
    const PowerFactorTexts& powerFactorTexts() const { return powerFactorTexts_; }

    // The counters kept from the last run, and the ones to keep for the next.
    void restore(const StoredCounters& counters);
    StoredCounters stored() const;

    // The four pre-reset offsets to 0, as when a new web account starts from scratch.
    void clearPreResetValues();

private:
    void takeResetCount(const PacketBytes& bytes);
    Outcome takeSecondsCounter(const PacketBytes& bytes);
    // The energy bought and sold since the last packet that counted it.
    void countEnergyFlow();

    LiveReadings readings_;
    StatusList& statusList_;
    const Clock& clock_;
    PowerFactorTexts powerFactorTexts_;
    // The counter's top byte has been seen at 255, so a smaller value next is a wrap.
    bool WrapPending = false;
    // Since the energy flow was last counted: a monitor reset, and the seconds passed.
    bool resetSinceLastStep_ = false;
    std::int32_t secondsSinceLastStep_ = 0;
    // A step that cannot be real is said once a run per channel.
    bool implausibleStepSaid_[2] = {false, false};
};
