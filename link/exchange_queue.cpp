// Runs the monitor's exchange jobs one after the other.
#include "link/exchange_queue.h"

#include "link/exchange_waits.h"
#include "platform/status_list.h"

#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(kvoJobs, "kvo.jobs", QtWarningMsg)

namespace {

const std::string kAlreadyPending = "The monitor is busy with the same command; the request was not carried out.";

} // namespace

ExchangeQueue::ExchangeQueue(ExchangeWaits& waits, StatusList& statusList, QObject* parent)
    : QObject(parent), waits_(waits), statusList_(statusList)
{
}

void ExchangeQueue::enqueue(const std::string& name, Job job)
{
    if (closed_)
        return;
    waiting_.push_back({name, std::move(job)});
    if (!running_)
        startNext();
}

bool ExchangeQueue::enqueueUnlessPending(const std::string& name, Job job)
{
    if (pending(name)) {
        statusList_.addLine(kAlreadyPending);
        return false;
    }
    enqueue(name, std::move(job));
    return true;
}

bool ExchangeQueue::pending(const std::string& name) const
{
    return (running_ && runningName_ == name)
        || std::any_of(waiting_.begin(), waiting_.end(), [&](const Entry& entry) { return entry.name == name; });
}

void ExchangeQueue::startNext()
{
    if (waiting_.empty() || closed_)
        return;
    Entry entry = std::move(waiting_.front());
    waiting_.pop_front();
    const bool wasRunning = running_;
    running_ = true;
    runningName_ = entry.name;
    waits_.clearCancel();
    qCDebug(kvoJobs) << "job begins:" << entry.name.c_str();
    if (!wasRunning)
        emit busyChanged(true);
    startTask(entry.job(), [this](std::exception_ptr failure) { finished(failure); });
}

void ExchangeQueue::finished(std::exception_ptr failure)
{
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const JobCancelled&) {
        qCDebug(kvoJobs) << "job cancelled:" << runningName_.c_str();
    } catch (const std::exception& error) {
        statusList_.addLine("The command to the monitor failed: " + std::string(error.what()));
    } catch (...) {
        statusList_.addLine("The command to the monitor failed.");
    }
    qCDebug(kvoJobs) << "job ends:" << runningName_.c_str();
    runningName_.clear();
    if (!waiting_.empty() && !closed_) {
        startNext();
        return;
    }
    running_ = false;
    emit busyChanged(false);
}

void ExchangeQueue::close()
{
    closed_ = true;
    waiting_.clear();
    if (running_)
        waits_.cancel();
}
