// Qt's event loop behind the EventLoop interface: one precise single-shot timer per call.
#pragma once

#include "platform/event_loop.h"

#include <QObject>
#include <map>

class QTimer;

class QtEventLoop : public EventLoop {
public:
    QtEventLoop() = default;
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    TimerId callAfter(int ms, std::function<void()> fire) override;
    void cancel(TimerId id) override;

private:
    std::map<TimerId, QTimer*> timers_;
    TimerId nextId_ = 1;
};
