// What a job on the monitor's exchange queue waits for: a delay, a byte from the monitor
// before a deadline, a user's answer. Each wait suspends the job, never the program; a
// cancelled job ends at its wait with JobCancelled.
#pragma once

#include "common/second_deadline.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"

#include <coroutine>
#include <memory>

class Clock;
class SerialPort;

// Thrown at the wait of a job that was cancelled; the queue ends the job quietly.
struct JobCancelled {};

class ExchangeWaits {
public:
    // How often a byte wait looks at the port and the clock besides the arrival notice.
    static constexpr int kPollSliceMs = 10;

    ExchangeWaits(EventLoop& loop, const Clock& clock, SerialPort& port, Dialogs& dialogs);
    ~ExchangeWaits();
    ExchangeWaits(const ExchangeWaits&) = delete;
    ExchangeWaits& operator=(const ExchangeWaits&) = delete;

    class DelayWait;
    class ByteWait;
    class AnswerWait;

    // Resumes the job after ms milliseconds.
    DelayWait delay(int ms);
    // Resumes the job once a byte is waiting (true), or with false once the deadline of
    // `seconds` on the clock's second of the minute has been reached or the port closed.
    // The deadline starts now; the same wait awaited again keeps it.
    ByteWait byteWithin(int seconds);
    // Asks the question and resumes the job with the answer.
    AnswerWait answer(Question question);

    // The port's receive notification: a byte wait resumes at once.
    void bytesArrived();

    // The running job ends at its current wait, or at its next one.
    void cancel();
    // A new job begins: nothing is cancelled.
    void clearCancel() { cancelled_ = false; }
    bool cancelled() const { return cancelled_; }

private:
    enum class Kind { None, Delay, Byte, Answer };
    void suspend(std::coroutine_handle<> job, Kind kind);
    void resumeWaiting();
    void pollByte();
    void throwIfCancelled() const;

    EventLoop& loop_;
    const Clock& clock_;
    SerialPort& port_;
    Dialogs& dialogs_;
    std::coroutine_handle<> waiting_;
    Kind kind_ = Kind::None;
    EventLoop::TimerId timer_ = 0;
    // Counts the waits, so that a late answer finds out that its wait is over.
    unsigned serial_ = 0;
    SecondDeadline* byteDeadline_ = nullptr;
    bool cancelled_ = false;
    // Answers that come after this object is gone find it expired.
    std::shared_ptr<ExchangeWaits*> self_;
};

class ExchangeWaits::DelayWait {
public:
    DelayWait(ExchangeWaits& waits, int ms) : waits_(waits), ms_(ms) {}
    bool await_ready() const { return waits_.cancelled_; }
    void await_suspend(std::coroutine_handle<> job);
    void await_resume() const { waits_.throwIfCancelled(); }

private:
    ExchangeWaits& waits_;
    int ms_;
};

class ExchangeWaits::ByteWait {
public:
    ByteWait(ExchangeWaits& waits, SecondDeadline deadline) : waits_(waits), deadline_(deadline) {}
    bool await_ready();
    void await_suspend(std::coroutine_handle<> job);
    bool await_resume() const;

private:
    ExchangeWaits& waits_;
    SecondDeadline deadline_;
};

class ExchangeWaits::AnswerWait {
public:
    AnswerWait(ExchangeWaits& waits, Question question) : waits_(waits), question_(std::move(question)) {}
    bool await_ready() const { return waits_.cancelled_; }
    bool await_suspend(std::coroutine_handle<> job);
    bool await_resume() const;

private:
    ExchangeWaits& waits_;
    Question question_;
    bool asking_ = false;
    bool answeredAtOnce_ = false;
    bool yes_ = false;
};
