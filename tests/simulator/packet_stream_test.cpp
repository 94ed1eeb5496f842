// The emulated monitor's packet stream: one packet a second while real time is on,
// decoded by the program's own receiver and decoder.
#include "receiver_rig.h"

#include "link/packet_layout.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

MonitorEmulator runningMonitor()
{
    MonitorState state;
    state.volts = 230.0;
    state.watts = {500, -200};
    state.powerFactor = {0.5, 0.75};
    state.realTimeOn = true;
    return MonitorEmulator(state, ResponseMode{}, StreamFaults{});
}

TEST(PacketStream, realTimeOff_sendsNothingWhileTimeStillPasses)
{
    MonitorEmulator monitor;
    monitor.state().watts = {100, 0};
    EXPECT_EQ(monitor.tick(3), "");
    EXPECT_EQ(monitor.state().secondsCounter, 3u);
    EXPECT_DOUBLE_EQ(monitor.state().absWs[0], 300);
}

TEST(PacketStream, realTimeOn_sendsOneWholePacketPerElapsedSecond)
{
    MonitorEmulator monitor = runningMonitor();
    EXPECT_EQ(monitor.tick(0), "");
    const std::string sent = monitor.tick(3);
    ASSERT_EQ(sent.size(), 3u * packet::kWireLength);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sent.substr(i * packet::kWireLength, 3), "\xFE\xFF\x01") << "packet " << i;
}

TEST(PacketStream, powerStep_changesChannel1FromThePacketAfterTheNth)
{
    MonitorState state;
    state.watts = {500, 200};
    state.realTimeOn = true;
    MonitorEmulator monitor(state, ResponseMode{}, StreamFaults{}, PowerStep{3, 1500});
    ReceiverRig rig;
    for (int second = 0; second < 6; ++second)
        rig.deliver(monitor.tick(1));

    ASSERT_EQ(rig.posted.size(), 6u);
    std::vector<double> watts1;
    for (const LiveReadings& r : rig.posted) {
        watts1.push_back(r.Watts1);
        EXPECT_DOUBLE_EQ(r.Watts2, 200) << "channel 2 keeps its power";
    }
    EXPECT_EQ(watts1, (std::vector<double>{500, 500, 500, 1500, 1500, 1500}));
}

TEST(PacketStream, streamedPackets_decodeToTheMonitorsReadings)
{
    MonitorEmulator monitor = runningMonitor();
    ReceiverRig rig;
    rig.deliver(monitor.tick(1));
    rig.deliver(monitor.tick(1));

    const LiveReadings& r = rig.readings();
    EXPECT_EQ(rig.posts, 2);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_DOUBLE_EQ(r.Volts, 230.0);
    EXPECT_DOUBLE_EQ(r.Watts1, 500);
    EXPECT_DOUBLE_EQ(r.Watts2, 200);  // the absolute counter counts either direction
    EXPECT_FLOAT_EQ(r.PowerFactor1, 0.5f);
    EXPECT_FLOAT_EQ(r.PowerFactor2, 0.75f);
    EXPECT_EQ(r.SecondsCounter, 2);
    EXPECT_DOUBLE_EQ(r.AbsWs1, 1000);
    // The polarised counter moves only with what channel 2 generates.
    EXPECT_DOUBLE_EQ(r.PolWs1, 0);
    EXPECT_DOUBLE_EQ(r.PolWs2, 400);
    EXPECT_DOUBLE_EQ(r.KWh1, 1000.0 / 3600 * 0.001);
    // The first packet sets where bought and sold count from; the second adds its second.
    EXPECT_DOUBLE_EQ(r.Energy1.importedWs, 500);
    EXPECT_DOUBLE_EQ(r.Energy2.exportedWs, 200);
    EXPECT_DOUBLE_EQ(r.Energy2.importedWs, 0);
    EXPECT_DOUBLE_EQ(r.SignedWatts2, -200);
}

TEST(PacketStream, offCommand_stopsTheStreamAndPlrStartsItAgain)
{
    MonitorEmulator monitor = runningMonitor();
    ASSERT_EQ(monitor.tick(1).size(), static_cast<std::size_t>(packet::kWireLength));
    monitor.receive("TOGOFF");
    EXPECT_EQ(monitor.tick(2), "");
    monitor.receive("TOGPLR");
    EXPECT_EQ(monitor.tick(1).size(), static_cast<std::size_t>(packet::kWireLength));
}

TEST(PacketStream, polarityToggle_showsInTheDecodedPolarisedCounter)
{
    MonitorEmulator monitor = runningMonitor();
    ReceiverRig rig;
    rig.deliver(monitor.tick(4));
    ASSERT_DOUBLE_EQ(rig.readings().PolWs1, 0);
    monitor.receive("\xFCSETNG1");
    rig.deliver(monitor.tick(2));
    EXPECT_DOUBLE_EQ(rig.readings().PolWs1, 1000);
    EXPECT_DOUBLE_EQ(rig.readings().AbsWs1, 3000);
}

} // namespace
