// The set-up write sequences and their accept buttons.
#include "monitor_setup/settings_writer.h"

#include "common/number_text.h"
#include "link/command_exchange.h"
#include "link/real_time_control.h"
#include "platform/dialogs.h"
#include "platform/status_list.h"

#include <string>

namespace {

constexpr int kLowestRange = 1;
constexpr int kHighestRange = 10;
constexpr int kHighestInterval = 255;
constexpr int kHighestDeviceId = 127;

const std::string kPortProblem = "A problem occured with the COM port. Correct the problem and try again.";

bool rangeFits(std::uint8_t range)
{
    return range >= kLowestRange && range <= kHighestRange;
}

// The leading number of a box, rounded as a typed value is.
double boxValue(std::string_view text)
{
    return roundHalfEven(leadingNumber(text));
}

} // namespace

std::optional<std::uint8_t> boxByte(std::string_view text)
{
    const double value = boxValue(text);
    if (value < 0 || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

bool SettingsWriter::sendCommand(std::string_view command)
{
    if (exchange_.SendASCII(command))
        return true;
    link_.List1.addLine("Abort " + std::string(command) + " command");
    return false;
}

bool SettingsWriter::sendValue(std::uint8_t value, std::string_view failureLine)
{
    if (exchange_.sendValue(value))
        return true;
    link_.List1.addLine(std::string(failureLine));
    return false;
}

bool SettingsWriter::beginWrite(std::string_view command)
{
    link_.realTime.stopAgainIfStillOn();
    if (!exchange_.acknowledgeHandshake()) {
        link_.List1.addLine("Did not receive ACK 1");
        return false;
    }
    return sendCommand(monitor_command::Set) && sendCommand(command);
}

bool SettingsWriter::WriteCTsetting(std::uint8_t CTtype, std::uint8_t CTrange, int channel)
{
    if (!rangeFits(CTrange)) {
        link_.dialogs.message("Improper Range");
        return false;
    }
    const auto command = channel == 1 ? monitor_command::CtChannel1 : monitor_command::CtChannel2;
    if (!beginWrite(command) || !sendCommand(monitor_command::CtType))
        return false;
    const bool typeSent = sendValue(CTtype, "Did not successfuly send CT type");
    if (!sendCommand(monitor_command::CtRange))
        return false;
    const bool rangeSent = sendValue(CTrange, "Did not successfuly send new CT value");
    return typeSent && rangeSent;
}

bool SettingsWriter::WritePTsetting(std::uint8_t PTtype, std::uint8_t PTrange)
{
    if (!rangeFits(PTrange)) {
        link_.dialogs.message("Improper Range");
        return false;
    }
    if (!beginWrite(monitor_command::PtType))
        return false;
    const bool typeSent = sendValue(PTtype, "Did not successfuly send PTtype");
    if (!sendCommand(monitor_command::PtRange))
        return false;
    const bool rangeSent = sendValue(PTrange, "Did not successfuly send new PT value");
    return typeSent && rangeSent;
}

bool SettingsWriter::WriteIntervalsetting(std::uint8_t HiVal, std::uint8_t LoVal)
{
    if (!beginWrite(monitor_command::StorageInterval))
        return false;
    const std::string_view failure = "Did not successfuly send Interval Setting value.";
    const bool highSent = sendValue(HiVal, failure);
    const bool lowSent = sendValue(LoVal, failure);
    return highSent && lowSent;
}

bool SettingsWriter::WriteDeviceID(std::uint8_t id)
{
    return beginWrite(monitor_command::DeviceId) && sendValue(id, "Did not successfuly send DeviceID value");
}

bool SettingsWriter::borrowPort()
{
    if (link_.realTime.RealTimeOff(link_.List1))
        return true;
    link_.List1.clear();
    link_.List1.addLine(kPortProblem);
    link_.dialogs.setBusyPointer(false);
    return false;
}

bool SettingsWriter::acceptCt(int channel, std::string_view typeText, std::string_view rangeText)
{
    StatusList& list = link_.List1;
    const std::string channelName = "CH" + std::to_string(channel) + " CT Type and Range";
    const auto type = boxByte(typeText);
    const auto range = boxByte(rangeText);
    // A value that does not fit a byte is refused before the port is touched.
    if (!type || !range) {
        list.clear();
        list.addLine("PROBLEM Modifying " + channelName);
        list.addLine("The CT type and range must be whole numbers from 0 to 255.");
        link_.dialogs.setBusyPointer(false);
        link_.dialogs.message("Error writing CT setup values");
        return false;
    }
    list.clear();
    if (channel == 2)
        list.addLine("Modifying " + channelName);
    if (!borrowPort())
        return false;
    link_.dialogs.setBusyPointer(true);
    if (channel == 1) {
        list.clear();
        list.addLine("Modifying " + channelName);
    }
    const bool written = WriteCTsetting(*type, *range, channel);
    if (channel == 1) {
        link_.dialogs.setBusyPointer(false);
        link_.realTime.RealTimeRestore(list);
        list.clear();
        list.addLine("Completed Modifying " + channelName);
    } else {
        list.clear();
        list.addLine("Completed Modifying " + channelName);
        link_.dialogs.setBusyPointer(false);
        link_.realTime.RealTimeRestore(list);
    }
    return written;
}

bool SettingsWriter::Command4_Click(std::string_view Text6, std::string_view Text7)
{
    link_.List1.clear();
    const auto type = boxByte(Text6);
    const auto range = boxByte(Text7);
    if (!type || !range) {
        link_.List1.addLine("The PT type and range must be whole numbers from 0 to 255.");
        link_.dialogs.message("Error writing PT setup values");
        link_.dialogs.setBusyPointer(false);
        return false;
    }
    if (!borrowPort())
        return false;
    link_.dialogs.setBusyPointer(true);
    const bool written = WritePTsetting(*type, *range);
    link_.List1.addLine("Completed");
    link_.dialogs.setBusyPointer(false);
    link_.realTime.RealTimeRestore(link_.List1);
    return written;
}

bool SettingsWriter::Command3_Click(std::string_view Text5)
{
    link_.List1.clear();
    const double minutes = boxValue(Text5);
    if (minutes < 1 || minutes > kHighestInterval) {
        link_.dialogs.message("Invalid Storage Interval Value");
        return false;
    }
    if (!borrowPort())
        return false;
    link_.dialogs.setBusyPointer(true);
    const bool written = WriteIntervalsetting(0, static_cast<std::uint8_t>(minutes));
    link_.dialogs.setBusyPointer(false);
    link_.realTime.RealTimeRestore(link_.List1);
    return written;
}

bool SettingsWriter::Command7_Click(std::string_view Text9)
{
    if (!borrowPort())
        return false;
    link_.List1.clear();
    const double id = boxValue(Text9);
    bool written = false;
    if (id < 0 || id > kHighestDeviceId) {
        link_.dialogs.message("Invalid Device ID Value");
    } else {
        link_.dialogs.setBusyPointer(true);
        written = WriteDeviceID(static_cast<std::uint8_t>(id));
    }
    link_.dialogs.setBusyPointer(false);
    link_.realTime.RealTimeRestore(link_.List1);
    return written;
}
