// The system clock.
#pragma once

#include "platform/clock.h"

class QtClock : public Clock {
public:
    DateTime now() const override;
};
