// The single-threaded event loop, as seen by code that waits: it calls back later.
// Nothing waits inside a handler; a wait is a call back from the one loop.
#pragma once

#include <cstdint>
#include <functional>

class EventLoop {
public:
    using TimerId = std::uint64_t;

    virtual ~EventLoop() = default;

    // Calls fire once, from the loop, after ms milliseconds. Each call keeps its own
    // deadline.
    virtual TimerId callAfter(int ms, std::function<void()> fire) = 0;

    // The call back does not come (nothing happens when it has already come).
    virtual void cancel(TimerId id) = 0;
};
