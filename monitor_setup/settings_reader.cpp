// The settings read and the acknowledge check, with real time switched off around them.
#include "monitor_setup/settings_reader.h"

#include "common/second_deadline.h"
#include "link/command_exchange.h"
#include "link/link_state.h"
#include "link/real_time_control.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

namespace {

constexpr int kPauseBeforeCommandMs = 10;
// Time for the 33 bytes to arrive behind the acknowledgement of "RCV".
constexpr int kBlockArrivalMs = 100;
constexpr int kSettleBeforeAnswerMs = 1000;
constexpr int kAnswerTimeoutSeconds = 2;

} // namespace

bool SettingsReader::ReadSettings()
{
    StatusList& list = link_.List1;
    link_.realTime.forgetRealTimeWasOn();
    if (link_.state.RealTimeOn) {
        list.addLine("Realtime is ON...... Now turning it off.");
        link_.realTime.stopAgainIfStillOn();
    }
    while (link_.port.bytesWaiting() > 0) {
        link_.events.yield();
        link_.port.readByte();
    }
    if (!exchange_.acknowledgeHandshake()) {
        list.clear();
        list.addLine("Unsuccessful in receiving response from KVO-7730. Try again.");
        link_.realTime.endCommand();
        return false;
    }
    bool blockWaiting = false;
    link_.events.Dly(kPauseBeforeCommandMs);
    link_.events.yield();
    if (!exchange_.SendASCII(monitor_command::Set)) {
        list.addLine("No response from \" SET \" command. Try again.");
    } else {
        link_.events.yield();
        link_.events.Dly(kPauseBeforeCommandMs);
        link_.events.yield();
        if (!exchange_.SendASCII(monitor_command::ReadSettings)) {
            list.addLine("No response from \" RCV \" command. Try again.");
        } else {
            link_.events.yield();
            link_.events.Dly(kBlockArrivalMs);
            blockWaiting = link_.port.bytesWaiting() == settings_block::kLength;
            link_.realTime.showRealTimeStopped();
        }
    }
    link_.realTime.endCommand();
    return blockWaiting;
}

std::optional<MonitorSettings> SettingsReader::Command6_Click()
{
    StatusList& list = link_.List1;
    link_.dialogs.setBusyPointer(true);
    std::optional<MonitorSettings> settings;
    if (link_.realTime.RealTimeOff(list)) {
        list.clear();
        if (!ReadSettings()) {
            list.addLine("Could not read settings... Try again.");
        } else {
            link_.events.yield();
            if (link_.port.bytesWaiting() != settings_block::kLength) {
                list.addLine("Error # 33");
            } else {
                std::string block;
                while (static_cast<int>(block.size()) < settings_block::kReadLength) {
                    const auto byte = link_.port.readByte();
                    if (!byte)
                        break;
                    block += static_cast<char>(*byte);
                }
                // Discards byte 33 and exchanges one more acknowledgement.
                exchange_.Send_Receive_Ack();
                settings = decodeSettingsBlock(block);
                link_.realTime.endCommand();
                list.clear();
                list.addLine("Settings have been read successfuly");
            }
        }
    }
    link_.dialogs.setBusyPointer(false);
    link_.realTime.RealTimeRestore(list);
    return settings;
}

std::optional<std::string> SettingsReader::Command9_Click()
{
    StatusList& list = link_.List1;
    if (!link_.realTime.RealTimeOff(list))
        return std::nullopt;
    std::optional<std::string> response;
    if (link_.port.write(std::string_view(&monitor_command::kAck, 1))) {
        list.clear();
        link_.events.Dly(kSettleBeforeAnswerMs);
        SecondDeadline deadline(link_.clock.secondOfMinute(), kAnswerTimeoutSeconds);
        while (!response) {
            if (link_.port.bytesWaiting() > 0) {
                const std::uint8_t byte = link_.port.readByte().value_or(0);
                list.addLine(std::to_string(byte));
                list.addLine(byte == monitor_command::kAckByte ? "Successful response." : "Improper response.");
                response = byte == monitor_command::kAckByte ? "Acknowledged" : "Error";
            } else {
                link_.events.waitForEvents(kPollSliceMs);
                if (deadline.reachedAt(link_.clock.secondOfMinute())) {
                    list.addLine("No response was received.");
                    break;
                }
            }
        }
    }
    link_.realTime.RealTimeRestore(list);
    return response;
}
