// The readings in Prometheus' text exposition format.
#pragma once

#include "history/history_rows.h"

#include <cstdint>
#include <optional>
#include <string>

struct LiveReadings;

struct MetricFacts {
    // The last packet's readings and time; nothing before the first packet.
    const LiveReadings* readings = nullptr;
    std::optional<EpochSeconds> lastPacket;
    // Packets arrive (the last one is at most a few seconds old).
    bool up = false;
    std::int64_t packetsDecoded = 0;
    std::int64_t packetsMissed = 0;
};

// Gauges for power, current, power factor and voltage, counters in joules for the
// energy, each with its help and type lines; the channel is a label.
std::string prometheusMetrics(const MetricFacts& facts);
