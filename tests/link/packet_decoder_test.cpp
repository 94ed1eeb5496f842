// Packet decoding: reset count and offsets, seconds counter and its wrap,
// volts, power factor, watts, amperes and kWh, fed as wire bytes through the receiver.
#include "packet_patch.h"
#include "receiver_rig.h"

#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using test_packet::at;
using test_packet::patched;

MonitorEmulator monitorAt(std::uint32_t secondsCounter)
{
    MonitorEmulator monitor;
    monitor.state().secondsCounter = secondsCounter;
    return monitor;
}

// A packet whose 40-bit absolute counters and seconds counter are set directly.
std::string packetWith(std::uint32_t secondsCounter, double absWs1, double absWs2 = 0)
{
    MonitorEmulator monitor = monitorAt(secondsCounter);
    monitor.state().absWs = {absWs1, absWs2};
    return monitor.packet();
}

// ---- Reset count and the offsets ----------------------------------------------------------

struct ResetStep {
    int from;
    int to;
    bool offsetsCarried;
};

void PrintTo(const ResetStep& step, std::ostream* out)
{
    *out << step.from << " -> " << step.to;
}

class ResetCountStep : public ::testing::TestWithParam<ResetStep> {};

TEST_P(ResetCountStep, offsetsFollowTheDocumentedRule)
{
    const ResetStep step = GetParam();
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    // As loaded from the settings store.
    rig.decoder.restore(
        {.PreResetVal1 = 11, .PreResetVal2 = 22, .PreResetValP1 = 33, .PreResetValP2 = 44, .KVOresetCount = step.from});

    MonitorEmulator monitor;
    monitor.state().resetCount = step.from;
    monitor.state().watts = {100, 200};
    monitor.advance(10);
    rig.deliver(monitor.packet());
    ASSERT_EQ(rig.posts, 1);
    ASSERT_EQ(r.KVOresetCount, step.from);
    ASSERT_DOUBLE_EQ(r.PrevAbsWs1, 1000);
    ASSERT_DOUBLE_EQ(r.PrevAbsWs2, 2000);

    // The monitor resets (counters back to 0) and runs on.
    monitor.reset();
    monitor.state().resetCount = step.to;
    monitor.advance(10);
    rig.deliver(monitor.packet());

    ASSERT_EQ(rig.posts, 2);
    EXPECT_EQ(r.KVOresetCount, step.to);
    EXPECT_DOUBLE_EQ(r.AbsWs1, 1000);
    EXPECT_DOUBLE_EQ(r.AbsWs2, 2000);
    if (step.offsetsCarried) {
        // The previous absolute counters are added to the stored offsets, so the totals go on
        // growing, and the power is what was used in the ten seconds, with no spike.
        EXPECT_DOUBLE_EQ(r.PreResetVal1, 11 + 1000);
        EXPECT_DOUBLE_EQ(r.PreResetVal2, 22 + 2000);
        EXPECT_DOUBLE_EQ(r.Watts1, 100);
        EXPECT_DOUBLE_EQ(r.Watts2, 200);
    } else {
        EXPECT_DOUBLE_EQ(r.PreResetVal1, 11);
        EXPECT_DOUBLE_EQ(r.PreResetVal2, 22);
    }
    EXPECT_DOUBLE_EQ(r.TotalWs1, r.AbsWs1 + r.PreResetVal1);
    EXPECT_DOUBLE_EQ(r.TotalWs2, r.AbsWs2 + r.PreResetVal2);
    // The polarised offsets are never changed by the decoder.
    EXPECT_DOUBLE_EQ(r.PreResetValP1, 33);
    EXPECT_DOUBLE_EQ(r.PreResetValP2, 44);
    EXPECT_TRUE(rig.statusList.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, ResetCountStep,
                         ::testing::Values(ResetStep{6, 7, true}, ResetStep{7, 0, true}, ResetStep{0, 1, true},
                                           ResetStep{2, 5, false}, ResetStep{7, 1, false},
                                           ResetStep{3, 2, false}),
                         [](const ::testing::TestParamInfo<ResetStep>& info) {
                             return "from" + std::to_string(info.param.from) + "to" + std::to_string(info.param.to);
                         });

TEST(PacketDecoder, resetCount_usesOnlyTheLowThreeBitsOfTheFlags)
{
    ReceiverRig rig;
    rig.decoder.restore({.PrevAbsWs1 = 5000, .KVOresetCount = 3});

    rig.deliver(patched(packetWith(10, 0), {{packet::kFlags, 0xF8 | 4}}));

    EXPECT_EQ(rig.readings().KVOresetCount, 4);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal1, 5000);
}

