// The JSON texts of the API's answers, apart from the readings (the MQTT state message).
#pragma once

#include "history/history_rows.h"
#include "history/history_time.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// What the status answer tells.
struct StatusFacts {
    std::string version;
    int portNumber = 0;
    bool portOpen = false;
    bool realTimeOn = false;
    std::optional<EpochSeconds> lastPacket;
    std::int64_t packetsDecoded = 0;
    std::int64_t packetsMissed = 0;
    // Empty when no history is kept.
    std::string historyFile;
    double rate = 0;
    // Empty while packets arrive; else why there is no data.
    std::string noData;
};

std::string statusJson(const StatusFacts& facts);

// {"real_time":…,"port_open":…,"no_data":"…"}: what the dashboard's feed line shows.
std::string feedJson(const StatusFacts& facts);

// {"range":"1h","from":…,"to":…,"points":[[time,watts1,watts2],…]}
std::string chartJson(std::string_view range, EpochSeconds from, EpochSeconds to, std::span<const PowerPoint> points);

// {"error":"…"}
std::string errorJson(std::string_view reason);

// One history row as an array of its values in the columns' order (the CSV's), the time
// first as ISO 8601 text, appended to the text.
void appendRowJson(std::string& text, const MinuteRow& row, const IsoTimeText& iso);
void appendRowJson(std::string& text, const PacketRow& row, const IsoTimeText& iso);
// ["time","packets",…]: the names of the rows' columns.
std::string columnsJson(HistoryRows rows);
