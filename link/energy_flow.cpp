#include "link/energy_flow.h"

#include <algorithm>
#include <cmath>

namespace {

// The counters are 40 bits wide and wrap to 0.
constexpr double kCounterSpan = 1099511627776.0;

// The change from one counter value to the next, across a wrap when it went round.
double forward(double from, double to)
{
    return to >= from ? to - from : to + kCounterSpan - from;
}

// The polarised counter may run either way: the change nearest to zero, across a wrap.
double eitherWay(double from, double to)
{
    double change = to - from;
    if (change > kCounterSpan / 2)
        change -= kCounterSpan;
    else if (change < -kCounterSpan / 2)
        change += kCounterSpan;
    return change;
}

} // namespace

EnergyFlow::Step EnergyFlow::advance(EnergyTotals& totals, const ChannelCounters& now, bool monitorReset,
                                     std::int32_t seconds, EnergyDirection& direction)
{
    const std::optional<ChannelCounters> last = totals.last;
    totals.last = now;
    if (!last)
        return Step::Baseline;
    // After a reset both counters count from 0 again.
    const ChannelCounters from = monitorReset ? ChannelCounters{} : *last;
    const double all = forward(from.absWs, now.absWs);
    const double sold = std::fabs(eitherWay(from.polWs, now.polWs));
    // The counters are whole watt-seconds: a rounding of one either way is no fault.
    const bool real = all <= kMostWatts * std::max<std::int32_t>(seconds, 1) && sold <= all + 1;
    if (!real)
        return Step::Implausible;
    const double exported = std::min(sold, all);
    totals.exportedWs += exported;
    totals.importedWs += all - exported;
    if (all > 0)
        direction = exported > 0 ? EnergyDirection::Generating : EnergyDirection::Consuming;
    return Step::Counted;
}
