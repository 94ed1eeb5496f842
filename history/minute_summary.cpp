// Running sums, minima and maxima: the minute's packets are not kept twice.
#include "history/minute_summary.h"

#include "link/live_readings.h"

#include <algorithm>

PacketRow packetRow(const LiveReadings& r, EpochSeconds time)
{
    return PacketRow{.time = time,
                     .volts = r.Volts,
                     .watts1 = r.Watts1,
                     .watts2 = r.Watts2,
                     .amps1 = r.Amps1,
                     .amps2 = r.Amps2,
                     .powerFactor1 = r.PowerFactor1,
                     .powerFactor2 = r.PowerFactor2,
                     .energyWs1 = r.TotalWs1,
                     .energyWs2 = r.TotalWs2,
                     .kWh1 = r.TotalWs1 / kWsPerKWh,
                     .kWh2 = r.TotalWs2 / kWsPerKWh,
                     .importedWs1 = r.Energy1.importedWs,
                     .exportedWs1 = r.Energy1.exportedWs,
                     .importedWs2 = r.Energy2.importedWs,
                     .exportedWs2 = r.Energy2.exportedWs};
}

void MinuteSummary::Channel::add(double watts, bool first)
{
    sum = first ? watts : sum + watts;
    minimum = first ? watts : std::min(minimum, watts);
    maximum = first ? watts : std::max(maximum, watts);
}

ChannelMinute MinuteSummary::Channel::minute(std::int64_t packets) const
{
    return {.averageWatts = sum / static_cast<double>(packets), .minimumWatts = minimum, .maximumWatts = maximum};
}

void MinuteSummary::add(const PacketRow& packet)
{
    const EpochSeconds minute = minuteOf(packet.time);
    if (minute != minute_)
        packets_ = 0;
    const bool first = packets_ == 0;
    minute_ = minute;
    ++packets_;
    voltsSum_ = first ? packet.volts : voltsSum_ + packet.volts;
    channel1_.add(packet.watts1, first);
    channel2_.add(packet.watts2, first);
    last_ = packet;
}

std::optional<MinuteRow> MinuteSummary::row() const
{
    if (packets_ == 0)
        return std::nullopt;
    return MinuteRow{.time = minute_,
                     .packets = packets_,
                     .averageVolts = voltsSum_ / static_cast<double>(packets_),
                     .channel1 = channel1_.minute(packets_),
                     .channel2 = channel2_.minute(packets_),
                     .energyWs1 = last_.energyWs1,
                     .energyWs2 = last_.energyWs2,
                     .kWh1 = last_.kWh1,
                     .kWh2 = last_.kWh2,
                     .importedWs1 = last_.importedWs1,
                     .exportedWs1 = last_.exportedWs1,
                     .importedWs2 = last_.importedWs2,
                     .exportedWs2 = last_.exportedWs2};
}
