// Reading the "WebHost" setting into a host and a port.
#include "common/web_host.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kHttpPort = 80;

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
        || c == '_';
}

bool isIpv6Character(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
}

std::optional<std::uint16_t> parsePort(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return std::nullopt;
    int value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

} // namespace

std::optional<WebHostAddress> parseWebHost(std::string_view text)
{
    std::string_view host = text;
    std::string_view rest;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = text.substr(1, close - 1);
        rest = text.substr(close + 1);
        if (host.empty() || !std::all_of(host.begin(), host.end(), isIpv6Character))
            return std::nullopt;
        if (!rest.empty() && !rest.starts_with(':'))
            return std::nullopt;
    } else {
        const auto colon = text.find(':');
        if (colon != std::string_view::npos) {
            host = text.substr(0, colon);
            rest = text.substr(colon);
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), isNameCharacter))
            return std::nullopt;
    }

    WebHostAddress address{std::string(host), kHttpPort};
    if (!rest.empty()) {
        const auto port = parsePort(rest.substr(1));
        if (!port)
            return std::nullopt;
        address.port = *port;
    }
    return address;
}
