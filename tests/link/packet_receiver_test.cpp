// The packet receiver against byte streams built by the emulated monitor:
// header hunt, time-outs, trailer and checksum checks, the byte after an unfinished
// packet, the command-exchange hold-off and re-entrant receive notifications.
#include "packet_patch.h"
#include "receiver_rig.h"

#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using test_packet::at;
using test_packet::patched;

const std::string kTimeOut = "Time out error";

// A monitor that has run for `seconds` at 100 W and 50 W, 120 V.
MonitorEmulator runningMonitor(int seconds = 10)
{
    MonitorEmulator monitor;
    monitor.state().volts = 120.0;
    monitor.state().watts = {100, 50};
    monitor.state().powerFactor = {0.5, 1.0};
    monitor.advance(seconds);
    return monitor;
}

// `count` packets, `step` seconds apart, each from the state after the step.
std::vector<std::string> packetSeries(int count, int step = 10)
{
    MonitorEmulator monitor = runningMonitor(0);
    std::vector<std::string> packets;
    for (int i = 0; i < count; ++i) {
        monitor.advance(step);
        packets.push_back(monitor.packet());
    }
    return packets;
}

std::vector<std::int32_t> postedCounters(const ReceiverRig& rig)
{
    std::vector<std::int32_t> counters;
    for (const LiveReadings& r : rig.posted)
        counters.push_back(r.SecondsCounter);
    return counters;
}

// ---- Good packets ----------------------------------------------------------------

TEST(PacketReceiver, goodPacket_isDecodedIntoLiveReadings)
{
    ReceiverRig rig;
    MonitorEmulator monitor = runningMonitor(10);

    rig.deliver(monitor.packet());

    EXPECT_EQ(rig.posts, 1);
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_DOUBLE_EQ(rig.readings().Volts, 120.0);
    EXPECT_DOUBLE_EQ(rig.readings().AbsWs1, 1000);
    EXPECT_EQ(rig.readings().SecondsCounter, 10);
    EXPECT_DOUBLE_EQ(rig.readings().Watts1, 100);
    EXPECT_DOUBLE_EQ(rig.readings().Watts2, 50);
    EXPECT_FLOAT_EQ(rig.readings().PowerFactor1, 0.5f);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
}

TEST(PacketReceiver, backToBackPackets_allDecodeInOrder)
{
    ReceiverRig rig;
    std::string stream;
    for (const std::string& p : packetSeries(5))
        stream += p;

    rig.deliver(stream);

    EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 20, 30, 40, 50}));
    for (const LiveReadings& r : rig.posted) {
        EXPECT_EQ(r.DeltaSeconds, 10);
        EXPECT_DOUBLE_EQ(r.Watts2, 50);
    }
    EXPECT_TRUE(rig.statusList.lines.empty());
}

TEST(PacketReceiver, bytesArrivingOneAtATime_decodeThePacket)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();
    // One byte per millisecond (19200 baud carries one about every 0.52 ms).
    for (std::size_t i = 0; i < packet.size(); ++i)
        rig.port.feedAt(static_cast<std::int64_t>(i), packet.substr(i, 1));

    for (std::size_t i = 0; i < packet.size(); ++i) {
        rig.clock.advanceMs(std::max<std::int64_t>(static_cast<std::int64_t>(i) - rig.clock.elapsedMs(), 0));
        rig.port.notify();
    }

    EXPECT_EQ(rig.posts, 1);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
}

// Bytes come 0.5 ms apart on the wire, so a packet is often split over several
// notifications; the header's blocking waits pick up a byte that is still on its way.
TEST(PacketReceiver, packetSplitAtAnyByte_decodes)
{
    const std::string packet = runningMonitor().packet();
    for (std::size_t split = 1; split < packet.size(); ++split) {
        SCOPED_TRACE(split);
        ReceiverRig rig;
        rig.port.feed(packet.substr(0, split));
        rig.port.feedAt(1, packet.substr(split));
        rig.port.notify();
        rig.clock.advanceMs(1);
        rig.port.notify();

        EXPECT_EQ(rig.posts, 1);
        EXPECT_TRUE(rig.statusList.lines.empty());
        EXPECT_EQ(rig.port.unread(), 0u);
    }
}

