// The settings read and the acknowledge check.
#include "monitor_setup/settings_reader.h"

#include "monitor/monitor.h"
#include "monitor_setup/busy_pointer.h"
#include "monitor_setup/setup_exchange.h"
#include "platform/serial_port.h"
#include "platform/status_list.h"

namespace {

constexpr int kPauseBeforeCommandMs = 10;
// Time for the 33 bytes to arrive behind the acknowledgement of "RCV".
constexpr int kBlockArrivalMs = 100;
constexpr int kSettleBeforeAnswerMs = 1000;
constexpr int kAnswerTimeoutSeconds = 2;

} // namespace

std::optional<std::string> responseBoxText(AcknowledgeResponse response)
{
    switch (response) {
    case AcknowledgeResponse::Acknowledged: return "Acknowledged";
    case AcknowledgeResponse::Improper: return "Error";
    case AcknowledgeResponse::NoResponse:
    case AcknowledgeResponse::NotSent: break;
    }
    return std::nullopt;
}

Task<std::optional<MonitorSettings>> SettingsReader::read()
{
    RealTimeControl& realTime = monitor_.realTime();
    BusyPointer pointer(monitor_.dialogs());
    const auto switchedOff = co_await realTime.switchOffForSetup(list_);
    if (!switchedOff) {
        pointer.release();
        co_await realTime.restoreAfterSetup(false, list_);
        co_return std::nullopt;
    }
    list_.clear();
    // The flag follows the data, so it can still be up after the switch-off: then the
    // stop is sent once more, and only this decides whether real time comes back.
    const bool wasOn = monitor_.state().RealTimeOn;
    if (wasOn) {
        list_.addLine("Realtime is ON...... Now turning it off.");
        co_await realTime.stop();
    }
    std::optional<MonitorSettings> settings;
    const bool blockWaiting = co_await requestBlock();
    if (blockWaiting) {
        settings = takeBlock();
        // Drops byte 33 and exchanges one more acknowledgement; its outcome changes nothing.
        co_await exchange_.attention();
        list_.clear();
        list_.addLine("Settings have been read successfuly");
    } else {
        list_.addLine("Could not read settings... Try again.");
    }
    pointer.release();
    co_await realTime.restoreAfterSetup(wasOn, list_);
    co_return settings;
}

Task<bool> SettingsReader::requestBlock()
{
    ExchangeWaits& waits = monitor_.waits();
    monitor_.commands().discardInput();
    const bool attended = co_await exchange_.handshake();
    if (!attended) {
        list_.clear();
        list_.addLine("Unsuccessful in receiving response from KVO-7730. Try again.");
        co_return false;
    }
    co_await waits.delay(kPauseBeforeCommandMs);
    const bool setAcknowledged = co_await exchange_.command(monitor_command::Set);
    if (!setAcknowledged) {
        list_.addLine("No response from \" SET \" command. Try again.");
        co_return false;
    }
    co_await waits.delay(kPauseBeforeCommandMs);
    const bool readAcknowledged = co_await exchange_.command(monitor_command::ReadSettings);
    if (!readAcknowledged) {
        list_.addLine("No response from \" RCV \" command. Try again.");
        co_return false;
    }
    co_await waits.delay(kBlockArrivalMs);
    monitor_.realTime().showRealTimeStopped();
    co_return monitor_.port().bytesWaiting() == settings_block::kLength;
}

MonitorSettings SettingsReader::takeBlock()
{
    std::string block;
    while (static_cast<int>(block.size()) < settings_block::kReadLength) {
        const auto byte = monitor_.port().readByte();
        if (!byte)
            break;
        block += static_cast<char>(*byte);
    }
    return decodeSettingsBlock(block);
}

Task<AcknowledgeResponse> SettingsReader::sendAcknowledge()
{
    RealTimeControl& realTime = monitor_.realTime();
    const auto wasOn = co_await realTime.switchOffForSetup(list_);
    AcknowledgeResponse response = AcknowledgeResponse::NotSent;
    // A port that cannot be had has been reported by its open.
    if (wasOn && !monitor_.port().write(monitor_command::Attention)) {
        list_.addLine("The acknowledge byte could not be sent: the COM port refused it.");
    } else if (wasOn) {
        list_.clear();
        co_await monitor_.waits().delay(kSettleBeforeAnswerMs);
        response = co_await awaitAnswer();
    }
    co_await realTime.restoreAfterSetup(wasOn.value_or(false), list_);
    co_return response;
}

Task<AcknowledgeResponse> SettingsReader::awaitAnswer()
{
    const bool answered = co_await monitor_.waits().byteWithin(kAnswerTimeoutSeconds);
    if (!answered) {
        list_.addLine("No response was received.");
        co_return AcknowledgeResponse::NoResponse;
    }
    const std::uint8_t byte = monitor_.port().readByte().value_or(0);
    list_.addLine(std::to_string(byte));
    if (byte == monitor_command::kAckByte) {
        list_.addLine("Successful response.");
        co_return AcknowledgeResponse::Acknowledged;
    }
    list_.addLine("Improper response.");
    co_return AcknowledgeResponse::Improper;
}
