// The setup actions queued on the monitor, and their results handed back.
#include "monitor_setup/monitor_setup.h"

#include "monitor/monitor.h"

MonitorSetup::MonitorSetup(Monitor& monitor, QObject* parent)
    : QObject(parent),
      monitor_(monitor),
      exchange_(monitor),
      reader_(monitor, exchange_, statusList_),
      writer_(monitor, exchange_, statusList_),
      reset_(monitor, exchange_, statusList_)
{
    connect(&monitor, &Monitor::busyChanged, this, &MonitorSetup::busyChanged);
}

bool MonitorSetup::busy() const
{
    return monitor_.busy();
}

void MonitorSetup::readSettings(QObject* observer, Reply<std::optional<MonitorSettings>> read)
{
    monitor_.exchanges().enqueue("read the monitor's settings", [this, observer = QPointer<QObject>(observer), read] {
        return deliverTo(reader_.read(), observer, read);
    });
}

void MonitorSetup::sendAcknowledge(QObject* observer, Reply<AcknowledgeResponse> answered)
{
    monitor_.exchanges().enqueue("send acknowledge", [this, observer = QPointer<QObject>(observer), answered] {
        return deliverTo(reader_.sendAcknowledge(), observer, answered);
    });
}

void MonitorSetup::writeCurrentTransformer(int channel, std::uint8_t type, std::uint8_t range, QObject* observer,
                                           Reply<WriteOutcome> written)
{
    monitor_.exchanges().enqueue("write the CT setting", [=, this, observer = QPointer<QObject>(observer)] {
        return deliverTo(writer_.currentTransformer(channel, type, range), observer, written);
    });
}

void MonitorSetup::writePotentialTransformer(std::uint8_t type, std::uint8_t range, QObject* observer,
                                             Reply<WriteOutcome> written)
{
    monitor_.exchanges().enqueue("write the PT setting", [=, this, observer = QPointer<QObject>(observer)] {
        return deliverTo(writer_.potentialTransformer(type, range), observer, written);
    });
}

void MonitorSetup::writeStorageInterval(std::uint8_t minutes, QObject* observer, Reply<WriteOutcome> written)
{
    monitor_.exchanges().enqueue("write the storage interval", [=, this, observer = QPointer<QObject>(observer)] {
        return deliverTo(writer_.storageInterval(minutes), observer, written);
    });
}

void MonitorSetup::writeDeviceId(std::uint8_t id, QObject* observer, Reply<WriteOutcome> written)
{
    monitor_.exchanges().enqueue("write the device ID", [=, this, observer = QPointer<QObject>(observer)] {
        return deliverTo(writer_.deviceId(id), observer, written);
    });
}

void MonitorSetup::resetMonitor(QObject* observer, Reply<ResetOutcome> done)
{
    monitor_.exchanges().enqueue("reset the monitor", [this, observer = QPointer<QObject>(observer), done] {
        return deliverTo(reset_.run(), observer, done);
    });
}

void MonitorSetup::togglePolarity(int channel, QObject* observer, Reply<PolarityOutcome> done)
{
    monitor_.exchanges().enqueue("toggle the polarity", [this, channel, observer = QPointer<QObject>(observer), done] {
        return deliverTo(polarityJob(channel), observer, done);
    });
}

Task<PolarityOutcome> MonitorSetup::polarityJob(int channel)
{
    auto question = monitor_.waits().answer({kPolarityQuestion});
    const bool confirmed = co_await question;
    if (!confirmed)
        co_return PolarityOutcome::Declined;
    const auto failure = co_await monitor_.polarity().toggle(channel);
    if (!failure)
        co_return PolarityOutcome::Toggled;
    monitor_.dialogs().message(*failure);
    co_return PolarityOutcome::Failed;
}

void MonitorSetup::clearPreResetValues()
{
    monitor_.dialogs().ask({kPreResetQuestion}, [monitor = QPointer<Monitor>(&monitor_)](bool yes) {
        if (yes && monitor)
            monitor->clearPreResetValues();
    });
}

void MonitorSetup::refuse(const Refusal& refusal)
{
    statusList_.clear();
    for (const std::string& line : refusal.lines)
        statusList_.addLine(line);
    monitor_.dialogs().message(refusal.message);
}
