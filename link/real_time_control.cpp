// The real-time start and stop handshakes, the data-flow watchdog and the automatic
// start.
#include "link/real_time_control.h"

#include "common/second_deadline.h"
#include "link/command_exchange.h"
#include "link/exchange_waits.h"
#include "link/link_displays.h"
#include "link/link_settings.h"
#include "link/link_state.h"
#include "link/port_manager.h"
#include "link/zigbee_discovery.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/status_box.h"
#include "platform/status_list.h"

#include <algorithm>
#include <string>

namespace {

// The monitor needs a moment after the port opens before it takes commands.
constexpr int kSettleBeforeStartMs = 1000;
// How long the start watches for the first real-time bytes, and how often it looks.
constexpr int kFirstDataWaitSeconds = 3;
constexpr int kFirstDataLookMs = 50;
constexpr int kPauseBetweenStopCommandsMs = 40;

// The watchdog counts to here at most, then steps back, so the counter never overflows.
constexpr int kNoDataCap = 30000;
constexpr std::int16_t kNoDataRestart = 20000;
// Ticks without a packet byte that still count as data flowing.
constexpr int kNoDataTolerance = 2;

const std::string kStartFailed =
    "An error occured while attempting to start Real-Time data. Please verify your COM port or connection";
const std::string kDataActive = "Real-Time Data Active";
const std::string kDataStopped = "Real-Time Data Stopped";

bool isZigbee(std::uint8_t method)
{
    return method == comm_method::ZigbeeVersion1 || method == comm_method::ZigbeeVersion2;
}

} // namespace

RealTimeControl::RealTimeControl(const Parts& parts, const LinkSettings& settings, LinkState& state)
    : parts_(parts), settings_(settings), state_(state)
{
}

Task<bool> RealTimeControl::preamble()
{
    if (settings_.CommMethod == comm_method::None) {
        parts_.dialogs.message("A communication method has not been selected. Select method before proceeding.");
        emit comPanelWanted();
        co_return false;
    }
    if (!state_.ZigbeeFound) {
        if (settings_.CommMethod == comm_method::UsbCable)
            state_.ZigbeeFound = true;
        for (const int version : {1, 2}) {
            // Read again for the second: the first search may have changed the method.
            if (settings_.CommMethod != version)
                continue;
            const auto outcome = co_await parts_.discovery.findNode(version, parts_.displays.List1);
            if (outcome == ZigbeeDiscovery::Outcome::Discovered)
                state_.ZigbeeFound = true;
        }
    }
    co_return true;
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
    parts_.displays.mainRealTimeBox.show(text, look);
    emit realTimeSwitched(look == status_look::Good);
}

Task<> RealTimeControl::start()
{
    const bool methodChosen = co_await preamble();
    if (!methodChosen)
        co_return;
    const bool opened = co_await parts_.ports.open();
    co_await parts_.waits.delay(kSettleBeforeStartMs);
    bool started = false;
    if (opened)
        started = co_await startHandshake();
    state_.releaseInputHold();
    if (!started)
        parts_.dialogs.message(kStartFailed);
}

Task<bool> RealTimeControl::startHandshake()
{
    CommandExchange& commands = parts_.commands;
    StatusList& list = parts_.displays.List1;
    bool answered = co_await commands.writeAcknowledged(monitor_command::Attention);
    if (!answered)
        answered = co_await commands.writeAcknowledged(monitor_command::Attention);
    if (!answered) {
        list.clear();
        list.addLine("No response from Acknowledge command");
        co_return false;
    }
    const bool toggled = co_await commands.writeAcknowledged(monitor_command::Toggle);
    if (!toggled) {
        list.addLine("No response from Request command");
        co_return false;
    }
    const bool switchedOn = co_await commands.writeAcknowledged(monitor_command::RealTimeOn);
    if (!switchedOn) {
        list.addLine("Error turning Real-Time ON");
        co_return false;
    }
    state_.lastRequest = RealTimeRequest::Started;
    list.clear();
    list.addLine("Real-Time is ON");
    startTcpServerIfListening();
    co_await awaitFirstData();
    setRealTimeOn(true);
    startTcpServerIfListening();
    co_return true;
}

