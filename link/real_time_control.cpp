// The real-time start and stop handshakes, the polarity toggle, the data-flow
// watchdog and the automatic start.
#include "link/real_time_control.h"

#include "common/second_deadline.h"
#include "link/command_exchange.h"
#include "link/link_displays.h"
#include "link/port_manager.h"
#include "link/link_settings.h"
#include "link/link_state.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

#include <algorithm>
#include <string>

namespace {

// The monitor needs a moment after the port opens before it takes commands.
constexpr int kSettleBeforeStartMs = 1000;
// How long the start watches for the first real-time bytes.
constexpr int kFirstDataWaitSeconds = 3;
constexpr int kPauseBetweenStopCommandsMs = 40;
constexpr int kPauseBetweenPolarityWritesMs = 20;

// The watchdog counts to here at most, then steps back, so the counter never overflows.
constexpr int kNoDataCap = 30000;
constexpr std::int16_t kNoDataRestart = 20000;
// Ticks without a packet byte that still count as data flowing.
constexpr int kNoDataTolerance = 2;

// Our number for a write that the open port refuses: the "Device I/O error" of the
// BASIC run-time tradition (a closed port has its own message).
constexpr int kWriteFailedError = 57;

const std::string kStartFailed =
    "An error occured while attempting to start Real-Time data. Please verify your COM port or connection";
const std::string kPortClosedForToggle =
    "Open COM port and establish communication with monitor befor using this command.";
const std::string kDataActive = "Real-Time Data Active";
const std::string kDataStopped = "Real-Time Data Stopped";
const std::string kExchangeBusy = "The monitor is busy with another command; the request was not carried out.";

std::string_view negateCommand(int channel)
{
    switch (channel) {
    case 1: return monitor_command::NegateChannel1;
    case 2: return monitor_command::NegateChannel2;
    default: return {};
    }
}

} // namespace

RealTimeControl::RealTimeControl(SerialPort& port, const Clock& clock, EventLoop& events,
                                 const LinkSettings& settings, LinkState& state, Dialogs& dialogs,
                                 LinkDisplays& displays, PortManager& ports, CommandExchange& exchange)
    : port_(port), clock_(clock), events_(events), settings_(settings), state_(state), dialogs_(dialogs),
      displays_(displays), ports_(ports), exchange_(exchange)
{
}

bool RealTimeControl::preamble()
{
    if (settings_.CommMethod == comm_method::None) {
        dialogs_.message("A communication method has not been selected. Select method before proceeding.");
        emit comPanelWanted();
        return false;
    }
    if (!state_.ZigbeeFound) {
        if (settings_.CommMethod == comm_method::UsbCable)
            state_.ZigbeeFound = true;
        if (settings_.CommMethod == comm_method::ZigbeeVersion1)
            emit zigbeeNodeSearchWanted(1);
        // Read again: the first search may have changed the method.
        if (settings_.CommMethod == comm_method::ZigbeeVersion2)
            emit zigbeeNodeSearchWanted(2);
    }
    return true;
}

void RealTimeControl::setRealTimeOn(bool on)
{
    if (state_.RealTimeOn == on)
        return;
    state_.RealTimeOn = on;
    emit realTimeChanged(on);
}

void RealTimeControl::startTcpServerIfListening()
{
    if (settings_.StartupListen)
        emit tcpServerStartWanted();
}

void RealTimeControl::showDataFlow(const std::string& text, StatusLook look)
{
    displays_.mainRealTimeBox.show(text, look);
    displays_.webRealTimeBox.show(text, look);
}

bool RealTimeControl::commandAcknowledged(std::string_view command)
{
    return port_.write(command) && exchange_.GetAckByte();
}

void RealTimeControl::MnuStartRTL_Click()
{
    exclusively([this] { startRealTime(); });
}

void RealTimeControl::startRealTime()
{
    if (!preamble())
        return;
    const bool opened = ports_.OpenComPort();
    events_.Dly(kSettleBeforeStartMs);
    if (opened) {
        state_.CmdInProgress = true;
        if (runStartHandshake())
            return;
        state_.CmdInProgress = false;
    }
    dialogs_.message(kStartFailed);
}

