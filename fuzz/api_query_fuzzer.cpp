// Arbitrary query parameters of the history and the chart: an accepted request always
// names a range that goes forward and a chart within its bounds; nothing else gets through.
#include "http/api_query.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Names and values split at the first bytes 0 and 1, as a decoded query would hold them.
    const std::string text(reinterpret_cast<const char*>(data), size);
    QueryItems items;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\1', at), text.size());
        const std::string item = text.substr(at, end - at);
        const std::size_t equals = item.find('\0');
        items.emplace_back(item.substr(0, equals), equals == std::string::npos ? "" : item.substr(equals + 1));
        at = end + 1;
    }
    const auto history = checkHistoryRequest(items, 1796119530);
    if (history.request ? history.request->from >= history.request->to : history.reason.empty())
        std::abort();
    const auto chart = checkChartRequest(items);
    if (chart.request
        && (chart.request->points < kMinChartPoints || chart.request->points > kMaxChartPoints || chart.request->seconds <= 0))
        std::abort();
    return 0;
}