TEST(PacketDecoder, resetsInARow_totalsNeverFallAndThePowerStaysTrue)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    MonitorEmulator monitor;
    // Channel 2 generates: the energy it sells carries across the resets as well.
    monitor.state().watts = {1500, -300};
    double lastTotal = 0;
    std::optional<std::pair<double, double>> firstTotals;
    for (int reset = 1; reset <= 9; ++reset) {
        monitor.advance(10);
        rig.deliver(monitor.packet());
        if (!firstTotals)
            firstTotals = {r.TotalWs1, r.TotalWs2};
        EXPECT_GT(r.TotalWs1, lastTotal);
        lastTotal = r.TotalWs1;
        // The monitor restarts its counters just after a packet; the next one shows the count moved on.
        monitor.reset();
        monitor.advance(9);
        rig.deliver(monitor.packet());
        EXPECT_EQ(r.KVOresetCount, reset % 8);
        EXPECT_DOUBLE_EQ(r.Watts1, 1500) << "reset " << reset;
        EXPECT_DOUBLE_EQ(r.Watts2, 300) << "reset " << reset;
        EXPECT_DOUBLE_EQ(r.TotalWs1, lastTotal + 9 * 1500) << "reset " << reset;
        lastTotal = r.TotalWs1;
    }
    EXPECT_DOUBLE_EQ(r.Energy1.importedWs, r.TotalWs1 - firstTotals->first);
    EXPECT_DOUBLE_EQ(r.Energy1.exportedWs, 0);
    EXPECT_DOUBLE_EQ(r.Energy2.exportedWs, r.TotalWs2 - firstTotals->second);
    EXPECT_DOUBLE_EQ(r.Energy2.importedWs, 0);
    EXPECT_DOUBLE_EQ(r.SignedWatts2, -300);
    EXPECT_TRUE(rig.statusList.lines.empty());
}

TEST(PacketDecoder, countersThatCannotBeReal_addNothingToBoughtAndSold_andAreSaidOncePerChannel)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    rig.deliver(packetWith(10, 5000, 5000));
    rig.deliver(packetWith(11, 4000, 9000));  // channel 1 steps back
    rig.deliver(packetWith(12, 3000, 9500));  // and again
    rig.deliver(packetWith(13, 3500, 9600));
    EXPECT_DOUBLE_EQ(r.Energy1.importedWs, 500);
    EXPECT_DOUBLE_EQ(r.Energy2.importedWs, 4600);
    EXPECT_EQ(rig.statusList.lines,
              std::vector<std::string>{"Channel 1: the energy counters moved further than any line carries in the "
                                       "time; that step is left out of the energy bought and sold."});
}

// ---- Energy counters ----------------------------------------------------------------------

TEST(PacketDecoder, energyCounters_are40BitLittleEndianAndTotalsAddTheOffsets)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    rig.decoder.restore({.PreResetVal1 = 500, .PreResetVal2 = 600, .PreResetValP1 = 7, .PreResetValP2 = 8});
    MonitorEmulator monitor = monitorAt(10);
    monitor.state().absWs = {1099511627775.0, 4294967296.0 + 258};  // 2^40 - 1; 2^32 + 258
    monitor.state().polWs = {123456789012.0, 65536};

    rig.deliver(monitor.packet());

    ASSERT_EQ(rig.posts, 1);
    EXPECT_EQ(r.AbsWs1, 1099511627775.0);
    EXPECT_EQ(r.AbsWs2, 4294967554.0);
    EXPECT_EQ(r.PolWs1, 123456789012.0);
    EXPECT_EQ(r.PolWs2, 65536.0);
    EXPECT_EQ(r.TotalWs1, 1099511627775.0 + 500);
    EXPECT_EQ(r.TotalWs2, 4294967554.0 + 600);
    EXPECT_EQ(r.TotalPolWs1, 123456789012.0 + 7);
    EXPECT_EQ(r.TotalPolWs2, 65536.0 + 8);
    EXPECT_EQ(r.PrevAbsWs1, r.AbsWs1);
    EXPECT_EQ(r.PrevAbsWs2, r.AbsWs2);
}