bool RealTimeControl::runStartHandshake()
{
    const std::string_view attention(&monitor_command::kAck, 1);
    StatusList& list = displays_.List1;
    if (!commandAcknowledged(attention) && !commandAcknowledged(attention)) {
        list.clear();
        list.addLine("No response from Acknowledge command");
        return false;
    }
    if (!commandAcknowledged(monitor_command::Toggle)) {
        list.addLine("No response from Request command");
        return false;
    }
    if (!commandAcknowledged(monitor_command::RealTimeOn)) {
        list.addLine("Error turning Real-Time ON");
        return false;
    }
    realTimeWanted_ = true;
    list.clear();
    list.addLine("Real-Time is ON");
    startTcpServerIfListening();
    awaitFirstData();
    state_.CmdInProgress = false;
    setRealTimeOn(true);
    startTcpServerIfListening();
    return true;
}

void RealTimeControl::awaitFirstData()
{
    SecondDeadline deadline(clock_.secondOfMinute(), kFirstDataWaitSeconds);
    // What arrived with the handshake is not a packet.
    while (port_.bytesWaiting() > 0) {
        port_.readByte();
        events_.yield();
    }
    // The first packets stay in the buffer for the receiver; here they only show
    // that data flows.
    while (port_.isOpen() && !deadline.reachedAt(clock_.secondOfMinute())) {
        events_.waitForEvents(kPollSliceMs);
        if (port_.bytesWaiting() > 0) {
            startTcpServerIfListening();
            showDataFlow(kDataActive, status_look::Good);
        }
    }
}

void RealTimeControl::MnuStopRTL_Click()
{
    exclusively([this] { stopRealTime(); });
}

void RealTimeControl::stopRealTime()
{
    if (!preamble())
        return;
    StatusList& list = displays_.List1;
    state_.CmdInProgress = true;
    if (!exchange_.Send_Receive_Ack() && !exchange_.Send_Receive_Ack()) {
        list.clear();
        list.addLine("Unsuccessful in receiving response from KVO-7730. Try again.");
        state_.CmdInProgress = false;
        return;
    }
    if (!exchange_.SendASCII(monitor_command::Toggle, true)) {
        list.addLine("No response from \"Toggle\" command. Click \"Start\" to try again.");
        state_.CmdInProgress = false;
        return;
    }
    events_.Dly(kPauseBetweenStopCommandsMs);
    if (!exchange_.SendASCII(monitor_command::RealTimeOff, true)) {
        list.addLine("No response from \"OFF\" command. Click \"Start\" to try again.");
        state_.CmdInProgress = false;
        return;
    }
    realTimeWanted_ = false;
    list.addLine("Real Time has been disabled successfully.");
    showDataFlow(kDataStopped, status_look::Stopped);
    // The receiver stays away until the next sequence hands the port back; the
    // watchdog notices that the packets have stopped.
}

bool RealTimeControl::RealTimeOff(StatusList& callerList)
{
    if (!port_.isOpen() && !ports_.OpenComPort())
        return false;
    state_.RTwasOn = state_.RealTimeOn;
    if (state_.RTwasOn) {
        callerList.addLine("Realtime is ON..... now turning OFF");
        MnuStopRTL_Click();
    }
    state_.CmdInProgress = true;
    callerList.addLine("Realtime is OFF");
    return true;
}

void RealTimeControl::RealTimeRestore(StatusList& callerList)
{
    if (state_.RTwasOn) {
        callerList.addLine("Restoring Real-Time back to its ON state.");
        MnuStartRTL_Click();
    }
    state_.CmdInProgress = false;
}

bool RealTimeControl::exclusively(const std::function<void()>& exchange)
{
    if (exchanging_) {
        displays_.List1.addLine(kExchangeBusy);
        return false;
    }
    exchanging_ = true;
    exchange();
    exchanging_ = false;
    return true;
}

