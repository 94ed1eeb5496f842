#include "link/polarity_toggle.h"

#include "link/command_exchange.h"
#include "link/exchange_waits.h"
#include "link/link_state.h"
#include "platform/serial_port.h"

#include <string_view>

namespace {

constexpr int kPauseBetweenWritesMs = 20;

// Our number for a write that the open port refuses: the "Device I/O error" of the
// BASIC run-time tradition (a closed port has its own message).
constexpr int kWriteFailedError = 57;

const std::string kPortClosed = "Open COM port and establish communication with monitor befor using this command.";

std::string_view negateCommand(int channel)
{
    switch (channel) {
    case 1: return monitor_command::NegateChannel1;
    case 2: return monitor_command::NegateChannel2;
    default: return {};
    }
}

} // namespace

PolarityToggle::PolarityToggle(SerialPort& port, ExchangeWaits& waits, CommandExchange& commands, LinkState& state)
    : port_(port), waits_(waits), commands_(commands), state_(state)
{
}

Task<std::optional<std::string>> PolarityToggle::toggle(int channel)
{
    std::optional<std::string> failure;
    bool sent = false;
    if (port_.isOpen())
        sent = co_await send(channel);
    if (!sent)
        failure = port_.isOpen() ? "Error " + std::to_string(kWriteFailedError) : kPortClosed;
    else if (port_.bytesWaiting() == 0)
        failure = "Toggle operation failed. Try again";
    state_.releaseInputHold();
    co_return failure;
}

Task<bool> PolarityToggle::send(int channel)
{
    commands_.discardInput();
    for (const std::string_view part : {monitor_command::Attention, monitor_command::Set, negateCommand(channel)}) {
        if (!part.empty() && !port_.write(part))
            co_return false;
        co_await waits_.delay(kPauseBetweenWritesMs);
    }
    co_return true;
}
