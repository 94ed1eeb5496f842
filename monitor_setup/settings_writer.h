// Writing the monitor's CT and PT set-up, storage interval and device ID: the command
// sequences, and the accept buttons that read their boxes and borrow the port.
#pragma once

#include "monitor_setup/setup_exchange.h"
#include "monitor_setup/setup_link.h"

#include <cstdint>
#include <optional>
#include <string_view>

// A box's value as the monitor's byte: the text's leading number, rounded; nothing
// when it does not fit a byte.
std::optional<std::uint8_t> boxByte(std::string_view text);

class SettingsWriter {
public:
    SettingsWriter(const SetupLink& link, SetupExchange& exchange) : link_(link), exchange_(exchange) {}

    // Each returns true only when the monitor acknowledged the handshake, every command
    // and every value byte. A refused command ends the sequence; a value byte that is
    // not acknowledged is reported and the sequence goes on.
    bool WriteCTsetting(std::uint8_t CTtype, std::uint8_t CTrange, int channel);
    bool WritePTsetting(std::uint8_t PTtype, std::uint8_t PTrange);
    bool WriteIntervalsetting(std::uint8_t HiVal, std::uint8_t LoVal);
    bool WriteDeviceID(std::uint8_t id);

    // The accept buttons, given their boxes' texts.
    bool Command1_Click(std::string_view Text1, std::string_view Text2) { return acceptCt(1, Text1, Text2); }
    bool Command2_Click(std::string_view Text3, std::string_view Text4) { return acceptCt(2, Text3, Text4); }
    bool Command4_Click(std::string_view Text6, std::string_view Text7);
    bool Command3_Click(std::string_view Text5);
    bool Command7_Click(std::string_view Text9);

private:
    bool acceptCt(int channel, std::string_view typeText, std::string_view rangeText);
    // RealTimeOff, or the COM port line when the port cannot be had.
    bool borrowPort();
    // Steps common to every write: real time stopped if it still flows, the handshake,
    // "SET" and the setting's own command.
    bool beginWrite(std::string_view command);
    // A command of the sequence; a refusal adds "Abort <command> command".
    bool sendCommand(std::string_view command);
    // A value byte; a missing acknowledgement adds the line and the sequence goes on.
    bool sendValue(std::uint8_t value, std::string_view failureLine);

    SetupLink link_;
    SetupExchange& exchange_;
};
