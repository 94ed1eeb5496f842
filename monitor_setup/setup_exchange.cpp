// The setup window's exchange with the monitor.
#include "monitor_setup/setup_exchange.h"

#include "monitor/monitor.h"
#include "platform/dialogs.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

Task<std::optional<bool>> SetupExchange::borrowPort(StatusList& List1)
{
    const auto wasOn = co_await monitor_.realTime().switchOffForSetup(List1);
    if (!wasOn) {
        List1.clear();
        List1.addLine("A problem occured with the COM port. Correct the problem and try again.");
        monitor_.dialogs().setBusyPointer(false);
    }
    co_return wasOn;
}

Task<bool> SetupExchange::attention()
{
    if (!monitor_.port().isOpen()) {
        const bool opened = co_await monitor_.ports().open();
        if (!opened)
            co_return false;
    }
    co_return co_await monitor_.commands().attention();
}

Task<bool> SetupExchange::handshake()
{
    const bool first = co_await attention();
    if (first)
        co_return true;
    co_return co_await attention();
}

Task<bool> SetupExchange::command(std::string_view command)
{
    const bool sent = co_await monitor_.commands().send(command, false);
    if (!sent)
        co_return false;
    co_return co_await monitor_.commands().acknowledgement();
}

Task<bool> SetupExchange::value(std::uint8_t value)
{
    const char byte = static_cast<char>(value);
    co_return co_await monitor_.commands().writeAcknowledged(std::string_view(&byte, 1));
}
