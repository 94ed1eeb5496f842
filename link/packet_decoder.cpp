// Decoding of the real-time packet's fields into LiveReadings.
#include "link/packet_decoder.h"

#include "common/number_text.h"
#include "platform/clock.h"
#include "platform/status_list.h"

#include <cmath>

namespace {

double counter40(const PacketBytes& b, int k)
{
    return b[k] + 256.0 * b[k + 1] + 65536.0 * b[k + 2] + 16777216.0 * b[k + 3] + 4294967296.0 * b[k + 4];
}

int word16(const PacketBytes& b, int k)
{
    return b[k] + 256 * b[k + 1];
}

// A channel's current; 0 while the power factor or the voltage gives no finite quotient.
float amps(double watts, float powerFactor, double volts)
{
    if (powerFactor == 0.0f || volts == 0.0)
        return 0.0f;
    return static_cast<float>(watts / powerFactor / volts);
}

constexpr std::int32_t kSecondsCounterSpan = 16777216;

} // namespace

PacketDecoder::PacketDecoder(StatusList& statusList, const Clock& clock)
    : statusList_(statusList), clock_(clock)
{
}

void PacketDecoder::restore(const StoredCounters& counters)
{
    readings_.PreResetVal1 = counters.PreResetVal1;
    readings_.PreResetVal2 = counters.PreResetVal2;
    readings_.PreResetValP1 = counters.PreResetValP1;
    readings_.PreResetValP2 = counters.PreResetValP2;
    readings_.PrevAbsWs1 = counters.PrevAbsWs1;
    readings_.PrevAbsWs2 = counters.PrevAbsWs2;
    readings_.KVOresetCount = counters.KVOresetCount;
    readings_.SecondsCounter = counters.SecondsCounter;
    readings_.Energy1 = counters.Energy1;
    readings_.Energy2 = counters.Energy2;
}

StoredCounters PacketDecoder::stored() const
{
    const LiveReadings& r = readings_;
    return {r.PreResetVal1, r.PreResetVal2,   r.PreResetValP1,  r.PreResetValP2, r.PrevAbsWs1,
            r.PrevAbsWs2,   r.KVOresetCount, r.SecondsCounter, r.Energy1,       r.Energy2};
}

void PacketDecoder::takeResetCount(const PacketBytes& bytes)
{
    LiveReadings& r = readings_;
    const int count = bytes[packet::kFlags] & packet::kResetCountMask;
    if (r.KVOresetCount == count)
        return;
    const int expected = r.KVOresetCount == 7 ? 0 : r.KVOresetCount + 1;
    r.KVOresetCount = count;
    if (expected == count) {
        // One monitor reset: the counters restart, so the offsets take on the energy counted
        // since the previous reset as well; the totals keep growing across any number of resets.
        r.PreResetVal1 += r.PrevAbsWs1;
        r.PreResetVal2 += r.PrevAbsWs2;
        resetSinceLastStep_ = true;
    }
}

PacketDecoder::Outcome PacketDecoder::takeSecondsCounter(const PacketBytes& bytes)
{
    LiveReadings& r = readings_;
    const int top = bytes[packet::kSecondsCounter + 2];
    r.PrevSecondsCounter = r.SecondsCounter;
    r.SecondsCounter = bytes[packet::kSecondsCounter] + 256 * bytes[packet::kSecondsCounter + 1] + 65536 * top;
    if (top == 255)
        WrapPending = true;

    if (r.SecondsCounter == r.PrevSecondsCounter)
        return Outcome::CounterUnchanged;
    if (r.SecondsCounter > r.PrevSecondsCounter) {
        r.DeltaSeconds = r.SecondsCounter - r.PrevSecondsCounter;
        secondsSinceLastStep_ += r.DeltaSeconds;
        return Outcome::Finished;
    }
    if (top == 0 && WrapPending) {
        r.DeltaSeconds = r.SecondsCounter + kSecondsCounterSpan - r.PrevSecondsCounter;
        secondsSinceLastStep_ += r.DeltaSeconds;
        WrapPending = false;
        statusList_.addLine("Error.... Last second counter value is greater than the current value.");
        statusList_.addLine("Last counter = " + std::to_string(r.PrevSecondsCounter)
                            + "   Current counter = " + std::to_string(r.SecondsCounter));
        statusList_.addLine(formatDateTime(clock_.now(), "mm,dd,yyyy hh:nn"));
        return Outcome::Finished;
    }
    statusList_.addLine("A seconds counter error has occured!");
    return Outcome::CounterError;
}

