// Virtual time on top of a fixed start; days do not roll over (tests run for minutes).
#include "fake_clock.h"

DateTime FakeClock::now() const
{
    const std::int64_t startSeconds = start_.hour * 3600 + start_.minute * 60 + start_.second;
    const std::int64_t total = startSeconds + elapsedMs_ / 1000;
    DateTime when = start_;
    when.hour = static_cast<int>((total / 3600) % 24);
    when.minute = static_cast<int>((total / 60) % 60);
    when.second = static_cast<int>(total % 60);
    return when;
}
