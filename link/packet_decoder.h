// Turns a complete, checked packet into the current readings.
#pragma once

#include "link/live_readings.h"
#include "link/packet_layout.h"

#include <functional>
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
        Finished,          // readings updated; the receiver goes back to hunting
        CounterUnchanged,  // same seconds counter as the packet before: ignored
        CounterError,      // seconds counter went backwards: ignored, resynchronise
        Failed,            // a field out of range ended the decode part way
    };

    struct Hooks {
        std::function<void()> PostReadings;
        std::function<void(const PowerFactorTexts&)> showPowerFactors;
    };

    PacketDecoder(LiveReadings& readings, StatusList& statusList, const Clock& clock, Hooks hooks);

    Outcome decode(const PacketBytes& bytes);

private:
    void takeResetCount(const PacketBytes& bytes);
    Outcome takeSecondsCounter(const PacketBytes& bytes);

    LiveReadings& readings_;
    StatusList& statusList_;
    const Clock& clock_;
    Hooks hooks_;
    // The counter's top byte has been seen at 255, so a smaller value next is a wrap.
    bool WrapPending = false;
};
