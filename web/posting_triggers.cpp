// The step and interval tests of the web posting, and the swing of a settled step.
#include "web/posting_triggers.h"

#include "common/number_text.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kHistoryUsed = 5;
constexpr double kSecondsPerHour = 3600;
constexpr double kWattsPerKilowatt = 1000;

// One channel's part of the trigger state, so both channels run the same steps.
struct Channel {
    std::array<std::int32_t, 6>& History;
    std::int32_t& DeltaP;
    bool& Pending;
    bool& Trigger;
    std::int16_t threshold;
    double watts;
    const char* source;
};

// Step test: pending while a packet changes by more than the threshold; the first
// packet within it after that is the settled one.
void stepTest(Channel& channel, std::string& TriggerSource)
{
    const std::int64_t change = channel.DeltaP;
    if (std::llabs(change) > channel.threshold) {
        channel.Pending = true;
    } else if (channel.Pending) {
        channel.Trigger = true;
        TriggerSource = channel.source;
        channel.Pending = false;
    }
}

// High minus low over the non-zero history, negative when the low is the more recent
// (the power fell). The low starts from the present reading, the high from 0.
std::int32_t swing(const Channel& channel)
{
    double hi = 0;
    int hiPosition = 0;
    double lo = channel.watts;
    int loPosition = 0;
    for (int k = 0; k < kHistoryUsed; ++k) {
        const std::int32_t entry = channel.History[static_cast<std::size_t>(k)];
        if (entry == 0)
            continue;
        if (entry > hi) {
            hi = entry;
            hiPosition = k;
        }
        if (entry < lo) {
            lo = entry;
            loPosition = k;
        }
    }
    const double size = hi - lo;
    return wholeWatts(loPosition < hiPosition ? -size : size);
}

// After a post the history holds the present reading in place of the step.
void settle(Channel& channel)
{
    channel.Trigger = false;
    for (int k = 1; k < kHistoryUsed; ++k)
        channel.History[static_cast<std::size_t>(k)] = wholeWatts(channel.watts);
}

void shiftHistory(Channel& channel)
{
    for (int k = kHistoryUsed - 1; k >= 1; --k)
        channel.History[static_cast<std::size_t>(k)] = channel.History[static_cast<std::size_t>(k - 1)];
    channel.History[0] = wholeWatts(channel.watts);
}

} // namespace

std::int32_t wholeWatts(double watts)
{
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(watts))
        return 0;
    const double rounded = roundHalfEven(watts);
    // A wild first reading (counters from another monitor) must not overflow.
    if (rounded <= lowest)
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= highest)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

std::optional<PostRow> PostingTriggers::Vex(const LiveReadings& r, TriggerThresholds thresholds)
{
    TriggerState& s = state_;
    Channel ch1{s.Ch1History, s.DeltaP1, s.Ch1Pending, s.Ch1Trigger, thresholds.VexThres1, r.Watts1, "CH1 / "};
    Channel ch2{s.Ch2History, s.DeltaP2, s.Ch2Pending, s.Ch2Trigger, thresholds.VexThres2, r.Watts2, "CH2 / "};
    s.TriggerSource.clear();
    PostRow row;
    bool postDue = false;

    for (Channel* channel : {&ch1, &ch2})
        channel->DeltaP = wholeWatts(static_cast<double>(channel->History[0]) - channel->watts);
    stepTest(ch1, s.TriggerSource);
    stepTest(ch2, s.TriggerSource);

    // An interval that ends during a step is consumed without a post.
    if (s.IntervalElapsed) {
        s.IntervalElapsed = false;
        if (!s.Ch1Pending && !s.Ch2Pending) {
            postDue = true;
            s.TriggerSource += " Time out";
        }
    }

    if (s.Ch1Trigger) {
        row.swing1 = swing(ch1);
        postDue = true;
        settle(ch1);
    }
    if (s.Ch2Trigger) {
        row.swing2 = swing(ch2);
        postDue = true;
        settle(ch2);
    }
    shiftHistory(ch1);
    shiftHistory(ch2);

    s.LogKWh1 = r.TotalWs1 / kSecondsPerHour / kWattsPerKilowatt;
    s.LogKWh2 = r.TotalWs2 / kSecondsPerHour / kWattsPerKilowatt;
    if (!postDue)
        return std::nullopt;

    row.TriggerSource = s.TriggerSource;
    row.Watts1 = r.Watts1;
    row.Watts2 = r.Watts2;
    row.Volts = r.Volts;
    row.LogKWh1 = s.LogKWh1;
    row.LogKWh2 = s.LogKWh2;
    row.Amps1 = r.Amps1;
    row.Amps2 = r.Amps2;
    return row;
}

bool PostingTriggers::Timer1_Timer(bool RealTimeOn, std::int16_t VexThresT)
{
    const int ticks = state_.IntervalTicks + 1;
    if (ticks >= VexThresT) {
        state_.IntervalTicks = 0;
        state_.IntervalElapsed = true;
    } else {
        state_.IntervalTicks = static_cast<std::int16_t>(ticks);
    }
    return RealTimeOn;
}
