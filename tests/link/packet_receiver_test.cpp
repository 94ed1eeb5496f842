// The packet receiver against byte streams built by the emulated monitor.
#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_serial_port.h"
#include "recording_status_list.h"

#include "link/packet_decoder.h"
#include "link/packet_receiver.h"
#include "link/program_state.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

namespace {

struct ReceiverRig {
    FakeClock clock;
    FakeEventLoop events{clock};
    FakeSerialPort port{clock};
    ProgramState state;
    RecordingStatusList statusList;
    int posts = 0;
    PacketDecoder decoder{state.readings, statusList, clock, {[this] { ++posts; }, {}}};
    PacketReceiver receiver{port, clock, events, state, statusList, decoder};

    ReceiverRig()
    {
        port.open(SerialPortConfig{});
        port.setReceiveHandler([this] { receiver.onBytesArrived(); });
    }

    void deliver(const std::string& bytes)
    {
        port.feed(bytes);
        port.notify();
    }
};

TEST(PacketReceiver, goodPacket_isDecodedIntoLiveReadings)
{
    ReceiverRig rig;
    MonitorEmulator monitor;
    monitor.state().volts = 120.0;
    monitor.state().watts = {100, 50};
    monitor.state().powerFactor = {0.5, 1.0};
    monitor.advance(10);

    rig.deliver(monitor.packet());

    EXPECT_EQ(rig.posts, 1);
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_DOUBLE_EQ(rig.state.readings.Volts, 120.0);
    EXPECT_DOUBLE_EQ(rig.state.readings.AbsWs1, 1000);
    EXPECT_EQ(rig.state.readings.SecondsCounter, 10);
    EXPECT_DOUBLE_EQ(rig.state.readings.Watts1, 100);
    EXPECT_DOUBLE_EQ(rig.state.readings.Watts2, 50);
    EXPECT_FLOAT_EQ(rig.state.readings.PowerFactor1, 0.5f);
    EXPECT_TRUE(rig.statusList.lines.empty());
}

} // namespace