PacketDecoder::Outcome PacketDecoder::decode(const PacketBytes& bytes)
{
    LiveReadings& r = readings_;
    // The power comes from the continued totals, so a packet that shows a reset gives no spike.
    const double previousTotal1 = r.PrevAbsWs1 + r.PreResetVal1;
    const double previousTotal2 = r.PrevAbsWs2 + r.PreResetVal2;
    takeResetCount(bytes);
    if (const Outcome counter = takeSecondsCounter(bytes); counter != Outcome::Finished)
        return counter;

    r.AbsWs1 = counter40(bytes, packet::kAbsWs1);
    r.AbsWs2 = counter40(bytes, packet::kAbsWs2);
    r.PolWs1 = counter40(bytes, packet::kPolWs1);
    r.PolWs2 = counter40(bytes, packet::kPolWs2);
    r.TotalWs1 = r.AbsWs1 + r.PreResetVal1;
    r.TotalWs2 = r.AbsWs2 + r.PreResetVal2;
    r.TotalPolWs1 = r.PolWs1 + r.PreResetValP1;
    r.TotalPolWs2 = r.PolWs2 + r.PreResetValP2;

    // The voltage is a signed 16-bit quantity; a high byte of 128 or more is out of range.
    if (bytes[packet::kVoltsHigh] >= 128)
        return Outcome::Failed;
    r.Volts = (256 * bytes[packet::kVoltsHigh] + bytes[packet::kVoltsLow]) * 0.1;

    const int raw1 = word16(bytes, packet::kPowerFactor1);
    const int raw2 = word16(bytes, packet::kPowerFactor2);
    if (raw1 > 255)
        r.PowerFactor1 = static_cast<float>(raw1 / 65536.0);
    if (raw2 > 255)
        r.PowerFactor2 = static_cast<float>(raw2 / 65536.0);
    powerFactorTexts_ = {generalSingleText(r.PowerFactor1), generalSingleText(r.PowerFactor2), std::to_string(raw1),
                         std::to_string(raw2)};

    r.Watts1 = std::floor((r.TotalWs1 - previousTotal1) / r.DeltaSeconds);
    r.Watts2 = std::floor((r.TotalWs2 - previousTotal2) / r.DeltaSeconds);
    r.Amps1 = amps(r.Watts1, r.PowerFactor1, r.Volts);
    r.Amps2 = amps(r.Watts2, r.PowerFactor2, r.Volts);
    r.PrevAbsWs1 = r.AbsWs1;
    r.PrevAbsWs2 = r.AbsWs2;
    r.KWh1 = r.AbsWs1 / 3600 * 0.001;
    r.KWh2 = r.AbsWs2 / 3600 * 0.001;
    countEnergyFlow();
    return Outcome::Finished;
}

void PacketDecoder::countEnergyFlow()
{
    LiveReadings& r = readings_;
    const struct {
        ChannelCounters counters;
        EnergyTotals& totals;
        EnergyDirection& direction;
        double watts;
        double& signedWatts;
    } channels[] = {{{r.AbsWs1, r.PolWs1}, r.Energy1, r.Direction1, r.Watts1, r.SignedWatts1},
                    {{r.AbsWs2, r.PolWs2}, r.Energy2, r.Direction2, r.Watts2, r.SignedWatts2}};
    for (std::size_t i = 0; i < std::size(channels); ++i) {
        const auto& c = channels[i];
        const auto step =
            EnergyFlow::advance(c.totals, c.counters, resetSinceLastStep_, secondsSinceLastStep_, c.direction);
        if (step == EnergyFlow::Step::Implausible && !implausibleStepSaid_[i]) {
            implausibleStepSaid_[i] = true;
            statusList_.addLine("Channel " + std::to_string(i + 1)
                                + ": the energy counters moved further than any line carries in the time; "
                                  "that step is left out of the energy bought and sold.");
        }
        c.signedWatts = c.direction == EnergyDirection::Generating ? -std::fabs(c.watts) : c.watts;
    }
    resetSinceLastStep_ = false;
    secondsSinceLastStep_ = 0;
}

void PacketDecoder::clearPreResetValues()
{
    readings_.PreResetVal1 = 0;
    readings_.PreResetVal2 = 0;
    readings_.PreResetValP1 = 0;
    readings_.PreResetValP2 = 0;
}
