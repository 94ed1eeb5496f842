// The texts of the current readings that the TCP server serves and the web posting
// pushes: single values and the tab-separated ALL and ALLP lines.
#pragma once

#include "common/number_format.h"
#include "link/live_readings.h"

#include <optional>
#include <string>
#include <string_view>

// The reply text for a GET word ("P1", "KWH1", "ALL", ...), or nothing for a word
// that is not served.
std::optional<std::string> readingText(std::string_view word, const LiveReadings& readings,
                                       NumberSymbols symbols);

// P1, P2, KWH1, KWH2, VOLT, AMP1, AMP2, WS1, WS2, WS1STATIC, WS2STATIC, SEC.
std::string allLine(const LiveReadings& readings, NumberSymbols symbols);

// The ALL line's first 11 fields, WS1P, WS2P, WS1PSTATIC, WS2PSTATIC, then SEC.
std::string allpLine(const LiveReadings& readings, NumberSymbols symbols);
