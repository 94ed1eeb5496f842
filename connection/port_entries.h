// The checks of what is typed into the COM panel's port boxes: plain functions that
// return a verdict; the panel only applies it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct PortEntryVerdict {
    // The number to take; nothing when the previous value stays.
    std::optional<int> accepted;
    // Why the entry was refused, for the panel's status list; empty when accepted or ignored.
    std::string reason;
};

// The COM port box: a number, rounded, from 1 to 64, and only while the port is closed
// (an open port keeps its number). Text that is no number is ignored without a word.
PortEntryVerdict comPortEntry(std::string_view text, int current, bool portOpen);

// The TCP port box: a number, rounded, from 1 to 65535.
PortEntryVerdict tcpPortEntry(std::string_view text, int current);
