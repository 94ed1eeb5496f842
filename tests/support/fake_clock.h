// A clock that moves only when a test (or a fake wait) moves it.
#pragma once

#include "platform/clock.h"

#include <cstdint>

class FakeClock : public Clock {
public:
    explicit FakeClock(DateTime start = DateTime{2026, 12, 8, 10, 15, 30}) : start_(start) {}

    DateTime now() const override;

    void advanceMs(std::int64_t ms) { elapsedMs_ += ms; }
    std::int64_t elapsedMs() const { return elapsedMs_; }

private:
    DateTime start_;
    std::int64_t elapsedMs_ = 0;
};