TEST(PacketDecoder, absWs3600000_gives1KWh)
{
    ReceiverRig rig;

    rig.deliver(packetWith(10, 3600000, 1800));

    EXPECT_DOUBLE_EQ(rig.readings().KWh1, 1.0);
    EXPECT_DOUBLE_EQ(rig.readings().KWh2, 0.0005);
}

TEST(PacketDecoder, kWhIsNotOffsetAndRestartsWithTheMonitor)
{
    ReceiverRig rig;
    rig.decoder.restore({.PreResetVal1 = 3600000});

    rig.deliver(packetWith(10, 7200000));

    EXPECT_DOUBLE_EQ(rig.readings().KWh1, 2.0);
    EXPECT_DOUBLE_EQ(rig.readings().TotalWs1, 10800000);
}

// ---- Watts ----------------------------------------------------------------------------------

TEST(PacketDecoder, counterDownBy1WsOver2Seconds_givesMinus1W)
{
    ReceiverRig rig;
    rig.deliver(packetWith(10, 1000, 1000));

    rig.deliver(packetWith(12, 999, 1005));

    ASSERT_EQ(rig.posts, 2);
    EXPECT_EQ(rig.readings().DeltaSeconds, 2);
    EXPECT_EQ(rig.readings().Watts1, -1.0);  // -0.5 goes down to -1
    EXPECT_EQ(rig.readings().Watts2, 2.0);   // 2.5 goes down to 2
}

TEST(PacketDecoder, firstPacket_isMeasuredFromThePersistedCounters)
{
    ReceiverRig rig;
    rig.decoder.restore({.PrevAbsWs1 = 4000, .PrevAbsWs2 = 0, .SecondsCounter = 100});

    rig.deliver(packetWith(110, 5000, 333));

    ASSERT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.readings().PrevSecondsCounter, 100);
    EXPECT_EQ(rig.readings().DeltaSeconds, 10);
    EXPECT_EQ(rig.readings().Watts1, 100.0);
    EXPECT_EQ(rig.readings().Watts2, 33.0);
}

// ---- Volts ------------------------------------------------------------------------------------

TEST(PacketDecoder, voltsBytes4And176_give120V)
{
    ReceiverRig rig;
    MonitorEmulator monitor = monitorAt(10);
    monitor.state().volts = 120.0;
    const std::string packet = monitor.packet();
    ASSERT_EQ(at(packet, packet::kVoltsHigh), 4);
    ASSERT_EQ(at(packet, packet::kVoltsLow), 176);

    rig.deliver(packet);

    EXPECT_DOUBLE_EQ(rig.readings().Volts, 120.0);
}

TEST(PacketDecoder, voltsHighByte127_isTheLargestVoltage)
{
    ReceiverRig rig;

    rig.deliver(patched(packetWith(10, 0), {{packet::kVoltsHigh, 127}, {packet::kVoltsLow, 255}}));

    EXPECT_EQ(rig.posts, 1);
    EXPECT_DOUBLE_EQ(rig.readings().Volts, 3276.7);
}

TEST(PacketDecoder, voltsHighByte128OrMore_endsTheDecodeWithoutPosting)
{
    for (int high : {128, 200, 255}) {
        SCOPED_TRACE(high);
        ReceiverRig rig;
        const LiveReadings& r = rig.readings();
        rig.deliver(packetWith(10, 1000, 2000));
        ASSERT_EQ(rig.posts, 1);
        const LiveReadings before = r;

        rig.deliver(patched(packetWith(20, 3000, 4000), {{packet::kVoltsHigh, high}}));

        EXPECT_EQ(rig.posts, 1);
        // Steps 1 to 4 have run; the rest has not.
        EXPECT_EQ(r.SecondsCounter, 20);
        EXPECT_EQ(r.DeltaSeconds, 10);
        EXPECT_DOUBLE_EQ(r.AbsWs1, 3000);
        EXPECT_DOUBLE_EQ(r.TotalWs2, 4000);
        EXPECT_DOUBLE_EQ(r.Volts, before.Volts);
        EXPECT_DOUBLE_EQ(r.Watts1, before.Watts1);
        EXPECT_DOUBLE_EQ(r.PrevAbsWs1, 1000);
        EXPECT_DOUBLE_EQ(r.KWh1, before.KWh1);
        EXPECT_TRUE(rig.statusList.lines.empty());
        // The receiver stays collecting at position 40; the next byte ends it.
        EXPECT_TRUE(rig.receiver.Started());
        EXPECT_EQ(rig.receiver.ByteCount(), 40);
        rig.deliver(std::string(1, '\0'));
        EXPECT_FALSE(rig.receiver.Started());

        rig.deliver(packetWith(30, 5000, 6000));
        EXPECT_EQ(rig.posts, 2);
        // Step 10 was not reached: measured from PrevAbsWs1 1000 over the 10 s since counter 20.
        EXPECT_EQ(r.Watts1, 400.0);
    }
}

