// The resident server's line protocol: when the buffered text holds a whole command,
// and the one reply line to it.
#pragma once

#include "common/number_format.h"
#include "link/live_readings.h"

#include <functional>
#include <string>
#include <string_view>

// What the SET commands change outside the server; either may be left empty.
struct SetCommandHandlers {
    // The polarity toggle of the monitor's channel; returns after the exchange.
    std::function<void(int channel)> TogglePolarity;
    // Switches the push of the ALL line to the client on trigger events.
    std::function<void(bool on)> triggerPush;
};

// True when the buffered text ends with a carriage return: only then is it answered.
bool endsWithCommand(std::string_view buffered);

class CommandProtocol {
public:
    CommandProtocol(const LiveReadings& readings, NumberSymbols symbols, SetCommandHandlers handlers);

    // The reply, "\r\n" included, to everything taken from the client at once. The
    // whole text is one line, whatever it holds; its last character is the carriage
    // return that completed it.
    std::string reply(std::string_view taken) const;

private:
    std::string getReply(std::string_view word) const;
    std::string setReply(std::string_view word) const;

    const LiveReadings& readings_;
    NumberSymbols symbols_;
    SetCommandHandlers handlers_;
};
