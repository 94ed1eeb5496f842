// Reset, pre-reset clearing and polarity from the setup window.
#include "monitor_setup/utility_commands.h"

#include "link/command_exchange.h"
#include "link/real_time_control.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

bool UtilityCommands::acknowledged(std::string_view word)
{
    return link_.port.write(word) && link_.commands.GetAckByte();
}

bool UtilityCommands::Command10_Click()
{
    if (!link_.dialogs.askYesNoTitled("Caution", kResetQuestion))
        return false;
    StatusList& list = link_.List1;
    if (!link_.realTime.RealTimeOff(list)) {
        list.clear();
        list.addLine("A problem occured with the COM port. Correct the problem and try again.");
        link_.dialogs.setBusyPointer(false);
        return false;
    }
    bool reset = false;
    if (!acknowledged(std::string_view(&monitor_command::kAck, 1))) {
        list.clear();
        list.addLine("No response from Acknowledge command");
    } else if (!acknowledged(monitor_command::ResetRequest)) {
        list.addLine("No response from Request command");
    } else if (acknowledged(monitor_command::Reset)) {
        list.clear();
        list.addLine("KVO has been successfuly reset");
        reset = true;
    } else {
        list.addLine("KVO was not reset");
    }
    link_.realTime.RealTimeRestore(list);
    return reset;
}

bool UtilityCommands::Command11_Click()
{
    return link_.dialogs.askYesNo(
        "Are you sure you want to delete these values? Deleting these will cause your web server data to corrupt. "
        "This should only be used initialy before starting a new web server account.");
}

bool UtilityCommands::togglePolarity(int channel)
{
    if (!link_.dialogs.askYesNo(
            "Are you sure you want to change the polarity? If you are NET metering, this will affect your data."))
        return false;
    link_.realTime.TogglePolarity(channel);
    return true;
}
