// The one record of current readings and energy counters, written by the packet decoder.
#pragma once

#include "link/energy_flow.h"

#include <cstdint>

// Watt-seconds in one kilowatt-hour.
constexpr double kWsPerKWh = 3'600'000;

struct LiveReadings {
    double Volts = 0;
    double Watts1 = 0;
    double Watts2 = 0;
    double KWh1 = 0;
    double KWh2 = 0;
    float Amps1 = 0;
    float Amps2 = 0;
    float PowerFactor1 = 0;
    float PowerFactor2 = 0;

    // Watt-second counters of the last packet (40-bit values, exact in a double).
    double AbsWs1 = 0;
    double AbsWs2 = 0;
    double PolWs1 = 0;
    double PolWs2 = 0;

    // The counters carried across monitor resets by the offsets below.
    double TotalWs1 = 0;
    double TotalWs2 = 0;
    double TotalPolWs1 = 0;
    double TotalPolWs2 = 0;

    double PrevAbsWs1 = 0;
    double PrevAbsWs2 = 0;

    std::int32_t SecondsCounter = 0;
    std::int32_t PrevSecondsCounter = 0;
    std::int32_t DeltaSeconds = 0;

    double PreResetVal1 = 0;
    double PreResetVal2 = 0;
    double PreResetValP1 = 0;
    double PreResetValP2 = 0;

    int KVOresetCount = 0;

    // Energy bought from and sold to the grid per channel: the program's own totals,
    // which never fall. The direction of each channel's last step, and its power with
    // that sign (negative while generating).
    EnergyTotals Energy1;
    EnergyTotals Energy2;
    EnergyDirection Direction1 = EnergyDirection::Consuming;
    EnergyDirection Direction2 = EnergyDirection::Consuming;
    double SignedWatts1 = 0;
    double SignedWatts2 = 0;
};

// The part of the readings that is kept in the settings store from run to run, so
// that the energy totals survive monitor resets and program restarts.
struct StoredCounters {
    double PreResetVal1 = 0;
    double PreResetVal2 = 0;
    double PreResetValP1 = 0;
    double PreResetValP2 = 0;
    double PrevAbsWs1 = 0;  // "E1B"
    double PrevAbsWs2 = 0;  // "E2B"
    int KVOresetCount = 0;
    std::int32_t SecondsCounter = 0;  // "KVOCounter"
    EnergyTotals Energy1;
    EnergyTotals Energy2;

    bool operator==(const StoredCounters&) const = default;
};
