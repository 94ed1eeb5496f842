// The monitor's exchange queue: every conversation with the monitor is a job on it. At
// most one job runs; the others wait their turn in order. The end of the program drops
// the waiting jobs and cancels the running one at its wait.
#pragma once

#include "common/task.h"

#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <string>

class ExchangeWaits;
class StatusList;

class ExchangeQueue : public QObject {
    Q_OBJECT

public:
    // A job is made when its turn comes, so that it sees the state of that moment.
    using Job = std::function<Task<>()>;

    ExchangeQueue(ExchangeWaits& waits, StatusList& statusList, QObject* parent = nullptr);

    // Queues the job under a name that says what it does (for a refusal and for the trace).
    void enqueue(const std::string& name, Job job);
    // Queues the job unless one of the same name is running or waiting; false, after a
    // status line, when it was refused.
    bool enqueueUnlessPending(const std::string& name, Job job);

    bool busy() const { return running_; }
    bool pending(const std::string& name) const;

    // The end: waiting jobs are dropped, the running one ends at its wait, no job is
    // taken from now on.
    void close();
    bool closed() const { return closed_; }

signals:
    // A job began or the last one ended: windows show whether their buttons would wait.
    void busyChanged(bool busy);

private:
    struct Entry {
        std::string name;
        Job job;
    };
    void startNext();
    void finished(std::exception_ptr failure);

    ExchangeWaits& waits_;
    StatusList& statusList_;
    std::deque<Entry> waiting_;
    std::string runningName_;
    bool running_ = false;
    bool closed_ = false;
};

// A job that hands its result to whoever asked for it, if the asker (a window that may
// close meanwhile) is still there.
template <typename Result>
Task<> deliverTo(Task<Result> action, QPointer<QObject> observer, std::function<void(const Result&)> reply)
{
    const Result result = co_await action;
    if (observer && reply)
        reply(result);
}

