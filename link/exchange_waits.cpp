// The waits of the exchange jobs, on the event loop's call backs.
#include "link/exchange_waits.h"

#include "platform/clock.h"
#include "platform/serial_port.h"

#include <utility>

ExchangeWaits::ExchangeWaits(EventLoop& loop, const Clock& clock, SerialPort& port, Dialogs& dialogs)
    : loop_(loop), clock_(clock), port_(port), dialogs_(dialogs), self_(std::make_shared<ExchangeWaits*>(this))
{
}

ExchangeWaits::~ExchangeWaits()
{
    if (timer_ != 0)
        loop_.cancel(timer_);
}

ExchangeWaits::DelayWait ExchangeWaits::delay(int ms)
{
    return DelayWait(*this, ms);
}

ExchangeWaits::ByteWait ExchangeWaits::byteWithin(int seconds)
{
    return ByteWait(*this, SecondDeadline(clock_.secondOfMinute(), seconds));
}

ExchangeWaits::AnswerWait ExchangeWaits::answer(Question question)
{
    return AnswerWait(*this, std::move(question));
}

void ExchangeWaits::suspend(std::coroutine_handle<> job, Kind kind)
{
    waiting_ = job;
    kind_ = kind;
    ++serial_;
    if (kind == Kind::Byte)
        timer_ = loop_.callAfter(kPollSliceMs, [this] { pollByte(); });
}

void ExchangeWaits::resumeWaiting()
{
    if (timer_ != 0)
        loop_.cancel(timer_);
    timer_ = 0;
    kind_ = Kind::None;
    byteDeadline_ = nullptr;
    std::exchange(waiting_, {}).resume();
}

void ExchangeWaits::pollByte()
{
    timer_ = 0;
    if (port_.bytesWaiting() > 0 || !port_.isOpen() || byteDeadline_->reachedAt(clock_.secondOfMinute())) {
        resumeWaiting();
        return;
    }
    timer_ = loop_.callAfter(kPollSliceMs, [this] { pollByte(); });
}

void ExchangeWaits::bytesArrived()
{
    if (kind_ == Kind::Byte && port_.bytesWaiting() > 0)
        resumeWaiting();
}

void ExchangeWaits::cancel()
{
    cancelled_ = true;
    if (waiting_)
        resumeWaiting();
}

void ExchangeWaits::throwIfCancelled() const
{
    if (cancelled_)
        throw JobCancelled{};
}

void ExchangeWaits::DelayWait::await_suspend(std::coroutine_handle<> job)
{
    waits_.suspend(job, Kind::Delay);
    waits_.timer_ = waits_.loop_.callAfter(ms_, [&waits = waits_] {
        waits.timer_ = 0;
        waits.resumeWaiting();
    });
}

bool ExchangeWaits::ByteWait::await_ready()
{
    return waits_.cancelled_ || waits_.port_.bytesWaiting() > 0 || !waits_.port_.isOpen()
        || deadline_.reachedAt(waits_.clock_.secondOfMinute());
}

void ExchangeWaits::ByteWait::await_suspend(std::coroutine_handle<> job)
{
    waits_.byteDeadline_ = &deadline_;
    waits_.suspend(job, Kind::Byte);
}

bool ExchangeWaits::ByteWait::await_resume() const
{
    waits_.throwIfCancelled();
    return waits_.port_.bytesWaiting() > 0;
}

bool ExchangeWaits::AnswerWait::await_suspend(std::coroutine_handle<> job)
{
    waits_.suspend(job, Kind::Answer);
    const std::weak_ptr<ExchangeWaits*> owner = waits_.self_;
    const unsigned serial = waits_.serial_;
    asking_ = true;
    waits_.dialogs_.ask(question_, [this, owner, serial](bool yes) {
        const auto alive = owner.lock();
        // A job cancelled meanwhile has gone on already; its question is forgotten.
        if (!alive || (*alive)->serial_ != serial || (*alive)->kind_ != Kind::Answer)
            return;
        yes_ = yes;
        if (asking_)
            answeredAtOnce_ = true;
        else
            (*alive)->resumeWaiting();
    });
    asking_ = false;
    if (!answeredAtOnce_)
        return true;
    // Answered before the box was even left: the job goes straight on.
    waits_.waiting_ = {};
    waits_.kind_ = Kind::None;
    return false;
}

bool ExchangeWaits::AnswerWait::await_resume() const
{
    waits_.throwIfCancelled();
    return yes_;
}
