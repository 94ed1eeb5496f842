// The set-up write sequences and their accept buttons' actions.
#include "monitor_setup/settings_writer.h"

#include "monitor/monitor.h"
#include "monitor_setup/busy_pointer.h"
#include "monitor_setup/setup_exchange.h"
#include "platform/status_list.h"

#include <string>

namespace {

WriteOutcome outcome(bool acknowledged)
{
    return acknowledged ? WriteOutcome::Acknowledged : WriteOutcome::NotAcknowledged;
}

} // namespace

Task<std::optional<bool>> SettingsWriter::borrowPort()
{
    const auto wasOn = co_await exchange_.borrowPort(list_);
    if (!wasOn)
        co_return std::nullopt;
    // The flag follows the data, so it can still be up although the stop has just gone out.
    const bool stoppedAgain = co_await monitor_.realTime().stopIfStillOn();
    co_return *wasOn || stoppedAgain;
}

Task<> SettingsWriter::giveBack(BusyPointer& pointer, bool wasOn)
{
    pointer.release();
    co_await monitor_.realTime().restoreAfterSetup(wasOn, list_);
}

Task<WriteOutcome> SettingsWriter::currentTransformer(int channel, std::uint8_t type, std::uint8_t range)
{
    const std::string modifying = "Modifying CH" + std::to_string(channel) + " CT Type and Range";
    list_.clear();
    if (channel == 2)
        list_.addLine(modifying);
    const auto wasOn = co_await borrowPort();
    if (!wasOn)
        co_return WriteOutcome::PortUnavailable;
    BusyPointer pointer(monitor_.dialogs());
    if (channel == 1) {
        list_.clear();
        list_.addLine(modifying);
    }
    const bool acknowledged = co_await currentTransformerSequence(channel, type, range);
    // The two channels' buttons have always ended in a different order.
    if (channel == 1)
        co_await giveBack(pointer, *wasOn);
    list_.clear();
    list_.addLine("Completed " + modifying);
    if (channel == 2)
        co_await giveBack(pointer, *wasOn);
    co_return outcome(acknowledged);
}

Task<WriteOutcome> SettingsWriter::potentialTransformer(std::uint8_t type, std::uint8_t range)
{
    list_.clear();
    const auto wasOn = co_await borrowPort();
    if (!wasOn)
        co_return WriteOutcome::PortUnavailable;
    BusyPointer pointer(monitor_.dialogs());
    const bool acknowledged = co_await potentialTransformerSequence(type, range);
    list_.addLine("Completed");
    co_await giveBack(pointer, *wasOn);
    co_return outcome(acknowledged);
}

Task<WriteOutcome> SettingsWriter::storageInterval(std::uint8_t minutes)
{
    list_.clear();
    const auto wasOn = co_await borrowPort();
    if (!wasOn)
        co_return WriteOutcome::PortUnavailable;
    BusyPointer pointer(monitor_.dialogs());
    const bool acknowledged = co_await storageIntervalSequence(minutes);
    co_await giveBack(pointer, *wasOn);
    co_return outcome(acknowledged);
}

Task<WriteOutcome> SettingsWriter::deviceId(std::uint8_t id)
{
    const auto wasOn = co_await borrowPort();
    if (!wasOn)
        co_return WriteOutcome::PortUnavailable;
    list_.clear();
    BusyPointer pointer(monitor_.dialogs());
    const bool acknowledged = co_await deviceIdSequence(id);
    co_await giveBack(pointer, *wasOn);
    co_return outcome(acknowledged);
}

Task<bool> SettingsWriter::sendCommand(std::string_view command)
{
    const bool acknowledged = co_await exchange_.command(command);
    if (acknowledged)
        co_return true;
    list_.addLine("Abort " + std::string(command) + " command");
    co_return false;
}

Task<bool> SettingsWriter::sendValue(std::uint8_t value, std::string_view failureLine)
{
    const bool acknowledged = co_await exchange_.value(value);
    if (acknowledged)
        co_return true;
    list_.addLine(std::string(failureLine));
    co_return false;
}

Task<bool> SettingsWriter::begin(std::string_view command)
{
    const bool attended = co_await exchange_.handshake();
    if (!attended) {
        list_.addLine("Did not receive ACK 1");
        co_return false;
    }
    const bool setAcknowledged = co_await sendCommand(monitor_command::Set);
    if (!setAcknowledged)
        co_return false;
    co_return co_await sendCommand(command);
}

Task<bool> SettingsWriter::currentTransformerSequence(int channel, std::uint8_t type, std::uint8_t range)
{
    const bool begun = co_await begin(channel == 1 ? monitor_command::CtChannel1 : monitor_command::CtChannel2);
    if (!begun)
        co_return false;
    const bool typeAnnounced = co_await sendCommand(monitor_command::CtType);
    if (!typeAnnounced)
        co_return false;
    const bool typeSent = co_await sendValue(type, "Did not successfuly send CT type");
    const bool rangeAnnounced = co_await sendCommand(monitor_command::CtRange);
    if (!rangeAnnounced)
        co_return false;
    const bool rangeSent = co_await sendValue(range, "Did not successfuly send new CT value");
    co_return typeSent && rangeSent;
}

Task<bool> SettingsWriter::potentialTransformerSequence(std::uint8_t type, std::uint8_t range)
{
    const bool begun = co_await begin(monitor_command::PtType);
    if (!begun)
        co_return false;
    const bool typeSent = co_await sendValue(type, "Did not successfuly send PTtype");
    const bool rangeAnnounced = co_await sendCommand(monitor_command::PtRange);
    if (!rangeAnnounced)
        co_return false;
    const bool rangeSent = co_await sendValue(range, "Did not successfuly send new PT value");
    co_return typeSent && rangeSent;
}

Task<bool> SettingsWriter::storageIntervalSequence(std::uint8_t minutes)
{
    const bool begun = co_await begin(monitor_command::StorageInterval);
    if (!begun)
        co_return false;
    const std::string_view failure = "Did not successfuly send Interval Setting value.";
    // The interval goes out as a 16-bit value whose high byte is always 0.
    const bool highSent = co_await sendValue(0, failure);
    const bool lowSent = co_await sendValue(minutes, failure);
    co_return highSent && lowSent;
}

Task<bool> SettingsWriter::deviceIdSequence(std::uint8_t id)
{
    const bool begun = co_await begin(monitor_command::DeviceId);
    if (!begun)
        co_return false;
    co_return co_await sendValue(id, "Did not successfuly send DeviceID value");
}
