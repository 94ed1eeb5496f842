// An event loop on virtual time: call backs run when the test lets time pass, each
// with the fake clock moved to its own moment.
#pragma once

#include "fake_clock.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

class FakeEventLoop : public EventLoop {
public:
    explicit FakeEventLoop(FakeClock& clock) : clock_(clock) {}

    TimerId callAfter(int ms, std::function<void()> fire) override
    {
        const TimerId id = nextId_++;
        due_.emplace(std::pair(clock_.elapsedMs() + ms, id), std::move(fire));
        return id;
    }

    void cancel(TimerId id) override
    {
        for (auto it = due_.begin(); it != due_.end(); ++it) {
            if (it->first.second == id) {
                due_.erase(it);
                return;
            }
        }
    }

    // Lets ms of virtual time pass, running every call back due meanwhile in order.
    void runFor(std::int64_t ms)
    {
        const std::int64_t until = clock_.elapsedMs() + ms;
        while (!due_.empty() && due_.begin()->first.first <= until)
            runNext();
        clock_.advanceMs(until - clock_.elapsedMs());
    }

    // Runs call backs until none is left, or until limitMs of virtual time have passed
    // (a timer that always starts another); true when none is left.
    bool runUntilIdle(std::int64_t limitMs = 600'000)
    {
        const std::int64_t until = clock_.elapsedMs() + limitMs;
        while (!due_.empty() && due_.begin()->first.first <= until)
            runNext();
        return due_.empty();
    }

    std::size_t pending() const { return due_.size(); }

private:
    void runNext()
    {
        const auto first = due_.begin();
        const std::int64_t at = first->first.first;
        std::function<void()> fire = std::move(first->second);
        due_.erase(first);
        if (at > clock_.elapsedMs())
            clock_.advanceMs(at - clock_.elapsedMs());
        fire();
    }

    FakeClock& clock_;
    // By due time, then by the order of the calls.
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> due_;
    TimerId nextId_ = 1;
};