// ---- Time-outs inside the header ---------------------------------------------------

TEST(PacketReceiver, lone254_timesOutWithMessageWithinTwoSeconds)
{
    ReceiverRig rig;

    rig.deliver("\xFE");

    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{kTimeOut});
    EXPECT_GE(rig.clock.elapsedMs(), 1000);
    EXPECT_LE(rig.clock.elapsedMs(), 2000);
    EXPECT_FALSE(rig.receiver.Started());
    // The blocking wait ran no other events.
    EXPECT_EQ(rig.events.yields, 0);

    // Hunting goes on with the next receive event.
    rig.deliver(runningMonitor().packet());
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.statusList.lines.size(), 1u);
}

TEST(PacketReceiver, header254_255WithoutThirdByte_timesOutWithMessage)
{
    ReceiverRig rig;
    rig.clock.advanceMs(500);  // the time-out is between one and two seconds

    rig.deliver("\xFE\xFF");

    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{kTimeOut});
    EXPECT_GE(rig.clock.elapsedMs() - 500, 1000);
    EXPECT_LE(rig.clock.elapsedMs() - 500, 2000);
    EXPECT_FALSE(rig.receiver.Started());

    // A third byte 1 arriving afterwards is only a hunted byte.
    rig.deliver("\x01");
    EXPECT_FALSE(rig.receiver.Started());
    rig.deliver(runningMonitor().packet());
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.statusList.lines.size(), 1u);
}

TEST(PacketReceiver, headerByteArrivingWithinTheWait_isTaken)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();
    rig.port.feedAt(900, packet.substr(1));

    rig.deliver(packet.substr(0, 1));

    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.clock.elapsedMs(), 900);
}

TEST(PacketReceiver, noByteWaitingAtTheStartOfAnEvent_returnsSilently)
{
    ReceiverRig rig;

    rig.receiver.Com1_OnComm();

    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_GE(rig.clock.elapsedMs(), 1000);
    EXPECT_LE(rig.clock.elapsedMs(), 2000);
}

// ---- Header hunt and resynchronisation ----------------------------------------------

TEST(PacketReceiver, extra254BeforeHeader_packetIsNotSynchronisedOn)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(2);
    // Nothing after the first packet's trailer may look like a header start.
    ASSERT_NE(at(packets[0], packet::kChecksumPosition), 254);

    // 254 254 255 1 ...: the second 254 is taken as the byte that should be 255.
    rig.deliver("\xFE" + packets[0]);

    EXPECT_EQ(rig.posts, 0);
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_TRUE(rig.statusList.lines.empty());

    rig.deliver(packets[1]);
    EXPECT_EQ(postedCounters(rig), std::vector<std::int32_t>{20});
}

TEST(PacketReceiver, partialHeader254_255BeforeHeader_eatsThePacketsFirstByte)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(2);
    ASSERT_NE(at(packets[0], packet::kChecksumPosition), 254);

    // 254 255 254 255 1 ...: the packet's 254 is taken as the third header byte.
    rig.deliver("\xFE\xFF" + packets[0]);
    EXPECT_EQ(rig.posts, 0);

    rig.deliver(packets[1]);
    EXPECT_EQ(postedCounters(rig), std::vector<std::int32_t>{20});
    EXPECT_TRUE(rig.statusList.lines.empty());
}

TEST(PacketReceiver, noiseBeforePacket_isDroppedAndThePacketDecodes)
{
    ReceiverRig rig;
    // Stray bytes, broken headers (254 x, 254 255 x) and a lone trailer.
    const std::string noise("\x00\x01\xFF\xFE\x07\xFE\xFF\x00\xFE\xFF\xFE\x01\xFF\xFE\x33", 15);

    rig.deliver(noise + runningMonitor().packet());

    EXPECT_EQ(rig.posts, 1);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
}