void RealTimeControl::TogglePolarity(int channel)
{
    exclusively([&] {
        if (const auto failure = polarityToggleFailure(channel))
            dialogs_.message(*failure);
    });
}

void RealTimeControl::togglePolarityFromNetwork(int channel)
{
    exclusively([&] {
        if (const auto failure = polarityToggleFailure(channel))
            displays_.List1.addLine(*failure);
    });
}

std::optional<std::string> RealTimeControl::polarityToggleFailure(int channel)
{
    state_.CmdInProgress = true;
    std::optional<std::string> failure;
    if (!port_.isOpen() || !sendPolarityToggle(channel))
        failure = port_.isOpen() ? "Error " + std::to_string(kWriteFailedError) : kPortClosedForToggle;
    else if (port_.bytesWaiting() == 0)
        failure = "Toggle operation failed. Try again";
    state_.CmdInProgress = false;
    return failure;
}

void RealTimeControl::forgetRealTimeWasOn()
{
    state_.RTwasOn = false;
}

void RealTimeControl::stopAgainIfStillOn()
{
    if (!state_.RealTimeOn)
        return;
    state_.RTwasOn = true;
    MnuStopRTL_Click();
}

void RealTimeControl::endCommand()
{
    state_.CmdInProgress = false;
}

void RealTimeControl::showRealTimeStopped()
{
    displays_.mainRealTimeBox.show(kDataStopped, status_look::Stopped);
}

bool RealTimeControl::sendPolarityToggle(int channel)
{
    while (port_.bytesWaiting() > 0) {
        events_.yield();
        port_.readByte();
    }
    const std::string_view attention(&monitor_command::kAck, 1);
    for (const std::string_view part : {attention, monitor_command::Set, negateCommand(channel)}) {
        if (!part.empty() && !port_.write(part))
            return false;
        events_.Dly(kPauseBetweenPolarityWritesMs);
    }
    return true;
}

void RealTimeControl::Timer2_Timer()
{
    if (++state_.NoDataSeconds > kNoDataCap)
        state_.NoDataSeconds = kNoDataRestart;
    const bool wasOn = state_.RealTimeOn;
    if (state_.NoDataSeconds > kNoDataTolerance) {
        showDataStopped(wasOn);
    } else {
        setRealTimeOn(true);
        if (!wasOn) {
            if (settings_.StartupListen)
                emit tcpServerStartIfClosedWanted();
            displays_.mainRealTimeBox.show(kDataActive, status_look::Good);
        }
    }
    events_.yield();
}

void RealTimeControl::dataStopped()
{
    const bool wasOn = state_.RealTimeOn;
    state_.NoDataSeconds = std::max<std::int16_t>(state_.NoDataSeconds, kNoDataTolerance + 1);
    showDataStopped(wasOn);
}

void RealTimeControl::showDataStopped(bool wasOn)
{
    setRealTimeOn(false);
    if (wasOn)
        displays_.mainRealTimeBox.show(kDataStopped, status_look::Stopped);
}

bool RealTimeControl::Timer3_Timer()
{
    if (!port_.isOpen())
        return true;
    // The timer is still enabled while we yield (the start, the message box); a tick
    // in the middle must not start a second attempt.
    if (autoStartBusy_)
        return false;
    autoStartBusy_ = true;
    if (!state_.RealTimeOn)
        attemptAutomaticStart();
    autoStartBusy_ = false;
    return false;
}

void RealTimeControl::attemptAutomaticStart()
{
    const bool zigbeeMethod = settings_.CommMethod == comm_method::ZigbeeVersion1
        || settings_.CommMethod == comm_method::ZigbeeVersion2;
    if (zigbeeMethod && !state_.ZigbeeFound && !automaticStartDiscovers_) {
        dialogs_.message("An attempt to start real-time was aborted since a zigbee node has not been discovered. "
                         "Open the Communication Panel and try using the \"Find\" buttons.");
        return;
    }
    MnuStartRTL_Click();
    displays_.List1.clear();
    displays_.List1.addLine("Real-Time was off. Now attempting to start real-time.");
}
