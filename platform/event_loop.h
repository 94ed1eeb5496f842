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

    // Returns after ms milliseconds, running events meanwhile. Each delay keeps its
    // own deadline, so a delay started by an event during another one ends on time
    // and leaves the outer one to end on its own.
    virtual void Dly(int ms) = 0;

    // The program is ending: from now on delays and waits return at once, so that
    // every wait in progress unwinds without holding the end up.
    virtual void endWaits() = 0;

    // A request to end the program has arrived and waits for the loop to take it.
    // Waits that must not run other events give up on it, so the end is not held up.
    virtual bool endPending() const = 0;
};
