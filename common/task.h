// A coroutine that starts when it is awaited (or started on its own), hands its value or
// its exception to whoever awaits it, and owns its frame.
//
// How to await, so that GCC 12 compiles it right: co_await only as a statement of its
// own, as the initialiser of a named local (`const bool ok = co_await f();`) or right after
// co_return, never inside a condition or beside && and ||; and an awaiter built from a
// temporary with a destructor (a Question) is a named local first. GCC 12 drops or
// double-frees such coroutines without a word; tests/scripts/awaits_named.sh checks it.
#pragma once

// Qt's moc cannot read the coroutine headers; it needs only the name.
#ifdef Q_MOC_RUN
template <typename T = void>
class Task;
#else

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

template <typename T = void>
class Task;

namespace task_detail {

// At the end of a task, control goes straight back to whoever awaited it.
struct ContinueAwaiter {
    bool await_ready() const noexcept { return false; }
    template <typename Promise>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> done) noexcept
    {
        const std::coroutine_handle<> next = done.promise().continuation;
        return next ? next : std::noop_coroutine();
    }
    void await_resume() const noexcept {}
};

struct PromiseBase {
    std::coroutine_handle<> continuation;
    std::exception_ptr failure;

    std::suspend_always initial_suspend() const noexcept { return {}; }
    ContinueAwaiter final_suspend() const noexcept { return {}; }
    void unhandled_exception() noexcept { failure = std::current_exception(); }
};

template <typename T>
struct Promise : PromiseBase {
    std::optional<T> value;

    Task<T> get_return_object();
    template <typename U>
    void return_value(U&& result)
    {
        value.emplace(std::forward<U>(result));
    }
    T take()
    {
        if (failure)
            std::rethrow_exception(failure);
        return std::move(*value);
    }
};

template <>
struct Promise<void> : PromiseBase {
    Task<void> get_return_object();
    void return_void() const noexcept {}
    void take() const
    {
        if (failure)
            std::rethrow_exception(failure);
    }
};

// Runs a task to its end on its own and then calls back; the frame frees itself.
struct Detached {
    struct promise_type {
        Detached get_return_object() const noexcept { return {}; }
        std::suspend_never initial_suspend() const noexcept { return {}; }
        std::suspend_never final_suspend() const noexcept { return {}; }
        void return_void() const noexcept {}
        void unhandled_exception() const noexcept { std::terminate(); }
    };
};

} // namespace task_detail

template <typename T>
class [[nodiscard]] Task {
public:
    using promise_type = task_detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    explicit Task(Handle handle) : handle_(handle) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept
    {
        if (this != &other) {
            if (handle_)
                handle_.destroy();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task()
    {
        if (handle_)
            handle_.destroy();
    }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept
    {
        handle_.promise().continuation = awaiting;
        return handle_;
    }
    T await_resume() { return handle_.promise().take(); }

private:
    Handle handle_;
};

namespace task_detail {

template <typename T>
Task<T> Promise<T>::get_return_object()
{
    return Task<T>(std::coroutine_handle<Promise<T>>::from_promise(*this));
}

inline Task<void> Promise<void>::get_return_object()
{
    return Task<void>(std::coroutine_handle<Promise<void>>::from_promise(*this));
}

inline Detached runAndReport(Task<void> task, std::function<void(std::exception_ptr)> done)
{
    std::exception_ptr failure;
    try {
        co_await task;
    } catch (...) {
        failure = std::current_exception();
    }
    done(failure);
}

} // namespace task_detail

// Starts the task now; it runs until its first wait and goes on from the event loop.
// done is called once at its end, with the exception that ended it, if any.
inline void startTask(Task<void> task, std::function<void(std::exception_ptr)> done)
{
    task_detail::runAndReport(std::move(task), std::move(done));
}

#endif // Q_MOC_RUN
