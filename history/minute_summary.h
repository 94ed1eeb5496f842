// The packets of one minute summed up into its minute row, as they arrive.
#pragma once

#include "history/history_rows.h"

#include <optional>

class MinuteSummary {
public:
    // Starts a new minute with its first packet, or adds a packet of the same minute.
    void add(const PacketRow& packet);
    bool empty() const { return packets_ == 0; }
    EpochSeconds minute() const { return minute_; }
    // The row of the packets added so far; nullopt when none.
    std::optional<MinuteRow> row() const;
    void clear() { packets_ = 0; }

    static EpochSeconds minuteOf(EpochSeconds time) { return time - floorModulo(time, 60); }

private:
    static EpochSeconds floorModulo(EpochSeconds value, EpochSeconds divisor)
    {
        return ((value % divisor) + divisor) % divisor;
    }

    struct Channel {
        double sum = 0;
        double minimum = 0;
        double maximum = 0;
        void add(double watts, bool first);
        ChannelMinute minute(std::int64_t packets) const;
    };

    EpochSeconds minute_ = 0;
    std::int64_t packets_ = 0;
    double voltsSum_ = 0;
    Channel channel1_;
    Channel channel2_;
    PacketRow last_;
};
