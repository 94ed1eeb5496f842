// The setup window's exchange with the monitor.
#include "monitor_setup/setup_exchange.h"

#include "common/second_deadline.h"
#include "link/command_exchange.h"
#include "link/port_manager.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "platform/serial_port.h"

namespace {

constexpr int kAttentionTimeoutSeconds = 3;

} // namespace

bool SetupExchange::Send_Receive_Ack()
{
    // The open's own question tells the user when it fails; the write below then fails.
    if (!link_.port.isOpen())
        link_.ports.OpenComPort();
    SecondDeadline deadline(link_.clock.secondOfMinute(), kAttentionTimeoutSeconds);
    while (link_.port.bytesWaiting() > 0)
        link_.port.readByte();
    if (!link_.port.write(std::string_view(&monitor_command::kAck, 1)))
        return false;
    while (link_.port.bytesWaiting() == 0) {
        link_.events.waitForEvents(kPollSliceMs);
        if (!link_.port.isOpen() || deadline.reachedAt(link_.clock.secondOfMinute()))
            return false;
    }
    return link_.port.readByte() == monitor_command::kAckByte;
}

bool SetupExchange::SendASCII(std::string_view AsciiChr, bool)
{
    for (std::size_t i = 0; i < AsciiChr.size(); ++i) {
        if (!link_.port.write(AsciiChr.substr(i, 1)))
            return false;
    }
    return GetAckByte();
}

bool SetupExchange::GetAckByte()
{
    return link_.commands.GetAckByte();
}

bool SetupExchange::acknowledgeHandshake()
{
    return Send_Receive_Ack() || Send_Receive_Ack();
}

bool SetupExchange::sendValue(std::uint8_t value)
{
    const char byte = static_cast<char>(value);
    return link_.port.write(std::string_view(&byte, 1)) && GetAckByte();
}
