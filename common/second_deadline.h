// The wall-clock time-out rule: a deadline counted in the clock's seconds of the minute.
#pragma once

// A wait of k seconds ends once the clock's second has moved on k times since the
// start, so the effective time-out lies between k - 1 and k seconds. The seconds are
// counted from one look at the clock to the next, across the turn of the minute, so a
// deadline that has been passed (a handler held the wait up for longer than a second)
// counts as reached instead of waiting for the clock to come round to it again.
class SecondDeadline {
public:
    SecondDeadline(int currentSecond, int seconds) : lastSecond_(currentSecond), remaining_(seconds) {}

    bool reachedAt(int secondOfMinute)
    {
        const int moved = (secondOfMinute - lastSecond_ + 60) % 60;
        lastSecond_ = secondOfMinute;
        remaining_ -= moved;
        return remaining_ <= 0;
    }

private:
    int lastSecond_;
    int remaining_;
};
