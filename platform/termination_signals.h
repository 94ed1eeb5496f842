// Turns SIGINT, SIGTERM and SIGHUP into a signal on the Qt event loop, so that a program
// told to stop still ends in order: shut-down saves and destructors run first.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // One per process: the signal handler reaches it through a static descriptor.
    TerminationSignals();
    ~TerminationSignals() override;

    // A signal has arrived that the event loop has not taken yet.
    static bool pending();

signals:
    void received(int signalNumber);

private:
    void drain();

    int fds_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};
