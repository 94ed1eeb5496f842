// The wall clock, behind an interface so that tests drive time by hand.
#pragma once

#include "common/date_time.h"

class Clock {
public:
    virtual ~Clock() = default;

    virtual DateTime now() const = 0;

    int secondOfMinute() const { return now().second; }
};
