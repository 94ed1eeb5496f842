// The resident server's line protocol: when the buffered text holds a whole command,
// and the one reply line to it.
#pragma once

#include "common/number_format.h"
#include "link/live_readings.h"

#include <string>
#include <string_view>

// What the SET commands change outside the server.
class SetCommandTarget {
public:
    virtual ~SetCommandTarget() = default;

    // The polarity toggle of the monitor's channel; returns after the exchange.
    virtual void TogglePolarity(int channel) = 0;
    // Switches the push of the ALL line to the client on trigger events.
    virtual void setTriggerPush(bool on) = 0;
};

// True when the buffered text ends with a carriage return: only then is it answered.
bool endsWithCommand(std::string_view buffered);

class CommandProtocol {
public:
    CommandProtocol(const LiveReadings& readings, NumberSymbols symbols, SetCommandTarget& target);

    // The reply, "\r\n" included, to everything taken from the client at once. The
    // whole text is one line, whatever it holds; its last character is the carriage
    // return that completed it.
    std::string reply(std::string_view taken) const;

private:
    std::string getReply(std::string_view word) const;
    std::string setReply(std::string_view word) const;

    const LiveReadings& readings_;
    NumberSymbols symbols_;
    SetCommandTarget& target_;
};
