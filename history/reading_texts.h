// What the live readings window shows, as texts: the numbers of a packet, and the
// sentence that says whether data flows and, when not, why.
#pragma once

#include "common/number_format.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct LiveReadings;

struct ChannelTexts {
    std::string watts;
    std::string amps;
    std::string powerFactor;
    std::string kWh;
    std::string cost;
    // Energy bought from and sold to the grid, and what the bought energy cost.
    std::string boughtKWh;
    std::string soldKWh;
    std::string boughtCost;
    std::string direction;  // "Consuming" or "Generating"
};

struct ReadingTexts {
    std::string volts;
    std::array<ChannelTexts, 2> channels;
};

// The kWh are the program's totals (they carry the monitor's resets); the cost is
// the kWh at the rate, and so is the cost of what was bought.
ReadingTexts readingTexts(const LiveReadings& readings, double rate, NumberSymbols symbols);

struct FeedState {
    bool portOpen = false;
    bool realTimeOn = false;
    // Seconds since the last packet; nullopt before the first one.
    std::optional<std::int64_t> silentSeconds;
};

// After this many seconds without a packet (one comes every second) the data is stale.
inline constexpr std::int64_t kStaleAfterSeconds = 5;

// Empty while packets arrive.
std::string noDataText(const FeedState& state);
