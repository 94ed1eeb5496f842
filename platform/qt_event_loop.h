// Qt's event loop behind the EventLoop interface.
#pragma once

#include "platform/event_loop.h"

#include <QTimer>

class QtEventLoop : public EventLoop {
public:
    // Dly runs on the given one-shot timer (the main window's Timer1); it is stopped
    // by its own tick, which is how a delay learns that its time is up.
    explicit QtEventLoop(QTimer& delayTimer);

    void yield() override;
    void waitForEvents(int maxMs) override;
    void Dly(int ms) override;

private:
    QTimer& delayTimer_;
    QTimer wakeUp_;
};
