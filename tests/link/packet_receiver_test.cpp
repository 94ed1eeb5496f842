// The packet receiver against byte streams built by the emulated monitor:
// header hunt, time-outs on virtual time, trailer and checksum checks, the byte after an
// unfinished packet, the hold while a job owns the port, and notifications that split
// packets or carry several.
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
    // One byte per millisecond (19200 baud carries one about every 0.52 ms), each notified.
    for (std::size_t i = 0; i < packet.size(); ++i)
        rig.port.feedAt(static_cast<std::int64_t>(i), packet.substr(i, 1));

    rig.events.runFor(static_cast<std::int64_t>(packet.size()));

    EXPECT_EQ(rig.posts, 1);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
}

// A notification takes what has arrived so far: a packet split over two of them,
// wherever the split falls, is framed, and so are the packets around it that share a
// notification with its parts.
TEST(PacketReceiver, packetSplitAtAnyByteAndPacketsSharingANotification_allDecode)
{
    const std::vector<std::string> packets = packetSeries(3);
    for (std::size_t split = 1; split < packets[1].size(); ++split) {
        SCOPED_TRACE(split);
        ReceiverRig rig;

        rig.deliver(packets[0] + packets[1].substr(0, split));
        EXPECT_EQ(rig.posts, 1);
        rig.deliver(packets[1].substr(split) + packets[2]);

        EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 20, 30}));
        EXPECT_TRUE(rig.statusList.lines.empty());
        EXPECT_EQ(rig.port.unread(), 0u);
    }
}

TEST(PacketReceiver, notificationWithoutBytes_doesNothingAndWaitsForNothing)
{
    ReceiverRig rig;

    rig.port.notify();

    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_FALSE(rig.receiver.Started());
    EXPECT_EQ(rig.events.pending(), 0u);
}

// ---- Time-outs inside the header ---------------------------------------------------

// When "Time out error" appears, counted from the start; -1 if it never does.
std::int64_t timeOutAtMs(ReceiverRig& rig)
{
    if (!rig.events.runUntil([&rig] { return !rig.statusList.lines.empty(); }, 10'000))
        return -1;
    EXPECT_EQ(rig.statusList.lines, std::vector<std::string>{kTimeOut});
    return rig.clock.elapsedMs();
}

TEST(PacketReceiver, headerCutShort_timesOutWithItsMessageOneToTwoSecondsAfterItsLastByte)
{
    const std::string packet = runningMonitor().packet();
    for (const std::string& partial : {std::string("\xFE"), std::string("\xFE\xFF")}) {
        for (const int offsetMs : {0, 1, 400, 999}) {
            SCOPED_TRACE(testing::Message() << partial.size() << " header bytes, " << offsetMs << " ms into the second");
            ReceiverRig rig;
            rig.clock.advanceMs(offsetMs);

            rig.deliver(partial);

            const std::int64_t waited = timeOutAtMs(rig) - offsetMs;
            EXPECT_GE(waited, 1000);
            EXPECT_LE(waited, 2000);
            EXPECT_FALSE(rig.receiver.Started());

            // Hunting goes on: a late third byte 1 is only a hunted byte, and the next
            // packet decodes without another message.
            rig.deliver("\x01");
            EXPECT_FALSE(rig.receiver.Started());
            rig.deliver(packet);
            EXPECT_EQ(rig.posts, 1);
            EXPECT_EQ(rig.statusList.lines.size(), 1u);
        }
    }
}

TEST(PacketReceiver, headerByteArrivingWithinTheWait_isTaken)
{
    for (const std::size_t first : {std::size_t{1}, std::size_t{2}}) {
        SCOPED_TRACE(first);
        ReceiverRig rig;
        const std::string packet = runningMonitor().packet();
        rig.port.feedAt(1900, packet.substr(first));

        rig.deliver(packet.substr(0, first));
        rig.events.runFor(5000);

        EXPECT_TRUE(rig.statusList.lines.empty());
        EXPECT_EQ(rig.posts, 1);
    }
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

// ---- A job owns the port ------------------------------------------------------------

TEST(PacketReceiver, held_leavesEveryByteInThePortAndTakesThemOnRelease)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();
    rig.receiver.hold(true);

    rig.deliver(packet);
    rig.port.notify();

    EXPECT_EQ(rig.port.unread(), packet.size());
    EXPECT_EQ(rig.posts, 0);
    EXPECT_FALSE(rig.receiver.Started());

    // The release takes what waits without another notification.
    rig.receiver.hold(false);
    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.port.unread(), 0u);
}

TEST(PacketReceiver, heldMidPacket_keepsItsPlaceUntilReleased)
{
    ReceiverRig rig;
    const std::string packet = runningMonitor().packet();

    rig.deliver(packet.substr(0, 20));
    EXPECT_EQ(rig.receiver.ByteCount(), 17);
    rig.receiver.hold(true);
    rig.deliver(packet.substr(20));
    EXPECT_EQ(rig.port.unread(), packet.size() - 20);
    EXPECT_EQ(rig.receiver.ByteCount(), 17);

    rig.receiver.hold(false);
    EXPECT_EQ(rig.posts, 1);
}

// A job queued by someone who hears of a packet holds the port at once: the bytes
// behind that packet stay for the job.
TEST(PacketReceiver, holdTakenWhenAPacketIsAnnounced_stopsRightAfterThatPacket)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(2);
    QObject::connect(&rig.receiver, &PacketReceiver::packetDecoded, [&rig] { rig.receiver.hold(true); });

    rig.deliver(packets[0] + packets[1]);

    EXPECT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.port.unread(), packets[1].size());
}

// ---- Notifications in the middle of one ------------------------------------------------

// Someone who hears of a packet lets the port notify again (a release, say): the inner
// call goes on from the next byte and the outer one finds nothing left out or repeated.
TEST(PacketReceiver, notificationWhileAPacketIsAnnounced_keepsArrivalOrder)
{
    ReceiverRig rig;
    const std::vector<std::string> packets = packetSeries(4);
    QObject::connect(&rig.receiver, &PacketReceiver::packetDecoded, [&rig] {
        if (rig.posts == 1)
            rig.port.notify();
    });

    rig.deliver(packets[0] + packets[1] + packets[2] + packets[3]);

    EXPECT_EQ(postedCounters(rig), (std::vector<std::int32_t>{10, 20, 30, 40}));
    EXPECT_EQ(rig.port.unread(), 0u);
}

TEST(PacketReceiver, bytesArrivingInSmallChunksOverTime_areProcessedInArrivalOrder)
{
    ReceiverRig rig;
    std::string stream;
    for (const std::string& p : packetSeries(12))
        stream += p;
    constexpr std::size_t kChunk = 5;
    for (std::size_t at = 0; at < stream.size(); at += kChunk)
        rig.port.feedAt(static_cast<std::int64_t>(at / kChunk), stream.substr(at, kChunk));

    rig.events.runFor(static_cast<std::int64_t>(stream.size()));

    std::vector<std::int32_t> expected;
    for (int i = 1; i <= 12; ++i)
        expected.push_back(10 * i);
    EXPECT_EQ(postedCounters(rig), expected);
    EXPECT_TRUE(rig.statusList.lines.empty());
    EXPECT_EQ(rig.port.unread(), 0u);
}

} // namespace
