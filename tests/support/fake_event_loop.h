// An event loop on virtual time: call backs run when the test lets time pass, each
// with the fake clock moved to its own moment.
#pragma once

#include "fake_clock.h"
#include "common/task.h"
#include "platform/event_loop.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
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

    // Runs call backs in order until done() holds, none is left, or limitMs of virtual
    // time have passed; the clock stays where the last call back left it, so it tells
    // when done() came true. True when done() holds.
    bool runUntil(const std::function<bool()>& done, std::int64_t limitMs = 600'000)
    {
        const std::int64_t until = clock_.elapsedMs() + limitMs;
        while (!done() && !due_.empty() && due_.begin()->first.first <= until)
            runNext();
        return done();
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

namespace fake_loop_detail {
// What a started task left behind; shared, so that a task that outlives its runner
// (it did not end in time) still has somewhere to put its end.
template <typename T>
struct Outcome {
    bool ended = false;
    std::exception_ptr failure;
    std::optional<T> value;
};

// A free coroutine with by-value parameters: it keeps nothing of its caller's frame.
template <typename T>
Task<> keepValue(Task<T> task, std::shared_ptr<Outcome<T>> outcome)
{
    outcome->value.emplace(co_await task);
}
} // namespace fake_loop_detail

// Starts the task and lets virtual time pass until it has ended; its value, or the
// exception that ended it. Throws when it has not ended within limitMs.
template <typename T>
T runToEnd(FakeEventLoop& loop, Task<T> task, std::int64_t limitMs = 600'000)
{
    using Kept = std::conditional_t<std::is_void_v<T>, bool, T>;
    const auto outcome = std::make_shared<fake_loop_detail::Outcome<Kept>>();
    const auto done = [outcome](std::exception_ptr failure) {
        outcome->ended = true;
        outcome->failure = failure;
    };
    if constexpr (std::is_void_v<T>)
        startTask(std::move(task), done);
    else
        startTask(fake_loop_detail::keepValue(std::move(task), outcome), done);
    if (!loop.runUntil([&outcome] { return outcome->ended; }, limitMs))
        throw std::runtime_error("the task did not end on virtual time");
    if (outcome->failure)
        std::rethrow_exception(outcome->failure);
    if constexpr (!std::is_void_v<T>)
        return std::move(*outcome->value);
}
