// Arbitrary text from a TCP client: every command line gets exactly one reply line.
#include "link/live_readings.h"
#include "server/command_protocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

class NoMonitor : public SetCommandTarget {
public:
    void TogglePolarity(int channel) override
    {
        if (channel != 1 && channel != 2)
            std::abort();
    }
    void setTriggerPush(bool) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view taken(reinterpret_cast<const char*>(data), size);
    LiveReadings readings;
    readings.Watts1 = 1500;
    readings.KWh2 = 12.345;
    NoMonitor monitor;
    const CommandProtocol protocol(readings, NumberSymbols{}, monitor);
    if (!endsWithCommand(taken))
        return 0;
    const std::string reply = protocol.reply(taken);
    // One line, ended by CR LF, whatever came in.
    if (reply.size() < 2 || !reply.ends_with("\r\n") || reply.find("\r\n") != reply.size() - 2)
        std::abort();
    return 0;
}
