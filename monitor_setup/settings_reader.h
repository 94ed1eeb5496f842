// Reading the monitor's settings block, and the single acknowledge check, each with real
// time switched off around it: steps of one exchange job.
#pragma once

#include "common/task.h"
#include "monitor_setup/settings_block.h"

#include <optional>
#include <string>

class Monitor;
class SetupExchange;
class StatusList;

// What "Send Acknowledge" got back.
enum class AcknowledgeResponse {
    Acknowledged, // 252
    Improper,     // another byte
    NoResponse,   // nothing within the wait
    NotSent,      // the port could not be had, or it refused the byte
};

// The text of the "Response" box; nothing where the box stays as it is.
std::optional<std::string> responseBoxText(AcknowledgeResponse response);

class SettingsReader {
public:
    SettingsReader(Monitor& monitor, SetupExchange& exchange, StatusList& List1)
        : monitor_(monitor), exchange_(exchange), list_(List1)
    {
    }

    // "Read KVO-7730 Settings": the settings, or nothing when the read failed. Real time
    // is started again afterwards when it still flowed once the port was borrowed.
    Task<std::optional<MonitorSettings>> read();

    // "Send Acknowledge": 252, a second to answer, then up to about two seconds more.
    Task<AcknowledgeResponse> sendAcknowledge();

private:
    // Handshake, "SET", "RCV"; true when the 33-byte block is waiting.
    Task<bool> requestBlock();
    // The first 32 bytes of the waiting block.
    MonitorSettings takeBlock();
    Task<AcknowledgeResponse> awaitAnswer();

    Monitor& monitor_;
    SetupExchange& exchange_;
    StatusList& list_;
};