TEST(PacketReceiver, hunting_bytesDoNotResetNoDataSeconds)
{
    ReceiverRig rig;
    rig.state.NoDataSeconds = 7;

    rig.deliver(std::string("\x00\x05\xFF\xFE\x02", 5));

    EXPECT_EQ(rig.state.NoDataSeconds, 7);
}

TEST(PacketReceiver, collecting_everyPacketByteResetsNoDataSeconds)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();

    rig.deliver(packet.substr(0, 3));  // the header alone
    EXPECT_TRUE(rig.receiver.Started());
    for (std::size_t i = 3; i < packet.size(); ++i) {
        rig.state.NoDataSeconds = 5;
        rig.deliver(packet.substr(i, 1));
        EXPECT_EQ(rig.state.NoDataSeconds, 0) << "wire offset " << i;
        EXPECT_EQ(rig.receiver.ByteCount(), static_cast<int>(i) - 2);
    }
    EXPECT_EQ(rig.posts, 1);
}

// ---- Checksum and trailer -------------------------------------------------------------

TEST(PacketReceiver, wrongChecksum_isDroppedSilentlyAndHuntingResumes)
{
    ReceiverRig rig;
    MonitorEmulator monitor = runningMonitor();

    rig.deliver(monitor.packet({.wrongChecksum = true}));

    EXPECT_EQ(rig.posts, 0);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_EQ(rig.receiver.ByteCount(), 0);
    EXPECT_EQ(rig.readings().SecondsCounter, 0);

    monitor.advance(10);
    rig.deliver(monitor.packet());
    EXPECT_EQ(postedCounters(rig), std::vector<std::int32_t>{20});
}

TEST(PacketReceiver, aWrongTrailerByte_namesItsErrorAndTheNextPacketStillDecodes)
{
    struct Case {
        int position;
        std::uint8_t value;
        const char* line;
    };
    for (const Case& c : {Case{packet::kTrailer0Position, 0x00, "FF error"},
                          Case{packet::kTrailer1Position, 0xFD, "FE error"}}) {
        SCOPED_TRACE(c.line);
        ReceiverRig rig;
        MonitorEmulator monitor = runningMonitor();

        rig.deliver(patched(monitor.packet(), {{c.position, c.value}}));

        EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{c.line});
        EXPECT_EQ(rig.posts, 0);
        EXPECT_FALSE(rig.receiver.Started());

        monitor.advance(10);
        rig.deliver(monitor.packet());
        EXPECT_EQ(rig.posts, 1);
    }
}

TEST(PacketReceiver, bothTrailerBytesWrong_givesFFErrorOnly)
{
    ReceiverRig rig;

    rig.deliver(patched(runningMonitor().packet(), {{packet::kTrailer0Position, 0}, {packet::kTrailer1Position, 0}}));

    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{"FF error"});
    EXPECT_EQ(rig.posts, 0);
}

TEST(PacketReceiver, wrongChecksumAndWrongTrailer_checksumWinsSilently)
{
    ReceiverRig rig;

    rig.deliver(runningMonitor().packet({.wrongChecksum = true, .wrongTrailer = true}));

    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.posts, 0);
}

// ---- The byte after an unfinished packet ----------------------------------------------

TEST(PacketReceiver, unchangedSecondsCounter_packetIgnoredAndNextByteDropped)
{
    ReceiverRig rig;
    MonitorEmulator monitor = runningMonitor();
    const std::string first = monitor.packet();
    monitor.advance(10);
    const std::string lost = monitor.packet();
    monitor.advance(10);
    const std::string third = monitor.packet();
    // After the lost packet's 254 is eaten, its trailer 254 must not reach into the third.
    ASSERT_NE(at(lost, packet::kChecksumPosition), 255);

    rig.deliver(first);
    rig.deliver(first);  // same seconds counter
    EXPECT_EQ(rig.posts, 1);
    EXPECT_TRUE(rig.receiver.Started());
    EXPECT_EQ(rig.receiver.ByteCount(), 40);

    // The next packet's 254 is dropped as position 41, so that packet is lost.
    rig.deliver(lost);
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_EQ(rig.posts, 1);

    rig.deliver(third);
    EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 30}));
    EXPECT_EQ(rig.posted.back().DeltaSeconds, 20);
    EXPECT_TRUE(rig.statusList.lines.empty());
}