// ---- Power factor and amperes ----------------------------------------------------------------

TEST(PacketDecoder, powerFactor_rawAbove255IsTakenAndOtherwiseTheOldValueKept)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    auto withFactors = [](std::uint32_t counter, int raw1, int raw2) {
        std::string packet = packetWith(counter, 0);
        test_packet::setLittleEndian(packet, packet::kPowerFactor1, static_cast<std::uint64_t>(raw1), 2);
        test_packet::setLittleEndian(packet, packet::kPowerFactor2, static_cast<std::uint64_t>(raw2), 2);
        test_packet::reseal(packet);
        return packet;
    };

    rig.deliver(withFactors(10, 0, 255));
    EXPECT_EQ(r.PowerFactor1, 0.0f);  // 0 until a valid value arrives
    EXPECT_EQ(r.PowerFactor2, 0.0f);

    rig.deliver(withFactors(20, 32768, 16384));
    EXPECT_EQ(r.PowerFactor1, 0.5f);
    EXPECT_EQ(r.PowerFactor2, 0.25f);

    rig.deliver(withFactors(30, 255, 0));
    EXPECT_EQ(r.PowerFactor1, 0.5f);
    EXPECT_EQ(r.PowerFactor2, 0.25f);

    rig.deliver(withFactors(40, 256, 65535));
    EXPECT_EQ(r.PowerFactor1, 256.0f / 65536.0f);
    EXPECT_EQ(r.PowerFactor2, 65535.0f / 65536.0f);

    ASSERT_EQ(rig.factorTexts.size(), 4u);
    EXPECT_EQ(rig.factorTexts[2].Text3, "0.5");
    EXPECT_EQ(rig.factorTexts[2].Text4, "0.25");
    EXPECT_EQ(rig.factorTexts[2].Text5, "255");
    EXPECT_EQ(rig.factorTexts[2].Text6, "0");
    EXPECT_EQ(rig.factorTexts[3].Text5, "256");
    EXPECT_EQ(rig.factorTexts[3].Text6, "65535");
}

TEST(PacketDecoder, amps_areWattsOverPowerFactorOverVolts)
{
    ReceiverRig rig;
    MonitorEmulator monitor = monitorAt(0);
    monitor.state().volts = 120.0;
    monitor.state().watts = {120, -240};
    monitor.state().powerFactor = {0.5, 0.25};
    monitor.advance(10);
    rig.deliver(monitor.packet());
    monitor.advance(10);

    rig.deliver(monitor.packet());

    const LiveReadings& r = rig.readings();
    EXPECT_EQ(r.Watts1, 120.0);
    EXPECT_EQ(r.Watts2, 240.0);  // the absolute counter counts both directions
    EXPECT_FLOAT_EQ(r.Amps1, 2.0f);
    EXPECT_FLOAT_EQ(r.Amps2, 8.0f);
}

TEST(PacketDecoder, amps_areZeroWhilePowerFactorOrVoltsIsZero)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    MonitorEmulator monitor = monitorAt(0);
    monitor.state().volts = 120.0;
    monitor.state().watts = {100, 100};
    monitor.state().powerFactor = {0.0, 0.5};  // raw 0: no valid factor yet on channel 1
    monitor.advance(10);

    rig.deliver(monitor.packet());
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(r.PowerFactor1, 0.0f);
    EXPECT_EQ(r.Amps1, 0.0f);
    EXPECT_FLOAT_EQ(r.Amps2, 100.0f / 0.5f / 120.0f);

    monitor.state().volts = 0.0;
    monitor.advance(10);
    rig.deliver(monitor.packet());
    EXPECT_EQ(rig.posts, 2);
    EXPECT_EQ(r.Volts, 0.0);
    EXPECT_EQ(r.Amps1, 0.0f);
    EXPECT_EQ(r.Amps2, 0.0f);
    EXPECT_TRUE(std::isfinite(r.Amps1) && std::isfinite(r.Amps2));
    // The decode went on to the end.
    EXPECT_DOUBLE_EQ(r.PrevAbsWs1, 2000);
    EXPECT_FALSE(rig.receiver.Started());
}

