// Energy bought and energy sold on one channel, from the monitor's two counters: the
// absolute counter moves whenever energy flows, the polarised one only while energy is
// generated. So over any step, sold = the size of the polarised counter's change, and
// bought = the absolute counter's change less that. Both totals only ever grow.
#pragma once

#include <cstdint>
#include <optional>

// The counters of one channel in one packet, as the monitor sent them.
struct ChannelCounters {
    double absWs = 0;
    double polWs = 0;

    bool operator==(const ChannelCounters&) const = default;
};

// The program's own totals of one channel, kept from run to run.
struct EnergyTotals {
    double importedWs = 0;
    double exportedWs = 0;
    // The counters the totals have counted up to; none before the first packet.
    std::optional<ChannelCounters> last;

    bool operator==(const EnergyTotals&) const = default;
};

enum class EnergyDirection { Consuming, Generating };

class EnergyFlow {
public:
    // What no line carries: a channel's counter moving faster than this is not real.
    static constexpr double kMostWatts = 300'000;

    enum class Step { Counted, Baseline, Implausible };

    // One packet: the counters of the packet, whether the monitor was reset since the
    // last one (its counters started again from 0), and the seconds since the last one.
    // The totals grow by this step's energy; a step that cannot be real adds nothing.
    static Step advance(EnergyTotals& totals, const ChannelCounters& now, bool monitorReset, std::int32_t seconds,
                        EnergyDirection& direction);
};
