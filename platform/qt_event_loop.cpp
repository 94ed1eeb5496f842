// Yielding and blocking waits on Qt's event loop.
#include "platform/qt_event_loop.h"

#include <QCoreApplication>

QtEventLoop::QtEventLoop(QTimer& delayTimer)
    : delayTimer_(delayTimer)
{
    delayTimer_.setInterval(0);
    QObject::connect(&delayTimer_, &QTimer::timeout, &delayTimer_, &QTimer::stop);
    wakeUp_.setSingleShot(true);
}

void QtEventLoop::yield()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::waitForEvents(int maxMs)
{
    // The wake-up timer's own event ends the blocking wait if nothing else comes first.
    wakeUp_.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    wakeUp_.stop();
}

void QtEventLoop::Dly(int ms)
{
    delayTimer_.setInterval(ms);
    delayTimer_.start();
    while (delayTimer_.isActive())
        waitForEvents(ms);
}