// ---- Seconds counter ------------------------------------------------------------------------

TEST(PacketDecoder, counterWrap16777215To2_givesDelta3AndThreeLines)
{
    ReceiverRig rig(DateTime{2027, 3, 4, 5, 6, 7});
    MonitorEmulator monitor = monitorAt(16777212);
    monitor.state().watts = {300, 30};
    monitor.advance(3);
    ASSERT_EQ(monitor.state().secondsCounter, 16777215u);
    rig.deliver(monitor.packet());
    ASSERT_EQ(rig.posts, 1);
    ASSERT_TRUE(rig.statusList.lines.empty());

    monitor.advance(3);
    ASSERT_EQ(monitor.state().secondsCounter, 2u);
    rig.deliver(monitor.packet());

    const LiveReadings& r = rig.readings();
    ASSERT_EQ(rig.posts, 2);
    EXPECT_EQ(r.DeltaSeconds, 3);
    EXPECT_EQ(r.SecondsCounter, 2);
    EXPECT_EQ(r.PrevSecondsCounter, 16777215);
    EXPECT_EQ(r.Watts1, 300.0);
    EXPECT_EQ(r.Watts2, 30.0);
    EXPECT_EQ(rig.statusList.lines,
              (std::vector<std::string>{"Error.... Last second counter value is greater than the current value.",
                                        "Last counter = 16777215   Current counter = 2", "03,04,2027 05:06"}));
    EXPECT_FALSE(rig.receiver.Started());

    // The wrap is used up: the next packet is an ordinary step.
    monitor.advance(3);
    rig.deliver(monitor.packet());
    EXPECT_EQ(rig.posts, 3);
    EXPECT_EQ(rig.statusList.lines.size(), 3u);
}

TEST(PacketDecoder, wrapPending_survivesPacketsInBetween)
{
    ReceiverRig rig;
    rig.deliver(packetWith(16777000, 0));  // top byte 255
    rig.deliver(packetWith(16777100, 0));

    rig.deliver(packetWith(50, 0));

    EXPECT_EQ(rig.posts, 3);
    EXPECT_EQ(rig.readings().DeltaSeconds, 50 + 16777216 - 16777100);
    EXPECT_EQ(rig.statusList.lines.size(), 3u);
}

TEST(PacketDecoder, counterBackwardsWithNonZeroTopByte_isAnErrorEvenAfter255)
{
    ReceiverRig rig;
    rig.deliver(packetWith(16777215, 0));

    rig.deliver(packetWith(65536 * 5, 0));

    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{"A seconds counter error has occured!"});
}

TEST(PacketDecoder, counterBackwards1000To900_reportsAndKeepsTheReadings)
{
    ReceiverRig rig;
    const LiveReadings& r = rig.readings();
    rig.deliver(packetWith(1000, 5000, 6000));
    ASSERT_EQ(rig.posts, 1);
    const LiveReadings before = r;

    const std::string backwards = packetWith(900, 9000, 9000);
    rig.deliver(backwards);

    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{"A seconds counter error has occured!"});
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(r.SecondsCounter, 900);  // the following packet is measured from it
    EXPECT_EQ(r.PrevSecondsCounter, 1000);
    EXPECT_EQ(r.AbsWs1, before.AbsWs1);
    EXPECT_EQ(r.Watts1, before.Watts1);
    EXPECT_EQ(r.PrevAbsWs1, before.PrevAbsWs1);
    EXPECT_EQ(r.DeltaSeconds, before.DeltaSeconds);
    // Still collecting, from position 0, without a header.
    EXPECT_TRUE(rig.receiver.Started());
    EXPECT_EQ(rig.receiver.ByteCount(), 0);

    // The next 40 bytes form a frame; this one fails the checksum, silently. The running
    // checksum goes on from the backwards packet's final value (its checksum byte).
    const int running = at(backwards, packet::kChecksumPosition);
    rig.deliver(std::string(39, '\0'));
    EXPECT_TRUE(rig.receiver.Started());
    EXPECT_EQ(rig.receiver.ByteCount(), 39);
    rig.deliver(std::string(1, static_cast<char>((running + 1) & 0xFF)));
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_EQ(rig.statusList.lines.size(), 1u);

    rig.deliver(packetWith(1100, 7000, 6000));
    EXPECT_EQ(rig.posts, 2);
    EXPECT_EQ(r.DeltaSeconds, 200);
    EXPECT_EQ(r.Watts1, 10.0);  // (7000 - 5000) / 200
}