Task<> RealTimeControl::awaitFirstData()
{
    SecondDeadline deadline(parts_.clock.secondOfMinute(), kFirstDataWaitSeconds);
    // What arrived with the handshake is not a packet.
    parts_.commands.discardInput();
    // The first packets stay in the buffer for the receiver; here they only show
    // that data flows.
    bool seen = false;
    while (parts_.port.isOpen() && !deadline.reachedAt(parts_.clock.secondOfMinute())) {
        co_await parts_.waits.delay(kFirstDataLookMs);
        if (!seen && parts_.port.bytesWaiting() > 0) {
            seen = true;
            startTcpServerIfListening();
            showDataFlow(kDataActive, status_look::Good);
        }
    }
}

Task<bool> RealTimeControl::stop()
{
    const bool methodChosen = co_await preamble();
    if (!methodChosen)
        co_return false;
    CommandExchange& commands = parts_.commands;
    StatusList& list = parts_.displays.List1;
    bool answered = co_await commands.attention();
    if (!answered)
        answered = co_await commands.attention();
    if (!answered) {
        list.clear();
        list.addLine("Unsuccessful in receiving response from KVO-7730. Try again.");
        co_return false;
    }
    const bool toggled = co_await commands.send(monitor_command::Toggle, true);
    if (!toggled) {
        list.addLine("No response from \"Toggle\" command. Click \"Start\" to try again.");
        co_return false;
    }
    co_await parts_.waits.delay(kPauseBetweenStopCommandsMs);
    // The monitor streams until "OFF": a packet that came during the pauses is not its answer.
    commands.discardInput();
    const bool switchedOff = co_await commands.send(monitor_command::RealTimeOff, true);
    if (!switchedOff) {
        list.addLine("No response from \"OFF\" command. Click \"Start\" to try again.");
        co_return false;
    }
    // The receiver stays away until the next sequence hands the port back; the
    // watchdog notices that the packets have stopped.
    state_.lastRequest = RealTimeRequest::Stopped;
    list.addLine("Real Time has been disabled successfully.");
    showDataFlow(kDataStopped, status_look::Stopped);
    co_return true;
}

Task<std::optional<bool>> RealTimeControl::switchOffForSetup(StatusList& callerList)
{
    if (!parts_.port.isOpen()) {
        const bool opened = co_await parts_.ports.open();
        if (!opened)
            co_return std::nullopt;
    }
    const bool wasOn = state_.RealTimeOn;
    if (wasOn) {
        callerList.addLine("Realtime is ON..... now turning OFF");
        co_await stop();
    }
    callerList.addLine("Realtime is OFF");
    co_return wasOn;
}

Task<> RealTimeControl::restoreAfterSetup(bool wasOn, StatusList& callerList)
{
    if (wasOn) {
        callerList.addLine("Restoring Real-Time back to its ON state.");
        co_await start();
    }
    state_.releaseInputHold();
}

Task<bool> RealTimeControl::stopIfStillOn()
{
    if (!state_.RealTimeOn)
        co_return false;
    co_await stop();
    co_return true;
}

void RealTimeControl::showRealTimeStopped()
{
    parts_.displays.mainRealTimeBox.show(kDataStopped, status_look::Stopped);
}

void RealTimeControl::watchdogTick()
{
    if (++state_.NoDataSeconds > kNoDataCap)
        state_.NoDataSeconds = kNoDataRestart;
    const bool wasOn = state_.RealTimeOn;
    if (state_.NoDataSeconds > kNoDataTolerance) {
        showDataStopped(wasOn);
        return;
    }
    setRealTimeOn(true);
    if (!wasOn) {
        if (settings_.StartupListen)
            emit tcpServerStartIfClosedWanted();
        parts_.displays.mainRealTimeBox.show(kDataActive, status_look::Good);
    }
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
        parts_.displays.mainRealTimeBox.show(kDataStopped, status_look::Stopped);
}

Task<> RealTimeControl::automaticStart()
{
    if (state_.RealTimeOn)
        co_return;
    if (isZigbee(settings_.CommMethod) && !state_.ZigbeeFound && !automaticStartDiscovers_) {
        parts_.dialogs.message("An attempt to start real-time was aborted since a zigbee node has not been discovered. "
                               "Open the Communication Panel and try using the \"Find\" buttons.");
        co_return;
    }
    co_await start();
    parts_.displays.List1.clear();
    parts_.displays.List1.addLine("Real-Time was off. Now attempting to start real-time.");
}
