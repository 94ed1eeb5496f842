// Reading the monitor's settings block, and the single acknowledge check.
#pragma once

#include "monitor_setup/settings_block.h"
#include "monitor_setup/setup_exchange.h"
#include "monitor_setup/setup_link.h"

#include <optional>
#include <string>

class SettingsReader {
public:
    SettingsReader(const SetupLink& link, SetupExchange& exchange) : link_(link), exchange_(exchange) {}

    // Handshake, "SET", "RCV"; true when the 33-byte block is waiting in the port.
    bool ReadSettings();

    // "Read KVO-7730 Settings": the settings when the block was read, nothing when the
    // read failed (the window's boxes then stay empty).
    std::optional<MonitorSettings> Command6_Click();

    // "Send Acknowledge": the response box's new text, or nothing when no byte came.
    std::optional<std::string> Command9_Click();

private:
    SetupLink link_;
    SetupExchange& exchange_;
};
