// Turns SIGTERM and SIGINT into a call on the event loop, so that a program told to
// stop still runs its shut-down sequence and saves its counters.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

class ShutdownSignals {
public:
    explicit ShutdownSignals(std::function<void()> onSignal);
    ~ShutdownSignals();

    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
