// The history as an outbox: which rows a batch takes from a cursor, and the cursor kept
// in the history file.
#include "history_rig.h"

#include "history/history_outbox.h"

#include <gtest/gtest.h>

namespace {

std::vector<EpochSeconds> timesOf(const auto& rows)
{
    std::vector<EpochSeconds> times;
    for (const auto& row : rows)
        times.push_back(row.time);
    return times;
}

TEST(HistoryOutbox, minutesGoOnceTheyHaveEnded_aBatchAtATimeFromTheCursor)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds start = rig.store.now();
    for (int minute = 0; minute < 4; ++minute) {
        for (int second = 0; second < 60; ++second)
            rig.packet(minute, 0);
    }
    rig.store.flush();
    // Four minutes written, the last of them while it is still in progress.
    rig.clock.advanceMs(-1000);
    const HistoryOutbox outbox(rig.store);
    OutboxBatch batch = outbox.next(0, HistoryRows::Minutes, 2);
    EXPECT_EQ(timesOf(batch.minutes), (std::vector{start, start + 60}));
    EXPECT_EQ(batch.sentUntil, start + 120);
    EXPECT_TRUE(batch.packets.empty());
    batch = outbox.next(batch.sentUntil, HistoryRows::Minutes, 2);
    EXPECT_EQ(timesOf(batch.minutes), (std::vector{start + 120})) << "the minute in progress may still grow";
    rig.clock.advanceMs(1000);
    EXPECT_EQ(timesOf(outbox.next(batch.sentUntil, HistoryRows::Minutes, 2).minutes), (std::vector{start + 180}));
}

TEST(HistoryOutbox, packetsGoUpToTheNewestSecond_andABatchNeverEndsInsideASecond)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds start = rig.store.now();
    LiveReadings r;
    // Three packets in each of twenty seconds.
    for (int packet = 0; packet < 60; ++packet) {
        r.Watts1 = packet;
        rig.store.record(r);
        if (packet % 3 == 2)
            rig.clock.advanceMs(1000);
    }
    rig.store.flush();
    const HistoryOutbox outbox(rig.store);
    OutboxBatch batch = outbox.next(0, HistoryRows::Packets, 5);
    ASSERT_EQ(batch.packets.size(), 3u) << "the second cut short waits for the next batch";
    EXPECT_EQ(batch.sentUntil, start + 1);
    EXPECT_EQ(batch.packets.back().watts1, 2);

    batch = outbox.next(start + 1, HistoryRows::Packets, 100);
    EXPECT_EQ(batch.packets.size(), 54u) << "seconds 1 to 18: the newest second may still be added to";
    EXPECT_EQ(batch.sentUntil, start + 19);
    EXPECT_TRUE(outbox.next(batch.sentUntil, HistoryRows::Packets, 100).empty());
}

TEST(HistoryOutbox, packetsNoLongerKeptAreStoodInForByTheirMinutes)
{
    HistoryRig rig;
    rig.nextMinute();
    const EpochSeconds start = rig.store.now();
    for (int second = 0; second < 60 * 3 + 30; ++second)
        rig.packet(second, 0);
    rig.store.flush();
    // Two days later the first packets are trimmed away at the next minute's write.
    rig.clock.advanceMs(1000 * (HistoryStore::kPacketKeepSeconds - 90));
    for (int second = 0; second < 61; ++second)
        rig.packet(1, 1);
    const std::optional<TimeSpan> kept = rig.store.writtenPacketSpan();
    ASSERT_TRUE(kept);
    ASSERT_GT(kept->first, start + 60) << "the trim has taken the first minute's packets";

    const HistoryOutbox outbox(rig.store);
    const OutboxBatch minutes = outbox.next(0, HistoryRows::Packets, 100);
    ASSERT_FALSE(minutes.minutes.empty());
    EXPECT_EQ(minutes.minutes.front().time, start);
    EXPECT_LE(minutes.sentUntil, kept->first) << "no minute that packets still hold";
    EXPECT_GT(minutes.sentUntil + 60, kept->first) << "every minute wholly before the packets";
    const OutboxBatch packets = outbox.next(minutes.sentUntil, HistoryRows::Packets, 100);
    ASSERT_FALSE(packets.packets.empty());
    EXPECT_EQ(packets.packets.front().time, kept->first);
}

TEST(HistoryOutbox, eachDestinationKeepsItsOwnCursorInTheFile_acrossAReopen)
{
    HistoryRig rig;
    {
        const HistoryOutbox outbox(rig.store);
        EXPECT_FALSE(outbox.cursor("a")) << "nothing sent yet";
        EXPECT_EQ(outbox.keepCursor("a", 100), "");
        EXPECT_EQ(outbox.keepCursor("b", 50), "");
        EXPECT_EQ(outbox.keepCursor("a", 160), "");
    }
    rig.store.open(rig.path);
    const HistoryOutbox outbox(rig.store);
    EXPECT_EQ(outbox.cursor("a"), 160);
    EXPECT_EQ(outbox.cursor("b"), 50);
    rig.store.open(QString());
    EXPECT_FALSE(outbox.cursor("a"));
    EXPECT_NE(outbox.keepCursor("a", 200), "") << "no file, nothing kept, and it says so";
}

} // namespace
