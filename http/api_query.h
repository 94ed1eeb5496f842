// The parameters of the API's requests, checked: a typed request, or the one-line
// reason that a 400 answer carries.
#pragma once

#include "history/history_rows.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A query string's names and values, decoded, in their order.
using QueryItems = std::vector<std::pair<std::string, std::string>>;

template <typename Request>
struct Checked {
    std::optional<Request> request;
    // Why the request was refused, when it was.
    std::string reason;
};

struct HistoryRequest {
    EpochSeconds from = 0;
    EpochSeconds to = 0;
    HistoryRows rows = HistoryRows::Minutes;
    bool csv = false;
};

struct ChartRequest {
    // "1h", "24h", "7d" or "30d".
    std::string range;
    EpochSeconds seconds = 3600;
    int points = 300;
};

inline constexpr int kMinChartPoints = 10;
inline constexpr int kMaxChartPoints = 2000;

// from and to: "2026-12-01" (local midnight), "2026-12-01T10:00" or "…T10:00:30" in local
// time or with "Z" or an offset such as "+01:00", or seconds since 1970. to is not included;
// by default it is now and from is 24 hours before to.
Checked<HistoryRequest> checkHistoryRequest(const QueryItems& items, EpochSeconds now);
Checked<ChartRequest> checkChartRequest(const QueryItems& items);
// A request without parameters (readings, status, metrics) refuses any.
std::string unexpectedParameters(const QueryItems& items);

// Seconds since 1970 of one of the times above; nothing when the text is none of them.
std::optional<EpochSeconds> parseTime(std::string_view text);
