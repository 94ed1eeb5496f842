// The monitor reset.
#include "monitor_setup/monitor_reset.h"

#include "monitor/monitor.h"
#include "monitor_setup/setup_exchange.h"
#include "platform/status_list.h"

Task<ResetOutcome> MonitorReset::run()
{
    auto question = monitor_.waits().answer({kResetQuestion, "Caution"});
    const bool confirmed = co_await question;
    if (!confirmed)
        co_return ResetOutcome::Declined;
    const auto wasOn = co_await exchange_.borrowPort(list_);
    if (!wasOn)
        co_return ResetOutcome::PortUnavailable;
    const ResetOutcome outcome = co_await resetSequence();
    co_await monitor_.realTime().restoreAfterSetup(*wasOn, list_);
    co_return outcome;
}

Task<ResetOutcome> MonitorReset::resetSequence()
{
    CommandExchange& commands = monitor_.commands();
    const bool attended = co_await commands.writeAcknowledged(monitor_command::Attention);
    if (!attended) {
        list_.clear();
        list_.addLine("No response from Acknowledge command");
        co_return ResetOutcome::NotReset;
    }
    const bool requested = co_await commands.writeAcknowledged(monitor_command::ResetRequest);
    if (!requested) {
        list_.addLine("No response from Request command");
        co_return ResetOutcome::NotReset;
    }
    const bool reset = co_await commands.writeAcknowledged(monitor_command::Reset);
    if (!reset) {
        list_.addLine("KVO was not reset");
        co_return ResetOutcome::NotReset;
    }
    list_.clear();
    list_.addLine("KVO has been successfuly reset");
    co_return ResetOutcome::Reset;
}
