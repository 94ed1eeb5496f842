// An event loop whose waits move the fake clock and whose yields run a test's hook.
#pragma once

#include "fake_clock.h"
#include "platform/event_loop.h"

#include <functional>
#include <vector>

class FakeEventLoop : public EventLoop {
public:
    explicit FakeEventLoop(FakeClock& clock) : clock_(clock) {}

    // Runs as "the other events" at every yield and wait.
    std::function<void()> onEvents;

    void yield() override
    {
        ++yields;
        runEvents();
    }
    void waitForEvents(int maxMs) override
    {
        clock_.advanceMs(maxMs);
        runEvents();
    }
    void Dly(int ms) override
    {
        delays.push_back(ms);
        if (waitsEnded)
            return;
        clock_.advanceMs(ms);
        runEvents();
    }
    void endWaits() override { waitsEnded = true; }
    bool endPending() const override { return endRequested; }

    bool waitsEnded = false;
    // A termination request is waiting for the loop.
    bool endRequested = false;

    int yields = 0;
    std::vector<int> delays;

private:
    void runEvents()
    {
        if (onEvents)
            onEvents();
    }

    FakeClock& clock_;
};
