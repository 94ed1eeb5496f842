// The wall-clock time-out rule: a deadline on the clock's second of the minute.
#pragma once

// Deadline T = current second + k, wrapped into 0-59; the wait is over when the
// clock shows exactly T, so the effective time-out lies between k - 1 and k seconds.
class SecondDeadline {
public:
    SecondDeadline(int currentSecond, int seconds)
        : target_(currentSecond + seconds > 59 ? currentSecond + seconds - 60 : currentSecond + seconds)
    {
    }

    bool reachedAt(int secondOfMinute) const { return secondOfMinute == target_; }

private:
    int target_;
};
