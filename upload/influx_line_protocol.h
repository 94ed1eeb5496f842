// The history's rows in InfluxDB's line protocol: one line per channel, at the second of
// the row's own reading, tagged with the channel and the monitor's port.
#pragma once

#include "history/history_rows.h"

#include <string>
#include <string_view>

inline constexpr std::string_view kInfluxMeasurement = "kvo7730";

// A packet's two lines: volts, watts, amps, power factor, kWh and the energy totals.
void appendPacketLines(std::string& body, const PacketRow& row, std::string_view port);
// A minute's two lines: the averages, the least and most watts, kWh, the energy totals
// at the minute's end and the count of packets it was made from.
void appendMinuteLines(std::string& body, const MinuteRow& row, std::string_view port);

// A tag's value with the protocol's escapes for commas, equals signs and blanks.
std::string escapedTagValue(std::string_view value);
