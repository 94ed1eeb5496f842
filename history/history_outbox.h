// The history as an outbox: the rows after a destination's cursor, a batch at a time,
// and the cursor itself, kept in the history file beside the rows.
#pragma once

#include "history/history_rows.h"

#include <optional>
#include <string>
#include <vector>

class HistoryStore;

struct OutboxBatch {
    // One of the two is filled: minutes stand in for packets that are no longer kept.
    std::vector<MinuteRow> minutes;
    std::vector<PacketRow> packets;
    // The cursor once the batch is acknowledged: every row before it is then sent.
    EpochSeconds sentUntil = 0;

    bool empty() const { return minutes.empty() && packets.empty(); }
    std::size_t size() const { return minutes.size() + packets.size(); }
};

class HistoryOutbox {
public:
    explicit HistoryOutbox(const HistoryStore& store) : store_(store) {}

    // Where the destination's rows go on from; none before its first acknowledged batch.
    std::optional<EpochSeconds> cursor(const std::string& destination) const;
    // Empty when kept; else the database's reason.
    std::string keepCursor(const std::string& destination, EpochSeconds sentUntil) const;

    // The rows from the cursor on, at most maxRows, oldest first. Only rows that can no longer
    // change are taken: minutes that have ended, and packets before the newest second written
    // (a later batch of the file may still add to that second). Packets that are no longer
    // kept are stood in for by the minutes before the oldest packet.
    OutboxBatch next(EpochSeconds from, HistoryRows rows, std::int64_t maxRows) const;

private:
    const HistoryStore& store_;
};