TEST(PacketReceiver, unchangedSecondsCounter_aGapByteSavesTheNextPacket)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(2);

    rig.deliver(packets[0] + packets[0] + std::string(1, '\0') + packets[1]);

    EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 20}));
}

// ---- Command exchange owns the port ---------------------------------------------------

TEST(PacketReceiver, cmdInProgress_leavesEveryByteInThePort)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();
    rig.state.CmdInProgress = true;

    rig.deliver(packet);
    rig.receiver.Com1_OnComm();

    EXPECT_EQ(rig.port.unread(), packet.size());
    EXPECT_EQ(rig.posts, 0);
    EXPECT_FALSE(rig.receiver.Started());

    rig.state.CmdInProgress = false;
    rig.port.notify();
    EXPECT_EQ(rig.posts, 1);
}

TEST(PacketReceiver, cmdInProgressMidPacket_holdsTheRestUntilReleased)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();

    rig.deliver(packet.substr(0, 20));
    EXPECT_EQ(rig.receiver.ByteCount(), 17);
    rig.state.CmdInProgress = true;
    rig.deliver(packet.substr(20));
    EXPECT_EQ(rig.port.unread(), packet.size() - 20);
    EXPECT_EQ(rig.receiver.ByteCount(), 17);

    rig.state.CmdInProgress = false;
    rig.port.notify();
    EXPECT_EQ(rig.posts, 1);
}

TEST(PacketReceiver, cmdInProgressSetDuringAYield_stopsAfterTheByteInHand)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();
    rig.events.onEvents = [&] {
        if (rig.receiver.ByteCount() == 9)
            rig.state.CmdInProgress = true;
    };

    rig.deliver(packet);

    // The byte read before the yield is still processed; the rest stays in the port.
    EXPECT_EQ(rig.receiver.ByteCount(), 10);
    EXPECT_EQ(rig.port.unread(), packet.size() - 13);

    rig.events.onEvents = nullptr;
    rig.state.CmdInProgress = false;
    rig.port.notify();
    EXPECT_EQ(rig.posts, 1);
}

// ---- Re-entrant notifications -----------------------------------------------------------

TEST(PacketReceiver, notificationDuringAYield_returnsAtOnceWithoutReading)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(2);
    bool fed = false;
    std::size_t unreadBefore = 0;
    std::size_t unreadAfter = 0;
    rig.events.onEvents = [&] {
        if (fed || rig.receiver.ByteCount() != 20)
            return;
        fed = true;
        rig.port.feed(packets[1]);
        unreadBefore = rig.port.unread();
        rig.port.notify();
        unreadAfter = rig.port.unread();
    };

    rig.deliver(packets[0]);

    ASSERT_TRUE(fed);
    EXPECT_EQ(unreadAfter, unreadBefore);
    // The outer event takes the new bytes in turn.
    EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 20}));
    EXPECT_EQ(rig.port.unread(), 0u);
}

TEST(PacketReceiver, bytesArrivingDuringYields_areProcessedInArrivalOrder)
{
    ReceiverRig rig;
    std::string stream;
    for (const std::string& p : packetSeries(12))
        stream += p;
    std::size_t next = 0;
    constexpr std::size_t kChunk = 5;
    auto feedChunk = [&] {
        const std::string chunk = stream.substr(next, kChunk);
        next += chunk.size();
        rig.port.feed(chunk);
        rig.port.notify();
    };
    // Every yield lets a few more bytes arrive and raises a receive notification.
    rig.events.onEvents = [&] {
        if (next < stream.size())
            feedChunk();
    };

    while (next < stream.size())
        feedChunk();

    std::vector<std::int32_t> expected;
    for (int i = 1; i <= 12; ++i)
        expected.push_back(10 * i);
    EXPECT_EQ(postedCounters(rig), expected);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
    EXPECT_GT(rig.events.yields, 12 * 40);
}

} // namespace
