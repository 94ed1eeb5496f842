// The receiver on long streams of random bytes: with valid packets mixed in, every
// packet that the noise cannot reach is decoded; on pure noise it neither crashes nor hangs.
#include "receiver_rig.h"

#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// std::mt19937's sequence is fixed by the standard, so the streams are the same everywhere.
constexpr std::uint32_t kSeed = 20261208;

std::uint8_t randomByte(std::mt19937& rng)
{
    return static_cast<std::uint8_t>(rng() & 0xFF);
}

// Why every inserted packet is decoded, and nothing else is:
//
// Each packet P is preceded by noise = chunk + guard. The chunk is random bytes (any
// length, 0 included) that never contain the adjacent pair 255 254; the guard is kGuard
// random bytes none of which is 254.
//
// 1. No noise frame reaches the decoder. The decoder runs only for a frame whose
//    positions 38 and 39 hold 255 and 254, two adjacent stream bytes. A frame that starts
//    in the noise lies wholly inside that noise (see 3), and the noise has no such pair:
//    not inside the chunk (excluded), not across chunk and guard nor inside the guard (no
//    254 there). So every noise frame ends at its position 40 by a checksum mismatch
//    (silent), "FF error" or "FE error", each of which returns the receiver to hunting:
//    no position-41 drop and no headerless restart, which only follow a decode. And the
//    decoder's state (SecondsCounter, WrapPending) is changed by real packets only.
// 2. A packet met while hunting, with no header half read, is decoded completely: 254
//    255 1 start it, its 40 bytes are collected, checksum and trailer are right, its
//    seconds counter is above the previous packet's (no wrap: the counter stays far below
//    2^24) and its volts are in range, so the outcome is Finished: hunting again, nothing
//    pending, right after P's last byte. The generator checks that each packet's running
//    checksum falls to 255 or less, without which no checksum byte could match.
// 3. The guard leaves the receiver hunting with nothing pending. At the end of the chunk
//    the receiver is hunting, or has half read a header (the chunk ends in 254 or in
//    254 255), or is collecting at some ByteCount from 0 to 39. The worst case is a lone
//    254 at the end: the guard's first 2 bytes may finish that header (255 1), and 40
//    more bring the frame to position 40, where by 1. it ends without a decode: 42 bytes.
//    Every other case needs fewer. The rest of the guard has no 254, so no header starts.
//    (With no guard at all this seed loses 14 of the packets.)
// 4. All bytes are in the port before the one notification and the stream ends with a
//    packet, so no header is left half read: no "Time out error", nothing left to wait
//    for, and the clock never moves.
//
// Hence PostReadings is called exactly once per inserted packet, in order.
constexpr int kGuard = 42;
constexpr int kPackets = 5000;
constexpr int kMaxChunk = 400;

struct MixedStream {
    std::string bytes;
    std::size_t noiseBytes = 0;
    std::vector<std::int32_t> counters;  // of the inserted packets, in order
    std::vector<double> absWs1;
};

MixedStream mixedStream()
{
    std::mt19937 rng(kSeed);
    MixedStream stream;
    MonitorEmulator monitor;
    for (int i = 0; i < kPackets; ++i) {
        const std::size_t chunk = rng() % (kMaxChunk + 1);
        std::uint8_t previous = 0;
        for (std::size_t n = 0; n < chunk; ++n) {
            std::uint8_t byte = randomByte(rng);
            while (previous == 255 && byte == 254)
                byte = randomByte(rng);
            stream.bytes += static_cast<char>(byte);
            previous = byte;
        }
        for (int n = 0; n < kGuard; ++n) {
            std::uint8_t byte = randomByte(rng);
            while (byte == 254)
                byte = randomByte(rng);
            stream.bytes += static_cast<char>(byte);
        }
        stream.noiseBytes += chunk + kGuard;

        MonitorState& state = monitor.state();
        state.volts = 100 + rng() % 300 / 10.0;
        state.watts = {static_cast<double>(rng() % 3000), -static_cast<double>(rng() % 3000)};
        state.powerFactor = {(rng() % 1000) / 1000.0, (rng() % 1000) / 1000.0};
        monitor.advance(1 + static_cast<int>(rng() % 5));
        const std::string packet = monitor.packet();
        // A checksum byte can only match where the running value fell to 255 or less.
        if (packetChecksum(packet.substr(0, packet::kWireLength - 1)) > 255)
            throw std::logic_error("packet without a matching checksum");
        stream.bytes += packet;
        stream.counters.push_back(static_cast<std::int32_t>(state.secondsCounter));
        stream.absWs1.push_back(std::floor(state.absWs[0]));
    }
    return stream;
}

TEST(RandomStream, everyPacketBehindAGuardedNoiseChunkIsDecoded)
{
    const MixedStream stream = mixedStream();
    ASSERT_GE(stream.noiseBytes, 1u << 20);
    ReceiverRig rig;

    rig.deliver(stream.bytes);

    EXPECT_EQ(rig.port.unread(), 0u);
    ASSERT_EQ(rig.posts, kPackets);
    std::vector<std::int32_t> counters;
    std::vector<double> absWs1;
    for (const LiveReadings& r : rig.posted) {
        counters.push_back(r.SecondsCounter);
        absWs1.push_back(r.AbsWs1);
    }
    EXPECT_EQ(counters, stream.counters);
    EXPECT_EQ(absWs1, stream.absWs1);
    EXPECT_EQ(rig.clock.elapsedMs(), 0);
    EXPECT_EQ(rig.events.pending(), 0u);
    for (const std::string& line : rig.statusList.lines)
        ASSERT_TRUE(line == "FF error" || line == "FE error") << line;
    EXPECT_FALSE(rig.receiver.Started());
}

// Unconstrained noise in port-sized chunks arriving over (virtual) time: whatever the
// bytes, the receiver takes every one of them and returns.
TEST(RandomStream, pureNoiseInChunks_isConsumedWithoutCrashOrHang)
{
    std::mt19937 rng(kSeed + 1);
    ReceiverRig rig;
    rig.keepPosted = false;
    constexpr std::size_t kTotal = 1u << 20;
    constexpr std::int64_t kChunkSpacingMs = 60;
    std::size_t total = 0;
    std::int64_t at = 0;
    while (total < kTotal) {
        std::string chunk(1 + rng() % 1024, '\0');
        for (char& c : chunk)
            c = static_cast<char>(randomByte(rng));
        total += chunk.size();
        rig.port.feedAt(at, chunk);
        at += kChunkSpacingMs;
    }
    // A last byte that is neither 255 nor 1 completes no header and leaves none half read.
    rig.port.feedAt(at, std::string(1, '\0'));

    EXPECT_TRUE(rig.events.runUntilIdle());

    EXPECT_EQ(rig.port.unread(), 0u);
    EXPECT_EQ(rig.port.bytesWaiting(), 0);
    // Every header deadline saw its next byte come: the next chunk is at most 60 ms away.
    EXPECT_EQ(std::count(rig.statusList.lines.begin(), rig.statusList.lines.end(), "Time out error"), 0);
}

} // namespace
