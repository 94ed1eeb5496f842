// The clock's local calendar time as the history's seconds since 1970, and back as
// ISO 8601 text.
#pragma once

#include "common/date_time.h"
#include "history/history_rows.h"

#include <string>

EpochSeconds epochOf(const DateTime& localTime);
// "2026-12-08T10:15:30+01:00": local time with its offset from UTC ("Z" for none).
std::string isoText(EpochSeconds time);

// The same text for many times in a row: looking up the zone's offset costs some
// microseconds, so an offset once found serves every time until the zone's next change.
class IsoTimeText {
public:
    std::string operator()(EpochSeconds time) const;

private:
    // The span of time [from, until) over which the offset holds.
    mutable EpochSeconds from_ = 0;
    mutable EpochSeconds until_ = 0;
    mutable int offsetSeconds_ = 0;
};