TEST(PacketDecoder, counterError_theNextPacketIsSwallowedAsAHeaderlessFrame)
{
    ReceiverRig rig;
    const std::string swallowed = packetWith(1100, 0);
    // Its last three bytes 255 254 c go to the hunt: the 254 takes c as its second header
    // byte, and c = 255 would reach on into the next packet's 254.
    ASSERT_NE(at(swallowed, packet::kChecksumPosition), 255);

    rig.deliver(packetWith(1000, 0) + packetWith(900, 0) + swallowed + packetWith(1200, 0));

    EXPECT_EQ(rig.posts, 2);
    EXPECT_EQ(rig.readings().SecondsCounter, 1200);
    EXPECT_EQ(rig.readings().DeltaSeconds, 300);  // measured from 900
    // The swallowed frame's positions 38 and 39 are its counter bytes, not a trailer.
    ASSERT_GE(rig.statusList.lines.size(), 1u);
    EXPECT_EQ(rig.statusList.lines[0], "A seconds counter error has occured!");
    for (std::size_t i = 1; i < rig.statusList.lines.size(); ++i)
        EXPECT_EQ(rig.statusList.lines[i], "FF error");
}

TEST(PacketDecoder, counterError_aHeaderlessFrameWithContinuedChecksumIsDecoded)
{
    ReceiverRig rig;
    rig.deliver(packetWith(1000, 5000));
    const std::string backwards = packetWith(900, 0);
    rig.deliver(backwards);
    ASSERT_EQ(rig.posts, 1);

    // Positions 1 to 39 of a packet, and a checksum that goes on from the last one.
    const std::string next = packetWith(950, 5500);
    int running = at(backwards, packet::kChecksumPosition);
    std::string frame;
    for (int p = 1; p < packet::kChecksumPosition; ++p) {
        frame += static_cast<char>(at(next, p));
        running += at(next, p);
        if (running > 255)
            running -= 256;
    }
    frame += static_cast<char>(running);
    rig.deliver(frame);

    EXPECT_EQ(rig.posts, 2);
    EXPECT_EQ(rig.readings().SecondsCounter, 950);
    EXPECT_EQ(rig.readings().DeltaSeconds, 50);
    EXPECT_EQ(rig.readings().Watts1, 10.0);  // (5500 - 5000) / 50
    EXPECT_FALSE(rig.receiver.Started());
}

TEST(PacketDecoder, firstPacketBelowThePersistedCounter_reportsTheErrorOnce)
{
    ReceiverRig rig;
    rig.decoder.restore({.SecondsCounter = 500000});

    const std::string first = packetWith(100, 0);
    // The 40 headerless bytes after the error: a frame that fails its checksum.
    const char failing = static_cast<char>((at(first, packet::kChecksumPosition) + 1) & 0xFF);

    rig.deliver(first + std::string(39, '\0') + failing + packetWith(110, 0));

    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{"A seconds counter error has occured!"});
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.readings().DeltaSeconds, 10);
}

// ---- The decoder's outcomes, called directly ------------------------------------------------

TEST(PacketDecoder, outcomes_tellTheReceiverWhatToDo)
{
    using Outcome = PacketDecoder::Outcome;
    FakeClock clock;
    RecordingStatusList statusList;
    PacketDecoder decoder{statusList, clock};
    auto decode = [&](const std::string& wire) { return decoder.decode(test_packet::positions(wire)); };

    EXPECT_EQ(decode(packetWith(10, 36000)), Outcome::Finished);
    EXPECT_DOUBLE_EQ(decoder.readings().KWh1, 0.01);
    EXPECT_EQ(decode(packetWith(10, 72000)), Outcome::CounterUnchanged);
    EXPECT_EQ(decode(packetWith(5, 0)), Outcome::CounterError);
    EXPECT_EQ(decode(patched(packetWith(8, 0), {{packet::kVoltsHigh, 130}})), Outcome::Failed);
    // Only the finished packet reached the energy counters.
    EXPECT_DOUBLE_EQ(decoder.readings().KWh1, 0.01);
}

