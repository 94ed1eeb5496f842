// Yielding and blocking waits on Qt's event loop.
#include "platform/qt_event_loop.h"

#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

QtEventLoop::QtEventLoop()
{
    wakeUp_.setSingleShot(true);
    wakeUp_.setTimerType(Qt::PreciseTimer);
}

void QtEventLoop::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::waitForEvents(int maxMs)
{
    if (ending_)
        return;
    // The wake-up timer's own event ends the blocking wait if nothing else comes first.
    wakeUp_.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wakeUp_.stop();
}

void QtEventLoop::Dly(int ms)
{
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!ending_ && !deadline.hasExpired())
        waitForEvents(static_cast<int>(deadline.remainingTime()));
}

void QtEventLoop::endWaits()
{
    ending_ = true;
}

bool QtEventLoop::endPending() const
{
    return TerminationSignals::pending();
}
