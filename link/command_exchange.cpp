// The attention handshake, the three-letter command send and the acknowledgement wait.
#include "link/command_exchange.h"

#include "link/exchange_waits.h"
#include "link/port_manager.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

namespace {

constexpr std::size_t kCommandLength = 3;
constexpr int kAckTimeoutSeconds = 2;
constexpr int kAttentionTimeoutSeconds = 3;
// Lets the monitor finish with a command before the next one arrives.
constexpr int kPauseAfterAckMs = 140;

} // namespace

CommandExchange::CommandExchange(SerialPort& port, ExchangeWaits& waits, StatusList& statusList, PortManager& ports)
    : port_(port), waits_(waits), statusList_(statusList), ports_(ports)
{
}

void CommandExchange::discardInput()
{
    while (port_.bytesWaiting() > 0)
        port_.readByte();
}

Task<bool> CommandExchange::attention()
{
    if (!port_.isOpen()) {
        const bool opened = co_await ports_.open();
        if (!opened) {
            statusList_.addLine(
                "An error ocurred or the COM port could not be found. Correct the problem and try again.");
            co_return false;
        }
    }
    auto answer = waits_.byteWithin(kAttentionTimeoutSeconds);
    discardInput();
    if (!port_.write(monitor_command::Attention))
        co_return false;
    const bool answered = co_await answer;
    co_return answered && port_.readByte() == monitor_command::kAckByte;
}

Task<bool> CommandExchange::send(std::string_view command, bool waitForAck)
{
    // One character per write, the way the monitor has always been sent its commands.
    for (std::size_t i = 0; i < command.size() && i < kCommandLength; ++i) {
        if (!port_.write(command.substr(i, 1)))
            co_return false;
    }
    if (!waitForAck)
        co_return true;
    const bool acknowledged = co_await acknowledgement();
    if (!acknowledged)
        co_return false;
    co_await waits_.delay(kPauseAfterAckMs);
    co_return true;
}

Task<bool> CommandExchange::writeAcknowledged(std::string_view bytes)
{
    if (!port_.write(bytes))
        co_return false;
    const bool acknowledged = co_await acknowledgement();
    co_return acknowledged;
}

Task<bool> CommandExchange::acknowledgement()
{
    const bool arrived = co_await waits_.byteWithin(kAckTimeoutSeconds);
    co_return arrived && port_.readByte() == monitor_command::kAckByte;
}
