// Reversing the sign of one channel's current: three writes, then a look whether the
// monitor answered. A step of an exchange job.
#pragma once

#include "common/task.h"

#include <optional>
#include <string>

class CommandExchange;
class ExchangeWaits;
class SerialPort;
struct LinkState;

class PolarityToggle {
public:
    PolarityToggle(SerialPort& port, ExchangeWaits& waits, CommandExchange& commands, LinkState& state);

    // The toggle of channel 1 or 2; the text of its failure, if any.
    Task<std::optional<std::string>> toggle(int channel);

private:
    // Discards waiting input and writes the toggle; false when a write fails.
    Task<bool> send(int channel);

    SerialPort& port_;
    ExchangeWaits& waits_;
    CommandExchange& commands_;
    LinkState& state_;
};
