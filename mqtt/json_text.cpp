// Shortest round-trip numbers with std::to_chars, and JSON string escapes.
#include "mqtt/json_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

template <typename Number>
std::string shortest(Number value)
{
    if (!std::isfinite(value))
        return "null";
    std::array<char, 32> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

} // namespace

std::string jsonNumber(double value)
{
    return shortest(value);
}

std::string jsonNumber(float value)
{
    return shortest(value);
}

std::string jsonString(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                std::array<char, 8> escape{};
                std::snprintf(escape.data(), escape.size(), "\\u%04x", static_cast<unsigned>(c));
                quoted += escape.data();
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

JsonObject& JsonObject::raw(std::string_view name, std::string_view json)
{
    if (!members_.empty())
        members_ += ',';
    members_ += jsonString(name);
    members_ += ':';
    members_ += json;
    return *this;
}
