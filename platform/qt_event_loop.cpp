// Calls back from Qt's event loop.
#include "platform/qt_event_loop.h"

#include <QTimer>

QtEventLoop::~QtEventLoop()
{
    for (const auto& [id, timer] : timers_)
        delete timer;
}

EventLoop::TimerId QtEventLoop::callAfter(int ms, std::function<void()> fire)
{
    const TimerId id = nextId_++;
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, timer, [this, id, fire = std::move(fire)] {
        // Forgotten before the call, so that the call may start another with the same loop.
        const auto found = timers_.find(id);
        if (found == timers_.end())
            return;
        found->second->deleteLater();
        timers_.erase(found);
        fire();
    });
    timers_.emplace(id, timer);
    timer->start(ms);
    return id;
}

void QtEventLoop::cancel(TimerId id)
{
    const auto found = timers_.find(id);
    if (found == timers_.end())
        return;
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
}
