// Writing the monitor's CT and PT set-up, storage interval and device ID: each accept
// button's action, real time borrowed around its command sequence, as one exchange job.
#pragma once

#include "common/task.h"

#include <cstdint>
#include <optional>
#include <string_view>

class BusyPointer;
class Monitor;
class SetupExchange;
class StatusList;

enum class WriteOutcome {
    Acknowledged,    // the handshake, every command and every value byte
    NotAcknowledged, // something went unanswered; the status list says what
    PortUnavailable,
};

class SettingsWriter {
public:
    SettingsWriter(Monitor& monitor, SetupExchange& exchange, StatusList& List1)
        : monitor_(monitor), exchange_(exchange), list_(List1)
    {
    }

    // Ranges must be 1-10, the interval 1-255 minutes, the ID 0-127 (the boxes and the
    // command line check them before). A refused command ends the sequence; a value
    // byte that is not acknowledged is reported and the sequence goes on.
    Task<WriteOutcome> currentTransformer(int channel, std::uint8_t type, std::uint8_t range);
    Task<WriteOutcome> potentialTransformer(std::uint8_t type, std::uint8_t range);
    Task<WriteOutcome> storageInterval(std::uint8_t minutes);
    Task<WriteOutcome> deviceId(std::uint8_t id);

private:
    // The port borrowed, and real time stopped once more if it still flows; whether it
    // was on, or nothing when the port cannot be had.
    Task<std::optional<bool>> borrowPort();
    // The pointer back to normal, then real time as it was.
    Task<> giveBack(BusyPointer& pointer, bool wasOn);

    // The command sequences; true when everything was acknowledged.
    Task<bool> currentTransformerSequence(int channel, std::uint8_t type, std::uint8_t range);
    Task<bool> potentialTransformerSequence(std::uint8_t type, std::uint8_t range);
    Task<bool> storageIntervalSequence(std::uint8_t minutes);
    Task<bool> deviceIdSequence(std::uint8_t id);
    // The handshake, "SET" and the setting's own command.
    Task<bool> begin(std::string_view command);
    // A refusal adds "Abort <command> command".
    Task<bool> sendCommand(std::string_view command);
    // A missing acknowledgement adds the line.
    Task<bool> sendValue(std::uint8_t value, std::string_view failureLine);

    Monitor& monitor_;
    SetupExchange& exchange_;
    StatusList& list_;
};
