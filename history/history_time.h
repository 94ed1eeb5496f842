// The clock's local calendar time as the history's seconds since 1970, and back as
// ISO 8601 text.
#pragma once

#include "common/date_time.h"
#include "history/history_rows.h"

#include <string>

EpochSeconds epochOf(const DateTime& localTime);
// "2026-12-08T10:15:30+01:00": local time with its offset from UTC.
std::string isoText(EpochSeconds time);
