// Qt's event loop behind the EventLoop interface.
#pragma once

#include "platform/event_loop.h"

#include <QTimer>

class QtEventLoop : public EventLoop {
public:
    QtEventLoop();

    void yield() override;
    void waitForEvents(int maxMs) override;
    void Dly(int ms) override;
    void endWaits() override;
    bool endPending() const override;

private:
    QTimer wakeUp_;
    bool ending_ = false;
};
