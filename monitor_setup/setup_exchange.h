// The setup window's own exchange steps, which differ from the link's: a closed port is
// opened without a line of its own, a command waits for its acknowledgement without the
// link's pause after it, and the attention handshake gets a second try.
#pragma once

#include "common/task.h"

#include <cstdint>
#include <optional>
#include <string_view>

class Monitor;
class StatusList;

class SetupExchange {
public:
    explicit SetupExchange(Monitor& monitor) : monitor_(monitor) {}

    // Real time switched off for an action that writes a setting: whether it was on, or
    // nothing, after the COM port line in the list, when the port cannot be had.
    Task<std::optional<bool>> borrowPort(StatusList& List1);

    // 252 and the monitor's answer 252. A closed port is opened first; when it cannot
    // be, the open's own question has told the user.
    Task<bool> attention();
    // The attention handshake, once more when the first try fails.
    Task<bool> handshake();
    // The three characters one per write, then the acknowledgement (a string constant).
    Task<bool> command(std::string_view command);
    // One value byte in its own write, then the acknowledgement.
    Task<bool> value(std::uint8_t value);

private:
    Monitor& monitor_;
};
