// The attention handshake, the three-letter command send and the acknowledgement wait.
#include "link/command_exchange.h"

#include "common/second_deadline.h"
#include "link/port_manager.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

#include <cstdint>

namespace {

constexpr std::size_t kCommandLength = 3;
constexpr int kAckTimeoutSeconds = 2;
constexpr int kAttentionTimeoutSeconds = 3;
// Lets the monitor finish with a command before the next one arrives.
constexpr int kPauseAfterAckMs = 140;


} // namespace

CommandExchange::CommandExchange(SerialPort& port, const Clock& clock, EventLoop& events, StatusList& List1,
                                 PortManager& ports)
    : port_(port), clock_(clock), events_(events), List1_(List1), ports_(ports)
{
}

bool CommandExchange::Send_Receive_Ack()
{
    if (!port_.isOpen() && !ports_.OpenComPort()) {
        List1_.addLine("An error ocurred or the COM port could not be found. Correct the problem and try again.");
        return false;
    }
    SecondDeadline deadline(clock_.secondOfMinute(), kAttentionTimeoutSeconds);
    // Leftovers of the packet stream would be taken for the reply.
    while (port_.bytesWaiting() > 0)
        port_.readByte();
    if (!port_.write(std::string_view(&monitor_command::kAck, 1)))
        return false;
    while (port_.bytesWaiting() == 0) {
        events_.waitForEvents(kPollSliceMs);
        if (!port_.isOpen() || deadline.reachedAt(clock_.secondOfMinute()))
            return false;
    }
    return port_.readByte() == monitor_command::kAckByte;
}

bool CommandExchange::SendASCII(std::string_view AsciiChr, bool WaitForAck)
{
    // One character per write, the way the monitor has always been sent its commands.
    for (std::size_t i = 0; i < AsciiChr.size() && i < kCommandLength; ++i) {
        if (!port_.write(AsciiChr.substr(i, 1)))
            return false;
    }
    if (!WaitForAck)
        return true;
    if (!GetAckByte())
        return false;
    events_.Dly(kPauseAfterAckMs);
    return true;
}

bool CommandExchange::GetAckByte()
{
    SecondDeadline deadline(clock_.secondOfMinute(), kAckTimeoutSeconds);
    while (port_.bytesWaiting() == 0) {
        // A closed port can never answer, and a program asked to end must not sit here.
        if (!port_.isOpen() || events_.endPending() || deadline.reachedAt(clock_.secondOfMinute()))
            return false;
        port_.waitForBytes(kPollSliceMs);
    }
    return port_.readByte() == monitor_command::kAckByte;
}
