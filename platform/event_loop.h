// The single-threaded event loop, as seen by code that waits.
#pragma once

// The longest a polling wait blocks before it looks at the clock again.
constexpr int kPollSliceMs = 10;

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Runs the events that are pending now and returns without waiting.
    virtual void yield() = 0;

    // Runs events, blocking until the next one arrives or maxMs milliseconds pass.
    // Polling loops call this between polls so that they never spin the processor.
    virtual void waitForEvents(int maxMs) = 0;

    // Returns after ms milliseconds, running events meanwhile.
    virtual void Dly(int ms) = 0;
};
