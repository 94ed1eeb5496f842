// The posting log's columns and the texts of one row.
#pragma once

#include "common/date_time.h"
#include "common/number_format.h"
#include "web/posting_triggers.h"

#include <array>
#include <string>
#include <string_view>

struct LogColumn {
    std::string_view title;
    int widthTwips;
};

inline constexpr std::array<LogColumn, 11> kLogColumns = {{
    {"Trigger Source", 1300},
    {"Trig 1", 800},
    {"Trig 2", 800},
    {"Time of Post", 1200},
    {"CH1 Watt", 1100},
    {"CH2 Watt", 1100},
    {"Volt", 1000},
    {"CH1 KWh", 1400},
    {"CH2 KWh", 1400},
    {"CH1 Amp", 900},
    {"CH2 Amp", 900},
}};

using LogRowTexts = std::array<std::string, kLogColumns.size()>;

// The row of a post made at the given time, numbers in the locale's symbols.
LogRowTexts logRowTexts(const PostRow& row, const DateTime& timeOfPost, NumberSymbols symbols);