// ---- The counters kept from run to run ------------------------------------------------------

TEST(PacketDecoder, storedCounters_roundTripAndFollowTheDecodedPackets)
{
    FakeClock clock;
    RecordingStatusList statusList;
    PacketDecoder decoder{statusList, clock};
    // Every field different, so that a field dropped or swapped on the way shows.
    const StoredCounters kept{.PreResetVal1 = 1.5e9,
                              .PreResetVal2 = 2.5e9,
                              .PreResetValP1 = 3.5e9,
                              .PreResetValP2 = 4.5e9,
                              .PrevAbsWs1 = 5000,
                              .PrevAbsWs2 = 6000,
                              .KVOresetCount = 3,
                              .SecondsCounter = 100,
                              .Energy1 = {.importedWs = 10, .exportedWs = 20, .last = ChannelCounters{5000, 0}},
                              .Energy2 = {.importedWs = 30, .exportedWs = 40, .last = ChannelCounters{6000, 0}}};

    decoder.restore(kept);
    ASSERT_EQ(decoder.stored(), kept);

    MonitorEmulator monitor = monitorAt(110);
    monitor.state().absWs = {8000, 7000};
    monitor.state().polWs = {0, 500};
    monitor.state().resetCount = 3;
    ASSERT_EQ(decoder.decode(test_packet::positions(monitor.packet())), PacketDecoder::Outcome::Finished);

    StoredCounters expected = kept;
    expected.PrevAbsWs1 = 8000;
    expected.PrevAbsWs2 = 7000;
    expected.SecondsCounter = 110;
    // Channel 2 sold half of what flowed on it.
    expected.Energy1 = {.importedWs = 3010, .exportedWs = 20, .last = ChannelCounters{8000, 0}};
    expected.Energy2 = {.importedWs = 530, .exportedWs = 540, .last = ChannelCounters{7000, 500}};
    EXPECT_EQ(decoder.stored(), expected);
    EXPECT_EQ(decoder.readings().Direction2, EnergyDirection::Generating);
    EXPECT_DOUBLE_EQ(decoder.readings().SignedWatts2, -100);
    EXPECT_DOUBLE_EQ(decoder.readings().TotalWs1, 8000 + 1.5e9);
    EXPECT_DOUBLE_EQ(decoder.readings().Watts2, 100);  // (7000 - 6000) / 10

    // A monitor reset carries the last counters into the offsets, and they are kept.
    monitor.reset();
    monitor.advance(10);
    ASSERT_EQ(decoder.decode(test_packet::positions(monitor.packet())), PacketDecoder::Outcome::Finished);
    const StoredCounters afterReset = decoder.stored();
    EXPECT_EQ(afterReset.KVOresetCount, 4);
    EXPECT_DOUBLE_EQ(afterReset.PreResetVal1, 1.5e9 + 8000);
    EXPECT_DOUBLE_EQ(afterReset.PreResetVal2, 2.5e9 + 7000);
    EXPECT_DOUBLE_EQ(afterReset.PreResetValP1, 3.5e9);
    EXPECT_EQ(afterReset.SecondsCounter, 120);
    EXPECT_EQ(afterReset.Energy1.importedWs, 3010) << "nothing flowed since";

    // Clearing the offsets makes the totals fall; what was bought and sold stays.
    decoder.clearPreResetValues();
    monitor.state().watts = {100, 0};
    monitor.advance(10);
    ASSERT_EQ(decoder.decode(test_packet::positions(monitor.packet())), PacketDecoder::Outcome::Finished);
    EXPECT_DOUBLE_EQ(decoder.readings().TotalWs1, 1000);
    EXPECT_DOUBLE_EQ(decoder.readings().Energy1.importedWs, 3010 + 1000);
    EXPECT_DOUBLE_EQ(decoder.readings().Energy2.exportedWs, 540);
    EXPECT_TRUE(statusList.lines.empty());
}

} // namespace
