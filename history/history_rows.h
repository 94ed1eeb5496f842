// The rows the history keeps: one per decoded packet, one per minute.
#pragma once

#include <cstdint>
#include <vector>

struct LiveReadings;

// Seconds since 1970-01-01 UTC.
using EpochSeconds = std::int64_t;

struct PacketRow {
    EpochSeconds time = 0;
    double volts = 0;
    double watts1 = 0;
    double watts2 = 0;
    double amps1 = 0;
    double amps2 = 0;
    double powerFactor1 = 0;
    double powerFactor2 = 0;
    // The program's totals, which carry the monitor's resets, in watt-seconds and kWh.
    double energyWs1 = 0;
    double energyWs2 = 0;
    double kWh1 = 0;
    double kWh2 = 0;
    // Energy bought and sold, the program's totals that never fall, in watt-seconds.
    double importedWs1 = 0;
    double exportedWs1 = 0;
    double importedWs2 = 0;
    double exportedWs2 = 0;

    bool operator==(const PacketRow&) const = default;
};

struct ChannelMinute {
    double averageWatts = 0;
    double minimumWatts = 0;
    double maximumWatts = 0;

    bool operator==(const ChannelMinute&) const = default;
};

struct MinuteRow {
    // The start of the minute.
    EpochSeconds time = 0;
    // Packets the minute was made from.
    std::int64_t packets = 0;
    double averageVolts = 0;
    ChannelMinute channel1;
    ChannelMinute channel2;
    // The totals and kWh of the minute's last packet.
    double energyWs1 = 0;
    double energyWs2 = 0;
    double kWh1 = 0;
    double kWh2 = 0;
    // Energy bought and sold, the program's totals that never fall, in watt-seconds.
    double importedWs1 = 0;
    double exportedWs1 = 0;
    double importedWs2 = 0;
    double exportedWs2 = 0;

    bool operator==(const MinuteRow&) const = default;
};

// The first and last second of some rows, both included.
struct TimeSpan {
    EpochSeconds first = 0;
    EpochSeconds last = 0;

    bool operator==(const TimeSpan&) const = default;
};

// Packets of the file a page at a time: a second's packets are never split between two pages.
struct PacketPage {
    std::vector<PacketRow> rows;
    // Where the next page begins: every packet before it is in this page or an earlier one.
    EpochSeconds next = 0;
    // The file holds no more packets in the range.
    bool last = true;
};

// The two kinds of row.
enum class HistoryRows { Minutes, Packets };

// Both channels' power at one time, for the chart.
struct PowerPoint {
    EpochSeconds time = 0;
    double watts1 = 0;
    double watts2 = 0;
};

// The row of a decoded packet received at the given time. The kWh come from the
// totals, not from the monitor's own counters, so that a monitor reset or a counter
// wrap never shows as a fall of energy.
PacketRow packetRow(const LiveReadings& readings, EpochSeconds time);
