// Each fault the emulated monitor can put into its stream has the effect it claims on
// the program's receiver and decoder.
#include "receiver_rig.h"

#include "link/packet_layout.h"
#include "simulator/monitor_emulator.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

MonitorEmulator monitorWith(const StreamFaults& faults, std::uint32_t secondsCounter = 0)
{
    MonitorState state;
    state.watts = {100, 50};
    state.secondsCounter = secondsCounter;
    state.realTimeOn = true;
    return MonitorEmulator(state, ResponseMode{}, faults);
}

// Sends the packets one second at a time, as the monitor would.
void stream(MonitorEmulator& monitor, ReceiverRig& rig, int packets)
{
    for (int i = 0; i < packets; ++i)
        rig.deliver(monitor.tick(1));
}

TEST(StreamFaults, wrongChecksumEveryThirdPacket_dropsThosePacketsSilently)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.wrongChecksumEvery = 3});
    ReceiverRig rig;
    stream(monitor, rig, 6);
    EXPECT_EQ(rig.posts, 4);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.readings().SecondsCounter, 5);  // the sixth was dropped
}

TEST(StreamFaults, wrongTrailerEverySecondPacket_reportsFfErrorForEach)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.wrongTrailerEvery = 2});
    ReceiverRig rig;
    stream(monitor, rig, 4);
    EXPECT_EQ(rig.posts, 2);
    EXPECT_EQ(rig.statusList.lines, (std::vector<std::string>{"FF error", "FF error"}));
}

TEST(StreamFaults, secondsCounterStartedNearTheTop_wrapsAndIsMeasuredAcrossTheWrap)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{}, 16777213);
    ReceiverRig rig;
    rig.decoder.restore({.SecondsCounter = 16777213});
    stream(monitor, rig, 4);  // 16777214, 16777215, 0, 1

    EXPECT_EQ(rig.posts, 4);
    ASSERT_EQ(rig.statusList.lines.size(), 3u);
    EXPECT_EQ(rig.statusList.lines[0], "Error.... Last second counter value is greater than the current value.");
    EXPECT_EQ(rig.statusList.lines[1], "Last counter = 16777215   Current counter = 0");
    EXPECT_EQ(rig.readings().SecondsCounter, 1);
    EXPECT_EQ(rig.readings().DeltaSeconds, 1);
    EXPECT_DOUBLE_EQ(rig.readings().Watts1, 100);
}

TEST(StreamFaults, secondsCounterSteppingBack_isReportedAsACounterError)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.secondsBackEvery = 3}, 1000);
    ReceiverRig rig;
    rig.decoder.restore({.SecondsCounter = 1000});
    stream(monitor, rig, 2);
    ASSERT_EQ(rig.posts, 2);

    stream(monitor, rig, 1);  // 1003 less the step back
    EXPECT_EQ(monitor.state().secondsCounter, 903u);
    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{"A seconds counter error has occured!"});
    EXPECT_EQ(rig.posts, 2);

    // The counter carries on from its new value: the receiver loses the next packet
    // while it resynchronises, then measures the one after from 903.
    stream(monitor, rig, 2);
    EXPECT_EQ(rig.readings().SecondsCounter, 905);
    EXPECT_EQ(rig.readings().DeltaSeconds, 2);
    EXPECT_DOUBLE_EQ(rig.readings().Watts1, (500 - 200) / 2);
    EXPECT_EQ(rig.statusList.lines.size(), 1u);

    stream(monitor, rig, 1);
    EXPECT_EQ(rig.statusList.lines.size(), 2u);
}

TEST(StreamFaults, resetEveryThirdPacket_advancesTheResetCountAndCarriesTheTotal)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.resetEvery = 3});
    ReceiverRig rig;
    stream(monitor, rig, 2);
    ASSERT_DOUBLE_EQ(rig.readings().AbsWs1, 200);

    stream(monitor, rig, 1);
    EXPECT_EQ(rig.readings().KVOresetCount, 1);
    EXPECT_DOUBLE_EQ(rig.readings().AbsWs1, 0);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal1, 200);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal2, 100);

    stream(monitor, rig, 3);
    EXPECT_EQ(rig.readings().KVOresetCount, 2);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal1, 400);
    EXPECT_DOUBLE_EQ(rig.readings().TotalWs1, 400);
}

TEST(StreamFaults, resetCountJumpingByMoreThanOne_changesOnlyTheCount)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.resetEvery = 2, .resetStep = 3});
    ReceiverRig rig;
    stream(monitor, rig, 2);
    EXPECT_EQ(rig.readings().KVOresetCount, 3);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal1, 0);

    stream(monitor, rig, 6);  // three more jumps: 6, then 9 wraps to 1, then 4
    EXPECT_EQ(rig.readings().KVOresetCount, 4);
    EXPECT_DOUBLE_EQ(rig.readings().PreResetVal1, 0);
}

TEST(StreamFaults, noiseBeforeEveryPacket_isSkippedAndEveryPacketStillDecodes)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.noiseEvery = 1});
    ReceiverRig rig;
    std::string sent;
    for (int i = 0; i < 5; ++i) {
        const std::string bytes = monitor.tick(1);
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(StreamFaults::kNoiseLength + packet::kWireLength));
        const std::string noise = bytes.substr(0, StreamFaults::kNoiseLength);
        EXPECT_EQ(noise.find('\xFE'), std::string::npos);
        EXPECT_NE(noise, std::string(noise.size(), noise[0])) << "noise should vary";
        rig.deliver(bytes);
    }
    EXPECT_EQ(rig.posts, 5);
    EXPECT_TRUE(rig.statusList.lines.empty());
}

TEST(StreamFaults, faultsCountStreamedPacketsOnly)
{
    MonitorEmulator monitor = monitorWith(StreamFaults{.wrongChecksumEvery = 2});
    monitor.receive("TOGOFF");
    monitor.tick(5);
    monitor.receive("TOGPLR");
    ReceiverRig rig;
    rig.decoder.restore({.SecondsCounter = 5});
    stream(monitor, rig, 1);
    EXPECT_EQ(rig.posts, 1);
    stream(monitor, rig, 1);
    EXPECT_EQ(rig.posts, 1);
}

} // namespace
