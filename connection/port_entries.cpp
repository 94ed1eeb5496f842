// The port boxes' checks.
#include "connection/port_entries.h"

#include "common/number_text.h"

#include <cmath>

namespace {

constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 64;
constexpr int kLastTcpPort = 65535;

std::string numberText(double value)
{
    return generalNumberText(value);
}

} // namespace

PortEntryVerdict comPortEntry(std::string_view text, int current, bool portOpen)
{
    const auto value = parseNumber(text);
    if (!value)
        return {};
    const double rounded = roundHalfEven(*value);
    if (rounded < kFirstComPort || rounded > kLastComPort)
        return {.accepted = std::nullopt,
                .reason = "COM port " + numberText(rounded) + " does not exist: the numbers run from 1 to 64. Keeping COM "
                    + std::to_string(current) + "."};
    if (portOpen && static_cast<int>(rounded) != current)
        return {.accepted = std::nullopt,
                .reason = "COM " + std::to_string(current)
                    + " is open and keeps its number. Close the port first, then type the new number."};
    return {.accepted = static_cast<int>(rounded), .reason = {}};
}

PortEntryVerdict tcpPortEntry(std::string_view text, int current)
{
    const auto value = parseNumber(text);
    const double rounded = value ? roundHalfEven(*value) : 0;
    if (rounded < 1 || rounded > kLastTcpPort)
        return {.accepted = std::nullopt,
                .reason = "\"" + std::string(text) + "\" is no TCP port: the numbers run from 1 to 65535. Keeping port "
                    + std::to_string(current) + "."};
    return {.accepted = static_cast<int>(rounded), .reason = {}};
}
